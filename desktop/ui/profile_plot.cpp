// The live profile: the channel selection, and each recorded reading scrolled onto CurveWnd. The
// pixels of CurveWnd are the only record of the live curves; a repaint draws the grid only, and the
// caller then redraws the curves from the data file (RedrawProfile).
#include "engine/decoders.h"
#include "engine/plot_traces.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {

void SelectTraces() {
  const TracePlan plan = PlanTraces(BuildConfig.modelIndex, SurveySettings, PlotState.groupsPerStation);
  for (int c = 0; c < 8; ++c) PlotState.traceShown[c] = plan.traceShown[c];
  PlotState.groupsPerStation = plan.groupsPerStation;
  SurveySettings.gridScale = plan.gridScale;
}

int NewestColumn() { return ScreenLayout.drawWidth - 10; }

void ScrollPlot(HDC dc) {
  const int x = NewestColumn();
  const int h = ScreenLayout.plotHeight;
  BitBlt(dc, 0, 0, x, h, dc, 2, 0, SRCCOPY);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.penWhite);
  for (int c = x - 1; c <= x + 1; ++c) {
    MoveToEx(dc, c, 0, nullptr);
    LineTo(dc, c, h);
  }
  SelectObject(dc, previous);
}

void PlotReadingPoint(HDC dc, const int32_t rows[8]) {
  if (PlotState.started == 1 && SurveyRun.readingsAtStation == 0) {
    // A station completed: everything moves 2 columns left, and the grid is drawn again over the
    // whole width, new columns included.
    ScrollPlot(dc);
    DrawGridInForce(dc);
  }
  PlotState.started = 1;

  const int x = NewestColumn();
  const HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int c = 0; c < 8; ++c) {
    if (TraceSet.traceValid[c] == 0 || PlotState.traceShown[c] != 1) continue;
    SelectObject(dc, PlotState.tracePen[c]);
    if (PlotState.havePrev[c] == 1) {
      MoveToEx(dc, x - 2, PlotState.prevRow[c], nullptr);
    } else {
      MoveToEx(dc, x, rows[c], nullptr);  // a new piece of curve starts with a dot
      PlotState.havePrev[c] = 1;
    }
    LineTo(dc, x, rows[c]);
    PlotState.prevRow[c] = rows[c];
  }
  SelectObject(dc, previous);
}

void PlotTraces() {
  if (AppWindows.curveWnd == nullptr) return;
  int32_t rows[8] = {};
  TracesToRows(rows);
  HDC curve = GetDC(AppWindows.curveWnd);
  PlotReadingPoint(curve, rows);
  ReleaseDC(AppWindows.curveWnd, curve);
}

}  // namespace desktop
