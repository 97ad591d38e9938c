#include "common/settings_file.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace survey {

int EndLine(char* buf, int size, int stored, bool any, bool lineFeed, char last) {
  if (!any) {
    buf[0] = 0;
    return -1;
  }
  int length;
  if (lineFeed) {
    length = stored > 0 ? stored - 1 : 0;
  } else {
    length = stored > 0 && last == '\r' ? stored - 1 : stored;
  }
  if (length > size - 1) length = size - 1;
  buf[length] = 0;
  return length;
}

int ReadLine(HANDLE file, char* buf, int size) {
  int stored = 0;
  bool any = false;
  bool lineFeed = false;
  char last = 0;
  for (;;) {
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(file, &c, 1, &got, nullptr) || got == 0) break;
    any = true;
    if (c == '\n') {
      lineFeed = true;
      break;
    }
    if (stored < size) buf[stored++] = c;
    last = c;
  }
  return EndLine(buf, size, stored, any, lineFeed, last);
}

bool WriteText(HANDLE file, const char* text, int length) {
  DWORD put = 0;
  return WriteFile(file, text, static_cast<DWORD>(length), &put, nullptr) && put == static_cast<DWORD>(length);
}

int FittedLength(int n, int size) { return n < 0 ? 0 : (n >= size ? size - 1 : n); }

bool ReplaceSettingsFile(const wchar_t* path, const char* version, const LineWriter& writeLines) {
  wchar_t tmp[MAX_PATH];
  const int n = swprintf(tmp, MAX_PATH, L"%ls.tmp", path);
  if (n < 0 || n >= MAX_PATH) return false;
  HANDLE file = CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> line(strlen(version) + 3);
  const int length = FittedLength(snprintf(line.data(), line.size(), "%s\r\n", version), static_cast<int>(line.size()));
  bool ok = WriteText(file, line.data(), length) && writeLines(file) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok && MoveFileExW(tmp, path, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(tmp);
  return false;
}

bool LoadSettingsFile(const wchar_t* path, const char* version, int lineMax, const LineReader& readLines,
                      const LineWriter& writeLines) {
  HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return ReplaceSettingsFile(path, version, writeLines);
    }
    return false;
  }
  std::vector<char> line(static_cast<size_t>(lineMax > 1 ? lineMax : 2));
  const int length = ReadLine(file, line.data(), static_cast<int>(line.size()));
  const bool sameVersion =
      length == static_cast<int>(strlen(version)) && memcmp(line.data(), version, static_cast<size_t>(length)) == 0;
  if (sameVersion) readLines(file);
  CloseHandle(file);
  // Another program version or build: nothing is read, the values in force replace it.
  return sameVersion || ReplaceSettingsFile(path, version, writeLines);
}

}  // namespace survey
