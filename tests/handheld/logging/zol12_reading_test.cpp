// The ZOL12 reading handler with its reader on a virtual port: the values in every state, and
// while Logging one record per frame, the station moving on from the second reading, a beep each.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <memory>
#include <string>
#include <vector>

#include "logging/screen.h"
#include "logging_fixture.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using test::LoggingFixture;
using test::LoggingSetup;

class Zol12Reading : public LoggingFixture {
 protected:
  void SetUp() override {
    LoggingSetup s;
    s.model = kModelZol12;
    SetUpLogging(s);
    SurveySettings.stationIncrement = 1.0f;
    SurveySettings.audio = 1;
    SelectTraces();
    StartReaderRun(Zol12ReaderThread);
    Watchdog.periodMs = 2000;  // the ZOL12's period, as the run start sets it
    SetTimer(logging_, kWatchdogTimer, 2000, nullptr);
    plat::test::EnableDrawLog(true);
  }

  // n frames, one a second; returns the tick of each as the reader kept it.
  std::vector<DWORD> Frames(int n) {
    sim::InstrumentOptions o;
    o.model = kModelZol12;
    o.count = n;
    o.startMs = -1;  // one period on: the reader has purged its port by then
    sim::InstrumentStream frames(o);
    std::vector<sim::Chunk> fed;
    const DWORD start = GetTickCount();
    sim::FeedVirtualPort(*port_, frames, start, &fed);
    std::vector<DWORD> ticks;
    for (const sim::Chunk& c : fed) {
      const size_t before = Readings();
      PumpFor(sim::ArrivalTick(start, c) + 50 - GetTickCount());
      if (Readings() > before) ticks.push_back(LinkState.lastFrameTick.load());
    }
    return ticks;
  }

  size_t Readings() const {
    size_t n = 0;
    for (const auto& s : plat::test::Sends()) n += s.hwnd == logging_ && s.msg == WM_ZOL12_READING ? 1 : 0;
    return n;
  }

  std::vector<std::string> Records() {
    SurveyRun.dataFile.Flush();
    const std::string file = FileOnDisk("Storage/ICE.Z12");
    std::vector<std::string> out;
    for (size_t i = 0; i + 24 <= file.size(); i += 24) {
      if (file[i] == 'T') out.push_back(file.substr(i, 24));
    }
    return out;
  }

  bool DrawnAt(const RECT& r) const {
    for (const auto& e : DrawnTexts()) {
      if (e.x == r.left && e.y >= r.top && e.y < r.bottom) return true;
    }
    return false;
  }
};

TEST_F(Zol12Reading, MonitorShowsTheValuesAndRecordsNothing) {
  ASSERT_EQ(Frames(1).size(), 1u);
  EXPECT_TRUE(Drawn(L"Th:1.23    "));
  EXPECT_TRUE(Drawn(L"IP:45.00   "));
  EXPECT_EQ(plat::test::FindText(L"Th:1.23    ").value_or(plat::test::DrawEntry{}).y, LoggingLayout.valuesRowY);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  EXPECT_EQ(LinkState.frame[0], 0) << "the frame is consumed";
}

TEST_F(Zol12Reading, FiveReadingsWhileLoggingMakeFiveRecordsOnFiveStations) {
  ASSERT_TRUE(CreateFile(L"\\Storage\\ICE.Z12"));
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  const size_t beeps = plat::test::Beeps().size();
  plat::test::ClearDrawLog();
  const std::vector<DWORD> ticks = Frames(5);
  ASSERT_EQ(ticks.size(), 5u);

  std::vector<std::string> expected;
  for (DWORD t : ticks) {
    char tail[16];
    snprintf(tail, sizeof tail, " %10u\n", static_cast<unsigned>(t));
    expected.push_back(std::string("T123I045    ") + tail);
  }
  EXPECT_EQ(Records(), expected);
  for (const wchar_t* station : {L"0.00       ", L"1.00       ", L"2.00       ", L"3.00       ", L"4.00       "}) {
    EXPECT_TRUE(Drawn(station)) << station;
  }
  EXPECT_DOUBLE_EQ(SurveyRun.station, 4.0);
  EXPECT_EQ(plat::test::Beeps().size(), beeps + 5);
  // The reading count, marker and mode fields keep what the paint drew.
  EXPECT_FALSE(DrawnAt(LoggingLayout.readingCountRect));
  EXPECT_FALSE(DrawnAt(LoggingLayout.markerRect));
  EXPECT_FALSE(DrawnAt(LoggingLayout.modeRect));
}

}  // namespace
}  // namespace handheld
