#include <gtest/gtest.h>

#include "dialogs/about_layout.h"

namespace {

::testing::AssertionResult Spans(const AboutRect& r, int left, int top, int right, int bottom) {
  if (r.left == left && r.top == top && r.right == right && r.bottom == bottom)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got " << r.left << "," << r.top << " to " << r.right << "," << r.bottom;
}

AboutMetrics Metrics(int h) {
  AboutMetrics m;
  m.bannerWidth = 292;
  m.bannerHeight = h;
  m.baseUnitY = 16;
  m.clientWidth = 286;
  m.screenWidth = 1024;
  m.screenHeight = 768;
  m.captionButtonHeight = 18;
  return m;
}

TEST(AboutLayout, ASixtyPixelBannerMakesFiveBandsOfHalvesAndWholes) {
  AboutLayout l = LayoutAboutDialog(Metrics(60));
  // 292 wide, SM_CYSIZE + 300 high, centred on the screen.
  EXPECT_TRUE(Spans(l.window, 366, 225, 658, 543));
  EXPECT_TRUE(Spans(l.upperRamp, 0, 0, 286, 30));
  EXPECT_TRUE(Spans(l.banner, 0, 30, 286, 90));
  EXPECT_TRUE(Spans(l.lowerRamp, 0, 90, 286, 120));
  EXPECT_TRUE(Spans(l.box, 0, 120, 286, 240));
  EXPECT_TRUE(Spans(l.text, 0, 136, 286, 240));  // by below the box's top
  EXPECT_TRUE(Spans(l.ok, 15, 255, 271, 285));
}

TEST(AboutLayout, AnOddBannerHeightRoundsEveryHalfDown) {
  AboutLayout l = LayoutAboutDialog(Metrics(61));
  EXPECT_TRUE(Spans(l.window, 366, 222, 658, 545));  // 18 + 305 high
  EXPECT_TRUE(Spans(l.upperRamp, 0, 0, 286, 30));
  EXPECT_TRUE(Spans(l.banner, 0, 30, 286, 91));
  EXPECT_TRUE(Spans(l.lowerRamp, 0, 91, 286, 121));
  EXPECT_TRUE(Spans(l.box, 0, 121, 286, 243));
  EXPECT_TRUE(Spans(l.text, 0, 137, 286, 243));
  EXPECT_TRUE(Spans(l.ok, 15, 258, 271, 288));
}

TEST(AboutLayout, OnAScreenSmallerThanTheWindowTheEdgesGoNegative) {
  AboutMetrics m = Metrics(60);
  m.screenWidth = 100;
  m.screenHeight = 200;
  AboutLayout l = LayoutAboutDialog(m);
  EXPECT_TRUE(Spans(l.window, -96, -59, 196, 259));
  // Halves of negative numbers are cut toward zero.
  m.screenWidth = 291;
  m.screenHeight = 317;
  l = LayoutAboutDialog(m);
  EXPECT_EQ(l.window.left, 0);
  EXPECT_EQ(l.window.top, 0);
}

}  // namespace
