// The desktop meter handler's pure parts as tables: the numbers panel's cells by model and frame
// kind, the second field of an average, the marker field, the counter, station and time texts, the
// station count of recorded readings, the logging times, and the drop of an average cut short.
#include "engine/meter_reading.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/state.h"

namespace desktop {
namespace {

using Cells = std::vector<std::optional<std::string>>;
const std::nullopt_t none = std::nullopt;

TEST(MeterCells, ByModelAndFrameKind) {
  auto reading = [](char dipole, int32_t kind) {
    MeterReading m;
    m.value1 = 500.0f;
    m.value2 = -1.25f;
    m.dipole = dipole;
    m.range = 1000;
    m.range2 = 10;
    m.frameKind = kind;
    return m;
  };
  struct Case {
    const char* name;
    int32_t model, component;
    MeterReading m;
    bool clearRow;
    Cells cells;
  } cases[] = {
      {"RZ12 both", kModelRz12, 0, reading('V', 0), false, {"500.00  ", "-1.25   ", "Vertical", "1000"}},
      {"RZ12 inphase leaves cell 1", kModelRz12, 1, reading('H', 0), false, {none, "-1.25   ", "Horizontal", "1000"}},
      {"RZ12 conductivity", kModelRz12, 2, reading('V', 0), false, {none, "-1.25   ", "Vertical", "1000"}},
      {"RZ12 unknown dipole letter", kModelRz12, 0, reading('X', 0), false,
       {"500.00  ", "-1.25   ", "Horizontal", "1000"}},
      {"RZ27B range pair", kModelRz27B, 0, reading('H', 0), false, {"500.00  ", "-1.25   ", "Horizontal", "1000,10  "}},
      {"RZ27-DD conductivity frame", kModelRz27Dd, 0, reading('V', 2), false,
       {"500.00  ", "-1.25   ", "Conductivity", "1000"}},
      {"RZ27-DD inphase frame", kModelRz27Dd, 0, reading('V', 1), false, {"500.00  ", "-1.25   ", "Inphase", "1000"}},
      {"RZ27 conductivity frame", kModelRz27, 0, reading('V', 2), true, {"500.00  ", none, "Vertical", "1000"}},
      {"RZ27 inphase frame", kModelRz27, 0, reading('H', 1), true, {none, "-1.25   ", "Horizontal", "1000"}},
      {"RZ27 frame of no kind", kModelRz27, 0, reading('V', 0), true, {none, none, "Vertical", "1000"}},
      {"RZ45 separation", kModelRz45, 2, reading('V', 0), true, {"500.00  ", "-1.25   ", "Vertical", "1000"}},
      {"RZ89 nothing", kModelRz89, 0, reading('V', 0), false, {none, none, none, none}},
  };
  for (const Case& c : cases) {
    const MeterCells out = MeterCellTexts(c.model, c.component, c.m);
    EXPECT_EQ(out.clearRow, c.clearRow) << c.name;
    EXPECT_EQ(Cells(out.cell, out.cell + 4), c.cells) << c.name;
  }
  // A wide value and a negative range keep their whole text.
  MeterReading wide = reading('V', 0);
  wide.value1 = -1.0e30f;
  wide.range = -32768;
  wide.range2 = 65535;
  const MeterCells out = MeterCellTexts(kModelRz27B, 0, wide);
  EXPECT_EQ(out.cell[0], "-1000000015047466219876688855040.00");
  EXPECT_EQ(out.cell[3], "-32768,65535");
}

TEST(MeterCells, SecondFieldOfAnAverage) {
  struct Case {
    int32_t model, length;
    bool second;
  } cases[] = {{kModelRz12, 12, true},  {kModelRz27B, 12, true}, {kModelRz45, 12, true}, {kModelRz89, 12, true},
               {kModelRz27, 12, false}, {kModelRz27, 7, false},  {kModelRz27Dd, 8, true}, {kModelRz12, 7, false}};
  for (const Case& c : cases) EXPECT_EQ(MeterSecondField(c.model, c.length), c.second) << c.model << " " << c.length;
}

TEST(MarkerField, ByRunAndTrigger) {
  struct Case {
    bool logging;
    int32_t modeAtStart;
    unsigned char status;
    MarkerField field;
  } cases[] = {
      {false, 0, 0xE0, MarkerField::kMarker}, {false, 0, 0xA0, MarkerField::kBlank},
      {false, 2, 0x40, MarkerField::kMarker}, {true, 0, 0x74, MarkerField::kMarker},
      {true, 1, 0x34, MarkerField::kBlank},   {true, 2, 0x74, MarkerField::kKeep},
      {true, 2, 0x34, MarkerField::kKeep},    {false, 0, 0x3F, MarkerField::kBlank},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MarkerFieldOf(c.logging, c.modeAtStart, c.status), c.field)
        << c.logging << " " << c.modeAtStart << " " << int(c.status);
  }
}

TEST(ReadingTexts, CountersStationsAndTimes) {
  EXPECT_EQ(SampleCounterText(1, 10), "Sample 1   of 10 ");
  EXPECT_EQ(SampleCounterText(1000, 10000), "Sample 1000 of 10000");
  EXPECT_EQ(ReadingsAtStationText(1, 2), "Reading: 1 of 2");
  EXPECT_EQ(StationText(125.0), "125.00     ");
  EXPECT_EQ(StationText(-1.0e300).size(), 63u);  // cut to its buffer, never written past it
  EXPECT_EQ(LineStationsText(70), "70    ");
  EXPECT_EQ(TotalStationsText(70), "70     ");
  struct Case {
    int32_t ms;
    const char* text;
    int32_t h, m, s;
  } cases[] = {{0, "00:00:00", 0, 0, 0},           {999, "00:00:00", 0, 0, 0},
               {3900000, "01:05:00", 1, 5, 0},      {3959999, "01:05:59", 1, 5, 59},
               {360000000, "100:00:00", 100, 0, 0}, {std::numeric_limits<int32_t>::max(), "596:31:23", 596, 31, 23}};
  for (const Case& c : cases) {
    int32_t hms[3] = {-1, -1, -1};
    EXPECT_EQ(HmsText(c.ms, hms), c.text) << c.ms;
    EXPECT_EQ(hms[0], c.h);
    EXPECT_EQ(hms[1], c.m);
    EXPECT_EQ(hms[2], c.s);
  }
}

// Readings recorded one after the other (each counted in readingsAtStation before): a station is
// complete with its groups' readings; it moves by the increment unless no reading was recorded
// before at it (the first of a line, or after a new station), and counts in every case.
TEST(StationCountTest, ReadingByReading) {
  struct Case {
    const char* name;
    int32_t groups;
    int32_t hasReading;
    int32_t readings;                // recorded in a row
    double station;                  // after them
    int32_t inLine, atStation;       // after them
    std::vector<bool> completed;     // per reading
  } cases[] = {
      {"Auto, first of the line", 1, 0, 3, 102.5, 3, 0, {true, true, true}},
      {"a station that has a reading", 1, 1, 1, 101.25, 1, 0, {true}},
      {"two per station", 2, 0, 4, 102.5, 2, 0, {false, true, false, true}},
      {"two per station, half way", 2, 0, 3, 101.25, 1, 1, {false, true, false}},
  };
  for (const Case& c : cases) {
    StationCount s;
    s.station = 100.0;
    s.stationHasReading = c.hasReading;
    s.stationsTotal = 10;
    std::vector<bool> completed;
    for (int32_t i = 0; i < c.readings; ++i) {
      ++s.readingsAtStation;
      completed.push_back(CountRecordedReading(s, c.groups, 1.25f));
    }
    EXPECT_EQ(completed, c.completed) << c.name;
    EXPECT_DOUBLE_EQ(s.station, c.station) << c.name;
    EXPECT_EQ(s.stationsInLine, c.inLine) << c.name;
    EXPECT_EQ(s.stationsTotal, 10 + c.inLine) << c.name;
    EXPECT_EQ(s.readingsAtStation, c.atStation) << c.name;
    EXPECT_EQ(s.stationHasReading, 1) << c.name;
  }
}

TEST(LoggedTime, SinceGoAndBefore) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t before;
    uint32_t go, now;
    int32_t ms;
  } cases[] = {
      {0, 1000, 1000, 0},
      {3900000, 5000, 5150, 3900150},
      {0, 0xFFFFFF00u, 0x100u, 0x200},       // the tick wrapped since GO
      {kMax - 10, 0, 100, kMax},             // held at the largest int
      {1000, 0, 0xFFFFFFFFu, kMax},
  };
  for (const Case& c : cases) EXPECT_EQ(LoggedMs(c.before, c.go, c.now), c.ms) << c.before << " " << c.go << " " << c.now;
}

// A series cut short, a meter average or an RZ27-MK2 series, gives the operator's Manual mode back
// and drops its sums; with none in progress the mode and the last series' means stay as they are.
TEST(SampleSeriesDrop, OnlyASeriesInProgress) {
  ResetEngineState();
  SurveySettings.surveyMode = kModeAuto;
  SurveyRun.fieldMean[0] = 12.0f;
  DropSampleSeries();
  EXPECT_EQ(SurveySettings.surveyMode, kModeAuto);

  const struct {
    const char* name;
    void (*start)();
  } series[] = {
      {"meter average",
       [] {
         SurveyRun.sampleCount = 3;
         SurveyRun.fieldSum[0] = 900;
         SurveyRun.fieldSum[1] = -30;
         SurveyRun.valueSum[0] = 4.5f;
         SurveyRun.valueSum[1] = 1.5f;
       }},
      {"RZ27-MK2 series",
       [] {
         SurveyRun.mk2SampleCount = 2;
         SurveyRun.mk2ValueSum[3] = 7.5f;
         SurveyRun.mk2CountSum[5] = 4000;
       }},
  };
  for (const auto& c : series) {
    SCOPED_TRACE(c.name);
    SurveySettings.surveyMode = kModeAuto;
    c.start();
    DropSampleSeries();
    EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
    EXPECT_EQ(SurveyRun.sampleCount, 0);
    EXPECT_EQ(SurveyRun.fieldSum[0], 0);
    EXPECT_EQ(SurveyRun.fieldSum[1], 0);
    EXPECT_EQ(SurveyRun.valueSum[0], 0.0f);
    EXPECT_EQ(SurveyRun.valueSum[1], 0.0f);
    EXPECT_EQ(SurveyRun.mk2SampleCount, 0);
    EXPECT_EQ(SurveyRun.mk2ValueSum[3], 0.0f);
    EXPECT_EQ(SurveyRun.mk2CountSum[5], 0u);
    EXPECT_EQ(SurveyRun.fieldMean[0], 12.0f);
  }
  ResetEngineState();
}

}  // namespace
}  // namespace desktop
