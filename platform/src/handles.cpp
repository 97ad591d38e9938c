// The one handle table, last-error codes and the layer profile.
#include "core.h"

#include <cerrno>
#include <unordered_map>
#include <vector>

namespace plat::detail {
namespace {

std::mutex g_tableMutex;
std::unordered_map<uintptr_t, std::shared_ptr<Object>> g_table;
uintptr_t g_next = 0x1000;
Profile g_profile = Profile::Handheld;
thread_local DWORD t_lastError = ERROR_SUCCESS;

}  // namespace

uintptr_t NextHandleValue() {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  uintptr_t v = g_next;
  g_next += 4;
  return v;
}

HANDLE InsertHandle(std::shared_ptr<Object> obj) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  uintptr_t v = g_next;
  g_next += 4;
  g_table.emplace(v, std::move(obj));
  return reinterpret_cast<HANDLE>(v);
}

std::shared_ptr<Object> LookupHandle(HANDLE h, Kind kind) {
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_table.find(reinterpret_cast<uintptr_t>(h));
    if (it != g_table.end() && it->second->kind == kind) return it->second;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

bool HandleKind(HANDLE h, Kind* kind) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  auto it = g_table.find(reinterpret_cast<uintptr_t>(h));
  if (it == g_table.end()) return false;
  if (kind) *kind = it->second->kind;
  return true;
}

bool RetireHandle(HANDLE h, Kind* kind) {
  std::shared_ptr<Object> obj;
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_table.find(reinterpret_cast<uintptr_t>(h));
    if (it == g_table.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    obj = std::move(it->second);
    g_table.erase(it);
  }
  if (kind) *kind = obj->kind;
  obj->OnClose();
  return true;
}

size_t RetireAllHandles() {
  std::vector<std::shared_ptr<Object>> all;
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    for (auto& [v, obj] : g_table) all.push_back(std::move(obj));
    g_table.clear();
  }
  for (auto& obj : all) obj->OnClose();
  return all.size();
}

size_t LiveHandleCount() {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  return g_table.size();
}

DWORD ErrnoToError(int err) {
  switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_GEN_FAILURE;
  }
}

Profile CurrentProfile() { return g_profile; }
void SetProfile(Profile p) { g_profile = p; }

}  // namespace plat::detail

DWORD GetLastError() { return plat::detail::t_lastError; }
void SetLastError(DWORD code) { plat::detail::t_lastError = code; }

BOOL CloseHandle(HANDLE h) {
  using plat::detail::Kind;
  using plat::detail::ReleaseOp;
  Kind kind = Kind::File;
  if (!plat::detail::RetireHandle(h, &kind)) return FALSE;
  if (kind == Kind::File || kind == Kind::Port || kind == Kind::Thread) {
    const ReleaseOp op = kind == Kind::File ? ReleaseOp::File : kind == Kind::Port ? ReleaseOp::Port : ReleaseOp::Thread;
    plat::detail::RecordRelease({op, h, nullptr, 0});
  }
  return TRUE;
}
