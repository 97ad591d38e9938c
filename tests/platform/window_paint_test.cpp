// The paint cycle and composition: paint order, the child-invalidation rule by profile,
// exposure, BeginPaint, the layer's validation, persistent surfaces under GetDC drawing, frames,
// clipping and screenshots.
#include <fstream>
#include <vector>

#include "../../platform/src/surface.h"
#include "../../platform/src/window_internal.h"

#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::Profile;
using plat::test::PumpUntilIdle;
using plat::test::ScreenPixel;
using plat::test::WindowPixel;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);

bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

class PaintTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"Gray";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    ASSERT_NE(RegisterClassW(&wc), 0);
    wc.lpszClassName = L"Bare";
    wc.hbrBackground = nullptr;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  HWND Make(const wchar_t* cls, DWORD style, RECT r, HWND parent = nullptr, int id = 0) {
    return CreateWindowExW(0, cls, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  }
  void Draw(HWND h, RECT r, COLORREF c) {
    HDC dc = GetDC(h);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(h, dc);
  }
  std::vector<HWND> Painted() {
    std::vector<HWND> out;
    for (const Seen& s : rec.Of(WM_PAINT)) out.push_back(s.hwnd);
    return out;
  }
};

TEST_F(PaintTest, PaintsGoParentFirstThenChildrenBottomToTop) {
  HWND top = Top(0, {0, 0, 100, 100});
  HWND upper = Kid(top, 1, {0, 0, 50, 50});
  HWND lower = Kid(top, 2, {10, 10, 60, 60});
  HWND grandchild = Kid(lower, 3, {0, 0, 10, 10});
  ShowWindow(top, SW_SHOW);
  rec.Clear();
  PumpUntilIdle();
  EXPECT_EQ(Painted(), (std::vector<HWND>{top, lower, grandchild, upper}));
  EXPECT_EQ(PumpUntilIdle(), 0);
}

TEST_F(PaintTest, AHandlerThatDoesNotValidateIsValidatedByTheLayer) {
  HWND h = Top();
  On(WM_PAINT, [](HWND, WPARAM, LPARAM, LRESULT*) { return true; });  // no BeginPaint
  PumpUntilIdle();
  EXPECT_EQ(rec.Of(WM_PAINT).size(), 1u);
  EXPECT_TRUE(plat::test::UpdateRegion(h).empty());
}

TEST_F(PaintTest, BeginPaintErasesWithTheClassBrushInsideTheUpdateRegionOnly) {
  HWND h = Make(L"Gray", WS_VISIBLE, {0, 0, 40, 40});
  PumpUntilIdle();
  Draw(h, {0, 0, 40, 40}, kRed);
  RECT part{10, 10, 20, 20};
  InvalidateRect(h, &part, TRUE);
  PAINTSTRUCT ps{};
  On(WM_PAINT, [&](HWND hwnd, WPARAM, LPARAM, LRESULT*) {
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    return true;
  });
  rec.Clear();
  PumpUntilIdle();
  ASSERT_EQ(rec.Of(WM_ERASEBKGND).size(), 1u);
  EXPECT_EQ(ps.fErase, FALSE);  // DefWindowProc erased
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.bottom, 20);
  EXPECT_EQ(WindowPixel(h, 15, 15), kGray);
  EXPECT_EQ(WindowPixel(h, 20, 15), kRed);  // right and bottom edges are outside
  EXPECT_EQ(WindowPixel(h, 5, 5), kRed);

  // No brush: nothing is filled and the handler is told to erase.
  HWND bare = Make(L"Bare", WS_VISIBLE, {50, 0, 90, 40});
  PumpUntilIdle();
  EXPECT_EQ(ps.fErase, TRUE);
  EXPECT_EQ(WindowPixel(bare, 5, 5), kWhite);
}

TEST_F(PaintTest, BeginPaintWithNoUpdateRegionClipsEverything) {
  HWND h = Top();
  PumpUntilIdle();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(h, &ps);
  ASSERT_NE(dc, nullptr);
  RECT all{0, 0, 100, 80};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(h, &ps);
  EXPECT_TRUE(RectEmpty(ps.rcPaint));
  EXPECT_EQ(plat::test::CountPixels(h, all, kBlack), 0u);
}

struct ChildRuleCase {
  Profile profile;
  DWORD parentStyle;
  bool childRepaints;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const ChildRuleCase& c, std::ostream* os) {
  *os << (c.profile == Profile::Handheld ? "handheld" : "desktop") << " style 0x" << std::hex << c.parentStyle;
}

class ChildRuleTest : public PaintTest, public ::testing::WithParamInterface<ChildRuleCase> {};

TEST_P(ChildRuleTest, AParentInvalidationReachesChildrenOnlyWhenItDoesNotClipThem) {
  const ChildRuleCase c = GetParam();
  plat::test::Reset(c.profile);
  PaintTest::SetUp();
  HWND parent = Make(L"Gray", WS_VISIBLE | c.parentStyle, {0, 0, 100, 100});
  HWND plot = Make(L"Bare", WS_CHILD | WS_VISIBLE | WS_BORDER, {20, 20, 61, 61}, parent, 7);
  PumpUntilIdle();
  Draw(plot, {0, 0, 39, 39}, kRed);  // the live curve
  rec.Clear();
  InvalidateRect(parent, nullptr, TRUE);
  PumpUntilIdle();
  const std::vector<HWND> painted = Painted();
  EXPECT_EQ(std::count(painted.begin(), painted.end(), plot), c.childRepaints ? 1 : 0);
  EXPECT_EQ(std::count(painted.begin(), painted.end(), parent), 1);
  if (!c.childRepaints) {
    EXPECT_EQ(WindowPixel(plot, 10, 10), kRed);
    EXPECT_EQ(ScreenPixel(31, 31), kRed);
  }
  EXPECT_EQ(ScreenPixel(5, 5), kGray);
  EXPECT_EQ(ScreenPixel(20, 20), kBlack);  // the child's border
}

INSTANTIATE_TEST_SUITE_P(Profiles, ChildRuleTest,
                         ::testing::Values(ChildRuleCase{Profile::Handheld, 0, false},
                                           ChildRuleCase{Profile::Desktop, 0, true},
                                           ChildRuleCase{Profile::Desktop, WS_CLIPCHILDREN, false}));

TEST_F(PaintTest, UncoveringInvalidatesTheUncoveredPartWithErase) {
  HWND below = Make(L"Gray", WS_VISIBLE, {0, 0, 100, 100});
  HWND cover = Make(L"Bare", WS_POPUP | WS_VISIBLE, {50, 50, 150, 150});
  PumpUntilIdle();
  EXPECT_EQ(ScreenPixel(60, 60), kWhite);
  ShowWindow(cover, SW_HIDE);
  const std::vector<RECT> region = plat::test::UpdateRegion(below);
  ASSERT_EQ(region.size(), 1u);
  EXPECT_EQ(region[0].left, 50);
  EXPECT_EQ(region[0].top, 50);
  EXPECT_EQ(region[0].right, 100);
  EXPECT_EQ(region[0].bottom, 100);
  EXPECT_TRUE(plat::test::UpdateErase(below));
  rec.Clear();
  PumpUntilIdle();
  EXPECT_EQ(Painted(), std::vector<HWND>{below});
  EXPECT_EQ(ScreenPixel(60, 60), kGray);
  // Destroying and moving expose too.
  ShowWindow(cover, SW_SHOW);
  PumpUntilIdle();
  DestroyWindow(cover);
  EXPECT_FALSE(plat::test::UpdateRegion(below).empty());
}

TEST_F(PaintTest, InvalidatingAHiddenWindowHasNoEffect) {
  HWND h = Top(0);
  InvalidateRect(h, nullptr, TRUE);
  EXPECT_TRUE(plat::test::UpdateRegion(h).empty());
  ShowWindow(h, SW_SHOW);
  EXPECT_EQ(plat::test::UpdateRegion(h).size(), 1u);
  EXPECT_TRUE(plat::test::UpdateErase(h));
}

TEST_F(PaintTest, AGetDcDrawingSurvivesCoverUncoverBlitsAndResize) {
  HWND plot = Make(L"Bare", WS_VISIBLE, {0, 0, 60, 60});
  PumpUntilIdle();
  Draw(plot, {10, 10, 30, 30}, kRed);
  HWND cover = Make(L"Gray", WS_POPUP | WS_VISIBLE, {0, 0, 40, 40});
  PumpUntilIdle();
  EXPECT_EQ(ScreenPixel(20, 20), kGray);
  EXPECT_EQ(WindowPixel(plot, 20, 20), kRed);  // covered, still there
  rec.Clear();
  DestroyWindow(cover);
  PumpUntilIdle();
  EXPECT_EQ(Painted(), std::vector<HWND>{plot});  // WM_PAINT is still sent
  EXPECT_EQ(ScreenPixel(20, 20), kRed);
  EXPECT_EQ(plat::test::CountPixels(plot, {0, 0, 60, 60}, kRed), 400u);

  HDC dc = GetDC(plot);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bm = CreateCompatibleBitmap(dc, 20, 20);
  HGDIOBJ old = SelectObject(mem, bm);
  BitBlt(mem, 0, 0, 20, 20, dc, 10, 10, SRCCOPY);
  EXPECT_EQ(GetPixel(mem, 5, 5), kRed);
  SelectObject(mem, old);
  DeleteObject(bm);
  DeleteDC(mem);
  ReleaseDC(plot, dc);
  EXPECT_EQ(plat::test::CountPixels(plot, {0, 0, 60, 60}, kRed), 400u);

  MoveWindow(plot, 0, 0, 25, 80, TRUE);  // narrower and taller
  PumpUntilIdle();
  EXPECT_EQ(plat::test::CountPixels(plot, {0, 0, 25, 80}, kRed), 15u * 20u);
  EXPECT_EQ(WindowPixel(plot, 20, 70), kWhite);
}

TEST_F(PaintTest, CompositionDrawsFramesAndClipsChildrenToTheirParent) {
  HWND main = Make(L"Gray", WS_VISIBLE | WS_CAPTION, {10, 10, 110, 110});
  HWND big = Make(L"Bare", WS_CHILD | WS_VISIBLE, {50, 50, 300, 300}, main, 1);  // larger than the parent
  PumpUntilIdle();
  Draw(big, {0, 0, 250, 250}, kBlue);
  EXPECT_EQ(ScreenPixel(5, 5), kBlack);             // the desktop
  EXPECT_EQ(ScreenPixel(10, 10), kBlack);           // the 1-px handheld border
  EXPECT_EQ(ScreenPixel(50, 20), RGB(10, 36, 106));  // the caption bar
  EXPECT_EQ(ScreenPixel(20, 40), kGray);            // the client
  EXPECT_EQ(ScreenPixel(70, 90), kBlue);            // the child
  EXPECT_EQ(ScreenPixel(115, 90), kBlack);          // the child beyond its parent's client
  EXPECT_EQ(ScreenPixel(-1, 0), CLR_INVALID);
  ShowWindow(main, SW_HIDE);
  EXPECT_EQ(ScreenPixel(70, 90), kBlack);
}

// After drawing, the screen is composed again only where changed surfaces show; it must read as a
// whole composition does, with windows above, below and around the change.
TEST_F(PaintTest, ComposingWhatChangedGivesTheWholeComposition) {
  HWND main = Make(L"Gray", WS_VISIBLE | WS_CAPTION, {10, 10, 200, 150});
  HWND low = Make(L"Bare", WS_CHILD | WS_VISIBLE, {5, 5, 110, 70}, main, 1);
  HWND high = Make(L"Bare", WS_CHILD | WS_VISIBLE, {60, 40, 170, 110}, main, 2);  // over part of low
  HWND popup = Make(L"Gray", WS_POPUP | WS_VISIBLE | WS_CAPTION, {150, 90, 230, 170});
  SetWindowTextW(popup, L"Over");
  PumpUntilIdle();
  auto screen = [] {
    int w = 0;
    int h = 0;
    return plat::detail::ComposeScreen()->Snapshot(&w, &h);
  };
  screen();
  const struct {
    const char* name;
    HWND window;
    RECT rect;
    COLORREF colour;
  } cases[] = {
      {"a window partly covered by a sibling", low, {0, 0, 105, 65}, kRed},
      {"the sibling over it", high, {20, 20, 110, 70}, kBlue},
      {"a popup over both", popup, {0, 0, 78, 58}, kWhite},
      {"the parent around them", main, {0, 0, 188, 128}, kBlack},
      {"a child beyond its parent's client", high, {100, 60, 110, 70}, kRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Draw(c.window, c.rect, c.colour);
    Draw(low, {1, 1, 3, 3}, kGray);  // two surfaces changed at once
    const std::vector<uint32_t> composed = screen();
    plat::detail::ResetCompose();
    EXPECT_TRUE(composed == screen());
  }
}

TEST_F(PaintTest, RedrawWindowWithAllChildrenPaintsThemNow) {
  HWND dlg = Make(L"Gray", WS_VISIBLE, {0, 0, 80, 80});
  HWND sample = Make(L"Bare", WS_CHILD | WS_VISIBLE, {10, 10, 30, 30}, dlg, 1);
  PumpUntilIdle();
  rec.Clear();
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(Painted(), (std::vector<HWND>{dlg, sample}));  // before any retrieval
  EXPECT_EQ(PumpUntilIdle(), 0);
}

TEST_F(PaintTest, ScreenshotsAreWritten) {
  HWND h = Make(L"Gray", WS_VISIBLE | WS_CAPTION, {0, 0, 120, 90});
  SetWindowTextW(h, L"Shot");
  PumpUntilIdle();
  Draw(h, {5, 5, 25, 25}, kRed);
  const std::string screen = plat::test::OutputPath("window_paint_screen.png");
  const std::string window = plat::test::OutputPath("window_paint_window.png");
  ASSERT_TRUE(plat::SaveScreenPng(screen.c_str()));
  ASSERT_TRUE(plat::SaveWindowPng(h, window.c_str(), true));
  for (const std::string& path : {screen, window}) {
    std::ifstream f(path, std::ios::binary);
    char sig[8] = {};
    f.read(sig, 8);
    EXPECT_EQ(std::string(sig + 1, 3), "PNG") << path;
  }
  EXPECT_FALSE(plat::SaveWindowPng(nullptr, window.c_str()));
  EXPECT_EQ(ScreenPixel(1 + 10, 21 + 10), kRed);
}

}  // namespace
