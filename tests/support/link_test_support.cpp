#include "link_test_support.h"

#include "engine/readers.h"
#include "engine/state.h"

namespace handheld::test {

namespace {

LinkWindows* g_current = nullptr;
constexpr UINT_PTR kPumpTimer = 77;
constexpr UINT_PTR kUserTimer = 78;

bool IsReading(UINT msg) { return msg == WM_READING || msg == WM_ZOL12_READING || msg == WM_RZ27MK2_READING; }

}  // namespace

LinkWindows::LinkWindows() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"TestLoggingWnd";
  RegisterClassW(&wc);
  wc.lpfnWndProc = MonitorProc;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"TestMonitorGpsWnd";
  RegisterClassW(&wc);
  g_current = this;
  logging_ = CreateWindowExW(0, L"TestLoggingWnd", L"Logging", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                             nullptr, nullptr, nullptr);
  monitor_ = CreateWindowExW(0, L"TestMonitorGpsWnd", L"Monitor GPS", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
  AppWindows.loggingWnd = logging_;
  AppWindows.monitorGpsWnd = monitor_;
  // The first paints, which showing the windows asks for, are not the readers'.
  UpdateWindow(logging_);
  UpdateWindow(monitor_);
  paints_.clear();
}

LinkWindows::~LinkWindows() {
  if (IsWindow(monitor_)) DestroyWindow(monitor_);
  if (IsWindow(logging_)) DestroyWindow(logging_);
  AppWindows.loggingWnd = nullptr;
  AppWindows.monitorGpsWnd = nullptr;
  g_current = nullptr;
}

size_t LinkWindows::Readings() const {
  size_t n = 0;
  for (const Announcement& a : announced_) n += IsReading(a.msg) ? 1 : 0;
  return n;
}

LRESULT CALLBACK LinkWindows::LoggingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  LinkWindows* self = g_current;
  if (self && msg == WM_TIMER) {
    if (w == kUserTimer && self->onTimer) self->onTimer();
    return 0;
  }
  if (self && (IsReading(msg) || msg == WM_GPS_SENTENCE)) {
    Announcement a;
    a.msg = msg;
    a.tick = GetTickCount();
    if (msg == WM_GPS_SENTENCE) {
      a.bytes = GpsState.sentence;
      a.valid = GpsState.sentenceValid;
    } else {
      a.frameTick = LinkState.lastFrameTick.load();
      a.bytes.assign(reinterpret_cast<const char*>(LinkState.frame), static_cast<size_t>(LinkState.frameLength));
    }
    self->announced_.push_back(a);
    if (self->onMessage) self->onMessage(msg);
    return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

LRESULT CALLBACK LinkWindows::MonitorProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  LinkWindows* self = g_current;
  if (self && msg == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    self->paints_.push_back(MonitorPaint{GetTickCount(), GpsState.sentence, GpsState.sentenceWide});
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, msg, w, l);
}

bool LinkWindows::PumpUntil(const std::function<bool()>& pred, DWORD limitMs) {
  const DWORD start = GetTickCount();
  SetTimer(logging_, kPumpTimer, 10, nullptr);
  if (onTimer) SetTimer(logging_, kUserTimer, timerMs, nullptr);
  MSG m;
  while (!pred() && GetTickCount() - start < limitMs) {
    if (GetMessageW(&m, nullptr, 0, 0) <= 0) break;
    DispatchMessageW(&m);
  }
  KillTimer(logging_, kPumpTimer);
  KillTimer(logging_, kUserTimer);
  return pred();
}

void LinkWindows::PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

HANDLE StartThread(LPTHREAD_START_ROUTINE proc) { return CreateThread(nullptr, 0, proc, nullptr, 0, nullptr); }

void ClosePort(std::atomic<HANDLE>& field) {
  const HANDLE h = field.exchange(INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

bool JoinThread(HANDLE thread, DWORD limitMs) {
  if (thread == nullptr) return false;
  const bool ended = plat::WaitServicingSends(thread, limitMs) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return ended && code == 0;
}

}  // namespace handheld::test
