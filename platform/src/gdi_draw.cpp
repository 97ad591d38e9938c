// DC state and the drawing calls: fills, shapes, lines, pixels, focus rectangles and BitBlt.
#include <algorithm>
#include <cstring>
#include <utility>

#include "core.h"
#include "gdi_internal.h"

namespace plat::detail {

ClipList DeviceClip(const DcObject& dc, const RECT* extraClip) {
  const Surface& s = dc.Target();
  const IRect bounds{0, 0, s.WidthLocked(), s.HeightLocked()};
  ClipList clip;
  if (dc.wholeSurface) {
    clip.Add(bounds);
  } else {
    clip = dc.clip;
    clip.Intersect(bounds);
  }
  if (extraClip) clip.Intersect(DevBox(dc, *extraClip));
  return clip;
}

test::DrawEntry LogEntry(const DcObject& dc, test::DrawOp op, const ClipList& clip) {
  test::DrawEntry e;
  e.op = op;
  e.window = dc.owner;
  e.dc = static_cast<HDC>(dc.handle);
  const FontFace& face = dc.font->Face();
  e.fontCell = face.cell;
  e.fontWeight = face.bold ? FW_BOLD : FW_NORMAL;
  e.textColor = dc.textColour;
  e.bkColor = dc.bkColour;
  e.bkMode = dc.bkMode;
  e.penColor = dc.pen->colour;
  e.penWidth = dc.pen->style == PS_NULL ? 0 : dc.pen->width;
  e.brushColor = dc.brush->colour;
  e.nullBrush = dc.brush->null;
  const IRect b = clip.Bounds();
  e.clip = RECT{static_cast<LONG>(b.l - dc.origin.x), static_cast<LONG>(b.t - dc.origin.y),
                static_cast<LONG>(b.r - dc.origin.x), static_cast<LONG>(b.b - dc.origin.y)};
  return e;
}

DrawScope::DrawScope(DcObject& dc, const RECT* extraClip)
    : dc_(dc),
      dcLock_(dc.mutex),
      surfaceLock_(dc.Target().Mutex()),
      clip_(DeviceClip(dc, extraClip)),
      canvas_{dc.Target().PixelsLocked(), dc.Target().WidthLocked(), &clip_},
      logging_(DrawLogEnabled()) {}

DrawScope::~DrawScope() {
  if (changed_) dc_.Target().TouchLocked();
  surfaceLock_.unlock();
  const HWND owner = dc_.owner;
  dcLock_.unlock();
  if (changed_ && owner) NotifySurfaceChanged(owner);
  for (auto& e : entries_) RecordDraw(std::move(e));
}

}  // namespace plat::detail

using namespace plat::detail;
using plat::test::DrawOp;

namespace {

LONG ToLong(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

const RasterPen* PenOf(const DcObject& dc, RasterPen* out) {
  if (dc.pen->style == PS_NULL) return nullptr;
  *out = RasterPen{dc.pen->width, PixelFromColor(dc.pen->colour)};
  return out;
}

const uint32_t* BrushOf(const DcObject& dc, uint32_t* px) {
  if (dc.brush->null) return nullptr;
  *px = PixelFromColor(dc.brush->colour);
  return px;
}

BOOL Shape(HDC hdc, ShapeKind kind, DrawOp op, int l, int t, int r, int b, int cw, int ch) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  DrawScope scope(*dc);
  RasterPen pen;
  uint32_t brush;
  RasterShape(scope.canvas(), kind, IRect{DevX(*dc, l), DevY(*dc, t), DevX(*dc, r), DevY(*dc, b)}, cw, ch,
              PenOf(*dc, &pen), BrushOf(*dc, &brush));
  scope.Changed();
  if (scope.Logging()) {
    auto e = scope.Entry(op);
    e.x = l;
    e.y = t;
    e.rect = RECT{l, t, r, b};
    if (kind == ShapeKind::RoundRect) e.points = {POINT{cw, ch}};
    scope.Log(std::move(e));
  }
  return TRUE;
}

}  // namespace

// ---- DC state --------------------------------------------------------------------------------
int SetBkMode(HDC hdc, int mode) {
  auto dc = FindDc(hdc);
  if (!dc) return 0;
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> lock(dc->mutex);
  return std::exchange(dc->bkMode, mode);
}

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  std::lock_guard<std::mutex> lock(dc->mutex);
  return std::exchange(dc->bkColour, colour & 0x00FFFFFFu);
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  std::lock_guard<std::mutex> lock(dc->mutex);
  return std::exchange(dc->textColour, colour & 0x00FFFFFFu);
}

UINT SetTextAlign(HDC hdc, UINT align) {
  auto dc = FindDc(hdc);
  if (!dc) return GDI_ERROR;
  std::lock_guard<std::mutex> lock(dc->mutex);
  return std::exchange(dc->textAlign, align);
}

// ---- Fills and shapes ------------------------------------------------------------------------
int FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  auto dc = FindDc(hdc);
  if (!dc) return 0;
  if (!rc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  COLORREF colour = 0;
  if (!BrushColor(brush, &colour)) {
    auto obj = FindGdiObject(brush);
    if (obj && obj->kind == GdiKind::Brush) return 1;  // NULL_BRUSH: nothing to fill
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  DrawScope scope(*dc);
  scope.canvas().Fill(DevBox(*dc, *rc), PixelFromColor(colour));
  scope.Changed();
  if (scope.Logging()) {
    auto e = scope.Entry(DrawOp::FillRect);
    e.x = rc->left;
    e.y = rc->top;
    e.rect = *rc;
    e.brushColor = colour;
    e.nullBrush = false;
    scope.Log(std::move(e));
  }
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return Shape(hdc, ShapeKind::Rectangle, DrawOp::Rectangle, left, top, right, bottom, 0, 0);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return Shape(hdc, ShapeKind::Ellipse, DrawOp::Ellipse, left, top, right, bottom, 0, 0);
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return Shape(hdc, ShapeKind::RoundRect, DrawOp::RoundRect, left, top, right, bottom, width, height);
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (!rc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DrawScope scope(*dc);
  RasterFocusRect(scope.canvas(), DevBox(*dc, *rc));
  scope.Changed();
  if (scope.Logging()) {
    auto e = scope.Entry(DrawOp::FocusRect);
    e.x = rc->left;
    e.y = rc->top;
    e.rect = *rc;
    scope.Log(std::move(e));
  }
  return TRUE;
}

// ---- Lines -----------------------------------------------------------------------------------
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  std::lock_guard<std::mutex> lock(dc->mutex);
  if (old) *old = dc->pos;
  dc->pos = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  DrawScope scope(*dc);
  const POINT from = dc->pos;
  RasterPen pen;
  if (PenOf(*dc, &pen)) {
    RasterLine(scope.canvas(), int64_t{from.x} + dc->origin.x, int64_t{from.y} + dc->origin.y,
               int64_t{x} + dc->origin.x, int64_t{y} + dc->origin.y, pen);
    scope.Changed();
  }
  dc->pos = POINT{x, y};
  if (scope.Logging()) {
    auto e = scope.Entry(DrawOp::Line);
    e.x = from.x;
    e.y = from.y;
    e.points = {from, POINT{x, y}};
    scope.Log(std::move(e));
  }
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (count < 0 || (count > 0 && !pts)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DrawScope scope(*dc);
  RasterPen pen;
  if (count >= 2 && PenOf(*dc, &pen)) {
    const int64_t ox = dc->origin.x, oy = dc->origin.y;
    for (int i = 0; i + 1 < count; ++i) {
      RasterLine(scope.canvas(), pts[i].x + ox, pts[i].y + oy, pts[i + 1].x + ox, pts[i + 1].y + oy, pen);
    }
    scope.Changed();
  }
  if (scope.Logging() && count >= 2) {
    auto e = scope.Entry(DrawOp::Polyline);
    e.x = pts[0].x;
    e.y = pts[0].y;
    e.points.assign(pts, pts + count);
    scope.Log(std::move(e));
  }
  return TRUE;
}

// ---- Pixels ----------------------------------------------------------------------------------
COLORREF GetPixel(HDC hdc, int x, int y) {
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  DrawScope scope(*dc);
  const int64_t dx = DevX(*dc, x), dy = DevY(*dc, y);
  if (!scope.clip().Contains(dx, dy)) return CLR_INVALID;
  return ColorFromPixel(scope.canvas().pixels[dy * scope.canvas().width + dx]);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  DrawScope scope(*dc);
  const int64_t dx = DevX(*dc, x), dy = DevY(*dc, y);
  if (!scope.clip().Contains(dx, dy)) return CLR_INVALID;
  scope.canvas().Set(dx, dy, PixelFromColor(colour));
  scope.Changed();
  if (scope.Logging()) {
    auto e = scope.Entry(DrawOp::Pixel);
    e.x = x;
    e.y = y;
    e.rect = RECT{x, y, ToLong(int64_t{x} + 1), ToLong(int64_t{y} + 1)};
    e.penColor = colour & 0x00FFFFFFu;
    scope.Log(std::move(e));
  }
  return colour & 0x00FFFFFFu;
}

// ---- BitBlt ----------------------------------------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int sx, int sy, DWORD rop) {
  auto d = FindDc(dst);
  if (!d) return FALSE;
  auto s = FindDc(src);
  if (!s) return FALSE;
  if (rop != SRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (cx <= 0 || cy <= 0) return TRUE;
  // DCs, then surfaces, each pair in a fixed order.
  std::unique_lock<std::mutex> first, second;
  if (d == s) {
    first = std::unique_lock<std::mutex>(d->mutex);
  } else {
    const bool dFirst = reinterpret_cast<uintptr_t>(d->handle) < reinterpret_cast<uintptr_t>(s->handle);
    DcObject* lo = dFirst ? d.get() : s.get();
    DcObject* hi = lo == d.get() ? s.get() : d.get();
    first = std::unique_lock<std::mutex>(lo->mutex);
    second = std::unique_lock<std::mutex>(hi->mutex);
  }
  Surface& ds = d->Target();
  Surface& ss = s->Target();
  bool changed = false;
  std::vector<plat::test::DrawEntry> log;
  {
    SurfaceLocks locks(ds, ss);
    const ClipList clip = DeviceClip(*d, nullptr);
    // Destination block, and the offset from a destination pixel to its source pixel.
    IRect block{DevX(*d, x), DevY(*d, y), DevX(*d, int64_t{x} + cx), DevY(*d, int64_t{y} + cy)};
    const int64_t offX = (int64_t{sx} + s->origin.x) - (int64_t{x} + d->origin.x);
    const int64_t offY = (int64_t{sy} + s->origin.y) - (int64_t{y} + d->origin.y);
    const int64_t sw = ss.WidthLocked(), sh = ss.HeightLocked();
    block = Intersect(block, IRect{-offX, -offY, sw - offX, sh - offY});  // source must exist
    block = Intersect(block, clip.Bounds());
    if (!block.Empty()) {
      const int64_t dw = ds.WidthLocked();
      const uint32_t* sp = ss.PixelsLocked();
      uint32_t* dp = ds.PixelsLocked();
      // Within one surface the source is read through a copy first, so overlap cannot smear.
      std::vector<uint32_t> tmp;
      int64_t tmpStride = 0;
      if (&ds == &ss) {
        tmpStride = block.r - block.l;
        tmp.resize(static_cast<size_t>(tmpStride * (block.b - block.t)));
        for (int64_t yy = block.t; yy < block.b; ++yy) {
          std::memcpy(&tmp[static_cast<size_t>((yy - block.t) * tmpStride)], sp + (yy + offY) * sw + block.l + offX,
                      static_cast<size_t>(tmpStride) * sizeof(uint32_t));
        }
      }
      for (const IRect& c : clip.Rects()) {
        const IRect part = Intersect(block, c);
        if (part.Empty()) continue;
        const size_t n = static_cast<size_t>(part.r - part.l);
        for (int64_t yy = part.t; yy < part.b; ++yy) {
          const uint32_t* from = tmp.empty() ? sp + (yy + offY) * sw + part.l + offX
                                             : &tmp[static_cast<size_t>((yy - block.t) * tmpStride + (part.l - block.l))];
          std::memcpy(dp + yy * dw + part.l, from, n * sizeof(uint32_t));
        }
      }
      ds.TouchLocked();
      changed = true;
    }
    if (DrawLogEnabled()) {
      auto e = LogEntry(*d, DrawOp::BitBlt, clip);
      e.x = x;
      e.y = y;
      e.rect = RECT{x, y, ToLong(int64_t{x} + cx), ToLong(int64_t{y} + cy)};
      e.points = {POINT{sx, sy}};
      log.push_back(std::move(e));
    }
  }
  const HWND owner = d->owner;
  second = {};
  first = {};
  if (changed && owner) NotifySurfaceChanged(owner);
  for (auto& e : log) RecordDraw(std::move(e));
  return TRUE;
}
