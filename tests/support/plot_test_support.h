// A stand-in logging screen for the profile plot's tests and benchmarks: a top-level window with
// the CurveWnd child at the plot rectangle, the plot layout and the two fonts.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

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

// The rows of `colour` in column x of the window's own surface, top to bottom.
std::vector<int> RowsOfColour(HWND window, int x, COLORREF colour);

// Pixels (x, y) of one colour.
using PixelSet = std::set<std::pair<int, int>>;

// Every pixel of one set has a pixel of the other within one pixel (the platform's line rule:
// a line's direction and its end pixels); neither set is empty.
testing::AssertionResult Close(const PixelSet& live, const PixelSet& redrawn);

}  // namespace handheld::test
