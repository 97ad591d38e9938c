// The survey data file's records that both programs write with the same bytes, and the field
// rules they share: records of L bytes (24, or 26 in the RZ27-MK2 builds) ending in a line feed,
// every field at exactly its width (an over-wide number keeps its leading characters, a
// one-character field outside its table gets '?'), ticks as "%10u".
//
// Each formatter writes whole records into `out` and returns the bytes written; `out` holds the
// records named (the GPS formatter takes its capacity). No file access.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/data_file.h"

namespace survey {

constexpr int kRecordMax = 26;  // the longest record of any build
constexpr int kLineBlockRecords = 4;
constexpr int kCalibrationRecords = 6;
constexpr int kRz27Mk2FrameBytes = 14;

// A reading record's first byte: 'T' or 't' (RZ27-MK2), or '2' to '6' for the second to sixth
// reading at one station.
inline bool IsReadingTag(unsigned char tag) { return tag == 'T' || tag == 't' || (tag >= '2' && tag <= '6'); }

// ---- Field rules -------------------------------------------------------------------------------

// A record of `length` blanks ending in a line feed.
char* BlankRecord(char* rec, int length);
// The leading characters of text[0..n) into [pos, pos + width), blank-filling the rest.
void PutText(char* rec, int pos, int width, const char* text, size_t n);
// A printf-style field of exactly `width` characters.
__attribute__((format(printf, 4, 5))) void PutFormat(char* rec, int pos, int width, const char* format, ...);
// The tick in the ten characters before the line feed.
void PutTick(char* rec, int length, uint32_t tick);
// A one-digit field: '0'..'9', '?' for anything else.
char Digit(int32_t value);

// A typed station (start station or new station), clamped to what the station fields hold with
// their "%11.2f": -9999999.99 to 99999999.99. Not a number reads 0.
double TypedStation(double value);
// A typed station increment, clamped to what both its fields hold: the increment record's "%11.3f"
// and the header's "%7.3f" in Wheel and Manual mode, so -99.999 to 999.999. Not a number reads 0.
float TypedIncrement(double value);

// ---- Records of the same bytes in both programs -------------------------------------------------

// Line name (8-bit, 8 characters), start station, direction and increment, date and time.
size_t FormatLineBlock(char* out, int length, const char* lineName, double startStation, int32_t direction,
                       float increment, const SYSTEMTIME& now);
size_t FormatStationRecord(char* out, int length, double station, const SYSTEMTIME& now);
// The frame's 12 bytes as they are (a 0x00 included: the handlers blank-pad a shorter frame), then
// the tick.
size_t FormatReadingRecord(char* out, int length, const unsigned char* frame, uint32_t tick);
// The 14 frame bytes as they are, then the tick; needs L = 26 (0 bytes otherwise).
size_t FormatRz27Mk2Reading(char* out, int length, const unsigned char frame[kRz27Mk2FrameBytes], uint32_t tick);
size_t FormatTimeRecord(char* out, int length, uint32_t tick, const SYSTEMTIME& now);
// An event ('X') or comment ('C'): 11 characters of 8-bit text (null: blanks), then the tick.
size_t FormatEventRecord(char* out, int length, char kind, const char* text, uint32_t tick);
// O1 to O6: the offsets in force and the ones they replaced.
size_t FormatCalibrationRecords(char* out, int length, const float inForce[6], const float replaced[6]);
// Read back from a calibration record (NUL-terminated, 'O' and '1' to '6'): the offset it replaced,
// from character 13, into offsets[i] for O(i + 1). A value beyond float range reads 0; any other
// second character changes nothing.
void TakeReplacedOffset(const unsigned char* record, float offsets[6]);

// Bytes the GPS records of a sentence of n characters take: its pieces of L - 2 characters and the
// tick record.
size_t GpsRecordsBytes(size_t n, int length);
// The sentence's pieces (firstTag, then nextTag; the last blank-padded) and its tick record; 0
// when `capacity` is too small.
size_t FormatGpsRecords(char* out, size_t capacity, int length, const char* sentence, uint32_t tick, char firstTag,
                        char nextTag);

// Appends a sentence's GPS records to `file` in one piece (a usual sentence on the stack, a longer
// one on the heap). False for a null sentence, a closed file or a failed write.
bool AppendGpsRecords(DataFile& file, int length, const char* sentence, uint32_t tick, char firstTag, char nextTag);

}  // namespace survey
