// Handheld shell stand-ins: the task bar and input-panel button windows (recorded visibility,
// never drawn, never active), the panel preference recorder and the command-bar height; and the
// window-call hooks that reach them and the proxies of other instances.
#include <aygshell.h>

#include <deque>
#include <mutex>

#include "core.h"
#include "foreign_windows.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

struct ShellWindow {
  HWND hwnd = nullptr;
  const wchar_t* cls;
  const wchar_t* title;
  bool visible = true;
};

constexpr size_t kMaxSipCalls = 1024;

std::mutex g_mu;
// Made on first use in the handheld profile; a reset makes fresh ones, visible again.
ShellWindow g_shellWindows[2] = {{nullptr, L"HHTaskBar", L"", true}, {nullptr, L"MS_SIPBUTTON", L"MS_SIPBUTTON", true}};
std::deque<SipCall>& g_sip = *new std::deque<SipCall>;  // never destroyed: workers may call late
int g_panel = SIP_DOWN;

bool Handheld() { return CurrentProfile() == Profile::Handheld; }

// With g_mu held: the stand-in behind h, or nullptr (none outside the handheld profile).
ShellWindow* ShellLocked(HWND h) {
  if (!h || !Handheld()) return nullptr;
  for (ShellWindow& w : g_shellWindows) {
    if (w.hwnd == h) return &w;
  }
  return nullptr;
}

void MakeLocked() {
  for (ShellWindow& w : g_shellWindows) {
    if (!w.hwnd) w.hwnd = reinterpret_cast<HWND>(NextHandleValue());
  }
}

}  // namespace

HWND FindForeignWindow(const std::wstring* cls, const std::wstring* title) {
  if (Handheld()) {
    std::lock_guard<std::mutex> lock(g_mu);
    MakeLocked();
    for (const ShellWindow& w : g_shellWindows) {
      if (cls && !EqualsIgnoringCase(*cls, w.cls)) continue;
      if (title && *title != w.title) continue;
      return w.hwnd;
    }
  }
  // Only a class lookup reaches other processes.
  if (cls && !title && !cls->empty()) return FindOtherInstance(*cls);
  return nullptr;
}

bool IsForeignWindow(HWND h) {
  {
    std::lock_guard<std::mutex> lock(g_mu);
    if (ShellLocked(h)) return true;
  }
  return IsLiveInstanceProxy(h);
}

bool ShowForeignWindow(HWND h, int cmd, BOOL* previous) {
  std::lock_guard<std::mutex> lock(g_mu);
  ShellWindow* w = ShellLocked(h);
  if (!w) return false;
  *previous = w->visible ? TRUE : FALSE;
  w->visible = cmd != SW_HIDE;
  return true;
}

bool ForeignWindowVisible(HWND h, BOOL* visible) {
  std::lock_guard<std::mutex> lock(g_mu);
  ShellWindow* w = ShellLocked(h);
  if (!w) return false;
  *visible = w->visible ? TRUE : FALSE;
  return true;
}

bool SetForegroundForeign(HWND h, BOOL* result) {
  bool sent = false;
  if (!ActivateInstanceProxy(h, &sent)) return false;
  if (!sent) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  *result = sent ? TRUE : FALSE;
  return true;
}

bool TaskBarVisibleNow() {
  std::lock_guard<std::mutex> lock(g_mu);
  return Handheld() && g_shellWindows[0].visible;
}

bool SipButtonVisibleNow() {
  std::lock_guard<std::mutex> lock(g_mu);
  return Handheld() && g_shellWindows[1].visible;
}

std::vector<SipCall> SipCallLog() {
  std::lock_guard<std::mutex> lock(g_mu);
  return {g_sip.begin(), g_sip.end()};
}

int SipPanelState() {
  std::lock_guard<std::mutex> lock(g_mu);
  return g_panel;
}

void ResetShell() {
  std::lock_guard<std::mutex> lock(g_mu);
  for (ShellWindow& w : g_shellWindows) {
    w.hwnd = nullptr;
    w.visible = true;
  }
  g_sip.clear();
  g_panel = SIP_DOWN;
}

}  // namespace plat::detail

BOOL SHSipPreference(HWND hwnd, SIPSTATE state) {
  const int s = static_cast<int>(state);
  if (s != SIP_UP && s != SIP_DOWN && s != SIP_FORCEDOWN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(plat::detail::g_mu);
  if (plat::detail::g_sip.size() == plat::detail::kMaxSipCalls) plat::detail::g_sip.pop_front();
  plat::detail::g_sip.push_back(plat::detail::SipCall{hwnd, s});
  plat::detail::g_panel = s;
  return TRUE;
}

int CommandBar_Height(HWND) { return 0; }
