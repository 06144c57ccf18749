#include "dialogs/about_layout.h"

namespace {
AboutRect Band(int32_t width, int32_t top, int32_t bottom) { return {0, top, width, bottom}; }
}  // namespace

AboutLayout LayoutAboutDialog(const AboutMetrics& m) {
  const int32_t w = m.bannerWidth, h = m.bannerHeight, cw = m.clientWidth;
  AboutLayout l;
  // Five banner heights: two half-height ramps, the banner, and a box of two.
  const int32_t outerHeight = m.captionButtonHeight + 5 * h;
  const int32_t left = (m.screenWidth - w) / 2;
  const int32_t top = (m.screenHeight - outerHeight) / 2;
  l.window = {left, top, left + w, top + outerHeight};

  const int32_t half = h / 2;
  l.upperRamp = Band(cw, 0, half);
  l.banner = Band(cw, half, half + h);
  l.lowerRamp = Band(cw, half + h, half + h + half);
  const int32_t boxTop = half + h + half;
  l.box = Band(cw, boxTop, boxTop + 2 * h);
  l.text = Band(cw, boxTop + m.baseUnitY, boxTop + 2 * h);
  const int32_t okTop = boxTop + 2 * h + half / 2;
  l.ok = {h / 4, okTop, cw - h / 4, okTop + half};
  return l;
}
