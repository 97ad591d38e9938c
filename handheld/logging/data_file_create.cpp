// Creation of the run's data file: the save dialog in the model's folder, a new file, its first
// records, and the Stand By state.
#include <commdlg.h>

#include <cwchar>

#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"

namespace handheld {

namespace {

struct DataFileKind {
  const wchar_t* filter;  // one description and pattern, ending in a double NUL
  const wchar_t* extension;
  const wchar_t* folder;
  bool alwaysOnDrive;  // the RZ89 keeps its files under "C_DRIVE\" in every build
};

constexpr DataFileKind kKinds[] = {
    {L"RZ12 Files (*.R12)\0*.R12\0", L"R12", L"DATA12", false},
    {L"RZ27B Files (*.P27)\0*.P27\0", L"P27", L"DATA27", false},
    {L"RZ27D Files (*.Q27)\0*.Q27\0", L"Q27", L"DATA27", false},
    {L"RZ27 Files (*.R27)\0*.R27\0", L"R27", L"DATA27", false},
    {L"RZ45 Files (*.R45)\0*.R45\0", L"R45", L"DATA45", false},
    {L"RZ89 Files (*.R89)\0*.R89\0", L"R89", L"DATA89", true},
    {L"ZOL12 Files (*.Z12)\0*.Z12\0", L"Z12", L"DATAZOL", false},
    {L"RZ27MK2 Files (*.N27)\0*.N27\0", L"N27", L"DATA27MK2", false},
};

// The base name: the characters after the last backslash, up to the first dot.
void TakeBaseName(const wchar_t* path, wchar_t* out, size_t size) {
  const wchar_t* name = wcsrchr(path, L'\\');
  name = name != nullptr ? name + 1 : path;
  size_t n = 0;
  while (name[n] != 0 && name[n] != L'.' && n + 1 < size) {
    out[n] = name[n];
    ++n;
  }
  out[n] = 0;
}

}  // namespace

void CreateDataFile(HWND owner) {
  const int32_t model = BuildConfig.modelIndex;
  if (model < 0 || model >= static_cast<int32_t>(sizeof kKinds / sizeof kKinds[0])) return;
  const DataFileKind& kind = kKinds[model];

  const bool onDrive = kind.alwaysOnDrive || BuildConfig.storageRoot == 0;
  wchar_t folder[64];
  swprintf(folder, 64, onDrive ? L"C_DRIVE\\%ls" : L"\\Storage\\%ls", kind.folder);
  CreateDirectoryW(onDrive ? L"C_DRIVE" : L"\\Storage", nullptr);
  CreateDirectoryW(folder, nullptr);  // an existing folder is left as it is
  wchar_t initialDir[64];
  swprintf(initialDir, 64, L"%ls\\", folder);

  wchar_t path[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kind.filter;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initialDir;
  ofn.lpstrTitle = L"Create Data File";
  ofn.lpstrDefExt = kind.extension;
  ofn.Flags = 0;
  if (!GetSaveFileNameW(&ofn)) return;
  if (SurveyRun.runActive == 0) return;  // the run ended while the dialog was open

  TakeBaseName(path, SurveyRun.dataFileName, MAX_PATH);
  wcsncpy(SurveyRun.dataFilePath, path, MAX_PATH - 1);
  SurveyRun.dataFilePath[MAX_PATH - 1] = 0;
  // A name that exists, or a path that cannot be created, gives no file: the run stays in Monitor.
  if (!SurveyRun.dataFile.Create(SurveyRun.dataFilePath)) return;
  WriteFileHeader();
  WriteLineHeader();
  WriteTimeRecord();
  SurveyRun.state = kRunStandBy;
}

}  // namespace handheld
