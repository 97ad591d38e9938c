// The open survey data file of either program, shared by the UI thread's writers, the GPS reader
// and the redraws.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace survey {

// One mutex serialises every call. An append writes all its records in one piece at the end of
// the file; reads never move the append position; a failed append is rolled back to the size it
// had before, so the file stays a multiple of the record length, and the failure is latched.
class DataFile {
 public:
  DataFile() = default;
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile();

  // New file (CREATE_NEW, read and write, exclusive). False with the last error on failure. The
  // handheld names it in wide characters, the desktop in 8-bit text.
  bool Create(const wchar_t* path);
  bool Create(const char* path);
  // Opens an existing file again, or creates it (OPEN_ALWAYS), to append at its end. An object
  // still open is closed first, by Create as well.
  bool Reopen(const wchar_t* path);
  // Appends bytes (whole records) in one piece. False when closed or when the write failed; a
  // failed write is cut back to the size before it.
  bool Append(const void* records, size_t bytes);
  // Positional read; the append position is untouched. False (got 0) when closed.
  bool ReadAt(uint64_t offset, void* buf, uint32_t n, uint32_t* got);
  uint64_t Size();  // 0 when closed
  bool Flush();
  void Close();
  bool IsOpen();
  // Latched by the first failed append since Create (it survives Close and Reopen, which the
  // handheld does at every pause) until ClearWriteFailed, for the logging screen to report. An
  // append with no file open latches nothing: some writers also run when no file is meant to be.
  bool WriteFailed();
  void ClearWriteFailed();

 private:
  void CloseLocked();
  template <typename Open>
  bool CreateWith(Open open);  // open() gives the new handle

  std::mutex mutex_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool writeFailed_ = false;
};

}  // namespace survey
