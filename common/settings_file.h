// What both programs' settings files share: the line reader, the version check of a load, and a
// save that writes "<name>.tmp" first and moves it over the file, so a failed save leaves the old
// file whole. Each program has its own place, version text and line list.
#pragma once

#include <windows.h>

#include <functional>

namespace survey {

// Reads one line into buf (size bytes) and returns its length, or -1 at end of file. The byte
// before the line feed (the carriage return) is dropped; a last line without a line feed keeps its
// bytes, less a final carriage return. A longer line keeps its first size - 1 bytes and is consumed
// up to its line feed. The text ends with NUL.
int ReadLine(HANDLE file, char* buf, int size);

// The end of a line reader's work: `stored` bytes kept of the line in buf, whether any byte was
// read, whether the line feed ended it and the last byte before it. Drops the carriage return,
// ends the text with NUL and returns its length, or -1 when nothing was read (end of file).
int EndLine(char* buf, int size, int stored, bool any, bool lineFeed, char last);

// Writes one text in one write; false unless all of it landed.
bool WriteText(HANDLE file, const char* text, int length);

// The length of an snprintf result, cut to what its buffer of `size` bytes holds.
int FittedLength(int n, int size);

using LineWriter = std::function<bool(HANDLE file)>;
using LineReader = std::function<void(HANDLE file)>;

// Writes the version line and the value lines (writeLines) to "<path>.tmp" and moves it over the
// file. False when anything failed; the old file then stays as it was and the temporary one is
// removed.
bool ReplaceSettingsFile(const wchar_t* path, const char* version, const LineWriter& writeLines);

// Loads the file: with the same version line, readLines reads the value lines; a missing file or
// one of another version is written anew from the values in force (ReplaceSettingsFile). Any other
// failure to open (busy, denied) leaves the file and the values alone. `lineMax` is the size of
// the buffer the version line is read into. True when the file was read or written anew.
bool LoadSettingsFile(const wchar_t* path, const char* version, int lineMax, const LineReader& readLines,
                      const LineWriter& writeLines);

}  // namespace survey
