// The GPS status row: what each sentence does to the row (a table), and the row on the logging
// window fed by the GPS simulator through the GPS reader on a virtual port: the mark, the count
// while Logging, the "??" path, and a row that stands still during an RZ27-MK2 calibration.
// test-labels: threads
#include "logging/gps_status.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/nmea.h"
#include "logging/screen.h"
#include "logging_fixture.h"
#include "sim/gps.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using test::LoggingFixture;
using test::LoggingSetup;

const char kGga[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const char kGsa[] = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39";

// A field as the table writes it: "-" left alone, "_" erased only, else the text drawn.
std::wstring Shown(const GpsRowField& f) {
  if (!f.erase) return L"-";
  return f.text.empty() ? L"_" : f.text;
}

// A sentence as the reader keeps it: without its line end.
std::string Line(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}
// A GGA with the given fix quality and satellite field, and a GSA with the given tail from the
// PDOP on, each with its checksum.
std::string Gga(const std::string& quality, const std::string& satellites) {
  return Line(sim::NmeaSentence("GPGGA,123519,4807.038,N,01131.000,E," + quality + "," + satellites + ",0.9,545.4,M,46.9,M,,"));
}
std::string Gsa(const std::string& tail) { return Line(sim::NmeaSentence("GPGSA,A,3,04,05,,09,12,,,24,,,,," + tail)); }

TEST(GpsRow, WhatEachSentenceShows) {
  struct Case {
    const char* name;
    std::string sentence;
    int32_t valid, state;
    bool bold;
    char mark;
    int32_t count;
    const wchar_t *markText, *countText, *sat, *fix, *pdop;
  } cases[] = {
      {"GGA, Monitor", kGga, 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 8", L"AGPS", L"-"},
      {"GGA, Logging", kGga, 1, kRunLogging, false, '/', 8, L"/", L"8    ", L" 8", L"AGPS", L"-"},
      {"GGA, Stand By", kGga, 1, kRunStandBy, false, '/', 7, L"/", L"-", L" 8", L"AGPS", L"-"},
      {"no fix", (Gga("0", "00")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 0", L"NO FIX", L"-"},
      {"DGPS", (Gga("2", "12")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L"12", L"DGPS", L"-"},
      {"RTK", (Gga("3", "5")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 5", L"RTK", L"-"},
      {"CODE", (Gga("4", "5")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 5", L"CODE", L"-"},
      {"quality 5 leaves the fix blank", (Gga("5", "08")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 8", L"_", L"-"},
      {"empty quality", (Gga("", "08")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 8", L"_", L"-"},
      {"satellites beyond int saturate", (Gga("1", "99999999999")), 1, kRunMonitor, false, '/', 7, L"/", L"-",
       L"2147483647", L"AGPS", L"-"},
      {"satellites not a number", (Gga("1", "x8")), 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 0", L"AGPS", L"-"},
      {"GGA cut before its fix", "$GPGGA,1,2,3", 1, kRunMonitor, false, '/', 7, L"/", L"-", L" 0", L"_", L"-"},
      {"wrong checksum", kGga, 0, kRunLogging, true, '\\', 7, L"-", L"-", L"??", L"_", L"-"},
      {"short line", "$GGA", 1, kRunLogging, true, '\\', 7, L"-", L"-", L"??", L"_", L"-"},
      {"GSA", kGsa, 1, kRunLogging, false, '\\', 7, L"-", L"-", L"-", L"-", L"2.5 "},
      {"GSA, empty PDOP", Gsa(",1.3,2.1"), 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-", L"-", L"0.0 "},
      {"GSA cut before the PDOP", "$GPGSA,A,3,04,05,,09,12,,,24*00", 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-",
       L"-", L"N/A"},
      {"GSA, PDOP inf", Gsa("inf,1.3,2.1"), 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-", L"-", L"0.0 "},
      {"GSA, PDOP nan", Gsa("nan,1.3,2.1"), 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-", L"-", L"0.0 "},
      {"GSA, PDOP hex", Gsa("0x1A,1.3,2.1"), 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-", L"-", L"0.0 "},
      {"GSA, PDOP beyond float", Gsa("1e300,1.3,2.1"), 1, kRunMonitor, false, '\\', 7, L"-", L"-", L"-", L"-",
       L"340282346638528859811704183484516925440.0"},
      {"GSA, bad checksum", kGsa, 0, kRunMonitor, true, '\\', 7, L"-", L"-", L"-", L"-", L"??"},
      {"other sentence", "$GPRMC,123519,A*00", 1, kRunLogging, false, '\\', 7, L"-", L"-", L"-", L"-", L"-"},
      {"empty line", "", 0, kRunLogging, true, '\\', 7, L"-", L"-", L"-", L"-", L"-"},
  };
  for (const Case& c : cases) {
    const GpsRowUpdate u = DecideGpsRow(c.sentence.c_str(), c.valid, '\\', c.state, 7);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(u.bold, c.bold);
    EXPECT_EQ(u.mark, c.mark);
    EXPECT_EQ(u.count, c.count);
    EXPECT_EQ(Shown(u.markField), c.markText);
    EXPECT_EQ(Shown(u.countField), c.countText);
    EXPECT_EQ(Shown(u.satField), c.sat);
    EXPECT_EQ(Shown(u.fixField), c.fix);
    EXPECT_EQ(Shown(u.pdopField), c.pdop);
  }
  // The mark flips back on the next GGA.
  EXPECT_EQ(DecideGpsRow(kGga, 1, '/', kRunMonitor, 0).mark, '\\');
}

// ---- The row on the logging window -------------------------------------------------------------

class GpsRowOnScreen : public LoggingFixture {
 protected:
  void SetUp() override {
    LoggingSetup s;
    SetUpLogging(s);
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 1;  // COM2
    gps_ = plat::test::AttachVirtualPort(2);
    ASSERT_EQ(OpenGpsPort(), 1);
    WorkerThreads.gps = CreateThread(nullptr, 0, GpsReaderThread, nullptr, 0, nullptr);
    ASSERT_NE(WorkerThreads.gps, nullptr);
    ShowRun();
    plat::test::EnableDrawLog(true);
  }

  // The simulator replays the lines, one a cycle, and the reader hands each to the window.
  void Play(const std::vector<std::string>& lines) {
    std::string file;
    for (const std::string& l : lines) file += l + "\r\n";
    sim::GpsOptions o;
    o.rateHz = 10;
    sim::NmeaReplay replay(file, o);
    plat::test::ClearDrawLog();
    sim::FeedVirtualPort(*gps_, replay, GetTickCount() + 20);
    PumpFor(100 * static_cast<DWORD>(lines.size()) + 100);
  }

  // The texts drawn into a field of the row, in order.
  std::vector<std::wstring> In(const RECT& r) const {
    std::vector<std::wstring> out;
    for (const auto& e : DrawnTexts()) {
      if (e.x == r.left && e.y == LoggingLayout.gpsRowY) out.push_back(e.text);
    }
    return out;
  }

  std::shared_ptr<plat::test::VirtualPort> gps_;
};

TEST_F(GpsRowOnScreen, TheSimulatorsSentencesFillTheRow) {
  const char mark = GpsStatus.mark;
  Play({kGga, kGsa, kGga});
  const std::vector<std::wstring> marks = In(LoggingLayout.gpsMarkRect);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0], std::wstring(1, mark == '/' ? L'\\' : L'/'));
  EXPECT_EQ(marks[1], std::wstring(1, static_cast<wchar_t>(mark)));
  EXPECT_EQ(In(LoggingLayout.gpsFixRect), (std::vector<std::wstring>{L"AGPS", L"AGPS"}));
  EXPECT_EQ(In(LoggingLayout.gpsSatRect), (std::vector<std::wstring>{L" 8", L" 8"}));
  EXPECT_EQ(In(LoggingLayout.gpsPdopRect), std::vector<std::wstring>{L"2.5 "});
  EXPECT_TRUE(In(LoggingLayout.gpsCountRect).empty()) << "the count grows only while Logging";
  EXPECT_EQ(SurveyRun.gpsFixCount, 0);
  EXPECT_EQ(GpsState.sentence[0], 0) << "the sentence is cleared after use";

  // While Logging every good GGA counts; a bad one draws "??" in bold and leaves mark and count.
  ASSERT_TRUE(CreateFile(L"\\Storage\\GPSROW.R12"));
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  Play({kGga, kGga});
  EXPECT_EQ(In(LoggingLayout.gpsCountRect), (std::vector<std::wstring>{L"1    ", L"2    "}));
  const char before = GpsStatus.mark;
  std::string spoilt = kGga;
  spoilt.back() = '8';
  Play({spoilt});
  EXPECT_EQ(In(LoggingLayout.gpsSatRect), std::vector<std::wstring>{L"??"});
  EXPECT_EQ(plat::test::FindText(L"??").value_or(plat::test::DrawEntry{}).fontWeight, FW_BOLD);
  EXPECT_TRUE(In(LoggingLayout.gpsFixRect).empty());
  EXPECT_TRUE(In(LoggingLayout.gpsMarkRect).empty());
  EXPECT_EQ(GpsStatus.mark, before);
  EXPECT_EQ(SurveyRun.gpsFixCount, 2);
  bool erasedFix = false;
  for (const auto& e : plat::test::DrawLog()) {
    erasedFix |= e.op == plat::test::DrawOp::FillRect && e.window == logging_ && e.rect.left == LoggingLayout.gpsFixRect.left &&
                 e.rect.top == LoggingLayout.gpsFixRect.top;
  }
  EXPECT_TRUE(erasedFix);
  StopLogging(1);
  EXPECT_EQ(SurveyRun.gpsFixCount, 0);
}

TEST_F(GpsRowOnScreen, TheRowStandsStillDuringACalibration) {
  Rz27Mk2Calibration.active = -1;
  Play({kGga, kGsa});
  EXPECT_TRUE(DrawnTexts().empty());
  EXPECT_STREQ(GpsState.sentence, kGsa) << "the reader kept the sentences";
  for (const auto& s : plat::test::Sends()) EXPECT_NE(s.msg, static_cast<UINT>(WM_GPS_SENTENCE));
  Rz27Mk2Calibration.active = 0;
  Play({kGga});
  EXPECT_EQ(In(LoggingLayout.gpsFixRect), std::vector<std::wstring>{L"AGPS"});
}

}  // namespace
}  // namespace handheld
