// The desktop settings file: "Ver1.06", then one value of SurveySettings per line (CR LF), in the
// order and with the conditions of one line table shared by the writer and the reader. The file
// lies in the start folder (MainMenu.startFolder) under the model's name.
#pragma once

#include <windows.h>

#include "common/settings_file.h"

namespace desktop {

// Size of the buffer ReadLine fills: lines keep at most kSettingsLineMax - 1 bytes.
constexpr int kSettingsLineMax = 512;

// Makes the start folder current, then: save nonzero writes the whole file from the values in
// force; save 0 loads it, and a file that is missing or of another version is written anew from
// the values in force. Saves go to "<name>.tmp" first and replace the file, so a failed save leaves
// the old file whole. A start folder that is gone leaves the values in memory and writes nothing
// elsewhere. True when the file was written (save) or read (load).
bool LoadSaveSettings(int save);

// Writes the value lines in file order, each with one write. False when a write failed.
bool WriteSettings(HANDLE file);

// Reads the value lines in file order and derives the values that follow them on the way. Lines
// missing at the end keep the values in force; the derived values are still computed.
void ReadSettings(HANDLE file);

// One line of the file into buf (kSettingsLineMax bytes); its length, or -1 at end of file.
inline int ReadLine(HANDLE file, char* buf) { return survey::ReadLine(file, buf, kSettingsLineMax); }

// The model's start values: scales, pixel factors and grid, component and dipole, the record
// length, and the GPS display table. Called once before the settings are loaded.
void SetDefaultSettings();

// The GPS status display's table: "GGA", six items in order 0 to 5, fields 8, 7, 4, 3, 6, 5.
void InitGgaDisplayTable();

}  // namespace desktop
