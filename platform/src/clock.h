// Internals shared by the clock and the thread calls: the per-thread record the waits and the
// virtual clock work on, and the clock controls behind plat::test.
#pragma once

#include "core.h"

namespace plat::detail {

// One per thread that uses the layer. The id never changes; every other field is guarded by
// KernelMutex.
struct ThreadCtx {
  DWORD id = 0;
  bool created = false;   // started by CreateThread: has a handle and can be suspended
  bool platform = false;  // counted by the virtual clock
  bool inWait = false;    // inside KernelWait
  bool pending = false;   // woken (Kick or a clock step) and has not re-checked yet
  bool sleeping = false;  // in a real-clock sleep, which only its deadline or a clock switch ends
  int idle = 0;           // > 0: waiting in the harness (Advance, thread-end wait); counts as blocked
  uint64_t deadline = kNoDeadline;
  bool ended = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD suspendCount = 0;
  const DisplayWaiter* display = nullptr;  // set while the thread waits through its display
  std::condition_variable wake;            // this thread's own wait, so a Kick wakes only waiters
};

// The calling thread's record; made on first use for threads the layer did not start.
ThreadCtx* CurrentThreadCtx();
// CreateThread's start routine makes its prepared record the thread's own.
void AdoptThreadCtx(ThreadCtx* ctx);
// A fresh thread id from the one counter (never 0, never reused).
DWORD NewThreadId();

// With KernelMutex held.
void RegisterLocked(ThreadCtx* ctx);
void UnregisterLocked(ThreadCtx* ctx);  // also lets an auto clock step when the rest is blocked
void ForgetPlatformThreadsLocked();     // harness reset: no thread counts for the clock any more
// Every platform thread is blocked in KernelWait with nothing to re-check, or waits in the harness.
bool QuiescentLocked();
// Waits in real time, with the caller counted as blocked, until pred() or realMs have passed.
// The virtual clock may step meanwhile (auto mode). Returns pred()'s last value.
bool HarnessWaitLocked(std::unique_lock<std::mutex>& lk, uint32_t realMs, const std::function<bool()>& pred);

// Harness: while held (calls nest), the auto clock does not step by itself, so a harness wait can
// see every thread blocked before time moves on. With KernelMutex held.
void HoldAutoStepLocked(bool hold);

// The local calendar as ms since 1970-01-01 and back (no time zone; out-of-range fields carry,
// the month is held to 1..12). MsToSystemTime fills the day of the week.
int64_t SystemTimeToMs(const SYSTEMTIME& st);
void MsToSystemTime(int64_t ms, SYSTEMTIME* st);

// Clock controls (plat::test wraps these).
enum class ClockKind { Real, Manual, Auto };
void UseClock(ClockKind kind, uint32_t startTick, const SYSTEMTIME& startLocalTime);
void AdvanceClock(uint32_t ms);
void SetTickValue(uint32_t tick);
void SetLocalTimeValue(const SYSTEMTIME& st);
void SetTickStartValue(uint32_t start);

}  // namespace plat::detail
