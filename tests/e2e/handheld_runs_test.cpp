// Whole survey runs of the handheld program on pseudo-terminals, on the real clock, with
// instrument-sim playing the instrument on COM1: a ZOL12 run recorded end to end, and the RZ27-MK2
// field calibration with its deletion. Each runs in a child process of this test: the program's
// keep-alive thread sleeps for a minute under the real clock, so the child ends itself once it
// has checked everything.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app_test_support.h"
#include "child_process.h"
#include "driver/scripted_survey.h"
#include "engine_test_support.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "logging/commands.h"
#include "logging/logging.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kChildEnv[] = "HANDHELD_TEST_RUN_CHILD";

std::string RootFile(const char* path) {
  std::ifstream in(std::string(plat::DriveRoot()) + "/" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SleepUntil(Clock::time_point t) { std::this_thread::sleep_until(t); }

bool Drawn(const std::wstring& text) { return plat::test::FindText(text).has_value(); }

size_t HandBeeps() {
  size_t n = 0;
  for (const auto& b : plat::test::Beeps()) n += b.type == MB_ICONHAND ? 1 : 0;
  return n;
}

// The records of a file of L-byte records.
std::vector<std::string> Records(const std::string& file, size_t length) {
  std::vector<std::string> out;
  for (size_t at = 0; at + length <= file.size(); at += length) out.push_back(file.substr(at, length));
  return out;
}

// The program of the build, started with its COM1 played by instrument-sim with `simArgs`.
struct Started {
  HANDLE program = nullptr;
  Clock::time_point portOpened;
};
Started StartWithSimulator(int model, std::vector<std::string> simArgs, test_support::Child** sim) {
  plat::test::UseTempRoot();
  std::vector<std::string> args = {INSTRUMENT_SIM_PATH, "--com", "1", "--devdir", plat::DeviceDir()};
  args.insert(args.end(), simArgs.begin(), simArgs.end());
  *sim = new test_support::Child(args);
  const std::string link = (*sim)->Line();
  EXPECT_EQ(link.rfind("COM1 -> /dev/pts/", 0), 0u) << link;
  test::UseApp(model);
  Started s;
  s.program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, {320, 240});
  EXPECT_TRUE(plat::test::WaitIdle());
  plat::test::EnableDrawLog(true);
  return s;
}

// Monitor/Log from the main menu; the instrument port is open (and the simulator's clock runs)
// and the logging window shows when it returns true.
bool MonitorLog(Started& s) {
  plat::test::KeyPress('L');
  const bool on =
      survey::WaitFor([] { return SurveyRun.runActive == 1 && plat::test::IsVisible(AppWindows.loggingWnd); }, 5000);
  s.portOpened = Clock::now();
  return on;
}

// Ends the child process however its test body ends (a failed assertion returns early): the
// simulator is stopped, the report printed, and the exit code tells whether anything failed.
struct EndChild {
  const char* what;
  test_support::Child* sim = nullptr;
  ~EndChild() {
    delete sim;
    test_support::ExitChild(what);
  }
};

void RunChild(const char* filter, const char* what) {
  test_support::Child child({"/proc/self/exe", std::string("--gtest_filter=") + filter},
                            {std::string(kChildEnv) + "=1"});
  std::string out;
  const auto end = Clock::now() + std::chrono::seconds(40);
  while (child.Running() && Clock::now() < end) {
    out += child.Output();
  }
  out += child.Output();
  EXPECT_EQ(child.Wait(), 0) << out;
  EXPECT_NE(out.find(std::string(what) + " checked"), std::string::npos) << out;
}

// ---- ZOL12 -------------------------------------------------------------------------------------

// zol12wm in survey mode 1 (no watchdog timer): Create File, Go, five readings a second apart,
// pause, Exit. The file holds the five reading records; the values, the stations and a beep per
// reading were shown.
TEST(HandheldRunChild, Zol12) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  EndChild end{"zol12 run"};
  Started s = StartWithSimulator(kModelZol12, {"--model", "ZOL12", "--count", "5", "--values", "123,45"}, &end.sim);
  plat::test::OnUiThread([] {
    SurveySettings.surveyMode = SurveySettings.surveyModeChoice = 1;
    SurveySettings.stationIncrementWheel = SurveySettings.stationIncrement = 1.0f;
    SurveySettings.audio = 1;
    SurveyRun.station = 0.0;
    return LRESULT{0};
  });
  ASSERT_TRUE(MonitorLog(s));
  EXPECT_EQ(plat::test::OnUiThread([] { return LRESULT(plat::test::Timers(AppWindows.loggingWnd).size()); }), 0);

  plat::test::ExpectSaveFile(L"ICE");
  plat::test::Click(LoggingButtons.monitor[0]);  // "&Create File": the window may not have the keyboard yet
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.state.load() == kRunStandBy; }, 3000));
  plat::test::KeyPress('G');
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.state.load() == kRunLogging; }, 3000));
  const size_t beeps = HandBeeps();  // with the start's beep
  // The first frame comes a second after the port opened.
  ASSERT_LT(Clock::now() - s.portOpened, std::chrono::milliseconds(900)) << "Go came after the first frame";
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.stationHasReading == 1 && SurveyRun.station >= 4.0; }, 8000));
  plat::test::KeyPress('P');  // any key pauses
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.state.load() == kRunStandBy; }, 3000));
  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  plat::test::KeyPress('X');
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.runActive == 0; }, 8000));

  std::vector<std::string> readings;
  for (const std::string& r : Records(RootFile("Storage/DATAZOL/ICE.Z12"), 24)) {
    if (r[0] == 'T') readings.push_back(r);
  }
  ASSERT_EQ(readings.size(), 5u);
  for (const std::string& r : readings) {
    EXPECT_EQ(r.substr(0, 13), "T123I045     ");
    unsigned tick = 0;
    char end = 0;
    EXPECT_EQ(std::sscanf(r.c_str() + 13, "%10u%c", &tick, &end), 2) << r;
    EXPECT_EQ(end, '\n');
  }
  EXPECT_TRUE(Drawn(L"Th:1.23    "));
  EXPECT_TRUE(Drawn(L"IP:45.00   "));
  for (const wchar_t* station : {L"0.00       ", L"1.00       ", L"2.00       ", L"3.00       ", L"4.00       "}) {
    EXPECT_TRUE(Drawn(station)) << station;
  }
  EXPECT_EQ(HandBeeps(), beeps + 5);
}

TEST(HandheldRuns, Zol12RunOnAPseudoTerminal) { RunChild("HandheldRunChild.Zol12", "zol12 run"); }

// ---- RZ27-MK2 calibration ----------------------------------------------------------------------

// Vertical counts (frame order: conductivity 0.5 m, inphase 0.5 m, conductivity 1 m, inphase 1 m)
// until 4 s after the port opened, horizontal ones for 6.5 s, then vertical again.
constexpr char kScript[] =
    "4000 6 0x8200 0x8100 0x8300 0x8200 250 256;"
    "6500 2 0x8100 0x8080 0x8100 0x8080 250 256;"
    "4000 6 0x8200 0x8100 0x8300 0x8200 250 256";
constexpr int kYesAfterOpenMs = 1500;  // the horizontal frames begin 2.5 s after Yes

std::vector<double> SavedOffsets() { return test::SavedMk2Offsets(RootFile("Storage/VLQINI/RZ27MK2.INI")); }

TEST(HandheldRunChild, Rz27Mk2Calibration) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  EndChild end{"calibration"};
  Started s = StartWithSimulator(kModelRz27Mk2, {"--model", "RZ27MK2", "--script", kScript}, &end.sim);
  ASSERT_TRUE(MonitorLog(s));
  plat::test::ExpectSaveFile(L"CAL");
  plat::test::Click(LoggingButtons.monitor[0]);  // "&Create File": the window may not have the keyboard yet
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.state.load() == kRunStandBy; }, 3000));
  const size_t created = RootFile("Storage/DATA27MK2/CAL.N27").size();

  SleepUntil(s.portOpened + std::chrono::milliseconds(kYesAfterOpenMs));
  plat::test::ExpectMessageBox({L"CALIBRATION", L"Place  RZ27-MK2  on  Monopod", IDYES});
  PostMessageW(AppWindows.loggingWnd, WM_COMMAND, kMenuCalibrate, 0);
  ASSERT_TRUE(survey::WaitFor([] { return Rz27Mk2Calibration.active.load() == -1; }, 2000));
  ASSERT_TRUE(survey::WaitFor([] { return Rz27Mk2Calibration.active.load() == 0; }, 12000));

  const double means[6] = {10.0, 0.0, 0.576380, 0.0720475, 0.144095, 0.0360238};
  const std::vector<double> saved = SavedOffsets();
  ASSERT_EQ(saved.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(saved[i], means[i], 1e-5) << "O" << i + 1;
  const std::string settings = RootFile("Storage/VLQINI/RZ27MK2.INI");
  EXPECT_NE(settings.find("\r\n10.000000\r\n0.000000\r\n"), std::string::npos);
  std::vector<std::string> records = Records(RootFile("Storage/DATA27MK2/CAL.N27"), 26);
  ASSERT_EQ(records.size() * 26, created + 6 * 26);
  const std::vector<std::string> calibrated(records.end() - 6, records.end());
  EXPECT_EQ(calibrated, (std::vector<std::string>{"O1    10.000      0.000  \n", "O2     0.000      0.000  \n",
                                                   "O3     0.576      0.000  \n", "O4     0.072      0.000  \n",
                                                   "O5     0.144      0.000  \n", "O6     0.036      0.000  \n"}));

  // The vertical frames after it take the reading path with the new offsets: 30 + O1.
  SleepUntil(s.portOpened + std::chrono::milliseconds(11000));
  EXPECT_TRUE(Drawn(L"C:40.00   "));

  plat::test::ExpectMessageBox({L"Delete Calibration", L"delete Calibration factors ?", IDYES});
  PostMessageW(AppWindows.loggingWnd, WM_COMMAND, kMenuDeleteCalibration, 0);
  ASSERT_TRUE(survey::WaitFor([] { return SurveySettings.mk2Offset[0] == 0.0f; }, 3000));
  EXPECT_EQ(SavedOffsets(), std::vector<double>(6, 0.0));
  records = Records(RootFile("Storage/DATA27MK2/CAL.N27"), 26);
  ASSERT_GE(records.size(), 6u);
  const std::vector<std::string> deleted(records.end() - 6, records.end());
  EXPECT_EQ(deleted[0], "O1     0.000     10.000  \n");
  for (const std::string& r : deleted) EXPECT_EQ(r.substr(2, 10), "     0.000");
}

TEST(HandheldRuns, Rz27Mk2CalibrationOnAPseudoTerminal) {
  RunChild("HandheldRunChild.Rz27Mk2Calibration", "calibration");
}

}  // namespace
}  // namespace handheld
