// zormap.exe's window: it owns the session, steps it once a second and
// carries out what each step changed.
#pragma once
#include <windows.h>

#include "common/ztext.h"
#include "map/map_layout.h"
#include "map/map_panels.h"
#include "map/map_session.h"

// The target given on the command line: false with a reason for a PID that
// is not running.
bool FollowGiven(const ZChar* name, uint32_t pid, ZChar* reason);
// A saved file given on the command line: false with the message that
// refuses it.
bool OpenGiven(const wchar_t* path, wchar_t* error, size_t units);
// Runs the window until it closes; given: a target was followed above,
// otherwise a process is chosen first. Returns the exit code.
int RunMapWindow(HINSTANCE instance, int show, bool given);

// The menu's commands that need no more of the window than its handle.
void SaveMapAs(HWND owner, const MapSession& session);
void EditThresholds(HWND owner, MapSession* session);
// The font of message boxes, or the GUI font where the system refuses to
// say; *own: whether it is to be deleted.
HFONT CreateMapFont(bool* own);
MapMetrics MeasureMapFont(HFONT font);
// The window's first size: the client the font needs, with room to spare.
void FirstMapWindowSize(const MapMetrics& m, int* width, int* height);
void MinMapTrackSize(HWND window, const MapMetrics& m, MINMAXINFO* mm);
void PaintMapLegend(HDC dc, const MapRect& legend, int lineHeight, HFONT font,
                    const AddressMap& map);

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
