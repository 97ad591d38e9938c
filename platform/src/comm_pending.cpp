// Stand-ins for modules not yet in this tree. Every definition is weak, so the real one wins.
#include "core.h"

namespace plat::detail {

__attribute__((weak)) HANDLE OpenCommPort(int, DWORD, DWORD, DWORD) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

__attribute__((weak)) BOOL CommReadFile(HANDLE, LPVOID, DWORD, LPDWORD got) {
  if (got) *got = 0;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

__attribute__((weak)) BOOL CommWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD put) {
  if (put) *put = 0;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

__attribute__((weak)) void ResetComm() {}

}  // namespace plat::detail
