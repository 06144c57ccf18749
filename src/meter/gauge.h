// The fill gauge: a subclassed static control that shows the bottom rows of
// a colour ramp pre-drawn into a back buffer. Repainted only when its value
// changes; the buffer is rebuilt only when its range changes.
#pragma once
#include <stdint.h>

#include "meter/gdi_api.h"

enum : uint32_t {
  kGaugeTopColor = 0x0000FF,        // red
  kGaugeThresholdColor = 0x00FFFF,  // yellow
  kGaugeBottomColor = 0x00FF00,     // green
};

enum { kGaugeTableSize = 64 };

struct MeterGauge {
  WindowHandle window;
  DcHandle bufferDc;  // null until the first build
  GdiObject bufferBitmap;
  GdiObject previousBitmap;
  ZRect clientRect;
  uint64_t range;
  int64_t height;
  uint64_t maximum;
  uint64_t minimum;
  uint64_t builtMaximum;
  uint64_t builtMinimum;
  uint64_t value;
  int64_t fillHeight;
  uint64_t shownValue;
  WindowProcRef previousProc;
  double threshold;  // share of the height, from the bottom, of the lower ramp
  int32_t slot;      // entry in GaugeTable; -1 when not entered
};

// Attached gauges, found by window; empty entries are null.
extern MeterGauge* GaugeTable[kGaugeTableSize];

// The record must be zeroed with window, threshold, maximum and minimum set.
// With the table full the window is left unsubclassed and slot is -1.
void AttachGauge(MeterGauge* gauge);
void UpdateGaugeRange(MeterGauge* gauge);
void UpdateGaugeValue(MeterGauge* gauge);
void DetachGauge(MeterGauge* gauge);

// First row of the lower ramp: trunc((1 - threshold) * height).
int64_t GaugeSplitRow(double threshold, int64_t height);
// Rows shown for a reading: trunc(height / range * (value - minimum)); 0 for
// a value of 0, a value at or below the minimum, or an empty range.
int64_t GaugeFillHeight(int64_t height, uint64_t range, uint64_t value, uint64_t minimum);

// What GaugeWindowProc does with a message, the platform aside.
intptr_t HandleGaugeMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam);

// The main dialog's gauge, for the whole run.
extern MeterGauge g_mainGauge;
