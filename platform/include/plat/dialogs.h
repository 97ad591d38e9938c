// Dialog boxes: dialog units, modal dialogs from templates, the dialog manager's messages and the
// dialog item functions.
#pragma once

#include "plat/controls.h"
#include "plat/resources.h"
#include "plat/user.h"

// ---- Dialog manager messages and codes -------------------------------------------------------
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

// ---- Templates as the dialog calls take them ------------------------------------------------
typedef DlgTemplateT DLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;
typedef const DLGTEMPLATE* LPCDLGTEMPLATE;

// ---- Dialog boxes ----------------------------------------------------------------------------
// Runs the template as a modal dialog owned by the owner's top-level window and returns the value
// given to EndDialog. Returns -1, and nothing opens, when the template is missing, the owner is
// not a window, or creating the dialog or one of its controls fails. A dialog that ends without
// EndDialog (destroyed, or WM_QUIT arrived) returns 0.
INT_PTR DialogBoxIndirectParamW(HINSTANCE inst, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxParamW(HINSTANCE inst, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxParamA(HINSTANCE inst, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
#define DialogBoxW(inst, name, owner, proc) DialogBoxParamW(inst, name, owner, proc, 0)
#define DialogBoxA(inst, name, owner, proc) DialogBoxParamA(inst, name, owner, proc, 0)
// Marks the dialog as ended with `value`; its loop exits after the current message (from
// WM_INITDIALOG: the dialog never shows). FALSE for a window that is no open dialog, or when the
// dialog was ended already.
BOOL EndDialog(HWND dlg, INT_PTR value);

// ---- Dialog units ----------------------------------------------------------------------------
// (a * b) / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the result
// does not fit an int.
int MulDiv(int a, int b, int c);
// Converts the rectangle from the dialog's units into pixels. FALSE for a window that is no dialog.
BOOL MapDialogRect(HWND dlg, LPRECT rc);

// ---- Dialog items ----------------------------------------------------------------------------
// A control the dialog lacks reads as 0 or as an empty text, and setting it does nothing.
LRESULT SendDlgItemMessageW(HWND dlg, int id, UINT msg, WPARAM w, LPARAM l);
LRESULT SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM w, LPARAM l);
// Copies at most n-1 characters and a NUL (when n > 0) and returns the length copied.
UINT GetDlgItemTextW(HWND dlg, int id, LPWSTR buf, int n);
UINT GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int n);
BOOL SetDlgItemTextW(HWND dlg, int id, LPCWSTR text);
BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text);
// The text as a decimal integer (blanks around it allowed, '-' only when isSigned); 0 and
// *translated FALSE for anything else, out-of-range values included.
UINT GetDlgItemInt(HWND dlg, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned);
UINT IsDlgButtonChecked(HWND dlg, int id);
BOOL CheckDlgButton(HWND dlg, int id, UINT state);

#ifdef UNICODE
#define DialogBoxIndirectParam DialogBoxIndirectParamW
#define DialogBoxParam DialogBoxParamW
#define DialogBox DialogBoxW
#define SendDlgItemMessage SendDlgItemMessageW
#define GetDlgItemText GetDlgItemTextW
#define SetDlgItemText SetDlgItemTextW
#else
#define DialogBoxParam DialogBoxParamA
#define DialogBox DialogBoxA
#define SendDlgItemMessage SendDlgItemMessageA
#define GetDlgItemText GetDlgItemTextA
#define SetDlgItemText SetDlgItemTextA
#endif

// ---- Extensions ------------------------------------------------------------------------------
namespace plat {

// The dialog base units of a template font, from the fixed table: 8 pt (or less) 6/13, 9 pt 6/14,
// 10 pt (or more) 7/16; point size 0 takes the profile's system font (14 or 16 px cell). `cell` is
// the font's cell height (tmHeight). x_px = MulDiv(x, baseX, 4), y_px = MulDiv(y, baseY, 8).
struct DialogUnits {
  int baseX;
  int baseY;
  int cell;
};
DialogUnits DialogUnitsFor(int pointSize);
DialogUnits DialogUnitsFor(int pointSize, Profile profile);

}  // namespace plat
