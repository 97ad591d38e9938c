// Every desktop record writer's formatting with the build, the settings and the values taken from
// the input: each call gives whole records of exactly L bytes, each ending in its line feed.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/build_config.h"
#include "engine/records.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace desktop;

namespace {

// Takes values from the input, zeros once it is used up.
struct Input {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T Take() {
    T v{};
    const size_t n = size < sizeof v ? size : sizeof v;
    memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
  }
  void Text(char* out, size_t capacity) {
    const size_t n = Take<uint8_t>() % capacity;
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(Take<uint8_t>());
    out[n] = 0;
  }
};

// Records with a line feed at the end of each L bytes; frames and texts (`copied`) may hold others.
void CheckRecords(const char* buf, size_t bytes, size_t most, bool copied) {
  const size_t length = static_cast<size_t>(RecordLength());
  FUZZ_CHECK(bytes % length == 0 && bytes <= most * length);
  for (size_t at = 0; at < bytes; at += length) {
    FUZZ_CHECK(buf[at + length - 1] == '\n');
    if (!copied) FUZZ_CHECK(memchr(buf + at, '\n', length - 1) == nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  ResetEngineState();
  BuildSwitches switches;
  switches.modelIndex = kModelFirst + in.Take<uint8_t>() % (kModelLast - kModelFirst + 1);
  switches.rz56Variant = in.Take<int32_t>();
  FillBuildConfig(switches);
  SurveySettingsData& s = SurveySettings;
  for (int32_t* v : {&s.rz56Type, &s.displayUnits, &s.rz56SensorSize, &s.surveyMode, &s.dipole, &s.component,
                     &s.mk2Type, &s.samplesPerReading, &s.lineDirection, &s.gpsEnabled}) {
    *v = in.Take<int32_t>();
  }
  for (float* v : {&s.readingInterval, &s.stationIncrementWheel, &s.stationIncrementManual, &s.stationIncrement}) {
    *v = in.Take<float>();
  }
  for (float& v : s.mk2Offset) v = in.Take<float>();
  for (float& v : Rz27Mk2Calibration.previous) v = in.Take<float>();
  for (float& v : Rz56Calibration.nullOffset) v = in.Take<float>();
  for (float& v : Rz56Calibration.previousNullOffset) v = in.Take<float>();
  for (float& v : Rz56Calibration.qcValue) v = in.Take<float>();
  Rz56Calibration.qcCode = in.Take<char>();
  s.startStation = in.Take<double>();
  SurveyRun.station = in.Take<double>();
  in.Text(s.surveyLine, sizeof s.surveyLine);
  char name[32];
  in.Text(name, sizeof name);
  SurveyRun.dataFileName = name;
  for (unsigned char& b : LinkState.frame) b = in.Take<unsigned char>();
  LinkState.lastFrameTick = in.Take<uint32_t>();
  LinkState.lastRz56Tick = in.Take<uint32_t>();
  SYSTEMTIME now{};
  now.wYear = in.Take<WORD>();
  now.wMonth = in.Take<WORD>();
  now.wDay = in.Take<WORD>();
  now.wHour = in.Take<WORD>();
  now.wMinute = in.Take<WORD>();
  now.wSecond = in.Take<WORD>();
  now.wMilliseconds = in.Take<WORD>();
  const uint32_t tick = in.Take<uint32_t>();
  char text[16];
  in.Text(text, sizeof text);
  float values[4];
  for (float& v : values) v = in.Take<float>();
  const int qc = in.Take<int8_t>();
  const int withReplaced = in.Take<int8_t>();
  char sentence[200];
  in.Text(sentence, sizeof sentence);

  const int length = RecordLength();
  char buf[16 * kRecordMax];
  CheckRecords(buf, FormatFileHeader(buf), 6, true);
  CheckRecords(buf, FormatLineHeader(buf, now), 10, true);
  CheckRecords(buf, FormatNullQcRecords(buf, qc, withReplaced, values, values), 4, false);
  CheckRecords(buf, FormatRz56Reading(buf), 1, true);
  CheckRecords(buf, survey::FormatStationRecord(buf, length, SurveyRun.station, now), 1, false);
  CheckRecords(buf, survey::FormatReadingRecord(buf, length, LinkState.frame, tick), 1, true);
  CheckRecords(buf, survey::FormatRz27Mk2Reading(buf, length, LinkState.frame, tick), 1, true);
  CheckRecords(buf, survey::FormatTimeRecord(buf, length, tick, now), 1, false);
  CheckRecords(buf, survey::FormatEventRecord(buf, length, 'C', text, tick), 1, true);
  CheckRecords(buf, survey::FormatCalibrationRecords(buf, length, s.mk2Offset, Rz27Mk2Calibration.previous), 6,
               false);
  std::string gps(survey::GpsRecordsBytes(strlen(sentence), length), '#');
  CheckRecords(gps.data(), survey::FormatGpsRecords(gps.data(), gps.size(), length, sentence, tick, '@', '#'),
               gps.size() / static_cast<size_t>(length), true);
  return 0;
}
