// The rasteriser. Every primitive walks only the rows or steps that can reach the clip, with 64-bit
// (and for ellipses 128-bit) arithmetic on coordinates clamped to +-2^24.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace plat::detail {

IRect Intersect(const IRect& a, const IRect& b) {
  return IRect{std::max(a.l, b.l), std::max(a.t, b.t), std::min(a.r, b.r), std::min(a.b, b.b)};
}

// ---- ClipList --------------------------------------------------------------------------------
void ClipList::Add(const IRect& r) {
  if (r.Empty()) return;
  std::vector<IRect> pieces{r};
  for (const IRect& s : rects_) {
    std::vector<IRect> next;
    for (const IRect& p : pieces) {
      IRect i = detail::Intersect(p, s);
      if (i.Empty()) {
        next.push_back(p);
        continue;
      }
      // The part of p outside s: bands above and below, then left and right of s.
      if (p.t < i.t) next.push_back({p.l, p.t, p.r, i.t});
      if (i.b < p.b) next.push_back({p.l, i.b, p.r, p.b});
      if (p.l < i.l) next.push_back({p.l, i.t, i.l, i.b});
      if (i.r < p.r) next.push_back({i.r, i.t, p.r, i.b});
    }
    pieces.swap(next);
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void ClipList::Intersect(const IRect& r) {
  std::vector<IRect> kept;
  for (const IRect& s : rects_) {
    IRect i = detail::Intersect(s, r);
    if (!i.Empty()) kept.push_back(i);
  }
  rects_.swap(kept);
}

IRect ClipList::Bounds() const {
  if (rects_.empty()) return IRect{};
  IRect b = rects_[0];
  for (const IRect& s : rects_) {
    b.l = std::min(b.l, s.l);
    b.t = std::min(b.t, s.t);
    b.r = std::max(b.r, s.r);
    b.b = std::max(b.b, s.b);
  }
  return b;
}

bool ClipList::Contains(int64_t x, int64_t y) const {
  for (const IRect& s : rects_) {
    if (x >= s.l && x < s.r && y >= s.t && y < s.b) return true;
  }
  return false;
}

// ---- Canvas ----------------------------------------------------------------------------------
void Canvas::Fill(const IRect& r, uint32_t px) const {
  if (r.Empty()) return;
  for (const IRect& s : clip->Rects()) {
    IRect i = Intersect(r, s);
    if (i.Empty()) continue;
    for (int64_t y = i.t; y < i.b; ++y) std::fill(pixels + y * width + i.l, pixels + y * width + i.r, px);
  }
}

void Canvas::Set(int64_t x, int64_t y, uint32_t px) const {
  if (clip->Contains(x, y)) pixels[y * width + x] = px;
}

void Canvas::Invert(int64_t x, int64_t y) const {
  if (clip->Contains(x, y)) pixels[y * width + x] ^= 0x00FFFFFFu;
}

// ---- Lines -----------------------------------------------------------------------------------
namespace {

// Clips the segment to the coordinate box [-L, L]^2 (Liang-Barsky); false when it misses the box.
bool ClipToCoordBox(int64_t* x0, int64_t* y0, int64_t* x1, int64_t* y1) {
  const double L = static_cast<double>(kCoordLimit);
  const double ax = static_cast<double>(*x0), ay = static_cast<double>(*y0);
  const double dx = static_cast<double>(*x1) - ax, dy = static_cast<double>(*y1) - ay;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax + L, L - ax, ay + L, L - ay};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  auto at = [&](double base, double d, double t) {
    return ClampCoord(static_cast<int64_t>(std::llround(base + d * t)));
  };
  const int64_t nx0 = at(ax, dx, t0), ny0 = at(ay, dy, t0);
  const int64_t nx1 = at(ax, dx, t1), ny1 = at(ay, dy, t1);
  *x0 = nx0;
  *y0 = ny0;
  *x1 = nx1;
  *y1 = ny1;
  return true;
}

bool InCoordBox(int64_t v) { return v >= -kCoordLimit && v <= kCoordLimit; }

}  // namespace

void RasterLine(const Canvas& c, int64_t x0, int64_t y0, int64_t x1, int64_t y1, const RasterPen& pen) {
  if (c.clip->Empty()) return;
  if (!InCoordBox(x0) || !InCoordBox(y0) || !InCoordBox(x1) || !InCoordBox(y1)) {
    if (!ClipToCoordBox(&x0, &y0, &x1, &y1)) return;
  }
  const int64_t w = std::max(pen.width, 1);
  const int64_t lo = w / 2;          // a stamp at p covers [p - lo, p + hi]
  const int64_t hi = w - 1 - lo;
  const IRect bounds = c.clip->Bounds();
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) {
    c.Fill({x0 - lo, y0 - lo, x0 + hi + 1, y0 + hi + 1}, pen.pixel);
    return;
  }
  const bool xMajor = adx >= ady;
  const int64_t n = xMajor ? adx : ady;       // steps along the major axis
  const int64_t am = xMajor ? ady : adx;      // minor extent
  const int64_t m0 = xMajor ? x0 : y0, sm = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t k0 = xMajor ? y0 : x0, sk = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t last = w == 1 ? n - 1 : n;    // the 1-px pen leaves the end pixel out
  // Steps whose stamp can reach the clip along the major axis.
  const int64_t vLo = (xMajor ? bounds.l : bounds.t) - hi;
  const int64_t vHi = (xMajor ? bounds.r : bounds.b) - 1 + lo;
  int64_t iFirst = sm > 0 ? vLo - m0 : m0 - vHi;
  int64_t iLast = sm > 0 ? vHi - m0 : m0 - vLo;
  iFirst = std::max<int64_t>(iFirst, 0);
  iLast = std::min(iLast, last);
  if (iFirst > iLast) return;
  const int64_t kLo = (xMajor ? bounds.t : bounds.l) - hi;
  const int64_t kHi = (xMajor ? bounds.b : bounds.r) - 1 + lo;

  auto minorAt = [&](int64_t i) { return k0 + sk * ((2 * i * am + n) / (2 * n)); };
  auto emit = [&](int64_t mA, int64_t mB, int64_t k) {
    if (k < kLo || k > kHi) return;
    const int64_t a = std::min(mA, mB), b = std::max(mA, mB);
    if (xMajor) {
      c.Fill({a - lo, k - lo, b + hi + 1, k + hi + 1}, pen.pixel);
    } else {
      c.Fill({k - lo, a - lo, k + hi + 1, b + hi + 1}, pen.pixel);
    }
  };
  // Runs of steps on one minor coordinate become one stamp rectangle.
  int64_t runStart = iFirst, runK = minorAt(iFirst);
  for (int64_t i = iFirst + 1; i <= iLast; ++i) {
    const int64_t k = minorAt(i);
    if (k != runK) {
      emit(m0 + sm * runStart, m0 + sm * (i - 1), runK);
      runStart = i;
      runK = k;
    }
  }
  emit(m0 + sm * runStart, m0 + sm * iLast, runK);
}

// ---- Shapes ----------------------------------------------------------------------------------
namespace {

struct Span {
  bool any = false;
  int64_t a = 0, b = 0;  // inclusive
};

// The row ky (0 <= ky < h) of the ellipse filling a w x h box: pixel (x, ky) is inside when its
// centre lies in the ellipse through the centres of the box's outer pixels, widened by a quarter
// pixel so that the extreme rows and columns are reached. In doubled coordinates about the centre,
// X = 2x - (w-1), Y = 2ky - (h-1): inside when 4 X^2 Q^2 + 4 Y^2 P^2 <= P^2 Q^2 with P = 2w-1,
// Q = 2h-1.
Span EllipseRow(int64_t w, int64_t h, int64_t ky) {
  using I128 = __int128;
  const I128 P = 2 * w - 1, Q = 2 * h - 1, Y = 2 * ky - (h - 1);
  const I128 rhs = P * P * (Q * Q - 4 * Y * Y);
  const I128 q4 = 4 * Q * Q;
  if (rhs < 0) return {};
  auto fits = [&](I128 X) { return X * X * q4 <= rhs; };
  const long double est = std::sqrt(static_cast<long double>(rhs) / static_cast<long double>(q4));
  I128 X = static_cast<I128>(est);
  while (fits(X + 1)) ++X;
  while (X > 0 && !fits(X)) --X;
  if (((X ^ (w - 1)) & 1) != 0) --X;  // X has the parity of w-1
  if (X < 0) return {};
  const int64_t x = static_cast<int64_t>(X);
  return Span{true, (w - 1 - x) / 2, (w - 1 + x) / 2};
}

struct Shape {
  ShapeKind kind;
  IRect box;
  int64_t cw, ch;

  Span Row(int64_t y) const {
    if (y < box.t || y >= box.b) return {};
    const int64_t w = box.r - box.l, h = box.b - box.t;
    switch (kind) {
      case ShapeKind::Rectangle: return Span{true, box.l, box.r - 1};
      case ShapeKind::Ellipse: {
        Span s = EllipseRow(w, h, y - box.t);
        s.a += box.l;
        s.b += box.l;
        return s;
      }
      case ShapeKind::RoundRect: {
        const int64_t half = ch / 2;
        int64_t er;
        if (y - box.t < half) {
          er = y - box.t;
        } else if (box.b - 1 - y < half) {
          er = ch - 1 - (box.b - 1 - y);
        } else {
          return Span{true, box.l, box.r - 1};
        }
        Span s = EllipseRow(cw, ch, er);
        if (!s.any) return s;
        return Span{true, box.l + s.a, box.r - cw + s.b};
      }
    }
    return {};
  }
};

}  // namespace

void RasterShape(const Canvas& c, ShapeKind kind, IRect box, int64_t cw, int64_t ch, const RasterPen* pen,
                 const uint32_t* brush) {
  if (box.Empty() || c.clip->Empty()) return;
  if (!pen && !brush) return;
  const int64_t w = box.r - box.l, h = box.b - box.t;
  cw = std::clamp<int64_t>(cw, 0, w);
  ch = std::clamp<int64_t>(ch, 0, h);
  if (kind == ShapeKind::RoundRect && (cw == 0 || ch == 0)) kind = ShapeKind::Rectangle;
  const Shape shape{kind, box, cw, ch};
  const int64_t pw = pen ? std::max(pen->width, 1) : 1;
  const int64_t lo = pw / 2, hi = pw - 1 - lo;
  const IRect bounds = c.clip->Bounds();
  const int64_t yFirst = std::max(box.t, bounds.t - hi - 1);
  const int64_t yEnd = std::min(box.b, bounds.b + lo + 1);
  if (yFirst >= yEnd) return;

  // The inside first, so that wide outline stamps reaching into neighbouring rows stay on top.
  if (brush) {
    for (int64_t y = std::max(yFirst, bounds.t); y < std::min(yEnd, bounds.b); ++y) {
      const Span cur = shape.Row(y);
      if (!cur.any) continue;
      if (!pen) {
        c.Fill({cur.a, y, cur.b + 1, y + 1}, *brush);
        continue;
      }
      const Span up = shape.Row(y - 1), down = shape.Row(y + 1);
      if (!up.any || !down.any) continue;
      const int64_t a = std::max({cur.a + 1, up.a, down.a});
      const int64_t b = std::min({cur.b - 1, up.b, down.b});
      if (a <= b) c.Fill({a, y, b + 1, y + 1}, *brush);
    }
  }
  if (!pen) return;
  // Outline: the pixels of a row with a 4-neighbour outside the shape, stamped with the pen.
  for (int64_t y = yFirst; y < yEnd; ++y) {
    const Span cur = shape.Row(y);
    if (!cur.any) continue;
    const Span up = shape.Row(y - 1), down = shape.Row(y + 1);
    int64_t leftEnd = cur.a, rightStart = cur.b;
    for (const Span& nb : {up, down}) {
      if (!nb.any) {
        leftEnd = cur.b;
        rightStart = cur.a;
        continue;
      }
      leftEnd = std::max(leftEnd, std::min(cur.b, nb.a - 1));
      rightStart = std::min(rightStart, std::max(cur.a, nb.b + 1));
    }
    auto stamp = [&](int64_t a, int64_t b) { c.Fill({a - lo, y - lo, b + hi + 1, y + hi + 1}, pen->pixel); };
    if (rightStart <= leftEnd + 1) {
      stamp(cur.a, cur.b);
    } else {
      stamp(cur.a, leftEnd);
      stamp(rightStart, cur.b);
    }
  }
}

void RasterFocusRect(const Canvas& c, IRect r) {
  if (r.Empty() || c.clip->Empty()) return;
  const IRect bounds = c.clip->Bounds();
  auto dot = [&](int64_t x, int64_t y) {
    if (((x + y) & 1) == 0) c.Invert(x, y);
  };
  auto row = [&](int64_t y) {
    if (y < bounds.t || y >= bounds.b) return;
    for (int64_t x = std::max(r.l, bounds.l); x < std::min(r.r, bounds.r); ++x) dot(x, y);
  };
  auto column = [&](int64_t x) {
    if (x < bounds.l || x >= bounds.r) return;
    for (int64_t y = std::max(r.t + 1, bounds.t); y < std::min(r.b - 1, bounds.b); ++y) dot(x, y);
  };
  row(r.t);
  if (r.b - 1 > r.t) row(r.b - 1);
  column(r.l);
  if (r.r - 1 > r.l) column(r.r - 1);
}

}  // namespace plat::detail
