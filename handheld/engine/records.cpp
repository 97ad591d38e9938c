#include "engine/records.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/decoders.h"
#include "engine/state.h"

namespace handheld {

namespace {

using survey::BlankRecord;
using survey::Digit;
using survey::PutFormat;
using survey::PutText;

constexpr const char* kRz12ShortTag = "RZ12SH  ";

void FormatHeaderRecord(char* rec, int length) {
  BlankRecord(rec, length);
  const ModelRow& row = BuildModel();
  const char* modelTag = row.modelTag;
  if (row.types == TypeChoice::kStandardShort && SurveySettings.rz12Type != 0) {
    modelTag = SurveySettings.rz12Type == 1 ? kRz12ShortTag : kUnknownModelRow.modelTag;
  }
  const bool rz12Zol = row.iceOption && BuildConfig.zolOptionAvailable != 0;
  memcpy(rec, modelTag, 8);
  if (rz12Zol) rec[7] = 'i';
  memcpy(rec + 8, row.formatTag, 4);
  memcpy(rec + 12, SurveySettings.gpsEnabled != 0 ? "GPS" : "GRD", 3);
  rec[15] = Digit(SurveySettings.displayUnits);
  rec[16] = Digit(SurveySettings.dipole);
  rec[17] = Digit(SurveySettings.surveyMode);
  rec[18] = Digit(SurveySettings.component);
  if (row.types == TypeChoice::kMk2) {
    rec[19] = Digit(SurveySettings.mk2Type);
  } else if (rz12Zol) {
    rec[19] = Digit(SurveySettings.zolEnabled);
    rec[20] = SurveySettings.seaWaterIndex == 10 ? 'A' : Digit(SurveySettings.seaWaterIndex);
  }
  if (BuildConfig.storageRoot != 0) rec[length - 2] = ScreenLayout.portrait != 0 ? '3' : '2';
}

void FormatHeaderNameRecord(char* rec, int length) {
  BlankRecord(rec, length);
  rec[0] = 'H';
  PutText(rec, 2, 9, SurveyRun.dataFileName.data(), SurveyRun.dataFileName.size());
  switch (SurveySettings.surveyMode) {
    case 0:
      PutFormat(rec, 11, 7, "%7.3f", static_cast<double>(SurveySettings.readingInterval));
      break;
    case 1:
      PutFormat(rec, 11, 7, "%7.3f", static_cast<double>(SurveySettings.stationIncrement));
      break;
    case 2:
      PutFormat(rec, 11, 7, "%7d", SurveySettings.samplesPerReading);
      break;
    default:  // no sampling value for an unknown mode
      break;
  }
}

// Wide text narrowed to CP1252 ('?' where it has no code), at most `width` (up to 11) characters.
struct Narrowed {
  Narrowed(const wchar_t* text, int width) { plat::Narrow(text, bytes, width + 1); }
  char bytes[12] = {};
};

}  // namespace

int RecordLength() { return BuildConfig.recordLength == 26 ? 26 : 24; }

size_t FormatFileHeader(char* out) {
  const int length = RecordLength();
  FormatHeaderRecord(out, length);
  FormatHeaderNameRecord(out + length, length);
  return 2 * static_cast<size_t>(length);
}

size_t FormatLineHeader(char* out, const SYSTEMTIME& now) {
  const int length = RecordLength();
  size_t bytes = survey::FormatLineBlock(out, length, Narrowed(SurveySettings.surveyLine, 8).bytes,
                                         SurveySettings.startStation, SurveySettings.lineDirection,
                                         SurveySettings.stationIncrement, now);
  if (BuildModel().calibrates) bytes += FormatCalibrationRecords(out + bytes);
  return bytes;
}

size_t FormatStationRecord(char* out, const SYSTEMTIME& now) {
  return survey::FormatStationRecord(out, RecordLength(), SurveyRun.station, now);
}

size_t FormatReadingRecord(char* out) {
  // The 12 frame bytes as the handler left them, a 0x00 (a status byte may be one) included; the
  // handlers blank-pad a shorter frame.
  return survey::FormatReadingRecord(out, RecordLength(), LinkState.frame, LinkState.lastFrameTick.load());
}

size_t FormatRz27Mk2Reading(char* out, const unsigned char frame[kRz27Mk2FrameBytes]) {
  return survey::FormatRz27Mk2Reading(out, RecordLength(), frame, LinkState.lastFrameTick.load());
}

size_t FormatTimeRecord(char* out, uint32_t tick, const SYSTEMTIME& now) {
  return survey::FormatTimeRecord(out, RecordLength(), tick, now);
}

size_t GpsRecordsBytes(size_t length) { return survey::GpsRecordsBytes(length, RecordLength()); }

size_t FormatGpsRecords(char* out, size_t capacity, const char* sentence, uint32_t tick, char firstTag,
                        char nextTag) {
  return survey::FormatGpsRecords(out, capacity, RecordLength(), sentence, tick, firstTag, nextTag);
}

size_t FormatEventRecord(char* out, const wchar_t* text, char kind, uint32_t tick) {
  return survey::FormatEventRecord(out, RecordLength(), kind, Narrowed(text, 11).bytes, tick);
}

size_t FormatCalibrationRecords(char* out) {
  // While a calibration runs the offsets in force are 0; the readings that follow it are decoded
  // with the standing ones, so those are recorded.
  return survey::FormatCalibrationRecords(out, RecordLength(), Mk2OffsetsStanding(), Rz27Mk2Calibration.previous);
}

namespace {

bool Append(const char* records, size_t bytes) {
  return bytes > 0 && SurveyRun.dataFile.Append(records, bytes);
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

}  // namespace

bool WriteFileHeader() {
  char buf[2 * kRecordMax];
  return Append(buf, FormatFileHeader(buf));
}

bool WriteLineHeader() {
  char buf[(kLineBlockRecords + kCalibrationRecords) * kRecordMax];
  return Append(buf, FormatLineHeader(buf, LocalNow()));
}

bool WriteStationRecord() {
  char buf[kRecordMax];
  return Append(buf, FormatStationRecord(buf, LocalNow()));
}

bool WriteReadingRecord() {
  char buf[kRecordMax];
  return Append(buf, FormatReadingRecord(buf));
}

bool WriteRz27Mk2Reading(const unsigned char frame[kRz27Mk2FrameBytes]) {
  char buf[kRecordMax];
  return Append(buf, FormatRz27Mk2Reading(buf, frame));
}

bool WriteTimeRecord() {
  char buf[kRecordMax];
  const uint32_t tick = GetTickCount();  // the tick first, then the local time
  return Append(buf, FormatTimeRecord(buf, tick, LocalNow()));
}

bool WriteGpsRecords(const char* sentence, uint32_t tick, char firstTag, char nextTag) {
  return survey::AppendGpsRecords(SurveyRun.dataFile, RecordLength(), sentence, tick, firstTag, nextTag);
}

bool WriteEventRecord(const wchar_t* text, char kind) {
  char buf[kRecordMax];
  return Append(buf, FormatEventRecord(buf, text, kind, GetTickCount()));
}

bool WriteCalibrationRecords() {
  char buf[kCalibrationRecords * kRecordMax];
  return Append(buf, FormatCalibrationRecords(buf));
}

}  // namespace handheld
