#include "engine/data_file_create.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "engine/models.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"

namespace desktop {

namespace {

constexpr const char* kTakenWarning = "The file already exisits. Please enter another name";

bool Taken(const char* name) {
  const HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) return CloseHandle(h), true;
  return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;  // there, but locked or read-only
}

// Makes the data folder current; when it is gone the start folder stands in. The folder in force.
const char* EnterDataFolder() {
  if (SetCurrentDirectoryA(SurveySettings.dataFolder)) return SurveySettings.dataFolder;
  SetCurrentDirectoryA(MainMenu.startFolder);
  return MainMenu.startFolder;
}

void CopyCut(char* to, size_t size, const char* from, size_t n) {
  if (n >= size) n = size - 1;
  memcpy(to, from, n);
  to[n] = 0;
}

}  // namespace

void MakeDefaultFileName(char* buffer) {
  EnterDataFolder();
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const char* extension = ThisModel().extension;
  char name[MAX_PATH] = {};
  for (int letter = 0; letter < 26; ++letter) {
    snprintf(name, sizeof name, "%02d%02d%02d%c%s", now.wMonth, now.wDay, now.wHour, 'A' + letter, extension);
    if (!Taken(name)) {
      name[7] = 0;  // the proposal is shown without its extension
      break;
    }
  }
  CopyCut(buffer, MAX_PATH, name, strlen(name));
}

std::string DataFileBaseName(const char* path, int nameOffset, int extensionOffset) {
  const int length = static_cast<int>(strnlen(path, MAX_PATH));
  if (nameOffset < 0 || nameOffset > length) nameOffset = 0;
  const char* name = path + nameOffset;
  const bool hasExtension = extensionOffset > nameOffset && extensionOffset <= length && path[extensionOffset - 1] == '.';
  return hasExtension ? std::string(name, static_cast<size_t>(extensionOffset - 1 - nameOffset)) : std::string(name);
}

std::string DataFolderOfPath(const char* path) {
  const char* lastSeparator = strrchr(path, '\\');
  if (lastSeparator == nullptr) return std::string();
  const size_t n = static_cast<size_t>(lastSeparator - path + 1);
  return std::string(path, n < sizeof SurveySettings.dataFolder ? n : sizeof SurveySettings.dataFolder - 1);
}

int CreateDataFile(HWND owner) {
  const ModelRow& row = ThisModel();
  char file[MAX_PATH];
  char title[MAX_PATH] = {};
  MakeDefaultFileName(file);
  memcpy(title, file, sizeof title);
  char initialDir[MAX_PATH];
  const char* folder = EnterDataFolder();
  CopyCut(initialDir, sizeof initialDir, folder, strlen(folder));
  // One filter entry: the text, the pattern, and the closing double NUL.
  char filter[96] = {};
  const int textLength = snprintf(filter, sizeof filter - 2, "%s", row.filterText);
  snprintf(filter + textLength + 1, sizeof filter - textLength - 2, "%s", row.filterPattern);

  OPENFILENAMEA ofn{};
  for (;;) {
    // No flags: the dialog neither asks about overwriting nor wants the file to exist.
    ofn = OPENFILENAMEA{.lStructSize = sizeof ofn, .hwndOwner = owner, .hInstance = nullptr, .lpstrFilter = filter,
                        .lpstrCustomFilter = nullptr, .nMaxCustFilter = 0, .nFilterIndex = 0, .lpstrFile = file,
                        .nMaxFile = MAX_PATH, .lpstrFileTitle = title, .nMaxFileTitle = MAX_PATH,
                        .lpstrInitialDir = initialDir, .lpstrTitle = "Create Data File", .Flags = 0,
                        .nFileOffset = 0, .nFileExtension = 0, .lpstrDefExt = row.defaultExtension,
                        .lCustData = 0, .lpfnHook = nullptr, .lpTemplateName = nullptr};
    if (!GetSaveFileNameA(&ofn)) return 0;
    file[MAX_PATH - 1] = 0;
    // Create-new: whatever the reason it fails, the operator is told and chooses again.
    if (SurveyRun.dataFile.Create(file)) break;
    MessageBoxA(AppWindows.loggingWnd, kTakenWarning, "WARNING", MB_ICONEXCLAMATION);
  }

  CopyCut(SurveyRun.dataFilePath, sizeof SurveyRun.dataFilePath, file, strlen(file));
  SurveyRun.dataFileName = DataFileBaseName(file, ofn.nFileOffset, ofn.nFileExtension);
  const std::string fileFolder = DataFolderOfPath(file);
  if (!fileFolder.empty()) {
    CopyCut(SurveySettings.dataFolder, sizeof SurveySettings.dataFolder, fileFolder.data(), fileFolder.size());
  }
  WriteFileHeader();
  WriteLineHeader();
  WriteTimeRecord();
  SurveyRun.linesTotal += 1;
  LoadSaveSettings(1);  // the new data folder is remembered
  return 1;
}

}  // namespace desktop
