#include "plot_test_support.h"

#include <plat/testing.h>

#include "engine/state.h"
#include "logging/logging.h"

namespace handheld::test {

namespace {

HFONT MakeFont(LONG weight) {
  LOGFONTW lf{};
  lf.lfHeight = 14;
  lf.lfWeight = weight;
  wcscpy(lf.lfFaceName, L"MS Sans Serif");
  return CreateFontIndirectW(&lf);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

}  // namespace

PlotScreen OpenPlotScreen(bool portrait, int plotHeight) {
  ScreenLayout.portrait = portrait ? 1 : 0;
  ScreenLayout.windowWidth = portrait ? 240 : 320;
  ScreenLayout.windowHeight = portrait ? 320 : 240;
  ScreenLayout.usableHeight = ScreenLayout.windowHeight - 22;
  ScreenLayout.textHeight = 14;
  ScreenLayout.plotLeft = 4;
  ScreenLayout.plotTop = portrait ? 2 * 15 : 15;
  ScreenLayout.plotWidth = portrait ? 232 : 312;
  ScreenLayout.plotHeight = plotHeight;
  AppWindows.instance = GetModuleHandleW(nullptr);
  AppWindows.fontNormal = MakeFont(FW_NORMAL);
  AppWindows.fontBold = MakeFont(FW_BOLD);

  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = AppWindows.instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = L"PlotTestScreen";
  RegisterClassW(&wc);
  RegisterCurveWnd(AppWindows.instance);

  PlotScreen s;
  s.top = CreateWindowExW(0, L"PlotTestScreen", L"Logging", WS_POPUP | WS_VISIBLE, 0, 0,
                          ScreenLayout.windowWidth, ScreenLayout.windowHeight, nullptr, nullptr,
                          AppWindows.instance, nullptr);
  if (s.top == nullptr) return {};
  s.curve = CreateWindowExW(0, L"CurveWnd", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, ScreenLayout.plotLeft - 1,
                            ScreenLayout.plotTop - 1, ScreenLayout.plotWidth + 1, ScreenLayout.plotHeight + 1,
                            s.top, reinterpret_cast<HMENU>(5), AppWindows.instance, nullptr);
  AppWindows.curveWnd = s.curve;
  plat::test::PumpUntilIdle();
  return s;
}

void RepaintPlot(HWND curve) {
  InvalidateRect(curve, nullptr, TRUE);
  UpdateWindow(curve);
}

}  // namespace handheld::test
