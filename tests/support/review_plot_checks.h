// Checks of the file review's plot, shared by the window tests and the end-to-end run.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include "engine/state.h"

namespace handheld::test {

// Whether column x of the review plot holds the colour anywhere.
inline bool ReviewColumnHas(int x, COLORREF colour) {
  return plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{x, 0, x + 1, ScreenLayout.plotHeight}, colour) > 0;
}

// The plot of a line of 50 stations, four gap rows and 20 stations, with channels 0 and 2 and the
// cursor on slot 50: both curves in columns 1 to 49 and 55 to 74, nothing over the gap (columns
// 51 to 53; the 2-pixel pens of slot 55 reach into 54) and nothing past the line, and the grey bar
// over the whole of column 50 but its end rows.
inline void ExpectCurvesAroundFourGapRows() {
  const COLORREF a = SurveySettings.traceColour[0];
  const COLORREF b = SurveySettings.traceColour[2];
  for (int x = 1; x <= 74; ++x) {
    if (x >= 50 && x <= 54) continue;
    EXPECT_TRUE(ReviewColumnHas(x, a) && ReviewColumnHas(x, b)) << "column " << x;
  }
  for (int x = 51; x <= 53; ++x) EXPECT_FALSE(ReviewColumnHas(x, a) || ReviewColumnHas(x, b)) << "column " << x;
  for (int x = 76; x < ScreenLayout.plotWidth - 1; ++x) {
    EXPECT_FALSE(ReviewColumnHas(x, a) || ReviewColumnHas(x, b)) << "column " << x;
  }
  EXPECT_EQ(plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{50, 1, 51, ScreenLayout.plotHeight - 1},
                                    RGB(128, 128, 128)),
            static_cast<size_t>(ScreenLayout.plotHeight - 2));
}

}  // namespace handheld::test
