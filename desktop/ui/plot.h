// The profile plot's program-wide pens and brushes and the grid drawing of the plot window.
#pragma once

#include <windows.h>

namespace desktop {

// The fixed pens and brushes of AppWindows, made once at the main window's creation.
void CreatePensAndBrushes();
// The eight trace pens and brushes from the settings; with deleteOld 1 the old ones go first.
void CreateTracePens(int deleteOld);
// The rows of PlotState.grid across the plotting width: the first in the zero-line pen when the
// range contains zero, the others in the grid pen.
void DrawPlotGrid(HDC dc, float min, float max);

}  // namespace desktop
