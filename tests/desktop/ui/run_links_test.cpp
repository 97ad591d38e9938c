// The run's links in the running program on virtual ports: what a start opens and starts per
// build, the refusals and the release of what a failed start opened, the end of a run, timer 1's
// watchdog on the virtual clock, and the RZ56-MK2's Wheel switches.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/test_misc.h>
#include <plat/testing.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "desktop_test_support.h"
#include "engine/gps_reader.h"
#include "engine/messages.h"
#include "engine/models.h"
#include "engine/records.h"
#include "engine/state.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"
#include "ui/logging.h"
#include "ui/run_start.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Switches;
namespace pt = plat::test;

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

std::vector<uint32_t> TimerPeriods(HWND h) {
  std::vector<uint32_t> periods;
  for (const pt::TimerInfo& t : pt::Timers(h)) {
    if (t.id == kWatchdogTimer) periods.push_back(t.period);
  }
  return periods;
}

// The records of a data file below the drive root that begin with `prefix`.
size_t RecordsStartingWith(const std::string& path, const std::string& prefix, size_t length = 24) {
  const std::string file = test::RootFileBytes(path);
  size_t n = 0;
  for (size_t at = 0; at + length <= file.size(); at += length) n += file.compare(at, prefix.size(), prefix) == 0;
  return n;
}

class RunLinksTest : public DesktopAppTest {
 protected:
  // The instrument's line as its opener sets it: 8N1 at 9600 baud and the 10/0/10 ms reads.
  static void ExpectInstrumentLine(const pt::VirtualPort& port, DWORD baud) {
    DCB d{};
    ASSERT_TRUE(port.LastDcb(&d));
    EXPECT_EQ(d.BaudRate, baud);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    COMMTIMEOUTS t{};
    ASSERT_TRUE(port.LastTimeouts(&t));
    EXPECT_EQ(t.ReadIntervalTimeout, 10u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 10u);
  }
  // A case of a table begins on a fresh platform and drive root.
  static void Afresh() {
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
  }
  static void ExpectStartScreen() {
    EXPECT_EQ(MainMenu.mode, 0);
    EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
    for (HWND b : AppWindows.menuButtons) EXPECT_TRUE(pt::IsVisible(b));
  }
};

TEST_F(RunLinksTest, AStartOpensThePortsAndStartsTheLinksOfItsBuild) {
  const struct {
    const char* name;
    BuildSwitches build;
    int32_t markerPort;
    uint32_t timer;  // 0: none
    bool reader;
    bool gpsPort;    // COM4 opened
  } cases[] = {
      {"rz12xp", Switches(kModelRz12), 1, 300, true, true},
      {"zol12xp", Switches(kModelZol12), 1, 0, true, true},
      {"rz56xp", Switches(kModelRz56), 1, 0, false, true},
      {"rz27mk2xp marker 3", Switches(kModelRz27Mk2), 3, 300, true, true},
      {"rz12xp-gpssim", Switches(kModelRz12, 1), 1, 300, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Afresh();
    auto com3 = pt::AttachVirtualPort(3);
    Start(c.build);
    OnUi([&] { SurveySettings.markerPort = c.markerPort; });
    Key('L');
    EXPECT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
    EXPECT_EQ(MainMenu.mode, 1);
    for (HWND b : AppWindows.menuButtons) EXPECT_FALSE(pt::IsVisible(b));
    EXPECT_TRUE(pt::IsVisible(LoggingButtons.monitor[0]));
    EXPECT_EQ(pt::Style(LoggingButtons.monitor[0]) & 0x0F, DWORD{BS_DEFPUSHBUTTON});
    EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);

    EXPECT_TRUE(com1_->IsOpen());
    ExpectInstrumentLine(*com1_, c.build.modelIndex == kModelRz27Mk2 ? CBR_19200 : CBR_9600);
    EXPECT_EQ(TimerPeriods(AppWindows.loggingWnd), c.timer ? std::vector<uint32_t>{c.timer} : std::vector<uint32_t>{});
    EXPECT_EQ(Valid(WorkerThreads.reader), c.reader);
    EXPECT_EQ(LinkState.instrumentReaderState.load(), c.reader ? 2 : 1);  // the reader runs
    EXPECT_EQ(com4_->IsOpen(), c.gpsPort);
    EXPECT_TRUE(Valid(WorkerThreads.gps));  // the GPS reader or the simulator
    EXPECT_EQ(GpsState.readerState.load(), c.gpsPort ? 2 : 0);  // the GPS reader runs; the simulator has none
    EXPECT_EQ(WorkerThreads.gpsRun.load(), 1);
    const bool marker = c.markerPort == 3;
    EXPECT_EQ(com3->IsOpen(), marker);
    EXPECT_EQ(SurveyRun.markerOpened, marker);
    EXPECT_EQ(Valid(WorkerThreads.marker), marker);
    EXPECT_EQ(End(), 0);
  }
}

// The RZ56-MK2 start: 'H','X' answered "OK", then the request event, the reader, timer 1 at 100 ms
// and the normalisation, with the five Monitor buttons other than Exit disabled.
TEST_F(RunLinksTest, AnRz56Mk2StartWaitsForItsOkAndNormalises) {
  Start(Switches(kModelRz56Mk2));
  Key('L');
  ASSERT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(rz56_->ReceivedBytes().substr(0, 2), "HX");
  EXPECT_NE(LinkState.requestEvent.load(), nullptr);
  EXPECT_TRUE(Valid(WorkerThreads.reader));
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
  EXPECT_EQ(TimerPeriods(AppWindows.loggingWnd), std::vector<uint32_t>{100});
  EXPECT_EQ(SurveyRun.acquisitionState, 0);
  int disabled = 0;
  for (HWND b : LoggingButtons.monitor) disabled += b != nullptr && !pt::IsEnabled(b);
  EXPECT_EQ(disabled, 5);
  ExpectInstrumentLine(*com1_, CBR_9600);
  // Timer 1 asks for each reading while the reader is ready.
  Normalise();
  const std::string sent = rz56_->ReceivedBytes();
  EXPECT_GE(std::count(sent.begin(), sent.end(), 'A'), 98);
}

TEST_F(RunLinksTest, AMissingGpsPortLeavesTheInstrumentPortClosedAndTheNextStartOpensIt) {
  Start(Switches(kModelRz12));
  pt::DetachVirtualPort(4);
  pt::ExpectMessageBox({L"Serial Port", L"Cannot open COM4 for GPS", IDOK});
  Key('L');
  ExpectStartScreen();
  EXPECT_FALSE(com1_->IsOpen());
  EXPECT_EQ(com1_->Closes(), 1);
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
  EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(Valid(WorkerThreads.reader));
  EXPECT_TRUE(TimerPeriods(AppWindows.loggingWnd).empty());
  // The start screen takes keys at once, and the next start opens both ports.
  com4_ = pt::AttachVirtualPort(4);
  Key('L');
  EXPECT_EQ(MainMenu.mode, 1);
  EXPECT_EQ(com1_->Opens(), 2);
  EXPECT_TRUE(com4_->IsOpen());
}

// An RZ56-MK2 without its "OK", or an RZ27 whose frame probe finds no frames: refused, and both
// ports released with the reader states 0; with the instrument answering, the next start runs.
TEST_F(RunLinksTest, AnInstrumentThatDoesNotAnswerIsRefusedAndBothPortsAreReleased) {
  const struct {
    const char* name;
    int32_t model;
  } cases[] = {{"rz56mk2xp without OK", kModelRz56Mk2}, {"rz27xp probe failure", kModelRz27}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Afresh();
    Start(Switches(c.model));
    const bool rz56 = c.model == kModelRz56Mk2;
    if (rz56) rz56_->SetOff(true);
    pt::ExpectMessageBox({L"Connection", L"Instrument OFF or Disconnected", IDOK});
    Key('L');
    ExpectStartScreen();
    EXPECT_FALSE(com1_->IsOpen());
    EXPECT_FALSE(com4_->IsOpen());
    EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
    EXPECT_EQ(GpsState.readerState.load(), 0);  // its port opened, then released
    EXPECT_FALSE(Valid(WorkerThreads.reader));
    EXPECT_FALSE(Valid(WorkerThreads.gps));
    EXPECT_TRUE(TimerPeriods(AppWindows.loggingWnd).empty());
    // Switched on again (the RZ27 streaming its frames), the next start gets through.
    sim::InstrumentOptions frames;
    frames.model = kModelRz27;
    frames.count = 100;
    sim::InstrumentStream stream(frames);
    if (rz56) {
      rz56_->SetOff(false);
    } else {
      sim::FeedVirtualPort(*com1_, stream, GetTickCount());
    }
    Key('L');
    EXPECT_EQ(MainMenu.mode, 1);
    EXPECT_TRUE(com1_->IsOpen());
    EXPECT_TRUE(com4_->IsOpen());
    EXPECT_EQ(End(), 0);
  }
}

// Exit answered Yes in Stand By: the timer, the instrument port and the reader, then after 500 ms
// the file, the GPS port and thread and the marker port and watcher, in that order and once each;
// afterwards every handle is invalid, and a second end of the run finds nothing to close.
TEST_F(RunLinksTest, TheEndOfARunClosesEverythingItOpenedOnceInOrder) {
  const struct {
    const char* name;
    int32_t model;
    int32_t markerPort;
  } cases[] = {{"rz12xp", kModelRz12, 0}, {"rz27mk2xp marker 3", kModelRz27Mk2, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Afresh();
    auto com3 = pt::AttachVirtualPort(3);
    Start(Switches(c.model));
    OnUi([&] { SurveySettings.markerPort = c.markerPort; });
    Key('L');
    EnterStandBy();
    const HANDLE instrumentPort = LinkState.instrumentPort, gpsPort = LinkState.gpsPort,
                 markerPort = LinkState.markerPort;
    const HANDLE reader = WorkerThreads.reader, gps = WorkerThreads.gps, marker = WorkerThreads.marker;
    const size_t before = pt::Releases().size();
    const DWORD start = GetTickCount();
    pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
    Key('X');
    EXPECT_GE(GetTickCount() - start, 500u);
    ExpectStartScreen();

    using K = pt::ReleaseKind;
    std::vector<pt::ReleaseRecord> expected = {{K::Timer, nullptr, AppWindows.loggingWnd, kWatchdogTimer},
                                               {K::Port, instrumentPort, nullptr, 0},
                                               {K::Thread, reader, nullptr, 0},
                                               {K::File, nullptr, nullptr, 0},
                                               {K::Port, gpsPort, nullptr, 0},
                                               {K::Thread, gps, nullptr, 0}};
    if (c.markerPort != 0) {
      expected.push_back({K::Port, markerPort, nullptr, 0});
      expected.push_back({K::Thread, marker, nullptr, 0});
    }
    const auto all = pt::Releases();
    ASSERT_EQ(all.size() - before, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const pt::ReleaseRecord& r = all[before + i];
      EXPECT_EQ(r.kind, expected[i].kind) << i;
      if (r.kind != K::File) {
        EXPECT_EQ(r.handle, expected[i].handle) << i;
      }
      EXPECT_EQ(r.window, expected[i].window) << i;
    }

    EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
    EXPECT_TRUE(TimerPeriods(AppWindows.loggingWnd).empty());
    EXPECT_EQ(com1_->Closes(), 1);
    EXPECT_EQ(com4_->Closes(), 1);
    EXPECT_EQ(com3->Closes(), c.markerPort != 0 ? 1 : 0);
    for (HANDLE h : {LinkState.instrumentPort.load(), LinkState.gpsPort.load(), LinkState.markerPort.load(),
                     WorkerThreads.reader, WorkerThreads.gps, WorkerThreads.marker, WorkerThreads.wheelReader}) {
      EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
    EXPECT_EQ(GpsState.readerState.load(), 0);
    EXPECT_EQ(WorkerThreads.gpsRun.load(), 0);
    EXPECT_FALSE(SurveyRun.markerOpened);
    EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
    EXPECT_EQ(SurveyRun.linesTotal, 0);
    EXPECT_EQ(SurveyRun.stationsTotal, 0);
    EXPECT_TRUE(SurveyRun.dataFileName.empty());
    const size_t released = pt::Releases().size();
    int second = -1;
    OnUiSettled([&] { second = StopLogging(); });
    EXPECT_EQ(second, 1);
    EXPECT_EQ(pt::Releases().size(), released);
    EXPECT_EQ(com1_->Closes(), 1);
    EXPECT_EQ(com4_->Closes(), 1);
    EXPECT_EQ(End(), 0);
  }
}

// Frames stop 10 ms before a tick while Logging: each of the six late ticks after it writes one
// "$CONN BREAK", and Logging goes on.
TEST_F(RunLinksTest, EveryLateTickWhileLoggingWritesOneConnectionBreak) {
  Start(Switches(kModelRz12));
  OnUi([] { SurveySettings.gpsEnabled = 0; });
  Key('L');
  EnterStandBy();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  const size_t before = RecordsStartingWith("C/RUN1.R12", "X$CONN BREAK");
  OnUi([] {
    SetTimer(AppWindows.loggingWnd, kWatchdogTimer, 300, nullptr);  // the next tick 300 ms from now
  });
  ASSERT_TRUE(pt::RunFor(290));
  OnUi([] { LinkState.lastFrameTick = GetTickCount(); });  // the last frame, 10 ms before a tick
  ASSERT_TRUE(pt::RunFor(10 + 6 * 300));
  EXPECT_EQ(RecordsStartingWith("C/RUN1.R12", "X$CONN BREAK") - before, 6u);
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.pause));
}

// RZ56-MK2 in Wheel mode: GO ends the request reader before the port reopens and leaves the wheel
// reader alone on it, with no timer; PAUSE brings back the request reader and the 100 ms polling.
TEST_F(RunLinksTest, Rz56Mk2WheelGoAndPauseSwitchTheReaders) {
  Start(Switches(kModelRz56Mk2));
  OnUi([] {
    SurveySettings.surveyMode = kModeWheel;
    SurveySettings.gpsEnabled = 0;
  });
  Key('L');
  Normalise();
  EnterStandBy();
  const int opens = com1_->Opens();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_EQ(com1_->Opens(), opens + 1);
  EXPECT_EQ(com1_->Closes(), opens);  // the old port closed before the reopen
  EXPECT_FALSE(Valid(WorkerThreads.reader));
  EXPECT_TRUE(Valid(WorkerThreads.wheelReader));
  EXPECT_TRUE(TimerPeriods(AppWindows.loggingWnd).empty());
  EXPECT_EQ(rz56_->Mode(), sim::Rz56Mode::kWheel);
  EXPECT_EQ(SurveySettings.surveyModeChoice, kModeWheel);

  Key(VK_SPACE);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_TRUE(Valid(WorkerThreads.reader));
  EXPECT_FALSE(Valid(WorkerThreads.wheelReader));
  EXPECT_EQ(TimerPeriods(AppWindows.loggingWnd), std::vector<uint32_t>{100});
  EXPECT_EQ(rz56_->Mode(), sim::Rz56Mode::kRequest);
  EXPECT_EQ(SurveySettings.surveyModeChoice, kModeAuto);
  // Polling again at once.
  const size_t requests = rz56_->ReceivedBytes().size();
  ASSERT_TRUE(pt::RunFor(300));
  EXPECT_GT(rz56_->ReceivedBytes().size(), requests);
  EXPECT_EQ(rz56_->ReceivedBytes().back(), 'A');
}

// RZ56-MK2: a request unanswered for 200 ms is not overdue; at 201 ms timer 1 sets linkLost and
// shows the bar, and writes "$CONN BREAK" only while Logging.
TEST_F(RunLinksTest, AnRz56Mk2RequestUnansweredFor201MsLosesTheLink) {
  const struct {
    const char* name;
    bool logging;
  } cases[] = {{"Stand By", false}, {"Logging", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Afresh();
    Start(Switches(kModelRz56Mk2));
    OnUi([] { SurveySettings.gpsEnabled = 0; });
    Key('L');
    Normalise();
    EnterStandBy();
    if (c.logging) Key('G');
    ASSERT_EQ(SurveyRun.state.load(), c.logging ? kRunLogging : kRunStandBy);
    rz56_->SetOff(true);
    OnUi([] { KillTimer(AppWindows.loggingWnd, kWatchdogTimer); });
    ASSERT_TRUE(pt::RunFor(300));  // what was on its way has come
    const std::string file = "C/RUN1" + std::string(ThisModel().extension);
    auto breaks = [&] {
      SurveyRun.dataFile.Flush();
      return RecordsStartingWith(file, "X$CONN BREAK", static_cast<size_t>(RecordLength()));
    };
    const size_t before = breaks();
    auto tickAfter = [](DWORD ms) {
      LinkState.rz56Ready = 0;  // a request on its way
      LinkState.lastRz56Tick = GetTickCount() - ms;
      SendMessageA(AppWindows.loggingWnd, WM_TIMER, kWatchdogTimer, 0);
    };
    const auto bar = [] { return pt::WindowPixel(AppWindows.numbersWnd, 5, LoggingLayout.valueRowRect.top + 2); };
    OnUi([&] { tickAfter(200); });
    EXPECT_EQ(LinkState.linkLost.load(), 0);
    EXPECT_NE(bar(), RGB(255, 0, 0));
    EXPECT_EQ(breaks(), before);
    OnUi([&] { tickAfter(201); });
    EXPECT_EQ(LinkState.linkLost.load(), 1);
    EXPECT_EQ(bar(), RGB(255, 0, 0));
    EXPECT_EQ(breaks(), before + (c.logging ? 1 : 0));
    EXPECT_EQ(SurveyRun.state.load(), c.logging ? kRunLogging : kRunStandBy);
    rz56_->SetOff(false);
    EXPECT_EQ(End(), 0);
  }
}

// The simulator build announces its sentence once a second while Logging and writes no GPS record.
TEST_F(RunLinksTest, TheGpsSimulatorBuildAnnouncesItsSentenceAndRecordsNone) {
  Start(Switches(kModelRz12, 1));
  std::atomic<int> announced{0};
  pt::OnSendHandled([&](HWND, UINT msg) { announced += msg == WM_GPS_SENTENCE; });
  Key('L');
  EnterStandBy();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  const int atGo = announced;
  ASSERT_TRUE(pt::RunFor(3500));
  EXPECT_GE(announced - atGo, 3);
  // Without its last character; byte 0 is cleared once the GPS box has taken the sentence.
  EXPECT_EQ(std::string(GpsState.sentence + 1), std::string(GpsSimulatorSentence + 1, sizeof GpsSimulatorSentence - 3));
  Key(VK_SPACE);
  pt::OnSendHandled(nullptr);
  SurveyRun.dataFile.Flush();
  for (const char* tag : {"@", "?", "#", "!"}) EXPECT_EQ(RecordsStartingWith("C/RUN1.R12", tag), 0u) << tag;
  EXPECT_EQ(RecordsStartingWith("C/RUN1.R12", "X$STARTED"), 1u);
}

}  // namespace
}  // namespace desktop
