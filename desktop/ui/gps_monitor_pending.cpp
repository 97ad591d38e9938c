// The GPS monitor's window comes with the desktop GPS monitor. Until then this stand-in class
// does what its E&xit does on any key or click: back to the start screen, the monitor's reader
// handle closed, the window hidden.
#include "engine/state.h"
#include "ui/main_window.h"
#include "ui/run_start.h"

namespace desktop {
namespace {

void ExitMonitor(HWND monitor) {
  MainMenu.mode = 0;
  if (SurveySettings.gpsEnabled > 0 && WorkerThreads.gps != INVALID_HANDLE_VALUE) {
    CloseHandle(WorkerThreads.gps);
    WorkerThreads.gps = INVALID_HANDLE_VALUE;
  }
  ShowWindow(monitor, SW_HIDE);
}

}  // namespace

LRESULT CALLBACK MonitorGpsWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
      ExitMonitor(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

int RegisterMonitorGpsWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "MonitorGPSWnd", MonitorGpsWndProc, 0,
                              CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
}

}  // namespace desktop
