// Whole surveys on pseudo-terminals and the real clock: the handheld program in this process, its
// instrument (and GPS receiver) streamed by the simulators into the ptys' masters, driven through
// its windows; then the data file is checked record by record. Each run is a child process,
// because the keep-alive thread sleeps for a minute between its rounds.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <memory>
#include <vector>

#include "child_process.h"
#include "pty_feed.h"
#include "survey_file_checks.h"
#include "driver/scripted_survey.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "sim/gps.h"
#include "sim/instrument.h"

namespace handheld {
namespace {

using test_support::CheckStretch;
using test_support::FileBytes;
using test_support::PtyFeed;

constexpr char kChildEnv[] = "SURVEY_RUNS_CHILD";
constexpr DWORD kStepLimitMs = 30000;
constexpr size_t kRecord = 24;

std::vector<std::string> Records(const std::string& bytes) { return test_support::Records(bytes, kRecord); }

// A status byte below 0 keeps the simulator's.
sim::InstrumentOptions Frames(int model, int status = -1) {
  sim::InstrumentOptions o;
  o.model = model;
  o.ramp = true;  // every frame differs
  if (status >= 0) {
    o.status = static_cast<unsigned>(status);
    o.field1 = -200;
    o.field2 = 500;
  }
  return o;
}

// The station texts drawn on the logging window's station field, consecutive repeats folded.
std::vector<std::wstring> StationsShown() {
  std::vector<std::wstring> out;
  for (const auto& e : plat::test::DrawLog()) {
    if (e.op != plat::test::DrawOp::Text || e.window != AppWindows.loggingWnd) continue;
    if (e.x != LoggingLayout.stationRect.left || e.y != LoggingLayout.lineRowY) continue;
    if (out.empty() || out.back() != e.text) out.push_back(e.text);
  }
  return out;
}

std::wstring StationText(double station) {
  wchar_t text[32];
  swprintf(text, 32, L"%-11.2f", station);
  return text;
}

struct RunCase {
  const char* name;
  const char* app;
  bool gps;
  int status;  // the frames' status byte; below 0 the simulator's
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

// The child: a survey of two logging stretches around a new station, checked.
void SurveyChild(const RunCase& c) {
  plat::test::UseTempRoot();
  BuildSwitches build;
  ASSERT_TRUE(survey::AppSwitches(c.app, &build));
  const int instrument = plat::test::CreatePtyPort(1);
  ASSERT_GE(instrument, 0);
  PtyFeed frames(instrument, std::make_unique<sim::InstrumentStream>(Frames(build.modelIndex, c.status)));
  std::unique_ptr<PtyFeed> gps;
  std::vector<std::string> sentences;
  if (c.gps) {
    const int master = plat::test::CreatePtyPort(2);
    ASSERT_GE(master, 0);
    sim::GpsOptions g;
    g.rateHz = 5;  // several sentences a second among the readings
    gps = std::make_unique<PtyFeed>(master, std::make_unique<sim::NmeaStream>(g));
    sim::NmeaStream copy(g);
    sim::Chunk chunk;
    for (int i = 0; i < 3000 && copy.Next(&chunk); ++i) {
      std::string s = chunk.bytes;
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      sentences.push_back(s);
    }
  }
  plat::test::EnableDrawLog(true);

  HANDLE program = nullptr;
  ASSERT_TRUE(survey::StartProgram(build, &program, kStepLimitMs, [&c] {
    if (c.gps) {
      SurveySettings.gpsEnabled = 1;
      SurveySettings.gpsPort = 1;  // COM2
    }
  }));
  ASSERT_TRUE(survey::MonitorLog(kStepLimitMs));
  std::wstring path;
  ASSERT_TRUE(survey::CreateDataFile(L"SURVEY", &path, kStepLimitMs));
  int framesPerReading = 0;
  double increment = 0;
  plat::test::OnUiThread([&] {
    framesPerReading = LinkState.sampleDivisor;
    increment = SurveySettings.stationIncrement;
    return LRESULT{0};
  });
  const int first = survey::LoggingStretch(50, kStepLimitMs);
  ASSERT_GE(first, 50);
  ASSERT_TRUE(survey::NewStation(L"125", kStepLimitMs));
  const int second = survey::LoggingStretch(20, kStepLimitMs);
  ASSERT_GE(second, 20);
  std::vector<std::wstring> stations;
  plat::test::OnUiThread([&] {
    stations = StationsShown();
    return LRESULT{0};
  });
  ASSERT_TRUE(survey::ExitRun(true, kStepLimitMs));
  frames.Stop();
  if (gps) gps->Stop();
  EXPECT_EQ(survey::ExitProgram(program, kStepLimitMs), 0);

  // The file, record by record.
  const auto recs = Records(FileBytes(survey::HostPath(path)));
  ASSERT_GE(recs.size(), 7u);
  EXPECT_EQ(recs[0][0], 'R');  // header
  EXPECT_EQ(recs[1].compare(0, 8, "H SURVEY"), 0);
  EXPECT_EQ(recs[2][0], 'L');
  EXPECT_EQ(recs[3][0], 'B');
  EXPECT_EQ(recs[4][0], 'A');
  EXPECT_EQ(recs[5][0], 'Z');
  EXPECT_EQ(recs[6][0], '*');
  size_t at = 7;
  while (at < recs.size() && recs[at][0] != 'X') ++at;  // GPS records before Go
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 9, "X$STARTED"), 0);
  at = CheckStretch(recs, at + 1, first, sim::InstrumentStream(Frames(build.modelIndex, c.status)), framesPerReading,
                    sentences);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 8, "X$PAUSED"), 0);
  ++at;
  while (at < recs.size() && recs[at][0] != 'S') ++at;  // GPS records are not written in Stand By
  ASSERT_LT(at + 2, recs.size());
  EXPECT_EQ(recs[at].compare(0, 13, "S     125.00 "), 0) << recs[at];
  EXPECT_EQ(recs[at + 1][0], '*');
  at += 2;
  EXPECT_EQ(recs[at].compare(0, 9, "X$STARTED"), 0) << recs[at];
  at = CheckStretch(recs, at + 1, second, sim::InstrumentStream(Frames(build.modelIndex, c.status)), framesPerReading,
                    sentences);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 8, "X$PAUSED"), 0);
  if (c.gps) {
    EXPECT_NE(FileBytes(survey::HostPath(path)).find("@$GP"), std::string::npos) << "no GPS sentence was logged";
  }

  // The station shown: 0 at the file's creation and its first reading, then one increment a
  // reading; 125 at the new station and its first reading, then one increment a reading.
  std::vector<std::wstring> expected;
  for (int i = 0; i < first; ++i) expected.push_back(StationText(i * increment));
  for (int i = 0; i < second; ++i) expected.push_back(StationText(125.0 + i * increment));
  EXPECT_EQ(stations, expected);
}

// The child: the instrument is unplugged while Logging.
void UnplugChild() {
  plat::test::UseTempRoot();
  BuildSwitches build;
  ASSERT_TRUE(survey::AppSwitches("rz12wm", &build));
  const int instrument = plat::test::CreatePtyPort(1);
  ASSERT_GE(instrument, 0);
  PtyFeed frames(instrument, std::make_unique<sim::InstrumentStream>(Frames(build.modelIndex)));
  HANDLE program = nullptr;
  ASSERT_TRUE(survey::StartProgram(build, &program, kStepLimitMs));
  ASSERT_TRUE(survey::MonitorLog(kStepLimitMs));
  std::wstring path;
  ASSERT_TRUE(survey::CreateDataFile(L"UNPLUG", &path, kStepLimitMs));
  int atGo = 0;
  ASSERT_TRUE(survey::Go(&atGo, kStepLimitMs));
  ASSERT_TRUE(survey::WaitFor([atGo] { return survey::RecordedReadings() - atGo >= 5; }, kStepLimitMs));

  // The cable comes out: the device hangs up under the open port.
  plat::test::ExpectMessageBox({L"NO CONNECTION", L"NO CONNECTION Press <ENTER> to STOP", IDOK});
  frames.Stop();
  timespec cpu0{}, cpu1{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
  const auto wall0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(plat::test::ClosePtyMaster(1));
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.runActive == 0; }, kStepLimitMs));
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
  const double wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double cpuS = (cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e9;
  EXPECT_GT(wallS, 1.5);  // six watchdog ticks of 300 ms
  EXPECT_LT(cpuS, 0.5 * wallS) << "the program spun while the port was silent";
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);

  // The run has ended: the menu is back and takes keys.
  bool loggingShown = true, menuShown = false;
  plat::test::OnUiThread([&] {
    loggingShown = IsWindowVisible(AppWindows.loggingWnd) != FALSE;
    menuShown = IsWindowVisible(FindWindowW(L"RZ56", nullptr)) != FALSE;
    return LRESULT{0};
  });
  EXPECT_FALSE(loggingShown);
  EXPECT_TRUE(menuShown);
  EXPECT_EQ(survey::ExitProgram(program, kStepLimitMs), 0);

  // Five breaks, then the end, as the file's last records.
  const auto recs = Records(FileBytes(survey::HostPath(path)));
  ASSERT_GE(recs.size(), 6u);
  for (size_t i = recs.size() - 6; i < recs.size() - 1; ++i) {
    EXPECT_EQ(recs[i].compare(0, 12, "X$CONN BREAK"), 0) << recs[i];
  }
  EXPECT_EQ(recs.back().compare(0, 12, "X$CONN END  "), 0) << recs.back();
  EXPECT_EQ(recs.back()[23], '\n');
}

// The driver names the file the layer wrote, whether the program's path starts at the root's
// separator or not (the RZ89's data folder has none).
TEST(DriverHostPath, IsTheFileTheLayerWrote) {
  plat::test::UseTempRoot();
  for (const wchar_t* path : {L"\\Storage\\A.R12", L"Storage\\B.R89"}) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(std::ifstream(survey::HostPath(path)).good()) << survey::HostPath(path);
  }
  plat::test::Reset();
}

TEST(Unplugging, Child) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  UnplugChild();
  test_support::ExitChild("unplugging");
}

// Closing the pty's master while Logging: the port reads as silence, the watchdog writes five
// breaks and the end, the box is acknowledged and the run has ended.
TEST(Unplugging, WhileLoggingEndsTheRunThroughTheWatchdog) {
  test_support::ExpectChildChecked("Unplugging.Child", std::string(kChildEnv) + "=1", "unplugging");
}

class SurveyRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(SurveyRuns, Child) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  SurveyChild(GetParam());
  test_support::ExitChild("survey");
}

TEST_P(SurveyRuns, OnPseudoTerminals) {
  const std::string filter = std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
                             ".Child/" + GetParam().name;
  test_support::ExpectChildChecked(filter, std::string(kChildEnv) + "=1", "survey");
}

// The status byte 0x00 (horizontal dipole, range code 0, no marker) is a frame byte like any other:
// every reading keeps its 12 bytes.
INSTANTIATE_TEST_SUITE_P(Apps, SurveyRuns,
                         ::testing::Values(RunCase{"rz12wm", "rz12wm", false, -1},
                                           RunCase{"rz27bwm", "rz27bwm", true, -1},
                                           RunCase{"rz45wm", "rz45wm", true, -1},
                                           RunCase{"rz12wm_status0", "rz12wm", false, 0x00}),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace handheld
