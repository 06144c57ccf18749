// How the history strip fits the buckets to its pixels, and what it says of
// the point under the mouse. The time scale zooms in by powers of two while
// the readings leave room, and the figure scale rounds up to a power of two,
// so that a new reading changes only its own column: the whole strip is
// redrawn only when one of them steps, a few times in a session.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "map/history.h"

enum { kStripMaxZoom = 512, kStripMinTopMb = 16, kStripPointUnits = 200 };

struct StripScale {
  uint32_t columns = 0;             // the width History::Column is asked for; x < width shows
  uint32_t topMb = kStripMinTopMb;  // the figure at the plot's top edge
  bool operator==(const StripScale& o) const { return columns == o.columns && topMb == o.topMb; }
  bool operator!=(const StripScale& o) const { return !(*this == o); }
};

StripScale ScaleStrip(const History& history, uint32_t width);
// The pixel row of a figure in a plot height rows tall, 0 at the top.
int StripRow(uint32_t mb, uint32_t topMb, int height);
// "2024-03-10 08:00:00 to 08:00:31, 3 readings: virtual size 1000-1200 MB,
// largest usable block 800 MB, ceiling 4095 MB", or that it holds none.
void FormatHistoryPoint(const HistoryPoint& p, ZChar* out, size_t units);
