#include "common/meter_reading.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace survey {

namespace {
unsigned char StatusValue(unsigned char status) { return status > 127 ? status - 128 : status; }
}  // namespace

bool TriggerPressed(unsigned char status) { return StatusValue(status) >= 64; }

int32_t NextRecordFlag(unsigned char status, int32_t surveyMode, int32_t flag) {
  const bool manual = surveyMode == 2;
  if (!TriggerPressed(status)) return manual ? 0 : 1;
  if (!manual) return 1;
  return flag == 0 ? 1 : -1;
}

int32_t FieldNumber(const unsigned char* field) {
  char text[6];
  for (int i = 0; i < 5; ++i) text[i] = field[i] == 0 ? ' ' : static_cast<char>(field[i]);
  text[5] = 0;
  return static_cast<int32_t>(strtol(text, nullptr, 10));
}

void FormatFieldMean(char out[5], float mean) {
  double m = std::isfinite(mean) ? std::trunc(static_cast<double>(mean)) : 0.0;
  if (m < -9999) m = -9999;
  if (m > 99999) m = 99999;
  const int value = static_cast<int>(m);
  char text[16];
  snprintf(text, sizeof text, value >= 10000 ? "%05d" : "%+05d", value);
  memcpy(out, text, 5);
}

void PaddedFrame(const unsigned char* frame, int32_t frameLength, unsigned char out[kRecordFrameBytes]) {
  const int n = frameLength < 0 ? 0 : (frameLength > kRecordFrameBytes ? kRecordFrameBytes : frameLength);
  for (int i = 0; i < kRecordFrameBytes; ++i) out[i] = i < n && frame != nullptr ? frame[i] : ' ';
}

void PrepareRecordFrame(const RecordFrameInput& in, unsigned char out[kRecordFrameBytes]) {
  PaddedFrame(in.frame, in.frameLength, out);
  if (in.withMeans) {
    FormatFieldMean(reinterpret_cast<char*>(out + 2), in.means[0]);
    if (in.secondField) FormatFieldMean(reinterpret_cast<char*>(out + 7), in.means[1]);
  }
  if (in.readingAtStation >= 2 && in.readingAtStation <= 6) out[0] = static_cast<unsigned char>('0' + in.readingAtStation);
}

}  // namespace survey
