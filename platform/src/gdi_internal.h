// Internals shared by the GDI sources: the object table, DC state and the draw log.
#pragma once

#include <windows.h>
#include <plat/test_gdi.h>

#include <memory>
#include <mutex>
#include <vector>

#include "font.h"
#include "raster.h"
#include "surface.h"

namespace plat::detail {

enum class GdiKind { Pen, Brush, Font, Bitmap, Dc };

// Objects live in the GDI table under handles from the one counter. Stock objects are never freed.
// `selections` and `deletePending` are guarded by the table lock: an object deleted while selected
// stays until its last DC lets it go.
struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  const GdiKind kind;
  HGDIOBJ handle = nullptr;
  bool stock = false;
  int selections = 0;
  bool deletePending = false;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(GdiKind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF colour = 0;
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(GdiKind::Brush) {}
  bool null = false;
  COLORREF colour = 0;
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::Font) {}
  bool system = false;  // the stock fonts: the current profile's system font
  int cell = 14;
  bool bold = false;
  LOGFONTW logFont{};
  const FontFace& Face() const;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(GdiKind::Bitmap) {}
  std::shared_ptr<Surface> surface;
  int bitsPixel = 32;
};

struct DcObject : GdiObject {
  DcObject() : GdiObject(GdiKind::Dc) {}
  // One call at a time on a DC; taken before the table lock and before any surface lock.
  std::mutex mutex;
  bool memory = false;
  std::shared_ptr<Surface> surface;  // window DCs; memory DCs draw into bitmap->surface
  POINT origin{0, 0};
  bool wholeSurface = true;  // memory DCs and GetDC: clip to the surface only
  ClipList clip;             // otherwise: these rectangles, in surface coordinates
  HWND owner = nullptr;
  bool paint = false;

  std::shared_ptr<PenObject> pen;
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<FontObject> font;
  std::shared_ptr<BitmapObject> bitmap;
  COLORREF textColour = 0x000000;
  COLORREF bkColour = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = TA_TOP | TA_LEFT;
  POINT pos{0, 0};

  Surface& Target() const { return memory ? *bitmap->surface : *surface; }
};

// ---- Table (gdi_objects.cpp) -----------------------------------------------------------------
std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ h);  // stock or live; else nullptr + ERROR_INVALID_HANDLE
std::shared_ptr<DcObject> FindDc(HDC h);

// ---- Drawing through a DC (gdi_draw.cpp) -----------------------------------------------------
// The device clip of a DC on its locked target surface, optionally narrowed by a logical rectangle.
ClipList DeviceClip(const DcObject& dc, const RECT* extraClip);
// Logical to device coordinates, clamped to +-2^24.
inline int64_t DevX(const DcObject& dc, int64_t x) { return ClampCoord(x + dc.origin.x); }
inline int64_t DevY(const DcObject& dc, int64_t y) { return ClampCoord(y + dc.origin.y); }
inline IRect DevBox(const DcObject& dc, const RECT& r) {
  return IRect{DevX(dc, r.left), DevY(dc, r.top), DevX(dc, r.right), DevY(dc, r.bottom)};
}
// A draw-log entry with the DC's window, state and the given clip (device) filled in.
test::DrawEntry LogEntry(const DcObject& dc, test::DrawOp op, const ClipList& clip);

// One primitive on one DC: locks the DC, then its target surface, and works out the device clip.
// When it ends it bumps the surface version if Changed(), unlocks, then calls the surface-changed
// hook and writes the queued draw-log entries.
class DrawScope {
 public:
  explicit DrawScope(DcObject& dc, const RECT* extraClip = nullptr);
  ~DrawScope();
  DrawScope(const DrawScope&) = delete;
  DrawScope& operator=(const DrawScope&) = delete;

  DcObject& dc() const { return dc_; }
  const Canvas& canvas() const { return canvas_; }
  const ClipList& clip() const { return clip_; }
  void Changed() { changed_ = true; }
  bool Logging() const { return logging_; }
  test::DrawEntry Entry(test::DrawOp op) const { return LogEntry(dc_, op, clip_); }
  void Log(test::DrawEntry e) { entries_.push_back(std::move(e)); }

 private:
  DcObject& dc_;
  std::unique_lock<std::mutex> dcLock_;
  std::unique_lock<std::mutex> surfaceLock_;
  ClipList clip_;
  Canvas canvas_;
  bool changed_ = false;
  const bool logging_;
  std::vector<test::DrawEntry> entries_;
};

// ---- Draw log (gdi_log.cpp) ------------------------------------------------------------------
bool DrawLogEnabled();
void RecordDraw(test::DrawEntry e);
void SetDrawLogEnabled(bool on);
std::vector<test::DrawEntry> DrawLogCopy();
void ClearDrawLog();
void ResetDrawLog();

// ---- Counter and reset (gdi_objects.cpp) -----------------------------------------------------
size_t LiveGdiObjectCount();

// ---- Hook (gdi_objects.cpp) ------------------------------------------------------------------
void NotifySurfaceChanged(HWND owner);

}  // namespace plat::detail
