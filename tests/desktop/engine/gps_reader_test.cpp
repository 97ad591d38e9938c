// The desktop GPS threads on a virtual port and the virtual clock: the run's reader (lines,
// verdicts, announcements, records, the red GPS fields of a silent receiver, its state), the
// monitor reader (repaints, "NO DATA", the pause), the old-reader rule of both, and the GPS
// simulator of the simulator build.
// test-labels: threads
#include "engine/gps_reader.h"

#include <gtest/gtest.h>
#include <plat/test_clock.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/nmea.h"
#include "desktop_test_support.h"
#include "engine/messages.h"
#include "engine/ports.h"
#include "engine/records.h"
#include "engine/state.h"
#include "gps_line_cases.h"
#include "gps_reader_fixture.h"
#include "link_windows.h"
#include "sim/gps.h"

namespace desktop {
namespace {

using test::JoinThread;
using test::LinkWindows;
using test::StartThread;

using test_support::GpsLine;
using test_support::kGgaSentence;

const std::string& kGga = kGgaSentence;
constexpr COLORREF kRed = RGB(255, 0, 0);

std::string Spoilt() { return test_support::SpoiltGga(); }
const std::string kLong = test_support::LongGoodSentence();

std::string GpsRecords(int length, const std::string& line, uint32_t tick, int verdict) {
  std::string out(survey::GpsRecordsBytes(line.size(), length), '\0');
  out.resize(survey::FormatGpsRecords(out.data(), out.size(), length, line.c_str(), tick, survey::GpsFirstTag(verdict),
                                      survey::GpsNextTag(verdict)));
  return out;
}

// The desktop's part of the fixture: COM4 (gpsPort 3); the end of a run also stops the simulator.
struct DesktopGps {
  using Windows = LinkWindows;
  static constexpr int32_t kModel = kModelRz12;
  static constexpr int kGpsCom = 4;
  static constexpr WORD kClockYear = 2026;
  static void UseBuild(int32_t model) {
    test::UseBuild(model);
    SurveySettings.gpsPort = 3;
  }
  static std::atomic<HANDLE>& GpsPort() { return LinkState.gpsPort; }
  static int OpenGpsPort() { return desktop::OpenGpsPort(); }
  static void StopReaders() { WorkerThreads.gpsRun = 0; }
  static void Reset() {
    if (AppWindows.brushPanel) DeleteObject(AppWindows.brushPanel);
    ResetEngineState();
  }
  static void FlushDataFile() { SurveyRun.dataFile.Flush(); }
};
using GpsTest = test_support::GpsReaderTest<DesktopGps>;

// ---- GpsReaderThread -------------------------------------------------------------------------

struct LineCase {
  const char* name;
  std::string bytes;  // all arriving at one tick
  int32_t model;
  int32_t runState;
  int32_t calibration;  // Rz27Mk2Calibration.active
  std::vector<GpsLine> lines;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class GpsLines : public GpsTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(GpsLines, StoresAnnouncesAndRecordsEachLine) {
  const LineCase& c = GetParam();
  Use(c.model);
  ASSERT_TRUE(SurveyRun.dataFile.Create("\\GPS.R12"));
  SurveyRun.state = c.runState;
  Rz27Mk2Calibration.active = c.calibration;
  Start(GpsReaderThread);
  EXPECT_EQ(GpsState.readerState.load(), 2);
  const DWORD tick = GetTickCount() + 10;
  port_->Feed(c.bytes, tick);
  windows_->PumpFor(500);
  End();
  EXPECT_EQ(GpsState.readerState.load(), 1);

  // Every line announced with its verdict and the tick of its '$', calibration or not; GpsState
  // keeps 127 characters.
  const auto& got = windows_->announced();
  ASSERT_EQ(got.size(), c.lines.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].msg, WM_GPS_SENTENCE);
    EXPECT_EQ(got[i].bytes, c.lines[i].text.substr(0, 127)) << i;
    EXPECT_EQ(got[i].valid, c.lines[i].verdict) << i;
    if (c.lines[i].text[0] == '$') {
      EXPECT_EQ(got[i].sentenceTick, tick) << i;
    }
  }

  // Recorded whole, with the tick of the line's start and the tags of its verdict, only while
  // logging.
  std::string expected;
  for (const GpsLine& l : c.lines) {
    if (c.runState == kRunLogging) expected += GpsRecords(RecordLength(), l.text, tick, l.verdict);
  }
  EXPECT_EQ(FileBytes(), expected);
}

// The shared lines while logging, at both record lengths; then the run states and the
// calibration.
std::vector<LineCase> LineCases() {
  std::vector<LineCase> cases;
  for (const test_support::GpsLineCase& c : test_support::GpsLineCases()) {
    cases.push_back({c.name, c.bytes, kModelRz12, kRunLogging, 0, c.lines});
  }
  cases.push_back({"GoodChecksumRecordLength26", kGga + "\r\n", kModelRz27Mk2, kRunLogging, 0, {{kGga, 1}}});
  cases.push_back({"LongLineRecordLength26", kLong + "\r\n", kModelRz27Mk2, kRunLogging, 0, {{kLong, 1}}});
  cases.push_back({"NotRecordedOutsideLogging", kGga + "\r\n", kModelRz12, kRunMonitor, 0, {{kGga, 1}}});
  cases.push_back({"NotRecordedInStandBy", kGga + "\r\n", kModelRz12, kRunStandBy, 0, {{kGga, 1}}});
  cases.push_back({"AnnouncedDuringAnRz27Mk2Calibration", kGga + "\r\n" + Spoilt() + "\r\n", kModelRz27Mk2,
                   kRunLogging, -1, {{kGga, 1}, {Spoilt(), 0}}});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lines, GpsLines, ::testing::ValuesIn(LineCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A state the end of the run has reset to 0 stays 0 when the reader ends after it.
TEST_F(GpsTest, AReaderEndingAfterTheResetLeavesItsStateAt0) {
  Start(GpsReaderThread);
  GpsState.readerState = 0;
  End();
  EXPECT_EQ(GpsState.readerState.load(), 0);
}

// ---- GPS field blanking ----------------------------------------------------------------------

// Six fields of the logging window's GPS box, as the logging window's layout places them.
constexpr RECT kFields[GpsBoxFieldsData::kFields] = {{10, 10, 25, 26},  {30, 10, 45, 26},   {60, 40, 200, 56},
                                                      {60, 60, 200, 76}, {220, 40, 300, 56}, {220, 60, 300, 76}};

struct BlankingCase {
  const char* name;
  std::string bytes;  // fed 1000 ms after the start
  DWORD silenceFrom;  // ms after the start: the start, or the good sentence
};
void PrintTo(const BlankingCase& c, std::ostream* os) { *os << c.name; }

class GpsBlanking : public GpsTest, public ::testing::WithParamInterface<BlankingCase> {
 protected:
  static bool FieldsRed() {
    for (const RECT& r : kFields) {
      if (plat::test::WindowPixel(AppWindows.loggingWnd, (r.left + r.right) / 2, (r.top + r.bottom) / 2) != kRed) {
        return false;
      }
    }
    return true;
  }
  // The logging window's own repaint of the fields (white).
  static void Repaint() {
    HDC dc = GetDC(AppWindows.loggingWnd);
    for (const RECT& r : kFields) FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(AppWindows.loggingWnd, dc);
  }
};

// Red (checked well inside each field) 3000 to 3020 ms after the last good sentence, the start
// counting as one, and every 3 s after; a bad sentence changes nothing.
TEST_P(GpsBlanking, TheSixFieldsTurnRedThreeSecondsAfterTheLastGoodSentence) {
  const BlankingCase& c = GetParam();
  AppWindows.brushPanel = CreateSolidBrush(kRed);
  std::copy(std::begin(kFields), std::end(kFields), GpsBoxFields.field);
  const DWORD start = GetTickCount();
  Start(GpsReaderThread);
  if (!c.bytes.empty()) port_->Feed(c.bytes, start + 1000);
  DWORD from = start + c.silenceFrom;
  for (int blanking = 0; blanking < 3; ++blanking) {
    SCOPED_TRACE(blanking);
    ASSERT_TRUE(windows_->PumpUntil(FieldsRed, 8000));
    const DWORD red = GetTickCount() - from;
    EXPECT_GE(red, 3000u);
    EXPECT_LE(red, 3020u);
    from += red;
    Repaint();
  }
}

INSTANTIATE_TEST_SUITE_P(Silence, GpsBlanking,
                         ::testing::Values(BlankingCase{"SilentFromTheStart", "", 0},
                                           BlankingCase{"AfterAGoodSentence", kGga + "\r\n", 1000},
                                           BlankingCase{"ABadSentenceIsNoSign", Spoilt() + "\r\n", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- GpsMonitorThread ------------------------------------------------------------------------

TEST_F(GpsTest, MonitorRepaintsForEachLineBeforeTakingTheNext) {
  Start(GpsMonitorThread);
  const std::string lines[] = {kGga, "$GPGSA,A,3,04,05,,,,,,,,,,,1.8,1.0,1.5*33", "no dollar", kLong};
  std::string all;
  for (const std::string& l : lines) all += l + "\r\n";
  port_->Feed("\n" + all + "\n");  // arriving together; the empty lines are ignored
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 4; }, 1000));
  windows_->PumpFor(300);
  const auto& paints = windows_->paints();
  ASSERT_EQ(paints.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(paints[i].sentence, lines[i].substr(0, 127)) << i;
    EXPECT_EQ(paints[i].line, lines[i].substr(0, 127)) << i;
    EXPECT_EQ(paints[i].valid, 1) << i;
  }
  EXPECT_TRUE(windows_->announced().empty());  // nothing goes to the logging window
  EXPECT_EQ(SurveyRun.dataFile.IsOpen(), false);
}

// "NO DATA" into the monitor's line only, 7 s after the last line and every 7 s after.
TEST_F(GpsTest, MonitorShowsNoDataAfterSevenSecondsOfSilenceAndEverySevenAfter) {
  Start(GpsMonitorThread);
  port_->Feed(kGga + "\r\n", GetTickCount() + 100);
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 3; }, 16000));
  const auto& p = windows_->paints();
  EXPECT_EQ(p[0].line, kGga);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(p[i].line, "NO DATA") << i;
    EXPECT_EQ(p[i].sentence, kGga) << i;
    EXPECT_EQ(p[i].valid, 1) << i;
    EXPECT_GT(p[i].tick - p[i - 1].tick, 7000u) << i;
    EXPECT_LE(p[i].tick - p[i - 1].tick, 7020u) << i;
  }
}

// A paused monitor reads nothing and shows no "NO DATA"; after the pause it reads what waited,
// and the silence counts from the pause's end.
TEST_F(GpsTest, APausedMonitorReadsNothing) {
  GpsMonitor.paused = 1;
  Start(GpsMonitorThread);
  const std::string bytes = kGga + "\r\n";
  port_->Feed(bytes);
  windows_->PumpFor(10000);
  EXPECT_TRUE(windows_->paints().empty());
  EXPECT_EQ(port_->InputQueued(), bytes.size());

  GpsMonitor.paused = 0;
  const DWORD resumed = GetTickCount();
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 2; }, 9000));
  const auto& p = windows_->paints();
  EXPECT_EQ(p[0].line, kGga);
  EXPECT_EQ(p[1].line, "NO DATA");
  EXPECT_GT(p[1].tick - resumed, 7000u);
  EXPECT_LE(p[1].tick - resumed, 7040u);
}

// ---- The old reader's rule -------------------------------------------------------------------

struct OldReaderCase {
  const char* name;
  LPTHREAD_START_ROUTINE proc;
};
void PrintTo(const OldReaderCase& c, std::ostream* os) { *os << c.name; }

class GpsOldReader : public GpsTest, public ::testing::WithParamInterface<OldReaderCase> {
 protected:
  // What the test windows were handed: the reader's announcements or the monitor's paints.
  std::vector<std::string> Handed() const {
    std::vector<std::string> out;
    for (const auto& a : windows_->announced()) out.push_back(a.bytes);
    for (const auto& p : windows_->paints()) out.push_back(p.line);
    return out;
  }
};

std::string Numbered(int i) { return sim::NmeaSentence("GPTXT," + std::to_string(i)); }

// A close and a reopen while the old reader is in its send or repaint: the old reader ends without
// reading the new port, so the new reader gets every line.
TEST_P(GpsOldReader, NeverReadsTheNextRunsPort) {
  HANDLE old = StartThread(GetParam().proc);
  ASSERT_TRUE(plat::test::WaitIdle());
  port_->Feed(Numbered(0));
  ASSERT_TRUE(plat::test::WaitIdle());  // held in its send or repaint
  test::ClosePortField(LinkState.gpsPort);
  ASSERT_EQ(OpenGpsPort(), 1);
  Start(GetParam().proc);
  for (int i = 1; i <= 6; ++i) port_->Feed(Numbered(i), GetTickCount() + 5 + 60 * static_cast<DWORD>(i));
  ASSERT_TRUE(windows_->PumpUntil([&] { return Handed().size() >= 7; }, 2000));
  windows_->PumpFor(200);
  EXPECT_TRUE(JoinThread(old, 100));
  std::vector<std::string> expected;
  for (int i = 0; i <= 6; ++i) {
    const std::string s = Numbered(i);
    expected.push_back(s.substr(0, s.size() - 2));
  }
  EXPECT_EQ(Handed(), expected);
}

INSTANTIATE_TEST_SUITE_P(Readers, GpsOldReader,
                         ::testing::Values(OldReaderCase{"Reader", GpsReaderThread},
                                           OldReaderCase{"Monitor", GpsMonitorThread}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- GpsSimulatorThread ----------------------------------------------------------------------

class GpsSimulator : public GpsTest {
 protected:
  void SetUp() override {
    GpsTest::SetUp();
    test::ClosePortField(LinkState.gpsPort);  // the simulator build opens no GPS port
  }
  void StartSimulator() {
    WorkerThreads.gpsRun = 1;
    start_ = GetTickCount();
    reader_ = StartThread(GpsSimulatorThread);
    ASSERT_NE(reader_, nullptr);
  }
  DWORD start_ = 0;
};

const std::string kShown(GpsSimulatorSentence, sizeof GpsSimulatorSentence - 2);

TEST_F(GpsSimulator, TheSentenceIsAFixWithAGoodChecksum) {
  const std::string full = GpsSimulatorSentence;
  EXPECT_EQ(full.size(), 73u);
  EXPECT_EQ(survey::NmeaChecksumVerdict(full.c_str(), full.size()), 1);
  char field[16];
  ASSERT_EQ(survey::GetField(full.c_str(), 7, ',', field, sizeof field), 1);
  EXPECT_STREQ(field, "1");  // fix
  ASSERT_EQ(survey::GetField(full.c_str(), 8, ',', field, sizeof field), 1);
  EXPECT_STREQ(field, "08");  // satellites
}

// One sentence a second to the logging window while logging, none into the file.
TEST_F(GpsSimulator, OneSentenceASecondToTheLoggingWindowAndNoRecord) {
  ShowWindow(windows_->monitor(), SW_HIDE);
  ASSERT_TRUE(SurveyRun.dataFile.Create("\\GPS.R12"));
  SurveyRun.state = kRunLogging;
  StartSimulator();
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->announced().size() >= 5; }, 6000));
  const auto& got = windows_->announced();
  DWORD previous = start_;
  for (const auto& a : got) {
    EXPECT_EQ(a.msg, WM_GPS_SENTENCE);
    EXPECT_EQ(a.bytes, kShown);
    EXPECT_EQ(a.valid, 1);
    EXPECT_EQ(a.sentenceTick, a.tick);
    EXPECT_GE(a.tick - previous, 1000u);
    EXPECT_LE(a.tick - previous, 1020u);
    previous = a.tick;
  }
  EXPECT_TRUE(windows_->paints().empty());
  EXPECT_EQ(FileBytes(), "");
}

// While the GPS monitor is visible it is repainted instead, with the sentence as its line.
TEST_F(GpsSimulator, AVisibleMonitorIsRepaintedInstead) {
  StartSimulator();
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 3; }, 4000));
  const auto& p = windows_->paints();
  DWORD previous = start_;
  for (const auto& paint : p) {
    EXPECT_EQ(paint.sentence, kShown);
    EXPECT_EQ(paint.line, kShown);
    EXPECT_EQ(paint.valid, 1);
    EXPECT_GE(paint.tick - previous, 1000u);
    EXPECT_LE(paint.tick - previous, 1020u);
    previous = paint.tick;
  }
  EXPECT_TRUE(windows_->announced().empty());
}

// gpsRun 0 just after a sentence, the worst moment: the simulator ends within 900 ms.
TEST_F(GpsSimulator, EndsWithin900MsOfGpsRun0) {
  ShowWindow(windows_->monitor(), SW_HIDE);
  DWORD stopped = 0;
  windows_->onMessage = [&](UINT) {
    WorkerThreads.gpsRun = 0;
    stopped = GetTickCount();
  };
  StartSimulator();
  ASSERT_TRUE(windows_->PumpUntil([&] { return stopped != 0; }, 2000));
  ASSERT_TRUE(JoinThread(reader_, 2000));
  reader_ = nullptr;
  EXPECT_LE(GetTickCount() - stopped, 900u);
  EXPECT_EQ(windows_->announced().size(), 1u);
}

}  // namespace
}  // namespace desktop
