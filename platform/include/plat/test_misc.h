// Test API of the recorded stand-ins and the process exit.
#pragma once

#include "plat/testing.h"

#include <cstdint>
#include <vector>

namespace plat::test {

// What GetSystemPowerStatusEx2 reports as BatteryLifePercent: 0..100, or 255 (unknown) for anything
// above 100. A negative value reads the system battery again (the state after Reset).
void SetBatteryPercent(int percent);

struct Beep {
  UINT type;
  DWORD tick;  // GetTickCount at the call
};
// Every MessageBeep since the last Reset, oldest first (the log keeps the latest 1024).
std::vector<Beep> Beeps();

// SystemIdleTimerReset calls since the last Reset.
uint64_t IdleTimerResets();

// What the program released, in call order: every CloseHandle that closed a file, port or thread
// handle, and every KillTimer that stopped a timer, since the last Reset (the log keeps the latest
// 1024). Handles retired by Reset itself are not logged.
enum class ReleaseKind { File, Port, Thread, Timer };
struct ReleaseRecord {
  ReleaseKind kind;
  HANDLE handle;     // File, Port, Thread
  HWND window;       // Timer
  UINT_PTR timerId;  // Timer
};
std::vector<ReleaseRecord> Releases();

}  // namespace plat::test
