// The GPS monitor window, started as the main menu starts it ("Monitor GPS Output" of the GPS port
// dialog), with the GPS simulator on a virtual port under the virtual clock: its layout, the lines
// it lists, "NO DATA", Pause and Go, Send, its keys, Exit, the cap of the list, a monitor without a
// reader; and one run on a pseudo-terminal under the real clock.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/settings.h"
#include "engine/state.h"
#include "setup_dialog_fixture.h"
#include "shell/gps_monitor.h"
#include "shell/shell.h"
#include "sim/gps.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using W = std::vector<std::wstring>;

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

class GpsMonitorTest : public test::DialogFixture {
 protected:
  void SetUpMonitor(bool portrait = false, bool virtualClock = true) {
    SetUpDialogs({kModelRz12, 0, 1, portrait});
    if (virtualClock) {
      plat::test::UseVirtualClock(100000, plat::test::MakeSystemTime(2014, 5, 3, 10, 15, 30),
                                  plat::test::ClockMode::Auto);
      port_ = plat::test::AttachVirtualPort(2);
    }
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 1;
    ASSERT_EQ(RegisterMonitorGpsWnd(AppWindows.instance), 0);
    monitor_ = CreateWindowExW(0, L"MonitorGPSWnd", L"Monitor GPS", WS_CHILD, 0, 0, ScreenLayout.windowWidth,
                               ScreenLayout.windowHeight, owner_, reinterpret_cast<HMENU>(kMonitorGpsWndId),
                               AppWindows.instance, nullptr);
    ASSERT_NE(monitor_, nullptr);
    AppWindows.monitorGpsWnd = monitor_;
  }

  void TearDown() override {
    // A reader left running (or paused) ends with its port.
    const HANDLE port = LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE);
    if (Valid(port)) CloseHandle(port);
    if (Valid(WorkerThreads.gps)) {
      DWORD count = 0;
      do {
        count = ResumeThread(WorkerThreads.gps);
      } while (count > 1 && count != static_cast<DWORD>(-1));
      EXPECT_EQ(plat::WaitServicingSends(WorkerThreads.gps, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
      CloseHandle(WorkerThreads.gps);
      WorkerThreads.gps = INVALID_HANDLE_VALUE;
    }
    port_.reset();
    DialogFixture::TearDown();
  }

  // "Monitor GPS Output" in the GPS port dialog of the main menu.
  void StartMonitor() {
    plat::test::ExpectDialog(L"Set GPS Port", [](ModalContext& ctx) { ctx.Click(729); });
    MainOnCommand(owner_, WM_KEYDOWN, 'G', 0);
    EXPECT_EQ(plat::test::PendingExpectations(), 0u);
    PumpFor(20);
  }

  // Serves messages (the reader's paints, timers, input) for ms on the platform clock.
  void PumpFor(DWORD ms) {
    constexpr UINT_PTR kPumpTimer = 77;
    const DWORD start = GetTickCount();
    SetTimer(owner_, kPumpTimer, 10, nullptr);
    MSG m;
    while (GetTickCount() - start < ms && GetMessageW(&m, nullptr, 0, 0) > 0) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    KillTimer(owner_, kPumpTimer);
    plat::test::PumpUntilIdle();
  }
  void Key(int vk) {
    plat::test::KeyPress(vk);
    PumpFor(20);
  }
  // Characters as typed (an upper-case letter with Shift).
  void Type(const char* text) {
    plat::test::TypeText(text);
    PumpFor(20);
  }

  // Sentences of the simulator, fed from now on (a cycle of GGA, GSA and RMC every second).
  std::vector<std::string> Feed(long cycles, DWORD afterMs = 10) {
    sim::GpsOptions o;
    o.count = cycles;
    o.rateHz = 1.0;
    sim::NmeaStream stream(o);
    std::vector<sim::Chunk> fed;
    sim::FeedVirtualPort(*port_, stream, GetTickCount() + afterMs, &fed);
    std::vector<std::string> lines;
    for (const sim::Chunk& c : fed) lines.push_back(c.bytes.substr(0, c.bytes.find('\r')));
    return lines;
  }

  W Lines() const { return plat::test::Items(GpsMonitor.list); }
  HWND Button(int i) const { return GpsMonitor.buttons[i]; }
  // The button's own visibility, also while the monitor is hidden.
  bool Shown(int i) const { return (plat::test::Style(Button(i)) & WS_VISIBLE) != 0; }
  bool Framed(int i) const { return (plat::test::Style(Button(i)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }
  // "&Pause" offered and "&Go" not, or the other way round.
  void ExpectRunning(bool running) const {
    EXPECT_EQ(GpsMonitor.running, running ? 1 : 0);
    EXPECT_EQ(GpsMonitor.paused, running ? 0 : 1);
    EXPECT_EQ(Shown(kMonitorPause), running);
    EXPECT_EQ(plat::test::IsEnabled(Button(kMonitorPause)), running);
    EXPECT_EQ(Shown(kMonitorGo), !running);
    EXPECT_EQ(plat::test::IsEnabled(Button(kMonitorGo)), !running);
  }

  std::shared_ptr<plat::test::VirtualPort> port_;
  HWND monitor_ = nullptr;
};

TEST_F(GpsMonitorTest, LayoutInBothOrientations) {
  struct Case {
    bool portrait;
    RECT list, edit;
    int buttonWidth;
    int buttonX[4];
    int buttonY;
  } const cases[] = {
      {false, {2, 2, 318, 180}, {2, 186, 318, 208}, 104, {2, 2, 108, 214}, 212},
      {true, {2, 2, 238, 262}, {2, 266, 238, 288}, 76, {2, 2, 82, 162}, 292},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.portrait ? "portrait" : "landscape");
    SetUpMonitor(c.portrait);
    auto same = [](RECT a, RECT b) {
      return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(plat::test::RectInParent(GpsMonitor.list), c.list));
    EXPECT_TRUE(same(plat::test::RectInParent(GpsMonitor.edit), c.edit));
    for (int i = 0; i < 4; ++i) {
      const RECT b = plat::test::RectInParent(Button(i));
      EXPECT_TRUE(same(b, RECT{c.buttonX[i], c.buttonY, c.buttonX[i] + c.buttonWidth, c.buttonY + 24})) << i;
    }
    EXPECT_EQ(GetDlgCtrlID(GpsMonitor.list), kMonitorListId);
    EXPECT_EQ(GetDlgCtrlID(GpsMonitor.edit), kMonitorEditId);
    EXPECT_EQ(plat::test::Text(GpsMonitor.edit), L"$PASHS,NME,SAT,A,ON");
    const W captions{plat::test::Text(Button(0)), plat::test::Text(Button(1)), plat::test::Text(Button(2)),
                     plat::test::Text(Button(3))};
    EXPECT_EQ(captions, (W{L"&Go", L"&Pause", L"&Send", L"E&xit"}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(GetDlgCtrlID(Button(i)), kMonitorButtonIdBase + i);
    StartMonitor();
    ExpectRunning(true);
    EXPECT_TRUE(Framed(kMonitorPause));
    EXPECT_EQ(plat::test::FocusWindow(), monitor_);
    EXPECT_TRUE(plat::test::IsVisible(monitor_));
    EXPECT_TRUE(plat::SaveScreenPng(
        plat::test::OutputPath(c.portrait ? "gps_monitor_portrait.png" : "gps_monitor_landscape.png").c_str()));
    TearDown();
  }
}

// Each line is added at the end as it arrives, and the list scrolls to keep the newest in view.
TEST_F(GpsMonitorTest, LinesAppearInOrderWithTheNewestInView) {
  SetUpMonitor();
  StartMonitor();
  const std::vector<std::string> sent = Feed(10);
  PumpFor(11000);
  W expected;
  for (const std::string& s : sent) expected.push_back(Wide(s));
  EXPECT_EQ(Lines(), expected);
  RECT client{};
  GetClientRect(GpsMonitor.list, &client);
  const int rows = client.bottom / 14;  // lines the list shows
  const int top = plat::test::TopIndex(GpsMonitor.list);
  EXPECT_GT(top, 0);
  EXPECT_LE(top, static_cast<int>(expected.size()) - 1);
  EXPECT_GE(top + rows, static_cast<int>(expected.size()));  // the newest is shown
  EXPECT_EQ(GpsState.sentenceValid, 0);
}

// A silent receiver: "NO DATA" after 7 s, and every 7 s after.
TEST_F(GpsMonitorTest, SilentReceiverGivesNoDataEverySevenSeconds) {
  SetUpMonitor();
  StartMonitor();
  PumpFor(6900);
  EXPECT_TRUE(Lines().empty());
  PumpFor(500);
  EXPECT_EQ(Lines(), (W{L"NO DATA"}));
  PumpFor(6700);
  EXPECT_EQ(Lines().size(), 1u);
  PumpFor(400);
  EXPECT_EQ(Lines(), (W{L"NO DATA", L"NO DATA"}));
}

// Pause holds the reader (once, however often it is pressed) and shows "&Go"; Go resumes it.
TEST_F(GpsMonitorTest, PauseStopsTheLinesAndGoResumesThem) {
  SetUpMonitor();
  StartMonitor();
  Feed(2);
  PumpFor(2500);
  const size_t before = Lines().size();
  ASSERT_EQ(before, 6u);
  Key('P');
  ExpectRunning(false);
  EXPECT_TRUE(Framed(kMonitorGo));
  Type("P");  // a second Pause does nothing
  ExpectRunning(false);
  Feed(2);
  PumpFor(3000);
  EXPECT_EQ(Lines().size(), before);
  Key('G');
  ExpectRunning(true);
  EXPECT_TRUE(Framed(kMonitorPause));
  // Suspended once and resumed once: the reader runs.
  ASSERT_TRUE(Valid(WorkerThreads.gps));
  EXPECT_EQ(SuspendThread(WorkerThreads.gps), 0u);
  EXPECT_EQ(ResumeThread(WorkerThreads.gps), 1u);
  const std::vector<std::string> after = Feed(1);
  PumpFor(1500);
  const W lines = Lines();
  ASSERT_EQ(lines.size(), before + 3);
  EXPECT_EQ(lines.back(), Wide(after.back()));
  // The purges of Pause and Go, output then input each time.
  const std::vector<DWORD> purges = port_->Purges();
  ASSERT_GE(purges.size(), 4u);
  EXPECT_EQ(std::vector<DWORD>(purges.end() - 4, purges.end()),
            (std::vector<DWORD>{PURGE_TXCLEAR, PURGE_RXCLEAR, PURGE_TXCLEAR, PURGE_RXCLEAR}));
}

// Send writes the command and CR LF while the reader is held; from a paused monitor it leaves the
// monitor running. A cancelled Send writes nothing and leaves the edit as it was.
TEST_F(GpsMonitorTest, SendWritesTheCommandAndLeavesTheMonitorRunning) {
  SetUpMonitor();
  StartMonitor();
  port_->TakeOutput();
  std::wstring shown;
  plat::test::ExpectDialog(L"GPS Message", [&](ModalContext& ctx) {
    shown = ctx.ControlText(854);
    ctx.ClickCaptionOk();
  });
  Key('S');
  EXPECT_EQ(shown, L"$PASHS,NME,SAT,A,ON");
  EXPECT_EQ(port_->TakeOutput(), "$PASHS,NME,SAT,A,ON\r\n");
  ExpectRunning(true);
  EXPECT_EQ(SuspendThread(WorkerThreads.gps), 0u);  // resumed after the write
  EXPECT_EQ(ResumeThread(WorkerThreads.gps), 1u);

  Key('P');
  plat::test::ExpectDialog(L"GPS Message", [](ModalContext& ctx) {
    ctx.SetText(854, L"$PASHQ,PRT");
    ctx.ClickCaptionOk();
  });
  Type("S");
  EXPECT_EQ(port_->TakeOutput(), "$PASHQ,PRT\r\n");
  EXPECT_EQ(plat::test::Text(GpsMonitor.edit), L"$PASHQ,PRT");
  ExpectRunning(true);
  EXPECT_TRUE(Framed(kMonitorPause));
  const std::vector<std::string> sent = Feed(1);
  PumpFor(1500);
  ASSERT_FALSE(Lines().empty());
  EXPECT_EQ(Lines().back(), Wide(sent.back()));

  plat::test::ExpectDialog(L"GPS Message", [](ModalContext& ctx) {
    ctx.SetText(854, L"$PASHS,RST");
    ctx.Cancel();
  });
  Key('S');
  EXPECT_EQ(port_->TakeOutput(), "");
  EXPECT_EQ(plat::test::Text(GpsMonitor.edit), L"$PASHQ,PRT");
  ExpectRunning(true);
}

// The message dialog keeps 27 characters of a longer command: the edit is read into 27 characters,
// so the line on the wire is at most 29 bytes.
TEST_F(GpsMonitorTest, LongCommandsAreCutTo27Characters) {
  SetUpMonitor();
  StartMonitor();
  port_->TakeOutput();
  const std::wstring forty = L"$PASHS,0123456789ABCDEFGHIJKLMNOPQRSTUVW";
  ASSERT_EQ(forty.size(), 40u);
  plat::test::ExpectDialog(L"GPS Message", [&](ModalContext& ctx) {
    ctx.SetText(854, forty);
    ctx.ClickCaptionOk();
  });
  Key('S');
  EXPECT_EQ(std::wstring(GpsMonitor.command), forty.substr(0, 27));
  EXPECT_EQ(plat::test::Text(GpsMonitor.edit), forty.substr(0, 27));
  EXPECT_EQ(port_->TakeOutput(), std::string(forty.begin(), forty.begin() + 27) + "\r\n");

  // A 40-character edit is handed to the dialog cut to 27 as well.
  SetWindowTextW(GpsMonitor.edit, forty.c_str());
  std::wstring shown;
  plat::test::ExpectDialog(L"GPS Message", [&](ModalContext& ctx) {
    shown = ctx.ControlText(854);
    ctx.Cancel();
  });
  Key('S');
  EXPECT_EQ(shown, forty.substr(0, 27));
}

// Tab moves the frame over the offered buttons only; Enter presses the framed one; the letters act
// in either case; other keys do nothing.
TEST_F(GpsMonitorTest, Keys) {
  SetUpMonitor();
  StartMonitor();
  Key(VK_TAB);
  EXPECT_TRUE(Framed(kMonitorSend));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(kMonitorExit));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(kMonitorPause));  // "&Go" skipped while running
  Key(VK_RETURN);                       // presses "&Pause"
  ExpectRunning(false);
  EXPECT_TRUE(Framed(kMonitorGo));
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_TRUE(Framed(kMonitorExit));
  Key(VK_TAB);
  EXPECT_TRUE(Framed(kMonitorGo));  // "&Pause" skipped while paused
  for (int vk : {int{'A'}, int{'1'}, VK_SPACE, VK_F1, VK_LEFT}) Key(vk);
  ExpectRunning(false);
  EXPECT_TRUE(Framed(kMonitorGo));
  EXPECT_TRUE(plat::test::IsVisible(monitor_));
  Type("G");
  ExpectRunning(true);
  Type("p");
  ExpectRunning(false);
  Type("g");
  ExpectRunning(true);
  plat::test::ExpectDialog(L"GPS Message", [](ModalContext& ctx) { ctx.Cancel(); });
  Type("s");
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  Type("x");
  EXPECT_FALSE(plat::test::IsVisible(monitor_));
}

// Exit while paused: the port is closed, the reader resumed so that it ends, its handle closed;
// the next "Monitor GPS Output" starts afresh with "&Pause", and the list keeps its lines.
TEST_F(GpsMonitorTest, ExitWhilePausedEndsTheReader) {
  SetUpMonitor();
  StartMonitor();
  Feed(1);
  PumpFor(1500);
  ASSERT_EQ(Lines().size(), 3u);
  const HANDLE reader = WorkerThreads.gps;
  ASSERT_TRUE(Valid(reader));
  Key('P');
  Type("X");
  EXPECT_FALSE(plat::test::IsVisible(monitor_));
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(port_->IsOpen());
  ExpectRunning(true);
  PumpFor(500);
  EXPECT_EQ(ResumeThread(reader), static_cast<DWORD>(-1));  // closed

  StartMonitor();
  ExpectRunning(true);
  EXPECT_TRUE(plat::test::IsVisible(monitor_));
  EXPECT_TRUE(port_->IsOpen());
  EXPECT_EQ(Lines().size(), 3u);
  Feed(1);
  PumpFor(1500);
  EXPECT_EQ(Lines().size(), 6u);
}

// The list holds 1000 lines: each further line drops the oldest, and the newest stays in view.
TEST_F(GpsMonitorTest, TheListKeepsTheNewest1000Lines) {
  SetUpMonitor();
  StartMonitor();
  std::string all;
  for (int i = 1; i <= 1001; ++i) all += "L" + std::to_string(i) + "\r\n";
  port_->Feed(all);
  PumpFor(2000);
  const W lines = Lines();
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_EQ(lines.front(), L"L2");
  EXPECT_EQ(lines.back(), L"L1001");
  const int top = plat::test::TopIndex(GpsMonitor.list);
  EXPECT_GT(top, 980);
}

// Without a reader (GPS input off) nothing is opened and nothing listed; Pause, Go and Send change
// only the buttons, and touch no thread: a handle left in the slot from before is closed and
// forgotten when the monitor starts, so the thread it named runs on.
std::atomic<bool> OtherStop{false};
std::atomic<int> OtherTicks{0};

// A thread of the program's that is none of the monitor's business.
DWORD WINAPI OtherThread(LPVOID) {
  while (!OtherStop.load()) {
    OtherTicks.fetch_add(1);
    Sleep(5);
  }
  return 0;
}

TEST_F(GpsMonitorTest, WithoutAReaderPauseGoAndSendAreHarmless) {
  SetUpMonitor();
  SurveySettings.gpsEnabled = 0;
  OtherStop = false;
  HANDLE other = CreateThread(nullptr, 0, OtherThread, nullptr, 0, nullptr);
  ASSERT_NE(other, nullptr);
  GpsState.sentenceValid = 1;  // left by an earlier reader: not listed
  wcscpy(GpsState.sentenceWide, L"$GPGGA,stale");
  WorkerThreads.gps = other;
  StartMonitor();
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(port_->OpenAttempts(), 0);
  EXPECT_TRUE(plat::test::IsVisible(monitor_));
  Key('P');
  ExpectRunning(false);
  const int before = OtherTicks.load();
  PumpFor(200);
  EXPECT_GT(OtherTicks.load(), before);  // not suspended
  Key('G');
  ExpectRunning(true);
  plat::test::ExpectDialog(L"GPS Message", [](ModalContext& ctx) { ctx.ClickCaptionOk(); });
  Key('S');
  EXPECT_EQ(port_->TakeOutput(), "");
  ExpectRunning(true);
  PumpFor(8000);
  EXPECT_TRUE(Lines().empty());
  Key('X');
  EXPECT_FALSE(plat::test::IsVisible(monitor_));
  OtherStop = true;
  PumpFor(50);
}

// With the GPS input on, a line left flagged by a run's reader is not listed at the first paint.
TEST_F(GpsMonitorTest, NoStaleLineAtTheFirstPaint) {
  SetUpMonitor();
  GpsState.sentenceValid = 1;
  wcscpy(GpsState.sentenceWide, L"$GPGGA,stale");
  StartMonitor();
  PumpFor(100);
  EXPECT_TRUE(Lines().empty());
}

// ---- On a pseudo-terminal, real clock ---------------------------------------------------------

// Read what the program wrote to the pty's master, for up to limitMs of real time.
std::string ReadMaster(int master, size_t want, int limitMs) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (got.size() < want && std::chrono::steady_clock::now() < end) {
    char buf[64];
    const ssize_t n = read(master, buf, sizeof buf);
    if (n > 0) {
      got.append(buf, static_cast<size_t>(n));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  return got;
}

// "Monitor GPS Output" after a baud change opens the port at the new baud without saving it; the
// lines from the simulator are listed, and Send puts exactly the command and CR LF on the wire.
TEST_F(GpsMonitorTest, OnAPseudoTerminal) {
  SetUpMonitor(false, false);
  const int master = plat::test::CreatePtyPort(2);
  ASSERT_GE(master, 0);
  LoadSaveSettings(1);
  const std::string file = test::SettingsFileBytes();
  plat::test::ExpectDialog(L"Set GPS Port", [](ModalContext& ctx) {
    ctx.Select(722, 3);  // 38400
    ctx.Click(729);
  });
  MainOnCommand(owner_, WM_KEYDOWN, 'G', 0);
  EXPECT_EQ(SurveySettings.gpsBaudIndex, 3);
  termios t{};
  ASSERT_TRUE(plat::test::LastAppliedTermios(2, &t));
  EXPECT_EQ(cfgetispeed(&t), speed_t{B38400});
  EXPECT_EQ(cfgetospeed(&t), speed_t{B38400});
  EXPECT_EQ(test::SettingsFileBytes(), file);  // not saved

  const std::string lines = sim::NmeaSentence(sim::GgaBody(3671500)) + sim::NmeaSentence(sim::GsaBody());
  ASSERT_EQ(write(master, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  for (int i = 0; i < 100 && Lines().size() < 2; ++i) PumpFor(20);
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0], Wide(lines.substr(0, lines.find('\r'))));

  plat::test::ExpectDialog(L"GPS Message", [](ModalContext& ctx) { ctx.ClickCaptionOk(); });
  plat::test::KeyPress('S');
  PumpFor(50);
  const std::string wire = ReadMaster(master, 21, 1000);
  EXPECT_EQ(wire, "$PASHS,NME,SAT,A,ON\r\n");
  EXPECT_EQ(wire.size(), 21u);

  plat::test::KeyPress('X');
  PumpFor(50);
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);

  // A new start reads the old baud from the file.
  SurveySettings.gpsBaudIndex = 0;
  LoadSaveSettings(0);
  EXPECT_EQ(SurveySettings.gpsBaudIndex, 1);
}

}  // namespace
}  // namespace handheld
