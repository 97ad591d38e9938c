// Monitor/Log in the running program on virtual ports: each model's port, reader and watchdog
// timer, GPS, the RZ27-MK2 marker port, the refusals, and the state a run starts from.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "shell/shell.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using plat::test::VirtualPort;
using test::AppTest;

// Reading messages the logging window was sent.
size_t SendsOf(UINT msg) {
  size_t n = 0;
  for (const plat::test::SendInfo& s : plat::test::Sends()) n += s.hwnd == AppWindows.loggingWnd && s.msg == msg;
  return n;
}

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// The instrument's frames on the port, from now on.
void FeedFrames(VirtualPort& port, int model, long count) {
  sim::InstrumentOptions o;
  o.model = model;
  o.count = count;
  sim::InstrumentStream stream(o);
  sim::FeedVirtualPort(port, stream, GetTickCount());
}

class RunStart : public AppTest {
 protected:
  // Starts the build with the settings that `settings` sets before the settings file is written.
  void StartWith(int model, const std::function<void()>& settings = nullptr) {
    test::UseApp(model);
    if (settings) settings();
    program_ = test::StartApp({320, 240});
  }
  // Monitor/Log, and the time its start takes (the RZ27 probe up to 4 s).
  void MonitorLog(uint32_t ms = 100) {
    plat::test::KeyPress('L');
    test::Run(ms);
  }
  static int Framed() {
    for (int i = 0; i < 7; ++i) {
      if ((plat::test::Style(AppWindows.menuButtons[i]) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return i;
    }
    return -1;
  }
  // The menu takes keys: Tab moves the frame on.
  static void ExpectMenuTakesKeys() {
    const int before = Framed();
    plat::test::KeyPress(VK_TAB);
    EXPECT_TRUE(plat::test::WaitIdle());
    EXPECT_EQ(Framed(), (before + 1) % 7);
  }
  static void ExpectNoRun() {
    EXPECT_EQ(SurveyRun.runActive, 0);
    EXPECT_FALSE(plat::test::IsVisible(AppWindows.loggingWnd));
    EXPECT_TRUE(plat::test::Timers(AppWindows.loggingWnd).empty());
    EXPECT_EQ(WorkerThreads.reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
  }
};

// ---- Each model ---------------------------------------------------------------------------------

struct ModelRun {
  const char* name;
  int model;
  int surveyMode;
  DWORD baud;
  UINT reading;
  uint32_t timerMs;  // 0: no watchdog timer
  uint32_t startMs;  // what the start takes
};
// Test names and failures show the case, not its bytes.
void PrintTo(const ModelRun& c, std::ostream* os) { *os << c.name; }

class EachModel : public RunStart, public ::testing::WithParamInterface<ModelRun> {};

// The instrument port gets the line settings of the build, the model's reader announces the
// frames, timer 1 of the logging window runs at the model's period, and the logging window shows.
// Key codes in the main window do nothing while the run is on.
TEST_P(EachModel, OpensThePortStartsTheReaderAndTheWatchdog) {
  const ModelRun& r = GetParam();
  auto port = plat::test::AttachVirtualPort(1);
  StartWith(r.model, [&] {
    SurveySettings.surveyMode = r.surveyMode;
    SurveySettings.mk2Type = 1;
    for (int& shown : PlotState.traceShown) shown = 1;
  });
  FeedFrames(*port, r.model, 60);
  MonitorLog(r.startMs);
  test::Run(2500);

  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(port->Opens(), 1);
  DCB dcb{};
  ASSERT_TRUE(port->LastDcb(&dcb));
  EXPECT_EQ(dcb.BaudRate, r.baud);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fDtrControl, unsigned{DTR_CONTROL_ENABLE});
  EXPECT_EQ(dcb.fRtsControl, unsigned{RTS_CONTROL_DISABLE});
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  EXPECT_EQ(dcb.fOutX | dcb.fInX, 0u);
  COMMTIMEOUTS t{};
  ASSERT_TRUE(port->LastTimeouts(&t));
  EXPECT_EQ(t.ReadIntervalTimeout, 65535u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1000u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier | t.WriteTotalTimeoutConstant, 0u);

  ASSERT_TRUE(Valid(WorkerThreads.reader));
  EXPECT_EQ(WaitForSingleObject(WorkerThreads.reader, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_GE(SendsOf(r.reading), 2u);
  const auto timers = plat::test::Timers(AppWindows.loggingWnd);
  if (r.timerMs == 0) {
    EXPECT_TRUE(timers.empty());
  } else {
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].id, UINT_PTR{1});
    EXPECT_EQ(timers[0].period, r.timerMs);
  }
  if (r.model == kModelZol12 && r.timerMs) {
    EXPECT_EQ(Watchdog.periodMs, 2000);
  }
  if (r.model == kModelRz27Mk2) {
    for (int i = 4; i < 8; ++i) EXPECT_EQ(PlotState.traceShown[i], 0) << i;  // the 0.5 m channels
  }
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.marker, INVALID_HANDLE_VALUE);

  // Keys that reach the covered main window during a run do nothing there.
  const HWND main = test::MainWindow();
  for (int vk : {VK_TAB, int{'S'}, VK_RETURN, int{'X'}}) PostMessageW(main, WM_KEYDOWN, vk, 0);
  test::Run(200);
  EXPECT_EQ(MainMenu.selected, 1);
  EXPECT_FALSE(test::Ended(program_));
  EXPECT_TRUE(plat::test::ModalLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Models, EachModel,
    ::testing::Values(ModelRun{"Rz12", kModelRz12, 0, CBR_9600, WM_READING, 300, 100},
                      ModelRun{"Rz27B", kModelRz27B, 2, CBR_9600, WM_READING, 300, 100},
                      ModelRun{"Rz27Dd", kModelRz27Dd, 0, CBR_9600, WM_READING, 300, 100},
                      ModelRun{"Rz27Probed", kModelRz27, 0, CBR_9600, WM_READING, 300, 3000},
                      ModelRun{"Rz45", kModelRz45, 1, CBR_9600, WM_READING, 300, 100},
                      ModelRun{"Rz89", kModelRz89, 0, CBR_9600, WM_READING, 300, 100},
                      ModelRun{"Zol12", kModelZol12, 0, CBR_9600, WM_ZOL12_READING, 2000, 100},
                      ModelRun{"Zol12Manual", kModelZol12, 1, CBR_9600, WM_ZOL12_READING, 0, 100},
                      ModelRun{"Rz27Mk2", kModelRz27Mk2, 0, CBR_19200, WM_RZ27MK2_READING, 300, 100}),
    [](const ::testing::TestParamInfo<ModelRun>& info) { return std::string(info.param.name); });

// ---- GPS ------------------------------------------------------------------------------------------

// With GPS input on, the GPS port gets its own line settings and the GPS reader announces lines.
TEST_F(RunStart, GpsInputOpensTheGpsPortAndStartsItsReader) {
  auto port = plat::test::AttachVirtualPort(1);
  auto gps = plat::test::AttachVirtualPort(2);
  StartWith(kModelRz12, [] {
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 1;
    SurveySettings.gpsBaudIndex = 0;
    SurveySettings.gpsDataBitsIndex = 0;
    SurveySettings.gpsParityIndex = 1;
    SurveySettings.gpsStopBitsIndex = 1;
  });
  MonitorLog();
  gps->Feed(sim::NmeaSentence(sim::GgaBody(3660000)), GetTickCount() + 50);
  test::Run(500);
  EXPECT_EQ(SurveyRun.runActive, 1);
  DCB dcb{};
  ASSERT_TRUE(gps->LastDcb(&dcb));
  EXPECT_EQ(dcb.BaudRate, DWORD{CBR_4800});
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(dcb.fOutX & dcb.fInX, 1u);
  COMMTIMEOUTS t{};
  ASSERT_TRUE(gps->LastTimeouts(&t));
  EXPECT_EQ(t.ReadIntervalTimeout, 100u);
  ASSERT_TRUE(Valid(WorkerThreads.gps));
  EXPECT_EQ(GpsState.readerState.load(), 1);
  EXPECT_EQ(SendsOf(WM_GPS_SENTENCE), 1u);
  EXPECT_EQ(port->Opens(), 1);
}

// A GPS port that does not open: its message, and the run goes on without GPS. A handle left in
// WorkerThreads.gps by an earlier GPS monitor is closed once at the start and not kept.
TEST_F(RunStart, AGpsPortThatFailsLeavesTheRunWithoutGpsAndNoStaleHandle) {
  auto port = plat::test::AttachVirtualPort(1);
  auto gps = plat::test::AttachVirtualPort(2);
  gps->FailOpens(10, ERROR_FILE_NOT_FOUND);
  StartWith(kModelRz12, [] {
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 1;
  });
  HANDLE stale = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(stale, 5000), WAIT_OBJECT_0);
  plat::test::OnUiThread([stale] {
    WorkerThreads.gps = stale;
    return LRESULT{0};
  });
  plat::test::ExpectMessageBox({L"Serial Port", L"Cannot open GPS port", IDOK});
  MonitorLog();
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CloseHandle(stale));  // closed already, exactly once
  EXPECT_EQ(plat::test::ModalLog().at(0).owner, AppWindows.monitorGpsWnd);
}

// ---- The RZ27-MK2's marker port -----------------------------------------------------------------

struct MarkerCase {
  const char* name;
  int instrumentPort;
  int markerPort;
  int markerCom;     // the COM port opened for the marker, 0 none
  bool missing;      // the marker's device is not there
  bool watcher;      // the marker watcher runs (or ran)
};
// Test names and failures show the case, not its bytes.
void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.name; }

class Mk2Marker : public RunStart, public ::testing::WithParamInterface<MarkerCase> {};

// A marker on a port of its own gets the port (with DSR flow control) and its watcher; a marker on
// the instrument's port is the reader's; a marker setting outside 0 to 11 counts as none. A marker
// port that does not open shows its message, and its watcher still starts and ends at once.
TEST_P(Mk2Marker, OpensAPortOnlyForAMarkerOfItsOwn) {
  const MarkerCase& c = GetParam();
  const int instrumentCom = c.instrumentPort + 1;
  auto port = plat::test::AttachVirtualPort(instrumentCom);
  std::shared_ptr<VirtualPort> marker = c.markerCom ? plat::test::AttachVirtualPort(c.markerCom) : nullptr;
  if (c.missing) marker->FailOpens(1, ERROR_FILE_NOT_FOUND);
  StartWith(kModelRz27Mk2, [&] {
    SurveySettings.instrumentPort = c.instrumentPort;
    SurveySettings.markerPort = c.markerPort;
  });
  if (c.missing) plat::test::ExpectMessageBox({L"Serial Port", L"Cannot open External Marker port", IDOK});
  MonitorLog();
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_EQ(port->Opens(), 1);
  EXPECT_EQ(SurveyRun.markerOpened, c.watcher ? 1 : 0);
  EXPECT_EQ(Valid(WorkerThreads.marker), c.watcher);
  if (marker && !c.missing) {
    EXPECT_TRUE(marker->IsOpen());
    DCB dcb{};
    ASSERT_TRUE(marker->LastDcb(&dcb));
    EXPECT_EQ(dcb.BaudRate, DWORD{CBR_19200});
    EXPECT_EQ(dcb.fOutxDsrFlow, 1u);
    EXPECT_EQ(WaitForSingleObject(WorkerThreads.marker, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  } else {
    EXPECT_EQ(LinkState.markerPort.load(), INVALID_HANDLE_VALUE);
  }
  if (c.missing) {
    EXPECT_EQ(WaitForSingleObject(WorkerThreads.marker, 0), WAIT_OBJECT_0);
  }
}

INSTANTIATE_TEST_SUITE_P(Markers, Mk2Marker,
                         ::testing::Values(MarkerCase{"SharedWithTheInstrument", 6, 6, 0, false, false},
                                           MarkerCase{"OfItsOwn", 6, 1, 1, false, true},
                                           MarkerCase{"OnCom8", 0, 7, 8, false, true},
                                           MarkerCase{"Disabled", 0, 0, 0, false, false},
                                           MarkerCase{"OutOfRange", 0, 15, 0, false, false},
                                           MarkerCase{"Missing", 0, 3, 3, true, true}),
                         [](const ::testing::TestParamInfo<MarkerCase>& info) { return std::string(info.param.name); });

// ---- Refusals and failures ---------------------------------------------------------------------

struct Refusal {
  const char* name;
  int model;
  std::function<void()> settings;
  bool failOpen;  // COM1 cannot be opened (as a device missing from the map)
  const wchar_t* caption;
  const wchar_t* text;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class Refusals : public RunStart, public ::testing::WithParamInterface<Refusal> {};

// Each refusal or failure shows its message, leaves no port, thread, timer or logging window
// behind, and the menu takes keys again at once.
TEST_P(Refusals, ShowTheirMessageAndStartNoRun) {
  const Refusal& r = GetParam();
  auto com1 = plat::test::AttachVirtualPort(1);
  if (r.failOpen) com1->FailOpens(1, ERROR_FILE_NOT_FOUND);
  auto com7 = plat::test::AttachVirtualPort(7);
  StartWith(r.model, r.settings);
  plat::test::ExpectMessageBox({r.caption, r.text, IDOK});
  MonitorLog(5000);
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  ASSERT_EQ(plat::test::ModalLog().size(), 1u);
  EXPECT_EQ(plat::test::ModalLog()[0].text, r.text);
  ExpectNoRun();
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.marker, INVALID_HANDLE_VALUE);
  EXPECT_EQ(com7->OpenAttempts(), 0);
  EXPECT_EQ(com1->OpenAttempts(), r.failOpen || r.model == kModelRz27 ? 1 : 0);
  EXPECT_FALSE(com1->IsOpen());
  EXPECT_EQ(com1->Closes(), com1->Opens());  // the RZ27's probe opened it, and closed it again
  ExpectMenuTakesKeys();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        Refusal{"InstrumentOnTheGpsPort", kModelRz12,
                [] {
                  SurveySettings.gpsEnabled = 1;
                  SurveySettings.gpsPort = 0;
                },
                false, L"Serial Port", L"Same Port Assigned"},
        Refusal{"Mk2MarkerOnTheGpsPort", kModelRz27Mk2,
                [] {
                  SurveySettings.gpsEnabled = 1;
                  SurveySettings.gpsPort = 6;
                  SurveySettings.markerPort = 6;
                },
                false, L"Serial Port", L"Same Port Assigned"},
        Refusal{"MissingDevice", kModelRz12, nullptr, true, L"Serial Port", L"Cannot open RZ12 port"},
        Refusal{"MissingRz27MK2Device", kModelRz27Mk2, nullptr, true, L"Serial Port", L"Cannot open RZ27MK2 port"},
        Refusal{"PortSettingAboveRange", kModelRz12, [] { SurveySettings.instrumentPort = 12; }, false, L"Serial Port",
                L"Cannot open RZ12 port"},
        Refusal{"PortSettingBelowRange", kModelRz45, [] { SurveySettings.instrumentPort = -1; }, false, L"Serial Port",
                L"Cannot open RZ45 port"},
        Refusal{"SilentRz27", kModelRz27, nullptr, false, L"Connection", L"Instrument OFF or Disconnected"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

// ---- The state a run starts from ---------------------------------------------------------------

// Whatever an earlier run left (ended by the watchdog while Logging in Auto, say), a run starts in
// Monitor with every frame announced.
TEST_F(RunStart, ARunStartsFromMonitorWithEveryFrameAnnounced) {
  auto port = plat::test::AttachVirtualPort(1);
  StartWith(kModelRz12);
  plat::test::OnUiThread([] {
    SurveyRun.state = kRunLogging;
    SurveyRun.framesPerReading = 4;
    SurveyRun.recordFlag = -1;
    SurveyRun.softMarkerHeld = 1;
    SurveyRun.readingsAtStation = 3;
    LinkState.frameCount = 7;
    LinkState.hardMarker = 16;
    PlotState.started = 1;
    return LRESULT{0};
  });
  MonitorLog();
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  EXPECT_EQ(SurveyRun.recordFlag, 0);
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 0);
  EXPECT_EQ(SurveyRun.readingsAtStation, 0);
  EXPECT_EQ(LinkState.frameCount.load(), 0);
  EXPECT_EQ(LinkState.hardMarker.load(), 0);
  EXPECT_EQ(PlotState.started, 0);
  FeedFrames(*port, kModelRz12, 6);
  test::Run(1000);
  EXPECT_EQ(SendsOf(WM_READING), 6u);
}

struct Averaging {
  int model;
  int surveyMode;
  int samples;
  int averaging;
};

// Manual mode averages two samples or more, except on the ZOL12.
TEST_F(RunStart, ManualModeAveragesFromTwoSamplesExceptOnTheZol12) {
  const Averaging cases[] = {{kModelRz12, 2, 2, 1}, {kModelRz12, 2, 1, 0}, {kModelRz12, 0, 10, 0},
                             {kModelRz12, 1, 10, 0}, {kModelZol12, 2, 10, 0}, {kModelRz27Mk2, 2, 5, 1}};
  for (const Averaging& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " mode " << c.surveyMode << " samples " << c.samples);
    auto port = plat::test::AttachVirtualPort(1);
    StartWith(c.model, [&] {
      SurveySettings.surveyMode = c.surveyMode;
      SurveySettings.samplesPerReading = c.samples;
      SurveyRun.averaging = 1 - c.averaging;
    });
    MonitorLog();
    EXPECT_EQ(SurveyRun.runActive, 1);
    EXPECT_EQ(SurveyRun.averaging, c.averaging);
    EXPECT_EQ(SurveyRun.modeAtStart, c.surveyMode);
    End();
    plat::test::Reset();
    plat::test::UseTempRoot();
  }
}

}  // namespace
}  // namespace handheld
