// Message boxes and popup menus: modal UI of the layer's own, run by the shared modal engine.
#pragma once

#include "plat/wintypes.h"
#include "plat/menu_resources.h"

// ---- Message boxes ---------------------------------------------------------------------------
#define MB_OKCANCEL 0x1
#define MB_YESNO 0x4
#define MB_TYPEMASK 0xF
#define MB_ICONMASK 0xF0
#define MB_TASKMODAL 0x2000

#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Shows a modal box titled `caption` with `text` and the buttons of `type` (MB_OK, MB_OKCANCEL or
// MB_YESNO, with an optional MB_ICON* glyph). Returns the id of the button that ended it; closing
// or destroying the box gives IDOK, IDCANCEL or IDNO by type. 0 on failure: an owner that is not
// NULL and not a window, or another button set.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- Popup menus -----------------------------------------------------------------------------
#define TPM_LEFTALIGN 0x0000
#define TPM_CENTERALIGN 0x0004
#define TPM_RIGHTALIGN 0x0008
#define TPM_TOPALIGN 0x0000
#define TPM_RETURNCMD 0x0100

struct TPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
};
typedef TPMPARAMS* LPTPMPARAMS;

// A menu of the program's resource table by name or MAKEINTRESOURCE id; NULL when there is none.
HMENU LoadMenuW(HINSTANCE inst, LPCWSTR name);
HMENU LoadMenuA(HINSTANCE inst, LPCSTR name);
// The popup at position pos, or NULL.
HMENU GetSubMenu(HMENU menu, int pos);
// Destroys a menu and its submenus. A submenu is first detached from its parent, so destroying
// both handles, in either order, frees each menu once; a second destroy fails.
BOOL DestroyMenu(HMENU menu);
// Shows the menu at screen (x, y), aligned by flags and kept inside the screen, until an item is
// chosen or the menu is cancelled. The choice is posted to owner as WM_COMMAND after the menu has
// closed, or returned instead with TPM_RETURNCMD (0 when cancelled). params is ignored.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);

#ifdef UNICODE
#define MessageBox MessageBoxW
#define LoadMenu LoadMenuW
#else
#define MessageBox MessageBoxA
#define LoadMenu LoadMenuA
#endif
