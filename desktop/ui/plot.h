// The profile plot: the program-wide pens and brushes, the grid drawing of the plot window, the
// live plot of each recorded reading and the redraw's pieces of curve. SelectTraces and the
// redraws are declared in logging.h.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

// The fixed pens and brushes of AppWindows, made once at the main window's creation.
void CreatePensAndBrushes();
// The eight trace pens and brushes from the settings; with deleteOld 1 the old ones go first.
void CreateTracePens(int deleteOld);
// The rows of PlotState.grid across the plotting width: the first in the zero-line pen when the
// range contains zero, the others in the grid pen.
void DrawPlotGrid(HDC dc, float min, float max);
// DrawPlotGrid with the range of the grid group in force: scale 2 when SurveySettings.gridScale
// is not 0 (never in the RZ56 builds), else scale 1.
void DrawGridInForce(HDC dc);

// Column of the newest reading: ScreenLayout.drawWidth - 10 (750 in the standard layout).
int NewestColumn();
// Moves the plot 2 columns left (columns 2 to x + 1 onto 0 to x - 1, x the newest column, over
// the plot's height) and clears the columns x - 1 to x + 1 in white.
void ScrollPlot(HDC dc);

// One recorded reading on CurveWnd's device context: a completed station (PlotState.started 1 and
// SurveyRun.readingsAtStation 0) scrolls the plot and draws the grid again; then each shown,
// valid channel gets its segment at the newest column in its trace pen, from its previous row 2
// columns left, or as a dot when it starts a new piece (havePrev 0). rows come from TracesToRows.
void PlotReadingPoint(HDC dc, const int32_t rows[8]);
// The reading's point on CurveWnd from the trace values (PlotReadingPoint on TracesToRows'
// rows); nothing while there is no CurveWnd.
void PlotTraces();

// Points first to end - 1 as one polyline in the channel's trace pen, on a device context of the
// window; a single point is drawn as two equal points (a dot).
void DrawTracePolyline(HWND window, const POINT* points, int first, int end, int channel);

}  // namespace desktop
