// The meter's drawing through real GDI: primitives into a memory bitmap read
// back pixel by pixel, the gauge's back buffer, and paints into real static
// controls. Paints reach only visible windows, so the controls sit in a
// visible tool window that never takes the focus.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <vector>

#include "meter/draw.h"
#include "meter/gauge.h"
#include "meter/meter_win32.h"
#include "meter/scale_strip.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"

namespace {

const COLORREF kBackground = RGB(0x12, 0x34, 0x56);

// A 32-bit top-down bitmap in a memory context, filled with the background.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(kBackground);
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  DcHandle handle() const { return FromHdc(dc_); }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // Every pixel against the model; reports the first few differences.
  void Expect(const std::vector<COLORREF>& model) const {
    int bad = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) != model[y * width_ + x] && ++bad <= 5)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << At(x, y) << " expected "
                        << model[y * width_ + x];
    EXPECT_EQ(bad, 0);
  }
  bool SameAs(const Canvas& other) const {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) != other.At(x, y)) return false;
    return true;
  }
  int CountNot(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) != c;
    return n;
  }
  int width() const { return width_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(MeterGdi, RampsAndEtchedLinesMatchPixelForPixel) {
  Canvas canvas(80, 60);
  HGDIOBJ pen = GetCurrentObject(canvas.dc(), OBJ_PEN);
  std::vector<COLORREF> model(80 * 60, kBackground);
  auto put = [&](int x, int y, COLORREF c) { model[y * 80 + x] = c; };

  DrawColorRamp(canvas.handle(), RGB(255, 0, 0), RGB(255, 255, 0), 2, 1, 12, 5);
  const BYTE greens[] = {0, 63, 127, 191};
  for (int i = 0; i < 4; ++i)
    for (int x = 2; x < 12; ++x) put(x, 1 + i, RGB(255, greens[i], 0));

  DrawColorRamp(canvas.handle(), RGB(255, 255, 0), RGB(0, 255, 0), 20, 3, 23, 0);  // laid downward
  const BYTE reds[] = {255, 170, 85};
  for (int i = 0; i < 3; ++i)
    for (int x = 20; x < 23; ++x) put(x, 3 + i, RGB(reds[i], 255, 0));

  DrawColorRamp(canvas.handle(), RGB(1, 2, 3), RGB(200, 100, 50), 30, 8, 30, 12);  // empty rows

  DrawEtchedLine(canvas.handle(), 27, 40, 60, 40);
  for (int x = 27; x < 60; ++x) {
    put(x, 40, RGB(150, 150, 120));
    put(x, 41, RGB(255, 255, 255));
  }
  DrawEtchedLine(canvas.handle(), 70, 5, 70, 50);
  for (int y = 5; y < 50; ++y) {
    put(70, y, RGB(150, 150, 120));
    put(71, y, RGB(255, 255, 255));
  }
  DrawEtchedLine(canvas.handle(), 5, 55, 5, 55);  // a point draws nothing

  canvas.Expect(model);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PEN), pen);
}

TEST(MeterGdi, LabelsAreCentredByTheFirstHeightInTheWindowsFont) {
  HFONT small = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                            NONANTIALIASED_QUALITY, 0, L"Tahoma");
  HFONT large = CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                            NONANTIALIASED_QUALITY, 0, L"Tahoma");
  HWND a = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  HWND b = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_TRUE(a && b);
  SendMessageW(a, WM_SETFONT, reinterpret_cast<WPARAM>(small), FALSE);
  SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);

  Canvas drawn(120, 100), reference(120, 100);
  TEXTMETRICW tm;
  HGDIOBJ old = SelectObject(reference.dc(), small);
  GetTextMetricsW(reference.dc(), &tm);
  int height = tm.tmHeight + tm.tmExternalLeading;

  g_labelTextHeight = 0;
  HGDIOBJ font = GetCurrentObject(drawn.dc(), OBJ_FONT);
  DrawLabelText(drawn.handle(), FromHwnd(a), 3, 20, L"2.00");
  DrawLabelText(drawn.handle(), FromHwnd(b), 40, 60, L"1.60");
  DrawLabelText(drawn.handle(), FromHwnd(b), 40, 90, L"");
  EXPECT_EQ(g_labelTextHeight, height);
  EXPECT_EQ(GetBkMode(drawn.dc()), OPAQUE);
  EXPECT_EQ(GetCurrentObject(drawn.dc(), OBJ_FONT), font);

  SetBkMode(reference.dc(), TRANSPARENT);
  TextOutW(reference.dc(), 3, 20 - height / 2, L"2.00", 4);
  SelectObject(reference.dc(), large);
  TextOutW(reference.dc(), 40, 60 - height / 2, L"1.60", 4);  // by the first height
  SelectObject(reference.dc(), old);

  EXPECT_GT(drawn.CountNot(kBackground), 20);  // something was written
  EXPECT_TRUE(drawn.SameAs(reference));

  DestroyWindow(a);
  DestroyWindow(b);
  DeleteObject(small);
  DeleteObject(large);
  g_labelTextHeight = 0;
}

class GaugeWin32 : public ::testing::Test {
 protected:
  // One visible window for all: unmapping one costs Wine a wait for a
  // window manager that is not there.
  static void SetUpTestSuite() {
    top =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, L"Static", L"",
                        WS_POPUP | WS_VISIBLE, 0, 0, 200, 260, nullptr, nullptr, nullptr, nullptr);
  }
  static void TearDownTestSuite() {
    DestroyWindow(top);
    Pump();
  }
  void SetUp() override {
    ASSERT_NE(top, nullptr);
    memset(GaugeTable, 0, sizeof GaugeTable);
  }
  void TearDown() override {
    for (HWND c : children) DestroyWindow(c);
    children.clear();
    Pump();
  }
  // A static control with a sunken edge and a client area of that size.
  HWND Control(int x, int width, int height) {
    HWND c = CreateWindowExW(WS_EX_STATICEDGE, L"Static", L"", WS_CHILD | WS_VISIBLE, x, 5,
                             width + 2, height + 2, top, nullptr, nullptr, nullptr);
    children.push_back(c);
    RECT r;
    GetClientRect(c, &r);
    EXPECT_EQ(r.bottom, height);
    EXPECT_EQ(r.right, width);
    return c;
  }
  static void Setup(MeterGauge* g, HWND control) {
    memset(g, 0, sizeof *g);
    g->window = FromHwnd(control);
    g->threshold = 0.7;
  }
  // The colour the back buffer holds at row y of a gauge of that height.
  static COLORREF RampAt(int64_t height, int y) {
    int64_t split = GaugeSplitRow(0.7, height);
    if (y < split) return RampRowColor(kGaugeTopColor, kGaugeThresholdColor, split, y);
    return RampRowColor(kGaugeThresholdColor, kGaugeBottomColor, height - split, y - split);
  }
  // Rows, from the top, that the control shows in its own background colour.
  static int BackgroundRows(HWND control, int height) {
    HDC dc = GetDC(control);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int rows = 0;
    for (int y = 0; y < height && GetPixel(dc, 4, y) == face; ++y) ++rows;
    for (int y = rows; y < height; ++y)
      for (int x = 0; x < 20; x += 19)
        EXPECT_EQ(GetPixel(dc, x, y), RampAt(height, y)) << "row " << y;
    ReleaseDC(control, dc);
    return rows;
  }
  static HWND top;
  std::vector<HWND> children;
};

HWND GaugeWin32::top = nullptr;

TEST_F(GaugeWin32, BackBufferHoldsTheTwoRampsAndPaintsShowTheFilledRows) {
  HWND control = Control(10, 20, 216);
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongW(control, GWL_WNDPROC));
  MeterGauge gauge;
  Setup(&gauge, control);
  AttachGauge(&gauge);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongW(control, GWL_WNDPROC)), GaugeWindowProc);
  EXPECT_EQ(gauge.bufferDc, nullptr);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(BackgroundRows(control, 216), 216);  // attached, no buffer: background only

  gauge.maximum = 204;
  UpdateGaugeRange(&gauge);
  ASSERT_NE(gauge.bufferDc, nullptr);
  HDC buffer = ToHdc(gauge.bufferDc);
  int bad = 0;
  for (int y = 0; y < 216; ++y)
    for (int x = 0; x < 20; ++x) bad += GetPixel(buffer, x, y) != RampAt(216, y);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(GetPixel(buffer, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(buffer, 0, 64), RGB(255, 255, 0));
  EXPECT_EQ(GetPixel(buffer, 0, 63), RGB(255, 251, 0));  // 255 - trunc(63 * -3.98)

  gauge.value = 102;
  UpdateGaugeValue(&gauge);  // paints before it returns
  EXPECT_EQ(BackgroundRows(control, 216), 216 - 108);
  gauge.value = 150;
  UpdateGaugeValue(&gauge);
  EXPECT_EQ(BackgroundRows(control, 216), 216 - 158);
  gauge.value = 999;
  UpdateGaugeValue(&gauge);
  EXPECT_EQ(BackgroundRows(control, 216), 0);

  HGDIOBJ bitmap = ToGdiObj(gauge.bufferBitmap);
  DetachGauge(&gauge);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongW(control, GWL_WNDPROC)), own);
  EXPECT_EQ(GetObjectType(buffer), 0u);  // freed
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(GaugeWin32, FullReadingOnTwoHundredTenRowsLeavesTheTopRowUnfilled) {
  HWND tall = Control(10, 20, 216), short_ = Control(40, 20, 210);
  MeterGauge a, b;
  Setup(&a, tall);
  Setup(&b, short_);
  AttachGauge(&a);
  AttachGauge(&b);
  EXPECT_EQ(b.slot, 1);
  a.maximum = b.maximum = 204;
  UpdateGaugeRange(&a);
  UpdateGaugeRange(&b);
  a.value = b.value = 204;
  UpdateGaugeValue(&a);
  UpdateGaugeValue(&b);
  EXPECT_EQ(b.fillHeight, 209);
  EXPECT_EQ(BackgroundRows(tall, 216), 0);
  EXPECT_EQ(BackgroundRows(short_, 210), 1);
  // The split of a 210-row gauge is 63.
  HDC dc = GetDC(short_);
  EXPECT_EQ(GetPixel(dc, 3, 63), RGB(255, 255, 0));
  ReleaseDC(short_, dc);
  DetachGauge(&b);
  DetachGauge(&a);
}

TEST_F(GaugeWin32, ScaleStripEtchesSixMarksOverTheStaticsOwnPaint) {
  HWND strip = Control(100, 60, 216);
  SendMessageW(strip, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  memset(&g_monitor, 0, sizeof g_monitor);
  g_monitor.limitMb = 2047;
  ResetViewSettings();
  g_viewSettings.showMemScale = true;
  g_labelTextHeight = 0;
  SubclassScaleStrip(strip);
  SubclassScaleStrip(strip);  // a second time must not make it call itself
  RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(g_scaleStripWidth, 60);
  EXPECT_EQ(g_scaleStripHeight, 216);

  HDC dc = GetDC(strip);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int marks[] = {5, 46, 87, 128, 169, 210};
  for (int y : marks) {
    EXPECT_EQ(GetPixel(dc, 26, y), face) << y;
    for (int x = 27; x <= 56; ++x) {
      ASSERT_EQ(GetPixel(dc, x, y), RGB(150, 150, 120)) << x << "," << y;
      ASSERT_EQ(GetPixel(dc, x, y + 1), RGB(255, 255, 255)) << x << "," << y;
    }
    EXPECT_EQ(GetPixel(dc, 57, y), face) << y;
  }
  // Labels in black at the left edge, about the marks.
  int ink = 0;
  for (int y = 0; y < 216; ++y)
    for (int x = 0; x < 27; ++x) ink += GetPixel(dc, x, y) == RGB(0, 0, 0);
  EXPECT_GT(ink, 30);
  ReleaseDC(strip, dc);

  // Off: the control's own paint alone.
  g_viewSettings.showMemScale = false;
  RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  dc = GetDC(strip);
  EXPECT_EQ(GetPixel(dc, 30, 46), face);
  ReleaseDC(strip, dc);
  g_scaleStripPreviousProc = nullptr;
  g_labelTextHeight = 0;
}

}  // namespace
