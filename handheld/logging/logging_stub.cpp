// Placeholder of the logging window until the module lands: the classes register and the window
// does nothing.
#include "logging/logging.h"

namespace handheld {

LoggingButtonsData LoggingButtons;
LoggingLayoutData LoggingLayout;
void ResetLoggingButtons() { LoggingButtons = LoggingButtonsData{}; }
void ResetLoggingLayout() { LoggingLayout = LoggingLayoutData{}; }

static int RegisterPlain(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int brush) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(brush));
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0 ? 0 : 1;
}

int RegisterLoggingClasses(HINSTANCE instance) {
  if (RegisterPlain(instance, L"LoggingWnd", LoggingWndProc, LTGRAY_BRUSH) != 0) return 1;
  return RegisterCurveWnd(instance) != 0 ? 2 : 0;
}
int RegisterCurveWnd(HINSTANCE instance) {
  return RegisterPlain(instance, L"CurveWnd", CurveWndProc, WHITE_BRUSH);
}
LRESULT CALLBACK LoggingWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
void ShowMonitorButtons() {}
void StopLogging(int) {}
void CreateDataFile(HWND) {}

}  // namespace handheld
