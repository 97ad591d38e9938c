// The dialog manager's keys, run by a dialog's modal loop before a key reaches the focused
// control: Tab and Shift+Tab, Enter, Escape and '&' mnemonics. Every other key, the arrows and
// Space included, goes on to the focused control.
#include <vector>

#include "dialog_internal.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

void Command(HWND dlg, int id, HWND control) {
  SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

UINT DlgCode(HWND h, WPARAM key, MSG* msg) {
  return static_cast<UINT>(SendMessageW(h, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(msg)));
}

// The dialog's controls in table order, and the index of the one holding the focus (or -1).
std::vector<HWND> Controls(HWND dlg, HWND focus, int* current) {
  std::vector<HWND> out;
  *current = -1;
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> d = FindWindowLocked(dlg);
  std::shared_ptr<Window> f = FindWindowLocked(focus);
  if (!d) return out;
  for (Window* c : d->children) {
    if (f && IsAncestorOf(c, f.get())) *current = static_cast<int>(out.size());
    out.push_back(c->hwnd);
  }
  return out;
}

bool TakesTab(HWND h) {
  return IsWindowVisible(h) && IsWindowEnabled(h) && (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP);
}

// The next (or previous) visible, enabled tab stop, wrapping; an edit entered this way selects
// all its text.
void MoveByTab(HWND dlg, HWND focus, bool back) {
  int current;
  const std::vector<HWND> list = Controls(dlg, focus, &current);
  const int n = static_cast<int>(list.size());
  if (n == 0) return;
  int i = current >= 0 ? current : (back ? 0 : n - 1);
  for (int step = 0; step < n; ++step) {
    i = back ? (i + n - 1) % n : (i + 1) % n;
    if (!TakesTab(list[static_cast<size_t>(i)])) continue;
    HWND next = list[static_cast<size_t>(i)];
    SetFocus(next);
    if (DlgCode(next, 0, nullptr) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    return;
  }
}

// Enter: the focused push button, else the default button (DM_GETDEFID), else IDOK. A disabled
// button is never pressed.
void Enter(HWND dlg, HWND focus, UINT code) {
  if (focus != dlg && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    Command(dlg, GetDlgCtrlID(focus), focus);
    return;
  }
  const LRESULT def = SendMessageW(dlg, DM_GETDEFID, 0, 0);
  const int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  HWND button = GetDlgItem(dlg, id);
  if (button && !IsWindowEnabled(button)) return;
  Command(dlg, id, button);
}

// The letter after the first single '&' of a caption, upper case; 0 when there is none.
wchar_t MnemonicOf(const wchar_t* s) {
  for (; *s; ++s) {
    if (*s != L'&') continue;
    if (s[1] == L'&') {
      ++s;
      continue;
    }
    const wchar_t c = s[1];
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  }
  return 0;
}

bool IsMnemonicKey(WPARAM vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'); }

// Clicks the visible, enabled push button or check box whose caption has the letter; false when
// none has.
bool Mnemonic(HWND dlg, WPARAM vk) {
  if (!IsMnemonicKey(vk)) return false;
  int current;
  for (HWND c : Controls(dlg, nullptr, &current)) {
    if (!IsWindowVisible(c) || !IsWindowEnabled(c) || !(DlgCode(c, 0, nullptr) & DLGC_BUTTON)) continue;
    const UINT type = static_cast<UINT>(GetWindowLongW(c, GWL_STYLE)) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_AUTOCHECKBOX) continue;
    wchar_t text[256];
    GetWindowTextW(c, text, 256);
    if (MnemonicOf(text) == static_cast<wchar_t>(vk)) {
      SendMessageW(c, BM_CLICK, 0, 0);
      return true;
    }
  }
  return false;
}

}  // namespace

bool DialogKeyFilter(HWND dlg, MSG& m) {
  if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
  if (!m.hwnd || !InsideDialog(dlg, m.hwnd)) return false;
  const HWND focus = m.hwnd;
  const UINT code = focus != dlg ? DlgCode(focus, m.wParam, &m) : 0;
  if (code & DLGC_WANTMESSAGE) return false;  // an open list takes Enter and Escape itself
  if (m.message == WM_SYSKEYDOWN) return Mnemonic(dlg, m.wParam);
  switch (m.wParam) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return false;
      MoveByTab(dlg, focus, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
      return true;
    case VK_RETURN:
      Enter(dlg, focus, code);
      return true;
    case VK_ESCAPE:
      Command(dlg, IDCANCEL, GetDlgItem(dlg, IDCANCEL));
      return true;
    default:
      // A bare letter on a focused button acts as its mnemonic.
      if ((code & DLGC_BUTTON) && !(code & DLGC_WANTCHARS) && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        return Mnemonic(dlg, m.wParam);
      }
      return false;
  }
}

}  // namespace plat::detail
