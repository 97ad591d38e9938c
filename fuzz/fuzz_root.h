// A scratch drive root for a fuzz target, under $TMPDIR (the smoke script gives each run its own
// and removes it).
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include <string>

#include "fuzz_check.h"

inline void UseScratchRoot(const char* name) {
  const char* tmp = getenv("TMPDIR");
  static std::string root;
  root = std::string(tmp && *tmp ? tmp : "/tmp") + "/survey-fuzz-" + name + "-XXXXXX";
  FUZZ_CHECK(mkdtemp(root.data()) != nullptr);
  setenv("PLAT_ROOT", root.c_str(), 1);
}

// The input as the whole content of the file at `path` (below the scratch root).
inline void WriteInputFile(const wchar_t* path, const uint8_t* data, size_t size) {
  HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(out != INVALID_HANDLE_VALUE);
  DWORD put = 0;
  FUZZ_CHECK(WriteFile(out, data, static_cast<DWORD>(size), &put, nullptr) && put == size);
  CloseHandle(out);
}

// Opens the file at `path` and hands it to read(file), as a settings load does after its open.
template <typename Read>
void ReadInputFile(const wchar_t* path, Read read) {
  HANDLE in = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(in != INVALID_HANDLE_VALUE);
  read(in);
  CloseHandle(in);
}
