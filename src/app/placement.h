// Where the main window sits and how wide it is: the default and stored
// positions, always-on-top, and hiding or showing the scale strip and the
// info column. Pure arithmetic over rectangles behind LayoutApi.
#pragma once
#include <stdint.h>

struct Rect {
  int32_t left, top, right, bottom;
};

enum : int32_t {
  kMainWindow = 0,  // LayoutApi's id of the main dialog; others are control IDs
  kShowHide = 0,    // SW_HIDE
  kShowShow = 5,    // SW_SHOW
};

class LayoutApi {
 public:
  virtual ~LayoutApi() {}
  // The normal rectangle of the placement record (work-area coordinates for
  // the main window, dialog client coordinates for a control) and its show
  // command as the window stands (hidden windows report kShowHide).
  virtual bool GetPlacement(int32_t id, Rect* normal, int32_t* showCmd) = 0;
  virtual void SetPlacement(int32_t id, const Rect& normal, int32_t showCmd) = 0;
  virtual int32_t ScreenWidth() = 0;
  // Screen position of the work area's origin (non-zero with a task bar at
  // the top or left).
  virtual void WorkAreaOrigin(int32_t* x, int32_t* y) = 0;
  virtual void ShowWindow(int32_t id, int32_t showCmd) = 0;
  // Topmost or not, keeping the window's place and size.
  virtual void SetTopmost(int32_t id, bool topmost) = 0;
  // Invalidate the whole main dialog with its background and repaint it now.
  virtual void RepaintMainWindow() = 0;
  // WM_COMMAND sent synchronously to the main dialog.
  virtual void SendCommand(int32_t commandId) = 0;
};

LayoutApi& Layout();
LayoutApi* SetLayoutApi(LayoutApi* api);
LayoutApi* PlatformLayoutApi();

// Set only while start-up's first placement runs.
extern bool g_firstShow;

void PlaceMainDialog();
void PlaceAtDefaultPosition();
void PlaceAtStoredPosition(int32_t showCmd);
void ApplyAlwaysOnTop(int32_t id);
void SetPanelShown(int32_t panelId, bool shown);

// The layout actually applied (both shown at start, as the template is).
bool ScaleStripShown();
bool InfoColumnShown();
void ResetPanelLayout();  // for tests: back to the template's layout
