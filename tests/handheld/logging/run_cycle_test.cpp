// Whole survey runs on virtual ports with frames and GPS sentences streaming: start, Create File,
// Go, pause and Exit, and the end of the run's order of closing on the recorders.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <memory>
#include <string>
#include <vector>

#include "logging/screen.h"
#include "logging_fixture.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using plat::test::ReleaseKind;
using plat::test::ReleaseRecord;
using test::LoggingFixture;
using test::LoggingSetup;

struct CycleCase {
  const char* name;
  int32_t model;
  bool gps;
  bool markerPort;  // the RZ27-MK2 with a marker port of its own
  bool gpsOpens = true;  // false: GPS input is on, but its port did not open
};
void PrintTo(const CycleCase& c, std::ostream* os) { *os << c.name; }

class RunCycle : public LoggingFixture, public ::testing::WithParamInterface<CycleCase> {
 protected:
  // The run start as the shell does it, on COM1 (instrument), COM2 (marker) and COM3 (GPS).
  void StartOnPorts(const CycleCase& c) {
    LoggingSetup s;
    s.model = c.model;
    SetUpLogging(s);
    // Every setting is in place before the first thread starts, as at the run start.
    SurveySettings.instrumentPort = 0;
    SurveySettings.markerPort = c.markerPort ? 2 : 0;
    SurveySettings.gpsEnabled = c.gps ? 1 : 0;
    SurveySettings.gpsPort = 2;
    instrument_ = plat::test::AttachVirtualPort(1);
    ASSERT_EQ(OpenInstrumentPort(), 1);
    LinkState.lastFrameTick = GetTickCount();
    WorkerThreads.reader = CreateThread(nullptr, 0, c.model == kModelRz27Mk2 ? Rz27Mk2ReaderThread : InstrumentReaderThread,
                                        nullptr, 0, nullptr);
    ASSERT_NE(WorkerThreads.reader, nullptr);
    if (c.markerPort) {
      marker_ = plat::test::AttachVirtualPort(2);
      ASSERT_EQ(OpenMarkerPort(), 1);
      WorkerThreads.marker = CreateThread(nullptr, 0, MarkerPollThread, nullptr, 0, nullptr);
      SurveyRun.markerOpened = 1;
    }
    if (c.gps && c.gpsOpens) {
      gps_ = plat::test::AttachVirtualPort(3);
      ASSERT_EQ(OpenGpsPort(), 1);
      WorkerThreads.gps = CreateThread(nullptr, 0, GpsReaderThread, nullptr, 0, nullptr);
    }
    ShowRun();

    // Frames for the next ten seconds, and a GPS fix every second.
    const DWORD now = GetTickCount();
    sim::InstrumentOptions o;
    o.model = c.model;
    o.ramp = true;
    sim::InstrumentStream frames(o);
    sim::FeedVirtualPort(*instrument_, frames, now, nullptr, 10000);
    if (gps_) {
      sim::GpsOptions g;
      sim::NmeaStream sentences(g);
      sim::FeedVirtualPort(*gps_, sentences, now + 50, nullptr, 10000);
    }
  }

  size_t ReadingsHandled() const {
    size_t n = 0;
    for (const auto& s : plat::test::Sends()) {
      if (s.hwnd == logging_ && (s.msg == WM_READING || s.msg == WM_RZ27MK2_READING)) ++n;
    }
    return n;
  }

  std::shared_ptr<plat::test::VirtualPort> instrument_, marker_, gps_;
};

TEST_P(RunCycle, StartCreateGoPauseExit) {
  const CycleCase& c = GetParam();
  StartOnPorts(c);
  PumpFor(500);
  const size_t monitorReadings = ReadingsHandled();
  EXPECT_GT(monitorReadings, 3u);  // readings arrive in Monitor

  ASSERT_TRUE(CreateFile(L"\\Storage\\CYCLE.DAT"));
  PumpFor(300);
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_EQ(SurveyRun.framesPerReading.load(), LinkState.sampleDivisor);
  PumpFor(2500);
  EXPECT_GT(ReadingsHandled(), monitorReadings);
  Press(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)]);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);

  // Every record is on the storage: the GPS reader's sentences while Logging, then the pause.
  const std::string file = test::RootFileBytes("Storage/CYCLE.DAT");
  EXPECT_EQ(file.size(), SurveyRun.dataFile.Size());
  EXPECT_NE(file.find("X$STARTED"), std::string::npos);
  EXPECT_NE(file.find("X$PAUSED"), std::string::npos);
  if (c.gps) {
    EXPECT_NE(file.find("$GPGGA"), std::string::npos);
  }
  PumpFor(300);

  // Exit, answered Yes: the closes in the order of the end of a run.
  const HANDLE gpsPort = LinkState.gpsPort, markerPort = LinkState.markerPort,
               instrumentPort = LinkState.instrumentPort;
  const HANDLE gpsThread = WorkerThreads.gps, markerThread = WorkerThreads.marker, reader = WorkerThreads.reader;
  const size_t before = plat::test::Releases().size();
  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Key('X');

  std::vector<ReleaseRecord> closes;
  const auto all = plat::test::Releases();
  for (size_t i = before; i < all.size(); ++i) {
    if (all[i].kind != ReleaseKind::Timer || all[i].window == logging_) closes.push_back(all[i]);
  }
  std::vector<ReleaseRecord> expected = {{ReleaseKind::File, nullptr, nullptr, 0}};
  if (c.gps) {
    expected.push_back({ReleaseKind::Port, gpsPort, nullptr, 0});
    expected.push_back({ReleaseKind::Thread, gpsThread, nullptr, 0});
  }
  if (c.markerPort) {
    expected.push_back({ReleaseKind::Port, markerPort, nullptr, 0});
    expected.push_back({ReleaseKind::Thread, markerThread, nullptr, 0});
  }
  expected.push_back({ReleaseKind::Timer, nullptr, logging_, kWatchdogTimer});
  expected.push_back({ReleaseKind::Port, instrumentPort, nullptr, 0});
  expected.push_back({ReleaseKind::Thread, reader, nullptr, 0});
  ASSERT_EQ(closes.size(), expected.size());
  for (size_t i = 0; i < closes.size(); ++i) {
    EXPECT_EQ(closes[i].kind, expected[i].kind) << i;
    if (expected[i].kind != ReleaseKind::File) {
      EXPECT_EQ(closes[i].handle, expected[i].handle) << i;
      EXPECT_EQ(closes[i].window, expected[i].window) << i;
    }
  }

  // Afterwards: Monitor state, every handle invalid, the window hidden, the ports closed.
  test::ExpectRunReleased();
  EXPECT_FALSE(plat::test::IsVisible(logging_));
  EXPECT_FALSE(instrument_->IsOpen());
  if (gps_) {
    EXPECT_FALSE(gps_->IsOpen());
  }
  if (marker_) {
    EXPECT_FALSE(marker_->IsOpen());
  }

  // The readers end on their closed ports (Reset fails the test for any thread left).
  PumpFor(200);
  EXPECT_NE(GpsState.readerState.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, RunCycle,
                         ::testing::Values(CycleCase{"Rz12WithGps", kModelRz12, true, false},
                                           CycleCase{"Rz27Mk2WithGpsAndMarkerPort", kModelRz27Mk2, true, true},
                                           CycleCase{"Rz45WithoutGps", kModelRz45, false, false}),
                         [](const ::testing::TestParamInfo<CycleCase>& info) { return std::string(info.param.name); });

// GPS input enabled, but no GPS port was opened (the opener failed): nothing of the GPS is closed.
TEST_F(RunCycle, OnlyOpenedHandlesAreClosed) {
  StartOnPorts(CycleCase{"", kModelRz12, true, false, false});
  PumpFor(300);
  const size_t before = plat::test::Releases().size();
  Key('X');  // Monitor: no question
  std::vector<ReleaseKind> kinds;
  const auto all = plat::test::Releases();
  for (size_t i = before; i < all.size(); ++i) kinds.push_back(all[i].kind);
  EXPECT_EQ(kinds, (std::vector<ReleaseKind>{ReleaseKind::Timer, ReleaseKind::Port, ReleaseKind::Thread}));
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  PumpFor(200);
}

}  // namespace
}  // namespace handheld
