// TEMPORARY weak stand-ins until the file dialogs are merged.
#include <windows.h>

#include "modal_script.h"

namespace plat::detail {
__attribute__((weak)) bool FileDialogInfo(HWND, FileDialogRecord*) { return false; }
__attribute__((weak)) bool ScriptChooseFile(HWND, const std::wstring&) { return false; }
__attribute__((weak)) bool ScriptCancelFile(HWND) { return false; }
}  // namespace plat::detail
