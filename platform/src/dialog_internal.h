// Internals of the dialog boxes: the dialog manager's keyboard handling run by the modal loop.
#pragma once

#include <windows.h>

namespace plat::detail {

// Dialog keyboard handling for a message retrieved while the dialog's loop runs: Tab and
// Shift+Tab, Enter, Escape and mnemonics for keys addressed to the dialog or one of its controls.
// True when the message was handled and must not be dispatched.
bool DialogKeyFilter(HWND dlg, MSG& msg);

// Whether h is dlg or lies inside it.
bool InsideDialog(HWND dlg, HWND h);

}  // namespace plat::detail
