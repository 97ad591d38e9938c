// Test views of the predefined controls.
#pragma once

#include <windows.h>

namespace plat::test {

// The open list of a combo box (a popup of its own, in screen coordinates), or NULL when closed.
HWND ComboList(HWND combo);

}  // namespace plat::test
