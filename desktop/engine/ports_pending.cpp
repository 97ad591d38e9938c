#include "engine/ports_pending.h"

#include <windows.h>

#include <cstdio>

#include "engine/state.h"

namespace desktop::pending {

int32_t OpenInstrumentPort() {
  char name[16];
  const int com = SurveySettings.instrumentPort + 1;
  snprintf(name, sizeof name, com < 10 ? "COM%d:" : "\\\\.\\COM%d", com);
  const HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(h, &dcb);
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(h, &dcb);
  COMMTIMEOUTS t{10, 0, 10, 0, 0};
  SetCommTimeouts(h, &t);
  LinkState.instrumentPort.store(h, std::memory_order_release);
  return 1;
}

}  // namespace desktop::pending
