// Test views of the predefined controls.
#include <plat/test_controls.h>

#include "controls_internal.h"

namespace plat::test {

HWND ComboList(HWND combo) { return detail::ctl::ComboListOf(combo); }

}  // namespace plat::test
