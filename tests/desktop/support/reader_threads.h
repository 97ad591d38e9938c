// Reader threads in tests: their start, the close of a port as the end of a run does it, and the
// join that serves the reader's pending send.
#pragma once

#include <windows.h>
#include <plat/kernel.h>

#include <atomic>

namespace desktop::test {

// Closes the port in a LinkState field, setting the field invalid first as the end of a run does.
inline void ClosePortField(std::atomic<HANDLE>& field) {
  const HANDLE h = field.exchange(INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

inline HANDLE StartThread(LPTHREAD_START_ROUTINE proc) { return CreateThread(nullptr, 0, proc, nullptr, 0, nullptr); }

// Waits (serving sends) for the thread to end; true when it ended with 0. Closes the handle.
inline bool JoinThread(HANDLE thread, DWORD limitMs = 30000) {
  if (thread == nullptr) return false;
  const bool ended = plat::WaitServicingSends(thread, limitMs) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return ended && code == 0;
}

}  // namespace desktop::test
