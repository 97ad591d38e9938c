// Pixel surfaces and the drawing internals the window module builds on: window DCs, the
// surface-changed hook, composition helpers, bitmaps from pixel data and PNG output.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace plat::detail {

// Pixels are 32-bit XRGB (0x00RRGGBB); COLORREF is 0x00BBGGRR.
constexpr uint32_t PixelFromColor(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixel(uint32_t p) {
  return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
constexpr uint32_t kWhitePixel = 0x00FFFFFFu;
constexpr uint32_t kBlackPixel = 0x00000000u;

// A persistent 32-bit pixel buffer with its own lock. Every drawing primitive holds the lock for
// its whole run; two surfaces are always locked in Id() order (LockPair).
class Surface {
 public:
  Surface(int width, int height, uint32_t fill = kWhitePixel);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Creation order, unique: the lock order between surfaces.
  uint64_t Id() const { return id_; }
  std::mutex& Mutex() const { return mutex_; }
  // Bumped by every change of the pixels or the size.
  uint64_t Version() const { return version_.load(std::memory_order_acquire); }

  // ---- With Mutex() held ----
  int WidthLocked() const { return width_; }
  int HeightLocked() const { return height_; }
  uint32_t* PixelsLocked() { return pixels_.data(); }
  const uint32_t* PixelsLocked() const { return pixels_.data(); }
  void TouchLocked() { version_.fetch_add(1, std::memory_order_acq_rel); }

  // ---- Taking the lock ----
  // New size; negative sizes become 0. The kept part keeps its pixels, new area is white.
  void Resize(int width, int height);
  SIZE Size() const;
  // The pixel at (x, y), or CLR_INVALID outside.
  uint32_t Pixel(int x, int y) const;
  // Copy of every pixel, rows top to bottom.
  std::vector<uint32_t> Snapshot(int* width, int* height) const;
  // How many pixels inside rc (clipped to the surface) have this value.
  size_t CountPixels(RECT rc, uint32_t pixel) const;

 private:
  const uint64_t id_;
  mutable std::mutex mutex_;
  std::atomic<uint64_t> version_{0};
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Locks one or two surfaces in Id() order (once when they are the same).
class SurfaceLocks {
 public:
  SurfaceLocks(const Surface& a, const Surface& b);
  explicit SurfaceLocks(const Surface& a) : SurfaceLocks(a, a) {}

 private:
  std::unique_lock<std::mutex> first_;
  std::unique_lock<std::mutex> second_;
};

// ---- Composition (each call takes the locks it needs) ----------------------------------------
// Fills rc (clipped to the surface) with one pixel value.
void FillSurface(Surface& dst, RECT rc, uint32_t pixel);
// Copies src's rectangle srcRect to dst at `at`, writing only inside dstClip (dst coordinates).
// Source pixels outside src leave dst unchanged. dst and src may be the same surface.
void CopySurface(Surface& dst, POINT at, const Surface& src, RECT srcRect, RECT dstClip);

// Writes the surface as an 8-bit RGB PNG. False (and no file left behind) on failure.
bool SaveSurfacePng(const Surface& surface, const char* path);

// ---- Window DCs ------------------------------------------------------------------------------
// A DC drawing into `surface` (GetDC, BeginPaint, or the layer's own frame drawing onto a screen
// surface). Logical (0,0) lies at `origin` in the surface. Drawing is clipped to the surface's
// current size and, when `clip` is given, to the union of its rectangles (surface coordinates, may
// overlap): an empty list clips everything away (a paint DC with no update region). NULL `clip`
// follows the whole surface through resizes (GetDC). The DC starts in the default state.
HDC CreateSurfaceDc(std::shared_ptr<Surface> surface, POINT origin, const std::vector<RECT>* clip, HWND owner,
                    bool paintDc);
// ReleaseDC / EndPaint: frees a DC made by CreateSurfaceDc. False for a stale handle or a memory DC.
bool ReleaseSurfaceDc(HDC hdc);
// The window is being destroyed: every DC it owns is freed, so later calls on them fail harmlessly.
void RetireWindowDcs(HWND owner);
// The owner and kind of a window DC; false for memory DCs and stale handles.
bool SurfaceDcInfo(HDC hdc, HWND* owner, bool* paintDc);

// Called after every primitive that changed pixels through a DC with an owner window, with no GDI
// lock held, from the drawing thread (the window module marks the screen dirty and wakes its UI
// thread).
using SurfaceChangedHook = void (*)(HWND owner);
void SetSurfaceChangedHook(SurfaceChangedHook hook);

// ---- Bitmaps ---------------------------------------------------------------------------------
// A bitmap holding a copy of w*h XRGB pixels (rows top to bottom). GetObject reports bitsPixel
// (32, or 24 for an image converted from 24 bits). NULL for negative or oversized dimensions.
HBITMAP CreateBitmapFromPixels(int width, int height, const uint32_t* pixels, int bitsPixel);
// The pixels behind a bitmap handle, or nullptr.
std::shared_ptr<Surface> BitmapSurface(HBITMAP bitmap);

// The colour a brush paints: solid and stock brushes, and (HBRUSH)(COLOR_xxx + 1). False for
// NULL_BRUSH and invalid handles.
bool BrushColor(HBRUSH brush, COLORREF* colour);

}  // namespace plat::detail
