// Internal entries through which test automation drives the open modal UI of each kind, and the
// result report that feeds the modal log. Each kind implements its own entries; automation calls
// them on the UI thread, inside the modal loop (from the modal hook or a message it dispatches).
#pragma once

#include <string>

#include <windows.h>

#include "modal.h"

namespace plat::detail {

// ---- Message boxes (boxes) ------------------------------------------------------------------
struct BoxRecord {
  HWND owner = nullptr;  // the owner as passed to MessageBox (not its top-level ancestor)
  std::wstring caption;
  std::wstring text;
  UINT type = 0;  // the MB_* flags as passed
};
// Fills *out for the open message box `box`; false when `box` is no open message box.
bool BoxInfo(HWND box, BoxRecord* out);
// Ends the open message box with the result `id` as if its button had been pressed. False (and no
// effect) when `box` is no open message box or has no button with that id.
bool ScriptAnswerBox(HWND box, int id);

// ---- Popup menus (boxes) --------------------------------------------------------------------
// Chooses item `id` of the tracking menu shown by `menuWnd`, as a click on it would (posted, or
// returned with TPM_RETURNCMD). False (and no effect) when `menuWnd` is no tracking menu or has no
// enabled command item `id`.
bool ScriptChooseMenuItem(HWND menuWnd, UINT id);
// Cancels the tracking menu as Escape would: nothing is posted. False when it is no tracking menu.
bool ScriptCancelMenu(HWND menuWnd);

// ---- Open and save dialogs (commdlg) --------------------------------------------------------
struct FileDialogRecord {
  bool save = false;  // GetSaveFileName (else GetOpenFileName)
  std::wstring file;  // lpstrFile as it came in (the proposed name)
  DWORD flags = 0;    // OPENFILENAME Flags as passed
};
// Fills *out for the open file dialog `dlg`; false when `dlg` is no open file dialog.
bool FileDialogInfo(HWND dlg, FileDialogRecord* out);
// Types `name` into the file name edit and presses OK: the result follows the same rules as the
// user's own input (joined to the initial folder, default extension, too small a buffer, and any
// prompt the flags ask for). False when `dlg` is no open file dialog.
bool ScriptChooseFile(HWND dlg, const std::wstring& name);
// Presses Cancel. False when `dlg` is no open file dialog.
bool ScriptCancelFile(HWND dlg);

// ---- Colour chooser (commdlg) ---------------------------------------------------------------
struct ColourRecord {
  COLORREF initial = 0;  // rgbResult as it came in
  DWORD flags = 0;       // CHOOSECOLOR Flags as passed
};
// Fills *out for the open colour chooser `dlg`; false when `dlg` is no open colour chooser.
bool ColourDialogInfo(HWND dlg, ColourRecord* out);
// Selects `rgb` and presses OK. False when `dlg` is no open colour chooser.
bool ScriptChooseColour(HWND dlg, COLORREF rgb);
// Presses Cancel. False when `dlg` is no open colour chooser.
bool ScriptCancelColour(HWND dlg);

// ---- The modal log (modal engine; called by every kind) -------------------------------------
// Reports the value the call that ran `modal` returns, once its loop has ended and before the call
// returns: the EndDialog value, the box's button id, the chosen menu id (0: cancelled), TRUE/FALSE
// of a common dialog. `detail` carries what the result means beyond the value (the chosen path,
// the colour as "RGB(r,g,b)"), or is empty.
void ReportModalResult(HWND modal, ModalKind kind, INT_PTR result, const std::wstring& detail = {});

}  // namespace plat::detail
