// Test automation of the files module: temporary drive roots and file fault injection.
#pragma once
#include "plat/testing.h"

#include <cstdint>
#include <string>

namespace plat::test {

// Makes a fresh temporary drive root, with its device folder and the current profile's root
// folders, and points DriveRoot() and DeviceDir() at it. Returns its path. It is removed by Reset,
// by the next UseTempRoot, at the end of the running test (pass or fail) and at the process's exit.
std::string UseTempRoot();

// Removes the temporary drive roots this process made, at once. For a test child that ends with
// _exit, which skips the end of its test and the exit handlers.
void RemoveTempRoots();

// The next `count` CreateFile calls whose path, as passed, matches `glob` (ignoring case; '*' and
// '?' also match separators) fail with `error`.
void FailCreateFile(const char* glob, DWORD error, int count = 1);

// File writes (WriteFile and plat::AppendAtEnd) accept only `bytes` more bytes in total; after
// that they write what still fits and fail with `error`, until the faults are cleared.
void FailWritesAfter(uint64_t bytes, DWORD error = ERROR_DISK_FULL);

// The next `count` FlushFileBuffers calls on valid file handles fail with `error`, writing nothing
// out; the file's content is untouched.
void FailFlushes(DWORD error = ERROR_GEN_FAILURE, int count = 1);

// Ends every file fault injection.
void ClearFaults();

}  // namespace plat::test
