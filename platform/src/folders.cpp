// Folders, attributes and searches.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "core.h"
#include "paths.h"

namespace plat::detail {
namespace {

DWORD Attributes(const struct stat& st) {
  DWORD a = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  if ((st.st_mode & 0222) == 0) a |= FILE_ATTRIBUTE_READONLY;
  return a;
}

FILETIME ToFileTime(const struct timespec& t) {
  // 100-ns steps since 1601-01-01.
  constexpr int64_t kEpochDelta = 11644473600LL;
  auto v = static_cast<uint64_t>((static_cast<int64_t>(t.tv_sec) + kEpochDelta) * 10000000LL + t.tv_nsec / 100);
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

struct FoundEntry {
  CodePoints name;  // on-disk spelling
  CodePoints folded;
  std::string raw;
  DWORD attributes;
  uint64_t size;
  FILETIME created, accessed, written;
};

struct FindObject : Object {
  FindObject() : Object(Kind::Find) {}
  std::mutex mu;
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

BOOL CreateDirectoryCore(const CodePoints& path) {
  MappedPath m;
  if (!MapPath(path, MapMode::Plain, &m)) return FALSE;
  struct stat st;
  if (m.isRoot) return Fail(stat(m.linuxPath.c_str(), &st) == 0 ? ERROR_ALREADY_EXISTS : ERROR_PATH_NOT_FOUND, FALSE);
  if (!m.parentExists) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (mkdir(m.linuxPath.c_str(), 0777) != 0) {
    int err = errno;
    return Fail(err == EEXIST ? ERROR_ALREADY_EXISTS : err == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToError(err),
                FALSE);
  }
  return TRUE;
}

BOOL RemoveDirectoryCore(const CodePoints& path) {
  MappedPath m;
  if (!MapPath(path, MapMode::Plain, &m)) return FALSE;
  if (m.isRoot) return Fail(ERROR_ACCESS_DENIED, FALSE);  // never the root or a drive
  if (rmdir(m.linuxPath.c_str()) != 0) {
    int err = errno;
    if (err == ENOTEMPTY || err == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY, FALSE);
    if (err == ENOTDIR && m.parentExists) return Fail(ERROR_DIRECTORY, FALSE);
    return Fail(PathErrno(err, m), FALSE);
  }
  return TRUE;
}

DWORD GetFileAttributesCore(const CodePoints& path) {
  MappedPath m;
  if (!MapPath(path, MapMode::Plain, &m)) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (stat(m.linuxPath.c_str(), &st) != 0) return Fail(PathErrno(errno, m), INVALID_FILE_ATTRIBUTES);
  if (m.trailingSep && !S_ISDIR(st.st_mode)) return Fail(ERROR_INVALID_NAME, INVALID_FILE_ATTRIBUTES);
  return Attributes(st);
}

HANDLE FindFirstCore(const CodePoints& pattern, std::shared_ptr<FindObject>* found) {
  MappedPath m;
  if (!MapPath(pattern, MapMode::Pattern, &m)) return INVALID_HANDLE_VALUE;
  if (!m.parentExists) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  if (m.isRoot || m.trailingSep || m.leaf.empty()) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  DIR* d = opendir(m.parent.c_str());
  if (!d) return Fail(ErrnoToError(errno), INVALID_HANDLE_VALUE);
  auto obj = std::make_shared<FindObject>();
  while (dirent* e = readdir(d)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    FoundEntry fe;
    fe.name = FromUtf8(e->d_name);
    if (fe.name.size() >= MAX_PATH) continue;  // cannot be named through the calls anyway
    if (!WildcardMatch(m.leaf, fe.name, true)) continue;
    std::string full = m.parent + "/" + e->d_name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) continue;
    fe.raw = e->d_name;
    fe.folded = fe.name;
    for (auto& c : fe.folded) c = FoldCase(c);
    fe.attributes = Attributes(st);
    fe.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    fe.created = ToFileTime(st.st_mtim);
    fe.accessed = ToFileTime(st.st_atim);
    fe.written = ToFileTime(st.st_mtim);
    obj->entries.push_back(std::move(fe));
  }
  closedir(d);
  if (obj->entries.empty()) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  std::sort(obj->entries.begin(), obj->entries.end(), [](const FoundEntry& a, const FoundEntry& b) {
    return a.folded != b.folded ? a.folded < b.folded : a.raw < b.raw;
  });
  *found = obj;
  return InsertHandle(obj);
}

template <class FD>
void FillFindData(const FoundEntry& e, FD* fd) {
  fd->dwFileAttributes = e.attributes;
  fd->ftCreationTime = e.created;
  fd->ftLastAccessTime = e.accessed;
  fd->ftLastWriteTime = e.written;
  fd->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  fd->nFileSizeLow = static_cast<DWORD>(e.size);
  size_t i = 0;
  for (; i < e.name.size(); ++i) {
    if constexpr (sizeof(fd->cFileName[0]) == 1) {
      fd->cFileName[i] = ToCp1252(e.name[i]);
    } else {
      fd->cFileName[i] = static_cast<wchar_t>(e.name[i]);
    }
  }
  fd->cFileName[i] = 0;
}

template <class FD>
HANDLE FindFirst(const CodePoints& pattern, FD* fd) {
  if (!fd) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  std::shared_ptr<FindObject> obj;
  HANDLE h = FindFirstCore(pattern, &obj);
  if (h == INVALID_HANDLE_VALUE) return h;
  std::lock_guard<std::mutex> lock(obj->mu);
  FillFindData(obj->entries[obj->next++], fd);
  return h;
}

template <class FD>
BOOL FindNext(HANDLE h, FD* fd) {
  auto obj = Lookup<FindObject>(h, Kind::Find);
  if (!obj) return FALSE;
  if (!fd) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(obj->mu);
  if (obj->next >= obj->entries.size()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  FillFindData(obj->entries[obj->next++], fd);
  return TRUE;
}

}  // namespace
}  // namespace plat::detail

using plat::detail::FromCp1252;
using plat::detail::FromWide;

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::CreateDirectoryCore(FromWide(path));
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::CreateDirectoryCore(FromCp1252(path));
}

BOOL RemoveDirectoryW(LPCWSTR path) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::RemoveDirectoryCore(FromWide(path));
}

BOOL RemoveDirectoryA(LPCSTR path) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, FALSE);
  return plat::detail::RemoveDirectoryCore(FromCp1252(path));
}

DWORD GetFileAttributesW(LPCWSTR path) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, INVALID_FILE_ATTRIBUTES);
  return plat::detail::GetFileAttributesCore(FromWide(path));
}

DWORD GetFileAttributesA(LPCSTR path) {
  if (!path) return plat::detail::Fail(ERROR_INVALID_PARAMETER, INVALID_FILE_ATTRIBUTES);
  return plat::detail::GetFileAttributesCore(FromCp1252(path));
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW fd) {
  if (!pattern) return plat::detail::Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  return plat::detail::FindFirst(FromWide(pattern), fd);
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA fd) {
  if (!pattern) return plat::detail::Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  return plat::detail::FindFirst(FromCp1252(pattern), fd);
}

BOOL FindNextFileW(HANDLE h, LPWIN32_FIND_DATAW fd) { return plat::detail::FindNext(h, fd); }
BOOL FindNextFileA(HANDLE h, LPWIN32_FIND_DATAA fd) { return plat::detail::FindNext(h, fd); }

BOOL FindClose(HANDLE h) {
  if (!plat::detail::Lookup<plat::detail::FindObject>(h, plat::detail::Kind::Find)) return FALSE;
  return plat::detail::RetireHandle(h) ? TRUE : FALSE;
}
