#include "engine/meter_reading.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "common/meter_reading.h"
#include "common/rz27mk2_reading.h"
#include "engine/state.h"

namespace desktop {
namespace {

// What a cell of the value row shows.
enum class Cell : uint8_t {
  kNone,
  kValue1,              // "%-8.2f" of value1
  kValue1IfBoth,        // value1 only when the component is 0 (Both)
  kValue1IfConductive,  // value1 only for a conductivity frame (kind 2)
  kValue2,
  kValue2IfInphase,     // value2 only for an inphase frame (kind 1)
  kDipole,              // "Vertical" for the dipole letter 'V', else "Horizontal"
  kFrameKind,           // "Conductivity" for a conductivity frame, else "Inphase"
  kRange,               // "%-4d" of the range
  kRangePair,           // "%-4d,%-4d" of the range and the second range
};

struct CellRow {
  int32_t model;
  bool clearRow;     // the whole row is filled white before the cells
  bool secondField;  // an average sums and writes the frame's second field
  Cell cells[4];
};

// The meter models' value rows; the RZ89 shows nothing. The RZ27 shows only the value of the
// frame's own kind, on a row cleared first.
constexpr CellRow kCellRows[] = {
    {kModelRz12, false, true, {Cell::kValue1IfBoth, Cell::kValue2, Cell::kDipole, Cell::kRange}},
    {kModelRz27B, false, true, {Cell::kValue1, Cell::kValue2, Cell::kDipole, Cell::kRangePair}},
    {kModelRz27Dd, false, true, {Cell::kValue1, Cell::kValue2, Cell::kFrameKind, Cell::kRange}},
    {kModelRz27, true, false, {Cell::kValue1IfConductive, Cell::kValue2IfInphase, Cell::kDipole, Cell::kRange}},
    {kModelRz45, true, true, {Cell::kValue1, Cell::kValue2, Cell::kDipole, Cell::kRange}},
};
constexpr CellRow kNoCells{kModelRz89, false, true, {}};

const CellRow& CellRowOf(int32_t model) {
  for (const CellRow& row : kCellRows) {
    if (row.model == model) return row;
  }
  return kNoCells;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, format, args...);
  return n < 0 ? std::string() : std::string(text);
}

std::string Value(float v) { return Format("%-8.2f", static_cast<double>(v)); }

std::optional<std::string> CellText(Cell cell, int32_t component, const MeterReading& m) {
  switch (cell) {
    case Cell::kNone: break;
    case Cell::kValue1: return Value(m.value1);
    case Cell::kValue1IfBoth: return component == 0 ? std::optional(Value(m.value1)) : std::nullopt;
    case Cell::kValue1IfConductive: return m.frameKind == 2 ? std::optional(Value(m.value1)) : std::nullopt;
    case Cell::kValue2: return Value(m.value2);
    case Cell::kValue2IfInphase: return m.frameKind == 1 ? std::optional(Value(m.value2)) : std::nullopt;
    case Cell::kDipole: return std::string(m.dipole == 'V' ? "Vertical" : "Horizontal");
    case Cell::kFrameKind: return std::string(m.frameKind == 2 ? "Conductivity" : "Inphase");
    case Cell::kRange: return Format("%-4d", static_cast<int>(m.range));
    case Cell::kRangePair: return Format("%-4d,%-4d", static_cast<int>(m.range), static_cast<int>(m.range2));
  }
  return std::nullopt;
}

}  // namespace

MeterCells MeterCellTexts(int32_t model, int32_t component, const MeterReading& m) {
  const CellRow& row = CellRowOf(model);
  MeterCells out;
  out.clearRow = row.clearRow;
  for (int i = 0; i < 4; ++i) out.cell[i] = CellText(row.cells[i], component, m);
  return out;
}

bool MeterSecondField(int32_t model, int32_t frameLength) {
  return frameLength >= 8 && CellRowOf(model).secondField;
}

MarkerField MarkerFieldOf(bool logging, int32_t modeAtStart, unsigned char status) {
  if (logging && modeAtStart == kModeManual) return MarkerField::kKeep;
  return survey::TriggerPressed(status) ? MarkerField::kMarker : MarkerField::kBlank;
}

std::string SampleCounterText(int32_t count, int32_t samples) { return Format("Sample %-3d of %-3d", count, samples); }
std::string ReadingsAtStationText(int32_t readings, int32_t groups) {
  return Format("Reading: %1d of %1d", readings, groups);
}
std::string StationText(double station) { return Format("%-11.2f", station); }
std::string LineStationsText(int32_t stations) { return Format("%-6d", stations); }
std::string TotalStationsText(int32_t stations) { return Format("%-7d", stations); }

std::string HmsText(int32_t ms, int32_t hms[3]) {
  const int32_t seconds = ms / 1000;
  hms[0] = seconds / 3600;
  hms[1] = seconds % 3600 / 60;
  hms[2] = seconds % 60;
  return Format("%02d:%02d:%02d", hms[0], hms[1], hms[2]);
}

bool CountRecordedReading(StationCount& s, int32_t groupsPerStation, float increment) {
  bool completed = false;
  if (s.readingsAtStation >= groupsPerStation) {
    if (s.stationHasReading == 1) s.station += static_cast<double>(increment);
    ++s.stationsInLine;
    ++s.stationsTotal;
    s.readingsAtStation = 0;
    completed = true;
  }
  s.stationHasReading = 1;
  return completed;
}

int32_t LoggedMs(int32_t beforeGo, uint32_t goTick, uint32_t now) {
  const int64_t ms = static_cast<int64_t>(beforeGo) + static_cast<int64_t>(now - goTick);
  return ms > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(ms);
}

void DropSampleSeries() {
  if (SurveyRun.sampleCount == 0 && SurveyRun.mk2SampleCount == 0) return;
  SurveySettings.surveyMode = kModeManual;
  survey::ClearSampleSums(SurveyRun);
  survey::ClearMk2Series(SurveyRun);
}

}  // namespace desktop
