// Shared pieces of the window tests: a recording window class and a fixture that resets the layer.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace wintest {

// One message a test window saw.
struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Per-window behaviour: a handler may answer a message (return true and set *result) before the
// default processing. Everything the windows see is logged, in order, from any thread.
struct Recorder {
  std::mutex mutex;
  std::vector<Seen> log;
  std::map<UINT, std::function<bool(HWND, WPARAM, LPARAM, LRESULT*)>> handlers;

  std::vector<Seen> Of(UINT msg) {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Seen> out;
    for (const Seen& s : log) {
      if (s.msg == msg) out.push_back(s);
    }
    return out;
  }
  std::vector<UINT> Messages(HWND h) {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<UINT> out;
    for (const Seen& s : log) {
      if (s.hwnd == h) out.push_back(s.msg);
    }
    return out;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    log.clear();
  }
};

inline Recorder*& CurrentRecorder() {
  static Recorder* r = nullptr;
  return r;
}

inline LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  Recorder* r = CurrentRecorder();
  std::function<bool(HWND, WPARAM, LPARAM, LRESULT*)> handler;
  if (r) {
    std::lock_guard<std::mutex> lock(r->mutex);
    r->log.push_back(Seen{h, msg, w, l});
    auto it = r->handlers.find(msg);
    if (it != r->handlers.end()) handler = it->second;
  }
  LRESULT result = 0;
  if (handler && handler(h, w, l, &result)) return result;
  return DefWindowProcW(h, msg, w, l);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    CurrentRecorder() = &rec;
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"TestWnd";
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  void TearDown() override {
    plat::test::Reset();
    CurrentRecorder() = nullptr;
  }
  // Called first in SetUp; a test may reset again to another profile.
  virtual void Reset() {}

  void On(UINT msg, std::function<bool(HWND, WPARAM, LPARAM, LRESULT*)> f) {
    std::lock_guard<std::mutex> lock(rec.mutex);
    rec.handlers[msg] = std::move(f);
  }

  HWND Top(DWORD style = WS_VISIBLE, RECT r = {0, 0, 100, 80}, const wchar_t* title = L"top") {
    return CreateWindowExW(0, L"TestWnd", title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           nullptr, nullptr, nullptr, nullptr);
  }
  HWND Kid(HWND parent, int id, RECT r, DWORD style = WS_CHILD | WS_VISIBLE) {
    return CreateWindowExW(0, L"TestWnd", L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  }

  Recorder rec;
};

// A platform thread that sends one message to a window (as the reader threads do) and keeps the
// result.
class SendingWorker {
 public:
  void Start(HWND target, UINT msg) {
    target_ = target;
    msg_ = msg;
    thread_ = CreateThread(nullptr, 0, &SendingWorker::Main, this, 0, nullptr);
  }
  // Waits (bounded) until the worker has ended; false when it never started or did not end.
  bool Finish() {
    if (!thread_) return false;
    const bool ended = WaitForSingleObject(thread_, 5000) == WAIT_OBJECT_0;
    CloseHandle(thread_);
    thread_ = nullptr;
    return ended;
  }
  LRESULT Result() const { return result_; }

 private:
  static DWORD WINAPI Main(LPVOID p) {
    auto* w = static_cast<SendingWorker*>(p);
    w->result_ = SendMessageW(w->target_, w->msg_, 0, 0);
    return 0;
  }
  HWND target_ = nullptr;
  UINT msg_ = 0;
  HANDLE thread_ = nullptr;
  std::atomic<LRESULT> result_{0};
};

}  // namespace wintest
