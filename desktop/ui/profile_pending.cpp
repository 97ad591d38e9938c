// The profile plot's selection and redraws come with the desktop survey recording; until then no
// channel is selected and the redraws draw nothing.
#include "ui/logging.h"

namespace desktop {

__attribute__((weak)) void SelectTraces() {}
__attribute__((weak)) void RedrawProfile(HWND) {}
__attribute__((weak)) void RedrawRz56Profile(HWND) {}

}  // namespace desktop
