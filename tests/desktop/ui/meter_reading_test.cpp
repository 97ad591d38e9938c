// The meter reading handler in the running program, frames fed on the virtual COM1 under the
// virtual clock: the numbers panel's cells by build, the marker, the red bar going, Manual
// averages, a pause or an end in the middle of one, two readings per station, Auto recording, and
// the logging times over a pause.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "sim/instrument.h"
#include "ui/logging.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Switches;
namespace pt = plat::test;

constexpr unsigned kReleased = 0x34;  // vertical, gain 8, range code 4
constexpr unsigned kPressed = 0x74;   // the same with the trigger

class MeterReadingTest : public DesktopAppTest {
 protected:
  // The program started on the model with GPS off and the settings given, and the logging window
  // in Monitoring; the draw log on.
  template <typename F>
  void StartRun(int32_t model, F settings) {
    model_ = model;
    Start(Switches(model));
    OnUi([&] {
      SurveySettings.gpsEnabled = 0;
      settings();
    });
    Key('L');
    ASSERT_EQ(MainMenu.mode, 1);
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
  }
  void StartRun(int32_t model) {
    StartRun(model, [] {});
  }
  void Logging() {
    EnterStandBy();
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }

  std::string FrameText(unsigned status, int field1, int field2) const {
    sim::InstrumentOptions o;
    o.model = model_;
    o.status = status;
    o.field1 = field1;
    o.field2 = field2;
    return sim::InstrumentStream(o).Frame(0);
  }
  static size_t Readings() {
    size_t n = 0;
    for (const pt::SendInfo& s : pt::Sends()) n += s.hwnd == AppWindows.loggingWnd && s.msg == WM_READING;
    return n;
  }
  // One frame on COM1, then the instrument's 91 ms on the clock. True when it was announced.
  bool Frame(unsigned status, int field1 = -200, int field2 = 500) {
    const size_t before = Readings();
    com1_->Feed(FrameText(status, field1, field2));
    EXPECT_TRUE(pt::RunFor(91));
    return Readings() == before + 1;
  }
  // Frames until one is announced; its tick.
  DWORD Reading(unsigned status, int field1 = -200, int field2 = 500) {
    for (int i = 0; i < 4; ++i) {
      if (Frame(status, field1, field2)) return LinkState.lastFrameTick.load();
    }
    ADD_FAILURE() << "no frame was announced";
    return 0;
  }

  static std::string FileBytes() {
    const uint64_t size = SurveyRun.dataFile.Size();
    std::string bytes(size, '\0');
    uint32_t got = 0;
    if (size > 0) SurveyRun.dataFile.ReadAt(0, bytes.data(), static_cast<uint32_t>(size), &got);
    bytes.resize(got);
    return bytes;
  }
  // The reading records: byte 0 'T' or a tag '2' to '6'.
  static std::vector<std::string> ReadingRecords() {
    const std::string file = FileBytes();
    std::vector<std::string> out;
    for (size_t at = 0; at + 24 <= file.size(); at += 24) {
      const char c = file[at];
      if (c == 'T' || (c >= '2' && c <= '6')) out.push_back(file.substr(at, 24));
    }
    return out;
  }
  static std::string Record(const std::string& frame12, DWORD tick) {
    char tail[16];
    std::snprintf(tail, sizeof tail, " %10u\n", static_cast<unsigned>(tick));
    return frame12 + tail;
  }

  // The texts drawn at the origin of a rectangle of the window, oldest first.
  static std::vector<pt::DrawEntry> TextsAt(HWND window, const RECT& r, int y = -1) {
    std::vector<pt::DrawEntry> out;
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op == pt::DrawOp::Text && e.window == window && e.x == r.left && e.y == (y < 0 ? r.top : y)) {
        out.push_back(e);
      }
    }
    return out;
  }
  static std::vector<std::wstring> Words(const std::vector<pt::DrawEntry>& entries) {
    std::vector<std::wstring> out;
    for (const auto& e : entries) out.push_back(e.text);
    return out;
  }
  // The last text of each value cell since the log was cleared ("" for none).
  static std::vector<std::wstring> Cells() {
    std::vector<std::wstring> out;
    for (int i = 0; i < 4; ++i) {
      const auto texts = TextsAt(AppWindows.numbersWnd, LoggingLayout.valueRect[i]);
      out.push_back(texts.empty() ? L"" : texts.back().text);
    }
    return out;
  }
  static bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  static bool Filled(HWND window, const RECT& r, COLORREF colour) {
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op == pt::DrawOp::FillRect && e.window == window && Same(e.rect, r) && e.brushColor == colour) {
        return true;
      }
    }
    return false;
  }

  int32_t model_ = kModelRz12;
};

// 'T', 0xA0, "-2000", "00500": range code 0 of the RZ12 (1000, x -0.25), vertical, no trigger.
TEST_F(MeterReadingTest, MonitoringShowsTheCellsAndTheMarker) {
  StartRun(kModelRz12);
  ASSERT_TRUE(Frame(0xA0, -2000, 500));
  EXPECT_EQ(Cells(), (std::vector<std::wstring>{L"500.00  ", L"-1.25   ", L"Vertical", L"1000"}));
  for (int i = 0; i < 4; ++i) {
    const pt::DrawEntry cell = TextsAt(AppWindows.numbersWnd, LoggingLayout.valueRect[i]).back();
    EXPECT_EQ(cell.fontWeight, FW_BOLD);
    EXPECT_EQ(cell.textColor, RGB(0, 0, 0));
  }
  EXPECT_TRUE(Filled(AppWindows.numbersWnd, LoggingLayout.valueRowRect, RGB(255, 255, 255)));
  EXPECT_TRUE(Filled(AppWindows.loggingWnd, LoggingLayout.markerRect, GetSysColor(COLOR_BTNFACE)));
  EXPECT_FALSE(pt::FindText(L"MARKER").has_value());

  // Component Inphase: cell 1 is not written (the row was filled white), cell 2 the inphase.
  OnUi([] { SurveySettings.component = 1; });
  pt::ClearDrawLog();
  ASSERT_TRUE(Frame(0xA0, -2000, 500));
  EXPECT_EQ(Cells(), (std::vector<std::wstring>{L"", L"125.00  ", L"Vertical", L"1000"}));

  // The trigger in Monitoring: "MARKER" in the large font at the field's left, at the top.
  pt::ClearDrawLog();
  ASSERT_TRUE(Frame(0xE0, -2000, 500));
  const auto marker = TextsAt(AppWindows.loggingWnd, LoggingLayout.markerRect, 0);
  ASSERT_EQ(Words(marker), std::vector<std::wstring>{L"MARKER"});
  EXPECT_GT(marker[0].fontCell, TextsAt(AppWindows.numbersWnd, LoggingLayout.valueRect[2]).back().fontCell);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_EQ(LinkState.frame[0], 0);  // taken
}

// The cells of the other meter builds: the RZ27B's two ranges and the RZ45's coil separation.
TEST_F(MeterReadingTest, CellsOfTheRz27BAndTheRz45) {
  const struct {
    const char* name;
    int32_t model;
    unsigned status;
    std::vector<std::wstring> cells;
  } cases[] = {
      // 0x22: vertical, range code 2 (100 and 1000); field 2 the conductivity, field 1 the inphase.
      {"rz27bxp", kModelRz27B, 0x22, {L"-50.00  ", L"5.76    ", L"Vertical", L"100 ,1000"}},
      // 0x34 on the RZ45: horizontal, 10 m, range code 4 (100, x -0.025).
      {"rz45xp", kModelRz45, 0x34, {L"5.00    ", L"10.00   ", L"Horizontal", L"100 "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (program_ != nullptr) End();
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    StartRun(c.model);
    ASSERT_TRUE(Frame(c.status));
    EXPECT_EQ(Cells(), c.cells);
  }
}

// The RZ89 records its readings and shows no value; a reading clears the link-lost bar.
TEST_F(MeterReadingTest, Rz89RecordsAndShowsNothing) {
  StartRun(kModelRz89);
  Logging();
  OnUi([] { ShowNoConnection(); });
  ASSERT_TRUE(Filled(AppWindows.numbersWnd, LoggingLayout.valueRowRect, RGB(255, 0, 0)));
  pt::ClearDrawLog();
  const DWORD tick = Reading(kReleased);
  EXPECT_TRUE(Filled(AppWindows.numbersWnd, LoggingLayout.valueRowRect, RGB(255, 255, 255)));
  for (const pt::DrawEntry& e : pt::DrawLog()) {
    EXPECT_FALSE(e.op == pt::DrawOp::Text && e.window == AppWindows.numbersWnd) << std::string(e.text.begin(), e.text.end());
  }
  EXPECT_EQ(ReadingRecords(), std::vector<std::string>{Record(FrameText(kReleased, -200, 500).substr(0, 12), tick)});
}

// Auto: every announced frame makes one record, the frame as sent, a blank, its tick and LF; each
// reading completes a station, and all but the line's first move it by the increment.
TEST_F(MeterReadingTest, AutoRecordsEveryAnnouncedFrame) {
  StartRun(kModelRz12, [] { SurveySettings.stationIncrement = 2.5f; });
  Logging();
  ASSERT_EQ(SurveyRun.framesPerReading.load(), 2);
  const double station = SurveyRun.station;
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    if (Frame(kReleased, -200, i)) {
      expected.push_back(Record(FrameText(kReleased, -200, i).substr(0, 12), LinkState.lastFrameTick.load()));
    }
  }
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(ReadingRecords(), expected);
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 4 * 2.5);
  EXPECT_EQ(SurveyRun.stationsInLine, 5);
  EXPECT_EQ(SurveyRun.stationsTotal, 5);
  EXPECT_EQ(Words(TextsAt(AppWindows.loggingWnd, LoggingLayout.lineStationsRect)).back(), L"5     ");
  EXPECT_EQ(Words(TextsAt(AppWindows.loggingWnd, LoggingLayout.totalStationsRect)).back(), L"5      ");
  const auto shown = TextsAt(AppWindows.loggingWnd, LoggingLayout.stationRect);
  ASSERT_FALSE(shown.empty());
  char text[32];
  std::snprintf(text, sizeof text, "%-11.2f", station + 4 * 2.5);
  EXPECT_EQ(shown.back().text, std::wstring(text, text + std::strlen(text)));
  EXPECT_EQ(shown.back().fontWeight, FW_BOLD);
}

// Manual, 10 samples per reading: the press and the nine frames after it are the samples, each
// showing only its counter; the tenth records one reading of the fields' means, each its own
// 5-character field (" -200" and "00500", not -20000500), with the tenth frame's tick.
TEST_F(MeterReadingTest, ManualTenSamplesMakeOneAveragedRecord) {
  StartRun(kModelRz12, [] {
    SurveySettings.surveyMode = kModeManual;
    SurveySettings.samplesPerReading = 10;
  });
  ASSERT_EQ(SurveyRun.averaging, 1);
  Logging();
  ASSERT_TRUE(Frame(kReleased));
  pt::ClearDrawLog();
  ASSERT_TRUE(Frame(kPressed));
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(Frame(kReleased));
  EXPECT_EQ(SurveySettings.surveyMode, kModeAuto);  // while the average runs
  EXPECT_TRUE(ReadingRecords().empty());
  std::vector<std::wstring> counters;
  for (int k = 1; k <= 9; ++k) {
    wchar_t text[32];
    std::swprintf(text, 32, L"Sample %-3d of %-3d", k, 10);
    counters.push_back(text);
  }
  const auto cell3 = TextsAt(AppWindows.numbersWnd, LoggingLayout.valueRect[2]);
  EXPECT_EQ(Words(cell3), counters);
  EXPECT_EQ(cell3.back().fontWeight, FW_NORMAL);
  EXPECT_EQ(Cells()[0], L"");  // no values while the samples come
  ASSERT_TRUE(Frame(kReleased));
  const DWORD tenth = LinkState.lastFrameTick.load();
  EXPECT_EQ(ReadingRecords(), std::vector<std::string>{Record("T4-0200+0500", tenth)});
  EXPECT_EQ(Cells(), (std::vector<std::wstring>{L"5.00    ", L"-1.25   ", L"Vertical", L"100 "}));
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  ASSERT_TRUE(Frame(kReleased));
  ASSERT_TRUE(Frame(kReleased));
  EXPECT_EQ(ReadingRecords().size(), 1u);
}

// A PAUSE in the middle of an average gives the Manual mode back and drops the samples: the
// settings file keeps Manual, and after GO the trigger counts again and a new press averages
// afresh.
TEST_F(MeterReadingTest, PauseInTheMiddleOfAnAverageKeepsManual) {
  StartRun(kModelRz12, [] {
    SurveySettings.surveyMode = kModeManual;
    SurveySettings.samplesPerReading = 3;
  });
  Logging();
  ASSERT_TRUE(Frame(kPressed));
  ASSERT_TRUE(Frame(kReleased, 9000, 9000));
  ASSERT_EQ(SurveySettings.surveyMode, kModeAuto);
  Key(VK_SPACE);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  EXPECT_EQ(SurveyRun.sampleCount, 0);
  bool saved = false;
  OnUi([&] {
    saved = LoadSaveSettings(1);
    SurveySettings.surveyMode = kModeAuto;
    LoadSaveSettings(0);
  });
  ASSERT_TRUE(saved);
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);  // as the file holds it

  Key('G');
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  ASSERT_TRUE(Frame(kReleased));
  EXPECT_EQ(SurveyRun.sampleCount, 0);  // released: no sample
  ASSERT_TRUE(Frame(kPressed, 30, 60));
  ASSERT_TRUE(Frame(kReleased, 30, 60));
  ASSERT_TRUE(Frame(kReleased, 30, 60));
  EXPECT_EQ(ReadingRecords(), std::vector<std::string>{Record("T4+0030+0060", LinkState.lastFrameTick.load())});
}

TEST_F(MeterReadingTest, EndOfTheRunInTheMiddleOfAnAverageKeepsManual) {
  StartRun(kModelRz12, [] {
    SurveySettings.surveyMode = kModeManual;
    SurveySettings.samplesPerReading = 3;
  });
  Logging();
  ASSERT_TRUE(Frame(kPressed));
  ASSERT_EQ(SurveySettings.surveyMode, kModeAuto);
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  OnUiSettled([] { StopLogging(); });
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  EXPECT_EQ(SurveyRun.sampleCount, 0);
}

// Manual with both dipoles (two readings per station): the count shows in the marker field, the
// second reading is tagged '2' and completes the station, which moves on by the increment.
TEST_F(MeterReadingTest, ManualBothDipolesTagTheSecondReading) {
  StartRun(kModelRz12, [] {
    SurveySettings.surveyMode = kModeManual;
    SurveySettings.samplesPerReading = 1;
    SurveySettings.dipole = 2;
  });
  OnUi([] {
    PlotState.groupsPerStation = 2;
    SurveySettings.stationIncrement = 2.5f;
  });
  const double station = SurveyRun.station;
  Logging();
  auto counts = [] { return Words(TextsAt(AppWindows.loggingWnd, LoggingLayout.markerRect)); };
  EXPECT_EQ(counts(), std::vector<std::wstring>{L"Reading: 0 of 2"});  // at GO
  pt::ClearDrawLog();
  ASSERT_TRUE(Frame(kPressed));
  EXPECT_EQ(counts(), std::vector<std::wstring>{L"Reading: 1 of 2"});
  EXPECT_EQ(SurveyRun.station, station);
  ASSERT_TRUE(Frame(kReleased));
  pt::ClearDrawLog();
  ASSERT_TRUE(Frame(kPressed));
  const auto records = ReadingRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0][0], 'T');
  EXPECT_EQ(records[1][0], '2');
  EXPECT_EQ(counts(), std::vector<std::wstring>{L"Reading: 0 of 2"});
  EXPECT_EQ(TextsAt(AppWindows.loggingWnd, LoggingLayout.markerRect).back().fontWeight, FW_BOLD);
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 2.5);
  EXPECT_EQ(SurveyRun.stationsInLine, 1);
}

// 65 minutes of logging in one stretch show 01:05:00 in both times; after a PAUSE and a GO a
// minute later they go on from there: only the time spent logging counts.
TEST_F(MeterReadingTest, LoggingTimesCountOnlyTheTimeLogged) {
  StartRun(kModelRz12);
  Logging();
  pt::SetTick(SurveyRun.goTick + 65 * 60 * 1000);
  Reading(kReleased);
  auto times = [] {
    return std::vector<std::wstring>{Words(TextsAt(AppWindows.loggingWnd, LoggingLayout.lineTimeRect)).back(),
                                     Words(TextsAt(AppWindows.loggingWnd, LoggingLayout.totalTimeRect)).back()};
  };
  EXPECT_EQ(times(), (std::vector<std::wstring>{L"01:05:00", L"01:05:00"}));
  EXPECT_EQ(SurveyRun.lineTimeHms[1], 5);
  Key(VK_SPACE);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  pt::SetTick(GetTickCount() + 60 * 1000);
  Key('G');
  pt::ClearDrawLog();
  Reading(kReleased);
  EXPECT_EQ(times(), (std::vector<std::wstring>{L"01:05:00", L"01:05:00"}));
  EXPECT_EQ(SurveyRun.totalTimeHms[0], 1);
}

}  // namespace
}  // namespace desktop
