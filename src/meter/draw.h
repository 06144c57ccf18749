// Drawing shared by the gauge, the scale strip and the about window. Each
// operation leaves the device context's pen, font and background mode as it
// found them and frees every pen it creates.
#pragma once
#include <stdint.h>

#include "meter/gdi_api.h"

enum : uint32_t {
  kEtchDark = 0x789696,  // red 150, green 150, blue 120
  kEtchLight = 0xFFFFFF,
};

// Rows a ramp from startY to endY covers: |endY - startY|.
int64_t RampRowCount(int32_t startY, int32_t endY);
// Colour (0x00BBGGRR) of row i of a ramp of rowCount rows. Row 0 is the start
// colour; the end colour itself is never reached.
uint32_t RampRowColor(uint32_t startColor, uint32_t endColor, int64_t rowCount, int64_t i);

// One line per row, from leftX up to rightX (excluded), rows laid downward
// from startY whichever way endY lies.
void DrawColorRamp(DcHandle dc, uint32_t startColor, uint32_t endColor, int32_t leftX,
                   int32_t startY, int32_t rightX, int32_t endY);
// A dark line with a white one beside it: one pixel right of a vertical
// line, one pixel below any other.
void DrawEtchedLine(DcHandle dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The text in the window's font, background untouched, its left edge at x and
// vertically centred on y by the first label height measured in this run.
void DrawLabelText(DcHandle dc, WindowHandle fontWindow, int32_t x, int32_t y, const ZChar* text);

// tmHeight + tmExternalLeading of the first label's font; 0 until measured.
extern int32_t g_labelTextHeight;
