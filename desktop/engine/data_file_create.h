// Creation of a run's data file: the proposed name in the data folder, the save dialog, the warning
// for a name that cannot be created, the first records, and the data folder kept in the settings.
#pragma once

#include <windows.h>

#include <string>

namespace desktop {

// The proposal for a new file: SurveySettings.dataFolder is made current (the start folder when it
// is gone), then month, day and hour ("%02d" each) and the first letter 'A' to 'Z' whose name with
// the model's extension is not taken there; the seven characters without extension. With all 26
// taken, the 'Z' name with its extension. A name counts as taken when it opens as an existing file
// or exists without opening; nothing is created. `buffer` holds MAX_PATH bytes.
void MakeDefaultFileName(char* buffer);

// The base name the header keeps of a chosen path: the file name (from `nameOffset`) up to the dot
// before its extension (`extensionOffset`, as the save dialog reports them), so up to the last dot;
// the whole file name when it has no extension.
std::string DataFileBaseName(const char* path, int nameOffset, int extensionOffset);

// The folder of a chosen path: everything up to and including its last backslash ("" when it has
// none), cut to what SurveySettings.dataFolder holds.
std::string DataFolderOfPath(const char* path);

// Runs the creation: proposal, save dialog (owned by `owner`), create-new, and on any failure the
// warning (owned by the logging window) and the dialog again with the last chosen name. 1 when a
// file was created and its first records written, 0 when the operator cancelled.
int CreateDataFile(HWND owner);

}  // namespace desktop
