// The profile plot's selection, points and redraws come with the desktop survey recording; until
// then no channel is selected, a reading plots nothing and the redraws draw nothing.
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {

void SelectTraces() {}
void RedrawProfile(HWND) {}
void PlotReadingPoint(HDC, const int32_t[8]) {}
void RedrawRz56Profile(HWND) {}

}  // namespace desktop
