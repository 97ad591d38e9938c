// What the common dialogs share: their frame and placement, the extended error, their controls and
// dialog keys; and the harness reset of the dialogs, modules, shell stand-ins and instance locks.
#include "commdlg_internal.h"

#include "foreign_windows.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr int kDesktopWidth = 420;
constexpr int kDesktopHeight = 300;
constexpr UINT kComboGetDroppedState = 0x0157;  // CB_GETDROPPEDSTATE

thread_local DWORD t_error = 0;

bool ClassIs(HWND h, const wchar_t* name) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  return w && EqualsIgnoringCase(w->cls->name, name);
}

// The visible, enabled tab stops of dlg's direct children, in creation order.
std::vector<HWND> TabStops(HWND dlg) {
  std::vector<HWND> out;
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(dlg);
  if (!w) return out;
  for (Window* c : w->children) {
    if ((c->style & WS_TABSTOP) && VisibleLocked(c) && EnabledLocked(c)) out.push_back(c->hwnd);
  }
  return out;
}

}  // namespace

RECT CommonDialogRect() {
  const SIZE s = ScreenSize();
  if (CurrentProfile() == Profile::Handheld) return RECT{0, 0, s.cx, s.cy};
  const LONG x = std::max<LONG>((s.cx - kDesktopWidth) / 2, 0);
  const LONG y = std::max<LONG>((s.cy - kDesktopHeight) / 2, 0);
  return RECT{x, y, x + kDesktopWidth, y + kDesktopHeight};
}

DWORD CommonDialogStyle() {
  const DWORD style = WS_POPUP | WS_CAPTION;
  return CurrentProfile() == Profile::Handheld ? style : style | WS_SYSMENU;
}

DWORD CommonDialogExStyle() { return CurrentProfile() == Profile::Handheld ? WS_EX_CAPTIONOKBTN : 0; }

void SetCommDlgError(DWORD code) { t_error = code; }

HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
}

int FontHeight(HWND h) {
  HDC dc = GetDC(h);
  TEXTMETRICW tm{};
  const int height = dc && GetTextMetricsW(dc, &tm) ? tm.tmHeight : 14;
  if (dc) ReleaseDC(h, dc);
  return height;
}

int TextWidth(HWND h, const wchar_t* text) {
  HDC dc = GetDC(h);
  SIZE size{0, 0};
  if (dc) {
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    ReleaseDC(h, dc);
  }
  return size.cx;
}

bool InsideWindow(HWND dlg, HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> d = FindWindowLocked(dlg);
  std::shared_ptr<Window> w = FindWindowLocked(h);
  return d && w && IsAncestorOf(d.get(), w.get());
}

bool CommonDialogKey(HWND dlg, const MSG& msg, int* command) {
  *command = 0;
  if (msg.message != WM_KEYDOWN || !InsideWindow(dlg, msg.hwnd)) return false;
  const HWND focus = GetFocus();
  const bool openCombo = focus && ClassIs(focus, L"COMBOBOX") && SendMessageW(focus, kComboGetDroppedState, 0, 0);
  switch (msg.wParam) {
    case VK_TAB: {
      const std::vector<HWND> stops = TabStops(dlg);
      if (stops.empty()) return true;
      const bool back = GetKeyState(VK_SHIFT) < 0;
      auto it = std::find(stops.begin(), stops.end(), focus);
      size_t i;
      if (it == stops.end()) {
        i = back ? stops.size() - 1 : 0;
      } else {
        const size_t at = static_cast<size_t>(it - stops.begin());
        i = back ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
      }
      SetFocus(stops[i]);
      return true;
    }
    case VK_RETURN:
      if (openCombo) return false;
      *command = focus && focus != dlg && ClassIs(focus, L"BUTTON") ? GetDlgCtrlID(focus) : IDOK;
      return true;
    case VK_ESCAPE:
      if (openCombo) return false;
      *command = IDCANCEL;
      return true;
    default:
      return false;
  }
}

void ResetCommonDialogs() {
  ResetModules();
  ResetShell();
  ResetInstances();
}

}  // namespace plat::detail

DWORD CommDlgExtendedError() { return plat::detail::t_error; }
