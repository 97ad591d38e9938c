#include "common/record_fields.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace survey {

namespace {

void PutTwo(char* rec, int pos, int value) { PutFormat(rec, pos, 2, "%02d", value); }

constexpr char kDirectionLetters[] = {'W', 'S', 'N', 'E'};

}  // namespace

char* BlankRecord(char* rec, int length) {
  memset(rec, ' ', static_cast<size_t>(length));
  rec[length - 1] = '\n';
  return rec;
}

void PutText(char* rec, int pos, int width, const char* text, size_t n) {
  const size_t w = static_cast<size_t>(width);
  const size_t k = n < w ? n : w;
  if (k > 0) memcpy(rec + pos, text, k);
  memset(rec + pos + k, ' ', w - k);
}

void PutFormat(char* rec, int pos, int width, const char* format, ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  const int n = vsnprintf(text, sizeof text, format, args);
  va_end(args);
  size_t len = 0;
  if (n > 0) len = static_cast<size_t>(n) < sizeof text ? static_cast<size_t>(n) : sizeof text - 1;
  PutText(rec, pos, width, text, len);
}

void PutTick(char* rec, int length, uint32_t tick) { PutFormat(rec, length - 11, 10, "%10u", tick); }

char Digit(int32_t value) { return value >= 0 && value <= 9 ? static_cast<char>('0' + value) : '?'; }

double TypedStation(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, -9999999.99, 99999999.99); }

float TypedIncrement(double value) {
  return std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(value, -99.999, 999.999));
}

size_t FormatLineBlock(char* out, int length, const char* lineName, double startStation, int32_t direction,
                       float increment, const SYSTEMTIME& now) {
  char* rec = BlankRecord(out, length);
  rec[0] = 'L';
  PutText(rec, 1, 8, lineName, lineName == nullptr ? 0 : strnlen(lineName, 8));

  rec = BlankRecord(rec + length, length);
  rec[0] = 'B';
  PutFormat(rec, 1, 11, "%11.2f", startStation);

  rec = BlankRecord(rec + length, length);
  rec[0] = 'A';
  rec[1] = direction >= 0 && direction < 4 ? kDirectionLetters[direction] : '?';
  PutFormat(rec, 8, 11, "%11.3f", static_cast<double>(increment));

  rec = BlankRecord(rec + length, length);
  rec[0] = 'Z';
  PutTwo(rec, 1, now.wDay);
  PutTwo(rec, 3, now.wMonth);
  PutFormat(rec, 5, 4, "%04d", now.wYear);
  PutTwo(rec, 10, now.wHour);
  rec[12] = ':';
  PutTwo(rec, 13, now.wMinute);
  rec[15] = ':';
  PutTwo(rec, 16, now.wSecond);
  return kLineBlockRecords * static_cast<size_t>(length);
}

size_t FormatStationRecord(char* out, int length, double station, const SYSTEMTIME& now) {
  char* rec = BlankRecord(out, length);
  rec[0] = 'S';
  PutFormat(rec, 1, 11, "%11.2f", station);
  PutTwo(rec, 13, now.wHour);
  PutTwo(rec, 15, now.wMinute);
  PutTwo(rec, 17, now.wSecond);
  PutTwo(rec, 19, now.wMilliseconds / 10);
  return static_cast<size_t>(length);
}

size_t FormatReadingRecord(char* out, int length, const unsigned char* frame, uint32_t tick) {
  char* rec = BlankRecord(out, length);
  if (frame != nullptr) memcpy(rec, frame, 12);
  PutTick(rec, length, tick);
  return static_cast<size_t>(length);
}

size_t FormatRz27Mk2Reading(char* out, int length, const unsigned char frame[kRz27Mk2FrameBytes], uint32_t tick) {
  if (length < kRz27Mk2FrameBytes + 12 || frame == nullptr) return 0;
  char* rec = BlankRecord(out, length);
  memcpy(rec, frame, kRz27Mk2FrameBytes);
  PutTick(rec, length, tick);
  return static_cast<size_t>(length);
}

size_t FormatTimeRecord(char* out, int length, uint32_t tick, const SYSTEMTIME& now) {
  char* rec = BlankRecord(out, length);
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

size_t FormatEventRecord(char* out, int length, char kind, const char* text, uint32_t tick) {
  char* rec = BlankRecord(out, length);
  rec[0] = kind;
  PutText(rec, 1, 11, text, text == nullptr ? 0 : strnlen(text, 11));
  PutTick(rec, length, tick);
  return static_cast<size_t>(length);
}

size_t FormatCalibrationRecords(char* out, int length, const float inForce[6], const float replaced[6]) {
  char* rec = out;
  for (int i = 0; i < kCalibrationRecords; ++i, rec += length) {
    BlankRecord(rec, length);
    rec[0] = 'O';
    rec[1] = static_cast<char>('1' + i);
    PutFormat(rec, 2, 10, "%10.3f", static_cast<double>(inForce[i]));
    PutFormat(rec, 13, 10, "%10.3f", static_cast<double>(replaced[i]));
  }
  return kCalibrationRecords * static_cast<size_t>(length);
}

void TakeReplacedOffset(const unsigned char* record, float offsets[6]) {
  const int i = record[1] - '1';
  if (i < 0 || i >= kCalibrationRecords) return;
  const double replaced = plat::ParseDecimal(reinterpret_cast<const char*>(record) + 13);
  offsets[i] = std::fabs(replaced) <= FLT_MAX ? static_cast<float>(replaced) : 0.0f;
}

size_t GpsRecordsBytes(size_t n, int length) {
  const size_t recordLength = static_cast<size_t>(length);
  const size_t piece = recordLength - 2;
  return ((n + piece - 1) / piece + 1) * recordLength;
}

size_t FormatGpsRecords(char* out, size_t capacity, int length, const char* sentence, uint32_t tick, char firstTag,
                        char nextTag) {
  if (sentence == nullptr) return 0;
  const size_t piece = static_cast<size_t>(length) - 2;
  const size_t n = strlen(sentence);
  const size_t bytes = GpsRecordsBytes(n, length);
  if (bytes > capacity) return 0;
  char* rec = out;
  for (size_t at = 0; at < n; at += piece, rec += length) {
    BlankRecord(rec, length);
    rec[0] = at == 0 ? firstTag : nextTag;
    PutText(rec, 1, static_cast<int>(piece), sentence + at, n - at);
  }
  BlankRecord(rec, length)[0] = '!';
  PutTick(rec, length, tick);
  return bytes;
}

bool AppendGpsRecords(DataFile& file, int length, const char* sentence, uint32_t tick, char firstTag, char nextTag) {
  if (sentence == nullptr) return false;
  // A usual sentence (up to 82 characters) fits the stack buffer.
  char local[8 * kRecordMax];
  const size_t bytes = GpsRecordsBytes(strlen(sentence), length);
  std::vector<char> heap;
  char* buf = local;
  if (bytes > sizeof local) {
    heap.resize(bytes);
    buf = heap.data();
  }
  const size_t formatted = FormatGpsRecords(buf, bytes, length, sentence, tick, firstTag, nextTag);
  return formatted > 0 && file.Append(buf, formatted);
}

}  // namespace survey
