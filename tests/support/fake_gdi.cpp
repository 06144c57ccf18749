#include "support/fake_gdi.h"

#include "meter/gauge.h"

namespace {
template <class T>
T Handle(uintptr_t v) {
  return reinterpret_cast<T>(v);
}
}  // namespace

FakeGdi::FakeGdi() : previous_(SetGdiApi(this)) {
  stockPen_ = NewObject(kPen, false);  // black
  stockFont_ = NewObject(kFont, false);
  objects_[stockFont_].fontHeight = 16;
  stockBitmap_ = NewObject(kBitmap, false);
  objects_[stockBitmap_].surface.width = objects_[stockBitmap_].surface.height = 1;
}

FakeGdi::~FakeGdi() { SetGdiApi(previous_); }

WindowProcRef FakeGdi::StaticProc() { return Handle<WindowProcRef>(0x51A71C); }
WindowProcRef FakeGdi::GaugeProc() { return Handle<WindowProcRef>(0x6A06E); }

void FakeGdi::Surface::Put(int32_t x, int32_t y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < width && y < height) pixels[{x, y}] = c;
}

uint32_t FakeGdi::Surface::Get(int32_t x, int32_t y) const {
  auto it = pixels.find({x, y});
  return it == pixels.end() ? kUnpainted : it->second;
}

GdiObject FakeGdi::NewObject(Kind kind, bool ours) {
  GdiObject o = Handle<GdiObject>(next_++);
  Object obj;
  obj.kind = kind;
  obj.ours = ours;
  objects_[o] = obj;
  return o;
}

FakeGdi::Object* FakeGdi::Obj(GdiObject o) {
  auto it = objects_.find(o);
  return it == objects_.end() || it->second.deleted ? nullptr : &it->second;
}

const FakeGdi::Object* FakeGdi::Obj(GdiObject o) const {
  auto it = objects_.find(o);
  return it == objects_.end() || it->second.deleted ? nullptr : &it->second;
}

FakeGdi::Dc* FakeGdi::GetDc(DcHandle dc) {
  auto it = dcs_.find(dc);
  return it == dcs_.end() || it->second.freed ? nullptr : &it->second;
}

const FakeGdi::Dc* FakeGdi::GetDc(DcHandle dc) const {
  auto it = dcs_.find(dc);
  return it == dcs_.end() || it->second.freed ? nullptr : &it->second;
}

FakeGdi::Surface* FakeGdi::Target(DcHandle dc) {
  Dc* d = GetDc(dc);
  if (!d) return nullptr;
  if (d->window) return &windows_[d->window].surface;
  Object* b = Obj(d->bitmap);
  return b ? &b->surface : nullptr;
}

const FakeGdi::Surface* FakeGdi::Target(DcHandle dc) const {
  const Dc* d = GetDc(dc);
  if (!d) return nullptr;
  if (d->window) return &windows_.at(d->window).surface;
  const Object* b = Obj(d->bitmap);
  return b ? &b->surface : nullptr;
}

bool FakeGdi::Selected(GdiObject o) const {
  for (const auto& kv : dcs_) {
    const Dc& d = kv.second;
    if (!d.freed && (d.pen == o || d.font == o || d.bitmap == o)) return true;
  }
  return false;
}

WindowHandle FakeGdi::AddWindow(int32_t width, int32_t height, GdiObject font) {
  WindowHandle w = Handle<WindowHandle>(next_++);
  Window& win = windows_[w];
  win.surface.width = width;
  win.surface.height = height;
  win.font = font;
  win.proc = StaticProc();
  return w;
}

void FakeGdi::Resize(WindowHandle w, int32_t width, int32_t height) {
  windows_[w].surface.width = width;
  windows_[w].surface.height = height;
}

GdiObject FakeGdi::AddFont(int32_t height, int32_t externalLeading) {
  GdiObject f = NewObject(kFont, false);
  objects_[f].fontHeight = height;
  objects_[f].fontLeading = externalLeading;
  return f;
}

DcHandle FakeGdi::AddMemoryDc(int32_t width, int32_t height) {
  GdiObject bitmap = NewObject(kBitmap, false);
  objects_[bitmap].surface.width = width;
  objects_[bitmap].surface.height = height;
  DcHandle dc = Handle<DcHandle>(next_++);
  Dc& d = dcs_[dc];
  d.ownedByTest = true;
  d.pen = stockPen_;
  d.font = stockFont_;
  d.bitmap = bitmap;
  return dc;
}

uint32_t FakeGdi::WindowPixel(WindowHandle w, int32_t x, int32_t y) const {
  return windows_.at(w).surface.Get(x, y);
}

uint32_t FakeGdi::DcPixel(DcHandle dc, int32_t x, int32_t y) const {
  const Surface* s = Target(dc);
  return s ? s->Get(x, y) : kUnpainted;
}

GdiObject FakeGdi::SelectedPen(DcHandle dc) const { return dcs_.at(dc).pen; }
GdiObject FakeGdi::SelectedFont(DcHandle dc) const { return dcs_.at(dc).font; }
GdiObject FakeGdi::SelectedBitmap(DcHandle dc) const { return dcs_.at(dc).bitmap; }
int32_t FakeGdi::BkMode(DcHandle dc) const { return dcs_.at(dc).bkMode; }
WindowProcRef FakeGdi::Procedure(WindowHandle w) const { return windows_.at(w).proc; }

int FakeGdi::LiveObjects() const {
  int n = 0;
  for (const auto& kv : objects_) n += kv.second.ours && !kv.second.deleted;
  return n;
}

int FakeGdi::LiveMemoryDcs() const {
  int n = 0;
  for (const auto& kv : dcs_) n += !kv.second.window && !kv.second.ownedByTest && !kv.second.freed;
  return n;
}

int FakeGdi::HeldWindowDcs() const {
  int n = 0;
  for (const auto& kv : dcs_) n += kv.second.window && !kv.second.freed;
  return n;
}

GdiObject FakeGdi::CreateSolidPen(uint32_t color) {
  if (pensCreated++ == failPenAt) return nullptr;
  GdiObject pen = NewObject(kPen, true);
  objects_[pen].color = color & 0xFFFFFF;
  return pen;
}

GdiObject FakeGdi::SelectObject(DcHandle dc, GdiObject object) {
  Dc* d = GetDc(dc);
  Object* o = Obj(object);
  if (!d || !o) return nullptr;
  GdiObject* slot = o->kind == kPen ? &d->pen : o->kind == kFont ? &d->font : &d->bitmap;
  if (o->kind == kBitmap && d->window) return nullptr;  // only memory contexts hold bitmaps
  if (o->kind == kBitmap && object != *slot && Selected(object)) {
    Error("bitmap selected into two contexts");
    return nullptr;
  }
  GdiObject old = *slot;
  *slot = object;
  return old;
}

bool FakeGdi::DeleteObject(GdiObject object) {
  auto it = objects_.find(object);
  if (it == objects_.end() || it->second.deleted) {
    Error("delete of an object that does not exist");
    return false;
  }
  if (!it->second.ours) Error("delete of an object the code did not make");
  if (Selected(object)) {
    Error("delete of a selected object");
    return false;
  }
  it->second.deleted = true;
  return true;
}

void FakeGdi::MoveTo(DcHandle dc, int32_t x, int32_t y) {
  Dc* d = GetDc(dc);
  if (!d) return;
  d->curX = x;
  d->curY = y;
}

void FakeGdi::LineTo(DcHandle dc, int32_t x, int32_t y) {
  Dc* d = GetDc(dc);
  if (!d) return;
  const Object* pen = Obj(d->pen);
  uint32_t color = pen ? pen->color : 0;
  lines.push_back({dc, d->curX, d->curY, x, y, color});
  Surface* s = Target(dc);
  if (s && d->curY == y) {
    for (int64_t px = d->curX; px != x; px += (x > d->curX ? 1 : -1))
      s->Put(static_cast<int32_t>(px), y, color);
  } else if (s && d->curX == x) {
    for (int64_t py = d->curY; py != y; py += (y > d->curY ? 1 : -1))
      s->Put(x, static_cast<int32_t>(py), color);
  }
  d->curX = x;
  d->curY = y;
}

int32_t FakeGdi::SetBkMode(DcHandle dc, int32_t mode) {
  Dc* d = GetDc(dc);
  if (!d) return 0;
  int32_t old = d->bkMode;
  d->bkMode = mode;
  return old;
}

GdiObject FakeGdi::GetWindowFont(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.font;
}

bool FakeGdi::GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) {
  ++textMetricsCalls;
  Dc* d = GetDc(dc);
  const Object* f = d ? Obj(d->font) : nullptr;
  if (!f) return false;
  *height = f->fontHeight;
  *externalLeading = f->fontLeading;
  return true;
}

void FakeGdi::TextOut(DcHandle dc, int32_t x, int32_t y, const ZChar* text, int32_t units) {
  Dc* d = GetDc(dc);
  if (!d) return;
  texts.push_back({dc, x, y, ZString(text, units), d->font, d->bkMode});
}

bool FakeGdi::GetClientRect(WindowHandle window, ZRect* rect) {
  ++clientRectCalls;
  auto it = windows_.find(window);
  if (it == windows_.end()) return false;
  *rect = {0, 0, it->second.surface.width, it->second.surface.height};
  return true;
}

DcHandle FakeGdi::GetDC(WindowHandle window) {
  ++getDcCalls;
  if (!windows_.count(window)) return nullptr;
  DcHandle dc = Handle<DcHandle>(next_++);
  Dc& d = dcs_[dc];
  d.window = window;
  d.pen = stockPen_;
  d.font = stockFont_;
  return dc;
}

void FakeGdi::ReleaseDC(WindowHandle window, DcHandle dc) {
  Dc* d = GetDc(dc);
  if (!d || !d->window || d->window != window) {
    if (dc) Error("release of a context that is not the window's");
    return;
  }
  d->freed = true;
}

DcHandle FakeGdi::CreateCompatibleDC(DcHandle) {
  ++memoryDcsCreated;
  if (failMemoryDcs) return nullptr;
  DcHandle dc = Handle<DcHandle>(next_++);
  Dc& d = dcs_[dc];
  d.pen = stockPen_;
  d.font = stockFont_;
  d.bitmap = stockBitmap_;
  return dc;
}

GdiObject FakeGdi::CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) {
  ++bitmapsCreated;
  const Dc* d = GetDc(dc);
  if (failBitmaps || !d) return nullptr;
  // Made for a memory context it would be a monochrome 1x1 bitmap: useless here.
  if (!d->window) Error("bitmap made compatible with a memory context");
  GdiObject b = NewObject(kBitmap, true);
  objects_[b].surface.width = width;
  objects_[b].surface.height = height;
  return b;
}

bool FakeGdi::DeleteDC(DcHandle dc) {
  Dc* d = GetDc(dc);
  if (!d || d->window || d->ownedByTest) {
    Error("DeleteDC of a context that is not a live memory context");
    return false;
  }
  d->freed = true;
  return true;
}

void FakeGdi::BitBlt(DcHandle dst, int32_t x, int32_t y, int32_t width, int32_t height,
                     DcHandle src, int32_t srcX, int32_t srcY) {
  blits.push_back({dst, x, y, width, height, src, srcX, srcY});
  Surface* to = Target(dst);
  const Surface* from = Target(src);
  if (!to || !from) return;
  for (int32_t j = 0; j < height; ++j)
    for (int32_t i = 0; i < width; ++i) {
      int32_t sx = srcX + i, sy = srcY + j;
      if (sx < 0 || sy < 0 || sx >= from->width || sy >= from->height) continue;
      to->Put(x + i, y + j, from->Get(sx, sy));
    }
}

void FakeGdi::Repaint(WindowHandle window) {
  ++repaints;
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  WindowProcRef proc = it->second.proc;
  if (proc == GaugeProc())
    HandleGaugeMessage(window, kWmPaint, 0, 0);
  else
    CallWindowProc(proc, window, kWmPaint, 0, 0);
}

WindowProcRef FakeGdi::SetWindowProc(WindowHandle window, WindowProcRef proc) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return nullptr;
  WindowProcRef old = it->second.proc;
  it->second.proc = proc;
  return old;
}

intptr_t FakeGdi::CallWindowProc(WindowProcRef proc, WindowHandle window, uint32_t message,
                                 uintptr_t, intptr_t) {
  calls.push_back({proc, message});
  auto it = windows_.find(window);
  if (proc == StaticProc() && message == kWmPaint && it != windows_.end()) {
    Surface& s = it->second.surface;
    for (int32_t y = 0; y < s.height; ++y)
      for (int32_t x = 0; x < s.width; ++x) s.Put(x, y, kStaticBackground);
  }
  return previousResult;
}

intptr_t FakeGdi::DefaultWindowProc(WindowHandle, uint32_t message, uintptr_t, intptr_t) {
  calls.push_back({nullptr, message});
  return 0;
}
