// Test stand-ins for the windows the reader threads address: a logging window that records every
// reading message with what it was handed, and a GPS monitor window that records every paint.
// Both live on the thread that creates them, which is then the UI thread of the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace handheld::test {

// One message as the logging window's handler saw it.
struct Announcement {
  UINT msg = 0;
  DWORD tick = 0;           // GetTickCount in the handler
  uint32_t frameTick = 0;   // LinkState.lastFrameTick (reading messages)
  std::string bytes;        // LinkState.frame's kept bytes, or GpsState.sentence
  int32_t valid = 0;        // GpsState.sentenceValid
};

// One paint of the monitor window.
struct MonitorPaint {
  DWORD tick = 0;
  std::string sentence;      // GpsState.sentence
  std::wstring wide;         // GpsState.sentenceWide
};

class LinkWindows {
 public:
  // Registers the classes and creates both windows (visible, so that they can be repainted),
  // and points AppWindows.loggingWnd and .monitorGpsWnd at them.
  LinkWindows();
  ~LinkWindows();
  LinkWindows(const LinkWindows&) = delete;
  LinkWindows& operator=(const LinkWindows&) = delete;

  HWND logging() const { return logging_; }
  HWND monitor() const { return monitor_; }

  // Everything seen so far, oldest first. Read on the UI thread.
  const std::vector<Announcement>& announced() const { return announced_; }
  const std::vector<MonitorPaint>& paints() const { return paints_; }
  // Reading messages only (WM_READING, WM_ZOL12_READING, WM_RZ27MK2_READING).
  size_t Readings() const;

  // Extra work of the logging window's handler after it has recorded a message (for instance a
  // Go or Pause), and of its WM_TIMER.
  std::function<void(UINT msg)> onMessage;
  std::function<void()> onTimer;
  DWORD timerMs = 10;  // onTimer's period, from the start of each pump

  // Retrieves and dispatches messages (so the readers' sends and paints are served) until pred
  // holds or limitMs have passed on the platform clock. Returns pred().
  bool PumpUntil(const std::function<bool()>& pred, DWORD limitMs);
  // Serves messages for ms on the platform clock.
  void PumpFor(DWORD ms);

 private:
  static LRESULT CALLBACK LoggingProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  static LRESULT CALLBACK MonitorProc(HWND h, UINT msg, WPARAM w, LPARAM l);

  HWND logging_ = nullptr;
  HWND monitor_ = nullptr;
  std::vector<Announcement> announced_;
  std::vector<MonitorPaint> paints_;
};

// Starts a thread procedure with no argument.
HANDLE StartThread(LPTHREAD_START_ROUTINE proc);
// Closes the port in a LinkState field and sets the field invalid, as the end of a run does.
void ClosePort(std::atomic<HANDLE>& field);
// Waits (serving sends) for the thread to end; true when it ended with 0. Closes the handle.
bool JoinThread(HANDLE thread, DWORD limitMs = 30000);

}  // namespace handheld::test
