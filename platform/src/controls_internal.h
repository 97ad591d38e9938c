// Internals shared by the predefined controls: per-control state, text parameters in the window's
// character type, notifications, and the plain fixed look drawn with the layer's own GDI calls.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "plat/controls.h"

namespace plat::detail::ctl {

// ---- Per-control state ----------------------------------------------------------------------
// Each control keeps its state in a table keyed by its handle; handles are never reused, so an
// entry left by a window that went without WM_DESTROY can never be mistaken for another's.
struct ControlState {
  virtual ~ControlState() = default;
  bool wide = true;      // text parameters carry wchar_t (else CP1252 char)
  HFONT font = nullptr;  // WM_SETFONT's font; NULL: the system font
  bool focused = false;
};

void Attach(HWND h, std::shared_ptr<ControlState> state);
void Detach(HWND h);
std::shared_ptr<ControlState> FindState(HWND h);
// The state of a control of this class: each class's procedure attaches its own type at
// WM_CREATE and reads only the handles it is called for, so the cast is safe.
template <class T>
std::shared_ptr<T> StateOf(HWND h) {
  return std::static_pointer_cast<T>(FindState(h));
}
// Whether the window was created through a W call (text messages then carry wchar_t).
bool WindowIsWide(HWND h);

// Calls DefWindowProcW or DefWindowProcA as the window's character type asks.
LRESULT Default(const ControlState& st, HWND h, UINT msg, WPARAM wp, LPARAM lp);
// The messages every control answers alike: WM_DESTROY drops the state, WM_ERASEBKGND is left to
// the paint (which covers everything), WM_PAINT calls paint between BeginPaint and EndPaint, and
// WM_GETFONT. True when msg was one of them, with *result set.
bool CommonMessage(HWND h, const ControlState& st, UINT msg, const std::function<void(HDC)>& paint,
                   LRESULT* result);

// ---- Text -----------------------------------------------------------------------------------
// Every control holds at most this many characters in a text or an item.
constexpr size_t kMaxText = 32767;
// Items a list or combo box holds at most.
constexpr size_t kMaxItems = 32767;

// The string a message parameter points at, in the window's character type; NULL gives "".
std::wstring ParamText(bool wide, LPARAM lp);
// Copies at most cap-1 characters and a NUL into buf; returns the count copied. A NULL buffer or
// a capacity of 0 writes nothing and returns 0.
LRESULT CopyTextOut(bool wide, const std::wstring& s, LPARAM buf, size_t cap);
// The window text as stored by DefWindowProc.
std::wstring StoredText(HWND h);
// Stores text as the window text (DefWindowProc's copy), so the window calls read it.
void StoreText(HWND h, const std::wstring& text);
// A character of WM_CHAR in the window's character type, as a wide character.
wchar_t CharParam(bool wide, WPARAM wp);

// ---- Notifications --------------------------------------------------------------------------
// WM_COMMAND(MAKEWPARAM(id, code), h) to the parent, synchronously.
void Notify(HWND h, WORD code);

// ---- Drawing --------------------------------------------------------------------------------
inline COLORREF Sys(int index) { return GetSysColor(index); }
void Fill(HDC dc, const RECT& r, COLORREF c);
// A 1-px frame: top and left in tl, bottom and right in br. Returns r inset by 1.
RECT Frame(HDC dc, const RECT& r, COLORREF tl, COLORREF br);
RECT Raised(HDC dc, const RECT& r);  // 2-px raised edge; returns the inside
RECT Sunken(HDC dc, const RECT& r);  // 2-px sunken edge; returns the inside
// The parent's pixels under the control (the control is drawn over its parent's background).
void FillFromParent(HWND h, HDC dc, const RECT& r);
// Draws text transparent in colour through DrawText.
void Text(HDC dc, const std::wstring& s, RECT r, UINT format, COLORREF colour);
// The cell height of the font (NULL: the system font) on this window.
int FontCell(HWND h, HFONT font);

// Selects a control's font into a DC for the scope, and puts the old one back.
class FontScope {
 public:
  FontScope(HDC dc, HFONT font);
  ~FontScope();
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// A window DC with the control's font selected, released at the end of the scope.
class WindowDc {
 public:
  WindowDc(HWND h, HFONT font);
  ~WindowDc();
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND h_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// ---- Vertical scroll bar of the list and combo lists ----------------------------------------
constexpr int kScrollWidth = 13;
// Draws the bar in area for items top..top+rows of count.
void DrawScrollBar(HDC dc, const RECT& area, int top, int rows, int count);
// The top index a click at p (inside area) asks for.
int ScrollClick(const RECT& area, POINT p, int top, int rows, int count);
// The top index clamped so the last page stays full.
inline int ClampTop(int top, int rows, int count) {
  const int last = count > rows ? count - rows : 0;
  return top < 0 ? 0 : (top > last ? last : top);
}

// ---- Window procedures ----------------------------------------------------------------------
LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK StaticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ComboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ComboListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

// The open list window of a combo box, or NULL.
HWND ComboListOf(HWND combo);

}  // namespace plat::detail::ctl
