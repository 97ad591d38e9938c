// Internals of the message boxes and popup menus: the record of every MessageBox call, menus
// built from constant trees, and the harness reset.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "modal_script.h"

namespace plat::detail {

// One MessageBox call. `result` is what the call returned (0 while the box is open, or when the
// call failed); `box` is the box window while it exists.
struct BoxCall {
  HWND box = nullptr;
  BoxRecord record;
  int result = 0;
  bool open = false;
};
// Every MessageBox call since the last reset, oldest first (the most recent ones when many).
std::vector<BoxCall> BoxCalls();

// A new menu handle for a constant tree (what LoadMenu returns for a resource). Missing item lists
// read as empty, and popups nested deeper than a few levels are left empty.
HMENU LoadMenuFromTree(const MenuT& menu);
// The menu window tracking on the calling thread, or NULL.
HWND TrackingMenuWindow();
// A tracking menu's items as shown: (id, flags, text with its '&').
struct MenuRow {
  UINT id;
  UINT flags;
  std::wstring text;
};
bool TrackingMenuRows(HWND menuWnd, std::vector<MenuRow>* out);

// Harness: forgets the records, the open boxes and every menu.
void ResetBoxes();
void ResetMessageBoxes();  // the boxes' part

// The upper-case letter after a label's '&' ("&&" is a plain '&'), or 0.
inline wchar_t MnemonicOf(const wchar_t* label) {
  for (const wchar_t* p = label; p && *p && p[1]; ++p) {
    if (*p != L'&') continue;
    if (p[1] != L'&') return p[1] >= L'a' && p[1] <= L'z' ? static_cast<wchar_t>(p[1] - L'a' + L'A') : p[1];
    ++p;
  }
  return 0;
}

// Fills rc with a solid colour (a brush made and freed on the spot).
inline void FillSolid(HDC hdc, const RECT& rc, COLORREF colour) {
  HBRUSH b = CreateSolidBrush(colour);
  FillRect(hdc, &rc, b);
  DeleteObject(b);
}

}  // namespace plat::detail
