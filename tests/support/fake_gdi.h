// A drawing surface that keeps the pixels that axis-aligned pen lines,
// block copies and a static control's own painting put on it, and checks
// the object discipline: every pen, bitmap and context made is freed once,
// never while selected, and every window context taken is released.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "meter/gdi_api.h"
#include "support/fakes.h"

class FakeGdi : public GdiApi {
 public:
  FakeGdi();
  ~FakeGdi() override;

  static constexpr uint32_t kStaticBackground = 0xF0F0F0;  // a static control's own paint
  static constexpr uint32_t kUnpainted = 0xFFFFFFFF;       // never drawn (not a COLORREF)

  // The platform's procedures as the fake names them.
  static WindowProcRef StaticProc();
  static WindowProcRef GaugeProc();

  struct Line {
    DcHandle dc;
    int32_t x1, y1, x2, y2;
    uint32_t color;
  };
  struct Text {
    DcHandle dc;
    int32_t x, y;
    ZString text;
    GdiObject font;
    int32_t bkMode;
  };
  struct Blit {
    DcHandle dst;
    int32_t x, y, width, height;
    DcHandle src;
    int32_t srcX, srcY;
  };
  struct Call {
    WindowProcRef proc;
    uint32_t message;
  };

  // A window with a client area of that size; it draws with that font.
  WindowHandle AddWindow(int32_t width, int32_t height, GdiObject font = nullptr);
  void Resize(WindowHandle w, int32_t width, int32_t height);
  // A font a window can draw with (not made by the code under test).
  GdiObject AddFont(int32_t height, int32_t externalLeading);
  // A context of its own on a bitmap of that size, as a test's drawing target.
  DcHandle AddMemoryDc(int32_t width, int32_t height);

  uint32_t WindowPixel(WindowHandle w, int32_t x, int32_t y) const;
  uint32_t DcPixel(DcHandle dc, int32_t x, int32_t y) const;
  GdiObject SelectedPen(DcHandle dc) const;
  GdiObject SelectedFont(DcHandle dc) const;
  GdiObject SelectedBitmap(DcHandle dc) const;
  int32_t BkMode(DcHandle dc) const;
  WindowProcRef Procedure(WindowHandle w) const;

  // Objects and contexts made by the code and not yet freed, windows'
  // contexts not yet released.
  int LiveObjects() const;
  int LiveMemoryDcs() const;
  int HeldWindowDcs() const;

  std::vector<std::string> errors;  // misuse seen: freeing twice, freeing while selected...
  std::vector<Line> lines;
  std::vector<Text> texts;
  std::vector<Blit> blits;
  std::vector<Call> calls;  // messages passed on to other procedures
  int pensCreated = 0, bitmapsCreated = 0, memoryDcsCreated = 0;
  int clientRectCalls = 0, getDcCalls = 0, repaints = 0, textMetricsCalls = 0;
  int failPenAt = -1;  // this pen creation (0-based) fails
  bool failBitmaps = false, failMemoryDcs = false;
  intptr_t previousResult = 77;  // what a passed-on message returns

  GdiObject CreateSolidPen(uint32_t color) override;
  GdiObject SelectObject(DcHandle dc, GdiObject object) override;
  bool DeleteObject(GdiObject object) override;
  void MoveTo(DcHandle dc, int32_t x, int32_t y) override;
  void LineTo(DcHandle dc, int32_t x, int32_t y) override;
  int32_t SetBkMode(DcHandle dc, int32_t mode) override;
  GdiObject GetWindowFont(WindowHandle window) override;
  bool GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) override;
  void TextOut(DcHandle dc, int32_t x, int32_t y, const ZChar* text, int32_t units) override;
  bool GetClientRect(WindowHandle window, ZRect* rect) override;
  DcHandle GetDC(WindowHandle window) override;
  void ReleaseDC(WindowHandle window, DcHandle dc) override;
  DcHandle CreateCompatibleDC(DcHandle dc) override;
  GdiObject CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) override;
  bool DeleteDC(DcHandle dc) override;
  void BitBlt(DcHandle dst, int32_t x, int32_t y, int32_t width, int32_t height, DcHandle src,
              int32_t srcX, int32_t srcY) override;
  void Repaint(WindowHandle window) override;
  WindowProcRef SetWindowProc(WindowHandle window, WindowProcRef proc) override;
  intptr_t CallWindowProc(WindowProcRef proc, WindowHandle window, uint32_t message,
                          uintptr_t wParam, intptr_t lParam) override;
  intptr_t DefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override;
  WindowProcRef GaugeProcedure() override { return GaugeProc(); }

 private:
  enum Kind { kPen, kBitmap, kFont };
  struct Surface {
    int32_t width = 0, height = 0;
    std::map<std::pair<int32_t, int32_t>, uint32_t> pixels;
    void Put(int32_t x, int32_t y, uint32_t c);
    uint32_t Get(int32_t x, int32_t y) const;
  };
  struct Object {
    Kind kind;
    bool ours;  // made by the code under test, to be freed by it
    bool deleted = false;
    uint32_t color = 0;
    int32_t fontHeight = 0, fontLeading = 0;
    Surface surface;  // bitmaps
  };
  struct Dc {
    WindowHandle window = nullptr;  // null: a memory context
    bool freed = false;
    bool ownedByTest = false;
    GdiObject pen, font, bitmap;
    int32_t bkMode = 2;  // OPAQUE
    int32_t curX = 0, curY = 0;
  };
  struct Window {
    Surface surface;
    GdiObject font;
    WindowProcRef proc;
  };

  GdiObject NewObject(Kind kind, bool ours);
  Object* Obj(GdiObject o);
  const Object* Obj(GdiObject o) const;
  Dc* GetDc(DcHandle dc);
  const Dc* GetDc(DcHandle dc) const;
  Surface* Target(DcHandle dc);
  const Surface* Target(DcHandle dc) const;
  bool Selected(GdiObject o) const;
  void Error(const std::string& e) { errors.push_back(e); }

  std::map<GdiObject, Object> objects_;
  std::map<DcHandle, Dc> dcs_;
  std::map<WindowHandle, Window> windows_;
  uintptr_t next_ = 0x1000;
  GdiObject stockPen_, stockFont_, stockBitmap_;
  GdiApi* previous_;
};
