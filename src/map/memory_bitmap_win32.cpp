#include "map/memory_bitmap_win32.h"

void ReleaseMemoryBitmap(MemoryBitmap* m) {
  if (!m->dc) return;
  SelectObject(m->dc, m->oldBitmap);
  DeleteObject(m->bitmap);
  DeleteDC(m->dc);
  m->dc = nullptr;
  m->bitmap = m->oldBitmap = nullptr;
}

bool ResizeMemoryBitmap(MemoryBitmap* m, HWND window, int width, int height) {
  ReleaseMemoryBitmap(m);
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(window);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
  ReleaseDC(window, screen);
  if (!bitmap) {
    if (dc) DeleteDC(dc);
    return false;
  }
  m->dc = dc;
  m->bitmap = bitmap;
  m->oldBitmap = static_cast<HBITMAP>(SelectObject(dc, bitmap));
  return true;
}

void PaintMemoryBitmap(HWND window, const MemoryBitmap& m) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const RECT& r = ps.rcPaint;
  if (m.dc) {
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m.dc, r.left, r.top, SRCCOPY);
  } else {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  }
  EndPaint(window, &ps);
}
