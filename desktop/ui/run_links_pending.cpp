// The run's links (ports, readers, the watchdog timer and the GPS thread) come with the desktop
// serial ports and readers. Until then this weak stand-in starts nothing and lets the run go on,
// as the plain RZ56 build's start does; the real StartRunLinks replaces it.
#include "ui/run_start.h"

namespace desktop {

__attribute__((weak)) bool StartRunLinks(HWND) { return true; }

}  // namespace desktop

namespace desktop {

__attribute__((weak)) void StopRunLinks(bool) {}
__attribute__((weak)) void Rz56TimerTick() {}

}  // namespace desktop
