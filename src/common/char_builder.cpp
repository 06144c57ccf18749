#include "common/char_builder.h"

CharBuilder& CharBuilder::AddUtf8(const ZChar* s) {
  for (; *s; ++s) {
    uint32_t c = static_cast<uint16_t>(*s);
    if (c >= 0xD800 && c < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(s[1]) - 0xDC00);
      ++s;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      Put(static_cast<char>(c));
    } else if (c < 0x800) {
      Put(static_cast<char>(0xC0 | c >> 6));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      Put(static_cast<char>(0xE0 | c >> 12));
      Put(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      Put(static_cast<char>(0xF0 | c >> 18));
      Put(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      Put(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return *this;
}

CharBuilder& CharBuilder::AddCsvQuoted(const ZChar* s) {
  enum { kUnits = 1040 };  // a path of 520 units with every one a quote
  ZChar quoted[kUnits + 1];
  size_t n = 0;
  for (; s && *s && n + 2 < kUnits; ++s) {
    if (*s == '"') quoted[n++] = '"';
    quoted[n++] = *s;
  }
  quoted[n] = 0;
  return Add("\"").AddUtf8(quoted).Add("\"");
}
