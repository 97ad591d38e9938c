// The desktop meter reading handler's pure parts: the numbers panel's cells by model and frame
// kind, the marker field, the counter, station and time texts, the station count of a recorded
// reading and the logging times. OnReading (ui/logging.h) draws what they return; the record
// flag, the Manual-mode average and the record bytes are both programs' (common/meter_reading.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace desktop {

// What a meter frame decodes to. Every output starts at 0 before each decode, so a model that
// does not set frameKind or range2 never shows the previous frame's.
struct MeterReading {
  float value1 = 0, value2 = 0;
  char dipole = 0, marker = 0;
  int16_t range = 0;
  int32_t frameKind = 0;  // RZ27-DD and RZ27: 1 inphase frame, 2 conductivity frame
  uint16_t range2 = 0;    // RZ27B: the inphase range
};

// The numbers panel's value row for a reading: each of the four cells a text, or nothing (the
// cell is not written), and whether the whole row is filled white before the cells.
struct MeterCells {
  bool clearRow = false;
  std::optional<std::string> cell[4];
};
MeterCells MeterCellTexts(int32_t model, int32_t component, const MeterReading& m);

// Whether a Manual-mode average sums and writes the frame's second field (bytes 7-11): frames of
// 8 bytes or more, on every model but the RZ27.
bool MeterSecondField(int32_t model, int32_t frameLength);

// The marker field after a reading: left as it is while Logging a run started in Manual (it holds
// the reading count), else filled, with "MARKER" when the trigger is pressed.
enum class MarkerField : uint8_t { kKeep, kBlank, kMarker };
MarkerField MarkerFieldOf(bool logging, int32_t modeAtStart, unsigned char status);

std::string SampleCounterText(int32_t count, int32_t samples);           // "Sample %-3d of %-3d"
std::string ReadingsAtStationText(int32_t readings, int32_t groups);     // "Reading: %1d of %1d"
std::string StationText(double station);                                 // "%-11.2f"
std::string LineStationsText(int32_t stations);                          // "%-6d"
std::string TotalStationsText(int32_t stations);                         // "%-7d"
// "%02d:%02d:%02d" of the whole seconds of ms, with the hours, minutes and seconds in hms.
std::string HmsText(int32_t ms, int32_t hms[3]);

// The station of a recorded reading, counted in readingsAtStation already: once the station has
// its groupsPerStation readings it is complete (the counts of the line and the run rise, the
// readings start again) and, unless it was the first station of the line or after a new station,
// the station value moves on by the increment. Then the station has a reading. True when the
// station was completed.
struct StationCount {
  double station = 0.0;
  int32_t readingsAtStation = 0;
  int32_t stationHasReading = 0;
  int32_t stationsInLine = 0;
  int32_t stationsTotal = 0;
};
bool CountRecordedReading(StationCount& s, int32_t groupsPerStation, float increment);

// A logging time now: the time logged before the last GO plus the time since it (tick
// difference, unsigned), held at the largest int.
int32_t LoggedMs(int32_t beforeGo, uint32_t goTick, uint32_t now);

// Drops a Manual-mode series in progress, a meter model's average or an RZ27-MK2 series: survey
// mode 2 again (a series runs in mode 0) and the partial sums gone. Nothing when no series is in
// progress. For PAUSE and every end of a run.
void DropSampleSeries();

}  // namespace desktop
