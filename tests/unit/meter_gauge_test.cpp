#include <gtest/gtest.h>
#include <string.h>

#include "meter/draw.h"
#include "meter/gauge.h"
#include "support/fake_gdi.h"

namespace {

TEST(GaugeArithmetic, SplitRowAtThirtyPercentFromTheTop) {
  EXPECT_EQ(GaugeSplitRow(0.7, 200), 60);
  EXPECT_EQ(GaugeSplitRow(0.7, 216), 64);
  EXPECT_EQ(GaugeSplitRow(0.7, 0), 0);
  EXPECT_EQ(GaugeSplitRow(1.5, 100), 0);  // out-of-range thresholds stay inside
  EXPECT_EQ(GaugeSplitRow(-1.0, 100), 100);
}

TEST(GaugeArithmetic, FillHeightDividesFirstAndTruncates) {
  EXPECT_EQ(GaugeFillHeight(216, 204, 102, 0), 108);
  EXPECT_EQ(GaugeFillHeight(216, 204, 150, 0), 158);
  EXPECT_EQ(GaugeFillHeight(216, 204, 204, 0), 216);
  // 210 / 204 * 204 is 209.99999999999997: the top row stays unfilled.
  EXPECT_EQ(GaugeFillHeight(210, 204, 204, 0), 209);
  EXPECT_EQ(GaugeFillHeight(216, 204, 0, 0), 0);
  EXPECT_EQ(GaugeFillHeight(216, 204, 408, 0), 432);  // above the maximum
  EXPECT_EQ(GaugeFillHeight(216, 100, 60, 50), 21);   // counted from the minimum
}

TEST(GaugeArithmetic, ReadingsWithoutAMeaningfulRangeAreEmpty) {
  EXPECT_EQ(GaugeFillHeight(216, 0, 5, 0), 0);
  EXPECT_EQ(GaugeFillHeight(216, 100, 40, 50), 0);  // below the minimum
  EXPECT_EQ(GaugeFillHeight(216, 1, UINT64_MAX, 0), INT64_C(4611686018427387904));
}

class GaugeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(GaugeTable, 0, sizeof GaugeTable);
    g_labelTextHeight = 0;
    memset(&gauge, 0, sizeof gauge);
    gauge.window = control;
    gauge.threshold = 0.7;
  }
  void TearDown() override {
    EXPECT_TRUE(gdi.errors.empty()) << gdi.errors.front();
    EXPECT_EQ(gdi.HeldWindowDcs(), 0);
  }
  void SetRange(uint64_t maximum) {
    gauge.maximum = maximum;
    gauge.minimum = 0;
    UpdateGaugeRange(&gauge);
  }
  void SetValue(uint64_t value) {
    gauge.value = value;
    UpdateGaugeValue(&gauge);
  }
  // Rows of the control showing the ramp rather than its own background.
  int FilledRows(int x = 0) {
    int n = 0;
    for (int y = 0; y < 216; ++y) {
      uint32_t c = gdi.WindowPixel(control, x, y);
      if (c != FakeGdi::kStaticBackground && c != FakeGdi::kUnpainted) ++n;
    }
    return n;
  }
  FakeGdi gdi;
  WindowHandle control = gdi.AddWindow(12, 216);
  MeterGauge gauge;
};

TEST_F(GaugeTest, AttachWithoutARangeSubclassesAndBuildsNothing) {
  AttachGauge(&gauge);
  EXPECT_EQ(gauge.slot, 0);
  EXPECT_EQ(GaugeTable[0], &gauge);
  EXPECT_EQ(gdi.Procedure(control), FakeGdi::GaugeProc());
  EXPECT_EQ(gauge.previousProc, FakeGdi::StaticProc());
  EXPECT_EQ(gauge.bufferDc, nullptr);
  EXPECT_EQ(gdi.clientRectCalls, 0);

  gdi.Repaint(control);  // only the control's own background
  EXPECT_EQ(gdi.WindowPixel(control, 0, 215), FakeGdi::kStaticBackground);
  EXPECT_TRUE(gdi.blits.empty());
}

TEST_F(GaugeTest, MessagesPassThroughAndPaintReturnsZero) {
  AttachGauge(&gauge);
  EXPECT_EQ(HandleGaugeMessage(control, 0x0084, 0, 0), 77);
  EXPECT_EQ(HandleGaugeMessage(control, kWmPaint, 0, 0), 0);
  ASSERT_EQ(gdi.calls.size(), 2u);
  EXPECT_EQ(gdi.calls[0].proc, FakeGdi::StaticProc());
  EXPECT_EQ(gdi.calls[1].message, kWmPaint);
  // A window the table does not know gets the default handling.
  WindowHandle stranger = gdi.AddWindow(5, 5);
  EXPECT_EQ(HandleGaugeMessage(stranger, kWmPaint, 0, 0), 0);
  EXPECT_EQ(gdi.calls.back().proc, nullptr);
}

TEST_F(GaugeTest, BuildDrawsTheTwoRampsSplitAtSeventyPercent) {
  AttachGauge(&gauge);
  SetRange(204);
  ASSERT_NE(gauge.bufferDc, nullptr);
  EXPECT_EQ(gauge.height, 216);
  EXPECT_EQ(gauge.range, 204u);
  EXPECT_EQ(gauge.builtMaximum, 204u);
  DcHandle b = gauge.bufferDc;
  EXPECT_EQ(gdi.DcPixel(b, 0, 0), kGaugeTopColor);
  EXPECT_EQ(gdi.DcPixel(b, 11, 63), RampRowColor(kGaugeTopColor, kGaugeThresholdColor, 64, 63));
  EXPECT_EQ(gdi.DcPixel(b, 0, 64), kGaugeThresholdColor);
  EXPECT_EQ(gdi.DcPixel(b, 5, 215),
            RampRowColor(kGaugeThresholdColor, kGaugeBottomColor, 152, 151));
  EXPECT_EQ(gdi.pensCreated, 216);
  EXPECT_EQ(gdi.LiveObjects(), 1);  // the buffer bitmap, kept
  EXPECT_EQ(gdi.LiveMemoryDcs(), 1);
}

TEST_F(GaugeTest, SameRangeDoesNothingNewRangeRebuildsAndFreesTheOldBuffer) {
  AttachGauge(&gauge);
  SetRange(204);
  int rects = gdi.clientRectCalls, pens = gdi.pensCreated;
  SetRange(204);
  EXPECT_EQ(gdi.clientRectCalls, rects);
  EXPECT_EQ(gdi.pensCreated, pens);

  gdi.Resize(control, 12, 200);
  SetRange(307);
  EXPECT_EQ(gdi.clientRectCalls, rects + 1);
  EXPECT_EQ(gauge.height, 200);
  EXPECT_EQ(gdi.DcPixel(gauge.bufferDc, 0, 60), kGaugeThresholdColor);
  EXPECT_EQ(gdi.bitmapsCreated, 2);
  EXPECT_EQ(gdi.LiveObjects(), 1);
  EXPECT_EQ(gdi.LiveMemoryDcs(), 1);
  EXPECT_EQ(gdi.repaints, 0);  // a range change requests no repaint
}

TEST_F(GaugeTest, RepaintOnlyWhenTheValueChanges) {
  AttachGauge(&gauge);
  SetRange(204);
  SetValue(102);
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(gauge.fillHeight, 108);
  EXPECT_EQ(FilledRows(), 108);
  EXPECT_EQ(gdi.WindowPixel(control, 0, 107), FakeGdi::kStaticBackground);
  EXPECT_EQ(gdi.WindowPixel(control, 0, 108), gdi.DcPixel(gauge.bufferDc, 0, 108));
  EXPECT_EQ(gdi.WindowPixel(control, 11, 215), gdi.DcPixel(gauge.bufferDc, 11, 215));
  ASSERT_EQ(gdi.blits.size(), 1u);
  EXPECT_EQ(gdi.blits[0].y, 108);
  EXPECT_EQ(gdi.blits[0].srcY, 108);
  EXPECT_EQ(gdi.blits[0].width, 12);

  // A steady value draws nothing at all.
  size_t lines = gdi.lines.size();
  for (int i = 0; i < 5; ++i) {
    SetRange(204);
    SetValue(102);
  }
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(gdi.blits.size(), 1u);
  EXPECT_EQ(gdi.lines.size(), lines);

  SetValue(150);
  EXPECT_EQ(gdi.repaints, 2);
  EXPECT_EQ(FilledRows(), 158);
}

TEST_F(GaugeTest, EqualValueAfterARangeChangeRepaintsNothingButKeepsTheNewHeight) {
  AttachGauge(&gauge);
  SetRange(204);
  SetValue(102);
  SetRange(102);
  SetValue(102);
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(gauge.fillHeight, 216);
  gdi.Repaint(control);  // the next paint for any reason shows it
  EXPECT_EQ(FilledRows(), 216);
}

TEST_F(GaugeTest, ValueAboveTheMaximumFillsTheControlAndNothingAbove) {
  AttachGauge(&gauge);
  SetRange(204);
  SetValue(1000);
  EXPECT_GT(gauge.fillHeight, 216);
  EXPECT_EQ(FilledRows(), 216);
  ASSERT_EQ(gdi.blits.size(), 1u);
  EXPECT_EQ(gdi.blits[0].y, 0);
  EXPECT_EQ(gdi.blits[0].height, 216);
}

TEST_F(GaugeTest, ZeroValueAndValueWithoutRangeAreEmpty) {
  AttachGauge(&gauge);
  SetValue(5);  // no range yet
  EXPECT_EQ(gauge.fillHeight, 0);
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(FilledRows(), 0);
  SetRange(204);
  SetValue(0);
  EXPECT_EQ(gauge.fillHeight, 0);
  EXPECT_TRUE(gdi.blits.empty());
}

TEST_F(GaugeTest, RangeBeforeAttachBuildsAtAttach) {
  gauge.maximum = 204;
  AttachGauge(&gauge);
  EXPECT_NE(gauge.bufferDc, nullptr);
  EXPECT_EQ(gauge.builtMaximum, 204u);
}

TEST_F(GaugeTest, DetachRestoresTheProcedureAndFreesEverything) {
  AttachGauge(&gauge);
  SetRange(204);
  SetValue(50);
  SetRange(307);
  DetachGauge(&gauge);
  EXPECT_EQ(gdi.Procedure(control), FakeGdi::StaticProc());
  EXPECT_EQ(GaugeTable[0], nullptr);
  EXPECT_EQ(gauge.bufferDc, nullptr);
  EXPECT_EQ(gdi.LiveObjects(), 0);
  EXPECT_EQ(gdi.LiveMemoryDcs(), 0);
  DetachGauge(&gauge);  // twice is harmless
  EXPECT_EQ(gdi.Procedure(control), FakeGdi::StaticProc());
}

TEST_F(GaugeTest, FailedBufferLeavesNothingBehindAndPaintsNoFill) {
  AttachGauge(&gauge);
  gdi.failBitmaps = true;
  SetRange(204);
  EXPECT_EQ(gauge.bufferDc, nullptr);
  EXPECT_EQ(gdi.LiveMemoryDcs(), 0);
  SetValue(100);
  EXPECT_EQ(FilledRows(), 0);

  gdi.failBitmaps = false;
  gdi.failMemoryDcs = true;
  SetRange(100);
  EXPECT_EQ(gdi.LiveObjects(), 0);
  DetachGauge(&gauge);
}

TEST_F(GaugeTest, TableFindsEachGaugeAndAFullTableLeavesTheControlAlone) {
  static MeterGauge others[kGaugeTableSize];
  for (int i = 0; i < kGaugeTableSize - 1; ++i) {
    memset(&others[i], 0, sizeof others[i]);
    others[i].window = gdi.AddWindow(4, 4);
    AttachGauge(&others[i]);
    EXPECT_EQ(others[i].slot, i);
  }
  AttachGauge(&gauge);
  EXPECT_EQ(gauge.slot, kGaugeTableSize - 1);
  AttachGauge(&gauge);  // attached already: not subclassed a second time
  EXPECT_EQ(gauge.previousProc, FakeGdi::StaticProc());

  MeterGauge extra;
  memset(&extra, 0, sizeof extra);
  extra.window = gdi.AddWindow(4, 4);
  AttachGauge(&extra);
  EXPECT_EQ(extra.slot, -1);
  EXPECT_EQ(gdi.Procedure(extra.window), FakeGdi::StaticProc());

  // Freed entries are reused from the front.
  DetachGauge(&others[3]);
  AttachGauge(&extra);
  EXPECT_EQ(extra.slot, 3);
  SetRange(204);
  SetValue(204);
  EXPECT_EQ(FilledRows(), 216);  // found in the last entry
  for (int i = 0; i < kGaugeTableSize - 1; ++i) DetachGauge(&others[i]);
  DetachGauge(&extra);
  DetachGauge(&gauge);
}

}  // namespace
