// Internals of the common dialogs (file name and colour choosers) and the module table: the
// pieces both dialogs share, and the harness hooks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plat::detail {

// ---- Shared pieces (commdlg.cpp) -------------------------------------------------------------
// The window rectangle of a common dialog: the whole screen on the handheld, 420 x 300 centred on
// the desktop. Its style: a captioned popup with the profile's caption box (the OK box on the
// handheld, the close box on the desktop).
RECT CommonDialogRect();
DWORD CommonDialogStyle();
DWORD CommonDialogExStyle();
// The calling thread's CommDlgExtendedError value.
void SetCommDlgError(DWORD code);
// A child control of a common dialog; NULL when the control class is missing.
HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id);
// The height of the system font and the width of a text in it, as drawn in h.
int FontHeight(HWND h);
int TextWidth(HWND h, const wchar_t* text);
// Private message a common dialog posts to itself before its loop, to put the focus on its first
// control once it is shown.
constexpr UINT kMsgInitialFocus = WM_APP + 0x3F0;

// ---- Module table (modules.cpp) --------------------------------------------------------------
// Removes an export of a known module until the next reset.
void RemoveModuleExport(const std::wstring& module, const std::string& name);
void ResetModules();

// ---- Harness reset of the common dialogs, the module table, the shell stand-ins and the
// single-instance locks (commdlg.cpp) ----------------------------------------------------------
void ResetCommonDialogs();

}  // namespace plat::detail
