// Placeholder of the title screen until it lands.
#include "shell/shell.h"

namespace handheld {

LRESULT MainOnPaint(HWND window, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  BeginPaint(window, &ps);
  EndPaint(window, &ps);
  return 0;
}

}  // namespace handheld
