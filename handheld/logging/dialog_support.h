// What every dialog of the handheld program wraps around itself: the soft input panel's button
// and preference, and opening a template by name. Used by the shell and the logging screen.
#pragma once

#include <windows.h>

namespace handheld {

// Hides (0) or shows (1) the device's soft-input-panel button; only on storage-root builds, and
// showing only in portrait.
void ShowSipButton(int show);

// Asks the shell to raise (up nonzero) or force down (up 0) the soft input panel for `window`;
// only on storage-root builds in portrait.
void SetSipPreference(HWND window, int up);

// Finds the dialog template `name` in the program's resources and runs it modally with `owner`,
// `proc` and an initialisation value of 0. Returns the dialog's result, or 0 when nothing opened
// (no such template, or the dialog could not be made): callers treat 0 as Cancel.
INT_PTR RunDialogByName(HWND owner, const wchar_t* name, DLGPROC proc);

}  // namespace handheld
