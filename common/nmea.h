// NMEA lines from the GPS receiver, as both programs' GPS readers cut and judge them: the line
// assembler, the checksum verdict and its record tags, the cut into a shared sentence buffer, and
// the field splitter of the GPS status displays.
//
// A GPS reader reads one byte at a time and pushes it with the current tick:
//
//   check: if the port is closed, end;
//   read:  ReadFile 1 byte; nothing -> check;
//          if (assembler.Push(b, GetTickCount())) hand the line over; read.
//
// No allocation per line; the line stays readable through Line() until the next Push.
#pragma once

#include <cstddef>
#include <cstdint>

namespace survey {

class NmeaLineAssembler {
 public:
  static constexpr int kBufferBytes = 202;
  // A byte that arrives while the index is past this position restarts the line at 0.
  static constexpr int kRestartPast = 200;

  void Clear() { index_ = 0; }
  // Takes one byte that arrived at `tick`. Returns true when an LF ended a line that is not empty.
  //  - '$' starts a line at position 0 and notes its tick;
  //  - any other byte except LF is stored; past position 200 the line restarts at 0 (its beginning
  //    is lost);
  //  - LF drops the byte before it (the CR) and ends the line. Its text runs up to that byte or
  //    an earlier NUL; a line with no text is ignored.
  // The line's tick is that of the byte at its position 0: its '$', or, for a line with no '$',
  // its first byte.
  bool Push(unsigned char b, uint32_t tick);

  const char* Line() const { return buffer_; }  // NUL-terminated
  int Length() const { return length_; }
  uint32_t Tick() const { return tick_; }

 private:
  int index_ = 0;
  int length_ = 0;
  uint32_t tick_ = 0;
  char buffer_[kBufferBytes] = {};
};

// The checksum verdict of a line (without its CR): 1 when it begins with '$', holds a '*', and
// the exclusive-or of the characters after the '$' up to the first '*' equals the hexadecimal
// number after the last '*'; 0 otherwise. The number is read from the hexadecimal digits (either
// case) up to the first other character; with no digit there, the line is bad.
int NmeaChecksumVerdict(const char* line, size_t length);

// The tag pair of the GPS records: '@' '#' for a good checksum, '?' '"' for a bad one.
inline char GpsFirstTag(int verdict) { return verdict ? '@' : '?'; }
inline char GpsNextTag(int verdict) { return verdict ? '#' : '"'; }

// Characters a shared sentence buffer keeps of a longer line (it has room for them and a NUL).
constexpr int kSentenceMax = 127;

// Copies a line into a shared sentence buffer of kSentenceMax + 1 bytes: its text up to the
// first NUL, at most kSentenceMax characters, and a NUL. Returns the characters copied.
size_t CopySentence(char* out, const char* line, size_t length);

// The n-th field of a text split at `separator` (field 1 is the text before the first separator;
// the last field runs to the end of the text, a checksum suffix included). Copies it into `out`
// (at most outSize - 1 characters and a NUL; a longer field is cut) and returns 1. Returns 0 and
// leaves `out` alone when the text has fewer than n - 1 separators, for n below 1, or when `out`
// cannot hold a NUL.
int GetField(const char* text, int n, char separator, char* out, size_t outSize);

}  // namespace survey
