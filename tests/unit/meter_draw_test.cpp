#include <gtest/gtest.h>

#include <vector>

#include "meter/draw.h"
#include "meter/exact_double.h"
#include "support/fake_gdi.h"

namespace {

const uint32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00;

uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Red(uint32_t c) { return c & 0xFF; }

std::vector<uint32_t> Ramp(uint32_t from, uint32_t to, int rows) {
  std::vector<uint32_t> out;
  for (int i = 0; i < rows; ++i) out.push_back(RampRowColor(from, to, rows, i));
  return out;
}

TEST(RampArithmetic, FallingAndRisingChannelsTruncateTowardZero) {
  // Green step -63.75: 0, 63, 127, 191; red and blue stay put.
  std::vector<uint32_t> up = Ramp(kRed, kYellow, 4);
  ASSERT_EQ(up.size(), 4u);
  EXPECT_EQ(Green(up[0]), 0u);
  EXPECT_EQ(Green(up[1]), 63u);
  EXPECT_EQ(Green(up[2]), 127u);
  EXPECT_EQ(Green(up[3]), 191u);
  for (uint32_t c : up) EXPECT_EQ(c & 0xFF00FF, 0x0000FFu);

  // Red step 85 exactly: 255, 170, 85, never the end colour.
  std::vector<uint32_t> down = Ramp(kYellow, kGreen, 3);
  EXPECT_EQ(down, (std::vector<uint32_t>{0x00FFFF, 0x00FFAA, 0x00FF55}));
  EXPECT_EQ(Red(down[2]), 85u);

  // Falling by a fraction: 10 -> 0 over 3 rows, step 3.33: 10, 7, 4.
  EXPECT_EQ(Ramp(0x0A, 0x00, 3), (std::vector<uint32_t>{10, 7, 4}));
  // Rising by a fraction: 0 -> 10 over 3 rows, step -3.33: 0, 3, 6.
  EXPECT_EQ(Ramp(0x00, 0x0A, 3), (std::vector<uint32_t>{0, 3, 6}));
}

// On 32-bit x86 the x87 unit would otherwise keep 80-bit intermediates:
// these are results that a second rounding, or none, gets wrong.
TEST(RampArithmetic, DoubleArithmeticIsRoundedOnceToDouble) {
  // Volatile operands: computed at run time, not folded by the compiler.
  volatile double a = 191, b = 3883, c = 0x1.72e8ba2e8ba2fp+4, d = 42583;
  volatile double e = 0x1.39d89d89d89d9p+4, f = 4503;
  EXPECT_EQ(ExactDiv(a, b), 0x1.92f454a6ee43fp-5);
  EXPECT_EQ(ExactMul(c, d), 0x1.e201eba2e8ba3p+19);
  EXPECT_EQ(ExactMul(e, f), 0x1.590813b13b13bp+16);
  // Green step -255 / 63 = -4.0476190476190474; 21 steps are -85.0 in double
  // (an unrounded product is -84.99999... and truncates to 84).
  EXPECT_EQ(Green(RampRowColor(kRed, kYellow, 63, 21)), 85u);
  EXPECT_EQ(Green(RampRowColor(kRed, kYellow, 63, 42)), 170u);
}

TEST(RampArithmetic, EqualColoursIgnoredTopByteAndRowCount) {
  for (uint32_t c : Ramp(0x123456, 0x123456, 5)) EXPECT_EQ(c, 0x123456u);
  EXPECT_EQ(RampRowColor(0xFF0000FF, 0xAB0000FF, 2, 1), 0x0000FFu);
  EXPECT_EQ(RampRowCount(10, 10), 0);
  EXPECT_EQ(RampRowCount(10, 0), 10);
  EXPECT_EQ(RampRowCount(0, 216), 216);
  EXPECT_EQ(RampRowCount(INT32_MIN, INT32_MAX), 4294967295LL);
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override { g_labelTextHeight = 0; }
  void TearDown() override {
    EXPECT_TRUE(gdi.errors.empty()) << gdi.errors.front();
    EXPECT_EQ(gdi.LiveObjects(), 0) << "pens left undeleted";
    // Each operation leaves the context as it found it.
    EXPECT_EQ(gdi.SelectedPen(dc), pen0);
    EXPECT_EQ(gdi.SelectedFont(dc), font0);
    EXPECT_EQ(gdi.BkMode(dc), 2);
  }
  FakeGdi gdi;
  DcHandle dc = gdi.AddMemoryDc(100, 100);
  GdiObject pen0 = gdi.SelectedPen(dc);
  GdiObject font0 = gdi.SelectedFont(dc);
};

TEST_F(DrawTest, RampRowsCoverLeftToRightMinusOne) {
  DrawColorRamp(dc, kRed, kYellow, 2, 10, 6, 14);
  for (int i = 0; i < 4; ++i) {
    uint32_t expected = RampRowColor(kRed, kYellow, 4, i);
    EXPECT_EQ(gdi.DcPixel(dc, 1, 10 + i), FakeGdi::kUnpainted);
    for (int x = 2; x < 6; ++x) EXPECT_EQ(gdi.DcPixel(dc, x, 10 + i), expected) << x << "," << i;
    EXPECT_EQ(gdi.DcPixel(dc, 6, 10 + i), FakeGdi::kUnpainted);
  }
  EXPECT_EQ(gdi.DcPixel(dc, 3, 9), FakeGdi::kUnpainted);
  EXPECT_EQ(gdi.DcPixel(dc, 3, 14), FakeGdi::kUnpainted);
  EXPECT_EQ(gdi.pensCreated, 4);
}

TEST_F(DrawTest, RampWithEndAboveStartIsLaidDownward) {
  DrawColorRamp(dc, kGreen, kGreen, 0, 40, 5, 30);
  ASSERT_EQ(gdi.lines.size(), 10u);
  EXPECT_EQ(gdi.lines.front().y1, 40);
  EXPECT_EQ(gdi.lines.back().y1, 49);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 39), FakeGdi::kUnpainted);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 49), kGreen);
}

TEST_F(DrawTest, EmptyRampsDrawNothing) {
  DrawColorRamp(dc, kRed, kGreen, 0, 20, 50, 20);
  EXPECT_EQ(gdi.pensCreated, 0);
  DrawColorRamp(dc, kRed, kGreen, 7, 20, 7, 25);  // every row an empty line
  for (int y = 20; y < 25; ++y) EXPECT_EQ(gdi.DcPixel(dc, 7, y), FakeGdi::kUnpainted);
}

TEST_F(DrawTest, RampRowWhosePenFailsUsesTheContextsPenAndGoesOn) {
  gdi.failPenAt = 1;
  DrawColorRamp(dc, kRed, kYellow, 0, 0, 3, 3);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 0), kRed);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 1), 0u);  // the context's black pen
  EXPECT_EQ(gdi.DcPixel(dc, 0, 2), RampRowColor(kRed, kYellow, 3, 2));
}

TEST_F(DrawTest, EtchedLinesLightBelowOrRightEndExcluded) {
  DrawEtchedLine(dc, 27, 40, 60, 40);
  EXPECT_EQ(gdi.DcPixel(dc, 26, 40), FakeGdi::kUnpainted);
  for (int x = 27; x <= 59; ++x) {
    EXPECT_EQ(gdi.DcPixel(dc, x, 40), kEtchDark);
    EXPECT_EQ(gdi.DcPixel(dc, x, 41), kEtchLight);
  }
  EXPECT_EQ(gdi.DcPixel(dc, 60, 40), FakeGdi::kUnpainted);
  EXPECT_EQ(gdi.DcPixel(dc, 60, 41), FakeGdi::kUnpainted);

  DrawEtchedLine(dc, 10, 5, 10, 50);
  for (int y = 5; y <= 49; ++y) {
    EXPECT_EQ(gdi.DcPixel(dc, 10, y), kEtchDark);
    EXPECT_EQ(gdi.DcPixel(dc, 11, y), kEtchLight);
  }
  EXPECT_EQ(gdi.DcPixel(dc, 10, 50), FakeGdi::kUnpainted);
  EXPECT_EQ(gdi.DcPixel(dc, 10, 4), FakeGdi::kUnpainted);
}

TEST_F(DrawTest, DiagonalAndPointEtchedLines) {
  DrawEtchedLine(dc, 0, 0, 20, 10);
  ASSERT_EQ(gdi.lines.size(), 2u);
  EXPECT_EQ(gdi.lines[1].color, kEtchLight);
  EXPECT_EQ(gdi.lines[1].y1, 1);  // a diagonal's light line is one lower
  EXPECT_EQ(gdi.lines[1].y2, 11);
  EXPECT_EQ(gdi.lines[1].x1, 0);

  gdi.lines.clear();
  DrawEtchedLine(dc, 5, 5, 5, 5);
  for (int y = 4; y <= 6; ++y)
    for (int x = 4; x <= 6; ++x) EXPECT_EQ(gdi.DcPixel(dc, x, y), FakeGdi::kUnpainted);
}

TEST_F(DrawTest, EtchedLineWithAFailedPenStillFreesAndRestores) {
  for (int fail = 0; fail < 2; ++fail) {
    gdi.failPenAt = gdi.pensCreated + fail;
    DrawEtchedLine(dc, 0, 20 + 10 * fail, 10, 20 + 10 * fail);
    EXPECT_EQ(gdi.SelectedPen(dc), pen0);
  }
  // Dark pen missing: black then white; white pen missing: dark then black.
  EXPECT_EQ(gdi.DcPixel(dc, 0, 20), 0u);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 21), kEtchLight);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 30), kEtchDark);
  EXPECT_EQ(gdi.DcPixel(dc, 0, 31), 0u);
}

TEST_F(DrawTest, LabelIsCentredByTheFirstMeasuredHeight) {
  GdiObject small = gdi.AddFont(13, 0), large = gdi.AddFont(20, 4);
  WindowHandle a = gdi.AddWindow(10, 10, small), b = gdi.AddWindow(10, 10, large);
  DrawLabelText(dc, a, 0, 5, ZT("2.00"));
  DrawLabelText(dc, b, 3, 40, ZT("1.60"));
  ASSERT_EQ(gdi.texts.size(), 2u);
  EXPECT_EQ(g_labelTextHeight, 13);
  EXPECT_EQ(gdi.texts[0].y, -1);  // 5 - 13 / 2
  EXPECT_EQ(gdi.texts[1].y, 34);  // still by 13, not 24
  EXPECT_EQ(gdi.texts[1].x, 3);
  EXPECT_EQ(gdi.texts[0].font, small);
  EXPECT_EQ(gdi.texts[1].font, large);
  EXPECT_EQ(gdi.texts[0].bkMode, kBkTransparent);
  EXPECT_EQ(Narrow(gdi.texts[1].text), "1.60");
  EXPECT_EQ(gdi.textMetricsCalls, 1);
}

TEST_F(DrawTest, LabelHeightIncludesLeadingAndFontlessWindowsUseTheContextFont) {
  WindowHandle fontless = gdi.AddWindow(10, 10);
  DrawLabelText(dc, fontless, 0, 20, ZT(""));
  ASSERT_EQ(gdi.texts.size(), 1u);
  EXPECT_EQ(gdi.texts[0].font, font0);
  EXPECT_EQ(gdi.texts[0].text.size(), 0u);
  EXPECT_EQ(g_labelTextHeight, 16);  // the context's font: 16 + 0
  EXPECT_EQ(gdi.texts[0].y, 12);

  g_labelTextHeight = 0;
  DrawLabelText(dc, gdi.AddWindow(1, 1, gdi.AddFont(14, 3)), 0, 20, nullptr);
  EXPECT_EQ(g_labelTextHeight, 17);
  EXPECT_EQ(gdi.texts[1].y, 12);
}

}  // namespace
