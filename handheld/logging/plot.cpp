// Registration of the profile plot child (CurveWnd); its procedure is with the plot.
#include "logging/logging.h"

namespace handheld {

int RegisterCurveWnd(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = 0;
  wc.lpfnWndProc = CurveWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"CurveWnd";
  return RegisterClassW(&wc) != 0 ? 0 : 1;
}

}  // namespace handheld
