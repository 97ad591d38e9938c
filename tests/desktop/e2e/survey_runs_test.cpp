// Whole desktop surveys on pseudo-terminals and the real clock: the program in this process, its
// instrument on COM1 and its GPS receiver on COM4 streamed by the simulators into the ptys'
// masters, driven through its windows by the desktop driver's steps; then the data file is
// checked record by record. Each run is a child process, as the handheld's runs are.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "common/record_fields.h"
#include "driver/desktop_survey.h"
#include "engine/decoders.h"
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
using test_support::CheckStretch;
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

// The records from `at` on, past any "$CONN BREAK" and whole GPS records: the GPS reader checks
// for Logging before it writes, so a sentence can land just after the pause's record.
size_t SkipBreaksAndGps(const std::vector<std::string>& recs, size_t at) {
  while (at < recs.size() && (IsConnBreak(recs[at]) || recs[at][0] == '@' || recs[at][0] == '#' || recs[at][0] == '!')) {
    ++at;
  }
  return at;
}

// A record's text after its tag, trailing blanks and the line feed dropped.
std::string Rest(const std::string& record, size_t from = 1) {
  std::string s = record.substr(from, record.size() - 1 - from);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

bool AllDigits(const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; }

// The texts drawn in `window` with their cell's top-left inside `r`, consecutive repeats folded
// (UI thread).
std::vector<std::wstring> TextsIn(HWND window, const RECT& r) {
  std::vector<std::wstring> out;
  for (const auto& e : plat::test::DrawLog()) {
    if (e.op != plat::test::DrawOp::Text || e.window != window) continue;
    if (e.x < r.left || e.x >= r.right || e.y < r.top || e.y >= r.bottom) continue;
    if (out.empty() || out.back() != e.text) out.push_back(e.text);
  }
  return out;
}

std::wstring Wide(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::wstring Wide(const char* format, ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return std::wstring(text, text + std::strlen(text));
}

bool Holds(const std::vector<std::wstring>& texts, const std::wstring& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

struct RunCase {
  const char* app;
  int32_t model;
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.app; }

// What the window showed during the run (UI thread, before New Line changes the line).
struct Shown {
  std::vector<std::wstring> stations;
  std::wstring lineStations, totalStations;
  std::vector<std::wstring> cells[4];
  double station = 0;
  double increment = 0;
};

Shown TakeShown() {
  Shown s;
  s.stations = TextsIn(AppWindows.loggingWnd, LoggingLayout.stationRect);
  const auto line = TextsIn(AppWindows.loggingWnd, LoggingLayout.lineStationsRect);
  const auto total = TextsIn(AppWindows.loggingWnd, LoggingLayout.totalStationsRect);
  if (!line.empty()) s.lineStations = line.back();
  if (!total.empty()) s.totalStations = total.back();
  for (int i = 0; i < 4; ++i) s.cells[i] = TextsIn(AppWindows.numbersWnd, LoggingLayout.valueRect[i]);
  s.station = SurveyRun.station;
  s.increment = SurveySettings.stationIncrement;
  return s;
}

// The numbers panel's cells for a recorded reading, as the build shows them.
void CheckCells(const RunCase& c, const Shown& shown, const std::string& record) {
  std::memcpy(LinkState.frame, record.data(), 12);
  LinkState.frameLength = 12;
  float value1 = 0, value2 = 0;
  char dipole = 0, marker = 0;
  int16_t range = 0;
  int32_t kind = 0;
  uint16_t range2 = 0;
  DecodeMeterFrame(value1, value2, dipole, range, marker, kind, range2);
  EXPECT_TRUE(Holds(shown.cells[0], Wide("%-8.2f", value1))) << "cell 1 of " << record;
  EXPECT_TRUE(Holds(shown.cells[1], Wide("%-8.2f", value2))) << "cell 2 of " << record;
  EXPECT_TRUE(Holds(shown.cells[2], dipole == 'V' ? L"Vertical" : L"Horizontal")) << "cell 3 of " << record;
  const std::wstring range4 = c.model == kModelRz27B ? Wide("%-4d,%-4d", range, range2) : Wide("%-4d", range);
  EXPECT_TRUE(Holds(shown.cells[3], range4)) << "cell 4 of " << record;
}

// The child: the survey of the demo's shape with a comment and a new line, checked.
void SurveyChild(const RunCase& c) {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  Simulators sims;
  ASSERT_TRUE(sims.Start(c.model));
  plat::test::EnableDrawLog(true);
  HANDLE program = nullptr;
  ASSERT_TRUE(drv::StartProgram(c.app, &program, kStepLimitMs));
  ASSERT_TRUE(drv::StartRun(kStepLimitMs));
  std::wstring path;
  ASSERT_TRUE(drv::CreateDataFile(L"SURVEY", &path, kStepLimitMs));
  int framesPerReading = 0;
  int32_t mode = -1;
  float interval = 0;
  plat::test::OnUiThread([&] {
    framesPerReading = LinkState.sampleDivisor;
    mode = SurveySettings.surveyMode;
    interval = SurveySettings.readingInterval;
    return LRESULT{0};
  });
  ASSERT_EQ(mode, kModeAuto);
  ASSERT_FLOAT_EQ(interval, 0.2f);
  std::string failure;
  const int first = drv::LoggingStretch(50, kStepLimitMs, &failure);
  ASSERT_EQ(first, 50) << failure;
  ASSERT_TRUE(drv::NewStation(L"125", kStepLimitMs));
  const int second = drv::LoggingStretch(20, kStepLimitMs, &failure);
  ASSERT_EQ(second, 20) << failure;
  ASSERT_TRUE(drv::Comment(L"HELLO WORLD 12", kStepLimitMs));
  Shown shown;
  plat::test::OnUiThread([&shown] {
    shown = TakeShown();
    return LRESULT{0};
  });
  ASSERT_TRUE(drv::NewLine(kStepLimitMs));
  ASSERT_TRUE(drv::ExitRun(true, kStepLimitMs));
  sims.Stop();
  EXPECT_EQ(drv::ExitProgram(program, kStepLimitMs), 0);

  // The file, record by record.
  const std::string bytes = FileBytes(survey::HostPath(path));
  const auto recs = Records(bytes);
  CheckOpening(recs, "SURVEY");
  size_t at = SkipBreaksAndGps(recs, 7);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 9, "X$STARTED"), 0) << recs[at];
  const sim::InstrumentStream sent(Frames(c.model));
  at = CheckStretch(recs, at + 1, first, sent, framesPerReading, sims.sentences);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 8, "X$PAUSED"), 0);
  at = SkipBreaksAndGps(recs, at + 1);
  ASSERT_LT(at + 2, recs.size());
  const std::string& st = recs[at];
  EXPECT_EQ(st.compare(0, 13, "S     125.00 "), 0) << st;
  EXPECT_TRUE(AllDigits(st.substr(13, 8))) << st;
  EXPECT_EQ(st.substr(21, 3), "  \n") << st;
  EXPECT_EQ(recs[at + 1][0], '*');
  at = SkipBreaks(recs, at + 2);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 9, "X$STARTED"), 0) << recs[at];
  at = CheckStretch(recs, at + 1, second, sent, framesPerReading, sims.sentences);
  ASSERT_LT(at, recs.size());
  EXPECT_EQ(recs[at].compare(0, 8, "X$PAUSED"), 0);
  size_t last = at - 1;  // the stretch's last reading
  while (last > 0 && !survey::IsReadingTag(static_cast<unsigned char>(recs[last][0]))) --last;
  at = SkipBreaksAndGps(recs, at + 1);
  ASSERT_LT(at + 5, recs.size());
  const std::string& comment = recs[at];
  EXPECT_EQ(comment.compare(0, 13, "CHELLO WORLD "), 0) << comment;
  EXPECT_TRUE(AllDigits(Rest(comment, 13))) << comment;
  // New Line on the proposal: line 1 + 1, from the station reached, direction South reversed to
  // North, the increment negated (Alternate).
  at = SkipBreaks(recs, at + 1);
  ASSERT_LT(at + 4, recs.size());
  EXPECT_EQ(recs[at][0], 'L');
  EXPECT_EQ(Rest(recs[at]), "2.00") << recs[at];
  EXPECT_EQ(recs[at + 1][0], 'B');
  char station[32];
  std::snprintf(station, sizeof station, "%.2f", shown.station);
  EXPECT_EQ(Rest(recs[at + 1]), station) << recs[at + 1];
  EXPECT_EQ(recs[at + 2].compare(0, 2, "AN"), 0) << recs[at + 2];
  EXPECT_EQ(Rest(recs[at + 2], 2), "-1.000") << recs[at + 2];
  EXPECT_EQ(recs[at + 3][0], 'Z');
  EXPECT_EQ(recs[at + 4][0], '*');
  EXPECT_EQ(SkipBreaks(recs, at + 5), recs.size()) << "records after the new line";
  EXPECT_NE(bytes.find("\n@$GP"), std::string::npos) << "no GPS sentence was logged";

  // The window: 70 stations in the line and in all; the station 0 at the file's creation and its
  // first reading, then one increment a reading; 125 at the new station and its first reading,
  // then one increment a reading.
  EXPECT_EQ(Rest(" " + std::string(shown.lineStations.begin(), shown.lineStations.end()) + " "), "70");
  EXPECT_EQ(Rest(" " + std::string(shown.totalStations.begin(), shown.totalStations.end()) + " "), "70");
  std::vector<std::wstring> expected;
  for (int i = 0; i < first; ++i) expected.push_back(Wide("%-11.2f", i * shown.increment));
  for (int i = 0; i < second; ++i) expected.push_back(Wide("%-11.2f", 125.0 + i * shown.increment));
  EXPECT_EQ(shown.stations, expected);
  CheckCells(c, shown, recs[last]);
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

class SurveyRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(SurveyRuns, Child) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  SurveyChild(GetParam());
  test_support::ExitChild("survey");
}

// Auto at 0.2 s, the GPS receiver on COM4: Data File, GO, 50 readings, PAUSE, New Station "125",
// GO, 20 readings, PAUSE, Comment, New Line and Exit answered Yes.
TEST_P(SurveyRuns, OnPseudoTerminals) {
  const std::string filter = std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
                             ".Child/" + GetParam().app;
  test_support::ExpectChildChecked(filter, std::string(kChildEnv) + "=1", "survey");
}

INSTANTIATE_TEST_SUITE_P(Apps, SurveyRuns,
                         ::testing::Values(RunCase{"rz12xp", kModelRz12}, RunCase{"rz27bxp", kModelRz27B},
                                           RunCase{"rz45xp", kModelRz45}),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.app); });

}  // namespace
}  // namespace desktop
