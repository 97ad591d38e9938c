#include "common/data_file.h"

#include <cstdint>

namespace survey {

namespace {

bool FileSize(HANDLE h, uint64_t* size) {
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(h, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return false;
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

}  // namespace

DataFile::~DataFile() { Close(); }

void DataFile::CloseLocked() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

template <typename Open>
bool DataFile::CreateWith(Open open) {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  writeFailed_ = false;
  handle_ = open();
  return handle_ != INVALID_HANDLE_VALUE;
}

bool DataFile::Create(const wchar_t* path) {
  return CreateWith([path] {
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  });
}

bool DataFile::Create(const char* path) {
  return CreateWith([path] {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  });
}

bool DataFile::Reopen(const wchar_t* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  SetFilePointer(handle_, 0, nullptr, FILE_END);
  return true;
}

bool DataFile::Append(const void* records, size_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle_ == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (bytes > MAXDWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    writeFailed_ = true;
    return false;
  }
  // The append tells where it began: the size before it, for the cut-back below.
  constexpr uint64_t kNoEnd = UINT64_MAX;
  uint64_t before = kNoEnd;
  DWORD put = 0;
  if (plat::AppendAtEnd(handle_, records, static_cast<DWORD>(bytes), &put, &before) && put == bytes) return true;

  // Cut a partial write back to the last whole record, keeping the write's error for the caller.
  // Without the end found nothing was written.
  const DWORD error = GetLastError();
  if (before != kNoEnd) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(before);
    if (SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) SetEndOfFile(handle_);
  }
  writeFailed_ = true;
  SetLastError(error);
  return false;
}

bool DataFile::ReadAt(uint64_t offset, void* buf, uint32_t n, uint32_t* got) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (got != nullptr) *got = 0;
  if (handle_ == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD read = 0;
  const BOOL ok = plat::ReadAt(handle_, offset, buf, n, &read);
  if (got != nullptr) *got = read;
  return ok != FALSE;
}

uint64_t DataFile::Size() {
  std::lock_guard<std::mutex> lock(mutex_);
  uint64_t size = 0;
  if (handle_ != INVALID_HANDLE_VALUE && !FileSize(handle_, &size)) size = 0;
  return size;
}

bool DataFile::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  return handle_ != INVALID_HANDLE_VALUE && FlushFileBuffers(handle_) != FALSE;
}

void DataFile::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

bool DataFile::IsOpen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return handle_ != INVALID_HANDLE_VALUE;
}

bool DataFile::WriteFailed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return writeFailed_;
}

void DataFile::ClearWriteFailed() {
  std::lock_guard<std::mutex> lock(mutex_);
  writeFailed_ = false;
}

}  // namespace survey
