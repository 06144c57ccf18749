// Bounded UTF-16 text helpers shared by the portable logic.
// ZChar is wchar_t on Windows (UTF-16 there) and char16_t elsewhere, so the
// same logic builds natively for tests and for the real program.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
typedef wchar_t ZChar;
#define ZT(s) L##s
#else
typedef char16_t ZChar;
#define ZT(s) u##s
#endif

// Size of the fixed name and number buffers used throughout (63 units + NUL).
enum { kTextUnits = 64 };

size_t ZLen(const ZChar* s);
size_t ZLenBounded(const ZChar* s, size_t max);
bool ZEqual(const ZChar* a, const ZChar* b);
// Whether s ends with the ASCII suffix, letters in either case (".csv").
bool ZEndsWithAscii(const ZChar* s, const char* suffix);

// Copies at most cap - 1 units and always terminates (cap > 0).
void ZCopy(ZChar* dst, size_t cap, const ZChar* src);

// Heap texts handed to callers; release with ZFree. Null on allocation failure.
ZChar* ZDup(const ZChar* s);
ZChar* ZAlloc(size_t units);
void ZFree(ZChar* s);

// Appends into a fixed buffer, never past its capacity, always terminated.
class ZBuilder {
 public:
  ZBuilder(ZChar* buf, size_t cap);
  ZBuilder& Add(const ZChar* s);
  // Zero-padded to width digits.
  ZBuilder& AddInt(int64_t v, int width = 1);
  ZBuilder& AddAscii(const char* s);
  size_t Length() const { return len_; }
  bool Truncated() const { return truncated_; }

 private:
  void Put(ZChar c);
  ZChar* buf_;
  size_t cap_;
  size_t len_ = 0;
  bool truncated_ = false;
};

// "0x" and the value in at least width hex digits.
void AddHex(ZBuilder& b, uint64_t v, int width);

// The last part of a path: after its last backslash or slash.
const ZChar* ZFileName(const ZChar* path);

// A non-empty run of decimal digits.
bool ZAllDigits(const ZChar* s);
// All digits and at most 2^32 - 1: the value; otherwise false.
bool ZParseUint32(const ZChar* s, uint32_t* value);

// "%d" of a value into a bounded buffer.
void ZFormatInt(ZChar* dst, size_t cap, int64_t v);
