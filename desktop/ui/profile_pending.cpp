// The RZ56 strip chart's redraw comes with the RZ56 nulling and check; until then it draws nothing.
#include "ui/logging.h"

namespace desktop {

void RedrawRz56Profile(HWND) {}

}  // namespace desktop
