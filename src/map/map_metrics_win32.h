// The window's font, the measures taken in it, and the window sizes they give.
#pragma once
#include <windows.h>

#include "common/ztext.h"
#include "map/map_layout.h"
#include "map/map_panels.h"

// The font of message boxes, or the GUI font where the system refuses to
// say; *own: whether it is to be deleted.
HFONT CreateMapFont(bool* own);
MapMetrics MeasureMapFont(HFONT font);
// The window's first size: the client the font needs, with room to spare.
void FirstMapWindowSize(const MapMetrics& m, int* width, int* height);
void MinMapTrackSize(HWND window, const MapMetrics& m, MINMAXINFO* mm);
// Text widths in a font, on a screen DC held while it lives.
class GdiMeasure : public TextMeasure {
 public:
  explicit GdiMeasure(HFONT font);
  ~GdiMeasure() override;
  GdiMeasure(const GdiMeasure&) = delete;
  GdiMeasure& operator=(const GdiMeasure&) = delete;
  int Width(const ZChar* text, size_t units) override;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
