// The profile plot's selection and redraws come with the desktop survey recording; until then no
// channel is selected and the redraws draw nothing.
#include "ui/logging.h"

namespace desktop {

void SelectTraces() {}
void RedrawProfile(HWND) {}
void RedrawRz56Profile(HWND) {}

}  // namespace desktop
