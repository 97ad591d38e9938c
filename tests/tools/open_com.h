// Opens COM n through the layer, as the programs do, with the read time-outs given and the GPS
// port's write time-outs (100 ms per byte, 100 ms).
#pragma once

#include <windows.h>

#include "comm_test_support.h"

inline HANDLE OpenCom(int n, DWORD interval, DWORD mult, DWORD constant) {
  HANDLE h = plat::test::OpenCom(n);
  if (h == INVALID_HANDLE_VALUE) return h;
  COMMTIMEOUTS t{interval, mult, constant, 100, 100};
  SetCommTimeouts(h, &t);
  return h;
}
