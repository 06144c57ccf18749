// The graduated strip beside the gauge: six etched marks labelled in GB,
// from the address-space limit at the top to 0.00 at the bottom.
#pragma once
#include <stdint.h>

#include "meter/gdi_api.h"

enum {
  kScaleMarks = 6,
  kScaleTopY = 5,
  kScaleMarkLeft = 27,
  kScaleLabelUnits = 32,
};

// The strip's size as last recorded from WM_SIZE or a paint.
extern int32_t g_scaleStripWidth;
extern int32_t g_scaleStripHeight;
// The static control's own procedure, kept when the strip is subclassed.
extern WindowProcRef g_scaleStripPreviousProc;

// Distance between marks: (height - 10) / 5, truncating toward zero.
int32_t ScaleMarkSpacing(int32_t height);
// The label of mark n (0 at the bottom, 5 at the top) for a limit in MB, "%.2f" in GB.
void FormatScaleLabel(uint64_t limitMb, int n, ZChar* out, size_t cap);

void DrawScaleTicks(WindowHandle strip);
// What ScaleStripProc does with a message, the platform aside.
intptr_t HandleScaleStripMessage(WindowHandle strip, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam);
