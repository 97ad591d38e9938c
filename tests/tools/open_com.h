// Opens a COM port through the layer, as the programs do, with the read time-outs given and the
// GPS port's write time-outs (100 ms per byte, 100 ms).
#pragma once

#include <windows.h>

inline HANDLE OpenCom(const wchar_t* name, DWORD interval, DWORD mult, DWORD constant) {
  HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  COMMTIMEOUTS t{interval, mult, constant, 100, 100};
  SetCommTimeouts(h, &t);
  return h;
}
