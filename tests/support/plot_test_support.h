// A stand-in logging screen for the profile plot's tests and benchmarks: a top-level window with
// the CurveWnd child at the plot rectangle, the plot layout and the two fonts.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "pixel_sets.h"

#include <set>
#include <utility>
#include <vector>

namespace handheld::test {

struct PlotScreen {
  HWND top = nullptr;
  HWND curve = nullptr;  // also AppWindows.curveWnd
};

// Sets ScreenLayout for a landscape (312 px wide) or portrait (232 px) plot of `plotHeight` rows,
// creates AppWindows.fontNormal and fontBold, registers CurveWnd and creates the screen: the plot
// child bordered at (plotLeft - 1, plotTop - 1), one pixel larger than the plot each way, as the
// logging window makes it. Call after UseBuild, on a layer reset to the handheld profile with a
// screen of the orientation. Empty handles when a window could not be made.
PlotScreen OpenPlotScreen(bool portrait, int plotHeight);

// Repaints the plot at once (erase, grid and labels), as the logging commands do before a redraw.
void RepaintPlot(HWND curve);

using survey::test::Close;
using survey::test::PixelSet;
using survey::test::RowsOfColour;

}  // namespace handheld::test
