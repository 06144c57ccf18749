// Appends 8-bit text into a fixed buffer, never past its capacity, always
// terminated: the CSV lines of the companion programs.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

class CharBuilder {
 public:
  CharBuilder(char* out, size_t cap) : out_(out), cap_(cap) { out_[0] = 0; }
  CharBuilder& Add(const char* s) {
    while (*s) Put(*s++);
    return *this;
  }
  // Decimal, or with base 16 upper-case hexadecimal, zero-padded to width.
  CharBuilder& Num(uint64_t v, int width = 1, unsigned base = 10) {
    char digits[20];
    int n = 0;
    do {
      digits[n++] = "0123456789ABCDEF"[v % base];
      v /= base;
    } while (v);
    for (; width > n; --width) Put('0');
    while (n) Put(digits[--n]);
    return *this;
  }
  // UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
  CharBuilder& AddUtf8(const ZChar* s);
  // In double quotes, a quote inside doubled, as CSV has it (null: "").
  CharBuilder& AddCsvQuoted(const ZChar* s);
  void Put(char c) {
    if (len_ + 1 >= cap_) return;
    out_[len_++] = c;
    out_[len_] = 0;
  }
  size_t Length() const { return len_; }
  // Keeps the first length chars.
  void Cut(size_t length) {
    if (length < len_) out_[len_ = length] = 0;
  }

 private:
  char* out_;
  size_t cap_;
  size_t len_ = 0;
};
