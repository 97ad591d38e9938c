// The layer's predefined control classes: "BUTTON", "STATIC", "EDIT", "COMBOBOX" and "LISTBOX"
// (names compare ignoring case). They are ordinary child windows that any program or test creates
// with CreateWindowEx without registering anything; their messages, styles and notifications are
// declared here.
//
// Notifications go to the parent as WM_COMMAND(MAKEWPARAM(id, code), hwndControl), synchronously.
//
// What the dialog manager can rely on (WM_GETDLGCODE; lParam may point at the MSG being routed):
//   - push buttons answer DLGC_BUTTON | DLGC_DEFPUSHBUTTON or DLGC_UNDEFPUSHBUTTON; check boxes and
//     owner-drawn buttons DLGC_BUTTON; group boxes and statics DLGC_STATIC (never focused);
//   - buttons and check boxes click themselves on Space (key down presses, key up clicks), so the
//     dialog manager passes Space through to them; BM_CLICK clicks without moving the focus
//     (mnemonics);
//   - edits answer DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL (EM_SETSEL(0, -1) selects
//     all);
//   - combo boxes answer DLGC_WANTCHARS | DLGC_WANTARROWS, plus DLGC_WANTALLKEYS while their list
//     is open (Enter accepts and Escape cancels there, so the dialog must pass those keys on);
//   - list boxes answer DLGC_WANTCHARS | DLGC_WANTARROWS.
#pragma once

#include "plat/user.h"

// ---- Dialog codes ----------------------------------------------------------------------------
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// ---- Buttons ---------------------------------------------------------------------------------
#define BS_PUSHBUTTON 0x0
#define BS_DEFPUSHBUTTON 0x1
#define BS_AUTOCHECKBOX 0x3
#define BS_GROUPBOX 0x7
#define BS_OWNERDRAW 0xB
#define BS_TYPEMASK 0xF
#define BS_LEFTTEXT 0x20
#define BS_CENTER 0x300
#define BS_NOTIFY 0x4000

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5

#define BST_UNCHECKED 0x0
#define BST_CHECKED 0x1
#define BST_PUSHED 0x4
#define BST_FOCUS 0x8

// BN_CLICKED (0) is the only button notification; it is declared with the window messages.

// ---- Owner-drawn buttons ---------------------------------------------------------------------
#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x1
#define ODA_SELECT 0x2
#define ODA_FOCUS 0x4
#define ODS_SELECTED 0x1
#define ODS_GRAYED 0x2
#define ODS_DISABLED 0x4
#define ODS_CHECKED 0x8
#define ODS_FOCUS 0x10

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

// ---- Statics ---------------------------------------------------------------------------------
#define SS_LEFT 0x0
#define SS_CENTER 0x1
#define SS_RIGHT 0x2
#define SS_TYPEMASK 0x1F
#define SS_NOPREFIX 0x80

// ---- Edits (single line) ---------------------------------------------------------------------
#define ES_LEFT 0x0
#define ES_AUTOHSCROLL 0x80
#define ES_READONLY 0x800
#define ES_NUMBER 0x2000

#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_SETREADONLY 0x00CF

#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400

// ---- Combo boxes (CBS_DROPDOWNLIST) ----------------------------------------------------------
#define CBS_DROPDOWN 0x2
#define CBS_DROPDOWNLIST 0x3
#define CBS_SORT 0x100

#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)

#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETDROPPEDSTATE 0x0157

#define CBN_SELCHANGE 1
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

// ---- List boxes ------------------------------------------------------------------------------
#define LBS_NOTIFY 0x1
#define LBS_SORT 0x2
#define LBS_EXTENDEDSEL 0x800

#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)

#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETTOPINDEX 0x018E
#define LB_SETTOPINDEX 0x0197
