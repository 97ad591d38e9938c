// The handheld settings file: a version line, then one value of SurveySettings per line (CR LF),
// in the order and with the conditions of one line table shared by the writer and the reader.
#pragma once

#include <windows.h>

#include <cstddef>

namespace handheld {

// Size of the buffer ReadLine fills: lines keep at most kSettingsLineMax - 1 bytes.
constexpr int kSettingsLineMax = 256;

// save nonzero: writes the whole file from the values in force. save 0: loads the file; a file
// that is missing, or whose first line is not the build's version text, is written anew from the
// values in force. The file is always written to "<name>.tmp" first and then moved over the old
// one, so a failed write leaves the old file whole. Any other failure leaves the file and the
// values in memory as they are.
void LoadSaveSettings(int save);

// Writes the value lines in file order, each with one write. False when a write failed.
bool WriteSettings(HANDLE file);

// The bytes of a settings file as the reader takes them: an open file, read in blocks of 512
// bytes from its position on, or the same bytes in memory. Either gives the same lines.
class SettingsBytes {
 public:
  explicit SettingsBytes(HANDLE file) : file_(file) {}
  SettingsBytes(const void* bytes, size_t size) : data_(static_cast<const char*>(bytes)), end_(size) {}
  SettingsBytes(const SettingsBytes&) = delete;
  SettingsBytes& operator=(const SettingsBytes&) = delete;

  // The bytes at hand (refilled from the file when none are left); false at the end, and from a
  // file also once a read has failed.
  bool Peek(const char** bytes, size_t* n) {
    if (at_ == end_ && !Refill()) return false;
    *bytes = data_ + at_;
    *n = end_ - at_;
    return true;
  }
  // Moves past n of the bytes that Peek gave.
  void Take(size_t n) { at_ += n; }

 private:
  bool Refill();

  HANDLE file_ = INVALID_HANDLE_VALUE;  // none: the bytes are in memory
  const char* data_ = block_;
  size_t at_ = 0;
  size_t end_ = 0;
  char block_[512] = {};
};

// Reads the value lines in file order and runs the recomputations on the way. Lines missing at the
// end of the file keep the values in force; the recomputations still run.
void ReadSettings(SettingsBytes& in);

// Reads one line into buf (kSettingsLineMax bytes) and returns its length, or -1 at the end.
// The byte before the line feed (the carriage return) is dropped; a last line without a line feed
// keeps its bytes, less a final carriage return. A longer line keeps its first
// kSettingsLineMax - 1 bytes and is consumed up to its line feed. The text ends with NUL.
int ReadLine(SettingsBytes& in, char* buf);

}  // namespace handheld
