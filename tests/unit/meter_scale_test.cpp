#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "meter/draw.h"
#include "meter/scale_strip.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "support/fake_gdi.h"
#include "support/fakes.h"

namespace {

class ScaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_monitor, 0, sizeof g_monitor);
    ResetViewSettings();
    g_viewSettings.showMemScale = true;
    g_labelTextHeight = 0;
    g_scaleStripWidth = g_scaleStripHeight = 0;
    g_scaleStripPreviousProc = FakeGdi::StaticProc();
  }
  void TearDown() override {
    EXPECT_TRUE(gdi.errors.empty()) << gdi.errors.front();
    EXPECT_EQ(gdi.LiveObjects(), 0);
    EXPECT_EQ(gdi.HeldWindowDcs(), 0);
  }
  std::vector<std::string> Labels() {
    std::vector<std::string> out;
    for (const FakeGdi::Text& t : gdi.texts) out.push_back(Narrow(t.text));
    return out;
  }
  // The rows of the dark lines, in drawing order.
  std::vector<int> MarkRows() {
    std::vector<int> out;
    for (const FakeGdi::Line& l : gdi.lines)
      if (l.color == kEtchDark) out.push_back(l.y1);
    return out;
  }
  intptr_t Paint() { return HandleScaleStripMessage(strip, kWmPaint, 0, 0); }

  FakeGdi gdi;
  FakeSystemApi system;
  WindowHandle strip = gdi.AddWindow(60, 216, gdi.AddFont(13, 0));
};

TEST_F(ScaleTest, SixMarksFromTheLimitDownToZero) {
  g_monitor.limitMb = 2047;
  EXPECT_EQ(Paint(), 0);
  EXPECT_EQ(g_scaleStripWidth, 60);
  EXPECT_EQ(g_scaleStripHeight, 216);
  EXPECT_EQ(MarkRows(), (std::vector<int>{5, 46, 87, 128, 169, 210}));
  EXPECT_EQ(Labels(), (std::vector<std::string>{"2.00", "1.60", "1.20", "0.80", "0.40", "0.00"}));
  // Labels at x 0, centred on their mark by 13 / 2.
  EXPECT_EQ(gdi.texts[0].x, 0);
  EXPECT_EQ(gdi.texts[0].y, -1);
  EXPECT_EQ(gdi.texts[5].y, 204);
  // Etched over the static control's own painting, last pixel at width - 4.
  EXPECT_EQ(gdi.WindowPixel(strip, 27, 46), kEtchDark);
  EXPECT_EQ(gdi.WindowPixel(strip, 56, 46), kEtchDark);
  EXPECT_EQ(gdi.WindowPixel(strip, 56, 47), kEtchLight);
  EXPECT_EQ(gdi.WindowPixel(strip, 57, 46), FakeGdi::kStaticBackground);
  EXPECT_EQ(gdi.WindowPixel(strip, 26, 46), FakeGdi::kStaticBackground);
  EXPECT_EQ(system.memoryCalls, 0);

  gdi.texts.clear();
  g_monitor.limitMb = 3071;
  Paint();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"3.00", "2.40", "1.80", "1.20", "0.60", "0.00"}));
}

TEST_F(ScaleTest, UnknownLimitIsReadFromTheOwnAddressSpaceEachTime) {
  system.totalVirtual = 4095ull << 20;
  Paint();
  Paint();
  EXPECT_EQ(system.memoryCalls, 2);
  EXPECT_EQ(g_monitor.limitMb, 0u);  // not stored
  EXPECT_EQ(Labels()[0], "4.00");    // 4095 / 1024 = 3.9990
  EXPECT_EQ(Labels()[1], "3.20");
}

TEST_F(ScaleTest, TinyStripsBunchOrReverseTheMarks) {
  g_monitor.limitMb = 2047;
  EXPECT_EQ(ScaleMarkSpacing(12), 0);
  EXPECT_EQ(ScaleMarkSpacing(6), 0);
  EXPECT_EQ(ScaleMarkSpacing(14), 0);
  EXPECT_EQ(ScaleMarkSpacing(15), 1);
  EXPECT_EQ(ScaleMarkSpacing(0), -2);
  EXPECT_EQ(ScaleMarkSpacing(INT32_MIN), -429496731);

  gdi.Resize(strip, 60, 12);
  Paint();
  EXPECT_EQ(MarkRows(), (std::vector<int>(6, 5)));
  EXPECT_EQ(Labels().back(), "0.00");  // drawn last, on top

  gdi.lines.clear();
  gdi.Resize(strip, 60, 0);
  Paint();
  EXPECT_EQ(MarkRows(), (std::vector<int>{5, 3, 1, -1, -3, -5}));
}

TEST_F(ScaleTest, ScaleOffPassesThroughAndKeepsTheRecordedSize) {
  g_monitor.limitMb = 2047;
  HandleScaleStripMessage(strip, kWmSize, 0, (216 << 16) | 40);
  EXPECT_EQ(g_scaleStripWidth, 40);
  EXPECT_EQ(g_scaleStripHeight, 216);
  g_viewSettings.showMemScale = false;
  gdi.Resize(strip, 70, 100);
  EXPECT_EQ(Paint(), 0);
  EXPECT_EQ(g_scaleStripWidth, 40);
  EXPECT_EQ(g_scaleStripHeight, 216);
  EXPECT_TRUE(gdi.lines.empty());
  EXPECT_EQ(gdi.getDcCalls, 0);
  EXPECT_EQ(gdi.WindowPixel(strip, 30, 5), FakeGdi::kStaticBackground);  // its own paint ran
}

TEST_F(ScaleTest, SizeIsTakenFromTheHighAndLowWordsAndOtherMessagesReturnTheirResult) {
  HandleScaleStripMessage(strip, kWmSize, 0, static_cast<intptr_t>(0xFFFF0001u));
  EXPECT_EQ(g_scaleStripWidth, 1);
  EXPECT_EQ(g_scaleStripHeight, 65535);
  EXPECT_EQ(HandleScaleStripMessage(strip, kWmSize, 0, 0), 0);
  EXPECT_EQ(HandleScaleStripMessage(strip, 0x0084, 0, 0), 77);
  ASSERT_EQ(gdi.calls.size(), 3u);
  EXPECT_EQ(gdi.calls[2].proc, FakeGdi::StaticProc());
  EXPECT_EQ(gdi.calls[2].message, 0x0084u);
}

TEST_F(ScaleTest, LabelsAreExactMultiplesToTwoDecimals) {
  ZChar buf[kScaleLabelUnits];
  FormatScaleLabel(2047, 1, buf, kScaleLabelUnits);
  EXPECT_EQ(Narrow(buf), "0.40");
  FormatScaleLabel(3071, 3, buf, kScaleLabelUnits);
  EXPECT_EQ(Narrow(buf), "1.80");
  FormatScaleLabel(UINT64_MAX >> 20, 5, buf, kScaleLabelUnits);
  EXPECT_EQ(Narrow(buf), "17179869184.00");
  FormatScaleLabel(2047, 5, buf, 3);  // bounded and terminated
  EXPECT_EQ(Narrow(buf), "2.");
}

}  // namespace
