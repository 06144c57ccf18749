#include "common/ztext.h"

#include <stdlib.h>
#include <string.h>

#include "common/char_builder.h"

size_t ZLen(const ZChar* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

size_t ZLenBounded(const ZChar* s, size_t max) {
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

bool ZEqual(const ZChar* a, const ZChar* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

bool ZEndsWithAscii(const ZChar* s, const char* suffix) {
  const size_t n = ZLen(s), k = strlen(suffix);
  if (n < k) return false;
  for (size_t i = 0; i < k; ++i) {
    const ZChar c = s[n - k + i];
    if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != static_cast<ZChar>(suffix[i])) return false;
  }
  return true;
}

void ZCopy(ZChar* dst, size_t cap, const ZChar* src) {
  if (cap == 0) return;
  size_t n = ZLenBounded(src, cap - 1);
  memmove(dst, src, n * sizeof(ZChar));
  dst[n] = 0;
}

ZChar* ZAlloc(size_t units) {
  ZChar* p = static_cast<ZChar*>(malloc(units * sizeof(ZChar)));
  if (p && units) p[0] = 0;
  return p;
}

ZChar* ZDup(const ZChar* s) {
  size_t n = ZLen(s);
  ZChar* p = ZAlloc(n + 1);
  if (p) memcpy(p, s, (n + 1) * sizeof(ZChar));
  return p;
}

void ZFree(ZChar* s) { free(s); }

ZBuilder::ZBuilder(ZChar* buf, size_t cap) : buf_(buf), cap_(cap) {
  if (cap_) buf_[0] = 0;
}

void ZBuilder::Put(ZChar c) {
  if (len_ + 1 < cap_) {
    buf_[len_++] = c;
    buf_[len_] = 0;
  } else {
    truncated_ = true;
  }
}

ZBuilder& ZBuilder::Add(const ZChar* s) {
  while (*s) Put(*s++);
  return *this;
}

ZBuilder& ZBuilder::AddAscii(const char* s) {
  while (*s) Put(static_cast<ZChar>(static_cast<unsigned char>(*s++)));
  return *this;
}

ZBuilder& ZBuilder::AddInt(int64_t v, int width) {
  char digits[24];
  uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (v < 0) Put('-');
  for (; width > n; --width) Put('0');
  while (n) Put(static_cast<ZChar>(digits[--n]));
  return *this;
}

void ZFormatInt(ZChar* dst, size_t cap, int64_t v) { ZBuilder(dst, cap).AddInt(v); }

const ZChar* ZFileName(const ZChar* path) {
  const ZChar* name = path;
  for (const ZChar* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

bool ZAllDigits(const ZChar* s) {
  if (!*s) return false;
  for (; *s; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

bool ZParseUint32(const ZChar* s, uint32_t* value) {
  if (!ZAllDigits(s)) return false;
  uint64_t v = 0;
  for (; *s; ++s) {
    v = v * 10 + static_cast<uint64_t>(*s - '0');
    if (v > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

void AddHex(ZBuilder& b, uint64_t v, int width) {
  char text[20];
  CharBuilder(text, sizeof text).Add("0x").Num(v, width, 16);
  b.AddAscii(text);
}
