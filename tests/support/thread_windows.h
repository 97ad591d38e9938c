// Helpers of the reader-thread tests of both programs: starting and joining threads, closing a
// port field as the end of a run does, and serving the test UI thread's messages while readers
// send to its windows.
#pragma once

#include <windows.h>
#include <plat/kernel.h>

#include <atomic>
#include <functional>

namespace test_support {

inline HANDLE StartThread(LPTHREAD_START_ROUTINE proc) { return CreateThread(nullptr, 0, proc, nullptr, 0, nullptr); }

// Closes the port in a LinkState field and sets the field invalid, as the end of a run does.
inline void ClosePortField(std::atomic<HANDLE>& field) {
  const HANDLE h = field.exchange(INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Waits (serving sends) for the thread to end; true when it ended with 0. Closes the handle.
inline bool JoinThread(HANDLE thread, DWORD limitMs = 30000) {
  if (thread == nullptr) return false;
  const bool ended = plat::WaitServicingSends(thread, limitMs) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return ended && code == 0;
}

// The timers of PumpUntil on its window: kPumpTimer keeps the loop turning every 10 ms; the
// window's WM_TIMER with kUserTimer is the caller's periodic work.
constexpr UINT_PTR kPumpTimer = 77;
constexpr UINT_PTR kUserTimer = 78;

// Retrieves and dispatches messages (so the readers' sends and paints are served) until pred holds
// or limitMs have passed on the platform clock; with userTimerMs above 0 the window also gets
// kUserTimer at that period. Returns pred().
inline bool PumpUntil(HWND window, const std::function<bool()>& pred, DWORD limitMs, DWORD userTimerMs = 0) {
  const DWORD start = GetTickCount();
  SetTimer(window, kPumpTimer, 10, nullptr);
  if (userTimerMs > 0) SetTimer(window, kUserTimer, userTimerMs, nullptr);
  MSG m;
  while (!pred() && GetTickCount() - start < limitMs) {
    if (GetMessageW(&m, nullptr, 0, 0) <= 0) break;
    DispatchMessageW(&m);
  }
  KillTimer(window, kPumpTimer);
  KillTimer(window, kUserTimer);
  return pred();
}

}  // namespace test_support
