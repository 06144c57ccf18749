// A child window's drawing kept in a memory bitmap of its size: drawn into as
// things change, copied to the screen only where a paint asks.
#pragma once
#include <windows.h>

struct MemoryBitmap {
  HDC dc = nullptr;  // null while the window has no area
  HBITMAP bitmap = nullptr, oldBitmap = nullptr;
};

// Frees the bitmap and its DC, if any.
void ReleaseMemoryBitmap(MemoryBitmap* m);
// A new bitmap of width x height for the window's screen, undrawn; false,
// with none, for an empty size or when the system refuses one.
bool ResizeMemoryBitmap(MemoryBitmap* m, HWND window, int width, int height);
// WM_PAINT: the bitmap where the paint asks, or the window colour without one.
void PaintMemoryBitmap(HWND window, const MemoryBitmap& m);
