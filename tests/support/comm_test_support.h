// Test helpers for comm ports: open COMn as the programs do, read and write without overlap.
#pragma once

#include <windows.h>

#include <cwchar>

namespace plat::test {

inline HANDLE OpenCom(int n) {
  wchar_t name[16];
  swprintf(name, 16, L"COM%d:", n);
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}
inline BOOL ReadPort(HANDLE h, void* buf, DWORD n, DWORD* got) { return ReadFile(h, buf, n, got, nullptr); }
inline BOOL WritePort(HANDLE h, const void* buf, DWORD n, DWORD* put) {
  return WriteFile(h, buf, n, put, nullptr);
}

}  // namespace plat::test
