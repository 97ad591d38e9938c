// BUTTON (push, default push, automatic check box, owner-drawn, group box) and STATIC.
#include <algorithm>

#include "controls_internal.h"

namespace plat::detail::ctl {
namespace {

enum class Kind { Push, Check, OwnerDraw, Group };

struct ButtonState : ControlState {
  bool tracking = false;   // the mouse button went down on it and is still held
  bool spaceDown = false;  // Space went down while it had the focus
  bool pushed = false;     // drawn pressed
  bool checked = false;
};

DWORD StyleOf(HWND h) { return static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)); }

// Types the layer has no look for behave as push buttons.
Kind KindOf(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX: return Kind::Check;
    case BS_OWNERDRAW: return Kind::OwnerDraw;
    case BS_GROUPBOX: return Kind::Group;
    default: return Kind::Push;
  }
}

bool IsPushType(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

void SendDrawItem(HWND h, const ButtonState& st, HDC dc, UINT action) {
  HWND parent = GetParent(h);
  if (!parent || !dc) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = static_cast<UINT>(GetDlgCtrlID(h));
  dis.itemID = 0;
  dis.itemAction = action;
  dis.itemState = (st.pushed ? ODS_SELECTED : 0) | (st.focused ? ODS_FOCUS : 0) |
                  (IsWindowEnabled(h) ? 0 : ODS_DISABLED);
  dis.hwndItem = h;
  dis.hDC = dc;
  GetClientRect(h, &dis.rcItem);
  SendMessageW(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

// An owner-drawn button is told at once through a DC of its own; the others repaint.
void Changed(HWND h, const ButtonState& st, UINT action) {
  if (KindOf(StyleOf(h)) == Kind::OwnerDraw) {
    HDC dc = GetDC(h);
    SendDrawItem(h, st, dc, action);
    if (dc) ReleaseDC(h, dc);
  } else {
    InvalidateRect(h, nullptr, FALSE);
  }
}

void SetPushed(HWND h, ButtonState& st, bool pushed) {
  if (st.pushed == pushed) return;
  st.pushed = pushed;
  Changed(h, st, ODA_SELECT);
}

// The click: a check box toggles first, then the parent hears BN_CLICKED.
void Clicked(HWND h, ButtonState& st) {
  const Kind kind = KindOf(StyleOf(h));
  if (kind == Kind::Group) return;
  if (kind == Kind::Check) {
    st.checked = !st.checked;
    InvalidateRect(h, nullptr, FALSE);
  }
  Notify(h, BN_CLICKED);
}

bool InsideClient(HWND h, LPARAM lp) {
  RECT r{};
  GetClientRect(h, &r);
  const int x = static_cast<SHORT>(LOWORD(lp));
  const int y = static_cast<SHORT>(HIWORD(lp));
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

COLORREF TextColour(HWND h) { return IsWindowEnabled(h) ? Sys(COLOR_BTNTEXT) : Sys(COLOR_GRAYTEXT); }

void DrawPush(HWND h, const ButtonState& st, HDC dc, const RECT& client, bool def) {
  RECT r = client;
  Fill(dc, r, Sys(COLOR_BTNFACE));
  if (def) r = Frame(dc, r, RGB(0, 0, 0), RGB(0, 0, 0));
  if (st.pushed) {
    r = Frame(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
    r = RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
  } else {
    r = Raised(dc, r);
  }
  Text(dc, StoredText(h), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, TextColour(h));
  if (st.focused) {
    const int in = def ? 4 : 3;
    const RECT f{client.left + in, client.top + in, client.right - in, client.bottom - in};
    if (f.right > f.left && f.bottom > f.top) DrawFocusRect(dc, &f);
  }
}

void DrawCheck(HWND h, const ButtonState& st, HDC dc, const RECT& client, bool leftText) {
  constexpr int kBox = 13;
  constexpr int kGap = 4;
  FillFromParent(h, dc, client);
  const int top = (client.bottom - kBox) / 2;
  const int left = leftText ? client.right - kBox : 0;
  const bool enabled = IsWindowEnabled(h) != FALSE;
  RECT box{left, top, left + kBox, top + kBox};
  box = Sunken(dc, box);
  Fill(dc, box, enabled && !st.pushed ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
  if (st.checked) {
    // A tick in the 9 x 9 inside: three rows thick, down to the third column, then up.
    const COLORREF ink = enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT);
    for (int x = 0; x < 7; ++x) {
      const int y = x < 3 ? 2 + x : 6 - x;
      Fill(dc, RECT{box.left + 1 + x, box.top + 1 + y, box.left + 2 + x, box.top + 4 + y}, ink);
    }
  }
  RECT text = leftText ? RECT{client.left, client.top, client.right - kBox - kGap, client.bottom}
                       : RECT{client.left + kBox + kGap, client.top, client.right, client.bottom};
  const std::wstring caption = StoredText(h);
  Text(dc, caption, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, TextColour(h));
  if (st.focused && !caption.empty()) {
    RECT m = text;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &m,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
    const int th = m.bottom - m.top;
    const int y = (client.bottom - th) / 2;
    const RECT f{text.left - 1, std::max<LONG>(client.top, y - 1), std::min<LONG>(text.right, m.right + 1),
                 std::min<LONG>(client.bottom, y + th + 1)};
    if (f.right > f.left) DrawFocusRect(dc, &f);
  }
}

void DrawGroup(HWND h, HDC dc, const RECT& client) {
  // Below its siblings, so the controls inside the frame show and take the clicks.
  SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FillFromParent(h, dc, client);
  const std::wstring caption = StoredText(h);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int y = tm.tmHeight / 2;
  const COLORREF dark = Sys(COLOR_BTNSHADOW);
  const COLORREF light = Sys(COLOR_BTNHIGHLIGHT);
  int gapFrom = 0, gapTo = 0;
  if (!caption.empty()) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &sz);
    gapFrom = 6;
    gapTo = std::min<int>(client.right, 10 + sz.cx);
  }
  // The etched frame: a dark line with a light one beside it, open where the caption sits.
  const LONG r = client.right, b = client.bottom;
  for (int pass = 0; pass < 2; ++pass) {
    const COLORREF c = pass == 0 ? dark : light;
    const LONG o = pass;
    Fill(dc, RECT{o, y + o, gapFrom ? gapFrom : r - 1, y + o + 1}, c);
    if (gapTo) Fill(dc, RECT{gapTo, y + o, r - 1, y + o + 1}, c);
    Fill(dc, RECT{o, y + o, o + 1, b - 1}, c);
    Fill(dc, RECT{o, b - 2 + o, r - 1, b - 1 + o}, c);
    Fill(dc, RECT{r - 2 + o, y + o, r - 1 + o, b - 1}, c);
  }
  if (!caption.empty()) {
    const RECT t{8, 0, gapTo, tm.tmHeight};
    Text(dc, caption, t, DT_LEFT | DT_TOP | DT_SINGLELINE, TextColour(h));
  }
}

void Paint(HWND h, ButtonState& st, HDC dc) {
  RECT client{};
  GetClientRect(h, &client);
  const DWORD style = StyleOf(h);
  FontScope font(dc, st.font);
  switch (KindOf(style)) {
    case Kind::OwnerDraw: SendDrawItem(h, st, dc, ODA_DRAWENTIRE); break;
    case Kind::Check: DrawCheck(h, st, dc, client, (style & BS_LEFTTEXT) != 0); break;
    case Kind::Group: DrawGroup(h, dc, client); break;
    case Kind::Push: DrawPush(h, st, dc, client, (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON); break;
  }
}

LRESULT GetDlgCode(HWND h) {
  const DWORD style = StyleOf(h);
  switch (KindOf(style)) {
    case Kind::Group: return DLGC_STATIC;
    case Kind::Check:
    case Kind::OwnerDraw: return DLGC_BUTTON;
    case Kind::Push: break;
  }
  return DLGC_BUTTON | ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

// Ends a press without a click (the focus went, or the window is going).
void CancelPress(HWND h, ButtonState& st) {
  st.tracking = false;
  st.spaceDown = false;
  SetPushed(h, st, false);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    Attach(h, std::make_shared<ButtonState>());
    return 0;
  }
  std::shared_ptr<ButtonState> st = StateOf<ButtonState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { Paint(h, *st, dc); }, &r)) return r;
  switch (msg) {
    case WM_SETTEXT: {
      const LRESULT r = Default(*st, h, msg, wp, lp);
      InvalidateRect(h, nullptr, FALSE);
      return r;
    }
    case WM_SETFONT:
      st->font = reinterpret_cast<HFONT>(wp);
      if (lp) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      if (!wp) CancelPress(h, *st);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: return GetDlgCode(h);
    case WM_SETFOCUS:
      st->focused = true;
      Changed(h, *st, ODA_FOCUS);
      return 0;
    case WM_KILLFOCUS:
      st->focused = false;
      CancelPress(h, *st);
      Changed(h, *st, ODA_FOCUS);
      return 0;
    case WM_LBUTTONDOWN:
      if (KindOf(StyleOf(h)) == Kind::Group) return 0;
      if (GetFocus() != h) {
        SetFocus(h);
        if (!IsWindow(h)) return 0;  // a focus handler destroyed it
      }
      st->tracking = true;
      SetPushed(h, *st, true);
      return 0;
    case WM_MOUSEMOVE:
      if (st->tracking) SetPushed(h, *st, InsideClient(h, lp));
      return 0;
    case WM_LBUTTONUP: {
      if (!st->tracking) return 0;
      st->tracking = false;
      const bool inside = InsideClient(h, lp);
      SetPushed(h, *st, false);
      if (inside && IsWindow(h)) Clicked(h, *st);
      return 0;
    }
    case WM_KEYDOWN:
      if (wp == VK_SPACE && KindOf(StyleOf(h)) != Kind::Group && !st->spaceDown) {
        st->spaceDown = true;
        SetPushed(h, *st, true);
      }
      return 0;
    case WM_KEYUP:
      if (wp == VK_SPACE && st->spaceDown) {
        st->spaceDown = false;
        SetPushed(h, *st, false);
        if (IsWindow(h)) Clicked(h, *st);
      }
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled(h)) Clicked(h, *st);
      return 0;
    case BM_GETCHECK:
      return KindOf(StyleOf(h)) == Kind::Check && st->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      if (KindOf(StyleOf(h)) == Kind::Check && st->checked != (wp != BST_UNCHECKED)) {
        st->checked = wp != BST_UNCHECKED;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case BM_GETSTATE:
      return (KindOf(StyleOf(h)) == Kind::Check && st->checked ? BST_CHECKED : 0) |
             (st->pushed ? BST_PUSHED : 0) | (st->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(h, *st, wp != 0);
      return 0;
    case BM_SETSTYLE: {
      // Switches between push and default push; the other bits, and other types, stay.
      const DWORD style = StyleOf(h);
      const DWORD type = static_cast<DWORD>(wp) & BS_TYPEMASK;
      if (IsPushType(style & BS_TYPEMASK) && IsPushType(type) && (style & BS_TYPEMASK) != type) {
        SetWindowLongW(h, GWL_STYLE, static_cast<LONG>((style & ~DWORD{BS_TYPEMASK}) | type));
      }
      if (lp) {
        InvalidateRect(h, nullptr, FALSE);
        UpdateWindow(h);
      }
      return 0;
    }
    default: return Default(*st, h, msg, wp, lp);
  }
}

// ---- STATIC ----

namespace {

struct StaticState : ControlState {};

void PaintStatic(HWND h, const StaticState& st, HDC dc) {
  RECT client{};
  GetClientRect(h, &client);
  FillFromParent(h, dc, client);
  FontScope font(dc, st.font);
  const DWORD style = StyleOf(h);
  UINT format = DT_WORDBREAK | DT_TOP;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_LEFT; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  Text(dc, StoredText(h), client, format, IsWindowEnabled(h) ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT));
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    Attach(h, std::make_shared<StaticState>());
    return 0;
  }
  std::shared_ptr<StaticState> st = StateOf<StaticState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { PaintStatic(h, *st, dc); }, &r)) return r;
  switch (msg) {
    case WM_SETTEXT: {
      const LRESULT r = Default(*st, h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      st->font = reinterpret_cast<HFONT>(wp);
      if (lp) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    default: return Default(*st, h, msg, wp, lp);
  }
}

}  // namespace plat::detail::ctl
