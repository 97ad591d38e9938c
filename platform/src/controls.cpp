// The predefined controls' common parts: class registration, the state table, text parameters,
// notifications, the drawing helpers and the list scroll bar.
#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "controls_internal.h"
#include "window_internal.h"

namespace plat::detail {

void EnsureControlClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClass(L"Button", ctl::ButtonProc, nullptr);
    RegisterSystemClass(L"Static", ctl::StaticProc, nullptr);
    RegisterSystemClass(L"Edit", ctl::EditProc, nullptr);
    RegisterSystemClass(L"ComboBox", ctl::ComboProc, nullptr);
    RegisterSystemClass(L"ComboLBox", ctl::ComboListProc, nullptr);  // a combo box's open list
    RegisterSystemClass(L"ListBox", ctl::ListBoxProc, nullptr);
  });
}

namespace ctl {
namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<ControlState>> states;
  size_t sweepAt = 64;
};

Table& T() {
  static Table* t = new Table;  // never destroyed: windows may go while the process exits
  return *t;
}

uintptr_t Key(HWND h) { return reinterpret_cast<uintptr_t>(h); }

// Drops the entries of windows that went without WM_DESTROY (a harness reset).
void SweepDead() {
  std::vector<uintptr_t> keys;
  {
    std::lock_guard<std::mutex> lock(T().mutex);
    if (T().states.size() < T().sweepAt) return;
    for (auto& [k, v] : T().states) keys.push_back(k);
  }
  std::vector<uintptr_t> dead;
  for (uintptr_t k : keys) {
    if (!IsWindow(reinterpret_cast<HWND>(k))) dead.push_back(k);
  }
  std::lock_guard<std::mutex> lock(T().mutex);
  for (uintptr_t k : dead) T().states.erase(k);
  T().sweepAt = std::max<size_t>(64, T().states.size() * 2);
}

}  // namespace

void Attach(HWND h, std::shared_ptr<ControlState> state) {
  SweepDead();
  state->wide = WindowIsWide(h);
  std::lock_guard<std::mutex> lock(T().mutex);
  T().states[Key(h)] = std::move(state);
}

void Detach(HWND h) {
  std::lock_guard<std::mutex> lock(T().mutex);
  T().states.erase(Key(h));
}

std::shared_ptr<ControlState> FindState(HWND h) {
  std::lock_guard<std::mutex> lock(T().mutex);
  auto it = T().states.find(Key(h));
  return it == T().states.end() ? nullptr : it->second;
}

bool WindowIsWide(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  return !w || w->wide;
}

LRESULT Default(const ControlState& st, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return st.wide ? DefWindowProcW(h, msg, wp, lp) : DefWindowProcA(h, msg, wp, lp);
}

bool CommonMessage(HWND h, const ControlState& st, UINT msg, const std::function<void(HDC)>& paint,
                   LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_DESTROY: Detach(h); return true;
    case WM_ERASEBKGND: *result = 1; return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(h, &ps)) {
        paint(dc);
        EndPaint(h, &ps);
      }
      return true;
    }
    case WM_GETFONT: *result = reinterpret_cast<LRESULT>(st.font); return true;
    default: return false;
  }
}

// ---- Text ----

std::wstring ParamText(bool wide, LPARAM lp) {
  if (!lp) return std::wstring();
  std::wstring s = wide ? std::wstring(reinterpret_cast<const wchar_t*>(lp))
                        : WidenText(reinterpret_cast<const char*>(lp));
  if (s.size() > kMaxText) s.resize(kMaxText);
  return s;
}

LRESULT CopyTextOut(bool wide, const std::wstring& s, LPARAM buf, size_t cap) {
  if (!buf || cap == 0) return 0;
  const size_t n = std::min(s.size(), cap - 1);
  if (wide) {
    auto* out = reinterpret_cast<wchar_t*>(buf);
    std::copy(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = 0;
  } else {
    auto* out = reinterpret_cast<char*>(buf);
    for (size_t i = 0; i < n; ++i) out[i] = WideToCp1252(s[i]);
    out[n] = 0;
  }
  return static_cast<LRESULT>(n);
}

std::wstring StoredText(HWND h) {
  const LRESULT n = DefWindowProcW(h, WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0) return std::wstring();
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1, 0);
  const LRESULT got = DefWindowProcW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  return std::wstring(buf.data(), static_cast<size_t>(std::max<LRESULT>(got, 0)));
}

void StoreText(HWND h, const std::wstring& text) {
  DefWindowProcW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

wchar_t CharParam(bool wide, WPARAM wp) {
  if (!wide && wp < 256) return Cp1252ToWide(static_cast<unsigned char>(wp));
  return static_cast<wchar_t>(wp);
}

// ---- Notifications ----

void Notify(HWND h, WORD code) {
  HWND parent = GetParent(h);
  if (!parent) return;
  const int id = GetDlgCtrlID(h);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(h));
}

// ---- Drawing ----

void Fill(HDC dc, const RECT& r, COLORREF c) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

RECT Frame(HDC dc, const RECT& r, COLORREF tl, COLORREF br) {
  Fill(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, tl);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, tl);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, br);
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

RECT Raised(HDC dc, const RECT& r) {
  const RECT in = Frame(dc, r, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW));
  return Frame(dc, in, Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW));
}

RECT Sunken(HDC dc, const RECT& r) {
  const RECT in = Frame(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
  return Frame(dc, in, Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
}

void FillFromParent(HWND h, HDC dc, const RECT& r) {
  Fill(dc, r, Sys(COLOR_BTNFACE));
  HWND parent = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr;
  if (!parent) return;
  POINT o{0, 0};
  ClientToScreen(h, &o);
  ScreenToClient(parent, &o);
  HDC pdc = GetDC(parent);
  if (!pdc) return;
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pdc, o.x + r.left, o.y + r.top, SRCCOPY);
  ReleaseDC(parent, pdc);
}

void Text(HDC dc, const std::wstring& s, RECT r, UINT format, COLORREF colour) {
  if (s.empty()) return;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, colour);
  DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &r, format);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

int FontCell(HWND h, HFONT font) {
  WindowDc wdc(h, font);
  TEXTMETRICW tm{};
  if (!wdc.dc() || !GetTextMetricsW(wdc.dc(), &tm) || tm.tmHeight <= 0) return 14;
  return tm.tmHeight;
}

FontScope::FontScope(HDC dc, HFONT font) : dc_(dc) {
  if (dc_ && font) old_ = SelectObject(dc_, font);
}

FontScope::~FontScope() {
  if (old_) SelectObject(dc_, old_);
}

WindowDc::WindowDc(HWND h, HFONT font) : h_(h), dc_(GetDC(h)) {
  if (dc_ && font) old_ = SelectObject(dc_, font);
}

WindowDc::~WindowDc() {
  if (!dc_) return;
  if (old_) SelectObject(dc_, old_);
  ReleaseDC(h_, dc_);
}

// ---- Scroll bar ----

namespace {

struct BarParts {
  RECT up, down, track, thumb;
};

BarParts Parts(const RECT& a, int top, int rows, int count) {
  const int w = a.right - a.left;
  const int arrow = std::min(w, std::max(0, static_cast<int>(a.bottom - a.top) / 2));
  BarParts p;
  p.up = RECT{a.left, a.top, a.right, a.top + arrow};
  p.down = RECT{a.left, a.bottom - arrow, a.right, a.bottom};
  p.track = RECT{a.left, p.up.bottom, a.right, p.down.top};
  const int trackH = std::max(0, static_cast<int>(p.track.bottom - p.track.top));
  const int range = std::max(1, count);
  int thumbH = std::clamp(static_cast<int>(int64_t{trackH} * rows / range), std::min(8, trackH), trackH);
  const int last = std::max(1, count - rows);
  const int y = p.track.top + static_cast<int>(int64_t{trackH - thumbH} * std::clamp(top, 0, last) / last);
  p.thumb = RECT{a.left, y, a.right, y + thumbH};
  return p;
}

void Arrow(HDC dc, const RECT& box, bool up) {
  const RECT in = Raised(dc, box);
  Fill(dc, in, Sys(COLOR_BTNFACE));
  const int cx = (box.left + box.right) / 2;
  const int cy = (box.top + box.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    const int y = up ? cy - 2 + i : cy + 1 - i;
    Fill(dc, RECT{cx - i, y, cx + i + 1, y + 1}, Sys(COLOR_BTNTEXT));
  }
}

}  // namespace

void DrawScrollBar(HDC dc, const RECT& area, int top, int rows, int count) {
  const BarParts p = Parts(area, top, rows, count);
  Fill(dc, p.track, Sys(COLOR_3DLIGHT));
  Arrow(dc, p.up, true);
  Arrow(dc, p.down, false);
  if (p.thumb.bottom > p.thumb.top) Fill(dc, Raised(dc, p.thumb), Sys(COLOR_BTNFACE));
}

int ScrollClick(const RECT& area, POINT p, int top, int rows, int count) {
  const BarParts parts = Parts(area, top, rows, count);
  const int page = std::max(1, rows);
  int next = top;
  if (p.y < parts.up.bottom) {
    next = top - 1;
  } else if (p.y >= parts.down.top) {
    next = top + 1;
  } else if (p.y < parts.thumb.top) {
    next = top - page;
  } else if (p.y >= parts.thumb.bottom) {
    next = top + page;
  }
  return ClampTop(next, rows, count);
}

}  // namespace ctl
}  // namespace plat::detail
