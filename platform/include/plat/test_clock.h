// Test control of the one clock (plat::test::). Linked into test binaries only.
#pragma once
#include "plat/testing.h"

#include <cstdint>

namespace plat::test {

// Real: the system clocks. Manual: virtual time moves only through Advance. Auto: virtual time
// also jumps to the next deadline by itself whenever every platform thread is blocked in a layer
// wait with nothing left to run.
enum class ClockMode { Real, Manual, Auto };

// Starts the clock at startTick and startLocalTime in the given mode. The calling thread counts
// as a platform thread (the UI or test thread) until Reset.
void UseVirtualClock(uint32_t startTick, const SYSTEMTIME& startLocalTime, ClockMode mode = ClockMode::Manual);
// Steps the virtual clock through every deadline up to now + ms, in order, waiting after each step
// until every platform thread has blocked in a layer wait again. Advance(0) only waits for that.
// No effect in real mode.
void Advance(uint32_t ms);
// Sets the tick that GetTickCount reads now; the clock runs on from there.
void SetTick(uint32_t tick);
// Sets the local time that GetLocalTime reads now; it runs on with the clock.
void SetLocalTime(const SYSTEMTIME& st);
// Sets the real-mode tick offset (what PLAT_TICK_START gives); Reset restores the variable's value.
void SetTickStart(uint32_t start);

// Lets the calling thread (one the test started itself) count for the virtual clock, or stop.
void RegisterTestThread();
void UnregisterTestThread();

// A SYSTEMTIME with its day of the week filled in.
SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                          WORD milliseconds = 0);

}  // namespace plat::test
