// The scale labels are formatted without the C runtime's formatter; they
// must still read exactly as "%.2f" writes them.
#include <gtest/gtest.h>

#include <stdio.h>

#include "meter/exact_double.h"
#include "meter/scale_strip.h"
#include "support/fakes.h"

namespace {

std::string Runtime(uint64_t limitMb, int n) {
  char buf[kScaleLabelUnits];
  snprintf(buf, sizeof buf, "%.2f",
           ExactMul(n, ExactDiv(static_cast<double>(limitMb), 1024.0 * 5.0)));
  return buf;
}

std::string Ours(uint64_t limitMb, int n) {
  ZChar buf[kScaleLabelUnits];
  FormatScaleLabel(limitMb, n, buf, kScaleLabelUnits);
  return Narrow(buf);
}

TEST(ScaleLabelFormat, ReadsAsTheRuntimeWritesEveryLimitUpTo8Gb) {
  for (uint64_t limit = 0; limit <= 8192; ++limit)
    for (int n = 0; n < kScaleMarks; ++n) ASSERT_EQ(Ours(limit, n), Runtime(limit, n)) << limit;
}

TEST(ScaleLabelFormat, HalfwayValuesRoundToEven) {
  EXPECT_EQ(Ours(640, 1), "0.12");   // 0.125 exactly
  EXPECT_EQ(Ours(1920, 1), "0.38");  // 0.375
  EXPECT_EQ(Ours(640, 1), Runtime(640, 1));
  EXPECT_EQ(Ours(1920, 1), Runtime(1920, 1));
  EXPECT_EQ(Ours(5119, 1), "1.00");  // 0.9998... carries into the whole part
}

TEST(ScaleLabelFormat, HugeNegativeAndCutValuesMatchTheRuntime) {
  uint64_t x = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 2000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    uint64_t limit = x >> (x % 64);
    int n = static_cast<int>(x >> 32);  // negative too, and far beyond 2^53 once scaled
    ASSERT_EQ(Ours(limit, n), Runtime(limit, n)) << limit << " " << n;
  }
  // The largest label there is: 25 digits, far past what a double holds exactly.
  EXPECT_EQ(Ours(UINT64_MAX, INT32_MAX), Runtime(UINT64_MAX, INT32_MAX));
  EXPECT_EQ(Ours(UINT64_MAX, INT32_MIN), Runtime(UINT64_MAX, INT32_MIN));
}

}  // namespace
