// Message boxes: a captioned top-level window with the wrapped text, an optional icon glyph and a
// row of push buttons, run by the modal engine. Closing or destroying a box ends it with its
// non-Yes result; every call is recorded.
#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>

#include "boxes_internal.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr wchar_t kBoxClass[] = L"PlatMessageBox";
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION;
constexpr int kMargin = 8;
constexpr int kButtonW = 56;
constexpr int kButtonH = 20;
constexpr int kButtonGap = 8;
constexpr int kButtonPad = 8;  // each side of a label wider than the standard button
constexpr int kIconSize = 24;
constexpr int kIconGap = 8;
constexpr size_t kMaxCalls = 1000;

struct Button {
  int id;
  const wchar_t* label;
  RECT rect;  // client coordinates of the box
  HWND hwnd;
};

struct Box {
  HWND hwnd = nullptr;
  BoxRecord record;
  std::vector<Button> buttons;
  int nonYes = IDOK;  // closing, destroying or a quit
  int escape = 0;     // Escape's result; 0: Escape does nothing
  UINT icon = 0;
  RECT textRect{};
  RECT iconRect{};
  HWND focus = nullptr;  // the button the box passes its focus on to
  bool ended = false;
  int result = 0;
  uint64_t call = 0;  // number of the call in the record
};

std::mutex g_mutex;  // guards the lists and every box's ended/result
std::vector<std::shared_ptr<Box>>& g_open = *new std::vector<std::shared_ptr<Box>>;
std::deque<BoxCall>& g_calls = *new std::deque<BoxCall>;
uint64_t g_firstCall = 0;  // call number of g_calls.front()
uint64_t g_nextCall = 0;

std::shared_ptr<Box> FindBox(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& b : g_open) {
    if (b->hwnd == h) return b;
  }
  return nullptr;
}

uint64_t AddCall(const BoxRecord& r) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_calls.size() >= kMaxCalls) {
    g_calls.pop_front();
    ++g_firstCall;
  }
  g_calls.push_back(BoxCall{nullptr, r, 0, false});
  return g_nextCall++;
}

template <class F>
void UpdateCall(uint64_t call, F f) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (call >= g_firstCall && call - g_firstCall < g_calls.size()) f(g_calls[call - g_firstCall]);
}

// Ends the box with id unless it has ended already.
void End(Box& b, int id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (b.ended) return;
  b.ended = true;
  b.result = id;
}

bool Ended(Box& b) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return b.ended;
}

// ---- The box window --------------------------------------------------------------------------

void DrawIcon(HDC dc, const RECT& r, UINT icon) {
  COLORREF fill, ink;
  const wchar_t* glyph;
  switch (icon) {
    case MB_ICONHAND: fill = RGB(192, 0, 0), ink = RGB(255, 255, 255), glyph = L"X"; break;
    case MB_ICONQUESTION: fill = GetSysColor(COLOR_HIGHLIGHT), ink = RGB(255, 255, 255), glyph = L"?"; break;
    case MB_ICONEXCLAMATION: fill = RGB(255, 204, 0), ink = RGB(0, 0, 0), glyph = L"!"; break;
    default: fill = GetSysColor(COLOR_HIGHLIGHT), ink = RGB(255, 255, 255), glyph = L"i"; break;
  }
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, fill);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  RECT t = r;
  SetTextColor(dc, ink);
  DrawTextW(dc, glyph, 1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

void Paint(HWND h, Box& b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  if (b.icon) DrawIcon(dc, b.iconRect, b.icon);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT t = b.textRect;
  DrawTextW(dc, b.record.text.c_str(), static_cast<int>(b.record.text.size()), &t, DT_WORDBREAK | DT_NOPREFIX);
  EndPaint(h, &ps);
}

LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    static_cast<Box*>(cs->lpCreateParams)->hwnd = h;
    return 0;
  }
  std::shared_ptr<Box> b = FindBox(h);
  if (!b) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        for (const Button& k : b->buttons) {
          if (k.id == LOWORD(wp)) End(*b, k.id);
        }
      }
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      // The watchdog's sent WM_DESTROY ends the box like a real destruction: the loop then goes.
      End(*b, b->nonYes);
      return 0;
    case WM_SETFOCUS: {
      HWND to = IsWindow(b->focus) ? b->focus : (b->buttons.empty() ? nullptr : b->buttons[0].hwnd);
      if (to) SetFocus(to);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(h, &rc);
      FillSolid(reinterpret_cast<HDC>(wp), rc, GetSysColor(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT:
      Paint(h, *b);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

// The box's keys: Tab and Shift+Tab move between the buttons, Enter presses the focused one,
// Escape and the buttons' mnemonics end the box. Space reaches the focused button itself.
bool BoxKey(Box& b, const MSG& m) {
  if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
  const bool button = (GetWindowLongW(m.hwnd, GWL_STYLE) & WS_CHILD) && GetParent(m.hwnd) == b.hwnd;
  if (m.hwnd != b.hwnd && !button) return false;
  if (b.buttons.empty()) return false;
  size_t at = 0;
  for (size_t i = 0; i < b.buttons.size(); ++i) {
    if (b.buttons[i].hwnd == GetFocus()) at = i;
  }
  switch (m.wParam) {
    case VK_TAB: {
      const size_t n = b.buttons.size();
      const size_t next = GetKeyState(VK_SHIFT) < 0 ? (at + n - 1) % n : (at + 1) % n;
      b.focus = b.buttons[next].hwnd;
      SetFocus(b.focus);
      return true;
    }
    case VK_RETURN:
      End(b, b.buttons[at].id);
      return true;
    case VK_ESCAPE:
      if (b.escape) End(b, b.escape);
      return true;
    default:
      for (const Button& k : b.buttons) {
        if (m.wParam == static_cast<WPARAM>(MnemonicOf(k.label))) {
          End(b, k.id);
          return true;
        }
      }
      return false;
  }
}

void EnsureClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClass(kBoxClass, BoxProc, nullptr);
  });
}

// Sizes and places the box, its text, icon and buttons (client coordinates) for the screen.
RECT Layout(Box& b) {
  const SIZE screen = ScreenSize();
  Window probe;
  probe.style = kBoxStyle;
  const RECT in = FrameInsets(&probe);
  const int frameX = in.left + in.right;
  const int frameY = in.top + in.bottom;
  HDC dc = GetDC(nullptr);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int iconCol = b.icon ? kIconSize + kIconGap : 0;
  // The text wraps within the screen width less 16 px, less the frame and the icon.
  const int wrap = std::max<int>(tm.tmAveCharWidth, screen.cx - 16 - frameX - iconCol);
  RECT tr{0, 0, wrap, 0};
  if (!b.record.text.empty()) {
    DrawTextW(dc, b.record.text.c_str(), static_cast<int>(b.record.text.size()), &tr,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int textW = std::min<int>(tr.right, wrap);
  const int textH = std::max<int>(tr.bottom, tm.tmHeight);
  std::vector<int> widths;
  int buttonsW = 0;
  for (const Button& k : b.buttons) {
    RECT lr{0, 0, 0, 0};
    DrawTextW(dc, k.label, -1, &lr, DT_CALCRECT | DT_SINGLELINE);
    widths.push_back(std::max<int>(kButtonW, lr.right + 2 * kButtonPad));
    buttonsW += widths.back() + (widths.size() > 1 ? kButtonGap : 0);
  }
  ReleaseDC(nullptr, dc);

  const int blockW = iconCol + textW;
  int contentH = std::max(textH, b.icon ? kIconSize : 0);
  const int clientW = std::min<int>(std::max(blockW, buttonsW) + 2 * kMargin, screen.cx - frameX);
  int clientH = 3 * kMargin + contentH + kButtonH;
  if (clientH > screen.cy - frameY) {
    clientH = std::max<int>(screen.cy - frameY, 3 * kMargin + kButtonH);
    contentH = clientH - 3 * kMargin - kButtonH;  // the text is cut at the buttons
  }
  const int left = std::max(kMargin, (clientW - blockW) / 2);
  if (b.icon) b.iconRect = RECT{left, kMargin, left + kIconSize, kMargin + kIconSize};
  const int textTop = kMargin + std::max(0, (contentH - textH) / 2);
  b.textRect = RECT{left + iconCol, textTop, left + iconCol + textW, std::min(textTop + textH, kMargin + contentH)};

  const int buttonTop = 2 * kMargin + contentH;
  int x = (clientW - buttonsW) / 2;
  for (size_t i = 0; i < b.buttons.size(); ++i) {
    b.buttons[i].rect = RECT{x, buttonTop, x + widths[i], buttonTop + kButtonH};
    x += widths[i] + kButtonGap;
  }
  const int w = clientW + frameX;
  const int h = clientH + frameY;
  return RECT{(screen.cx - w) / 2, (screen.cy - h) / 2, (screen.cx - w) / 2 + w, (screen.cy - h) / 2 + h};
}

// The buttons of a type, their close and Escape results; false for an unsupported set.
bool ButtonsFor(UINT type, Box* b) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      b->buttons = {Button{IDOK, L"&OK", {}, nullptr}};
      b->nonYes = b->escape = IDOK;
      return true;
    case MB_OKCANCEL:
      b->buttons = {Button{IDOK, L"&OK", {}, nullptr}, Button{IDCANCEL, L"&Cancel", {}, nullptr}};
      b->nonYes = b->escape = IDCANCEL;
      return true;
    case MB_YESNO:
      b->buttons = {Button{IDYES, L"&Yes", {}, nullptr}, Button{IDNO, L"&No", {}, nullptr}};
      b->nonYes = IDNO;
      b->escape = 0;
      return true;
    default:
      return false;
  }
}

int RunBox(HWND owner, std::wstring text, std::wstring caption, UINT type) {
  auto b = std::make_shared<Box>();
  b->record = BoxRecord{owner, std::move(caption), std::move(text), type};
  b->call = AddCall(b->record);
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!ButtonsFor(type, b.get())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT icon = type & MB_ICONMASK;
  if (icon >= MB_ICONHAND && icon <= MB_ICONINFORMATION) b->icon = icon;
  EnsureClasses();
  const RECT r = Layout(*b);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_open.push_back(b);
  }
  auto forget = [&b] {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_open.erase(std::remove(g_open.begin(), g_open.end(), b), g_open.end());
  };
  HWND h = CreateWindowExW(0, kBoxClass, b->record.caption.c_str(), kBoxStyle, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, owner, nullptr, nullptr, b.get());
  if (!h) {
    forget();
    return 0;
  }
  for (Button& k : b->buttons) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (&k == &b->buttons[0] ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    k.hwnd = CreateWindowExW(0, L"BUTTON", k.label, style, k.rect.left, k.rect.top, k.rect.right - k.rect.left,
                             k.rect.bottom - k.rect.top, h, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(k.id)),
                             nullptr, nullptr);
    if (!k.hwnd) {
      DestroyWindow(h);
      forget();
      return 0;
    }
  }
  b->focus = b->buttons[0].hwnd;
  UpdateCall(b->call, [h](BoxCall& c) {
    c.box = h;
    c.open = true;
  });
  const std::shared_ptr<Box> keep = b;
  RunModalLoop(h, ModalKind::MessageBox, [keep] { return Ended(*keep); },
               [keep](MSG& m) { return BoxKey(*keep, m); });
  // A quit, or a destruction that never reached the box's handler, gives the non-Yes result too.
  End(*b, b->nonYes);
  int result;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    result = b->result;
  }
  ReportModalResult(h, ModalKind::MessageBox, result);
  forget();
  UpdateCall(b->call, [result](BoxCall& c) {
    c.box = nullptr;
    c.open = false;
    c.result = result;
  });
  return result;
}

}  // namespace

std::vector<BoxCall> BoxCalls() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return std::vector<BoxCall>(g_calls.begin(), g_calls.end());
}

bool BoxInfo(HWND box, BoxRecord* out) {
  std::shared_ptr<Box> b = FindBox(box);
  if (!b || !out) return false;
  *out = b->record;
  return true;
}

bool ScriptAnswerBox(HWND box, int id) {
  std::shared_ptr<Box> b = FindBox(box);
  if (!b || Ended(*b)) return false;
  for (const Button& k : b->buttons) {
    if (k.id == id) {
      End(*b, id);
      return true;
    }
  }
  return false;
}

void ResetMessageBoxes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_open.clear();
  g_calls.clear();
  g_firstCall = g_nextCall;
}

}  // namespace plat::detail

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return plat::detail::RunBox(owner, text ? text : L"", caption ? caption : L"Error", type);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return plat::detail::RunBox(owner, plat::detail::WidenText(text), caption ? plat::detail::WidenText(caption) : L"Error",
                              type);
}
