// The RZ56 strip chart: four channels on scale 1, every recorded reading 2 pixels further right.
#include <windows.h>

#include <algorithm>

#include "engine/rz56_convert.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

void Segment(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

bool Visible(int channel) { return SurveySettings.traceVisible[channel] == 1; }

}  // namespace

void PlotRz56Point(HDC dc, const int32_t rows[kRz56Channels]) {
  const int x = ScreenLayout.drawWidth - 10;
  const int h = ScreenLayout.plotHeight;
  BitBlt(dc, 0, 0, x, h, dc, 2, 0, SRCCOPY);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.penWhite);
  for (int column = x - 1; column <= x + 1; ++column) Segment(dc, column, 0, column, h);
  const bool zeroInside = SurveySettings.scale1Min < 0 && SurveySettings.scale1Max > 0;
  SelectObject(dc, zeroInside ? AppWindows.penGridZero : AppWindows.penGrid);
  Segment(dc, x - 1, PlotState.grid[1], x + 1, PlotState.grid[1]);
  SelectObject(dc, AppWindows.penGrid);
  const int last = std::clamp(PlotState.grid[0], 0, 9);
  for (int i = 2; i <= last; ++i) Segment(dc, x - 1, PlotState.grid[i], x + 1, PlotState.grid[i]);
  for (int ch = 0; ch < kRz56Channels; ++ch) {
    if (!Visible(ch)) {
      // Shown again later, the channel starts afresh rather than from a stale row.
      PlotState.havePrev[ch] = 0;
      continue;
    }
    SelectObject(dc, PlotState.tracePen[ch]);
    if (PlotState.havePrev[ch] == 1) {
      Segment(dc, x - 2, PlotState.rz56PrevRow[ch], x, rows[ch]);
    } else {
      Segment(dc, x, rows[ch], x, rows[ch]);
      PlotState.havePrev[ch] = 1;
    }
    PlotState.rz56PrevRow[ch] = rows[ch];
  }
  SelectObject(dc, previous);
}

}  // namespace desktop
