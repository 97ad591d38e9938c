// test-labels: threads
// The GPS monitor window in the whole program, on the virtual COM4: its layout and start state,
// lines in order with the newest at the top, Pause and Go, Tab and the letters, Send through the
// message dialog (whole commands with CR LF, after the purges), Exit and a second showing, GPS
// input disabled, the capped list and no stale line at the first paint.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "ui/gps_monitor.h"

namespace desktop {
namespace {

namespace pt = plat::test;
using test::DesktopAppTest;
using test::Show;
using test::Switches;

class GpsMonitorWindow : public DesktopAppTest {
 protected:
  void StartMonitor(int32_t gpsEnabled = 1) {
    Start(Switches(kModelRz12));
    OnUi([&] { SurveySettings.gpsEnabled = gpsEnabled; });
    Key('O');
    ASSERT_EQ(MainMenu.mode, 2);
  }
  static HWND Button(int i) { return GpsMonitor.buttons[i]; }
  static bool Framed(int i) { return (GetWindowLongA(Button(i), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON; }
  static std::vector<std::wstring> Lines() { return pt::Items(GpsMonitor.list); }
  std::string EditText() {
    char text[80] = {};
    OnUi([&] { GetWindowTextA(GpsMonitor.edit, text, sizeof text); });
    return text;
  }
  // The top index the list takes when asked to show its newest line at the top: as far as it
  // scrolls (its last page stays full).
  int ScrolledToNewest() {
    const int before = pt::TopIndex(GpsMonitor.list);
    int top = -1;
    OnUi([&] {
      const LRESULT count = SendMessageA(GpsMonitor.list, LB_GETCOUNT, 0, 0);
      SendMessageA(GpsMonitor.list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
      top = pt::TopIndex(GpsMonitor.list);
      SendMessageA(GpsMonitor.list, LB_SETTOPINDEX, static_cast<WPARAM>(before), 0);
    });
    return top;
  }
  void Feed(const std::string& bytes) {
    com4_->Feed(bytes);
    ASSERT_TRUE(Settle());
    for (int i = 0; i < 200 && com4_->InputQueued() > 0; ++i) {
      pt::Advance(10);
      ASSERT_TRUE(Settle());
    }
  }
};

TEST_F(GpsMonitorWindow, LayoutAndStartState) {
  StartMonitor();
  EXPECT_EQ(Show(pt::RectInParent(GpsMonitor.list)), L"10,10,780,444");
  EXPECT_EQ(Show(pt::RectInParent(GpsMonitor.edit)), L"190,452,780,480");
  EXPECT_EQ(Show(pt::RectInParent(Button(0))), L"220,504,336,532");
  EXPECT_EQ(Show(pt::RectInParent(Button(1))), L"220,504,336,532");
  EXPECT_EQ(Show(pt::RectInParent(Button(2))), L"340,504,456,532");
  EXPECT_EQ(Show(pt::RectInParent(Button(3))), L"460,504,576,532");
  EXPECT_EQ(EditText(), "$PASHS,NME,SAT,A,ON");
  EXPECT_TRUE(pt::IsVisible(Button(1)));
  EXPECT_FALSE(pt::IsVisible(Button(0)));
  EXPECT_TRUE(Framed(1));
  EXPECT_EQ(GpsMonitor.running, 1);
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  OnUi([] {
    InvalidateRect(AppWindows.monitorGpsWnd, nullptr, TRUE);
    UpdateWindow(AppWindows.monitorGpsWnd);
  });
  pt::EnableDrawLog(false);
  bool label = false;
  for (const pt::DrawEntry& e : pt::DrawLog()) {
    label = label || (e.op == pt::DrawOp::Text && e.text == L"Enter Command Text" && e.x == 10 && e.y == 454);
  }
  EXPECT_TRUE(label);
  EXPECT_TRUE(plat::SaveScreenPng(pt::OutputPath("desktop_gps_monitor.png").c_str()));
}

TEST_F(GpsMonitorWindow, LinesInOrderPauseAndGoAndNoData) {
  StartMonitor();
  Feed("$GPGGA,1*00\r\n$GPRMC,2*00\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"$GPGGA,1*00", L"$GPRMC,2*00"}));
  EXPECT_EQ(pt::TopIndex(GpsMonitor.list), ScrolledToNewest());
  Key('P');
  EXPECT_EQ(GpsMonitor.paused.load(), 1);
  EXPECT_TRUE(pt::IsVisible(Button(0)));
  EXPECT_TRUE(Framed(0));
  com4_->Feed("$GPGGA,3*00\r\n");
  pt::Advance(100);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Lines().size(), 2u);
  Key('G');
  EXPECT_EQ(GpsMonitor.paused.load(), 0);
  EXPECT_TRUE(Framed(1));
  Feed("$GPGGA,4*00\r\n");
  EXPECT_EQ(Lines().back(), L"$GPGGA,4*00");
  // A silent receiver: "NO DATA" after 7 s.
  for (int i = 0; i < 75; ++i) {
    pt::Advance(100);
    ASSERT_TRUE(Settle());
  }
  EXPECT_EQ(Lines().back(), L"NO DATA");
}

TEST_F(GpsMonitorWindow, TabMovesTheFrameOneButtonAndSkipsTheHiddenOne) {
  StartMonitor();
  Key(VK_TAB);
  EXPECT_TRUE(Framed(2));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(3));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(1));  // running: Pause
  Key('P');
  EXPECT_TRUE(Framed(0));
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_TRUE(Framed(3));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(0));  // paused: Go
}

TEST_F(GpsMonitorWindow, SendWritesTheWholeCommandAfterThePurges) {
  StartMonitor();
  com4_->TakeOutput();
  const size_t purges = com4_->Purges().size();
  int opened = 0;
  pt::OnModal(pt::ModalKind::Dialog, L"Send Message to GPS Receiver", [&](pt::ModalContext& ctx) {
    ++opened;
    EXPECT_EQ(ctx.ControlText(1201), L"$PASHS,NME,SAT,A,ON");
    ctx.Click(IDOK);
  });
  Key('S');
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(com4_->TakeOutput(), "$PASHS,NME,SAT,A,ON\r\n");
  const auto flags = com4_->Purges();
  ASSERT_EQ(flags.size(), purges + 2);
  EXPECT_EQ(flags[purges], static_cast<DWORD>(PURGE_TXCLEAR));
  EXPECT_EQ(flags[purges + 1], static_cast<DWORD>(PURGE_RXCLEAR));

  // 49 characters, sent while paused: out whole, and the monitor runs again.
  const std::string command(49, 'Q');
  Key('P');
  pt::OnModal(pt::ModalKind::Dialog, L"Send Message to GPS Receiver", [&](pt::ModalContext& ctx) {
    ctx.SetText(1201, std::wstring(command.begin(), command.end()));
    ctx.Click(IDOK);
  });
  Key('S');
  EXPECT_EQ(com4_->TakeOutput(), command + "\r\n");
  EXPECT_EQ(GpsMonitor.running, 1);
  EXPECT_EQ(GpsMonitor.paused.load(), 0);
  EXPECT_TRUE(pt::IsVisible(Button(1)));
  EXPECT_EQ(EditText(), command);

  // A cancelled Send writes nothing and keeps the edit.
  pt::OnModal(pt::ModalKind::Dialog, L"Send Message to GPS Receiver", [&](pt::ModalContext& ctx) {
    ctx.SetText(1201, L"XYZ");
    ctx.Click(IDCANCEL);
  });
  Key('S');
  EXPECT_EQ(com4_->TakeOutput(), "");
  EXPECT_EQ(EditText(), command);
}

TEST_F(GpsMonitorWindow, ExitWhilePausedThenMonitoringAgainRuns) {
  StartMonitor();
  Key('P');
  Key('X');
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_FALSE(pt::IsVisible(AppWindows.monitorGpsWnd));
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(com4_->IsOpen());
  Key('O');
  EXPECT_TRUE(pt::IsVisible(Button(1)));
  EXPECT_FALSE(pt::IsVisible(Button(0)));
  Feed("$GPGGA,5*00\r\n");
  EXPECT_EQ(Lines().back(), L"$GPGGA,5*00");
  Key('X');
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
}

TEST_F(GpsMonitorWindow, GpsInputDisabledShowsNothingAndExitClosesNothing) {
  StartMonitor(0);
  EXPECT_TRUE(pt::IsVisible(AppWindows.monitorGpsWnd));
  EXPECT_EQ(com4_->OpenAttempts(), 0);
  Key('P');
  Key('G');
  Key('X');
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(com4_->Closes(), 0);
}

// After a run the flag can still be up: the first paint of the monitor adds no line that never
// came. The list keeps its newest 10,000 lines.
TEST_F(GpsMonitorWindow, NoStaleLineAndTheListIsCapped) {
  Start(Switches(kModelRz12));
  OnUi([] {
    std::strcpy(GpsMonitor.line, "STALE");
    GpsState.sentenceValid = 1;
  });
  Key('O');
  EXPECT_TRUE(Lines().empty());
  OnUi([] {
    for (int i = 0; i < kMonitorLinesMax; ++i) {
      SendMessageA(GpsMonitor.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(i).c_str()));
    }
    std::strcpy(GpsMonitor.line, "LAST");
    GpsState.sentenceValid = 1;
    InvalidateRect(AppWindows.monitorGpsWnd, nullptr, FALSE);
    UpdateWindow(AppWindows.monitorGpsWnd);
  });
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kMonitorLinesMax));
  EXPECT_EQ(lines.front(), L"1");
  EXPECT_EQ(lines.back(), L"LAST");
  const int top = pt::TopIndex(GpsMonitor.list);
  EXPECT_GT(top, kMonitorLinesMax - 100);
  EXPECT_EQ(top, ScrolledToNewest());
}

}  // namespace
}  // namespace desktop
