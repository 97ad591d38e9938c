// A test stand-in for the logging window that the instrument readers address: it records every
// reading message (WM_READING, WM_ZOL12_READING, WM_RZ27MK2_READING) with the kept frame and its
// tick, and hands WM_ZOL12_READING on to the default procedure (which returns 0) as the logging
// window does. It lives on the thread that creates it, the test's UI thread.
#pragma once

#include <windows.h>
#include <plat/kernel.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/state.h"
#include "reader_threads.h"

namespace desktop::test {

struct Reading {
  UINT msg = 0;
  DWORD tick = 0;          // GetTickCount in the handler
  uint32_t frameTick = 0;  // LinkState.lastFrameTick
  std::string bytes;       // LinkState.frame's LinkState.frameLength kept bytes
  bool nulAfter = false;   // LinkState.frame holds a NUL after them
};

class ReaderWindow {
 public:
  ReaderWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "TestReaderLoggingWnd";
    RegisterClassA(&wc);
    Current() = this;
    hwnd_ = CreateWindowExA(0, "TestReaderLoggingWnd", "Logging", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                            nullptr);
    AppWindows.loggingWnd = hwnd_;
  }
  ~ReaderWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    AppWindows.loggingWnd = nullptr;
    Current() = nullptr;
  }
  ReaderWindow(const ReaderWindow&) = delete;
  ReaderWindow& operator=(const ReaderWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  const std::vector<Reading>& readings() const { return readings_; }
  std::vector<std::string> Bytes() const {
    std::vector<std::string> out;
    for (const Reading& r : readings_) out.push_back(r.bytes);
    return out;
  }
  // Results of the default procedure for the messages it was handed.
  std::vector<LRESULT> defaultResults;

  // Run after each reading is recorded, and every timerMs while pumping.
  std::function<void()> onReading;
  std::function<void()> onTimer;
  DWORD timerMs = 10;

  // Retrieves and dispatches messages (so the readers' sends are served) until pred holds or
  // limitMs have passed on the platform clock. Returns pred().
  bool PumpUntil(const std::function<bool()>& pred, DWORD limitMs) {
    return test_support::PumpUntil(hwnd_, pred, limitMs, onTimer ? timerMs : 0);
  }
  void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
  }
  bool PumpReadings(size_t n, DWORD limitMs) {
    return PumpUntil([&] { return readings_.size() >= n; }, limitMs);
  }

 private:
  static ReaderWindow*& Current() {
    static ReaderWindow* current = nullptr;
    return current;
  }
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    ReaderWindow* self = Current();
    if (self && msg == WM_TIMER) {
      if (w == test_support::kUserTimer && self->onTimer) self->onTimer();
      return 0;
    }
    if (self && (msg == WM_READING || msg == WM_ZOL12_READING || msg == WM_RZ27MK2_READING)) {
      Reading r;
      r.msg = msg;
      r.tick = GetTickCount();
      r.frameTick = LinkState.lastFrameTick.load();
      const int n = LinkState.frameLength.load();
      r.bytes.assign(reinterpret_cast<const char*>(LinkState.frame), static_cast<size_t>(n));
      r.nulAfter = LinkState.frame[n] == 0;
      self->readings_.push_back(r);
      if (self->onReading) self->onReading();
      if (msg == WM_ZOL12_READING) {
        // The logging window has no row for it: the default procedure answers.
        self->defaultResults.push_back(DefWindowProcA(h, msg, w, l));
        return self->defaultResults.back();
      }
      return 0;
    }
    return DefWindowProcA(h, msg, w, l);
  }

  HWND hwnd_ = nullptr;
  std::vector<Reading> readings_;
};

}  // namespace desktop::test
