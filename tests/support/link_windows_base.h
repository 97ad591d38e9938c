// Test stand-ins for the windows the reader threads of either program address: a logging window
// that records every reading message and GPS sentence with what it was handed, and a GPS monitor
// window that records every paint. Both live on the thread that creates them, which is then the
// UI thread of the test. Each program's test support gives the hooks that read its own state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "thread_windows.h"

namespace test_support {

// One message as the logging window's handler saw it.
struct Announcement {
  UINT msg = 0;
  DWORD tick = 0;             // GetTickCount in the handler
  uint32_t frameTick = 0;     // LinkState.lastFrameTick (reading messages)
  std::string bytes;          // LinkState.frame's kept bytes, or GpsState.sentence
  int32_t valid = 0;          // GpsState.sentenceValid
  uint32_t sentenceTick = 0;  // GpsState.sentenceTick, where the program keeps one
};

// One paint of the monitor window.
struct MonitorPaint {
  DWORD tick = 0;
  std::string sentence;  // GpsState.sentence
  std::wstring wide;     // GpsState.sentenceWide, where the program keeps one
  std::string line;      // GpsMonitor.line, where the program keeps one
  int32_t valid = 0;     // GpsState.sentenceValid
};

// What a program's state holds at a message or a paint.
struct LinkHooks {
  UINT gpsMessage = 0;
  bool (*isReading)(UINT msg) = nullptr;
  void (*atMessage)(Announcement* a) = nullptr;  // a->msg set: fills what the handler was handed
  void (*atPaint)(MonitorPaint* p) = nullptr;    // then, when set, afterPaint (the paint's own step)
  void (*afterPaint)() = nullptr;
  void (*setWindows)(HWND logging, HWND monitor) = nullptr;  // AppWindows.loggingWnd, .monitorGpsWnd
};

class LinkWindowsBase {
 public:
  // Registers the classes and creates both windows (visible, so that they can be repainted), the
  // logging window `loggingWidth` x `loggingHeight`, and points the program's windows at them.
  explicit LinkWindowsBase(const LinkHooks& hooks, int loggingWidth = 100, int loggingHeight = 100) : hooks_(hooks) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LoggingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"TestLoggingWnd";
    RegisterClassW(&wc);
    wc.lpfnWndProc = MonitorProc;
    wc.lpszClassName = L"TestMonitorGpsWnd";
    RegisterClassW(&wc);
    current_ = this;
    logging_ = CreateWindowExW(0, L"TestLoggingWnd", L"Logging", WS_POPUP | WS_VISIBLE, 0, 0, loggingWidth,
                               loggingHeight, nullptr, nullptr, nullptr, nullptr);
    monitor_ = CreateWindowExW(0, L"TestMonitorGpsWnd", L"Monitor GPS", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, nullptr, nullptr);
    hooks_.setWindows(logging_, monitor_);
    // The first paints, which showing the windows asks for, are not the readers'.
    UpdateWindow(logging_);
    UpdateWindow(monitor_);
    paints_.clear();
  }
  ~LinkWindowsBase() {
    if (IsWindow(monitor_)) DestroyWindow(monitor_);
    if (IsWindow(logging_)) DestroyWindow(logging_);
    hooks_.setWindows(nullptr, nullptr);
    current_ = nullptr;
  }
  LinkWindowsBase(const LinkWindowsBase&) = delete;
  LinkWindowsBase& operator=(const LinkWindowsBase&) = delete;

  HWND logging() const { return logging_; }
  HWND monitor() const { return monitor_; }

  // Everything seen so far, oldest first. Read on the UI thread.
  const std::vector<Announcement>& announced() const { return announced_; }
  const std::vector<MonitorPaint>& paints() const { return paints_; }
  // Reading messages only.
  size_t Readings() const {
    size_t n = 0;
    for (const Announcement& a : announced_) n += hooks_.isReading(a.msg) ? 1 : 0;
    return n;
  }

  // Extra work of the logging window's handler after it has recorded a message (for instance a
  // Go or Pause), and of its WM_TIMER.
  std::function<void(UINT msg)> onMessage;
  std::function<void()> onTimer;
  DWORD timerMs = 10;  // onTimer's period, from the start of each pump

  // Retrieves and dispatches messages (so the readers' sends and paints are served) until pred
  // holds or limitMs have passed on the platform clock. Returns pred().
  bool PumpUntil(const std::function<bool()>& pred, DWORD limitMs) {
    return test_support::PumpUntil(logging_, pred, limitMs, onTimer ? timerMs : 0);
  }
  // Serves messages for ms on the platform clock.
  void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
  }

 private:
  static LRESULT CALLBACK LoggingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    LinkWindowsBase* self = current_;
    if (self && msg == WM_TIMER) {
      if (w == kUserTimer && self->onTimer) self->onTimer();
      return 0;
    }
    if (self && (self->hooks_.isReading(msg) || msg == self->hooks_.gpsMessage)) {
      Announcement a;
      a.msg = msg;
      a.tick = GetTickCount();
      self->hooks_.atMessage(&a);
      self->announced_.push_back(a);
      if (self->onMessage) self->onMessage(msg);
      return 0;
    }
    return DefWindowProcW(h, msg, w, l);
  }
  static LRESULT CALLBACK MonitorProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    LinkWindowsBase* self = current_;
    if (self && msg == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      MonitorPaint p;
      p.tick = GetTickCount();
      self->hooks_.atPaint(&p);
      self->paints_.push_back(p);
      if (self->hooks_.afterPaint) self->hooks_.afterPaint();
      EndPaint(h, &ps);
      return 0;
    }
    return DefWindowProcW(h, msg, w, l);
  }

  static inline LinkWindowsBase* current_ = nullptr;
  LinkHooks hooks_;
  HWND logging_ = nullptr;
  HWND monitor_ = nullptr;
  std::vector<Announcement> announced_;
  std::vector<MonitorPaint> paints_;
};

}  // namespace test_support
