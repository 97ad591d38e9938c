#include "ui/plot.h"

#include <algorithm>

#include "engine/models.h"
#include "engine/state.h"

namespace desktop {
namespace {

constexpr COLORREF kGridColour = RGB(192, 192, 192);

void Row(HDC dc, int y, int width) {
  MoveToEx(dc, 0, y, nullptr);
  LineTo(dc, width, y);
}

}  // namespace

void CreatePensAndBrushes() {
  AppWindows.penGridZero = CreatePen(PS_SOLID, 2, kGridColour);
  AppWindows.penGrid = CreatePen(PS_SOLID, 1, kGridColour);
  AppWindows.penWhite = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  AppWindows.brushWhite = CreateSolidBrush(RGB(255, 255, 255));
  AppWindows.penGreen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  AppWindows.brushGreen = CreateSolidBrush(RGB(0, 255, 0));
  AppWindows.brushPanel = CreateSolidBrush(RGB(255, 0, 0));
  AppWindows.brushValue = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

void CreateTracePens(int deleteOld) {
  for (int i = 0; i < 8; ++i) {
    if (deleteOld == 1) {
      DeleteObject(PlotState.tracePen[i]);
      DeleteObject(PlotState.traceBrush[i]);
    }
    const COLORREF colour = static_cast<COLORREF>(SurveySettings.traceColour[i]);
    PlotState.tracePen[i] = CreatePen(PS_SOLID, SurveySettings.traceThickness[i], colour);
    PlotState.traceBrush[i] = CreateSolidBrush(colour);
  }
}

void DrawPlotGrid(HDC dc, float min, float max) {
  const int width = ScreenLayout.drawWidth;
  const HGDIOBJ previous = SelectObject(dc, min < 0 && max > 0 ? AppWindows.penGridZero : AppWindows.penGrid);
  Row(dc, PlotState.grid[1], width);
  SelectObject(dc, AppWindows.penGrid);
  const int last = std::clamp(PlotState.grid[0], 0, 9);
  for (int i = 2; i <= last; ++i) Row(dc, PlotState.grid[i], width);
  SelectObject(dc, previous);
}

void DrawGridInForce(HDC dc) {
  const SurveySettingsData& s = SurveySettings;
  const bool scale2 = !ThisModel().rz56 && s.gridScale != 0;
  DrawPlotGrid(dc, scale2 ? s.scale2Min : s.scale1Min, scale2 ? s.scale2Max : s.scale1Max);
}

}  // namespace desktop

