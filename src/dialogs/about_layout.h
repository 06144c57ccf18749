// Where the about window and its bands go, worked out from the banner's size.
#pragma once
#include <stdint.h>

struct AboutRect {
  int32_t left, top, right, bottom;
};

struct AboutMetrics {
  int32_t bannerWidth;          // W: the banner control sized to its bitmap
  int32_t bannerHeight;         // H
  int32_t baseUnitY;            // by: high word of GetDialogBaseUnits
  int32_t clientWidth;          // cw: the window's client width once sized
  int32_t screenWidth;          // SM_CXSCREEN
  int32_t screenHeight;         // SM_CYSCREEN
  int32_t captionButtonHeight;  // SM_CYSIZE
};

struct AboutLayout {
  AboutRect window;  // screen coordinates, outer rectangle
  // The rest in the window's client coordinates, top to bottom.
  AboutRect upperRamp;
  AboutRect banner;
  AboutRect lowerRamp;
  AboutRect box;
  AboutRect text;
  AboutRect ok;
};

// The window depends on the banner and the screen only, so it can be placed
// first and the client width read back for the bands.
AboutLayout LayoutAboutDialog(const AboutMetrics& m);
