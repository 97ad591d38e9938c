// A stand-in logging window for the desktop profile's tests and benchmarks: a top-level window
// with CurveWnd at the standard plotting width (760), the program's pens, and the scale factors
// and grid of the settings in force. Header-only: it needs the window modules (desktop_app), which
// the engine tests do not link.
#pragma once

#include <plat/testing.h>
#include <windows.h>

#include "engine/plot_scale.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop::test {

// Sets the plot layout (plotHeight rows, 760 wide), makes the pens and brushes, computes the
// factors and the grid, and creates the window and CurveWnd (also AppWindows.curveWnd). Call
// after the build is set up, on a layer in the desktop profile. Null when a window could not be
// made.
inline HWND OpenProfileScreen(int plotHeight) {
  ScreenLayout.plotHeight = plotHeight;
  ScreenLayout.plotWidth = 760;
  ScreenLayout.drawWidth = 760;
  AppWindows.instance = GetModuleHandleA(nullptr);
  CreatePensAndBrushes();
  CreateTracePens(0);
  const SurveySettingsData& s = SurveySettings;
  PlotState.pxPerUnit0 = PixelsPerUnit(plotHeight, s.scale1Min, s.scale1Max);
  PlotState.pxPerUnit1 = PixelsPerUnit(plotHeight, s.scale2Min, s.scale2Max);
  ComputeGridInForce();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = AppWindows.instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = "ProfileTestScreen";
  RegisterClassA(&wc);
  if (RegisterCurveWnd(AppWindows.instance) != 0) return nullptr;
  HWND top = CreateWindowExA(0, "ProfileTestScreen", "Logging", WS_POPUP | WS_VISIBLE, 0, 0, 800, 574, nullptr,
                             nullptr, AppWindows.instance, nullptr);
  if (top == nullptr) return nullptr;
  AppWindows.curveWnd = CreateWindowExA(0, "CurveWnd", "", WS_CHILD | WS_VISIBLE, 20, 20, 760, plotHeight, top,
                                        reinterpret_cast<HMENU>(kCurveWndId), AppWindows.instance, nullptr);
  plat::test::PumpUntilIdle();
  return AppWindows.curveWnd;
}

}  // namespace desktop::test
