// The demo's driver as a program: with both simulators streaming on COM1 and COM2 (COM4 for the
// desktop) of a drive root, it scripts a short survey with GPS input and ends by naming a data
// file that holds the readings and the GPS sentences, and a screenshot. The desktop RZ56-MK2 is
// nulled and QC-checked first, the RZ27-MK2 calibrated, and their records are in the file.
// test-labels: e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>

#include <signal.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace {

using test_support::Child;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text after "prefix" on the line that starts with it, or "".
std::string After(const std::string& out, const std::string& prefix) {
  const size_t at = out.rfind("\n" + prefix);
  if (at == std::string::npos) return "";
  const size_t start = at + 1 + prefix.size();
  return out.substr(start, out.find('\n', start) - start);
}

std::string Repeat(const std::string& record, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += record;
  return out;
}

// Each program with its GPS receiver on its own port (the handheld's COM2, the desktop's COM4)
// and its instrument as the demo plays it; `before` is the run of records the driver's steps
// before the survey leave in the file (none for the meters).
struct DriverCase {
  const char* app;
  const char* gpsCom;
  std::vector<std::string> instrument;
  std::string before;
  bool qcCoil = false;  // the driver presses the simulator's QC coil
};
void PrintTo(const DriverCase& c, std::ostream* os) { *os << c.app; }

const DriverCase kDriverCases[] = {
    {"rz12wm", "2", {"--model", "RZ12", "--ramp"}, ""},
    {"rz12xp", "4", {"--model", "RZ12", "--ramp"}, ""},
    // The nulling replaces 0.00 by 966.66 mV; the QC check reads the coil's 10 counts over it.
    {"rz56mk2xp", "4", {"--model", "RZ56MK2", "--tags", "T", "--counts", "100,100,100,100", "--current", "3000"},
     Repeat("O   966.66      0.00   \n", 4) + Repeat("II    96.67            \n", 4), true},
    {"rz27mk2xp", "4", {"--model", "RZ27MK2", "--script", std::string("@") + RZ27MK2_DEMO_SCRIPT, "--paced"},
     "O1    10.000      0.000  \nO2     0.000      0.000  \nO3     0.576      0.000  \n"
     "O4     0.072      0.000  \nO5     0.144      0.000  \nO6     0.036      0.000  \n"},
};

class SurveyDriver : public ::testing::TestWithParam<DriverCase> {};

TEST_P(SurveyDriver, ScriptsASurveyAndNamesItsFiles) {
  const DriverCase& c = GetParam();
  const std::string root = plat::test::UseTempRoot();
  const std::string dev = plat::DeviceDir();
  std::vector<std::string> simArgs{INSTRUMENT_SIM_PATH, "--com", "1", "--devdir", dev};
  simArgs.insert(simArgs.end(), c.instrument.begin(), c.instrument.end());
  Child instrument(simArgs);
  EXPECT_EQ(instrument.Line().rfind("COM1 -> ", 0), 0u);
  Child gps({GPS_SIM_PATH, "--com", c.gpsCom, "--devdir", dev, "--rate", "5"});
  EXPECT_EQ(gps.Line().rfind(std::string("COM") + c.gpsCom + " -> ", 0), 0u);

  const std::string shot = root + "/screen.png";
  std::vector<std::string> args{SURVEY_DRIVER_PATH, "--model", c.app, "--readings", "6", "--gps", "--shot", shot};
  if (c.qcCoil) args.insert(args.end(), {"--qc-coil", std::to_string(instrument.Pid())});
  Child driver(args, {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + dev, "PLAT_DISPLAY=headless"});
  const std::string out = "\n" + driver.Output(120000);
  ASSERT_EQ(driver.Wait(), 0) << out;
  EXPECT_NE(out.find("readings recorded: 6, then 3 after the new station"), std::string::npos) << out;

  const std::string data = After(out, "data file: ");
  const std::string bytes = FileBytes(data);
  ASSERT_FALSE(bytes.empty()) << out;
  // The steps before the survey left their records whole, before its first GO.
  const size_t started = bytes.find("X$STARTED");
  EXPECT_NE(started, std::string::npos);
  if (!c.before.empty()) {
    const size_t at = bytes.find("\n" + c.before);
    EXPECT_LT(at, started) << bytes.substr(0, started);
  }
  EXPECT_NE(bytes.find("\nS     125.00 "), std::string::npos);
  EXPECT_NE(bytes.find("\n@$GP"), std::string::npos) << "no GPS sentence was recorded";
  EXPECT_EQ(After(out, "screenshot: "), shot);
  EXPECT_EQ(FileBytes(shot).substr(1, 3), "PNG");
  // The last two lines name the files.
  const size_t last = out.rfind("\nscreenshot: ");
  EXPECT_EQ(out.find('\n', last + 1), out.size() - 1);
  EXPECT_LT(out.rfind("\ndata file: "), last);
}

INSTANTIATE_TEST_SUITE_P(Programs, SurveyDriver, ::testing::ValuesIn(kDriverCases),
                         [](const ::testing::TestParamInfo<DriverCase>& info) { return std::string(info.param.app); });

// An instrument that goes away in the middle of a long stretch: the driver says in one line of its
// own which step failed and what it saw, ends the run as usual so that the file ends whole, and
// exits non-zero. Unplugged, the program ends the run itself ("$CONN END"); an RZ45 that falls
// silent keeps its run, so the driver's limit on progress ends the stretch, with its pause.
struct Loss {
  const char* name;
  const char* model;
  const char* instrument;
  int signal;  // to the simulator: SIGKILL unplugs it, SIGSTOP silences it
  const char* saw;
  const char* lastRecord;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Loss& c, std::ostream* os) { *os << c.name; }
constexpr Loss kLosses[] = {
    {"unplugged", "rz12wm", "RZ12", SIGKILL, "Logging ended after ", "X$CONN END  "},
    {"silent", "rz45wm", "RZ45", SIGSTOP, "no new reading on COM1 after ", "X$PAUSED"},
};

class InstrumentLoss : public testing::TestWithParam<Loss> {};

TEST_P(InstrumentLoss, EndsTheFileWholeAndSaysWhichStepFailed) {
  const Loss& c = GetParam();
  const std::string root = plat::test::UseTempRoot();
  const std::string dev = plat::DeviceDir();
  Child instrument({INSTRUMENT_SIM_PATH, "--model", c.instrument, "--com", "1", "--devdir", dev, "--ramp"});
  ASSERT_EQ(instrument.Line().rfind("COM1 -> ", 0), 0u);
  Child driver({SURVEY_DRIVER_PATH, "--model", c.model, "--readings", "3000"},
               {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + dev, "PLAT_DISPLAY=headless"}, true);

  // A few readings into the stretch, the instrument goes.
  std::string data;
  for (int i = 0; i < 300 && data.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
      if (e.is_regular_file() && e.path().string().find("/DATA") != std::string::npos &&
          FileBytes(e.path()).find("\nT") != std::string::npos) {
        data = e.path();
      }
    }
  }
  ASSERT_FALSE(data.empty()) << "no reading was recorded";
  kill(instrument.Pid(), c.signal);

  const std::string out = driver.Output(60000);
  EXPECT_NE(driver.Wait(), 0) << out;
  if (c.signal == SIGSTOP) kill(instrument.Pid(), SIGCONT);
  const std::string line = "survey-driver: the first stretch of readings did not complete: ";
  ASSERT_EQ(out.rfind(line, 0), 0u) << out;
  const std::string first = out.substr(0, out.find('\n'));
  EXPECT_NE(first.find(c.saw, line.size()), std::string::npos) << first;
  // One line of its own, then where the file is.
  EXPECT_EQ(out.find(".cpp"), std::string::npos) << out;
  const std::string named = After("\n" + out, "data file: ");
  EXPECT_EQ(out, first + "\ndata file: " + named + "\n");
  EXPECT_TRUE(std::filesystem::exists(named) && std::filesystem::equivalent(named, data)) << named;

  const std::string bytes = FileBytes(data);
  ASSERT_EQ(bytes.size() % 24, 0u);
  ASSERT_GE(bytes.size(), 48u);
  EXPECT_NE(bytes.find("\nX$STARTED"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 24, std::strlen(c.lastRecord)), c.lastRecord);
}

INSTANTIATE_TEST_SUITE_P(Driver, InstrumentLoss, testing::ValuesIn(kLosses),
                         [](const testing::TestParamInfo<Loss>& i) { return std::string(i.param.name); });

// An RZ27-MK2 that never stands vertical: its calibration fails, and the driver says so in one
// line of its own, ends the run without surveying (the file keeps the offsets it began with) and
// exits non-zero.
TEST(SurveyDriverPreparation, AFailedCalibrationEndsTheRunAndSaysSo) {
  const std::string root = plat::test::UseTempRoot();
  const std::string dev = plat::DeviceDir();
  Child instrument({INSTRUMENT_SIM_PATH, "--model", "RZ27MK2", "--com", "1", "--devdir", dev, "--values",
                    "2,0x8100,0x8080,0x8100,0x8080,0x00FA,0x0100", "--paced"});
  ASSERT_EQ(instrument.Line().rfind("COM1 -> ", 0), 0u);
  Child gps({GPS_SIM_PATH, "--com", "4", "--devdir", dev, "--rate", "5"});
  ASSERT_EQ(gps.Line().rfind("COM4 -> ", 0), 0u);
  Child driver({SURVEY_DRIVER_PATH, "--model", "rz27mk2xp", "--readings", "6", "--gps"},
               {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + dev, "PLAT_DISPLAY=headless"}, true);
  const std::string out = driver.Output(60000);
  EXPECT_NE(driver.Wait(), 0) << out;
  EXPECT_EQ(out.rfind("survey-driver: the calibration did not complete: ", 0), 0u) << out;
  const std::string bytes = FileBytes(After("\n" + out, "data file: "));
  ASSERT_FALSE(bytes.empty()) << out;
  EXPECT_EQ(bytes.find("X$STARTED"), std::string::npos) << "a survey after the failure";
  EXPECT_EQ(bytes.find("O1    10.000"), std::string::npos);
}

}  // namespace
