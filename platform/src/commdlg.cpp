// What the common dialogs share: their frame and placement, the extended error and their
// controls; and the harness reset of the dialogs, modules, shell stand-ins and instance locks.
#include "commdlg_internal.h"

#include "foreign_windows.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr int kDesktopWidth = 420;
constexpr int kDesktopHeight = 300;

thread_local DWORD t_error = 0;

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

void ResetCommonDialogs() {
  ResetModules();
  ResetShell();
  ResetInstances();
}

}  // namespace plat::detail

DWORD CommDlgExtendedError() { return plat::detail::t_error; }
