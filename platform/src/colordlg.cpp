// The colour chooser (ChooseColorW/A): a modal window titled "Color" with a grid of 48 basic
// colours and the caller's 16 custom colours, a sample of the current colour, a "Store as custom"
// button, OK and Cancel. Swatches are chosen by click or with the arrow keys.
#include <cwchar>
#include <map>
#include <mutex>

#include "commdlg_internal.h"
#include "dialog_internal.h"
#include "modal.h"
#include "modal_script.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr wchar_t kClass[] = L"PlatColourChooser";
constexpr int kIdStore = 0x2C8;
constexpr int kColumns = 8;
constexpr int kBasicRows = 6;
constexpr int kCustomRows = 2;
constexpr int kBasicCount = kColumns * kBasicRows;
constexpr int kCustomCount = kColumns * kCustomRows;
constexpr int kMargin = 6;
constexpr int kGap = 4;

// Rows from light to dark over eight hues, then greys from white to black.
constexpr COLORREF kBasic[kBasicCount] = {
    RGB(255, 128, 128), RGB(255, 192, 128), RGB(255, 255, 128), RGB(128, 255, 128),
    RGB(128, 255, 255), RGB(128, 128, 255), RGB(192, 128, 255), RGB(255, 128, 255),
    RGB(255, 0, 0),     RGB(255, 128, 0),   RGB(255, 255, 0),   RGB(0, 255, 0),
    RGB(0, 255, 255),   RGB(0, 0, 255),     RGB(128, 0, 255),   RGB(255, 0, 255),
    RGB(192, 0, 0),     RGB(192, 96, 0),    RGB(192, 192, 0),   RGB(0, 192, 0),
    RGB(0, 192, 192),   RGB(0, 0, 192),     RGB(96, 0, 192),    RGB(192, 0, 192),
    RGB(128, 0, 0),     RGB(128, 64, 0),    RGB(128, 128, 0),   RGB(0, 128, 0),
    RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(64, 0, 128),    RGB(128, 0, 128),
    RGB(64, 0, 0),      RGB(64, 32, 0),     RGB(64, 64, 0),     RGB(0, 64, 0),
    RGB(0, 64, 64),     RGB(0, 0, 64),      RGB(32, 0, 64),     RGB(64, 0, 64),
    RGB(255, 255, 255), RGB(224, 224, 224), RGB(192, 192, 192), RGB(160, 160, 160),
    RGB(128, 128, 128), RGB(96, 96, 96),    RGB(64, 64, 64),    RGB(0, 0, 0),
};

struct ColourDialog {
  HWND hwnd = nullptr;
  COLORREF initial = 0;
  DWORD flags = 0;
  COLORREF current = 0;
  COLORREF* custom = nullptr;  // the caller's 16, or ownCustom when it gave none
  COLORREF ownCustom[kCustomCount] = {};
  int selected = -1;  // 0..47 basic, 48..63 custom, -1: the current colour is in no swatch
  int slot = 0;       // the custom colour "Store as custom" writes next
  bool ended = false;
  bool ok = false;
  // Layout in client coordinates.
  int cell = 0;
  POINT basicAt{}, customAt{};
  RECT basicLabel{}, customLabel{}, sample{};
  HWND store = nullptr, okButton = nullptr, cancel = nullptr;
};

std::mutex g_mu;
std::map<HWND, ColourDialog*>& g_open = *new std::map<HWND, ColourDialog*>;

ColourDialog* Find(HWND h) {
  std::lock_guard<std::mutex> lock(g_mu);
  auto it = g_open.find(h);
  return it == g_open.end() ? nullptr : it->second;
}

COLORREF SwatchColour(const ColourDialog& d, int i) { return i < kBasicCount ? kBasic[i] : d.custom[i - kBasicCount]; }

int IndexOf(const ColourDialog& d, COLORREF c) {
  for (int i = 0; i < kBasicCount + kCustomCount; ++i) {
    if (SwatchColour(d, i) == c) return i;
  }
  return -1;
}

RECT SwatchRect(const ColourDialog& d, int i) {
  const POINT o = i < kBasicCount ? d.basicAt : d.customAt;
  const int k = i < kBasicCount ? i : i - kBasicCount;
  const int x = o.x + (k % kColumns) * d.cell, y = o.y + (k / kColumns) * d.cell;
  return RECT{x, y, x + d.cell, y + d.cell};
}

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

RECT Inset(RECT r, int n) { return RECT{r.left + n, r.top + n, r.right - n, r.bottom - n}; }

void Paint(ColourDialog& d) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(d.hwnd, &ps);
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, L"Basic colors:", -1, &d.basicLabel, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(dc, L"Custom colors:", -1, &d.customLabel, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  const COLORREF frame = GetSysColor(COLOR_WINDOWTEXT);
  for (int i = 0; i < kBasicCount + kCustomCount; ++i) {
    const RECT r = SwatchRect(d, i);
    if (i == d.selected) {
      Fill(dc, r, frame);
      Fill(dc, Inset(r, 1), GetSysColor(COLOR_WINDOW));
    }
    Fill(dc, Inset(r, 2), frame);
    Fill(dc, Inset(r, 3), SwatchColour(d, i));
  }
  Fill(dc, d.sample, frame);
  Fill(dc, Inset(d.sample, 1), d.current);
  EndPaint(d.hwnd, &ps);
}

// Places the grids, the sample and the buttons: the buttons under the grids, or beside them when
// that gives bigger swatches (landscape and desktop).
void Layout(ColourDialog& d) {
  RECT c;
  GetClientRect(d.hwnd, &c);
  const int w = c.right, h = c.bottom;
  const int font = FontHeight(d.hwnd);
  const int label = font + 2;
  const int buttonH = font + 8;
  const int storeW = TextWidth(d.hwnd, L"Store as custom") + 16;
  const int okW = std::max(56, TextWidth(d.hwnd, L"Cancel") + 16);
  const int rows = kBasicRows + kCustomRows;
  const int below = std::min((w - 2 * kMargin) / kColumns,
                             (h - 2 * kMargin - 2 * label - 2 * buttonH - 3 * kGap) / rows);
  const int sideW = std::max(storeW, okW);
  const int beside = std::min((w - 3 * kMargin - sideW) / kColumns, (h - 2 * kMargin - 2 * label - kGap) / rows);
  const bool side = beside > below;
  d.cell = std::clamp(side ? beside : below, 6, 28);
  const int gridW = kColumns * d.cell;
  d.basicLabel = RECT{kMargin, kMargin, kMargin + gridW, kMargin + label};
  d.basicAt = POINT{kMargin, kMargin + label};
  const int customTop = d.basicAt.y + kBasicRows * d.cell + kGap;
  d.customLabel = RECT{kMargin, customTop, kMargin + gridW, customTop + label};
  d.customAt = POINT{kMargin, customTop + label};
  auto place = [](HWND b, int x, int y, int bw, int bh) {
    if (b) MoveWindow(b, x, y, bw, bh, TRUE);
  };
  if (side) {
    const int x = 2 * kMargin + gridW;
    int y = d.basicAt.y;
    d.sample = RECT{x, y, x + sideW, y + buttonH};
    y += buttonH + kGap;
    place(d.store, x, y, sideW, buttonH);
    y += buttonH + kGap;
    place(d.okButton, x, y, sideW, buttonH);
    y += buttonH + kGap;
    place(d.cancel, x, y, sideW, buttonH);
  } else {
    int y = d.customAt.y + kCustomRows * d.cell + kGap;
    const int sampleW = std::max(2 * d.cell, 20);
    d.sample = RECT{kMargin, y, kMargin + sampleW, y + buttonH};
    place(d.store, kMargin + sampleW + kGap, y, storeW, buttonH);
    y += buttonH + kGap;
    place(d.okButton, kMargin, y, okW, buttonH);
    place(d.cancel, kMargin + okW + kGap, y, okW, buttonH);
  }
}

void Select(ColourDialog& d, int i) {
  d.selected = i;
  d.current = SwatchColour(d, i);
  if (i >= kBasicCount) d.slot = i - kBasicCount;
  InvalidateRect(d.hwnd, nullptr, TRUE);
}

void StoreCustom(ColourDialog& d) {
  d.custom[d.slot] = d.current;
  d.selected = kBasicCount + d.slot;
  d.slot = (d.slot + 1) % kCustomCount;
  InvalidateRect(d.hwnd, nullptr, TRUE);
}

void End(ColourDialog& d, bool ok) {
  d.ended = true;
  d.ok = ok;
}

void Command(ColourDialog& d, int id) {
  if (id == IDOK) End(d, true);
  if (id == IDCANCEL) End(d, false);
  if (id == kIdStore) StoreCustom(d);
}

// Arrow keys move over the eight rows of swatches (six basic, two custom).
void Arrow(ColourDialog& d, WPARAM vk) {
  if (d.selected < 0) {
    Select(d, 0);
    return;
  }
  int row = d.selected / kColumns, col = d.selected % kColumns;
  if (vk == VK_LEFT) col = std::max(col - 1, 0);
  if (vk == VK_RIGHT) col = std::min(col + 1, kColumns - 1);
  if (vk == VK_UP) row = std::max(row - 1, 0);
  if (vk == VK_DOWN) row = std::min(row + 1, kBasicRows + kCustomRows - 1);
  Select(d, row * kColumns + col);
}

LRESULT CALLBACK ChooserProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ColourDialog* d = Find(h);
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_PAINT:
      Paint(*d);
      return 0;
    case WM_SIZE:
      Layout(*d);
      return 0;
    case WM_LBUTTONDOWN: {
      const POINT p{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
      for (int i = 0; i < kBasicCount + kCustomCount; ++i) {
        if (Contains(SwatchRect(*d, i), p)) Select(*d, i);
      }
      return 0;
    }
    case WM_COMMAND:
      Command(*d, LOWORD(wp));
      return 0;
    case WM_CLOSE:
      End(*d, false);
      return 0;
    case kMsgInitialFocus:
      if (d->okButton) SetFocus(d->okButton);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

void RegisterOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClass(kClass, ChooserProc, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
  });
}

BOOL ChooseCore(HWND owner, COLORREF* rgb, COLORREF* custom, DWORD flags) {
  SetCommDlgError(0);
  if (owner && !IsWindow(owner)) {
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  RegisterOnce();
  ColourDialog d;
  d.initial = *rgb;
  d.flags = flags;
  d.current = (flags & CC_RGBINIT) ? *rgb : RGB(0, 0, 0);
  d.custom = custom ? custom : d.ownCustom;
  d.selected = IndexOf(d, d.current);
  const RECT r = CommonDialogRect();
  const HWND h = CreateWindowExW(CommonDialogExStyle(), kClass, L"Color", CommonDialogStyle(), r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, owner, nullptr, nullptr, nullptr);
  if (!h) {
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  d.hwnd = h;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_open[h] = &d;
  }
  d.store = MakeControl(h, L"BUTTON", L"Store as custom", WS_TABSTOP, kIdStore);
  d.okButton = MakeControl(h, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
  d.cancel = MakeControl(h, L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
  Layout(d);
  PostMessageW(h, kMsgInitialFocus, 0, 0);
  RunModalLoop(h, ModalKind::Colour, [&d] { return d.ended; }, [&d](MSG& m) {
    if (DialogKeyFilter(d.hwnd, m)) return true;
    if (m.message == WM_KEYDOWN && InsideDialog(d.hwnd, m.hwnd) &&
        (m.wParam == VK_LEFT || m.wParam == VK_RIGHT || m.wParam == VK_UP || m.wParam == VK_DOWN)) {
      Arrow(d, m.wParam);
      return true;
    }
    return false;
  });
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_open.erase(h);
  }
  const BOOL chosen = d.ended && d.ok ? TRUE : FALSE;
  std::wstring detail;
  if (chosen) {
    *rgb = d.current;
    wchar_t buf[32];
    swprintf(buf, 32, L"RGB(%u,%u,%u)", unsigned{GetRValue(d.current)}, unsigned{GetGValue(d.current)},
             unsigned{GetBValue(d.current)});
    detail = buf;
  }
  ReportModalResult(h, ModalKind::Colour, chosen, detail);
  return chosen;
}

}  // namespace

bool ColourDialogInfo(HWND dlg, ColourRecord* out) {
  ColourDialog* d = Find(dlg);
  if (!d || !out) return false;
  out->initial = d->initial;
  out->flags = d->flags;
  return true;
}

bool ScriptChooseColour(HWND dlg, COLORREF rgb) {
  ColourDialog* d = Find(dlg);
  if (!d || d->ended) return false;
  d->current = rgb & 0x00FFFFFFu;
  d->selected = IndexOf(*d, d->current);
  End(*d, true);
  return true;
}

bool ScriptCancelColour(HWND dlg) {
  ColourDialog* d = Find(dlg);
  if (!d || d->ended) return false;
  End(*d, false);
  return true;
}

}  // namespace plat::detail

BOOL ChooseColorW(LPCHOOSECOLORW cc) {
  if (!cc) {
    plat::detail::SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  return plat::detail::ChooseCore(cc->hwndOwner, &cc->rgbResult, cc->lpCustColors, cc->Flags);
}

BOOL ChooseColorA(LPCHOOSECOLORA cc) {
  if (!cc) {
    plat::detail::SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  return plat::detail::ChooseCore(cc->hwndOwner, &cc->rgbResult, cc->lpCustColors, cc->Flags);
}
