#include "engine/records.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/decoders.h"
#include "engine/state.h"

namespace handheld {

namespace {

// A record of L blanks ending in a line feed.
char* Blank(char* rec, int length) {
  memset(rec, ' ', static_cast<size_t>(length));
  rec[length - 1] = '\n';
  return rec;
}

// Copies the leading characters of text[0..n) into [pos, pos + width), blank-filling the rest.
void PutText(char* rec, int pos, int width, const char* text, size_t n) {
  const size_t w = static_cast<size_t>(width);
  const size_t k = n < w ? n : w;
  memcpy(rec + pos, text, k);
  memset(rec + pos + k, ' ', w - k);
}

// printf-style field of exactly `width` characters; longer output keeps its leading characters.
__attribute__((format(printf, 4, 5))) void PutFormat(char* rec, int pos, int width, const char* format,
                                                      ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  const int n = vsnprintf(text, sizeof text, format, args);
  va_end(args);
  size_t len = 0;
  if (n > 0) len = static_cast<size_t>(n) < sizeof text ? static_cast<size_t>(n) : sizeof text - 1;
  PutText(rec, pos, width, text, len);
}

// Wide text converted to CP1252 ('?' where it has no code), cut or blank-padded to `width`.
void PutWide(char* rec, int pos, int width, const wchar_t* text) {
  int i = 0;
  if (text != nullptr) {
    for (; i < width && text[i] != L'\0'; ++i) rec[pos + i] = plat::WideToCp1252(text[i]);
  }
  for (; i < width; ++i) rec[pos + i] = ' ';
}

// The tick in the last ten characters before the line feed.
void PutTick(char* rec, int length, uint32_t tick) { PutFormat(rec, length - 11, 10, "%10u", tick); }

// A one-digit field: '0'..'9', '?' for anything else.
char Digit(int32_t value) { return value >= 0 && value <= 9 ? static_cast<char>('0' + value) : '?'; }

void PutTwo(char* rec, int pos, int value) { PutFormat(rec, pos, 2, "%02d", value); }

constexpr const char* kRz12ShortTag = "RZ12SH  ";

void FormatHeaderRecord(char* rec, int length) {
  Blank(rec, length);
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
  Blank(rec, length);
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

constexpr char kDirectionLetters[] = {'W', 'S', 'N', 'E'};

}  // namespace

int RecordLength() { return BuildConfig.recordLength == 26 ? 26 : 24; }

double TypedStation(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, -9999999.99, 99999999.99); }

float TypedIncrement(double value) {
  return std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(value, -99.999, 999.999));
}

size_t FormatFileHeader(char* out) {
  const int length = RecordLength();
  FormatHeaderRecord(out, length);
  FormatHeaderNameRecord(out + length, length);
  return 2 * static_cast<size_t>(length);
}

size_t FormatLineHeader(char* out, const SYSTEMTIME& now) {
  const int length = RecordLength();
  char* rec = Blank(out, length);
  rec[0] = 'L';
  PutWide(rec, 1, 8, SurveySettings.surveyLine);

  rec = Blank(rec + length, length);
  rec[0] = 'B';
  PutFormat(rec, 1, 11, "%11.2f", SurveySettings.startStation);

  rec = Blank(rec + length, length);
  rec[0] = 'A';
  const int32_t direction = SurveySettings.lineDirection;
  rec[1] = direction >= 0 && direction < 4 ? kDirectionLetters[direction] : '?';
  PutFormat(rec, 8, 11, "%11.3f", static_cast<double>(SurveySettings.stationIncrement));

  rec = Blank(rec + length, length);
  rec[0] = 'Z';
  PutTwo(rec, 1, now.wDay);
  PutTwo(rec, 3, now.wMonth);
  PutFormat(rec, 5, 4, "%04d", now.wYear);
  PutTwo(rec, 10, now.wHour);
  rec[12] = ':';
  PutTwo(rec, 13, now.wMinute);
  rec[15] = ':';
  PutTwo(rec, 16, now.wSecond);

  size_t bytes = kLineBlockRecords * static_cast<size_t>(length);
  if (BuildModel().calibrates) bytes += FormatCalibrationRecords(out + bytes);
  return bytes;
}

size_t FormatStationRecord(char* out, const SYSTEMTIME& now) {
  const int length = RecordLength();
  char* rec = Blank(out, length);
  rec[0] = 'S';
  PutFormat(rec, 1, 11, "%11.2f", SurveyRun.station);
  PutTwo(rec, 13, now.wHour);
  PutTwo(rec, 15, now.wMinute);
  PutTwo(rec, 17, now.wSecond);
  PutTwo(rec, 19, now.wMilliseconds / 10);
  return static_cast<size_t>(length);
}

size_t FormatReadingRecord(char* out) {
  const int length = RecordLength();
  char* rec = Blank(out, length);
  // The 12 frame bytes as the handler left them, a 0x00 (a status byte may be one) included; the
  // handlers blank-pad a shorter frame.
  memcpy(rec, LinkState.frame, kMeterRecordBytes);
  PutTick(rec, length, LinkState.lastFrameTick.load());
  return static_cast<size_t>(length);
}

size_t FormatRz27Mk2Reading(char* out, const unsigned char frame[kRz27Mk2FrameBytes]) {
  const int length = RecordLength();
  if (length < kRz27Mk2FrameBytes + 12 || frame == nullptr) return 0;
  char* rec = Blank(out, length);
  memcpy(rec, frame, kRz27Mk2FrameBytes);
  PutTick(rec, length, LinkState.lastFrameTick.load());
  return static_cast<size_t>(length);
}

size_t FormatTimeRecord(char* out, uint32_t tick, const SYSTEMTIME& now) {
  const int length = RecordLength();
  char* rec = Blank(out, length);
  rec[0] = '*';
  PutTwo(rec, 1, now.wHour);
  rec[3] = ':';
  PutTwo(rec, 4, now.wMinute);
  rec[6] = ':';
  PutTwo(rec, 7, now.wSecond);
  rec[9] = '.';
  PutFormat(rec, 10, 3, "%03d", now.wMilliseconds);
  PutTick(rec, length, tick);
  return static_cast<size_t>(length);
}

size_t GpsRecordsBytes(size_t length) {
  const size_t recordLength = static_cast<size_t>(RecordLength());
  const size_t piece = recordLength - 2;
  return ((length + piece - 1) / piece + 1) * recordLength;
}

size_t FormatGpsRecords(char* out, size_t capacity, const char* sentence, uint32_t tick, char firstTag,
                        char nextTag) {
  if (sentence == nullptr) return 0;
  const int length = RecordLength();
  const size_t piece = static_cast<size_t>(length) - 2;
  const size_t n = strlen(sentence);
  const size_t bytes = GpsRecordsBytes(n);
  if (bytes > capacity) return 0;
  char* rec = out;
  for (size_t at = 0; at < n; at += piece, rec += length) {
    Blank(rec, length);
    rec[0] = at == 0 ? firstTag : nextTag;
    PutText(rec, 1, static_cast<int>(piece), sentence + at, n - at);
  }
  Blank(rec, length)[0] = '!';
  PutTick(rec, length, tick);
  return bytes;
}

size_t FormatEventRecord(char* out, const wchar_t* text, char kind, uint32_t tick) {
  const int length = RecordLength();
  char* rec = Blank(out, length);
  rec[0] = kind;
  PutWide(rec, 1, 11, text);
  PutTick(rec, length, tick);
  return static_cast<size_t>(length);
}

size_t FormatCalibrationRecords(char* out) {
  const int length = RecordLength();
  // While a calibration runs the offsets in force are 0; the readings that follow it are decoded
  // with the standing ones, so those are recorded.
  const float* inForce = Mk2OffsetsStanding();
  char* rec = out;
  for (int i = 0; i < kCalibrationRecords; ++i, rec += length) {
    Blank(rec, length);
    rec[0] = 'O';
    rec[1] = static_cast<char>('1' + i);
    PutFormat(rec, 2, 10, "%10.3f", static_cast<double>(inForce[i]));
    PutFormat(rec, 13, 10, "%10.3f", static_cast<double>(Rz27Mk2Calibration.previous[i]));
  }
  return kCalibrationRecords * static_cast<size_t>(length);
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
  if (sentence == nullptr) return false;
  // A usual sentence (up to 82 characters) fits the stack buffer; a longer one gets the heap.
  char local[8 * kRecordMax];
  const size_t bytes = GpsRecordsBytes(strlen(sentence));
  std::vector<char> heap;
  char* buf = local;
  if (bytes > sizeof local) {
    heap.resize(bytes);
    buf = heap.data();
  }
  return Append(buf, FormatGpsRecords(buf, bytes, sentence, tick, firstTag, nextTag));
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
