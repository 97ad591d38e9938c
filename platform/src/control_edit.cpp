// EDIT, single line: typing, the caret and the selection, read-only, the length limit, the steady
// caret, and EN_UPDATE then EN_CHANGE after every change of the text.
#include <algorithm>

#include "controls_internal.h"

namespace plat::detail::ctl {
namespace {

constexpr int kMargin = 2;
// Change notifications nest at most this deep: a parent that rewrites the text on every EN_CHANGE
// without converging still gets its text set, but no further notifications.
constexpr int kMaxNesting = 16;

struct EditState : ControlState {
  std::wstring text;
  size_t caret = 0;
  size_t anchor = 0;  // the selection runs between anchor and caret
  int scroll = 0;     // pixels of the text scrolled out at the left
  size_t limit = kMaxText;
  bool tracking = false;
  int depth = 0;
  size_t Lo() const { return std::min(caret, anchor); }
  size_t Hi() const { return std::max(caret, anchor); }
};

bool ReadOnly(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & ES_READONLY) != 0; }

int Extent(HDC dc, const std::wstring& s, size_t from, size_t to) {
  if (!dc || to <= from) return 0;
  SIZE sz{};
  GetTextExtentPoint32W(dc, s.c_str() + from, static_cast<int>(to - from), &sz);
  return sz.cx;
}

int TextWidth(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return std::max(1, static_cast<int>(r.right) - 2 * kMargin);
}

// Scrolls so the caret shows, and no more of the text than needed is scrolled out.
void ShowCaret(HWND h, EditState& st) {
  WindowDc wdc(h, st.font);
  const int w = TextWidth(h);
  const int total = Extent(wdc.dc(), st.text, 0, st.text.size());
  const int at = Extent(wdc.dc(), st.text, 0, st.caret);
  st.scroll = std::min(st.scroll, std::max(0, total - w + 1));
  if (at < st.scroll) st.scroll = at;
  if (at > st.scroll + w - 1) st.scroll = at - w + 1;
  st.scroll = std::max(st.scroll, 0);
}

// The character boundary nearest to a client x.
size_t HitIndex(HWND h, const EditState& st, int x) {
  WindowDc wdc(h, st.font);
  const int target = x - kMargin + st.scroll;
  int pos = 0;
  for (size_t i = 0; i < st.text.size(); ++i) {
    const int adv = Extent(wdc.dc(), st.text, i, i + 1);
    if (target < pos + (adv + 1) / 2) return i;
    pos += adv;
  }
  return st.text.size();
}

void NotifyChange(HWND h, EditState& st) {
  if (st.depth >= kMaxNesting) return;
  ++st.depth;
  Notify(h, EN_UPDATE);
  if (IsWindow(h)) Notify(h, EN_CHANGE);
  --st.depth;
}

void AfterChange(HWND h, EditState& st) {
  ShowCaret(h, st);
  InvalidateRect(h, nullptr, FALSE);
  NotifyChange(h, st);
}

void AfterMove(HWND h, EditState& st) {
  ShowCaret(h, st);
  InvalidateRect(h, nullptr, FALSE);
}

// Replaces the selection with s; false (nothing changes) when the result would pass the limit.
bool Replace(EditState& st, const std::wstring& s) {
  const size_t lo = st.Lo(), hi = st.Hi();
  if (st.text.size() - (hi - lo) + s.size() > st.limit) return false;
  st.text.replace(lo, hi - lo, s);
  st.caret = st.anchor = lo + s.size();
  return true;
}

void OnChar(HWND h, EditState& st, wchar_t c) {
  if (ReadOnly(h)) return;
  if (c == L'\b') {
    if (st.Lo() == st.Hi()) {
      if (st.caret == 0) return;
      st.anchor = st.caret - 1;
    }
    Replace(st, std::wstring());
    AfterChange(h, st);
    return;
  }
  if (c < 0x20 || c == 0x7F) return;  // Enter, Tab, Escape and control keys type nothing
  if ((GetWindowLongW(h, GWL_STYLE) & ES_NUMBER) && (c < L'0' || c > L'9')) return;
  if (Replace(st, std::wstring(1, c))) AfterChange(h, st);
}

void OnKey(HWND h, EditState& st, WPARAM vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const size_t len = st.text.size();
  const bool selection = st.Lo() != st.Hi();
  switch (vk) {
    case VK_LEFT:
      if (selection && !shift) {
        st.caret = st.anchor = st.Lo();
      } else if (st.caret > 0) {
        --st.caret;
      }
      break;
    case VK_RIGHT:
      if (selection && !shift) {
        st.caret = st.anchor = st.Hi();
      } else if (st.caret < len) {
        ++st.caret;
      }
      break;
    case VK_HOME: st.caret = 0; break;
    case VK_END: st.caret = len; break;
    case VK_DELETE:
      if (ReadOnly(h)) return;
      if (!selection) {
        if (st.caret >= len) return;
        st.anchor = st.caret + 1;
      }
      Replace(st, std::wstring());
      AfterChange(h, st);
      return;
    default: return;
  }
  if (!shift) st.anchor = st.caret;
  AfterMove(h, st);
}

void Paint(HWND h, const EditState& st, HDC dc) {
  RECT client{};
  GetClientRect(h, &client);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  const COLORREF back = enabled && !ReadOnly(h) ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE);
  Fill(dc, client, back);
  FontScope font(dc, st.font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int y = std::max(0, static_cast<int>(client.bottom - tm.tmHeight) / 2);
  const int x0 = kMargin - st.scroll;
  const RECT clip{client.left + 1, client.top, client.right - 1, client.bottom};
  const size_t lo = st.focused ? st.Lo() : 0, hi = st.focused ? st.Hi() : 0;
  const COLORREF ink = enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  auto run = [&](size_t from, size_t to, bool selected) {
    if (to <= from) return;
    const int x = x0 + Extent(dc, st.text, 0, from);
    if (selected) {
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, Sys(COLOR_HIGHLIGHT));
      SetTextColor(dc, Sys(COLOR_HIGHLIGHTTEXT));
    }
    ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, st.text.c_str() + from, static_cast<UINT>(to - from), nullptr);
    if (selected) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, ink);
    }
  };
  run(0, lo, false);
  run(lo, hi, true);
  run(hi, st.text.size(), false);
  if (st.focused) {
    // The caret is drawn steady, so the pixels stay the same from one capture to the next.
    const int x = x0 + Extent(dc, st.text, 0, st.caret);
    Fill(dc, RECT{x, y, x + 1, y + tm.tmHeight}, Sys(COLOR_WINDOWTEXT));
  }
}

// A message parameter as a character position: negative stays negative, large values clamp.
int64_t Position(intptr_t v) { return std::clamp<int64_t>(v, -1, int64_t{1} << 30); }

}  // namespace

LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto st = std::make_shared<EditState>();
    st->text = StoredText(h);
    if (st->text.size() > kMaxText) st->text.resize(kMaxText);
    Attach(h, st);
    return 0;
  }
  std::shared_ptr<EditState> st = StateOf<EditState>(h);
  if (!st) return DefWindowProcW(h, msg, wp, lp);
  LRESULT r = 0;
  if (CommonMessage(h, *st, msg, [&](HDC dc) { Paint(h, *st, dc); }, &r)) return r;
  switch (msg) {
    case WM_SETTEXT:
      // Every programmatic text is a change, even one equal to the old text.
      st->text = ParamText(st->wide, lp);
      st->caret = st->anchor = 0;
      st->scroll = 0;
      AfterChange(h, *st);
      return TRUE;
    case WM_GETTEXT: return CopyTextOut(st->wide, st->text, lp, wp);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(st->text.size());
    case WM_SETFONT:
      st->font = reinterpret_cast<HFONT>(wp);
      ShowCaret(h, *st);
      if (lp) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SIZE:
      ShowCaret(h, *st);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      st->tracking = false;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    case WM_SETFOCUS:
      st->focused = true;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      st->focused = false;
      st->tracking = false;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, EN_KILLFOCUS);
      return 0;
    case WM_CHAR:
      OnChar(h, *st, CharParam(st->wide, wp));
      return 0;
    case WM_KEYDOWN:
      OnKey(h, *st, wp);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) {
        SetFocus(h);
        if (!IsWindow(h)) return 0;
      }
      st->caret = HitIndex(h, *st, static_cast<SHORT>(LOWORD(lp)));
      if (GetKeyState(VK_SHIFT) >= 0) st->anchor = st->caret;
      st->tracking = true;
      AfterMove(h, *st);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (st->tracking) {
        st->caret = HitIndex(h, *st, static_cast<SHORT>(LOWORD(lp)));
        AfterMove(h, *st);
      }
      return 0;
    case WM_LBUTTONUP:
      st->tracking = false;
      return 0;
    case EM_GETSEL: {
      const DWORD lo = static_cast<DWORD>(st->Lo()), hi = static_cast<DWORD>(st->Hi());
      if (wp) *reinterpret_cast<DWORD*>(wp) = lo;
      if (lp) *reinterpret_cast<DWORD*>(lp) = hi;
      return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(lo, hi)));
    }
    case EM_SETSEL: {
      const int64_t len = static_cast<int64_t>(st->text.size());
      const int64_t from = Position(static_cast<intptr_t>(wp));
      const int64_t to = Position(lp);
      if (from < 0) {
        st->anchor = st->caret;  // -1: no selection, the caret stays
      } else {
        st->anchor = static_cast<size_t>(std::min(from, len));
        st->caret = static_cast<size_t>(to < 0 ? len : std::min(to, len));
      }
      AfterMove(h, *st);
      return 0;
    }
    case EM_LIMITTEXT:
      st->limit = wp == 0 || wp > kMaxText ? kMaxText : static_cast<size_t>(wp);
      return 0;
    case EM_SETREADONLY: {
      const DWORD style = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
      SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(wp ? style | ES_READONLY : style & ~DWORD{ES_READONLY}));
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    default: return Default(*st, h, msg, wp, lp);
  }
}

}  // namespace plat::detail::ctl
