// The GPS readers on a virtual port: lines, verdicts, hand-over and records of the run's reader,
// its end handshake, the GPS data of a logging run beside the UI thread's events, and the
// monitor reader's synchronous repaints, "NO DATA" and suspension.
// test-labels: threads
#include "engine/gps_reader.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/nmea.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/records.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "gps_line_cases.h"
#include "gps_reader_fixture.h"
#include "link_test_support.h"
#include "sim/gps.h"

namespace handheld {
namespace {

using test::ClosePort;
using test::JoinThread;
using test::LinkWindows;
using test::StartThread;

using test_support::GpsLine;
using test_support::kGgaSentence;
const std::string& kGga = kGgaSentence;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The handheld's part of the fixture: COM2 (gpsPort 1) on the RZ12 build.
struct HandheldGps {
  using Windows = LinkWindows;
  static constexpr int32_t kModel = kModelRz12;
  static constexpr int kGpsCom = 2;
  static constexpr WORD kClockYear = 2014;
  static void UseBuild(int32_t model) {
    test::UseBuild(model);
    SurveySettings.gpsPort = 1;
  }
  static std::atomic<HANDLE>& GpsPort() { return LinkState.gpsPort; }
  static int OpenGpsPort() { return handheld::OpenGpsPort(); }
  static void StopReaders() {}
  static void Reset() { ResetEngineState(); }
  static void FlushDataFile() { SurveyRun.dataFile.Flush(); }
};
using GpsTest = test_support::GpsReaderTest<HandheldGps>;

// ---- GpsReaderThread -------------------------------------------------------------------------

struct LineCase {
  const char* name;
  std::string bytes;  // all arriving at one tick
  int32_t runState;
  int32_t calibration;
  std::vector<GpsLine> lines;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class GpsLines : public GpsTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(GpsLines, StoresAnnouncesAndRecordsEachLine) {
  const LineCase& c = GetParam();
  ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\GPS.R12"));
  SurveyRun.state = c.runState;
  Rz27Mk2Calibration.active = c.calibration;
  Start(GpsReaderThread);
  EXPECT_EQ(GpsState.readerState.load(), 1);
  const DWORD tick = GetTickCount() + 10;
  port_->Feed(c.bytes, tick);
  windows_->PumpFor(500);
  End();

  // Announced with the verdict, unless the calibration runs; GpsState keeps 127 characters.
  const auto& got = windows_->announced();
  ASSERT_EQ(got.size(), c.calibration ? 0 : c.lines.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].msg, WM_GPS_SENTENCE);
    EXPECT_EQ(got[i].bytes, c.lines[i].text.substr(0, 127)) << i;
    EXPECT_EQ(got[i].valid, c.lines[i].verdict) << i;
  }
  EXPECT_EQ(GpsState.sentence, c.lines.back().text.substr(0, 127));
  EXPECT_EQ(GpsState.sentenceValid, c.lines.back().verdict);
  EXPECT_EQ(GpsState.readerState.load(), 2);

  // Recorded whole, with the tick of the line's start and the tags of its verdict, only while
  // logging.
  std::string expected;
  for (const GpsLine& l : c.lines) {
    std::string records(GpsRecordsBytes(l.text.size()), '\0');
    records.resize(FormatGpsRecords(records.data(), records.size(), l.text.c_str(), tick, GpsFirstTag(l.verdict),
                                    GpsNextTag(l.verdict)));
    if (c.runState == kRunLogging) expected += records;
  }
  const std::string file = FileBytes();
  EXPECT_EQ(file, expected);
  if (!file.empty()) {
    EXPECT_EQ(file[0], c.lines[0].verdict ? '@' : '?');
  }
}

std::string Spoilt() { return test_support::SpoiltGga(); }

// The shared lines while logging, then the run states and the calibration.
std::vector<LineCase> LineCases() {
  std::vector<LineCase> cases;
  for (const test_support::GpsLineCase& c : test_support::GpsLineCases()) {
    cases.push_back({c.name, c.bytes, kRunLogging, 0, c.lines});
  }
  cases.push_back({"NotRecordedOutsideLogging", kGga + "\r\n", kRunMonitor, 0, {{kGga, 1}}});
  cases.push_back({"NotRecordedInStandBy", kGga + "\r\n", kRunStandBy, 0, {{kGga, 1}}});
  cases.push_back({"CalibrationStoresAndRecordsButDoesNotSend", kGga + "\r\n" + Spoilt() + "\r\n", kRunLogging, 1,
                   {{kGga, 1}, {Spoilt(), 0}}});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lines, GpsLines, ::testing::ValuesIn(LineCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// 100 sentences while logging, with the UI thread writing event records meanwhile: every sentence
// lands as whole pieces, each followed by its tick record, and nothing comes between them.
TEST_F(GpsTest, LoggingRunRecordsWholeSentencesBesideTheUiThreadsEvents) {
  ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\GPS.R12"));
  SurveyRun.state = kRunLogging;
  Start(GpsReaderThread);
  sim::GpsOptions o;
  o.rateHz = 10;
  sim::NmeaStream stream(o);
  const DWORD start = GetTickCount() + 5;
  std::vector<sim::Chunk> sent;
  sim::Chunk c;
  while (sent.size() < 100 && stream.Next(&c)) {
    port_->Feed(c.bytes, start + static_cast<DWORD>(c.atMs));
    sent.push_back(c);
  }
  int events = 0;
  windows_->timerMs = 13;
  windows_->onTimer = [&] {
    if (WriteEventRecord(L"$TEST", 'E')) ++events;
  };
  windows_->PumpUntil([&] { return windows_->announced().size() == 100; }, 20000);
  windows_->onTimer = nullptr;
  End();
  ASSERT_EQ(windows_->announced().size(), 100u);
  EXPECT_GT(events, 100);

  const std::string file = FileBytes();
  ASSERT_EQ(file.size() % 24, 0u);
  size_t next = 0;
  std::string text;
  int seenEvents = 0;
  for (size_t at = 0; at < file.size(); at += 24) {
    const std::string rec = file.substr(at, 24);
    ASSERT_EQ(rec[23], '\n');
    if (rec[0] == 'E') {
      ASSERT_TRUE(text.empty()) << "an event inside sentence " << next;
      ++seenEvents;
    } else if (rec[0] == '@' || rec[0] == '#') {
      ASSERT_EQ(rec[0] == '@', text.empty()) << at;
      text += rec.substr(1, 22);
    } else {
      ASSERT_EQ(rec[0], '!') << at;
      ASSERT_LT(next, sent.size());
      const std::string& line = sent[next].bytes;
      const std::string body = line.substr(0, line.size() - 2);  // without CR LF
      EXPECT_EQ(text.substr(0, body.size()), body) << next;
      std::string expected(GpsRecordsBytes(body.size()), '\0');
      FormatGpsRecords(expected.data(), expected.size(), body.c_str(), start + static_cast<DWORD>(sent[next].atMs),
                       '@', '#');
      EXPECT_EQ(rec, expected.substr(expected.size() - 24)) << next;
      text.clear();
      ++next;
    }
  }
  EXPECT_EQ(next, 100u);
  EXPECT_EQ(seenEvents, events);
}

// The end of the run closes the port and waits for the reader: at once when it is reading, the
// whole 5000 ms when it is held in its send to the waiting UI thread.
TEST_F(GpsTest, EndOfRunWaitsForTheReader) {
  Start(GpsReaderThread);
  const DWORD t = GetTickCount();
  EXPECT_TRUE(CloseGpsPortAndWaitForReader());
  EXPECT_LT(GetTickCount() - t, 50u);
  EXPECT_EQ(GpsState.readerState.load(), 2);
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(JoinThread(reader_));
  reader_ = nullptr;

  ASSERT_EQ(OpenGpsPort(), 1);
  Start(GpsReaderThread);
  port_->Feed(kGga + "\r\n");
  ASSERT_TRUE(plat::test::WaitIdle());  // in its send
  const DWORD u = GetTickCount();
  EXPECT_FALSE(CloseGpsPortAndWaitForReader());
  EXPECT_GE(GetTickCount() - u, kGpsReaderEndWaitMs);
  EXPECT_LT(GetTickCount() - u, kGpsReaderEndWaitMs + 50);
  EXPECT_EQ(GpsState.readerState.load(), 1);
  EXPECT_TRUE(JoinThread(reader_));  // serves the send: the reader ends
  reader_ = nullptr;
  EXPECT_EQ(GpsState.readerState.load(), 2);
  EXPECT_EQ(windows_->announced().size(), 1u);
}

// ---- GpsMonitorThread ------------------------------------------------------------------------

TEST_F(GpsTest, MonitorRepaintsForEachLineBeforeTakingTheNext) {
  Start(GpsMonitorThread);
  const std::string lines[] = {kGga, "$GPGSA,A,3,04,05,,,,,,,,,,,1.8,1.0,1.5*33", "no dollar", std::string(150, 'x')};
  std::string all;
  for (const std::string& l : lines) all += l + "\r\n";
  port_->Feed(all + "\n");  // arriving together; the empty line is ignored
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 4; }, 1000));
  windows_->PumpFor(300);
  const auto& paints = windows_->paints();
  ASSERT_EQ(paints.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(paints[i].sentence, lines[i].substr(0, 127)) << i;
    EXPECT_EQ(paints[i].wide, Wide(lines[i].substr(0, 127))) << i;
  }
  EXPECT_EQ(GpsState.sentenceValid, 1);
  EXPECT_TRUE(windows_->announced().empty());  // nothing goes to the logging window
}

TEST_F(GpsTest, MonitorShowsNoDataAfterSevenSecondsOfSilenceAndEverySevenAfter) {
  Start(GpsMonitorThread);
  port_->Feed(kGga + "\r\n", GetTickCount() + 100);
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() >= 3; }, 16000));
  const auto& p = windows_->paints();
  EXPECT_EQ(p[0].sentence, kGga);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(p[i].wide, L"NO DATA") << i;
    EXPECT_GE(p[i].tick - p[i - 1].tick, 7000u) << i;
    EXPECT_LE(p[i].tick - p[i - 1].tick, 7200u) << i;
  }
}

// The monitor suspends the reader while it is inside UpdateWindow: no deadlock, the paint is
// served, and the reader stops before the next line. Closing the port and resuming ends it.
TEST_F(GpsTest, MonitorReaderSuspendedInsideItsRepaint) {
  Start(GpsMonitorThread);
  port_->Feed(kGga + "\r\n");
  ASSERT_TRUE(plat::test::WaitIdle());  // waiting for the UI thread to paint
  EXPECT_EQ(SuspendThread(reader_), 0u);
  windows_->PumpFor(50);
  ASSERT_EQ(windows_->paints().size(), 1u);
  port_->Feed("$GPRMC*00\r\n");
  windows_->PumpFor(1000);
  EXPECT_EQ(windows_->paints().size(), 1u);
  EXPECT_EQ(ResumeThread(reader_), 1u);
  ASSERT_TRUE(windows_->PumpUntil([&] { return windows_->paints().size() == 2; }, 1000));
  EXPECT_EQ(windows_->paints()[1].sentence, "$GPRMC*00");

  EXPECT_EQ(SuspendThread(reader_), 0u);
  ClosePort(LinkState.gpsPort);
  windows_->PumpFor(300);
  EXPECT_EQ(WaitForSingleObject(reader_, 0), DWORD{WAIT_TIMEOUT});  // a close alone does not wake it
  EXPECT_EQ(ResumeThread(reader_), 1u);
  EXPECT_TRUE(JoinThread(reader_, 1000));
  reader_ = nullptr;
}

}  // namespace
}  // namespace handheld
