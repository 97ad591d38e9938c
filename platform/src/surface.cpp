// Pixel surfaces and the composition helpers.
#include "surface.h"

#include <algorithm>
#include <cstring>

namespace plat::detail {
namespace {

std::atomic<uint64_t> g_nextSurfaceId{1};

// rc clipped to [0, w) x [0, h); false when nothing is left.
bool ClipToSize(RECT* rc, int w, int h) {
  rc->left = std::max<LONG>(rc->left, 0);
  rc->top = std::max<LONG>(rc->top, 0);
  rc->right = std::min<LONG>(rc->right, w);
  rc->bottom = std::min<LONG>(rc->bottom, h);
  return rc->left < rc->right && rc->top < rc->bottom;
}

}  // namespace

Surface::Surface(int width, int height, uint32_t fill)
    : id_(g_nextSurfaceId.fetch_add(1)),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

void Surface::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::lock_guard<std::mutex> lock(mutex_);
  if (width == width_ && height == height_) return;
  std::vector<uint32_t> next(static_cast<size_t>(width) * static_cast<size_t>(height), kWhitePixel);
  const int keepW = std::min(width, width_);
  const int keepH = std::min(height, height_);
  for (int y = 0; keepW > 0 && y < keepH; ++y) {
    std::memcpy(next.data() + static_cast<size_t>(y) * width, pixels_.data() + static_cast<size_t>(y) * width_,
                sizeof(uint32_t) * static_cast<size_t>(keepW));
  }
  pixels_.swap(next);
  width_ = width;
  height_ = height;
  TouchLocked();
}

SIZE Surface::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return SIZE{width_, height_};
}

uint32_t Surface::Pixel(int x, int y) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

std::vector<uint32_t> Surface::Snapshot(int* width, int* height) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (width) *width = width_;
  if (height) *height = height_;
  return pixels_;
}

size_t Surface::CountPixels(RECT rc, uint32_t pixel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ClipToSize(&rc, width_, height_)) return 0;
  size_t n = 0;
  for (LONG y = rc.top; y < rc.bottom; ++y) {
    const uint32_t* row = &pixels_[static_cast<size_t>(y) * width_];
    n += static_cast<size_t>(std::count(row + rc.left, row + rc.right, pixel));
  }
  return n;
}

SurfaceLocks::SurfaceLocks(const Surface& a, const Surface& b) {
  const Surface* lo = a.Id() <= b.Id() ? &a : &b;
  const Surface* hi = lo == &a ? &b : &a;
  first_ = std::unique_lock<std::mutex>(lo->Mutex());
  if (hi != lo) second_ = std::unique_lock<std::mutex>(hi->Mutex());
}

void FillSurface(Surface& dst, RECT rc, uint32_t pixel) {
  std::lock_guard<std::mutex> lock(dst.Mutex());
  const int w = dst.WidthLocked();
  if (!ClipToSize(&rc, w, dst.HeightLocked())) return;
  uint32_t* px = dst.PixelsLocked();
  for (LONG y = rc.top; y < rc.bottom; ++y) {
    std::fill(px + static_cast<size_t>(y) * w + rc.left, px + static_cast<size_t>(y) * w + rc.right, pixel);
  }
  dst.TouchLocked();
}

void CopySurface(Surface& dst, POINT at, const Surface& src, RECT srcRect, RECT dstClip) {
  SurfaceLocks locks(dst, src);
  const int sw = src.WidthLocked();
  const int dw = dst.WidthLocked();
  // Work in 64 bits: at + offsets may lie far outside.
  int64_t sl = srcRect.left, st = srcRect.top, sr = srcRect.right, sb = srcRect.bottom;
  sl = std::max<int64_t>(sl, 0);
  st = std::max<int64_t>(st, 0);
  sr = std::min<int64_t>(sr, sw);
  sb = std::min<int64_t>(sb, src.HeightLocked());
  const int64_t dx = static_cast<int64_t>(at.x) - srcRect.left;
  const int64_t dy = static_cast<int64_t>(at.y) - srcRect.top;
  int64_t l = std::max<int64_t>({sl + dx, dstClip.left, 0});
  int64_t t = std::max<int64_t>({st + dy, dstClip.top, 0});
  int64_t r = std::min<int64_t>({sr + dx, dstClip.right, dw});
  int64_t b = std::min<int64_t>({sb + dy, dstClip.bottom, dst.HeightLocked()});
  if (l >= r || t >= b) return;
  const uint32_t* sp = src.PixelsLocked();
  uint32_t* dp = dst.PixelsLocked();
  const size_t n = static_cast<size_t>(r - l);
  auto copyRow = [&](int64_t y) {
    std::memmove(dp + y * dw + l, sp + (y - dy) * sw + (l - dx), n * sizeof(uint32_t));
  };
  // Same surface: order the rows so that no source row is overwritten before it is read.
  if (&dst == &src && dy > 0) {
    for (int64_t y = b - 1; y >= t; --y) copyRow(y);
  } else {
    for (int64_t y = t; y < b; ++y) copyRow(y);
  }
  dst.TouchLocked();
}

}  // namespace plat::detail
