// Creation of the run's data file: the proposed name, the save dialog in the model's folder, the
// warning for a name that exists, a new file with its first records, and the Stand By state.
#include <commdlg.h>

#include <cstdio>
#include <cwchar>
#include <iterator>

#include "engine/records.h"
#include "engine/state.h"
#include "logging/data_file_naming.h"
#include "logging/logging.h"

namespace handheld {

namespace {

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

bool OnDrive(const DataFileKind& kind, int32_t storageRoot) { return kind.alwaysOnDrive || storageRoot == 0; }

}  // namespace

const DataFileKind* DataFileKindOf(int32_t model) {
  if (model < 0 || model >= static_cast<int32_t>(std::size(kKinds))) return nullptr;
  return &kKinds[model];
}

std::wstring DataFolderOf(const DataFileKind& kind, int32_t storageRoot) {
  return std::wstring(OnDrive(kind, storageRoot) ? L"C_DRIVE\\" : L"\\Storage\\") + kind.folder + L"\\";
}

std::wstring ProposeDataFileName(const std::wstring& folder, const std::wstring& extension, const SYSTEMTIME& now,
                                 const std::function<bool(const std::wstring& path)>& taken) {
  wchar_t digits[16];
  swprintf(digits, std::size(digits), L"%02d%02d%02d", now.wMonth, now.wDay, now.wHour);
  std::wstring path;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    const std::wstring name = std::wstring(digits) + letter;
    path = folder + name + L"." + extension;
    if (!taken(path)) return name;
  }
  return path;
}

std::string DataFileBaseName(const wchar_t* path) {
  const wchar_t* name = wcsrchr(path, L'\\');
  name = name != nullptr ? name + 1 : path;
  std::string out;
  for (; *name != L'\0' && *name != L'.'; ++name) out += static_cast<char>(static_cast<unsigned>(*name) & 0xFFu);
  return out;
}

bool DataFileTaken(const wchar_t* path) {
  const HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;  // there, but locked or read-only
}

void MakeDefaultFileName(wchar_t* buffer) {
  buffer[0] = L'\0';
  const DataFileKind* kind = DataFileKindOf(BuildConfig.modelIndex);
  if (kind == nullptr) return;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const bool onDrive = OnDrive(*kind, BuildConfig.storageRoot);
  const std::wstring folder = DataFolderOf(*kind, BuildConfig.storageRoot);
  CreateDirectoryW(onDrive ? L"C_DRIVE" : L"\\Storage", nullptr);
  CreateDirectoryW(folder.substr(0, folder.size() - 1).c_str(), nullptr);  // an existing folder stays
  const std::wstring proposal = ProposeDataFileName(folder, kind->extension, now, [](const std::wstring& path) {
    return DataFileTaken(path.c_str());
  });
  wcsncpy(buffer, proposal.c_str(), MAX_PATH - 1);
  buffer[MAX_PATH - 1] = L'\0';
}

void CreateDataFile(HWND owner) {
  const DataFileKind* kind = DataFileKindOf(BuildConfig.modelIndex);
  if (kind == nullptr) return;
  const std::wstring initialDir = DataFolderOf(*kind, BuildConfig.storageRoot);

  // The watchdog may end the run while a dialog or box is up: every modal call is followed by a
  // check, so no file is made and no dialog opened for a run that is gone.
  wchar_t path[MAX_PATH];
  for (;;) {
    MakeDefaultFileName(path);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kind->filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.lpstrTitle = L"Create Data File";
    ofn.lpstrDefExt = kind->extension;
    ofn.Flags = 0;
    const BOOL chosen = GetSaveFileNameW(&ofn);
    if (SurveyRun.runActive == 0) return;
    if (!chosen) return;  // cancelled, or a path longer than the buffer
    path[MAX_PATH - 1] = L'\0';

    SurveyRun.dataFileName = DataFileBaseName(path);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) break;  // nothing of that name there
    MessageBoxW(owner, L"The file already exisits. Please enter another name", L"WARNING", MB_ICONEXCLAMATION);
    if (SurveyRun.runActive == 0) return;
  }

  wcsncpy(SurveyRun.dataFilePath, path, MAX_PATH - 1);
  SurveyRun.dataFilePath[MAX_PATH - 1] = L'\0';
  // Create-new: a file that appeared since the check, or a path that cannot be made, gives no file,
  // no record, and the run stays in Monitor.
  if (!SurveyRun.dataFile.Create(SurveyRun.dataFilePath)) return;
  WriteFileHeader();
  WriteLineHeader();
  WriteTimeRecord();
  SurveyRun.state = kRunStandBy;
}

}  // namespace handheld
