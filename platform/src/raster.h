// The rasteriser: clipped spans, lines, shapes and focus rectangles on a locked pixel buffer.
// Coordinates are device pixels in 64 bits, clamped to +-2^24 before any arithmetic, so far-off
// values never overflow and never cost time: only the visible part of a primitive is walked.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::detail {

constexpr int64_t kCoordLimit = int64_t{1} << 24;
constexpr int64_t ClampCoord(int64_t v) { return v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : v; }

// Half-open rectangle [l, r) x [t, b).
struct IRect {
  int64_t l = 0, t = 0, r = 0, b = 0;
  bool Empty() const { return l >= r || t >= b; }
};
IRect Intersect(const IRect& a, const IRect& b);

// Disjoint rectangles, every write goes through them.
class ClipList {
 public:
  // Adds the part of r not yet covered.
  void Add(const IRect& r);
  // Keeps only the part inside r.
  void Intersect(const IRect& r);
  const std::vector<IRect>& Rects() const { return rects_; }
  bool Empty() const { return rects_.empty(); }
  IRect Bounds() const;
  bool Contains(int64_t x, int64_t y) const;

 private:
  std::vector<IRect> rects_;
};

// A locked pixel buffer seen through a clip that lies inside it.
struct Canvas {
  uint32_t* pixels;
  int64_t width;
  const ClipList* clip;

  void Fill(const IRect& r, uint32_t px) const;
  void Set(int64_t x, int64_t y, uint32_t px) const;
  // XOR with 0xFFFFFF of one pixel (drawn once per call by the caller).
  void Invert(int64_t x, int64_t y) const;
};

struct RasterPen {
  int width;  // >= 1
  uint32_t pixel;
};

// A line from (x0,y0) to (x1,y1), endpoints in any 64-bit range: a 1-px pen draws the start pixel
// and not the end pixel; a wider pen stamps a width x width square on every pixel of the path,
// both ends included; a zero-length line draws one stamp.
void RasterLine(const Canvas& c, int64_t x0, int64_t y0, int64_t x1, int64_t y1, const RasterPen& pen);

// Closed shapes in the box [l, r) x [t, b) (clamped coordinates): the outline with the pen (if any)
// and the inside with the brush (if any). RoundRect corners are quarter-ellipses of cw x ch.
enum class ShapeKind { Rectangle, Ellipse, RoundRect };
void RasterShape(const Canvas& c, ShapeKind kind, IRect box, int64_t cw, int64_t ch, const RasterPen* pen,
                 const uint32_t* brush);

// Inverts every second pixel of the border of r, each pixel once.
void RasterFocusRect(const Canvas& c, IRect r);

}  // namespace plat::detail
