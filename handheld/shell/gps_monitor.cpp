// The GPS monitor window's class. Until the monitor is built its window only covers the menu.
#include "shell/shell.h"

namespace handheld {

int RegisterMonitorGpsWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, L"MonitorGPSWnd", MonitorGpsWndProc, LTGRAY_BRUSH);
}

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace handheld
