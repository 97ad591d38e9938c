// File handles: CreateFile, reads, writes, positions, deleting and renaming.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "core.h"
#include "paths.h"

namespace plat::detail {
namespace {

struct FileObject : Object {
  FileObject(int f, bool r, bool w) : Object(Kind::File), fd(f), canRead(r), canWrite(w) {}
  // The descriptor (and with it the flock) lives until the last in-flight call has left.
  ~FileObject() override { close(fd); }
  std::mutex mu;  // one call at a time per handle: position moves stay whole
  const int fd;
  const bool canRead;
  const bool canWrite;
};

// ---- Fault injection -------------------------------------------------------------------------

struct CreateFault {
  CodePoints glob;
  DWORD error;
  int count;
};

std::mutex g_faultMutex;
std::vector<CreateFault> g_createFaults;
bool g_writeBudgetOn = false;
uint64_t g_writeBudget = 0;
DWORD g_writeError = ERROR_DISK_FULL;
int g_flushFaults = 0;
DWORD g_flushError = ERROR_GEN_FAILURE;

bool TakeCreateFault(const CodePoints& path) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  for (auto& f : g_createFaults) {
    if (f.count > 0 && WildcardMatch(f.glob, path, false)) {
      --f.count;
      SetLastError(f.error);
      return true;
    }
  }
  return false;
}

// How much of a write of n bytes may land; *error gets the code for the rest.
size_t TakeWriteAllowance(size_t n, DWORD* error) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  if (!g_writeBudgetOn) return n;
  size_t allowed = g_writeBudget < n ? static_cast<size_t>(g_writeBudget) : n;
  g_writeBudget -= allowed;
  *error = g_writeError;
  return allowed;
}

// Whether this flush is to fail; *error gets the code.
bool TakeFlushFault(DWORD* error) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  if (g_flushFaults <= 0) return false;
  --g_flushFaults;
  *error = g_flushError;
  return true;
}

// ---- Helpers ---------------------------------------------------------------------------------

// Writes all of p (looping over partial writes) at the descriptor's position.
bool WriteAll(int fd, const uint8_t* p, size_t n, size_t* done) {
  DWORD faultError = ERROR_SUCCESS;
  size_t allowed = TakeWriteAllowance(n, &faultError);
  *done = 0;
  while (*done < allowed) {
    ssize_t w = write(fd, p + *done, allowed - *done);
    if (w < 0) {
      if (errno == EINTR) continue;
      SetLastError(ErrnoToError(errno));
      return false;
    }
    if (w == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    *done += static_cast<size_t>(w);
  }
  if (allowed < n) {
    SetLastError(faultError);
    return false;
  }
  return true;
}

bool ReadAll(int fd, uint8_t* p, size_t n, size_t* done, const int64_t* offset) {
  *done = 0;
  while (*done < n) {
    ssize_t r = offset ? pread(fd, p + *done, n - *done, *offset + static_cast<int64_t>(*done))
                       : read(fd, p + *done, n - *done);
    if (r < 0) {
      if (errno == EINTR) continue;
      SetLastError(ErrnoToError(errno));
      return false;
    }
    if (r == 0) break;  // end of file
    *done += static_cast<size_t>(r);
  }
  return true;
}

std::shared_ptr<FileObject> LookupFile(HANDLE h) { return Lookup<FileObject>(h, Kind::File); }

bool IsPort(HANDLE h) {
  Kind k;
  return HandleKind(h, &k) && k == Kind::Port;
}

// Moves the position; a result below 0 or above maxPos fails and keeps the position.
bool Seek(FileObject& f, int64_t dist, DWORD method, int64_t maxPos, int64_t* newPos) {
  int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = lseek(f.fd, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st;
    base = fstat(f.fd, &st) == 0 ? st.st_size : -1;
  } else if (method != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER, false);
  }
  if (base < 0) return Fail(ErrnoToError(errno), false);
  int64_t pos;
  if (__builtin_add_overflow(base, dist, &pos)) return Fail(ERROR_INVALID_PARAMETER, false);
  if (pos < 0) return Fail(ERROR_NEGATIVE_SEEK, false);
  if (pos > maxPos) return Fail(ERROR_INVALID_PARAMETER, false);
  if (lseek(f.fd, pos, SEEK_SET) < 0) return Fail(ErrnoToError(errno), false);
  *newPos = pos;
  return true;
}

// Windows forbids deleting a file that is open: an open handle holds a flock on it.
bool FileIsOpen(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool busy = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);
  return busy;
}

HANDLE CreateFileCore(const CodePoints& path, DWORD access, DWORD share, DWORD disposition) {
  if (TakeCreateFault(path)) return INVALID_HANDLE_VALUE;
  if (int port = ParseCommName(ToUtf8(path).c_str())) return OpenCommPort(port, access, share, disposition);
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  MappedPath m;
  if (!MapPath(path, MapMode::Plain, &m)) return INVALID_HANDLE_VALUE;
  if (m.isRoot || m.trailingSep) {
    struct stat st;
    if (stat(m.linuxPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    return Fail(m.isRoot ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);
  }
  if (!m.parentExists) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);

  const bool canRead = access & GENERIC_READ;
  const bool canWrite = access & GENERIC_WRITE;
  if (disposition == TRUNCATE_EXISTING && !canWrite) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // Truncating needs a writable descriptor even when the caller asked for reading only.
  const bool openWrite = canWrite || disposition == CREATE_ALWAYS;
  int flags = (canRead && openWrite) ? O_RDWR : openWrite ? O_WRONLY : O_RDONLY;
  // O_NONBLOCK keeps a FIFO in the root from blocking the open; cleared for regular files.
  flags |= O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  const char* p = m.linuxPath.c_str();

  int fd = -1;
  bool existed = false;
  if (disposition == CREATE_NEW) {
    fd = open(p, flags | O_CREAT | O_EXCL, 0666);
  } else if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
    // Tell "created" from "opened" without a race: exclusive create first, then open.
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
      fd = open(p, flags | O_CREAT | O_EXCL, 0666);
      if (fd >= 0 || errno != EEXIST) break;
      fd = open(p, flags);
      existed = fd >= 0;
      if (fd < 0 && errno != ENOENT) break;
    }
  } else {
    fd = open(p, flags);
    existed = fd >= 0;
  }
  if (fd < 0) return Fail(PathErrno(errno, m), INVALID_HANDLE_VALUE);

  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // flock belongs to the open file description: it excludes other handles in this process and
  // opens in other processes alike.
  if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    int err = errno;
    close(fd);
    return Fail(err == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : ErrnoToError(err), INVALID_HANDLE_VALUE);
  }
  // Truncate only once the lock is held, so a refused open never empties another's file.
  if ((disposition == CREATE_ALWAYS && existed) || disposition == TRUNCATE_EXISTING) {
    if (ftruncate(fd, 0) != 0) {
      int err = errno;
      close(fd);
      return Fail(ErrnoToError(err), INVALID_HANDLE_VALUE);
    }
  }
  HANDLE h = InsertHandle(std::make_shared<FileObject>(fd, canRead, canWrite));
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  }
  return h;
}

BOOL DeleteFileCore(const CodePoints& path) {
  MappedPath m;
  if (!MapPath(path, MapMode::Plain, &m)) return FALSE;
  struct stat st;
  if (m.isRoot || lstat(m.linuxPath.c_str(), &st) != 0) {
    return Fail(m.isRoot ? ERROR_ACCESS_DENIED : PathErrno(errno, m), FALSE);
  }
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (FileIsOpen(m.linuxPath)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (unlink(m.linuxPath.c_str()) != 0) return Fail(PathErrno(errno, m), FALSE);
  return TRUE;
}

BOOL MoveFileCore(const CodePoints& from, const CodePoints& to, DWORD flags) {
  MappedPath src, dst;
  if (!MapPath(from, MapMode::Plain, &src) || !MapPath(to, MapMode::Plain, &dst)) return FALSE;
  struct stat sst, dstSt;
  if (src.isRoot || lstat(src.linuxPath.c_str(), &sst) != 0) {
    return Fail(src.isRoot ? ERROR_ACCESS_DENIED : PathErrno(errno, src), FALSE);
  }
  if (dst.isRoot) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!dst.parentExists) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  std::string target = dst.linuxPath;
  if (lstat(target.c_str(), &dstSt) == 0) {
    if (dstSt.st_dev == sst.st_dev && dstSt.st_ino == sst.st_ino) {
      // The target names the source itself (case-insensitively): a change of spelling.
      target = dst.parent + "/" + dst.leafSpelled;
      if (target == src.linuxPath) return TRUE;
    } else if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      return Fail(ERROR_ALREADY_EXISTS, FALSE);
    } else if (S_ISDIR(dstSt.st_mode)) {
      return Fail(ERROR_ACCESS_DENIED, FALSE);
    }
  }
  // rename(2) replaces atomically; without the flag the target must not appear meanwhile.
  int rc = (flags & MOVEFILE_REPLACE_EXISTING)
               ? rename(src.linuxPath.c_str(), target.c_str())
               : renameat2(AT_FDCWD, src.linuxPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && errno == EINVAL && !(flags & MOVEFILE_REPLACE_EXISTING)) {
    rc = rename(src.linuxPath.c_str(), target.c_str());  // file system without RENAME_NOREPLACE
  }
  if (rc != 0) {
    int err = errno;
    return Fail(err == EEXIST ? ERROR_ALREADY_EXISTS : err == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToError(err),
                FALSE);
  }
  return TRUE;
}

}  // namespace

// ---- Harness hooks ---------------------------------------------------------------------------

void AddCreateFileFault(const CodePoints& glob, DWORD error, int count) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_createFaults.push_back({glob, error, count});
}

void SetWriteBudget(uint64_t bytes, DWORD error) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_writeBudgetOn = true;
  g_writeBudget = bytes;
  g_writeError = error;
}

void SetFlushFaults(int count, DWORD error) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_flushFaults = count;
  g_flushError = error;
}

void ClearFileFaults() {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_createFaults.clear();
  g_flushFaults = 0;
  g_flushError = ERROR_GEN_FAILURE;
  g_writeBudgetOn = false;
  g_writeBudget = 0;
  g_writeError = ERROR_DISK_FULL;
}

}  // namespace plat::detail

using plat::detail::Fail;
using plat::detail::FileObject;
using plat::detail::LookupFile;

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (!path) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  return plat::detail::CreateFileCore(plat::detail::FromWide(path), access, share, disposition);
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (!path) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  return plat::detail::CreateFileCore(plat::detail::FromCp1252(path), access, share, disposition);
}

namespace {

BOOL ReadFileCore(HANDLE h, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED ov) {
  DWORD ignored = 0;
  if (!got) got = &ignored;
  *got = 0;
  if (ov) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (plat::detail::IsPort(h)) return plat::detail::CommReadFile(h, buf, n, got);
  auto f = LookupFile(h);
  if (!f) return FALSE;
  if (!f->canRead) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!buf && n) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(f->mu);
  size_t done = 0;
  bool ok = plat::detail::ReadAll(f->fd, static_cast<uint8_t*>(buf), n, &done, nullptr);
  *got = static_cast<DWORD>(done);
  return ok ? TRUE : FALSE;
}

BOOL WriteFileCore(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED ov) {
  DWORD ignored = 0;
  if (!put) put = &ignored;
  *put = 0;
  if (ov) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (plat::detail::IsPort(h)) return plat::detail::CommWriteFile(h, buf, n, put);
  auto f = LookupFile(h);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!buf && n) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(f->mu);
  size_t done = 0;
  bool ok = plat::detail::WriteAll(f->fd, static_cast<const uint8_t*>(buf), n, &done);
  *put = static_cast<DWORD>(done);
  return ok ? TRUE : FALSE;
}

}  // namespace

BOOL ReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED ov) {
  plat::detail::ParkPoint();
  BOOL ok = ReadFileCore(h, buf, n, got, ov);
  plat::detail::ParkPoint();
  return ok;
}

BOOL WriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED ov) {
  plat::detail::ParkPoint();
  BOOL ok = WriteFileCore(h, buf, n, put, ov);
  plat::detail::ParkPoint();
  return ok;
}

DWORD SetFilePointer(HANDLE h, LONG dist, PLONG distHigh, DWORD method) {
  auto f = LookupFile(h);
  if (!f) return INVALID_SET_FILE_POINTER;
  int64_t d = distHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distHigh)) << 32) |
                                              static_cast<uint32_t>(dist))
                       : static_cast<int64_t>(dist);
  // Without a high part the result must fit the 32-bit return value.
  int64_t maxPos = distHigh ? INT64_MAX : static_cast<int64_t>(UINT32_MAX - 1);
  std::lock_guard<std::mutex> lock(f->mu);
  int64_t pos = 0;
  if (!plat::detail::Seek(*f, d, method, maxPos, &pos)) return INVALID_SET_FILE_POINTER;
  if (distHigh) {
    *distHigh = static_cast<LONG>(static_cast<uint64_t>(pos) >> 32);
    // A low part equal to the failure value: the caller tells success by the cleared code.
    if (static_cast<uint32_t>(pos) == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  }
  return static_cast<DWORD>(pos);
}

BOOL SetFilePointerEx(HANDLE h, LARGE_INTEGER dist, PLARGE_INTEGER newPos, DWORD method) {
  auto f = LookupFile(h);
  if (!f) return FALSE;
  std::lock_guard<std::mutex> lock(f->mu);
  int64_t pos = 0;
  if (!plat::detail::Seek(*f, dist.QuadPart, method, INT64_MAX, &pos)) return FALSE;
  if (newPos) newPos->QuadPart = pos;
  return TRUE;
}

DWORD GetFileSize(HANDLE h, LPDWORD high) {
  auto f = LookupFile(h);
  if (!f) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(f->fd, &st) != 0) return Fail(plat::detail::ErrnoToError(errno), INVALID_FILE_SIZE);
  auto size = static_cast<uint64_t>(st.st_size);
  if (high) {
    *high = static_cast<DWORD>(size >> 32);
    if (static_cast<uint32_t>(size) == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  }
  return static_cast<DWORD>(size);
}

BOOL SetEndOfFile(HANDLE h) {
  auto f = LookupFile(h);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED, FALSE);
  std::lock_guard<std::mutex> lock(f->mu);
  off_t pos = lseek(f->fd, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(f->fd, pos) != 0) return Fail(plat::detail::ErrnoToError(errno), FALSE);
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE h) {
  auto f = LookupFile(h);
  if (!f) return FALSE;
  DWORD faultError = ERROR_SUCCESS;
  if (plat::detail::TakeFlushFault(&faultError)) return Fail(faultError, FALSE);
  if (fdatasync(f->fd) != 0) return Fail(plat::detail::ErrnoToError(errno), FALSE);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  if (!path) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::DeleteFileCore(plat::detail::FromWide(path));
}

BOOL DeleteFileA(LPCSTR path) {
  if (!path) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::DeleteFileCore(plat::detail::FromCp1252(path));
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (!from || !to) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::MoveFileCore(plat::detail::FromWide(from), plat::detail::FromWide(to), flags);
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  if (!from || !to) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::MoveFileCore(plat::detail::FromCp1252(from), plat::detail::FromCp1252(to), flags);
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) { return MoveFileExW(from, to, 0); }
BOOL MoveFileA(LPCSTR from, LPCSTR to) { return MoveFileExA(from, to, 0); }

namespace plat {

BOOL ReadAt(HANDLE h, uint64_t offset, LPVOID buf, DWORD n, LPDWORD got) {
  DWORD ignored = 0;
  if (!got) got = &ignored;
  *got = 0;
  auto f = LookupFile(h);
  if (!f) return FALSE;
  if (!f->canRead) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if ((!buf && n) || offset > static_cast<uint64_t>(INT64_MAX) - n) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(f->mu);
  size_t done = 0;
  auto at = static_cast<int64_t>(offset);
  bool ok = detail::ReadAll(f->fd, static_cast<uint8_t*>(buf), n, &done, &at);
  *got = static_cast<DWORD>(done);
  return ok ? TRUE : FALSE;
}

BOOL AppendAtEnd(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put, uint64_t* at) {
  DWORD ignored = 0;
  if (!put) put = &ignored;
  *put = 0;
  auto f = LookupFile(h);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!buf && n) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(f->mu);
  const off_t end = lseek(f->fd, 0, SEEK_END);
  if (end < 0) return Fail(detail::ErrnoToError(errno), FALSE);
  if (at) *at = static_cast<uint64_t>(end);
  size_t done = 0;
  bool ok = detail::WriteAll(f->fd, static_cast<const uint8_t*>(buf), n, &done);
  *put = static_cast<DWORD>(done);
  return ok ? TRUE : FALSE;
}

}  // namespace plat
