// TEMPORARY weak stand-ins until the commdlg branch is merged.
#include "modal_standins_tmp.h"

#include "modal_script.h"

namespace plat::detail {
__attribute__((weak)) bool FileDialogInfo(HWND, FileDialogRecord*) { return false; }
__attribute__((weak)) bool ScriptChooseFile(HWND, const std::wstring&) { return false; }
__attribute__((weak)) bool ScriptCancelFile(HWND) { return false; }
__attribute__((weak)) bool ColourDialogInfo(HWND, ColourRecord*) { return false; }
__attribute__((weak)) bool ScriptChooseColour(HWND, COLORREF) { return false; }
__attribute__((weak)) bool ScriptCancelColour(HWND) { return false; }
}  // namespace plat::detail
