// The profile plot child (CurveWnd) and the plot's channels and scales. For now the plot paints
// nothing, redraws nothing, plots no channel and takes one reading per station; the scale factors
// follow the settings.
#include "engine/scale.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/window_table.h"

namespace handheld {

namespace {

constexpr MessageHandler kCurveHandlers[] = {
    {WM_PAINT, CurveOnPaint},
};

}  // namespace

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

LRESULT CALLBACK CurveWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kCurveHandlers, hwnd, message, wParam, lParam);
}

LRESULT CurveOnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  return 0;
}

void RedrawProfile(HWND) {}

void SetDefaultSettings() {
  PlotState.pxPerUnit0 = PixelsPerUnit(PlotState.pxPerUnit0, ScreenLayout.plotHeight, SurveySettings.scale1Min,
                                       SurveySettings.scale1Max);
  PlotState.pxPerUnit1 = PixelsPerUnit(PlotState.pxPerUnit1, ScreenLayout.plotHeight, SurveySettings.scale2Min,
                                       SurveySettings.scale2Max);
}

void SelectTraces() {
  for (auto& shown : PlotState.traceShown) shown = 0;
  PlotState.groupsPerStation = 1;
}

}  // namespace handheld
