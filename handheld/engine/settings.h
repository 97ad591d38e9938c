// The handheld settings file: a version line, then one value of SurveySettings per line (CR LF),
// in the order and with the conditions of one line table shared by the writer and the reader.
#pragma once

#include <windows.h>

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

// Reads the value lines in file order and runs the recomputations on the way. Lines missing at the
// end of the file keep the values in force; the recomputations still run.
void ReadSettings(HANDLE file);

// Reads one line into buf (kSettingsLineMax bytes) and returns its length, or -1 at end of file.
// The byte before the line feed (the carriage return) is dropped; a last line without a line feed
// keeps its bytes, less a final carriage return. A longer line keeps its first
// kSettingsLineMax - 1 bytes and is consumed up to its line feed. The text ends with NUL.
int ReadLine(HANDLE file, char* buf);

}  // namespace handheld
