// Internals of the files module: name conversions, the Windows-to-Linux path mapper, fault hooks.
#pragma once

#include <windows.h>

#include "core.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace plat::detail {

// Names travel as code points between the W/A entry points and the UTF-8 names on Linux.
using CodePoints = std::u32string;

CodePoints FromWide(const wchar_t* s);
CodePoints FromCp1252(const char* s);
// Invalid UTF-8 bytes are taken one by one as Latin-1, so every on-disk name decodes to something.
CodePoints FromUtf8(const std::string& s);
std::string ToUtf8(const CodePoints& s);
// '?' for code points outside CP1252.
char ToCp1252(char32_t c);
// ASCII and Latin-1 letters to lower case; everything else unchanged.
char32_t FoldCase(char32_t c);
// Case-insensitive wildcard match ('*' any run, '?' one character). With dosDotStar a trailing
// ".*" also matches a name without a dot, so "*.*" matches every name.
bool WildcardMatch(const CodePoints& pattern, const CodePoints& name, bool dosDotStar);

struct MappedPath {
  std::string linuxPath;    // the resolved Linux path
  std::string parent;       // the resolved Linux folder holding the last component
  std::string leafSpelled;  // the last component in the program's spelling (UTF-8)
  CodePoints leaf;          // the last component as given (a pattern for searches)
  CodePoints windowsPath;   // the normalised Windows form ("C:\RZ12\X.R12", "\Storage\X")
  bool isRoot = false;      // names the drive root itself (no component)
  bool trailingSep = false; // the path ended in a separator
  bool parentExists = false;
};

enum class MapMode {
  Plain,    // every component resolved; '*' and '?' are invalid
  Pattern,  // '*' and '?' allowed in the last component, which is left unresolved
};

// Maps a Windows path into the drive root for the current profile. Returns false with the last
// error set (ERROR_INVALID_NAME, ERROR_FILENAME_EXCED_RANGE, ERROR_PATH_NOT_FOUND).
bool MapPath(const CodePoints& winPath, MapMode mode, MappedPath* out);

template <class T>
T Fail(DWORD error, T value) {
  SetLastError(error);
  return value;
}

// The code for an errno of a call on a mapped path: ENOENT is a missing file when the folder
// exists, else a missing path.
inline DWORD PathErrno(int err, const MappedPath& m) {
  if (err == ENOENT) return m.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  return ErrnoToError(err);
}

// Test harness hooks (files_testing.cpp).
void SetRootOverride(const std::string& root, const std::string& devDir);
void ClearRootOverride();
void AddCreateFileFault(const CodePoints& glob, DWORD error, int count);
void SetWriteBudget(uint64_t bytes, DWORD error);
// The next `count` FlushFileBuffers calls on valid handles fail with `error`.
void SetFlushFaults(int count, DWORD error);
void ClearFileFaults();

}  // namespace plat::detail
