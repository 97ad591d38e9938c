// Data-file names: each model's folder, extension and save-dialog filter, the proposed default
// name, and the base name kept of a chosen path. The rules are pure; MakeDefaultFileName applies
// them to the clock and the storage.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace handheld {

struct DataFileKind {
  const wchar_t* filter;     // one description and pattern, ending in a double NUL
  const wchar_t* extension;  // without the dot, as the dialog's default extension
  const wchar_t* folder;     // the folder under the storage root
  bool alwaysOnDrive;        // the RZ89 keeps its files under "C_DRIVE\" in every build
};

// The model's kind; nullptr for an unknown model.
const DataFileKind* DataFileKindOf(int32_t model);

// The model's data folder with a trailing backslash: "\Storage\DATA12\" on storage-root builds,
// "C_DRIVE\DATA12\" otherwise, and "C_DRIVE\DATA89\" for the RZ89 in every build.
std::wstring DataFolderOf(const DataFileKind& kind, int32_t storageRoot);

// The proposal for a file created at `now`: month, day and hour ("%02d" each) and the first letter
// 'A' to 'Z' whose path (folder, name, '.', extension) is not taken; only the seven characters of
// the name. With all 26 taken, the full path of the 'Z' file.
std::wstring ProposeDataFileName(const std::wstring& folder, const std::wstring& extension, const SYSTEMTIME& now,
                                 const std::function<bool(const std::wstring& path)>& taken);

// The characters after the path's last backslash up to the first dot of that name, each wide
// character narrowed to its low 8 bits.
std::string DataFileBaseName(const wchar_t* path);

// Whether a data file of this path is there: it opens as an existing file (and is closed again at
// once), or it cannot be opened but exists. Never creates anything.
bool DataFileTaken(const wchar_t* path);

// Creates the model's data folder (an existing one is left as it is) and writes the proposal into
// `buffer` (at least MAX_PATH wide characters).
void MakeDefaultFileName(wchar_t* buffer);

}  // namespace handheld
