// What both programs' meter reading handlers decide the same way: the record flag, the Manual-mode
// average of a series of samples, and the preparation of a reading's 12 record bytes.
#pragma once

#include <cstdint>

namespace survey {

constexpr int kRecordFrameBytes = 12;

// The record flag after a frame with this status byte: 1 record, 0 do not, -1 the trigger is
// still held after a recorded reading (Manual, survey mode 2, only).
int32_t NextRecordFlag(unsigned char status, int32_t surveyMode, int32_t flag);

// True when the status byte (less 128 when above 127) carries the trigger: 64 or more.
bool TriggerPressed(unsigned char status);

// A frame field of exactly 5 characters read as its own decimal text; no number reads 0.
int32_t FieldNumber(const unsigned char* field);
// A field mean in exactly 5 characters (no NUL): "%+05d" for -9999 to 9999, "%05d" for 10000 to
// 99999; a mean beyond either end is written as that end.
void FormatFieldMean(char out[5], float mean);

// The frame copy padded with blanks to the 12 record bytes (frameLength bytes are the frame's).
void PaddedFrame(const unsigned char* frame, int32_t frameLength, unsigned char out[kRecordFrameBytes]);

// The 12 record bytes of a reading from the frame copy (frameLength bytes are the frame's; the
// rest are blanks). With means, the first mean replaces bytes 2-6 and, when secondField, the
// second bytes 7-11. readingAtStation is the reading's number at its station (1 first): the 2nd
// to 6th get the tag '2' to '6' in byte 0.
struct RecordFrameInput {
  const unsigned char* frame = nullptr;
  int32_t frameLength = 12;
  bool withMeans = false;
  bool secondField = false;
  float means[2] = {};
  int32_t readingAtStation = 1;
};
void PrepareRecordFrame(const RecordFrameInput& in, unsigned char out[kRecordFrameBytes]);

// One sample of a Manual-mode average, added to a run's sums: any record with sampleCount,
// fieldSum[2], valueSum[2] and fieldMean[2]. The frame's fields are read from the padded frame,
// the second only when secondField. The n-th sample completes the series: value1 and value2
// become the means of the values, fieldMean the means of the fields, and the sums start again.
struct SampleStep {
  int32_t number = 0;     // this sample's number in its series, 1 first
  bool complete = false;  // it was the last: the values are the means
};
template <typename Run>
void ClearSampleSums(Run& run) {
  run.sampleCount = 0;
  run.fieldSum[0] = run.fieldSum[1] = 0;
  run.valueSum[0] = run.valueSum[1] = 0.0f;
}
template <typename Run>
SampleStep AddMeterSample(Run& run, int32_t n, const unsigned char padded[kRecordFrameBytes], bool secondField,
                          float& value1, float& value2) {
  SampleStep step;
  step.number = ++run.sampleCount;
  run.fieldSum[0] += FieldNumber(padded + 2);
  if (secondField) run.fieldSum[1] += FieldNumber(padded + 7);
  run.valueSum[0] += value1;
  run.valueSum[1] += value2;
  if (run.sampleCount < n) return step;
  const float count = static_cast<float>(n > 0 ? n : 1);
  value1 = run.valueSum[0] / count;
  value2 = run.valueSum[1] / count;
  run.fieldMean[0] = static_cast<float>(run.fieldSum[0]) / count;
  run.fieldMean[1] = static_cast<float>(run.fieldSum[1]) / count;
  ClearSampleSums(run);
  step.complete = true;
  return step;
}

}  // namespace survey
