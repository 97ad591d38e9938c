#include "engine/records.h"

#include <cstring>

#include "engine/models.h"
#include "engine/state.h"

namespace desktop {

namespace {

using survey::BlankRecord;
using survey::Digit;
using survey::PutFormat;

constexpr int kLineHeaderRecords = survey::kLineBlockRecords + survey::kCalibrationRecords;

void FormatHeaderRecord(char* rec, int length, const ModelRow& row) {
  const SurveySettingsData& s = SurveySettings;
  BlankRecord(rec, length);
  // The RZ56-MK2's High Power types (1, and 3 its N.C.C. variant) have their own tag.
  const bool highPower = row.headerTagAlt != nullptr && (s.rz56Type == 1 || s.rz56Type == 3);
  memcpy(rec, highPower ? row.headerTagAlt : row.headerTag, 12);
  memcpy(rec + 12, s.gpsEnabled != 0 ? "GPS" : "GRD", 3);
  rec[15] = Digit(s.displayUnits);
  rec[17] = Digit(s.surveyMode);
  if (row.header == HeaderLayout::kRz56) {
    rec[16] = Digit(s.rz56SensorSize);
    if (BuildConfig.rz56Variant != 0) rec[20] = Digit(BuildConfig.rz56Variant);
  } else {
    rec[16] = Digit(s.dipole);
    rec[18] = Digit(s.component);
    if (row.header == HeaderLayout::kMk2) rec[19] = Digit(s.mk2Type);
  }
  rec[length - 2] = '1';  // the desktop platform's mark
}

// The sampling value of the name record by survey mode; an unknown mode leaves it blank.
void PutSamplingValue(char* rec, const ModelRow& row) {
  const SurveySettingsData& s = SurveySettings;
  if (s.surveyMode == kModeAuto) PutFormat(rec, 11, 7, "%7.3f", static_cast<double>(s.readingInterval));
  // Wheel: the kept increment, not the signed one the line runs with.
  if (s.surveyMode == kModeWheel) PutFormat(rec, 11, 7, "%7.3f", static_cast<double>(s.stationIncrementWheel));
  if (s.surveyMode == kModeManual && row.rz56) {
    PutFormat(rec, 11, 7, "%7.3f", static_cast<double>(s.stationIncrementManual));
  } else if (s.surveyMode == kModeManual) {
    PutFormat(rec, 11, 7, "%7d", s.samplesPerReading);
  }
}

// A QC coil code outside 'N', 'I' and 'E' gets '?'.
char QcCode(char code) { return code == 'N' || code == 'I' || code == 'E' ? code : '?'; }

size_t FormatHeaderNulls(char* out, int length, const ModelRow& row) {
  for (int i = 0; i < row.nullChannels; ++i) {
    char* rec = BlankRecord(out + i * length, length);
    rec[0] = 'O';
    PutFormat(rec, 1, 9, "%9.2f", static_cast<double>(Rz56Calibration.nullOffset[i]));
    if (row.qcInHeaderNulls) {
      rec[10] = QcCode(Rz56Calibration.qcCode);
      PutFormat(rec, 11, 9, "%9.2f", static_cast<double>(Rz56Calibration.qcValue[i]));
    }
  }
  return static_cast<size_t>(row.nullChannels) * static_cast<size_t>(length);
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

// Builds at most `records` records with `format` and appends them in one piece.
template <int records, typename Format>
bool AppendFormatted(Format format) {
  char buf[records * kRecordMax];
  const size_t bytes = format(buf);
  return bytes > 0 && SurveyRun.dataFile.Append(buf, bytes);
}

}  // namespace

int RecordLength() { return BuildConfig.recordLength == 26 ? 26 : 24; }

size_t FormatFileHeader(char* out) {
  const int length = RecordLength();
  const ModelRow& row = ThisModel();
  char* rec = out;
  if (row.header != HeaderLayout::kNone) {
    FormatHeaderRecord(rec, length, row);
    rec += length;
  }
  BlankRecord(rec, length);
  rec[0] = 'H';
  survey::PutText(rec, 2, 9, SurveyRun.dataFileName.data(), SurveyRun.dataFileName.size());
  PutSamplingValue(rec, row);
  rec += length;
  rec += FormatHeaderNulls(rec, length, row);
  return static_cast<size_t>(rec - out);
}

size_t FormatLineHeader(char* out, const SYSTEMTIME& now) {
  const int length = RecordLength();
  const SurveySettingsData& s = SurveySettings;
  size_t bytes = survey::FormatLineBlock(out, length, s.surveyLine, s.startStation, s.lineDirection,
                                         s.stationIncrement, now);
  if (ThisModel().rz56) {
    bytes += FormatNullQcRecords(out + bytes, 0, 1, Rz56Calibration.nullOffset, Rz56Calibration.previousNullOffset);
  } else if (ThisModel().mk2) {
    bytes += survey::FormatCalibrationRecords(out + bytes, length, s.mk2Offset, Rz27Mk2Calibration.previous);
  }
  return bytes;
}

size_t FormatNullQcRecords(char* out, int qc, int withReplaced, const float values[4], const float replaced[4]) {
  const int length = RecordLength();
  const int channels = ThisModel().nullChannels;
  for (int i = 0; i < channels; ++i) {
    char* rec = BlankRecord(out + i * length, length);
    if (qc != 0) {
      rec[0] = 'I';
      rec[1] = QcCode(Rz56Calibration.qcCode);
      PutFormat(rec, 2, 9, "%9.2f", static_cast<double>(values[i]));
    } else {
      rec[0] = 'O';
      PutFormat(rec, 1, 9, "%9.2f", static_cast<double>(values[i]));
      if (withReplaced == 1) PutFormat(rec, 11, 9, "%9.2f", static_cast<double>(replaced[i]));
    }
  }
  return static_cast<size_t>(channels) * static_cast<size_t>(length);
}

size_t FormatRz56Reading(char* out) {
  const int length = RecordLength();
  char* rec = BlankRecord(out, length);
  memcpy(rec, LinkState.frame, kRz56FrameBytes);  // binary bytes: copied, never read as text
  survey::PutTick(rec, length, LinkState.lastRz56Tick.load());
  return static_cast<size_t>(length);
}

bool WriteFileHeader() { return AppendFormatted<2 + kRz56Channels>(FormatFileHeader); }

bool WriteLineHeader() {
  return AppendFormatted<kLineHeaderRecords>([](char* out) { return FormatLineHeader(out, LocalNow()); });
}

bool WriteStationRecord() {
  return AppendFormatted<1>(
      [](char* out) { return survey::FormatStationRecord(out, RecordLength(), SurveyRun.station, LocalNow()); });
}

bool WriteReadingRecord() {
  return AppendFormatted<1>([](char* out) {
    return survey::FormatReadingRecord(out, RecordLength(), LinkState.frame, LinkState.lastFrameTick.load());
  });
}

bool WriteRz27Mk2Reading(const unsigned char frame[survey::kRz27Mk2FrameBytes]) {
  return AppendFormatted<1>([frame](char* out) {
    return survey::FormatRz27Mk2Reading(out, RecordLength(), frame, LinkState.lastFrameTick.load());
  });
}

bool WriteRz56Reading() { return AppendFormatted<1>(FormatRz56Reading); }

bool WriteTimeRecord() {
  return AppendFormatted<1>([](char* out) {
    const uint32_t tick = GetTickCount();  // the tick first, then the local time
    return survey::FormatTimeRecord(out, RecordLength(), tick, LocalNow());
  });
}

bool WriteGpsRecords(const char* sentence, uint32_t tick, char firstTag, char nextTag) {
  return survey::AppendGpsRecords(SurveyRun.dataFile, RecordLength(), sentence, tick, firstTag, nextTag);
}

bool WriteEventRecord(const char* text, char kind) {
  return AppendFormatted<1>(
      [text, kind](char* out) { return survey::FormatEventRecord(out, RecordLength(), kind, text, GetTickCount()); });
}

bool WriteCalibrationRecords() {
  return AppendFormatted<survey::kCalibrationRecords>([](char* out) {
    return survey::FormatCalibrationRecords(out, RecordLength(), SurveySettings.mk2Offset, Rz27Mk2Calibration.previous);
  });
}

bool WriteNullQcRecords(int qc, int withReplaced, const float values[4], const float replaced[4]) {
  return AppendFormatted<kRz56Channels>([=](char* out) { return FormatNullQcRecords(out, qc, withReplaced, values, replaced); });
}

}  // namespace desktop
