// The file review windows' classes. Until the review is built its window hides itself again on
// any key or click, so the menu comes back.
#include "shell/shell.h"

namespace handheld {

int RegisterViewFilesWnd(HINSTANCE instance) {
  if (RegisterProgramClass(instance, L"ViewFilesWnd", ViewFilesWndProc, LTGRAY_BRUSH) != 0) return 1;
  return RegisterProgramClass(instance, L"ViewCurveWnd", ViewCurveWndProc, WHITE_BRUSH);
}

LRESULT CALLBACK ViewFilesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
      ShowWindow(window, SW_HIDE);  // the focus goes back to the main window
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ViewCurveWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace handheld
