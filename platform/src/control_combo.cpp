// COMBOBOX, drop-down list only (never sorted): the closed box, its open list as a popup that
// never takes the activation, the item messages, and the fixed order of the notifications.
#include <algorithm>
#include <vector>

#include "controls_internal.h"
#include "window_internal.h"

namespace plat::detail::ctl {
namespace {

struct ComboState : ControlState {
  std::vector<std::wstring> items;
  int sel = -1;
  bool dropped = false;
  bool closing = false;  // an accept or cancel sequence is running
  int highlight = -1;    // the item marked in the open list
  int top = 0;           // the first item the open list shows
  HWND list = nullptr;
  int fullHeight = 0;  // the height asked for: the closed box plus its dropped list
  bool resizing = false;
  bool tracking = false;  // the button went down on the box and is held
  int Count() const { return static_cast<int>(items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
};

struct ListState : ControlState {
  HWND combo = nullptr;
  bool tracking = false;
};

int ClosedHeight(HWND h, const ComboState& st) { return FontCell(h, st.font) + 8; }

int WindowHeight(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r.bottom - r.top;
}

// The closed box is the font's cell height plus 8, whatever height it was given.
void Fit(HWND h, ComboState& st) {
  const int closed = ClosedHeight(h, st);
  RECT r{};
  GetWindowRect(h, &r);
  if (r.bottom - r.top == closed) return;
  st.resizing = true;
  SetWindowPos(h, nullptr, 0, 0, r.right - r.left, closed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  st.resizing = false;
}

struct ListGeometry {
  RECT screen;  // the popup's window rectangle
  int rows;     // items shown at once
  bool bar;     // with a scroll bar
};

ListGeometry Geometry(HWND h, const ComboState& st) {
  const int item = FontCell(h, st.font);
  RECT box{};
  GetWindowRect(h, &box);
  const int listHeight = std::max(0, st.fullHeight - static_cast<int>(box.bottom - box.top));
  const int fit = std::max(1, (listHeight - 2) / item);
  ListGeometry g;
  g.rows = std::min(fit, std::max(1, st.Count()));
  g.bar = (GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL) && st.Count() > g.rows;
  const int height = g.rows * item + 2;
  int y = box.bottom;
  if (y + height > GetSystemMetrics(SM_CYSCREEN) && box.top - height >= 0) y = box.top - height;
  g.screen = RECT{box.left, y, box.right, y + height};
  return g;
}

int Rows(HWND h, const ComboState& st) { return Geometry(h, st).rows; }

void ShowHighlight(HWND h, ComboState& st) {
  const int rows = Rows(h, st);
  if (st.Valid(st.highlight)) {
    if (st.highlight < st.top) st.top = st.highlight;
    if (st.highlight >= st.top + rows) st.top = st.highlight - rows + 1;
  }
  st.top = ClampTop(st.top, rows, st.Count());
  if (st.list) InvalidateRect(st.list, nullptr, FALSE);
}

void CloseList(HWND h, ComboState& st) {
  st.dropped = false;
  st.tracking = false;
  HWND list = st.list;
  st.list = nullptr;
  WatchOutsideClicks(nullptr, nullptr);
  if (list) DestroyWindow(list);
  InvalidateRect(h, nullptr, FALSE);
}

void Open(HWND h, ComboState& st) {
  if (st.dropped || st.closing) return;
  Notify(h, CBN_DROPDOWN);  // the parent may still fill the list
  if (!IsWindow(h) || st.dropped) return;
  st.highlight = st.sel;
  st.top = st.Valid(st.sel) ? st.sel : 0;
  const ListGeometry g = Geometry(h, st);
  st.top = ClampTop(st.top, g.rows, st.Count());
  HWND list = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOPMOST, L"ComboLBox", L"", WS_POPUP | WS_BORDER,
                              g.screen.left, g.screen.top, g.screen.right - g.screen.left,
                              g.screen.bottom - g.screen.top, h, nullptr, nullptr, h);
  if (!list) return;
  st.list = list;
  st.dropped = true;
  ShowWindow(list, SW_SHOWNA);
  WatchOutsideClicks(list, h);
  InvalidateRect(h, nullptr, FALSE);
}

// Accepting: the selection, CBN_SELCHANGE if it changed, CBN_SELENDOK, the list closes, then
// CBN_CLOSEUP. A handler may destroy the box at any step; the sequence then stops.
void Accept(HWND h, ComboState& st, int index) {
  if (!st.dropped || st.closing) return;
  st.closing = true;
  if (st.Valid(index) && index != st.sel) {
    st.sel = index;
    InvalidateRect(h, nullptr, FALSE);
    Notify(h, CBN_SELCHANGE);
    if (!IsWindow(h)) return;
  }
  Notify(h, CBN_SELENDOK);
  if (!IsWindow(h)) return;
  CloseList(h, st);
  Notify(h, CBN_CLOSEUP);
  st.closing = false;
}

// Cancelling: CBN_SELENDCANCEL, the list closes, then CBN_CLOSEUP; the selection stays.
void Cancel(HWND h, ComboState& st) {
  if (!st.dropped || st.closing) return;
  st.closing = true;
  Notify(h, CBN_SELENDCANCEL);
  if (!IsWindow(h)) return;
  CloseList(h, st);
  Notify(h, CBN_CLOSEUP);
  st.closing = false;
}

// On the closed box the keys change the selection at once.
void Select(HWND h, ComboState& st, int index) {
  if (!st.Valid(index) || index == st.sel) return;
  st.sel = index;
  InvalidateRect(h, nullptr, FALSE);
  Notify(h, CBN_SELCHANGE);
}

// The item a navigation key leads to from `from`, or `from`.
int Step(const ComboState& st, WPARAM vk, int from, int page) {
  const int last = st.Count() - 1;
  if (last < 0) return from;
  switch (vk) {
    case VK_UP: return from < 0 ? 0 : std::max(0, from - 1);
    case VK_DOWN: return from < 0 ? 0 : std::min(last, from + 1);
    case VK_PRIOR: return from < 0 ? 0 : std::max(0, from - std::max(1, page - 1));
    case VK_NEXT: return from < 0 ? 0 : std::min(last, from + std::max(1, page - 1));
    case VK_HOME: return 0;
    case VK_END: return last;
    default: return from;
  }
}

bool NavigationKey(WPARAM vk) {
  return vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_HOME || vk == VK_END;
}

// The next item after `from` whose text starts with c (ignoring case), or `from`.
int ByLetter(const ComboState& st, wchar_t c, int from) {
  auto lower = [](wchar_t x) { return x >= L'A' && x <= L'Z' ? static_cast<wchar_t>(x - L'A' + L'a') : x; };
  const int n = st.Count();
  for (int k = 1; k <= n; ++k) {
    const int i = ((from < 0 ? -1 : from) + k) % n;
    if (!st.items[static_cast<size_t>(i)].empty() && lower(st.items[static_cast<size_t>(i)][0]) == lower(c)) {
      return i;
    }
  }
  return from;
}

void OnKey(HWND h, ComboState& st, WPARAM vk, bool alt) {
  if (st.dropped) {
    if (vk == VK_RETURN || vk == VK_F4 || (alt && (vk == VK_UP || vk == VK_DOWN))) {
      Accept(h, st, st.highlight);
    } else if (vk == VK_ESCAPE) {
      Cancel(h, st);
    } else if (NavigationKey(vk)) {
      // The open list moves a highlight only; the selection changes on accepting.
      st.highlight = Step(st, vk, st.highlight, Rows(h, st));
      ShowHighlight(h, st);
    }
    return;
  }
  if (vk == VK_F4 || (alt && (vk == VK_UP || vk == VK_DOWN))) {
    Open(h, st);
  } else if (!alt && NavigationKey(vk)) {
    Select(h, st, Step(st, vk, st.sel, Rows(h, st)));
  }
}

// An item of the open list under a point in the list's client coordinates, or -1.
int ItemAt(const ComboState& st, HWND list, POINT p, int item) {
  RECT r{};
  GetClientRect(list, &r);
  if (p.x < 0 || p.y < 0 || p.x >= r.right || p.y >= r.bottom) return -1;
  const int i = st.top + p.y / item;
  return st.Valid(i) ? i : -1;
}

// The item under a point given in the box's client coordinates (the press started there).
int ItemFromBoxPoint(HWND h, const ComboState& st, LPARAM lp) {
  if (!st.list) return -1;
  POINT p{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
  ClientToScreen(h, &p);
  ScreenToClient(st.list, &p);
  const ListGeometry g = Geometry(h, st);
  RECT r{};
  GetClientRect(st.list, &r);
  if (g.bar && p.x >= r.right - kScrollWidth) return -1;
  return ItemAt(st, st.list, p, FontCell(h, st.font));
}

void PaintBox(HWND h, const ComboState& st, HDC dc) {
  RECT client{};
  GetClientRect(h, &client);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  const RECT in = Sunken(dc, client);
  Fill(dc, in, enabled ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
  const int bw = std::min<int>(in.bottom - in.top, in.right - in.left);
  const RECT button{in.right - bw, in.top, in.right, in.bottom};
  const RECT face = st.dropped ? Frame(dc, button, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW)) : Raised(dc, button);
  Fill(dc, face, Sys(COLOR_BTNFACE));
  const int cx = (button.left + button.right) / 2 + (st.dropped ? 1 : 0);
  const int cy = (button.top + button.bottom) / 2 - 1 + (st.dropped ? 1 : 0);
  for (int i = 0; i < 4; ++i) {
    Fill(dc, RECT{cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1}, enabled ? Sys(COLOR_BTNTEXT) : Sys(COLOR_GRAYTEXT));
  }
  const RECT field{in.left + 1, in.top + 1, button.left - 1, in.bottom - 1};
  COLORREF ink = enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT);
  if (st.focused && enabled) {
    Fill(dc, field, Sys(COLOR_HIGHLIGHT));
    ink = Sys(COLOR_HIGHLIGHTTEXT);
  }
  FontScope font(dc, st.font);
  if (st.Valid(st.sel)) {
    const RECT t{field.left + 2, field.top, field.right, field.bottom};
    Text(dc, st.items[static_cast<size_t>(st.sel)], t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, ink);
  }
  if (st.focused && field.right > field.left) DrawFocusRect(dc, &field);
}

void PaintList(HWND list, const ComboState& st, HWND combo, HDC dc) {
  RECT client{};
  GetClientRect(list, &client);
  Fill(dc, client, Sys(COLOR_WINDOW));
  const ListGeometry g = Geometry(combo, st);
  const int item = FontCell(combo, st.font);
  RECT rows = client;
  if (g.bar) {
    rows.right -= kScrollWidth;
    DrawScrollBar(dc, RECT{rows.right, client.top, client.right, client.bottom}, st.top, g.rows, st.Count());
  }
  FontScope font(dc, st.font);
  for (int i = st.top; i < st.Count(); ++i) {
    const int y = (i - st.top) * item;
    if (y >= rows.bottom) break;
    const RECT r{rows.left, y, rows.right, y + item};
    const bool marked = i == st.highlight;
    if (marked) Fill(dc, r, Sys(COLOR_HIGHLIGHT));
    const RECT t{r.left + 2, r.top, r.right, r.bottom};
    Text(dc, st.items[static_cast<size_t>(i)], t, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX,
         marked ? Sys(COLOR_HIGHLIGHTTEXT) : Sys(COLOR_WINDOWTEXT));
  }
}

LRESULT ItemMessage(HWND h, ComboState& st, UINT msg, WPARAM wp, LPARAM lp) {
  const int i = static_cast<int>(static_cast<intptr_t>(wp));
  switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      if (!lp) return CB_ERR;
      if (st.items.size() >= kMaxItems) return CB_ERRSPACE;
      int at = st.Count();
      if (msg == CB_INSERTSTRING && i != -1) {
        if (i < 0 || i > st.Count()) return CB_ERR;
        at = i;
      }
      st.items.insert(st.items.begin() + at, ParamText(st.wide, lp));
      if (st.sel >= at) ++st.sel;
      if (st.highlight >= at) ++st.highlight;
      break;
    }
    case CB_DELETESTRING:
      if (!st.Valid(i)) return CB_ERR;
      st.items.erase(st.items.begin() + i);
      if (st.sel == i) st.sel = -1;
      if (st.sel > i) --st.sel;
      if (st.highlight == i) st.highlight = -1;
      if (st.highlight > i) --st.highlight;
      break;
    case CB_RESETCONTENT:
      st.items.clear();
      st.sel = st.highlight = -1;
      st.top = 0;
      break;
    case CB_SETCURSEL:
      // Out of range, or -1: no selection and CB_ERR. Never a notification.
      st.sel = st.Valid(i) ? i : -1;
      if (st.dropped) st.highlight = st.sel;
      break;
    default: return CB_ERR;
  }
  st.top = ClampTop(st.top, Rows(h, st), st.Count());
  if (st.list) InvalidateRect(st.list, nullptr, FALSE);
  InvalidateRect(h, nullptr, FALSE);
  switch (msg) {
    case CB_ADDSTRING: return st.Count() - 1;
    case CB_INSERTSTRING: return i == -1 ? st.Count() - 1 : i;
    case CB_DELETESTRING: return st.Count();
    case CB_SETCURSEL: return st.Valid(i) ? i : CB_ERR;
    default: return CB_OKAY;
  }
}

}  // namespace

HWND ComboListOf(HWND combo) {
  std::shared_ptr<ComboState> st = StateOf<ComboState>(combo);
  return st ? st->list : nullptr;
}

LRESULT CALLBACK ComboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto st = std::make_shared<ComboState>();
    st->fullHeight = reinterpret_cast<const CREATESTRUCTW*>(lp)->cy;
    Attach(h, st);
    Fit(h, *st);
    return 0;
  }
  std::shared_ptr<ComboState> st = StateOf<ComboState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  if (msg == WM_DESTROY && st->list) {
    // The list is a popup of its own: it goes with the box, without notifications.
    WatchOutsideClicks(nullptr, nullptr);
    DestroyWindow(st->list);
    st->list = nullptr;
    st->dropped = false;
  }
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { PaintBox(h, *st, dc); }, &r)) return r;
  switch (msg) {
    case WM_SIZE:
      // A program's height, like a template's, is the box plus its dropped list.
      if (!st->resizing && WindowHeight(h) != ClosedHeight(h, *st)) {
        st->fullHeight = WindowHeight(h);
        Fit(h, *st);
      }
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      st->font = reinterpret_cast<HFONT>(wp);
      Fit(h, *st);
      if (lp) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const MSG* m = reinterpret_cast<const MSG*>(lp);
      // While the list is open, Enter and Escape (and any key but Tab) belong to the list.
      if (st->dropped && !(m && m->message == WM_KEYDOWN && m->wParam == VK_TAB)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_SETTEXT: {
      // Selects the item with this text (ignoring case); CB_ERR when there is none.
      const std::wstring text = ParamText(st->wide, lp);
      for (int i = 0; i < st->Count(); ++i) {
        if (EqualsIgnoringCase(st->items[static_cast<size_t>(i)], text)) {
          st->sel = i;
          InvalidateRect(h, nullptr, FALSE);
          return TRUE;
        }
      }
      return CB_ERR;
    }
    case WM_GETTEXT:
      return CopyTextOut(st->wide, st->Valid(st->sel) ? st->items[static_cast<size_t>(st->sel)] : std::wstring(), lp,
                         wp);
    case WM_GETTEXTLENGTH:
      return st->Valid(st->sel) ? static_cast<LRESULT>(st->items[static_cast<size_t>(st->sel)].size()) : 0;
    case WM_SETFOCUS:
      st->focused = true;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      // Losing the focus while open cancels first.
      st->focused = false;
      if (st->dropped) Cancel(h, *st);
      if (!IsWindow(h)) return 0;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, CBN_KILLFOCUS);
      return 0;
    case WM_CANCELMODE:
      if (st->dropped) Cancel(h, *st);
      return 0;
    case WM_ENABLE:
    case WM_SHOWWINDOW:
      if (!wp && st->dropped) Cancel(h, *st);
      if (IsWindow(h)) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      if (GetFocus() != h) {
        SetFocus(h);
        if (!IsWindow(h)) return 0;
      }
      if (st->dropped) {
        Cancel(h, *st);
      } else {
        Open(h, *st);
        st->tracking = st->dropped;
      }
      return 0;
    case WM_MOUSEMOVE:
      if (st->tracking && st->dropped) {
        const int i = ItemFromBoxPoint(h, *st, lp);
        if (i >= 0 && i != st->highlight) {
          st->highlight = i;
          InvalidateRect(st->list, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (st->tracking) {
        st->tracking = false;
        const int i = ItemFromBoxPoint(h, *st, lp);
        if (i >= 0) Accept(h, *st, i);  // pressed on the box, released on an item
      }
      return 0;
    case WM_KEYDOWN:
      OnKey(h, *st, wp, false);
      return 0;
    case WM_SYSKEYDOWN:
      if (wp == VK_UP || wp == VK_DOWN) {
        OnKey(h, *st, wp, true);
        return 0;
      }
      return Default(*st, h, msg, wp, lp);
    case WM_CHAR: {
      const wchar_t c = CharParam(st->wide, wp);
      if (c < 0x20) return 0;
      if (st->dropped) {
        st->highlight = ByLetter(*st, c, st->highlight);
        ShowHighlight(h, *st);
      } else {
        Select(h, *st, ByLetter(*st, c, st->sel));
      }
      return 0;
    }
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_DELETESTRING:
    case CB_RESETCONTENT:
    case CB_SETCURSEL: return ItemMessage(h, *st, msg, wp, lp);
    case CB_GETCOUNT: return st->Count();
    case CB_GETCURSEL: return st->Valid(st->sel) ? st->sel : CB_ERR;
    case CB_GETLBTEXT: {
      const int i = static_cast<int>(static_cast<intptr_t>(wp));
      if (!st->Valid(i) || !lp) return CB_ERR;
      const std::wstring& s = st->items[static_cast<size_t>(i)];
      return CopyTextOut(st->wide, s, lp, s.size() + 1);  // the caller sized it by CB_GETLBTEXTLEN
    }
    case CB_GETLBTEXTLEN: {
      const int i = static_cast<int>(static_cast<intptr_t>(wp));
      return st->Valid(i) ? static_cast<LRESULT>(st->items[static_cast<size_t>(i)].size()) : CB_ERR;
    }
    case CB_SHOWDROPDOWN:
      if (wp) {
        Open(h, *st);
      } else {
        Cancel(h, *st);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE: return st->dropped ? TRUE : FALSE;
    default: return Default(*st, h, msg, wp, lp);
  }
}

// ---- The open list ----

LRESULT CALLBACK ComboListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto st = std::make_shared<ListState>();
    st->combo = static_cast<HWND>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
    Attach(h, st);
    return 0;
  }
  std::shared_ptr<ListState> st = StateOf<ListState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  const HWND c = st->combo;
  std::shared_ptr<ComboState> combo = StateOf<ComboState>(c);
  const bool open = combo && combo->list == h;
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { if (open) PaintList(h, *combo, c, dc); }, &r)) return r;
  if (!open) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_LBUTTONDOWN: {
      const POINT p{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
      const ListGeometry g = Geometry(c, *combo);
      RECT r{};
      GetClientRect(h, &r);
      if (g.bar && p.x >= r.right - kScrollWidth) {
        combo->top = ScrollClick(RECT{r.right - kScrollWidth, 0, r.right, r.bottom}, p, combo->top, g.rows,
                                 combo->Count());
        InvalidateRect(h, nullptr, FALSE);
        return 0;
      }
      st->tracking = true;
      const int i = ItemAt(*combo, h, p, FontCell(c, combo->font));
      if (i >= 0) {
        combo->highlight = i;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!st->tracking) return 0;
      const int i = ItemAt(*combo, h, POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))},
                           FontCell(c, combo->font));
      if (i >= 0 && i != combo->highlight) {
        combo->highlight = i;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!st->tracking) return 0;
      st->tracking = false;
      const int i = ItemAt(*combo, h, POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))},
                           FontCell(c, combo->font));
      if (i >= 0) Accept(c, *combo, i);
      return 0;
    }
    default: return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace plat::detail::ctl
