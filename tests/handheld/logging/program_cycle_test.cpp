// Whole survey runs in the running program: the main menu's Monitor/Log, Create File, Go, pause and
// Exit on the logging window with frames (and GPS sentences) streaming on virtual ports, and the
// main menu taking keys again once the run has ended.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "shell/shell.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using plat::test::ReleaseKind;
using plat::test::VirtualPort;
using test::AppTest;

constexpr double kStreamMs = 20000;  // frames and sentences keep coming for the whole test
constexpr uint32_t kGpsReadEndMs = 3000;  // more than a GPS read with its time-outs takes

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

class ProgramCycle : public AppTest {
 protected:
  // Starts the RZ12 program with COM1 attached (and COM2 for GPS input), frames streaming on COM1
  // and, with GPS, a fix every second on COM2.
  void StartStreaming(bool gps, double streamMs = kStreamMs) {
    instrument_ = plat::test::AttachVirtualPort(1);
    if (gps) gps_ = plat::test::AttachVirtualPort(2);
    test::UseApp(kModelRz12);
    SurveySettings.gpsEnabled = gps ? 1 : 0;
    SurveySettings.gpsPort = 1;
    program_ = test::StartApp({320, 240});
    Stream(*instrument_, gps_.get(), streamMs);
  }
  static void Stream(VirtualPort& instrument, VirtualPort* gps, double streamMs) {
    const DWORD now = GetTickCount();
    sim::InstrumentOptions o;
    o.model = kModelRz12;
    o.ramp = true;
    sim::InstrumentStream frames(o);
    sim::FeedVirtualPort(instrument, frames, now, nullptr, streamMs);
    if (gps != nullptr) {
      sim::GpsOptions g;
      sim::NmeaStream sentences(g);
      sim::FeedVirtualPort(*gps, sentences, now + 50, nullptr, streamMs);
    }
  }

  // A key or click through the input queue, handled without time passing.
  static void Key(int vk) {
    plat::test::KeyPress(vk);
    ASSERT_TRUE(plat::test::WaitIdle());
  }
  static void Press(HWND button) {
    plat::test::Click(button);
    ASSERT_TRUE(plat::test::WaitIdle());
  }

  // Monitor/Log from the main menu: the run is on and its window shows.
  static void MonitorLog() {
    plat::test::KeyPress('L');
    test::Run(100);
    ASSERT_EQ(SurveyRun.runActive, 1);
    ASSERT_TRUE(plat::test::IsVisible(AppWindows.loggingWnd));
  }
  // Create File, then Go: the run is Logging.
  static void CreateAndGo(const wchar_t* name) {
    plat::test::ExpectSaveFile(name);
    Key('C');
    ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
    test::Run(300);
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }
  static void Pause() {
    Press(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)]);
    ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  }
  // Exit on the logging window; from Stand By or Logging the question is answered Yes. Time runs
  // meanwhile: the end waits for the GPS reader, which sees its closed port once its read is over.
  static void ExitRun(bool asked) {
    if (asked) plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
    plat::test::KeyPress('X');
    test::Run(kGpsReadEndMs);
    EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  }

  // Readings announced to the logging window since the last Reset.
  static size_t Readings() {
    size_t n = 0;
    for (const plat::test::SendInfo& s : plat::test::Sends()) n += s.hwnd == AppWindows.loggingWnd && s.msg == WM_READING;
    return n;
  }
  static bool Framed(HWND button) { return (plat::test::Style(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }
  static std::vector<std::wstring> VisibleButtons() {
    std::vector<std::wstring> out;
    for (HWND h : plat::test::Children(AppWindows.loggingWnd)) {
      if (plat::test::IsVisible(h) && GetDlgCtrlID(h) >= kLoggingButtonIdBase) out.push_back(plat::test::Text(h));
    }
    return out;
  }
  static bool Drawn(const std::wstring& text) {
    for (const auto& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Text && e.window == AppWindows.loggingWnd && e.text == text) return true;
    }
    return false;
  }
  static int MenuFramed() {
    for (int i = 0; i < 7; ++i) {
      if (Framed(AppWindows.menuButtons[i])) return i;
    }
    return -1;
  }

  // The run has ended: Monitor state, no handle held, the window hidden, the ports closed, and the
  // main menu takes keys again (Tab moves its frame on).
  void ExpectRunEnded() {
    test::ExpectRunReleased();
    EXPECT_TRUE(plat::test::Timers(AppWindows.loggingWnd).empty());
    EXPECT_FALSE(plat::test::IsVisible(AppWindows.loggingWnd));
    EXPECT_FALSE(instrument_->IsOpen());
    if (gps_) {
      EXPECT_FALSE(gps_->IsOpen());
    }
    const int before = MenuFramed();
    const int selected = MainMenu.selected;
    Key(VK_TAB);
    EXPECT_EQ(MenuFramed(), (before + 1) % 7);
    EXPECT_NE(MainMenu.selected, selected);
  }

  std::shared_ptr<VirtualPort> instrument_, gps_;
};

std::string StartedRecord(DWORD tick) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "X$STARTED%14lu\n", static_cast<unsigned long>(tick));
  return buf;
}

// Start, Create File, Go, pause and Exit, answered Yes: each state shows on the logging window,
// the file on disk holds every record at the pause, and the end leaves no handle, no thread and a
// main menu that takes keys; 'X' then ends the program with 0.
TEST_F(ProgramCycle, StartCreateGoPauseExitAndBackToTheMenu) {
  StartStreaming(false);
  plat::test::EnableDrawLog(true);
  MonitorLog();
  test::Run(500);
  EXPECT_GT(Readings(), 3u);  // frames flow in Monitor
  EXPECT_TRUE(Drawn(L"Monitor"));
  EXPECT_TRUE(Drawn(L"GPS  Input  disabled"));
  EXPECT_EQ(VisibleButtons(), (std::vector<std::wstring>{L"&Create File", L"E&xit"}));
  EXPECT_TRUE(Framed(LoggingButtons.monitor[0]));
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.loggingWnd);

  plat::test::ClearDrawLog();
  plat::test::ExpectSaveFile(L"LONGNAME1");
  Key('C');
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_TRUE(Drawn(L"Stand By"));
  EXPECT_TRUE(Drawn(L"File:LONGNAME"));
  EXPECT_EQ(VisibleButtons(), (std::vector<std::wstring>{L"&Go", L"&Line", L"&NStn", L"&Cmnt", L"&Menu", L"E&xit"}));
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  test::Run(300);

  plat::test::ClearDrawLog();
  const DWORD goTick = GetTickCount();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_TRUE(Drawn(L"Logging"));
  const int p = PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode);
  EXPECT_EQ(VisibleButtons(), (std::vector<std::wstring>{PauseCaption(p)}));
  EXPECT_TRUE(Framed(LoggingButtons.pause[p]));
  EXPECT_EQ(SurveyRun.framesPerReading.load(), LinkState.sampleDivisor);
  std::string file = test::RootFileBytes("Storage/DATA12/LONGNAME1.R12");
  EXPECT_NE(file.find(StartedRecord(goTick)), std::string::npos);
  const size_t beforeLogging = Readings();
  test::Run(2000);
  EXPECT_GT(Readings(), beforeLogging);  // frames flow while Logging

  Pause();
  file = test::RootFileBytes("Storage/DATA12/LONGNAME1.R12");
  EXPECT_EQ(file.size(), SurveyRun.dataFile.Size());  // every record is on the storage
  EXPECT_EQ(file.substr(file.size() - 24, 8), "X$PAUSED");
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  EXPECT_EQ(VisibleButtons(), (std::vector<std::wstring>{L"&Go", L"&Line", L"&NStn", L"&Cmnt", L"&Menu", L"E&xit"}));
  test::Run(300);

  ExitRun(true);
  ExpectRunEnded();
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/LONGNAME1.R12"), file);  // closed as it was committed
  test::Run(500);  // the reader ends on its closed port; no reading reaches the hidden window
  const size_t afterEnd = Readings();
  test::Run(500);
  EXPECT_EQ(Readings(), afterEnd);
  EXPECT_EQ(ExitByKey(), 0);
}

// Exit in Monitor ends the run at once, with no question. A run that ended while Logging (quietly,
// as the connection watchdog ends it) leaves nothing to the next: it starts in Monitor with every
// frame announced.
TEST_F(ProgramCycle, ExitInMonitorAndARunAfterAnEndFromLogging) {
  StartStreaming(false, 1500);  // frames through the first two runs
  MonitorLog();
  test::Run(300);
  ExitRun(false);
  EXPECT_TRUE(plat::test::ModalLog().empty());
  ExpectRunEnded();

  // Second run: Logging in Auto announces every second frame, then the run ends quietly.
  MonitorLog();
  CreateAndGo(L"\\Storage\\RUN2.DAT");
  ASSERT_EQ(SurveyRun.framesPerReading.load(), 2);
  test::Run(1000);
  plat::test::OnUiThread([] {
    StopLogging(1);
    KillTimer(AppWindows.loggingWnd, kWatchdogTimer);
    return LRESULT{0};
  });
  ASSERT_TRUE(plat::test::WaitIdle());
  ExpectRunEnded();

  // Third run: Monitor, one frame a reading.
  MonitorLog();
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  EXPECT_EQ(LinkState.frameCount.load(), 0);
  const size_t before = Readings();
  sim::InstrumentOptions o;
  o.model = kModelRz12;
  o.count = 6;
  sim::InstrumentStream frames(o);
  sim::FeedVirtualPort(*instrument_, frames, GetTickCount());
  test::Run(1000);
  EXPECT_EQ(Readings(), before + 6);
  ExitRun(false);
  ExpectRunEnded();
}

// With GPS input on COM2 and sentences streaming, the end of the run closes the GPS port before
// the instrument's, the GPS reader has ended, and the Logging stretch put GPS records in the file.
TEST_F(ProgramCycle, GpsInputEndsCleanlyBeforeTheInstrumentPort) {
  StartStreaming(true);
  MonitorLog();
  test::Run(1500);
  ASSERT_TRUE(Valid(WorkerThreads.gps));
  ASSERT_EQ(GpsState.readerState.load(), 1);
  CreateAndGo(L"\\Storage\\GPS.DAT");
  test::Run(2500);
  Pause();
  EXPECT_NE(test::RootFileBytes("Storage/GPS.DAT").find("$GPGGA"), std::string::npos);
  test::Run(300);

  const HANDLE gpsPort = LinkState.gpsPort, instrumentPort = LinkState.instrumentPort;
  const HANDLE gpsThread = WorkerThreads.gps, reader = WorkerThreads.reader;
  const size_t from = plat::test::Releases().size();
  ExitRun(true);
  EXPECT_NE(GpsState.readerState.load(), 1);

  std::vector<ReleaseKind> kinds;
  std::vector<HANDLE> handles;
  const auto all = plat::test::Releases();
  for (size_t i = from; i < all.size(); ++i) {
    kinds.push_back(all[i].kind);
    handles.push_back(all[i].handle);
  }
  const std::vector<ReleaseKind> expectedKinds = {ReleaseKind::File, ReleaseKind::Port,  ReleaseKind::Thread,
                                                  ReleaseKind::Timer, ReleaseKind::Port, ReleaseKind::Thread};
  ASSERT_EQ(kinds, expectedKinds);
  EXPECT_EQ(handles[1], gpsPort);
  EXPECT_EQ(handles[2], gpsThread);
  EXPECT_EQ(all[from + 3].window, AppWindows.loggingWnd);
  EXPECT_EQ(handles[4], instrumentPort);
  EXPECT_EQ(handles[5], reader);
  ExpectRunEnded();
  test::Run(500);
}

}  // namespace
}  // namespace handheld
