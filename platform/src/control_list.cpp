// LISTBOX: one text line per item, a selection set by clicks and arrows (no notifications), the
// top index that keeps the last page full, and a simple clickable scroll bar.
#include <algorithm>
#include <vector>

#include "controls_internal.h"

namespace plat::detail::ctl {
namespace {

struct ListBoxState : ControlState {
  std::vector<std::wstring> items;
  int sel = -1;
  int top = 0;
  int Count() const { return static_cast<int>(items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
};

int ItemHeight(HWND h, const ListBoxState& st) { return FontCell(h, st.font); }

int Rows(HWND h, const ListBoxState& st) {
  RECT r{};
  GetClientRect(h, &r);
  return std::max(1, static_cast<int>(r.bottom) / ItemHeight(h, st));
}

bool HasBar(HWND h, const ListBoxState& st) {
  return (GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL) && st.Count() > Rows(h, st);
}

RECT BarRect(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return RECT{std::max<LONG>(0, r.right - kScrollWidth), 0, r.right, r.bottom};
}

void Refresh(HWND h, ListBoxState& st) {
  st.top = ClampTop(st.top, Rows(h, st), st.Count());
  InvalidateRect(h, nullptr, FALSE);
}

void SelectVisible(HWND h, ListBoxState& st, int i) {
  if (!st.Valid(i)) return;
  st.sel = i;
  const int rows = Rows(h, st);
  if (i < st.top) st.top = i;
  if (i >= st.top + rows) st.top = i - rows + 1;
  Refresh(h, st);
}

void Paint(HWND h, const ListBoxState& st, HDC dc) {
  RECT client{};
  GetClientRect(h, &client);
  Fill(dc, client, Sys(COLOR_WINDOW));
  const bool enabled = IsWindowEnabled(h) != FALSE;
  const int item = ItemHeight(h, st);
  RECT rows = client;
  if (HasBar(h, st)) {
    rows.right = BarRect(h).left;
    DrawScrollBar(dc, BarRect(h), st.top, Rows(h, st), st.Count());
  }
  FontScope font(dc, st.font);
  for (int i = st.top; i < st.Count(); ++i) {
    const int y = (i - st.top) * item;
    if (y >= rows.bottom) break;
    const RECT r{rows.left, y, rows.right, y + item};
    const bool marked = i == st.sel;
    if (marked) Fill(dc, r, enabled ? Sys(COLOR_HIGHLIGHT) : Sys(COLOR_BTNFACE));
    const COLORREF ink = !enabled ? Sys(COLOR_GRAYTEXT) : marked ? Sys(COLOR_HIGHLIGHTTEXT) : Sys(COLOR_WINDOWTEXT);
    const RECT t{r.left + 2, r.top, r.right, r.bottom};
    Text(dc, st.items[static_cast<size_t>(i)], t, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX, ink);
    if (marked && st.focused) DrawFocusRect(dc, &r);
  }
}

LRESULT Insert(HWND h, ListBoxState& st, int at, LPARAM lp) {
  if (!lp) return LB_ERR;
  if (st.items.size() >= kMaxItems) return LB_ERRSPACE;
  st.items.insert(st.items.begin() + at, ParamText(st.wide, lp));
  if (st.sel >= at) ++st.sel;
  Refresh(h, st);
  return at;
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    Attach(h, std::make_shared<ListBoxState>());
    return 0;
  }
  std::shared_ptr<ListBoxState> st = StateOf<ListBoxState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { Paint(h, *st, dc); }, &r)) return r;
  const int i = static_cast<int>(static_cast<intptr_t>(wp));
  switch (msg) {
    case WM_SIZE:
    case WM_ENABLE: Refresh(h, *st); return 0;
    case WM_SETFONT:
      st->font = reinterpret_cast<HFONT>(wp);
      st->top = ClampTop(st->top, Rows(h, *st), st->Count());
      if (lp) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      st->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) {
        SetFocus(h);
        if (!IsWindow(h)) return 0;
      }
      const POINT p{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
      if (HasBar(h, *st) && p.x >= BarRect(h).left) {
        st->top = ScrollClick(BarRect(h), p, st->top, Rows(h, *st), st->Count());
        Refresh(h, *st);
        return 0;
      }
      SelectVisible(h, *st, st->top + p.y / ItemHeight(h, *st));
      return 0;
    }
    case WM_KEYDOWN: {
      const int last = st->Count() - 1;
      const int page = std::max(1, Rows(h, *st) - 1);
      const int from = st->sel;
      int to = from;
      switch (wp) {
        case VK_UP: to = from < 0 ? 0 : from - 1; break;
        case VK_DOWN: to = from < 0 ? 0 : from + 1; break;
        case VK_PRIOR: to = from < 0 ? 0 : from - page; break;
        case VK_NEXT: to = from < 0 ? 0 : from + page; break;
        case VK_HOME: to = 0; break;
        case VK_END: to = last; break;
        default: return 0;
      }
      if (last >= 0) SelectVisible(h, *st, std::clamp(to, 0, last));
      return 0;
    }
    case LB_ADDSTRING: return Insert(h, *st, st->Count(), lp);
    case LB_INSERTSTRING:
      if (i != -1 && (i < 0 || i > st->Count())) return LB_ERR;
      return Insert(h, *st, i == -1 ? st->Count() : i, lp);
    case LB_DELETESTRING:
      if (!st->Valid(i)) return LB_ERR;
      st->items.erase(st->items.begin() + i);
      if (st->sel == i) st->sel = -1;
      if (st->sel > i) --st->sel;
      if (i < st->top) --st->top;  // the lines in view stay where they are
      Refresh(h, *st);
      return st->Count();
    case LB_RESETCONTENT:
      st->items.clear();
      st->sel = -1;
      st->top = 0;
      Refresh(h, *st);
      return LB_OKAY;
    case LB_GETCOUNT: return st->Count();
    case LB_GETTEXT: {
      if (!st->Valid(i) || !lp) return LB_ERR;
      const std::wstring& s = st->items[static_cast<size_t>(i)];
      return CopyTextOut(st->wide, s, lp, s.size() + 1);  // the caller sized it by LB_GETTEXTLEN
    }
    case LB_GETTEXTLEN: return st->Valid(i) ? static_cast<LRESULT>(st->items[static_cast<size_t>(i)].size()) : LB_ERR;
    case LB_SETTOPINDEX:
      // Beyond the list it goes as far as the range allows: the last page stays full.
      if (i < 0) return LB_ERR;
      st->top = i;
      Refresh(h, *st);
      return LB_OKAY;
    case LB_GETTOPINDEX: return st->top;
    case LB_SETCURSEL:
      // Out of range, or -1: no selection and LB_ERR.
      if (!st->Valid(i)) {
        st->sel = -1;
        Refresh(h, *st);
        return LB_ERR;
      }
      SelectVisible(h, *st, i);
      return i;
    case LB_GETCURSEL: return st->Valid(st->sel) ? st->sel : LB_ERR;
    default: return Default(*st, h, msg, wp, lp);
  }
}

}  // namespace plat::detail::ctl
