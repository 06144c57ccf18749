#include "space/csv_reader.h"

#include <string.h>

#include "common/char_builder.h"

bool SplitCsv(const char* line, uint32_t length, CsvFields* out) {
  out->count = 0;
  uint32_t start = 0;
  bool quoted = false;
  for (uint32_t i = 0; i <= length; ++i) {
    if (i < length && line[i] == '"') quoted = !quoted;
    if (i < length && (quoted || line[i] != ',')) continue;
    if (out->count == kCsvFieldsMax) return false;
    out->text[out->count] = line + start;
    out->length[out->count++] = i - start;
    start = i + 1;
  }
  return true;
}

bool ParseCsvNumber(const char* text, uint32_t length, bool hex, uint64_t* value) {
  uint32_t i = 0;
  if (hex) {
    if (length < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    i = 2;
  }
  if (i == length) return false;
  uint64_t v = 0;
  const unsigned base = hex ? 16 : 10;
  for (; i < length; ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return false;
    if (v > (UINT64_MAX - digit) / base) return false;
    v = v * base + digit;
  }
  *value = v;
  return true;
}

bool Unquote(const char* text, uint32_t length, ZChar* out, size_t units) {
  size_t n = 0;
  out[0] = 0;
  if (!length) return true;
  if (length < 2 || text[0] != '"' || text[length - 1] != '"') return false;
  for (uint32_t i = 1; i + 1 < length;) {
    uint32_t c = static_cast<unsigned char>(text[i]), more = 0;
    if (c == '"') {
      if (i + 2 >= length || text[i + 1] != '"') return false;
      i += 2;
    } else {
      // UTF-8; a broken sequence becomes U+FFFD, one byte at a time.
      more = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
      if (c >= 0x80 && !more) c = 0xFFFD;
      uint32_t cp = more ? c & (0x3F >> more) : c, k = 1;
      for (; k <= more && i + k + 1 < length && (text[i + k] & 0xC0) == 0x80; ++k)
        cp = cp << 6 | (text[i + k] & 0x3F);
      if (k <= more || (more == 2 && cp < 0x800) ||
          (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000))
        cp = 0xFFFD, k = 1;
      i += k;
      c = cp;
    }
    if (c >= 0x10000) {
      if (n + 2 >= units) break;
      out[n++] = static_cast<ZChar>(0xD800 + ((c - 0x10000) >> 10));
      out[n++] = static_cast<ZChar>(0xDC00 + (c & 0x3FF));
    } else {
      if (n + 1 >= units) break;
      out[n++] = static_cast<ZChar>(c);
    }
  }
  out[n] = 0;
  return true;
}

namespace {

// A byte order mark, as an editor may have added.
size_t BomLength(const char* start, size_t size) {
  return size >= 3 && !memcmp(start, "\xEF\xBB\xBF", 3) ? 3 : 0;
}

}  // namespace

SavedKind KindOfSaved(const char* start, size_t size) {
  const size_t bom = BomLength(start, size);
  start += bom, size -= bom;
  return size >= 5 && !memcmp(start, "base,", 5) ? kSavedMap : kSavedLog;
}

bool CsvReader::Feed(const char* data, size_t size) {
  while (size && !Refused()) {
    const char* end = static_cast<const char*>(memchr(data, '\n', size));
    const size_t take = end ? static_cast<size_t>(end - data) : size;
    const size_t room = kCsvLineMax - 1 - length_;
    if (take > room) overlong_ = true;
    memcpy(line_ + length_, data, take < room ? take : room);
    length_ += static_cast<uint32_t>(take < room ? take : room);
    if (!end) break;
    data += take + 1;
    size -= take + 1;
    Line();
  }
  return !Refused();
}

bool CsvReader::Finish() {
  // A header not yet ended: there is no file to show.
  if (!Refused() && !lineNumber_)
    Refuse("no header: the file is empty or its first line unfinished");
  length_ = 0;
  overlong_ = false;
  return !Refused();
}

void CsvReader::Refuse(const char* why) {
  errorLine_ = lineNumber_ ? lineNumber_ : 1;
  CharBuilder(why_, sizeof why_).Add(why);
}

void CsvReader::Line() {
  ++lineNumber_;
  if (length_ && line_[length_ - 1] == '\r') --length_;
  line_[length_] = 0;
  char* line = line_;
  uint32_t length = length_;
  length_ = 0;
  const bool overlong = overlong_;
  overlong_ = false;
  if (lineNumber_ == 1) {
    const uint32_t bom = static_cast<uint32_t>(BomLength(line, length));
    line += bom, length -= bom;
    if (overlong || !Header(line, length)) Refuse("not a header this program writes");
    return;
  }
  if (!LooksLikeRow(line, length)) {
    ++skipped_;
    return;
  }
  char why[kCsvWhyChars] = {0};
  if (overlong)
    Refuse("the line is too long");
  else if (!Row(line, length, why))
    Refuse(why);
  else
    ++rows_;
}

void CsvReader::Describe(ZChar* out, size_t units) const {
  ZBuilder(out, units).AddAscii("line ").AddInt(errorLine_).AddAscii(": ").AddAscii(why_);
}
