// GDI on bare surfaces and memory DCs: the pixel rules, BitBlt, objects and their lifetime,
// stale handles, clipping, the draw log, PNG output and drawing from two threads.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <png.h>
#include <windows.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../../platform/src/surface.h"

namespace {

using plat::detail::ColorFromPixel;
using plat::detail::CreateSurfaceDc;
using plat::detail::Surface;

constexpr int kW = 40;
constexpr int kH = 30;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Pixels of one colour: how many, and their bounding box (right/bottom exclusive).
struct Ink {
  int count = 0;
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface = std::make_shared<Surface>(kW, kH);
    dc = CreateSurfaceDc(surface, POINT{0, 0}, nullptr, nullptr, false);
    ASSERT_NE(dc, nullptr);
  }
  void TearDown() override { plat::test::Reset(); }

  COLORREF At(int x, int y) const { return ColorFromPixel(surface->Pixel(x, y)); }

  Ink InkOf(COLORREF c) const {
    Ink ink;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (At(x, y) != c) continue;
        ++ink.count;
        ink.box.left = std::min<LONG>(ink.box.left, x);
        ink.box.top = std::min<LONG>(ink.box.top, y);
        ink.box.right = std::max<LONG>(ink.box.right, x + 1);
        ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
      }
    }
    return ink;
  }

  // Rows of the w x h block at (x, y): '#' for c1, 'o' for c2, '.' for anything else.
  std::string Mask(int x, int y, int w, int h, COLORREF c1, COLORREF c2 = CLR_INVALID) const {
    std::string s;
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        const COLORREF p = At(x + c, y + r);
        s += p == c1 ? '#' : p == c2 ? 'o' : '.';
      }
      s += '\n';
    }
    return s;
  }

  HPEN UsePen(int width, COLORREF c = kBlack) {
    HPEN pen = CreatePen(PS_SOLID, width, c);
    DeleteObject(SelectObject(dc, pen));
    return pen;
  }

  std::shared_ptr<Surface> surface;
  HDC dc = nullptr;
};

HDC WholeDc(std::shared_ptr<Surface> s, HWND owner) {
  return CreateSurfaceDc(std::move(s), POINT{0, 0}, nullptr, owner, false);
}
HDC ClipDc(std::shared_ptr<Surface> s, POINT origin, std::vector<RECT> clip, HWND owner, bool paint) {
  return CreateSurfaceDc(std::move(s), origin, &clip, owner, paint);
}
HBRUSH Stock(int index) { return static_cast<HBRUSH>(GetStockObject(index)); }
int Fill(HDC dc, RECT rc, HBRUSH brush) { return FillRect(dc, &rc, brush); }
BOOL Focus(HDC dc, RECT rc) { return DrawFocusRect(dc, &rc); }

void ExpectBox(const Ink& ink, RECT want, int count) {
  EXPECT_EQ(ink.count, count);
  EXPECT_EQ(ink.box.left, want.left);
  EXPECT_EQ(ink.box.top, want.top);
  EXPECT_EQ(ink.box.right, want.right);
  EXPECT_EQ(ink.box.bottom, want.bottom);
}

// ---- Pixel rules -----------------------------------------------------------------------------
TEST_F(GdiTest, FillRectExcludesRightAndBottomAndIgnoresInvertedRects) {
  struct Case {
    RECT rc;
    int count;
  } cases[] = {
      {{2, 3, 6, 7}, 16},      // x 2..5, y 3..6
      {{5, 5, 6, 6}, 1},       // a single pixel
      {{6, 3, 2, 7}, 0},       // inverted x
      {{2, 7, 6, 3}, 0},       // inverted y
      {{4, 4, 4, 9}, 0},       // empty
      {{-5, -5, 3, 2}, 6},     // clipped at the top-left
  };
  HBRUSH red = CreateSolidBrush(kRed);
  for (const Case& c : cases) {
    Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
    EXPECT_NE(FillRect(dc, &c.rc, red), 0);
    const Ink ink = InkOf(kRed);
    EXPECT_EQ(ink.count, c.count) << c.rc.left << "," << c.rc.top << "," << c.rc.right << "," << c.rc.bottom;
    if (c.count) {
      EXPECT_EQ(ink.box.left, std::max<LONG>(c.rc.left, 0));
      EXPECT_EQ(ink.box.right, c.rc.right);
      EXPECT_EQ(ink.box.bottom, c.rc.bottom);
    }
  }
  DeleteObject(red);
}

TEST_F(GdiTest, OnePixelLineDrawsItsStartAndNotItsEnd) {
  struct Case {
    POINT from, to;
    RECT box;
    int count;
  } cases[] = {
      {{1, 5}, {8, 5}, {1, 5, 8, 6}, 7},      // rightwards: 1..7
      {{8, 5}, {1, 5}, {2, 5, 9, 6}, 7},      // leftwards: 8..2
      {{3, 1}, {3, 20}, {3, 1, 4, 20}, 19},   // the cursor bar: rows 1..plotHeight-2
      {{0, 0}, {5, 5}, {0, 0, 5, 5}, 5},      // diagonal, (5,5) left out
      {{0, 0}, {10, 3}, {0, 0, 10, 4}, 10},   // shallow: one pixel per column
  };
  for (const Case& c : cases) {
    Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
    MoveToEx(dc, c.from.x, c.from.y, nullptr);
    EXPECT_TRUE(LineTo(dc, c.to.x, c.to.y));
    ExpectBox(InkOf(kBlack), c.box, c.count);
    EXPECT_EQ(At(c.to.x, c.to.y), kWhite);
  }
}

TEST_F(GdiTest, WidePensStampSquaresWithBothEndsAndZeroLengthDrawsADot) {
  // A stamp at p covers p - w/2 .. p - w/2 + w - 1.
  struct Case {
    int width;
    POINT from, to;
    RECT box;
  } cases[] = {
      {1, {10, 10}, {10, 10}, {10, 10, 11, 11}},  // zero length: one dot
      {2, {10, 10}, {10, 10}, {9, 9, 11, 11}},
      {3, {10, 10}, {10, 10}, {9, 9, 12, 12}},
      {4, {10, 10}, {10, 10}, {8, 8, 12, 12}},
      {2, {5, 12}, {20, 12}, {4, 11, 21, 13}},    // rows z-1..z, end included
      {3, {5, 12}, {20, 12}, {4, 11, 22, 14}},    // rows z-1..z+1
      {4, {5, 12}, {20, 12}, {3, 10, 22, 14}},    // rows z-2..z+1
      {3, {20, 12}, {5, 12}, {4, 11, 22, 14}},    // either direction
      {2, {7, 3}, {7, 20}, {6, 2, 8, 21}},        // vertical
  };
  for (const Case& c : cases) {
    Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
    UsePen(c.width);
    MoveToEx(dc, c.from.x, c.from.y, nullptr);
    LineTo(dc, c.to.x, c.to.y);
    const int area = (c.box.right - c.box.left) * (c.box.bottom - c.box.top);
    ExpectBox(InkOf(kBlack), c.box, area);
  }
}

TEST_F(GdiTest, PolylineWithOnePointDrawsNothingAndKeepsThePosition) {
  UsePen(3);
  const POINT one[] = {{10, 10}};
  EXPECT_TRUE(Polyline(dc, one, 1));
  EXPECT_TRUE(Polyline(dc, one, 0));
  EXPECT_EQ(InkOf(kBlack).count, 0);
  EXPECT_FALSE(Polyline(dc, one, -1));
  EXPECT_FALSE(Polyline(dc, nullptr, 2));

  // The same point twice is a zero-length segment: one dot.
  const POINT twice[] = {{10, 10}, {10, 10}};
  EXPECT_TRUE(Polyline(dc, twice, 2));
  ExpectBox(InkOf(kBlack), RECT{9, 9, 12, 12}, 9);

  // Polyline neither uses nor moves the current position.
  MoveToEx(dc, 30, 25, nullptr);
  const POINT seg[] = {{0, 0}, {5, 0}};
  Polyline(dc, seg, 2);
  POINT pos{};
  MoveToEx(dc, 0, 0, &pos);
  EXPECT_EQ(pos.x, 30);
  EXPECT_EQ(pos.y, 25);
}

TEST_F(GdiTest, EllipseOfSixBySixHasTheRoundMask) {
  HBRUSH red = CreateSolidBrush(kRed);
  DeleteObject(SelectObject(dc, red));
  EXPECT_TRUE(Ellipse(dc, 4, 4, 10, 10));
  EXPECT_EQ(Mask(3, 3, 8, 8, kBlack, kRed),
            "........\n"
            "...##...\n"
            "..#oo#..\n"
            ".#oooo#.\n"
            ".#oooo#.\n"
            "..#oo#..\n"
            "...##...\n"
            "........\n");
  // NULL_BRUSH leaves the inside alone, NULL_PEN draws no outline.
  Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, 4, 4, 10, 10);
  EXPECT_EQ(InkOf(kBlack).count, 12);
  EXPECT_EQ(InkOf(kRed).count, 0);
  SelectObject(dc, red);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, 4, 4, 10, 10);
  EXPECT_EQ(InkOf(kRed).count, 24);  // the whole shape, outline pixels included
}

TEST_F(GdiTest, RectangleAndRoundRectOutlineWithThePenAndFillWithTheBrush) {
  // Defaults: black pen, white brush. On a grey ground the inside turns white.
  Fill(dc, {0, 0, kW, kH}, Stock(GRAY_BRUSH));
  EXPECT_TRUE(Rectangle(dc, 2, 2, 7, 6));
  EXPECT_EQ(Mask(1, 1, 7, 6, kBlack, kWhite),
            ".......\n"
            ".#####.\n"
            ".#ooo#.\n"
            ".#ooo#.\n"
            ".#####.\n"
            ".......\n");
  EXPECT_TRUE(RoundRect(dc, 10, 2, 20, 10, 6, 6));
  EXPECT_EQ(Mask(10, 2, 10, 3, kBlack, kWhite),
            "..######..\n"
            ".#oooooo#.\n"
            "#oooooooo#\n");
  // Inverted boxes draw nothing.
  const int before = InkOf(kBlack).count;
  EXPECT_TRUE(Rectangle(dc, 30, 20, 25, 25));
  EXPECT_TRUE(Ellipse(dc, 25, 25, 30, 20));
  EXPECT_EQ(InkOf(kBlack).count, before);
}

TEST_F(GdiTest, FarCoordinatesAreClippedWithoutOverflow) {
  const int big = 1000000000;
  UsePen(4);
  // Rows far below and above the surface draw nothing.
  for (int row : {big, -big, INT_MAX, INT_MIN}) {
    MoveToEx(dc, INT_MIN, row, nullptr);
    LineTo(dc, INT_MAX, row);
    const POINT pts[] = {{0, row}, {kW, row}, {INT_MIN, INT_MAX}};
    Polyline(dc, pts, 3);
  }
  EXPECT_EQ(InkOf(kBlack).count, 0);

  // A row across the whole surface from far outside on both sides.
  MoveToEx(dc, -big, 10, nullptr);
  LineTo(dc, big, 10);
  ExpectBox(InkOf(kBlack), RECT{0, 8, kW, 12}, kW * 4);

  // A segment to a far-off point keeps its direction (slope 1/50): across the 40 columns the
  // 1-px path stays in rows 0 and 1. Clamping the far end alone would bend it to slope 1.
  Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
  UsePen(1);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, big, big / 50);
  const Ink diag = InkOf(kBlack);
  EXPECT_EQ(diag.count, kW);
  EXPECT_EQ(diag.box.bottom, 2);

  // Shapes and fills covering everything.
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(Ellipse(dc, -big, -big, big, big));
  EXPECT_TRUE(Rectangle(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_NE(Fill(dc, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Stock(BLACK_BRUSH)),
            0);
  EXPECT_EQ(InkOf(kBlack).count, kW * kH);
  EXPECT_TRUE(RoundRect(dc, -big, -big, big, big, INT_MAX, INT_MIN));
  RECT far{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  EXPECT_TRUE(DrawFocusRect(dc, &far));
  EXPECT_TRUE(TextOutW(dc, INT_MAX, INT_MIN, L"far", 3));
  EXPECT_TRUE(BitBlt(dc, INT_MAX - 5, INT_MIN, INT_MAX, INT_MAX, dc, INT_MIN, INT_MAX, SRCCOPY));
}

TEST_F(GdiTest, SetPixelAndGetPixelHonourTheClip) {
  EXPECT_EQ(SetPixel(dc, 3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 3, 4), RGB(1, 2, 3));
  EXPECT_EQ(SetPixel(dc, kW, 0, kRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
}

TEST_F(GdiTest, FocusRectInvertsEveryOtherBorderPixelAndUndoesItself) {
  RECT rc{2, 2, 9, 6};
  EXPECT_TRUE(DrawFocusRect(dc, &rc));
  EXPECT_EQ(Mask(2, 2, 7, 4, kBlack),
            "#.#.#.#\n"
            ".......\n"
            "#.....#\n"
            ".#.#.#.\n");
  EXPECT_TRUE(DrawFocusRect(dc, &rc));
  EXPECT_EQ(InkOf(kWhite).count, kW * kH);
}

// ---- BitBlt ----------------------------------------------------------------------------------
TEST_F(GdiTest, OverlappingBitBltEqualsAReferenceShift) {
  auto pattern = [](int x, int y) { return static_cast<uint32_t>(x * 7 + y * 131 + ((x * y) % 5) * 40000); };
  struct Case {
    int x, y, sx, sy, w, h;
  } cases[] = {
      {0, 0, 2, 0, kW - 2, kH},  // the live plot's scroll left by 2
      {2, 0, 0, 0, kW - 2, kH},  // right
      {0, 0, 0, 2, kW, kH - 2},  // up
      {0, 2, 0, 0, kW, kH - 2},  // down
      {-3, 5, 4, 1, 20, 40},     // partly outside on both sides
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> ref(kW * kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        ref[y * kW + x] = pattern(x, y);
        SetPixel(dc, x, y, ColorFromPixel(pattern(x, y)));
      }
    }
    // Reference: every destination pixel inside the surface whose source is inside gets it.
    std::vector<uint32_t> want = ref;
    for (int y = c.y; y < c.y + c.h; ++y) {
      for (int x = c.x; x < c.x + c.w; ++x) {
        const int fx = x - c.x + c.sx, fy = y - c.y + c.sy;
        if (x < 0 || y < 0 || x >= kW || y >= kH || fx < 0 || fy < 0 || fx >= kW || fy >= kH) continue;
        want[y * kW + x] = ref[fy * kW + fx];
      }
    }
    EXPECT_TRUE(BitBlt(dc, c.x, c.y, c.w, c.h, dc, c.sx, c.sy, SRCCOPY));
    int w = 0, h = 0;
    EXPECT_EQ(surface->Snapshot(&w, &h), want) << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
  }
}

TEST_F(GdiTest, BitBltCopiesBetweenMemoryAndWindowDcsWithinTheClip) {
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bm = CreateCompatibleBitmap(dc, 1, 8);  // a saved plot column
  HGDIOBJ oldBm = SelectObject(mem, bm);
  ASSERT_NE(oldBm, nullptr);
  HBRUSH red = CreateSolidBrush(kRed);
  Fill(dc, {5, 0, 6, kH}, red);
  EXPECT_TRUE(BitBlt(mem, 0, 0, 1, 8, dc, 5, 1, SRCCOPY));  // window -> memory
  Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
  EXPECT_TRUE(BitBlt(dc, 20, 4, 1, 30, mem, 0, 0, SRCCOPY));  // source ends after 8 rows
  ExpectBox(InkOf(kRed), RECT{20, 4, 21, 12}, 8);

  // A window DC clipped to part of the surface writes only there.
  HDC clipped = ClipDc(surface, POINT{0, 0}, {RECT{0, 0, 21, 6}}, nullptr, true);
  Fill(dc, {0, 0, kW, kH}, Stock(WHITE_BRUSH));
  EXPECT_TRUE(BitBlt(clipped, 20, 4, 1, 8, mem, 0, 0, SRCCOPY));
  ExpectBox(InkOf(kRed), RECT{20, 4, 21, 6}, 2);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, mem, 0, 0, 0x00EE0086));  // only SRCCOPY
  EXPECT_TRUE(plat::detail::ReleaseSurfaceDc(clipped));

  SelectObject(mem, oldBm);
  EXPECT_TRUE(DeleteObject(bm));
  EXPECT_TRUE(DeleteDC(mem));
  DeleteObject(red);
}

// ---- Clip, origin, surfaces ------------------------------------------------------------------
TEST_F(GdiTest, WindowDcsClipToTheirRectanglesAndDrawFromTheirOrigin) {
  // Overlapping update rectangles: XOR drawing still touches each pixel once.
  HDC paint = ClipDc(surface, POINT{0, 0}, {RECT{0, 0, 10, 10}, RECT{5, 5, 15, 15}}, nullptr, true);
  RECT all{0, 0, kW, kH};
  Focus(paint, {1, 1, 14, 14});
  Focus(paint, {1, 1, 14, 14});
  EXPECT_EQ(InkOf(kWhite).count, kW * kH);
  FillRect(paint, &all, Stock(BLACK_BRUSH));
  EXPECT_EQ(InkOf(kBlack).count, 100 + 100 - 25);
  EXPECT_EQ(At(12, 2), kWhite);

  // No update region: everything is clipped away.
  HDC none = ClipDc(surface, POINT{0, 0}, {}, nullptr, true);
  FillRect(none, &all, Stock(GRAY_BRUSH));
  EXPECT_EQ(InkOf(RGB(128, 128, 128)).count, 0);

  // Logical (0,0) at the origin, clipped to the client rectangle given in surface coordinates.
  FillRect(dc, &all, Stock(WHITE_BRUSH));
  HDC child = ClipDc(surface, POINT{20, 10}, {RECT{20, 10, 30, 20}}, nullptr, false);
  Fill(child, {-5, -5, 3, 2}, Stock(BLACK_BRUSH));
  ExpectBox(InkOf(kBlack), RECT{20, 10, 23, 12}, 6);
  EXPECT_EQ(GetPixel(child, 0, 0), kBlack);

  for (HDC h : {paint, none, child}) EXPECT_TRUE(plat::detail::ReleaseSurfaceDc(h));
}

TEST_F(GdiTest, ResizeKeepsTheKeptPartAndWhitensTheRest) {
  Fill(dc, {0, 0, kW, kH}, Stock(BLACK_BRUSH));
  surface->Resize(kW / 2, kH * 2);
  EXPECT_EQ(surface->Size().cx, kW / 2);
  EXPECT_EQ(ColorFromPixel(surface->Pixel(kW / 2 - 1, kH - 1)), kBlack);
  EXPECT_EQ(ColorFromPixel(surface->Pixel(0, kH)), kWhite);
  EXPECT_EQ(surface->Pixel(kW / 2, 0), CLR_INVALID);
  // The DC follows the new size: drawing past the old width is clipped, below the old height not.
  Fill(dc, {0, 0, kW, kH * 2}, Stock(GRAY_BRUSH));
  EXPECT_EQ(surface->CountPixels(RECT{0, 0, kW, kH * 2}, 0x808080), static_cast<size_t>(kW / 2 * kH * 2));
  surface->Resize(-4, 5);
  EXPECT_EQ(surface->Size().cx, 0);
  EXPECT_NE(Fill(dc, {0, 0, kW, kH}, Stock(GRAY_BRUSH)), 0);
}

// ---- Objects, selection, deletion ------------------------------------------------------------
TEST_F(GdiTest, DcStartsInTheDefaultStateAndSettersReturnThePreviousValue) {
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);  // refused, unchanged
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkColor(dc, kRed), kWhite);
  EXPECT_EQ(SetBkColor(dc, kWhite), kRed);
  EXPECT_EQ(SetTextColor(dc, kRed), kBlack);
  EXPECT_EQ(SetTextAlign(dc, TA_RIGHT), static_cast<UINT>(TA_TOP | TA_LEFT));
  POINT pos{-1, -1};
  MoveToEx(dc, 0, 0, &pos);
  EXPECT_EQ(pos.x, 0);
  EXPECT_EQ(pos.y, 0);

  // SelectObject returns the previous object of the same kind.
  HPEN pen = CreatePen(PS_SOLID, 2, kRed);
  HBRUSH brush = CreateSolidBrush(kRed);
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);
  // An invalid object changes nothing.
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(uintptr_t{0x7FFF0})), nullptr);
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);

  LOGPEN lp{};
  EXPECT_EQ(GetObjectW(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnWidth.x, 2);
  EXPECT_EQ(lp.lopnColor, kRed);
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectA(GetStockObject(NULL_BRUSH), sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_NULL));
  EXPECT_EQ(GetObjectW(pen, 2, &lp), 0);  // too small: nothing copied
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST_F(GdiTest, DeletingASelectedObjectWaitsForItsDeselection) {
  const size_t base = plat::test::LiveGdiObjects();
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ old = SelectObject(dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(plat::test::LiveGdiObjects(), base + 1);  // still selected, still alive
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 5, 0);
  EXPECT_EQ(At(2, 0), kRed);
  SelectObject(dc, old);
  EXPECT_EQ(plat::test::LiveGdiObjects(), base);
  EXPECT_FALSE(DeleteObject(pen));  // the handle is gone now
  EXPECT_EQ(SelectObject(dc, pen), nullptr);

  // Releasing the DC frees what was deleted while selected in it.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(mem, 4, 4);
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(mem, bm);
  SelectObject(mem, brush);
  DeleteObject(bm);
  DeleteObject(brush);
  EXPECT_EQ(plat::test::LiveGdiObjects(), base + 3);
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_EQ(plat::test::LiveGdiObjects(), base);

  // A bitmap sits in one memory DC at a time and never in a window DC.
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP shared = CreateCompatibleBitmap(a, 2, 2);
  EXPECT_NE(SelectObject(a, shared), nullptr);
  EXPECT_EQ(SelectObject(b, shared), nullptr);
  EXPECT_EQ(SelectObject(dc, shared), nullptr);
  DeleteDC(a);
  EXPECT_NE(SelectObject(b, shared), nullptr);
  DeleteDC(b);
  DeleteObject(shared);
  EXPECT_EQ(plat::test::LiveGdiObjects(), base);
}

TEST_F(GdiTest, StockObjectsSurviveDeletionAndRepeatedRepaintsLeakNothing) {
  for (int i : {WHITE_BRUSH, LTGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, NULL_PEN, SYSTEM_FONT}) {
    EXPECT_TRUE(DeleteObject(GetStockObject(i)));
    EXPECT_NE(GetStockObject(i), nullptr);
  }
  EXPECT_EQ(GetStockObject(9), nullptr);
  COLORREF c = 0;
  ASSERT_TRUE(plat::detail::BrushColor(Stock(LTGRAY_BRUSH), &c));
  EXPECT_EQ(c, RGB(192, 192, 192));
  ASSERT_TRUE(plat::detail::BrushColor(reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), &c));
  EXPECT_EQ(c, RGB(212, 208, 200));

  const size_t base = plat::test::LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    HDC paint = WholeDc(surface, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1 + i % 4, RGB(i % 256, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, i % 256, 0));
    HGDIOBJ oldPen = SelectObject(paint, pen);
    HGDIOBJ oldBrush = SelectObject(paint, brush);
    Rectangle(paint, 1, 1, 10, 10);
    SelectObject(paint, oldPen);
    SelectObject(paint, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    plat::detail::ReleaseSurfaceDc(paint);
  }
  EXPECT_EQ(plat::test::LiveGdiObjects(), base);
}

TEST_F(GdiTest, NullStaleAndWrongKindHandlesFailHarmlessly) {
  HDC stale = WholeDc(surface, reinterpret_cast<HWND>(uintptr_t{0x5000}));
  plat::detail::RetireWindowDcs(reinterpret_cast<HWND>(uintptr_t{0x5000}));  // its window is destroyed
  HPEN pen = CreatePen(PS_SOLID, 1, kBlack);
  HDC wrongKind = reinterpret_cast<HDC>(pen);
  RECT rc{0, 0, kW, kH};
  SIZE sz{};
  TEXTMETRICW tm{};
  HBRUSH black = Stock(BLACK_BRUSH);
  for (HDC bad : {static_cast<HDC>(nullptr), stale, wrongKind}) {
    SetLastError(0);
    EXPECT_EQ(FillRect(bad, &rc, black), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(Rectangle(bad, 0, 0, 5, 5));
    EXPECT_FALSE(MoveToEx(bad, 0, 0, nullptr));
    EXPECT_FALSE(LineTo(bad, 5, 5));
    EXPECT_FALSE(TextOutW(bad, 0, 0, L"x", 1));
    EXPECT_EQ(DrawTextW(bad, L"x", 1, &rc, 0), 0);
    EXPECT_EQ(SetBkMode(bad, OPAQUE), 0);
    EXPECT_EQ(SetTextColor(bad, kRed), CLR_INVALID);
    EXPECT_EQ(SetTextAlign(bad, TA_LEFT), GDI_ERROR);
    EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(bad, pen), nullptr);
    EXPECT_FALSE(BitBlt(bad, 0, 0, 5, 5, dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 5, 5, bad, 0, 0, SRCCOPY));
    EXPECT_FALSE(GetTextExtentPoint32W(bad, L"x", 1, &sz));
    EXPECT_FALSE(GetTextMetricsW(bad, &tm));
    EXPECT_FALSE(DeleteDC(bad));
    EXPECT_FALSE(plat::detail::ReleaseSurfaceDc(bad));
  }
  EXPECT_EQ(InkOf(kBlack).count, 0);
  // Objects: NULL and stale handles are FALSE; a DC is not an object to delete.
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_FALSE(DeleteObject(dc));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetObjectW(pen, 0, nullptr), 0);
  EXPECT_EQ(CreateCompatibleDC(stale), nullptr);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_FALSE(DeleteDC(dc));  // a window DC ends with ReleaseDC
}

TEST_F(GdiTest, BitmapsFromPixelsReportTheirSizeAndDepth) {
  const uint32_t px[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0, 0xFFFFFF, 0x123456};
  HBITMAP bm = plat::detail::CreateBitmapFromPixels(3, 2, px, 24);
  ASSERT_NE(bm, nullptr);
  BITMAP info{};
  EXPECT_EQ(GetObjectW(bm, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 24);
  HDC mem = CreateCompatibleDC(nullptr);
  SelectObject(mem, bm);
  EXPECT_EQ(GetPixel(mem, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(mem, 2, 1), RGB(0x12, 0x34, 0x56));
  DeleteDC(mem);
  DeleteObject(bm);
  EXPECT_EQ(plat::detail::CreateBitmapFromPixels(-1, 2, px, 32), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 1 << 20, 1 << 20), nullptr);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, -5, 3);  // negative sizes become 0
  ASSERT_NE(empty, nullptr);
  GetObjectA(empty, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 0);
  DeleteObject(empty);
}

// ---- Hook, draw log, PNG ---------------------------------------------------------------------
std::atomic<int> g_changes{0};
HWND g_lastOwner = nullptr;
void CountChange(HWND owner) {
  ++g_changes;
  g_lastOwner = owner;
}

TEST_F(GdiTest, WindowDrawingCallsTheSurfaceChangedHook) {
  plat::detail::SetSurfaceChangedHook(CountChange);
  const HWND owner = reinterpret_cast<HWND>(uintptr_t{0x9000});
  HDC win = WholeDc(surface, owner);
  const uint64_t version = surface->Version();
  g_changes = 0;
  Fill(win, {0, 0, 3, 3}, Stock(BLACK_BRUSH));
  TextOutW(win, 0, 0, L"a", 1);
  EXPECT_EQ(g_changes.load(), 2);
  EXPECT_EQ(g_lastOwner, owner);
  EXPECT_GT(surface->Version(), version);
  GetPixel(win, 0, 0);  // reading changes nothing
  HDC mem = CreateCompatibleDC(nullptr);
  Fill(mem, {0, 0, 1, 1}, Stock(BLACK_BRUSH));
  EXPECT_EQ(g_changes.load(), 2);
  DeleteDC(mem);
  plat::detail::ReleaseSurfaceDc(win);
  plat::detail::SetSurfaceChangedHook(nullptr);
}

TEST_F(GdiTest, DrawLogRecordsCallsOnlyWhileEnabled) {
  TextOutW(dc, 1, 2, L"off", 3);
  EXPECT_TRUE(plat::test::DrawLog().empty());
  plat::test::EnableDrawLog(true);
  const HWND owner = reinterpret_cast<HWND>(uintptr_t{0x9100});
  HDC win = ClipDc(surface, POINT{0, 0}, {RECT{0, 0, 20, 20}}, owner, true);
  LOGFONTW lf{};
  lf.lfHeight = 20;
  lf.lfWeight = FW_SEMIBOLD;
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(win, font);
  SetTextColor(win, kRed);
  SetBkMode(win, TRANSPARENT);
  TextOutW(win, 4, 5, L"AGPS", 4);
  Ellipse(win, 1, 2, 7, 8);
  const POINT pts[] = {{0, 0}, {3, 4}, {5, 1}};
  Polyline(win, pts, 3);

  auto hit = plat::test::FindText(L"AGPS");
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(hit->window, owner);
  EXPECT_EQ(hit->x, 4);
  EXPECT_EQ(hit->y, 5);
  EXPECT_EQ(hit->fontCell, 20);
  EXPECT_EQ(hit->fontWeight, FW_BOLD);
  EXPECT_EQ(hit->textColor, kRed);
  EXPECT_EQ(hit->bkMode, TRANSPARENT);
  EXPECT_EQ(hit->clip.right, 20);
  EXPECT_EQ(hit->clip.bottom, 20);
  EXPECT_FALSE(plat::test::FindText(L"off").has_value());
  const auto log = plat::test::DrawLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].op, plat::test::DrawOp::Ellipse);
  EXPECT_EQ(log[1].rect.right, 7);
  EXPECT_EQ(log[2].points.size(), 3u);
  plat::test::ClearDrawLog();
  EXPECT_TRUE(plat::test::DrawLog().empty());
  plat::detail::ReleaseSurfaceDc(win);
}

TEST_F(GdiTest, SurfacesSaveAsRgbPng) {
  HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
  Fill(dc, {0, 0, 10, 10}, brush);
  DeleteObject(brush);
  const std::filesystem::path dir = std::filesystem::current_path() / "test-output";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "gdi_surface.png").string();
  ASSERT_TRUE(plat::detail::SaveSurfacePng(*surface, path.c_str()));
  // Read back through libpng: size and channel order.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, static_cast<png_uint_32>(kW));
  EXPECT_EQ(image.height, static_cast<png_uint_32>(kH));
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  EXPECT_EQ(rgb[0], 10);
  EXPECT_EQ(rgb[1], 20);
  EXPECT_EQ(rgb[2], 30);
  EXPECT_EQ(rgb[3 * 11], 255);
  EXPECT_FALSE(plat::detail::SaveSurfacePng(*surface, (dir / "missing" / "x.png").string().c_str()));
}

// ---- Threads ---------------------------------------------------------------------------------
TEST_F(GdiTest, AWorkerDrawsWhileAnotherThreadReadsAndBlitsBothWays) {
  auto other = std::make_shared<Surface>(kW, kH);
  std::thread worker([&] {
    HDC mine = WholeDc(surface, nullptr);
    HDC theirs = WholeDc(other, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 3, kRed);
    SelectObject(mine, pen);
    for (int i = 0; i < 300; ++i) {
      Fill(mine, {0, 0, kW, 5}, Stock(BLACK_BRUSH));
      MoveToEx(mine, 0, i % kH, nullptr);
      LineTo(mine, kW, (i * 7) % kH);
      TextOutW(mine, 2, 10, L"GPS", 3);
      BitBlt(theirs, 0, 0, kW, kH, mine, 1, 0, SRCCOPY);
    }
    plat::detail::ReleaseSurfaceDc(mine);
    plat::detail::ReleaseSurfaceDc(theirs);
    DeleteObject(pen);
  });
  HDC mine = WholeDc(other, nullptr);
  HDC theirs = WholeDc(surface, nullptr);
  auto screen = std::make_shared<Surface>(kW * 2, kH);
  for (int i = 0; i < 300; ++i) {
    BitBlt(theirs, 0, 20, kW, 5, mine, 0, 0, SRCCOPY);  // the opposite direction
    plat::detail::CopySurface(*screen, POINT{kW, 0}, *surface, RECT{0, 0, kW, kH}, RECT{0, 0, kW * 2, kH});
    (void)surface->Pixel(i % kW, i % kH);
  }
  worker.join();
  plat::detail::CopySurface(*screen, POINT{kW, 0}, *surface, RECT{0, 0, kW, kH}, RECT{0, 0, kW * 2, kH});
  plat::detail::ReleaseSurfaceDc(mine);
  plat::detail::ReleaseSurfaceDc(theirs);
  EXPECT_EQ(ColorFromPixel(screen->Pixel(kW + 1, 1)), kBlack);  // the worker's fill, composed
}

}  // namespace
