// Menus as constant data: a program's menus are trees of items kept in its resource table and
// turned into menu handles by LoadMenuW/A.
#pragma once

#include <cstddef>
#include <cstdint>

// Item flags (also the flags of a loaded menu's items).
#define MF_STRING 0x0000
#define MF_ENABLED 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_POPUP 0x0010
#define MF_SEPARATOR 0x0800

// One item: a text ('&' before the mnemonic letter, "&&" for a literal '&') with its command id,
// a separator, or a popup holding its own items.
struct MenuItemT {
  const wchar_t* text;     // nullptr for a separator
  uint16_t id;             // command id; 0 for separators and popups
  uint16_t flags;          // MF_STRING, MF_GRAYED, MF_POPUP or MF_SEPARATOR
  const MenuItemT* items;  // a popup's items, else nullptr
  uint16_t count;          // number of `items`
};

// A menu by integer id: its top-level items (a popup menu's tree has one MF_POPUP item on top).
struct MenuT {
  uint16_t id;
  const MenuItemT* items;
  uint16_t count;
};

// Helpers that keep the tables literal:
//   constexpr MenuItemT kLogItems[] = {MenuString(L"&Start", 1101), MenuSeparator(),
//                                      MenuString(L"E&xit", 1102)};
//   constexpr MenuItemT kLogTop[] = {MenuPopup(L"Log", kLogItems)};
//   constexpr MenuT kLogMenu = MenuDef(1100, kLogTop);
constexpr MenuItemT MenuString(const wchar_t* text, uint16_t id, uint16_t flags = MF_STRING) {
  return MenuItemT{text, id, static_cast<uint16_t>(flags & ~(MF_POPUP | MF_SEPARATOR)), nullptr, 0};
}

constexpr MenuItemT MenuSeparator() { return MenuItemT{nullptr, 0, MF_SEPARATOR, nullptr, 0}; }

template <std::size_t N>
constexpr MenuItemT MenuPopup(const wchar_t* text, const MenuItemT (&items)[N],
                              uint16_t flags = MF_STRING) {
  static_assert(N <= 0xFFFF, "too many menu items");
  return MenuItemT{text, 0, static_cast<uint16_t>((flags & ~MF_SEPARATOR) | MF_POPUP), items,
                   static_cast<uint16_t>(N)};
}

template <std::size_t N>
constexpr MenuT MenuDef(uint16_t id, const MenuItemT (&items)[N]) {
  static_assert(N <= 0xFFFF, "too many menu items");
  return MenuT{id, items, static_cast<uint16_t>(N)};
}
