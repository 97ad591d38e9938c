// Whole desktop surveys on pseudo-terminals and the real clock: the program in this process, its
// instrument on COM1 and its GPS receiver on COM4 streamed by the simulators into the ptys'
// masters, driven through its windows by the desktop driver's steps; then the data file is
// checked record by record. Each run is a child process, as the handheld's runs are.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "common/record_fields.h"
#include "driver/desktop_survey.h"
#include "engine/messages.h"
#include "engine/state.h"
#include "pty_feed.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "survey_file_checks.h"
#include "ui/logging.h"

namespace desktop {
namespace {

namespace drv = survey::desktop_driver;
using test_support::FileBytes;
using test_support::IsConnBreak;
using test_support::PtyFeed;

constexpr char kChildEnv[] = "DESKTOP_RUNS_CHILD";
constexpr DWORD kStepLimitMs = 30000;
constexpr size_t kRecord = 24;

std::vector<std::string> Records(const std::string& bytes) { return test_support::Records(bytes, kRecord); }

sim::InstrumentOptions Frames(int model) {
  sim::InstrumentOptions o;
  o.model = model;
  o.ramp = true;  // every frame differs
  return o;
}

// The simulators on the program's default ports: the instrument on COM1, the GPS receiver on COM4
// with several sentences a second among the readings. `sentences` gets the first of them as sent.
struct Simulators {
  std::unique_ptr<PtyFeed> instrument;
  std::unique_ptr<PtyFeed> gps;
  std::vector<std::string> sentences;

  bool Start(int model) {
    const int com1 = plat::test::CreatePtyPort(1);
    const int com4 = plat::test::CreatePtyPort(4);
    if (com1 < 0 || com4 < 0) return false;
    instrument = std::make_unique<PtyFeed>(com1, std::make_unique<sim::InstrumentStream>(Frames(model)));
    sim::GpsOptions g;
    g.rateHz = 5;
    gps = std::make_unique<PtyFeed>(com4, std::make_unique<sim::NmeaStream>(g));
    sim::NmeaStream copy(g);
    sim::Chunk chunk;
    for (int i = 0; i < 3000 && copy.Next(&chunk); ++i) {
      std::string s = chunk.bytes;
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      sentences.push_back(s);
    }
    return true;
  }
  void Stop() {
    if (instrument) instrument->Stop();
    if (gps) gps->Stop();
  }
};

// The records from `at` on, past any "$CONN BREAK" (the watchdog writes one for every late tick
// while a file is open, which a loaded machine can cause anywhere).
size_t SkipBreaks(const std::vector<std::string>& recs, size_t at) {
  while (at < recs.size() && IsConnBreak(recs[at])) ++at;
  return at;
}

// The file's opening: header, name, line block and time record.
void CheckOpening(const std::vector<std::string>& recs, const std::string& name) {
  ASSERT_GE(recs.size(), 7u);
  EXPECT_EQ(recs[0][0], 'R') << recs[0];
  EXPECT_EQ(recs[1].compare(0, 2 + name.size(), "H " + name), 0) << recs[1];
  EXPECT_EQ(recs[2][0], 'L');
  EXPECT_EQ(recs[3][0], 'B');
  EXPECT_EQ(recs[4][0], 'A');
  EXPECT_EQ(recs[5][0], 'Z');
  EXPECT_EQ(recs[6][0], '*');
}

// The child: Data File, GO, PAUSE once readings have been handed over, Exit. Whatever the meter
// handler makes of the readings, the file opens as created, and GO and PAUSE frame the stretch.
void StepsChild() {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  Simulators sims;
  ASSERT_TRUE(sims.Start(kModelRz12));
  HANDLE program = nullptr;
  ASSERT_TRUE(drv::StartProgram("rz12xp", &program, kStepLimitMs));
  ASSERT_TRUE(drv::StartRun(kStepLimitMs));
  std::wstring path;
  ASSERT_TRUE(drv::CreateDataFile(L"STEPS", &path, kStepLimitMs));
  std::atomic<int> handed{0};
  plat::test::OnSendHandled([&handed](HWND hwnd, UINT msg) {
    if (hwnd == AppWindows.loggingWnd && msg == WM_READING && SurveyRun.state == kRunLogging) ++handed;
  });
  ASSERT_TRUE(drv::Go(kStepLimitMs));
  ASSERT_TRUE(survey::WaitFor([&handed] { return handed >= 10; }, kStepLimitMs));
  ASSERT_TRUE(drv::Pause(kStepLimitMs));
  plat::test::OnSendHandled(nullptr);
  ASSERT_TRUE(drv::ExitRun(true, kStepLimitMs));
  sims.Stop();
  EXPECT_EQ(drv::ExitProgram(program, kStepLimitMs), 0);

  const auto recs = Records(FileBytes(survey::HostPath(path)));
  CheckOpening(recs, "STEPS");
  size_t at = SkipBreaks(recs, 7);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 9, "X$STARTED"), 0) << recs[at];
  size_t paused = at + 1;
  while (paused < recs.size() && recs[paused].compare(0, 8, "X$PAUSED") != 0) ++paused;
  ASSERT_LT(paused, recs.size()) << "no X$PAUSED";
  EXPECT_EQ(SkipBreaks(recs, paused + 1), recs.size()) << "records after the pause";
}

// The driver names the file the layer wrote, the desktop's drive letter included.
TEST(DesktopDriverHostPath, IsTheFileTheLayerWrote) {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  HANDLE h = CreateFileW(L"C:\\A.R12", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::ifstream(survey::HostPath(L"C:\\A.R12")).good()) << survey::HostPath(L"C:\\A.R12");
  plat::test::Reset();
}

TEST(DesktopSteps, Child) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  StepsChild();
  test_support::ExitChild("steps");
}

TEST(DesktopSteps, DataFileGoPauseAndExitOnPseudoTerminals) {
  test_support::ExpectChildChecked("DesktopSteps.Child", std::string(kChildEnv) + "=1", "steps");
}

}  // namespace
}  // namespace desktop
