// The meter reading handler: the mode and display texts as tables (the record flag and the record
// bytes are common's, tests/common/meter_reading_test.cpp), and whole readings on virtual ports:
// Manual averages, the held trigger, two readings per station, Auto recording, and a pause or an
// end in the middle of an average.
// test-labels: threads
#include "logging/meter_reading.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../../../platform/src/font.h"

#include "logging/screen.h"
#include "logging_fixture.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using test::LoggingFixture;
using test::LoggingSetup;

// ---- Pure rules --------------------------------------------------------------------------------

// Out-of-range dipole and component indexes draw nothing in the mode field.
TEST(ModeText, Table) {
  struct Case {
    int32_t model, dipole, component, modeAtStart;
    const wchar_t* text;
  } cases[] = {
      {kModelRz12, 0, 0, 0, L"Mode:V"},   {kModelRz27B, 1, 0, 0, L"Mode:H"}, {kModelRz27, 2, 0, 0, L"Mode:B"},
      {kModelRz12, 3, 0, 0, L""},         {kModelRz12, -1, 0, 0, L""},       {kModelRz27Dd, 9, 0, 0, L"Mode:B"},
      {kModelRz27Dd, 0, 1, 0, L"Mode:I"}, {kModelRz27Dd, 0, 2, 0, L"Mode:C"}, {kModelRz27Dd, 0, 3, 0, L""},
      {kModelRz45, 0, 0, 0, L"M:V10"},    {kModelRz45, 5, 0, 0, L"M:H40"},   {kModelRz45, 2, 0, 2, L"Rdgs:3"},
      {kModelRz45, 6, 0, 0, L""},         {kModelRz45, 6, 0, 2, L""},        {kModelRz89, 0, 0, 0, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ModeText(c.model, c.dipole, c.component, c.modeAtStart), c.text)
        << c.model << " " << c.dipole << " " << c.component;
  }
}

TEST(DisplayTexts, ByModelOrientationAndFrameKind) {
  auto view = [](int32_t model, bool portrait) {
    ReadingView v;
    v.model = model;
    v.portrait = portrait;
    v.value1 = 12.5f;
    v.value2 = -3.25f;
    v.range = 100;
    v.range2 = 20;
    return v;
  };
  struct Case {
    const char* name;
    ReadingView v;
    ReadingTexts t;
  };
  std::vector<Case> cases;
  cases.push_back({"RZ12 portrait V", view(kModelRz12, true),
                   {L"C:12.50   mS/m", L"I:-3.25   ppt", L"Vertical Dipoles   Range:100 ", L""}});
  {
    ReadingView v = view(kModelRz12, false);
    v.dipole = 'H';
    cases.push_back({"RZ12 landscape H", v, {L"C:12.50   ", L"I:-3.25   ", L"Horizontal  G100 ", L""}});
    v.component = 1;
    cases.push_back({"RZ12 component 1 hides value 1", v, {L"", L"I:-3.25   ", L"Horizontal  G100 ", L""}});
    v.dipole = 'X';
    cases.push_back({"RZ12 unknown dipole letter", v, {L"", L"I:-3.25   ", L"", L""}});
  }
  {
    ReadingView v = view(kModelRz12, false);
    v.zolEnabled = 1;
    cases.push_back({"RZ12 ice, V, landscape", v, {L"C:12.50   ", L"I:-3.25   ", L"V G100 ", L"T:N/A in V"}});
    v.portrait = true;
    cases.push_back({"RZ12 ice, V, portrait", v,
                     {L"C:12.50   mS/m", L"I:-3.25   ppt", L"Mode:V  R:100 ", L"Th: N/A in mode V"}});
    v.dipole = 'H';
    v.thickness = -1;
    cases.push_back({"RZ12 ice off the curve", v,
                     {L"C:12.50   mS/m", L"I:-3.25   ppt", L"Mode:H  R:100 ", L"T: Out of Range"}});
    v.thickness = 1.524f;
    cases.push_back({"RZ12 ice metres", v, {L"C:12.50   mS/m", L"I:-3.25   ppt", L"Mode:H  R:100 ", L"Th: 1.52    m"}});
    v.displayUnits = 1;
    v.portrait = false;
    cases.push_back({"RZ12 ice feet", v, {L"C:12.50   ", L"I:-3.25   ", L"H G100 ", L"T[ft]:5.00    "}});
  }
  {
    ReadingView v = view(kModelRz12, true);
    v.battery = 1;
    cases.push_back({"RZ12 battery", v, {L"B:12.50   Volt", L"B:-3.25   Volt", L"Battery Levels", L""}});
  }
  cases.push_back({"RZ27B", view(kModelRz27B, true), {L"C:12.50   ", L"I:-3.25   ", L"Vertical G100 ,20  ", L""}});
  {
    ReadingView v = view(kModelRz27Dd, true);
    v.frameKind = 1;
    cases.push_back({"RZ27-DD inphase", v, {L"IV:12.50   ", L"IH:-3.25   ", L"      Inphase [ppt]  Range:100 ", L""}});
    v.frameKind = 2;
    v.portrait = false;
    cases.push_back({"RZ27-DD conductivity", v, {L"CV:12.50   ", L"CH:-3.25   ", L"Conductivity  G100 ", L""}});
  }
  {
    ReadingView v = view(kModelRz27, true);
    v.frameKind = 2;
    cases.push_back({"RZ27 conductivity frame", v, {L"C:12.50   mS/m", L"", L"Vertical Dipoles   Range:100 ", L""}});
    v.frameKind = 1;
    v.dipole = 'H';
    v.portrait = false;
    cases.push_back({"RZ27 inphase frame", v, {L"", L"I:-3.25   ", L"Horizontal  G100 ", L""}});
  }
  {
    ReadingView v = view(kModelRz45, false);
    v.value2 = 20;
    cases.push_back({"RZ45", v, {L"C:12.50   ", L"Sep:20 m", L"Vertical  G100 ", L""}});
  }
  cases.push_back({"RZ89", view(kModelRz89, true), {L"C:12.50   ", L"Sep:-3.25    m", L"", L""}});
  for (const Case& c : cases) {
    const ReadingTexts t = ReadingDisplayTexts(c.v);
    EXPECT_EQ(t.value1, c.t.value1) << c.name;
    EXPECT_EQ(t.value2, c.t.value2) << c.name;
    EXPECT_EQ(t.range, c.t.range) << c.name;
    EXPECT_EQ(t.ice, c.t.ice) << c.name;
  }
}

// ---- Readings on virtual ports ------------------------------------------------------------------

constexpr unsigned kReleased = 0x34;
constexpr unsigned kPressed = 0x74;

class MeterReading : public LoggingFixture {
 protected:
  void Start(int32_t surveyMode, int32_t samples, int32_t dipole = 0) {
    LoggingSetup s;
    s.model = kModelRz12;
    SetUpLogging(s);
    SurveySettings.surveyMode = SurveySettings.surveyModeChoice = surveyMode;
    SurveySettings.samplesPerReading = samples;
    SurveySettings.dipole = dipole;
    SurveySettings.stationIncrement = 2.5f;
    SurveyRun.averaging = surveyMode == 2 && samples >= 2 ? 1 : 0;
    SelectTraces();
    StartReaderRun(InstrumentReaderThread);
    plat::test::EnableDrawLog(true);
    ASSERT_TRUE(CreateFile(L"\\Storage\\METER.R12"));
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }

  static std::string FrameText(unsigned status, int field1 = -200, int field2 = 500) {
    sim::InstrumentOptions o;
    o.model = kModelRz12;
    o.status = status;
    o.field1 = field1;
    o.field2 = field2;
    return sim::InstrumentStream(o).Frame(0);
  }

  size_t Readings() const {
    size_t n = 0;
    for (const auto& s : plat::test::Sends()) {
      if (s.hwnd == logging_ && s.msg == WM_READING) ++n;
    }
    return n;
  }

  // One frame that the reader announces; returns the frame's tick.
  DWORD Send(unsigned status, int field1 = -200, int field2 = 500) {
    EXPECT_TRUE(FeedFrame(status, field1, field2));
    return LinkState.lastFrameTick.load();
  }

  // One frame on the port, served until the reader has taken it; true when it was announced.
  bool FeedFrame(unsigned status, int field1, int field2) {
    const size_t before = Readings();
    const uint32_t previous = LinkState.lastFrameTick.load();
    PumpFor(10);
    port_->Feed(FrameText(status, field1, field2), GetTickCount());
    for (int k = 0; k < 200 && LinkState.lastFrameTick.load() == previous; ++k) PumpFor(5);
    PumpFor(20);
    return Readings() > before;
  }

  void Pause() { Press(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)]); }

  // The reading records of the data file (the records whose byte 0 is 'T' or a tag '2' to '6').
  std::vector<std::string> ReadingRecords() {
    SurveyRun.dataFile.Flush();
    const std::string file = test::RootFileBytes("Storage/METER.R12");
    std::vector<std::string> out;
    for (size_t i = 0; i + 24 <= file.size(); i += 24) {
      const char c = file[i];
      if (c == 'T' || (c >= '2' && c <= '6')) out.push_back(file.substr(i, 24));
    }
    return out;
  }

  static std::string Record(const std::string& frame12, DWORD tick) {
    char tail[16];
    snprintf(tail, sizeof tail, " %10u\n", static_cast<unsigned>(tick));
    return frame12 + tail;
  }
};

TEST_F(MeterReading, ManualFiveSamplesWriteOneAveragedRecord) {
  Start(2, 5);
  Send(kReleased);
  plat::test::ClearDrawLog();
  Send(kPressed);  // the press; the next four frames are samples whatever the trigger does
  Send(kReleased);
  Send(kPressed);
  Send(kReleased);
  EXPECT_EQ(SurveySettings.surveyMode, 0);
  EXPECT_TRUE(ReadingRecords().empty());
  const DWORD fifth = Send(kReleased);
  for (const wchar_t* counter : {L"Sample 1   of 5  ", L"Sample 2   of 5  ", L"Sample 3   of 5  ", L"Sample 4   of 5  "}) {
    EXPECT_TRUE(Drawn(counter)) << counter;
  }
  EXPECT_EQ(ReadingRecords(), std::vector<std::string>{Record("T4-0200+0500", fifth)});
  EXPECT_EQ(SurveySettings.surveyMode, 2);
  EXPECT_EQ(SurveyRun.sampleCount, 0);
  Send(kReleased);
  EXPECT_EQ(ReadingRecords().size(), 1u);
}

TEST_F(MeterReading, ManualOneSampleRecordsOncePerPress) {
  Start(2, 1);
  const DWORD first = Send(kPressed);
  Send(kPressed);
  Send(kPressed);
  EXPECT_EQ(ReadingRecords().size(), 1u);
  Send(kReleased);
  const DWORD second = Send(kPressed);
  const std::string frame = FrameText(kPressed).substr(0, 12);
  EXPECT_EQ(ReadingRecords(), (std::vector<std::string>{Record(frame, first), Record(frame, second)}));
}

TEST_F(MeterReading, BothDipolesTagTheSecondReadingAndAdvanceTheStation) {
  Start(2, 1, 2);
  ASSERT_EQ(PlotState.groupsPerStation, 2);
  const double station = SurveyRun.station;
  Send(kPressed);
  EXPECT_EQ(SurveyRun.station, station);
  Send(kReleased);
  plat::test::ClearDrawLog();
  Send(kPressed);
  const auto records = ReadingRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0][0], 'T');
  EXPECT_EQ(records[1][0], '2');
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 2.5);
  EXPECT_EQ(SurveyRun.readingsAtStation, 0);
  EXPECT_TRUE(Drawn(L"0"));
  wchar_t shown[32];
  swprintf(shown, 32, L"%-11.2f", station + 2.5);
  EXPECT_TRUE(Drawn(shown));
}

// Auto: every announced frame makes one record, the frame as sent; the station advances by the
// increment on each reading but the file's first.
TEST_F(MeterReading, AutoRecordsEveryAnnouncedFrame) {
  Start(0, 10);
  ASSERT_EQ(SurveyRun.framesPerReading.load(), 2);
  const double station = SurveyRun.station;
  std::vector<DWORD> ticks;
  for (int i = 0; i < 10; ++i) {
    if (FeedFrame(kReleased, -200, i)) ticks.push_back(LinkState.lastFrameTick.load());
  }
  ASSERT_EQ(ticks.size(), 5u);
  const auto records = ReadingRecords();
  ASSERT_EQ(records.size(), 5u);
  for (size_t r = 0; r < records.size(); ++r) {
    EXPECT_EQ(records[r], Record(FrameText(kReleased, -200, static_cast<int>(2 * r + 1)).substr(0, 12), ticks[r])) << r;
  }
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 4 * 2.5);
  Pause();
  Key('G');
  FeedFrame(kReleased, -200, 0);
  EXPECT_TRUE(FeedFrame(kReleased, -200, 0));
  EXPECT_EQ(ReadingRecords().size(), 6u);
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 5 * 2.5);
}

// The bold values row reads from the window's pixels as it is written: in "Vertical  G100" every
// character's ink is its own group of columns, where its glyph puts it, and the two blanks leave
// the width of two between 'l' and 'G'.
TEST_F(MeterReading, TheBoldRangeTextReadsFromThePixels) {
  Start(0, 1);
  for (int i = 0; i < 4 && !FeedFrame(kReleased, -200, 500); ++i) {
  }
  std::optional<plat::test::DrawEntry> range;
  for (const auto& e : plat::test::DrawLog()) {
    if (e.op == plat::test::DrawOp::Text && e.window == logging_ && e.text.rfind(L"Vertical  G", 0) == 0) range = e;
  }
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(range->fontWeight, FW_BOLD);
  const plat::detail::FontFace& face = plat::detail::FontInstance(range->fontCell, true);

  // Groups of ink columns in the text's cell.
  std::vector<std::pair<int, int>> groups;
  for (int x = range->rect.left; x < range->rect.right; ++x) {
    bool ink = false;
    for (int y = range->rect.top; y < range->rect.bottom && !ink; ++y) {
      ink = plat::test::WindowPixel(logging_, x, y) == range->textColor;
    }
    if (!ink) continue;
    if (!groups.empty() && groups.back().second == x - 1) {
      groups.back().second = x;
    } else {
      groups.push_back({x, x});
    }
  }
  // What the glyphs say: each inked character's columns from its pen.
  std::vector<std::pair<int, int>> expected;
  int pen = range->x;
  for (wchar_t ch : range->text) {
    const plat::detail::GlyphData& g = face.Glyph(ch);
    if (g.width) expected.push_back({pen + g.left, pen + g.left + g.width - 1});
    pen += g.advance;
  }
  ASSERT_EQ(expected.size(), 12u);  // "Vertical" and "G100"
  EXPECT_EQ(groups, expected);
  const int blank = face.Glyph(' ').advance;
  ASSERT_GE(groups.size(), 9u);
  EXPECT_GE(groups[8].first - groups[7].second - 1, 2 * blank);
}

// The battery field is redrawn by a reading once more than 180000 ms have passed since it was last
// shown, in the normal font at the field's origin, whatever the run state.
TEST_F(MeterReading, BatteryIsRefreshedEveryThreeMinutes) {
  Start(0, 10);
  plat::test::SetBatteryPercent(57);
  auto reading = [this] {
    plat::test::ClearDrawLog();
    for (int i = 0; i < 4 && !FeedFrame(kReleased, -200, 500);) ++i;
  };
  auto shown = [this]() -> const plat::test::DrawEntry* {
    static plat::test::DrawEntry found;
    for (const auto& e : DrawnTexts()) {
      if (e.text == L" 57%") return &(found = e);
    }
    return nullptr;
  };
  SurveyRun.lastBatteryTick = GetTickCount() - 179000;  // not yet (the frames take a few ms)
  reading();
  EXPECT_EQ(shown(), nullptr);
  SurveyRun.lastBatteryTick = GetTickCount() - 180001;
  reading();
  const plat::test::DrawEntry* battery = shown();
  ASSERT_NE(battery, nullptr);
  EXPECT_EQ(battery->x, LoggingLayout.batteryRect.left);
  EXPECT_EQ(battery->fontWeight, FW_NORMAL);
  EXPECT_LT(GetTickCount() - SurveyRun.lastBatteryTick, 1000u);
  reading();  // just shown
  EXPECT_EQ(shown(), nullptr);
}

// With audio on at 5 readings per second: one beep every 5 recorded readings.
TEST_F(MeterReading, AudioBeepsEveryFifthRecordedReading) {
  Start(2, 1);
  SurveySettings.audio = 1;
  LinkState.readingsPerSecond = 5;
  const size_t before = plat::test::Beeps().size();  // the start's beep
  for (int i = 0; i < 11; ++i) {
    Send(kPressed);
    Send(kReleased);
  }
  EXPECT_EQ(ReadingRecords().size(), 11u);
  EXPECT_EQ(plat::test::Beeps().size(), before + 2);
}

// A pause in the middle of an average drops the series and gives the operator's Manual mode back:
// the pause button of Manual shows at the next Go, and a new press averages afresh.
TEST_F(MeterReading, PauseDuringAnAverageDropsTheSeries) {
  Start(2, 3);
  Send(kPressed);
  Send(kReleased, 9000, 9000);
  ASSERT_EQ(SurveySettings.surveyMode, 0);
  Pause();
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveySettings.surveyMode, 2);
  EXPECT_EQ(SurveyRun.sampleCount, 0);
  for (HWND b : LoggingButtons.pause) EXPECT_FALSE(plat::test::IsVisible(b));
  Key('G');
  EXPECT_TRUE(plat::test::IsVisible(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, 2)]));
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  Send(kReleased);  // the trigger counts again
  EXPECT_EQ(SurveyRun.sampleCount, 0);
  Send(kPressed, 30, 60);
  Send(kReleased, 30, 60);
  const DWORD tick = Send(kReleased, 30, 60);
  EXPECT_EQ(ReadingRecords(), std::vector<std::string>{Record("T4+0030+0060", tick)});
}

TEST_F(MeterReading, EndOfRunDuringAnAverageRestoresTheMode) {
  Start(2, 3);
  Send(kPressed);
  ASSERT_EQ(SurveySettings.surveyMode, 0);
  StopLogging(1);
  EXPECT_EQ(SurveySettings.surveyMode, 2);
  EXPECT_EQ(SurveyRun.sampleCount, 0);
}

}  // namespace
}  // namespace handheld
