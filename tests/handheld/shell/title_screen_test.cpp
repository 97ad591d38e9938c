// The title screen: the bitmap and version choices, the painted screen in both orientations (with
// PNG artefacts), the RZ89's screen without a title, and the uptime stop from the first paint.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/state.h"
#include "engine_test_support.h"
#include "resources/resources.h"
#include "shell/shell.h"
#include "shell/title.h"

namespace {

using namespace handheld;
using plat::test::DrawEntry;
using plat::test::DrawOp;
using plat::test::WindowPixel;

using Rects = std::vector<std::vector<LONG>>;  // left, top, right, bottom

constexpr COLORREF kPanel = RGB(192, 192, 192);
constexpr COLORREF kFrame = RGB(64, 64, 64);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::vector<LONG> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::wstring Str(const wchar_t* s) { return s ? s : L"(none)"; }

TEST(TitleChoice, BitmapsByModelOrientationStorageRootAndIceOption) {
  struct Case {
    int model, portrait, root, ice;
    const wchar_t* strip;
    const wchar_t* title;
    const wchar_t* logo;
  };
  const Case cases[] = {
      {kModelRz12, 1, 1, 0, L"STATICBMPAAR", L"STATICTIT_RZ12AR", L"STATICLEADAR"},
      {kModelRz12, 0, 1, 1, L"STATICBMPA", L"STATICTIT_ZOLMX", L"STATICLEAD"},
      {kModelRz12, 0, 0, 1, L"STATICBMPA", L"STATICTIT_RZ12", L"STATICLEAD"},
      {kModelRz12, 1, 0, 1, L"STATICBMPAAR", L"STATICTIT_ZOLAR", L"STATICLEADAR"},
      {kModelRz12, 0, 1, 0, L"STATICBMPA", L"STATICTIT_RZ12MX", L"STATICLEAD"},
      {kModelRz27Dd, 0, 0, 0, L"STATICBMPA", L"STATICTIT_RZ27DD", L"STATICLEAD"},
      {kModelZol12, 1, 0, 0, L"STATICBMPAAR", L"STATICTIT_ZOL12AR", L"STATICLEADAR"},
      {kModelRz27Mk2, 0, 1, 0, L"STATICBMPA", L"STATICTIT_RZ27MK2MX", L"STATICLEAD"},
      {kModelRz27, 0, 1, 1, L"STATICBMPA", L"STATICTIT_RZ27MX", L"STATICLEAD"},  // no ice option here
      {kModelRz89, 0, 1, 0, L"STATICBMPA", nullptr, L"STATICLEAD"},             // no title bitmap
      {kModelRz89, 1, 0, 0, L"STATICBMPAAR", nullptr, L"STATICLEADAR"},
      {9, 0, 1, 0, L"STATICBMPA", nullptr, L"STATICLEAD"},  // outside the line
      {-1, 1, 1, 0, L"STATICBMPAAR", nullptr, L"STATICLEADAR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " portrait " << c.portrait << " root " << c.root
                                    << " ice " << c.ice);
    const TitleBitmapNames names = ChooseTitleBitmaps(c.model, c.portrait, c.root, c.ice);
    EXPECT_EQ(Str(names.sideStrip), Str(c.strip));
    EXPECT_EQ(Str(names.title), Str(c.title));
    EXPECT_EQ(Str(names.logo), Str(c.logo));
  }
}

TEST(TitleChoice, VersionTextByModel) {
  const wchar_t* expected[] = {L"Version 2.11", L"Version 2.10", L"Version 2.10", L"Version 2.10",
                               L"Version 2.11", L"Version 2.10", L"Version 2.10", L"Version 2.10"};
  for (int model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    EXPECT_EQ(Str(TitleVersionText(model)), expected[model]) << model;
  }
}

// A stand-in main window: a top-level window of the screen's size whose WM_PAINT is MainOnPaint.
LRESULT CALLBACK TitleTestProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PAINT) return MainOnPaint(h, msg, w, l);
  return DefWindowProcW(h, msg, w, l);
}

class TitleScreen : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::test::Reset();
    ResetMainMenu();
    ResetAppWindows();
    ResetEngineState();
  }

  // Builds the program's state for the build and orientation and makes the window; its first
  // paint is queued, not yet done.
  void Start(int model, bool portrait) {
    const int cx = portrait ? 240 : 320, cy = portrait ? 320 : 240;
    plat::test::Reset(plat::Profile::Handheld, plat::test::Screen{cx, cy});
    test::UseBuild(model);
    ResetMainMenu();
    ResetAppWindows();
    ScreenLayout.portrait = portrait ? 1 : 0;
    ScreenLayout.windowWidth = cx;
    ScreenLayout.windowHeight = cy;
    ScreenLayout.usableHeight = cy - 22;
    RegisterHandheldResources();
    AppWindows.instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = TitleTestProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TitleTestWnd";
    ASSERT_NE(RegisterClassW(&wc), 0);
    main = CreateWindowExW(0, L"TitleTestWnd", L"RZ12", WS_VISIBLE, 0, 0, cx, cy, nullptr, nullptr,
                           AppWindows.instance, nullptr);
    ASSERT_NE(main, nullptr);
    plat::test::EnableDrawLog(true);
  }

  void Repaint() {
    InvalidateRect(main, nullptr, TRUE);
    plat::test::PumpUntilIdle();
  }

  void SavePng(const char* name) {
    EXPECT_TRUE(plat::SaveWindowPng(main, plat::test::OutputPath(name).c_str()));
  }

  // The main window's drawing calls of one kind since the log was last cleared.
  std::vector<DrawEntry> Drawn(DrawOp op) const {
    std::vector<DrawEntry> out;
    for (const DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == op && e.window == main) out.push_back(e);
    }
    return out;
  }

  // The blits onto the main window as rectangles.
  Rects Blits() const {
    Rects out;
    for (const DrawEntry& e : Drawn(DrawOp::BitBlt)) out.push_back(Corners(e.rect));
    return out;
  }

  Rects Ellipses() const {
    Rects out;
    for (const DrawEntry& e : Drawn(DrawOp::Ellipse)) {
      EXPECT_EQ(e.penColor, kFrame);
      EXPECT_EQ(e.brushColor, kWhite);
      out.push_back(Corners(e.rect));
    }
    return out;
  }

  // The 4-px black separator line from (x, 0) to (x, height).
  void ExpectSeparator(int x, int height) const {
    int found = 0;
    for (const DrawEntry& e : Drawn(DrawOp::Line)) {
      if (e.penWidth != 4) continue;
      ++found;
      EXPECT_EQ(e.penColor, kBlack);
      ASSERT_EQ(e.points.size(), 2u);
      EXPECT_EQ(e.points[0].x, x);
      EXPECT_EQ(e.points[0].y, 0);
      EXPECT_EQ(e.points[1].x, x);
      EXPECT_EQ(e.points[1].y, height);
    }
    EXPECT_EQ(found, 1);
    for (int y : {2, height / 2, height - 3}) EXPECT_EQ(WindowPixel(main, x, y), kBlack) << "y " << y;
  }

  void ExpectVersionAt(const wchar_t* text, int x, int y) const {
    const auto version = plat::test::FindText(text);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->window, main);
    EXPECT_EQ(version->x, x);
    EXPECT_EQ(version->y, y);
    EXPECT_EQ(version->bkMode, TRANSPARENT);
  }

  // After the paint: the window has the focus, the task bar is hidden, and repaints keep the number
  // of live GDI objects where it was before the first paint.
  void ExpectFocusTaskBarAndNoLeak(size_t liveBefore) {
    EXPECT_EQ(GetFocus(), main);
    EXPECT_FALSE(plat::test::TaskBarVisible());
    EXPECT_EQ(plat::test::LiveGdiObjects(), liveBefore);
    for (int i = 0; i < 3; ++i) Repaint();
    EXPECT_EQ(plat::test::LiveGdiObjects(), liveBefore);
  }

  HWND main = nullptr;
};

// What one orientation's title screen shows.
struct Expected {
  bool portrait;
  const char* png;
  std::vector<POINT> panel;    // points clear of frame, text and bitmaps
  int separatorX;
  std::vector<POINT> frame;    // points on the frame's lines
  std::vector<int> tickX;      // tick columns; a tick at y = tickY + 30i, none 15 px below
  int tickY;
  Rects endMarks;
  POINT version;
  Rects blits;                 // side strip, title, logo
};

const Expected kOrientations[] = {
    {false,
     "title_landscape_rz12.png",
     {{250, 5}, {40, 150}, {200, 120}, {315, 235}, {100, 236}},
     36,
     {{250, 10}, {308, 120}, {100, 230}},
     {303},
     31,
     {{177, 7, 183, 13}, {43, 227, 49, 233}},
     {72, 120},
     {{0, 0, 36, 240}, {48, 26, 176, 116}, {48, 185, 176, 225}}},
    {true,
     "title_portrait_rz12.png",
     {{60, 150}, {160, 150}, {235, 200}, {52, 5}},
     48,
     {{90, 150}, {230, 150}, {90, 80}, {230, 288}},
     {95, 225},
     95,
     {{87, 72, 93, 78}, {87, 290, 93, 296}, {227, 72, 233, 78}, {227, 290, 233, 296}},
     {105, 56},
     {{0, 0, 48, 320}, {65, 10, 235, 54}, {65, 300, 235, 318}}},
};

TEST_F(TitleScreen, PanelSeparatorFrameVersionAndBitmapsInBothOrientations) {
  for (const Expected& e : kOrientations) {
    SCOPED_TRACE(e.png);
    Start(kModelRz12, e.portrait);
    const size_t live = plat::test::LiveGdiObjects();
    plat::test::PumpUntilIdle();
    SavePng(e.png);

    for (POINT p : e.panel) EXPECT_EQ(WindowPixel(main, p.x, p.y), kPanel) << p.x << "," << p.y;
    ExpectSeparator(e.separatorX, e.portrait ? 320 : 240);
    for (POINT p : e.frame) EXPECT_EQ(WindowPixel(main, p.x, p.y), kFrame) << p.x << "," << p.y;
    for (int x : e.tickX) {
      for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(WindowPixel(main, x, e.tickY + 30 * i), kFrame) << "tick " << x << " " << i;
        EXPECT_EQ(WindowPixel(main, x, e.tickY + 15 + 30 * i), kPanel) << "between " << x << " " << i;
      }
    }
    EXPECT_EQ(Ellipses(), e.endMarks);
    ExpectVersionAt(L"Version 2.11", e.version.x, e.version.y);

    // Side strip, title and logo at their places and full sizes, in their colours.
    EXPECT_EQ(Blits(), e.blits);
    const auto& title = e.blits[1];
    const auto& logo = e.blits[2];
    EXPECT_EQ(WindowPixel(main, 2, 2), RGB(0, 0, 128));
    EXPECT_EQ(WindowPixel(main, title[0] + 2, title[1] + 2), kWhite);
    EXPECT_EQ(WindowPixel(main, logo[0] + 2, logo[1] + 2), RGB(128, 128, 128));

    ExpectFocusTaskBarAndNoLeak(live);
  }
}

// The RZ89 has no title bitmap: the panel shows where the title stands on the other builds.
TEST_F(TitleScreen, Rz89ShowsThePanelInPlaceOfTheTitle) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    Start(kModelRz89, portrait);
    const size_t live = plat::test::LiveGdiObjects();
    plat::test::PumpUntilIdle();
    SavePng(portrait ? "title_portrait_rz89.png" : "title_landscape_rz89.png");
    if (portrait) {
      EXPECT_EQ(Blits(), (Rects{{0, 0, 48, 320}, {65, 300, 235, 318}}));
      ExpectVersionAt(L"Version 2.10", 105, 56);
      for (POINT p : {POINT{67, 12}, POINT{150, 30}, POINT{233, 52}}) {
        EXPECT_EQ(WindowPixel(main, p.x, p.y), kPanel) << p.x << "," << p.y;
      }
    } else {
      EXPECT_EQ(Blits(), (Rects{{0, 0, 36, 240}, {48, 185, 176, 225}}));
      ExpectVersionAt(L"Version 2.10", 72, 120);
      for (POINT p : {POINT{50, 28}, POINT{110, 70}, POINT{174, 114}}) {
        EXPECT_EQ(WindowPixel(main, p.x, p.y), kPanel) << p.x << "," << p.y;
      }
    }
    ExpectFocusTaskBarAndNoLeak(live);
  }
}

TEST_F(TitleScreen, UptimeStopFromTheFirstPaintOpensOneBoxThenExits) {
  Start(kModelRz12, false);
  MainMenu.uptimeExceeded = 1;
  int boxes = 0;
  size_t paintsInside = 0;
  plat::test::OnModal(
      plat::test::ModalKind::MessageBox, L"PROGRAM STOP",
      [&](plat::test::ModalContext& box) {
        ++boxes;
        // The title screen is up behind the box.
        EXPECT_TRUE(plat::test::FindText(L"Version 2.11").has_value());
        EXPECT_EQ(box.Owner(), main);
        EXPECT_EQ(box.Text(),
                  L"Windows has run for more than 20 days.\r\nTo assure accurate clock operation\r\n"
                  L"please restart the system.\r\nPress and hold On/Off key till blue screen\r\n"
                  L"and \"Warm Reset Detected\" is displayed.");
        EXPECT_EQ(box.Flags(), static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
        plat::test::PumpUntilIdle();
        EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("title_uptime_stop.png").c_str()));
        // A paint while the box is up opens no second one.
        plat::test::ClearDrawLog();
        InvalidateRect(main, nullptr, TRUE);
        UpdateWindow(main);
        paintsInside = Drawn(DrawOp::Text).size();
        box.Answer(IDOK);
      },
      plat::test::Repeat::Always);

  plat::test::InstallTestExitHook();
  std::optional<UINT> exitCode;
  try {
    plat::test::PumpUntilIdle();
  } catch (const plat::test::ProcessExit& e) {
    exitCode = e.code;
  }
  plat::SetExitHook(nullptr);
  ASSERT_TRUE(exitCode.has_value());
  EXPECT_EQ(*exitCode, 0u);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(paintsInside, 1u);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, L"PROGRAM STOP");
  EXPECT_EQ(log[0].ending, plat::test::ModalEnding::Ended);
  EXPECT_EQ(log[0].result, IDOK);
}

}  // namespace
