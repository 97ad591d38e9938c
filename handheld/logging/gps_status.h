// The GPS status row of the logging window: what a GGA or GSA sentence changes in it (a pure
// decision), and the activity mark that flips with every good GGA sentence.
#pragma once

#include <cstdint>
#include <string>

namespace handheld {

// The activity mark of the GPS row (owner: this module). It keeps its value across runs.
struct GpsStatusData {
  char mark = '\\';
};
extern GpsStatusData GpsStatus;
void ResetGpsStatus();

// Characters of a field the row shows; a longer field is cut.
constexpr int kGpsFieldMax = 15;

// One field of the row: erased when `erase` is set, then `text` drawn when it is not empty.
struct GpsRowField {
  bool erase = false;
  std::wstring text;
};

struct GpsRowUpdate {
  bool bold = false;  // a short line or a bad checksum: the "??" texts in bold
  char mark = '\\';   // the activity mark after the sentence
  int32_t count = 0;  // SurveyRun.gpsFixCount after the sentence
  GpsRowField markField, countField, satField, fixField, pdopField;
};

// What a sentence does to the row, given its checksum verdict (1 good), the mark, the run state
// and the GGA count before it.
GpsRowUpdate DecideGpsRow(const char* sentence, int32_t valid, char mark, int32_t runState, int32_t count);

}  // namespace handheld
