// The profile plot's program-wide pens and brushes and the grid drawing of the plot window.
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
// Adds a recorded reading's point to the profile: rows are the eight plot rows of TracesToRows;
// dc is a DC of CurveWnd, got and released by the caller.
void PlotReadingPoint(HDC dc, const int32_t rows[8]);

}  // namespace desktop
