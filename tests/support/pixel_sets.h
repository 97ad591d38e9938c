// Pixels of one colour on a window's own surface, and the comparison of a live curve with its
// redraw, for the profile tests of either program.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <set>
#include <utility>
#include <vector>

namespace survey::test {

// The rows of `colour` in column x of the window's own surface, top to bottom.
inline std::vector<int> RowsOfColour(HWND window, int x, COLORREF colour) {
  RECT rc{};
  GetClientRect(window, &rc);
  std::vector<int> rows;
  for (int y = 0; y < rc.bottom; ++y) {
    if (plat::test::WindowPixel(window, x, y) == colour) rows.push_back(y);
  }
  return rows;
}

// Pixels (x, y) of one colour.
using PixelSet = std::set<std::pair<int, int>>;

// Every pixel of one set has a pixel of the other within `dx` columns and one row (the platform's
// line rule: a line's direction and its end pixels); neither set is empty.
inline testing::AssertionResult Close(const PixelSet& live, const PixelSet& redrawn, int dx = 1) {
  const auto within = [dx](const PixelSet& s, std::pair<int, int> p) {
    for (int i = -dx; i <= dx; ++i) {
      for (int j = -1; j <= 1; ++j) {
        if (s.count({p.first + i, p.second + j})) return true;
      }
    }
    return false;
  };
  if (live.empty() || redrawn.empty()) {
    return testing::AssertionFailure() << "live " << live.size() << " pixels, redrawn " << redrawn.size();
  }
  for (const auto& p : live) {
    if (!within(redrawn, p)) return testing::AssertionFailure() << "live pixel (" << p.first << "," << p.second << ") not redrawn";
  }
  for (const auto& p : redrawn) {
    if (!within(live, p)) return testing::AssertionFailure() << "redrawn pixel (" << p.first << "," << p.second << ") not live";
  }
  return testing::AssertionSuccess();
}

}  // namespace survey::test
