// The desktop program in-process: its exit codes, the main window by build, the uptime stop, the
// start screen's paint and its keys.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "engine/state.h"
#include "ui/main_window.h"
#include "ui/start_screen.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Show;
using test::Switches;
namespace pt = plat::test;

TEST_F(DesktopAppTest, AMissingClassGivesTwoAndAWindowThatCannotBeMadeSixteen) {
  const struct {
    bool registering;
    const wchar_t* cls;
    int code;
  } cases[] = {
      {true, L"ScreenLogWnd", 2}, {true, L"CurveWnd", 2},  {true, L"MonitorGPSWnd", 2},
      {false, L"RZ12-8", 16},     {false, L"CurveWnd", 16}, {false, L"MonitorGPSWnd", 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    if (c.registering) {
      pt::FailRegisterClass(c.cls);
    } else {
      pt::FailCreateWindow(c.cls);
    }
    Start(Switches(kModelRz12));
    EXPECT_EQ(End(), c.code);
  }
}

TEST(MainWindowPlace, CentredOnTheScreenOrSmallAtTheOrigin) {
  const struct {
    bool small;
    int32_t cx, cy;
    MainWindowPlace place;
  } cases[] = {
      {false, 800, 574, {0, 0, 800, 574}},
      {false, 1024, 768, {112, 97, 800, 574}},
      {true, 1024, 768, {0, 0, 240, 320}},
  };
  for (const auto& c : cases) {
    const MainWindowPlace p = PlaceMainWindow(c.small, c.cx, c.cy);
    EXPECT_EQ(p.x, c.place.x);
    EXPECT_EQ(p.y, c.place.y);
    EXPECT_EQ(p.width, c.place.width);
    EXPECT_EQ(p.height, c.place.height);
  }
}

TEST_F(DesktopAppTest, MainWindowByBuild) {
  const struct {
    BuildSwitches build;
    pt::Screen screen;
    RECT window;
    int buttonX;
    const wchar_t* title;
  } cases[] = {
      {Switches(kModelRz12), {800, 574}, {0, 0, 800, 574}, 600, L"RZ12xp"},
      {Switches(kModelRz12), {1024, 768}, {112, 97, 912, 671}, 600, L"RZ12xp"},
      {Switches(kModelRz12, 0, 1), {800, 574}, {0, 0, 240, 320}, 40, L"RZ12xp"},
      {Switches(kModelRz56), {800, 574}, {0, 0, 800, 574}, 600, L"RZ56xp"},
      {Switches(kModelRz56Mk2), {800, 574}, {0, 0, 800, 574}, 600, L"RZ56MK2xp"},
      {Switches(kModelRz45), {800, 574}, {0, 0, 800, 574}, 600, L"RZ45-3xp"},
      {Switches(kModelZol12), {800, 574}, {0, 0, 800, 574}, 600, L"ZOL12xp"},
      {Switches(kModelRz27Mk2, 0, 0, 1), {800, 574}, {0, 0, 800, 574}, 600, L"RZ27MK2xp - Monitor"},
  };
  const wchar_t* captions[] = {L"&Logging",        L"&Survey Setup",     L"Sys&tem Setup", L"&GPS Port Setup",
                               L"GPS M&onitoring", L"&Profiles Options", L"E&xit"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    Start(c.build, c.screen);
    HWND main = AppWindows.mainWnd;
    EXPECT_EQ(pt::Text(main), c.title);
    EXPECT_EQ(Show(pt::WindowRect(main)), Show(c.window));
    for (int i = 0; i < 7; ++i) {
      HWND button = pt::Child(main, 420 + i);
      ASSERT_NE(button, nullptr) << i;
      EXPECT_EQ(pt::Text(button), captions[i]);
      EXPECT_EQ(Show(pt::RectInParent(button)), Show({c.buttonX, 30 + 49 * i, c.buttonX + 170, 75 + 49 * i}));
      EXPECT_EQ(pt::Style(button) & 0x0F, i == 0 ? DWORD{BS_DEFPUSHBUTTON} : DWORD{BS_PUSHBUTTON});
      const bool disabled = c.build.monitorVariant == 1 && (i == 1 || i == 5);
      EXPECT_EQ(pt::IsEnabled(button), !disabled) << i;
    }
    EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
    EXPECT_FALSE(pt::IsVisible(AppWindows.monitorGpsWnd));
    EXPECT_EQ(pt::Text(AppWindows.loggingWnd), L"Log");
    EXPECT_EQ(Show(pt::RectInParent(AppWindows.loggingWnd)),
              Show({0, 0, ScreenLayout.windowWidth, ScreenLayout.windowHeight}));
    EXPECT_EQ(pt::Child(main, 780), AppWindows.monitorGpsWnd);
    EXPECT_EQ(ScreenLayout.lineHeight, 18);
    if (c.build.monitorVariant == 1) {
      EXPECT_EQ(SurveySettings.dipole, 2);
      EXPECT_EQ(SurveySettings.component, 0);
    }
    EXPECT_EQ(End(), 0);
  }
}

TEST_F(DesktopAppTest, UptimeAboveTwentyDaysStopsAtTheFirstPaintWithOneBox) {
  const struct {
    uint32_t tick;
    bool stops;
  } cases[] = {{1728000000u, false}, {1728000001u, true}, {0x80000000u, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tick);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    if (c.stops) {
      pt::OnModal(pt::ModalKind::MessageBox, L"PROGRAM STOP", [](pt::ModalContext& box) {
        EXPECT_EQ(box.Text(),
                  L"Windows has run for more than 20 days.\r\nPlease restart the system to assure accurate clock "
                  L"operation.");
        // A repaint under the box opens no second one.
        InvalidateRect(AppWindows.mainWnd, nullptr, TRUE);
        UpdateWindow(AppWindows.mainWnd);
        box.Answer(IDOK);
      });
    }
    Start(Switches(kModelRz12), {800, 574}, c.tick);
    EXPECT_EQ(Ended(), c.stops);
    EXPECT_EQ(MainMenu.uptimeExceeded, c.stops ? 1 : 0);
    EXPECT_EQ(pt::ModalLog().size(), c.stops ? 1u : 0u);
    EXPECT_EQ(End(), 0);
  }
}

TEST_F(DesktopAppTest, StartScreenPaintsFrameTextsSummaryAndSplash) {
  Start(Switches(kModelRz12));
  HWND main = AppWindows.mainWnd;
  pt::EnableDrawLog(true);
  OnUi([&] {
    InvalidateRect(main, nullptr, TRUE);
    UpdateWindow(main);
  });
  pt::EnableDrawLog(false);
  RECT client{};
  GetClientRect(main, &client);
  ASSERT_EQ(client.right, 794);

  const struct {
    const wchar_t* text;
    COLORREF colour;
    int bottomOffset;  // y = bottom - offset
  } ends[] = {{L"Velquor Limited", RGB(0, 0, 255), 36}, {L"RZ12xp", RGB(160, 160, 160), 100}, {L"V 1.06", 0, 70}};
  for (const auto& e : ends) {
    SCOPED_TRACE(e.text);
    auto entry = pt::FindText(e.text);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->rect.right, client.right - 40);
    EXPECT_EQ(entry->y, client.bottom - e.bottomOffset);
    EXPECT_EQ(entry->textColor, e.colour);
  }
  const struct {
    const wchar_t* text;
    int x, y;
  } summary[] = {
      {L"CURRENT PROGRAM SETTINGS", 190, 30}, {L"AUTO", 190, 90},   {L"5.00", 190, 115},  {L"1.00", 190, 165},
      {L"0.000", 190, 190},                   {L"1.000", 190, 215}, {L"Standard", 460, 90}, {L"Vertical", 460, 115},
      {L"COM1", 460, 140},                    {L"Enabled", 460, 165}, {L"COM4", 460, 190}, {L"any key", 460, 215},
      {L"Readings/second:", 40, 115},         {L"RZ12 Port:", 300, 140},
  };
  for (const auto& s : summary) {
    SCOPED_TRACE(s.text);
    auto entry = pt::FindText(s.text);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->x, s.x);
    EXPECT_EQ(entry->y, s.y);
  }
  int ellipses = 0;

  bool splash = false;
  for (const pt::DrawEntry& e : pt::DrawLog()) {
    if (e.op == pt::DrawOp::Ellipse) {
      ++ellipses;
      EXPECT_EQ(e.penColor, RGB(64, 64, 64));
    }
    if (e.op == pt::DrawOp::BitBlt && e.window == main) {
      splash = true;
      EXPECT_EQ(Show(e.rect), Show({38, 259, 38 + 484, 259 + 271}));
    }
  }
  EXPECT_EQ(ellipses, 4);
  EXPECT_TRUE(splash);
  EXPECT_EQ(pt::WindowPixel(main, 10, 100), RGB(64, 64, 64));
  // The button column's box is placed by the window's outer width (800), inside the 794-px client.
  EXPECT_EQ(pt::WindowPixel(main, 786, 100), RGB(64, 64, 64));
  plat::SaveWindowPng(main, pt::OutputPath("desktop_start_screen_rz12xp.png").c_str(), true);

  // Repaints make and free their own objects; the splash is loaded once.
  const size_t live = pt::LiveGdiObjects();
  for (int i = 0; i < 20; ++i) {
    OnUi([&] {
      InvalidateRect(main, nullptr, TRUE);
      UpdateWindow(main);
    });
  }
  EXPECT_EQ(pt::LiveGdiObjects(), live);
  EXPECT_EQ(End(), 0);
}

// Each setup dialog's OK from the start screen: the whole start screen is repainted, and its
// summary shows the new values in their rows.
TEST_F(DesktopAppTest, TheRepaintedSummaryShowsEachSetupOk) {
  struct Shown {
    std::wstring text;
    int x, y;
  };
  const struct {
    int key;
    const wchar_t* title;
    std::function<void(pt::ModalContext&)> script;
    std::vector<Shown> shown;
  } cases[] = {
      {'S', L"Survey Setup",
       [](pt::ModalContext& ctx) {
         ctx.Select(1110, 2);  // Manual
         ctx.SetText(1111, L"25");
         ctx.SetText(1113, L"L7");
         ctx.SetText(1114, L"2.5");
         ctx.SetText(1117, L"120.5");
         ctx.SetText(1118, L"3");
       },
       {{L"MANUAL", 190, 90}, {L"Samples/Reading:", 40, 115}, {L"25", 190, 115}, {L"L7", 190, 140},
        {L"2.50", 190, 165}, {L"120.500", 190, 190}, {L"3.000", 190, 215}}},
      {'T', L"System Setup",
       [](pt::ModalContext& ctx) {
         ctx.Select(1121, 1);
         ctx.Select(1125, 2);
         ctx.Select(1140, 5);
         ctx.Select(1131, 2);
       },
       {{L"Short", 460, 90}, {L"COM3", 460, 140}, {L"COM6", 460, 190}, {L"<Space Bar>", 460, 215}}},
      {'G', L"GPS Port Setup", [](pt::ModalContext& ctx) { ctx.Select(1162, 0); },
       {{L"Disabled", 460, 165}, {L"N/A", 460, 190}}},
  };
  Start(Switches(kModelRz12));
  const HWND main = AppWindows.mainWnd;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<char>(c.key));
    pt::ExpectDialog(c.title, [&](pt::ModalContext& ctx) {
      c.script(ctx);
      ctx.Click(IDOK);
    });
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
    Key(c.key);
    pt::EnableDrawLog(false);
    EXPECT_EQ(pt::PendingExpectations(), 0u);
    const auto log = pt::DrawLog();
    for (const Shown& want : c.shown) {
      bool found = false;
      for (const pt::DrawEntry& e : log) {
        // Drawn whole: the clip holds the text's cell.
        const bool whole = e.clip.left <= e.rect.left && e.clip.top <= e.rect.top && e.clip.right >= e.rect.right &&
                           e.clip.bottom >= e.rect.bottom;
        found = found || (e.op == pt::DrawOp::Text && e.window == main && e.text == want.text && e.x == want.x &&
                          e.y == want.y && whole);
      }
      EXPECT_TRUE(found) << std::string(want.text.begin(), want.text.end());
    }
  }
  EXPECT_EQ(End(), 0);
}

TEST_F(DesktopAppTest, StartScreenKeysMoveTheFrameActAndExit) {
  Start(Switches(kModelRz12));
  HWND main = AppWindows.mainWnd;
  auto framed = [&](int i) { return (pt::Style(AppWindows.menuButtons[i]) & 0x0F) == BS_DEFPUSHBUTTON; };
  Key(VK_LEFT);  // from Logging to Exit
  EXPECT_EQ(MainMenu.selected, 6);
  EXPECT_TRUE(framed(6));
  EXPECT_FALSE(framed(0));
  for (int vk : {VK_TAB, VK_RIGHT, VK_DOWN}) {
    Key(vk);
    EXPECT_EQ(MainMenu.selected, 0) << vk;
    EXPECT_TRUE(framed(0));
    Key(VK_UP);
    ASSERT_EQ(MainMenu.selected, 6);
  }
  Key(VK_TAB);
  EXPECT_FALSE(Ended());
  EXPECT_TRUE(pt::ModalLog().empty());

  // GPS Monitoring shows the monitor in mode 2; the main window's keys then only pass the focus.
  Key('O');
  EXPECT_EQ(MainMenu.mode, 2);
  EXPECT_TRUE(pt::IsVisible(AppWindows.monitorGpsWnd));
  OnUi([&] { SendMessageA(main, WM_KEYDOWN, 'X', 0); });
  EXPECT_FALSE(Ended());
  EXPECT_EQ(pt::FocusWindow(), AppWindows.monitorGpsWnd);
  Key('X');  // the monitor's E&xit
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_FALSE(pt::IsVisible(AppWindows.monitorGpsWnd));

  // Enter presses the selected button: Exit asks nothing.
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(End(), 0);
}

TEST_F(DesktopAppTest, AClickOnExitEndsTheProgramWithZero) {
  Start(Switches(kModelRz12));
  Click(AppWindows.menuButtons[6]);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(End(), 0);
}

}  // namespace
}  // namespace desktop
