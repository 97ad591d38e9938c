// The survey data file's records: fixed-length 8-bit text records of L bytes each
// (L = BuildConfig.recordLength: 24, or 26 in the RZ27-MK2 build), the last byte a line feed.
//
// Each writer formats all of its records into one buffer and appends them to SurveyRun.dataFile
// in one piece, so the records of one call stay together in the file. Writers return whether all
// their records landed; a closed file gives false and no write.
//
// The Format* functions build the same bytes without touching the file, for the writers and for
// tests. Every field is placed at exactly its width: an over-wide number keeps its leading
// characters, and a one-character field whose value is outside its table gets '?'.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/record_fields.h"

namespace handheld {

// Longest record of any build; the largest fixed group is a line block (4 records) followed by the
// calibration records (6).
using survey::IsReadingTag;
using survey::kCalibrationRecords;
using survey::kLineBlockRecords;
using survey::kRecordMax;
using survey::kRz27Mk2FrameBytes;

// The record length in force: 26 when BuildConfig.recordLength says so, else 24.
int RecordLength();

// Typed stations and station increments, clamped to what their record fields hold.
using survey::TypedIncrement;
using survey::TypedStation;

// ---- Formatting (no file access). Each writes whole records into `out` and returns the number
// of bytes written. `out` must hold the records named; the GPS formatter takes its capacity.

// Header record and header name record (2 records).
size_t FormatFileHeader(char* out);
// Line name, start station, increment and date records (4 records), then in the RZ27-MK2 build
// the six calibration records (10 records in all).
size_t FormatLineHeader(char* out, const SYSTEMTIME& now);
size_t FormatStationRecord(char* out, const SYSTEMTIME& now);
size_t FormatReadingRecord(char* out);
// RZ27-MK2 only: the 14 frame bytes need L = 26; with L = 24 nothing is written (returns 0).
size_t FormatRz27Mk2Reading(char* out, const unsigned char frame[kRz27Mk2FrameBytes]);
size_t FormatTimeRecord(char* out, uint32_t tick, const SYSTEMTIME& now);
// Bytes the GPS records of a sentence of `length` characters take: its pieces and the tick record.
size_t GpsRecordsBytes(size_t length);
// The sentence's pieces and its tick record; 0 when `capacity` is too small.
size_t FormatGpsRecords(char* out, size_t capacity, const char* sentence, uint32_t tick, char firstTag,
                        char nextTag);
size_t FormatEventRecord(char* out, const wchar_t* text, char kind, uint32_t tick);
size_t FormatCalibrationRecords(char* out);

// ---- Writers: format, then one append to SurveyRun.dataFile. ---------------------------------

bool WriteFileHeader();
bool WriteLineHeader();
bool WriteStationRecord();
bool WriteReadingRecord();
bool WriteRz27Mk2Reading(const unsigned char frame[kRz27Mk2FrameBytes]);
bool WriteTimeRecord();
bool WriteGpsRecords(const char* sentence, uint32_t tick, char firstTag, char nextTag);
bool WriteEventRecord(const wchar_t* text, char kind);
bool WriteCalibrationRecords();

}  // namespace handheld
