// The meter reading handler's pure parts: the record flag, the preparation of a reading's record
// bytes, and the texts shown for a reading. OnReading (logging.h) puts them to work.
#pragma once

#include <cstdint>
#include <string>

namespace handheld {

// The record flag after a frame with this status byte: 1 record, 0 do not, -1 the trigger is
// still held after a recorded reading (Manual, survey mode 2, only).
int32_t NextRecordFlag(unsigned char status, int32_t surveyMode, int32_t flag);

// A frame field of exactly 5 characters read as its own decimal text; no number reads 0.
int32_t FieldNumber(const unsigned char* field);
// A field mean in exactly 5 characters (no NUL): "%+05d" for -9999 to 9999, "%05d" for 10000 to
// 99999; a mean beyond either end is written as that end.
void FormatFieldMean(char out[5], float mean);

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
void PrepareRecordFrame(const RecordFrameInput& in, unsigned char out[12]);

// The mode field's text: by model, from the dipole or component index (nothing when the index is
// out of range) and on the RZ45 from the survey mode at the run's start.
std::wstring ModeText(int32_t model, int32_t dipole, int32_t component, int32_t modeAtStart);

// What a reading shows in the value fields. Empty texts draw nothing (the field stays erased).
struct ReadingView {
  int32_t model = 0;
  bool portrait = true;
  int32_t frameKind = 0;  // RZ27-DD and RZ27: 1 inphase frame, 2 conductivity frame
  int32_t battery = 0;    // RZ12: 1 for a battery frame
  char dipole = 'V';
  int32_t range = 0;
  int32_t range2 = 0;     // RZ27B inphase range
  float value1 = 0, value2 = 0;
  int32_t component = 0;
  int32_t zolEnabled = 0;
  float thickness = -99.0f;
  int32_t displayUnits = 0;
};
struct ReadingTexts {
  std::wstring value1, value2, range, ice;
};
ReadingTexts ReadingDisplayTexts(const ReadingView& v);

// Restores the operator's survey mode and drops a Manual-mode series in progress (of the meters or
// of the RZ27-MK2); nothing when none is. For the pause and every end of a run.
void DropSampleSeries();

}  // namespace handheld
