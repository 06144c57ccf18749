// Reads a fuzz input as a stream of small decisions, numbers and texts;
// past its end every read gives zeros.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "common/ztext.h"
#include "support/fakes.h"

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
  bool Flag() { return Byte() & 1; }
  uint32_t Number() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  std::vector<uint8_t> Bytes(size_t n) {
    std::vector<uint8_t> out;
    while (n-- && p_ < end_) out.push_back(*p_++);
    return out;
  }
  // UTF-16 units, two bytes each, little-endian.
  ZString Units(size_t n) {
    ZString out;
    while (n-- && end_ - p_ >= 2) {
      out.push_back(static_cast<ZChar>(p_[0] | p_[1] << 8));
      p_ += 2;
    }
    return out;
  }
  ZString RestAsUnits() { return Units(Left() / 2); }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// A broken expectation: report and abort, which libFuzzer records as a crash.
#define FUZZ_CHECK(cond)                                                     \
  do {                                                                       \
    if (!(cond)) {                                                           \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      abort();                                                               \
    }                                                                        \
  } while (0)
