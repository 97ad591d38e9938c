// The desktop variant of the survey data file's records: L bytes each (BuildConfig.recordLength:
// 24, or 26 in the RZ27-MK2 build), the last a line feed; the RZ56 builds add their null, QC and
// reading records.
//
// Each writer builds all of its records and appends them to SurveyRun.dataFile in one piece, so a
// line block and the null or calibration records that follow it can never be split by a GPS
// record. Writers return whether all their records landed; with no file open they write nothing,
// return false and latch nothing (some of them also run in Monitor, where no file is open).
// The Format* functions build the same bytes without the file, for the writers and for tests.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/record_fields.h"
#include "engine/rz56_convert.h"

namespace desktop {

using survey::kRecordMax;
constexpr int kRz56FrameBytes = 13;  // the tag and 12 binary bytes

// The record length in force: 26 when BuildConfig.recordLength says so, else 24.
int RecordLength();

// Header record (not in the RZ56, model-5 and ZOL12 builds), header name record, and the header
// null records of the RZ56 builds.
size_t FormatFileHeader(char* out);
// Line block, then the null records (RZ56 builds) or the calibration records (RZ27-MK2).
size_t FormatLineHeader(char* out, const SYSTEMTIME& now);
// One record per channel of the build (four, two in the RZ56 build; none in the others): qc
// nonzero QC records of the QC code and `values`; qc 0 null records of `values`, with `replaced`
// in bytes 11-19 when withReplaced is 1 and blanks otherwise.
size_t FormatNullQcRecords(char* out, int qc, int withReplaced, const float values[4], const float replaced[4]);
// The frame's tag and 12 bytes from LinkState.frame, then LinkState.lastRz56Tick.
size_t FormatRz56Reading(char* out);

bool WriteFileHeader();
bool WriteLineHeader();
bool WriteStationRecord();
bool WriteReadingRecord();
bool WriteRz27Mk2Reading(const unsigned char frame[survey::kRz27Mk2FrameBytes]);
bool WriteRz56Reading();
bool WriteTimeRecord();
bool WriteGpsRecords(const char* sentence, uint32_t tick, char firstTag, char nextTag);
bool WriteEventRecord(const char* text, char kind);
bool WriteCalibrationRecords();
bool WriteNullQcRecords(int qc, int withReplaced, const float values[4], const float replaced[4]);

}  // namespace desktop
