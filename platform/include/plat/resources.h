// Resources as constant C++ data: dialog templates by name, menus and icons by id, stand-in
// bitmaps by name. Each program build registers one table (plat::RegisterResources); the lookup
// calls find entries in it, names ignoring case, integer ids as MAKEINTRESOURCE.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plat/controls.h"
#include "plat/menu_resources.h"
#include "plat/user.h"

// ---- Resource types --------------------------------------------------------------------------
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)

// ---- Dialog styles ---------------------------------------------------------------------------
#define DS_SETFONT 0x40
#define DS_MODALFRAME 0x80
#define DS_CENTER 0x800

// ---- Dialog templates ------------------------------------------------------------------------
// Coordinates are dialog units; a template's cx and cy give the client size. Items are created in
// table order, which is also the tab order and the z-order (the first item is topmost). Styles are
// used as written: the helpers below supply the usual defaults.
enum class DlgKind : uint8_t { Static, Edit, Button, ComboBox, ListBox };

struct DlgItemT {
  DlgKind kind;
  uint16_t id;
  const wchar_t* text;
  int16_t x, y, cx, cy;
  uint32_t style;
};

struct DlgTemplateT {
  const wchar_t* name;
  const wchar_t* title;
  uint32_t style, exStyle;
  int16_t x, y, cx, cy;
  const wchar_t* face;
  uint16_t pointSize;
  const DlgItemT* items;
  uint16_t count;
};

constexpr uint32_t kDlgItemStyle = WS_CHILD | WS_VISIBLE;

// Labels: static text, left, centred or right aligned.
constexpr DlgItemT DlgLText(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                            uint32_t style = 0) {
  return DlgItemT{DlgKind::Static, id, text, x, y, cx, cy, kDlgItemStyle | SS_LEFT | style};
}
constexpr DlgItemT DlgCText(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                            uint32_t style = 0) {
  return DlgItemT{DlgKind::Static, id, text, x, y, cx, cy, kDlgItemStyle | SS_CENTER | style};
}
constexpr DlgItemT DlgRText(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                            uint32_t style = 0) {
  return DlgItemT{DlgKind::Static, id, text, x, y, cx, cy, kDlgItemStyle | SS_RIGHT | style};
}
// A single-line edit with a border that scrolls as its text grows.
constexpr DlgItemT DlgEdit(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy, uint32_t style = 0) {
  return DlgItemT{DlgKind::Edit, id, nullptr, x, y, cx, cy,
                  kDlgItemStyle | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | style};
}
constexpr DlgItemT DlgPushButton(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                                 uint32_t style = 0) {
  return DlgItemT{DlgKind::Button, id, text, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | BS_PUSHBUTTON | style};
}
constexpr DlgItemT DlgDefPushButton(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                                    uint32_t style = 0) {
  return DlgItemT{DlgKind::Button, id, text, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | BS_DEFPUSHBUTTON | style};
}
constexpr DlgItemT DlgCheckBox(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                               uint32_t style = 0) {
  return DlgItemT{DlgKind::Button, id, text, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | BS_AUTOCHECKBOX | style};
}
constexpr DlgItemT DlgOwnerDrawButton(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy,
                                      uint32_t style = 0) {
  return DlgItemT{DlgKind::Button, id, nullptr, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | BS_OWNERDRAW | style};
}
// A group box never takes the focus: no tab stop.
constexpr DlgItemT DlgGroupBox(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx, int16_t cy,
                               uint32_t style = 0) {
  return DlgItemT{DlgKind::Button, id, text, x, y, cx, cy, kDlgItemStyle | BS_GROUPBOX | style};
}
// A drop-down list; cy covers the closed box and the dropped list.
constexpr DlgItemT DlgComboBox(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy, uint32_t style = 0) {
  return DlgItemT{DlgKind::ComboBox, id, nullptr, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | CBS_DROPDOWNLIST | style};
}
constexpr DlgItemT DlgListBox(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy, uint32_t style = 0) {
  return DlgItemT{DlgKind::ListBox, id, nullptr, x, y, cx, cy, kDlgItemStyle | WS_TABSTOP | style};
}

//   constexpr DlgItemT kCommentItems[] = {DlgEdit(851, 10, 8, 70, 12), DlgCText(850, L"...", 5, 26, 80, 10)};
//   constexpr DlgTemplateT kComment = DlgDef(L"GetComment", L"Enter Comment",
//       WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER, WS_EX_CAPTIONOKBTN,
//       0, 0, 90, 60, L"MS Sans Serif", 9, kCommentItems);
template <std::size_t N>
constexpr DlgTemplateT DlgDef(const wchar_t* name, const wchar_t* title, uint32_t style, uint32_t exStyle, int16_t x,
                              int16_t y, int16_t cx, int16_t cy, const wchar_t* face, uint16_t pointSize,
                              const DlgItemT (&items)[N]) {
  static_assert(N <= 0xFFFF, "too many dialog items");
  return DlgTemplateT{name, title, style, exStyle, x, y, cx, cy, face, pointSize, items, static_cast<uint16_t>(N)};
}

// ---- Bitmaps and icons -----------------------------------------------------------------------
// A stand-in bitmap, generated when loaded: a solid colour with a text centred on it in the
// built-in font (cell height textCell: 13, 14, 16, 20 or 28), reported with bitsPixel (24 or 32).
struct BitmapT {
  const wchar_t* name;
  int16_t cx, cy;
  COLORREF background;
  COLORREF textColour;
  const wchar_t* text;
  uint8_t textCell;
  bool bold;
  uint8_t bitsPixel;
};

constexpr BitmapT BitmapSolid(const wchar_t* name, int16_t cx, int16_t cy, COLORREF background, COLORREF textColour,
                              const wchar_t* text, uint8_t textCell = 14, bool bold = false, uint8_t bitsPixel = 24) {
  return BitmapT{name, cx, cy, background, textColour, text, textCell, bold, bitsPixel};
}
// The handheld's side strip: dark blue with the text in white.
constexpr BitmapT BitmapSideStrip(const wchar_t* name, int16_t cx, int16_t cy, const wchar_t* text,
                                  uint8_t textCell = 14) {
  return BitmapSolid(name, cx, cy, RGB(0, 0, 128), RGB(255, 255, 255), text, textCell, false);
}
// Titles: white with the text in bold black.
constexpr BitmapT BitmapTitle(const wchar_t* name, int16_t cx, int16_t cy, const wchar_t* text,
                              uint8_t textCell = 20) {
  return BitmapSolid(name, cx, cy, RGB(255, 255, 255), RGB(0, 0, 0), text, textCell, true);
}
// Logos: grey with the text in white.
constexpr BitmapT BitmapLogo(const wchar_t* name, int16_t cx, int16_t cy, const wchar_t* text,
                             uint8_t textCell = 13) {
  return BitmapSolid(name, cx, cy, RGB(128, 128, 128), RGB(255, 255, 255), text, textCell, false);
}

// An icon: only its id; nothing is drawn.
struct IconT {
  uint16_t id;
};

// ---- The table -------------------------------------------------------------------------------
struct ResourceTableT {
  const DlgTemplateT* dialogs = nullptr;
  std::size_t dialogCount = 0;
  const MenuT* menus = nullptr;
  std::size_t menuCount = 0;
  const BitmapT* bitmaps = nullptr;
  std::size_t bitmapCount = 0;
  const IconT* icons = nullptr;
  std::size_t iconCount = 0;
};

namespace plat {

// Makes `table` the resources of the process, replacing any earlier one (handles found in the
// earlier table go stale). The arrays it points to must live for the rest of the run.
void RegisterResources(const ResourceTableT& table);

}  // namespace plat

// ---- Lookup ----------------------------------------------------------------------------------
// The instance is not looked at: a process has one table. FindResource gives NULL with
// ERROR_RESOURCE_NAME_NOT_FOUND for a missing name or id. LockResource gives a pointer to the
// constant entry: a DlgTemplateT (RT_DIALOG), MenuT (RT_MENU), BitmapT (RT_BITMAP) or IconT
// (RT_ICON, RT_GROUP_ICON).
HRSRC FindResourceW(HMODULE inst, LPCWSTR name, LPCWSTR type);
HRSRC FindResourceA(HMODULE inst, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE inst, HRSRC res);
LPVOID LockResource(HGLOBAL res);

// A new bitmap generated from the named stand-in, or NULL when the name is missing.
HBITMAP LoadBitmapW(HINSTANCE inst, LPCWSTR name);
HBITMAP LoadBitmapA(HINSTANCE inst, LPCSTR name);

#ifdef UNICODE
#define FindResource FindResourceW
#define LoadBitmap LoadBitmapW
#else
#define FindResource FindResourceA
#define LoadBitmap LoadBitmapA
#endif
