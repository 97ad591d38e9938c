// Profile scale arithmetic: grid rows of a range (with the guards for a plot of no height and a
// zero row on an edge), pixel factors, rows clamped to the drawing coordinates, and the reading
// interval in milliseconds.
#include "engine/plot_scale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace desktop {
namespace {

TEST(ComputeGridTest, RowsOfEachKindOfRange) {
  const struct {
    int32_t height;
    float min, max;
    std::vector<int32_t> grid;  // elements 0 to grid[0]
    int32_t sign;
  } cases[] = {
      {384, 0.0f, 500.0f, {4, 307, 230, 153, 76}, 1},
      {384, 0.0f, 2000.0f, {4, 307, 230, 153, 76}, 1},
      {384, -25.0f, 25.0f, {8, 191, 143, 95, 47, 239, 287, 335, 383}, 0},
      {384, -50.0f, 450.0f, {5, 345, 276, 207, 138, 69}, 0},
      {384, -500.0f, -100.0f, {4, 307, 230, 153, 76}, -1},
      // The zero row on the bottom edge, and on the top edge: four even rows, no division by 0.
      {384, -0.00001f, 500.0f, {4, 307, 230, 153, 76}, 0},
      {384, -500.0f, 0.1f, {4, 307, 230, 153, 76}, 0},
      // The loads before the logging window exists run at height 0.
      {0, -25.0f, 25.0f, {4, 0, 0, 0, 0}, 0},
      {-5, -25.0f, 25.0f, {4, -4, -3, -2, -1}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " H " << c.height);
    int32_t grid[10];
    for (int32_t& g : grid) g = -999;
    int32_t sign = 99;
    ComputeGrid(grid, c.height, c.min, c.max, PixelsPerUnit(c.height, c.min, c.max), &sign);
    EXPECT_EQ(std::vector<int32_t>(grid, grid + grid[0] + 1), c.grid);
    EXPECT_EQ(sign, c.sign);
  }
}

TEST(ComputeGridTest, HugeFactorsKeepRowsInDrawingRange) {
  for (int32_t height : {384, 1000000}) {
    for (float px : {FLT_MAX, 1e30f, NAN, INFINITY, 1e-30f, 20000.0f}) {
      SCOPED_TRACE(testing::Message() << px << " H " << height);
      int32_t grid[10] = {};
      int32_t sign = 0;
      ComputeGrid(grid, height, -25.0f, 25.0f, px, &sign);
      ASSERT_GE(grid[0], 1);
      ASSERT_LE(grid[0], 9);
      for (int i = 1; i <= grid[0]; ++i) {
        EXPECT_GE(grid[i], kRowMin);
        EXPECT_LE(grid[i], kRowMax);
      }
    }
  }
}

TEST(PlotScaleTest, FactorsRowsAndIntervals) {
  // Pixels per unit: the double quotient stored as a float; not finite gives 0.
  const struct {
    int32_t height;
    float min, max, factor;
  } factors[] = {
      {384, 0.0f, 500.0f, 0.768f}, {384, -25.0f, 25.0f, 7.68f}, {0, 0.0f, 500.0f, 0.0f},
      {384, 5.0f, 5.0f, 0.0f},     {0, 5.0f, 5.0f, 0.0f},       {384, 0.0f, 1e-44f, 0.0f},
      {384, -FLT_MAX, FLT_MAX, static_cast<float>(384.0 / (2.0 * FLT_MAX))},
  };
  for (const auto& c : factors) {
    EXPECT_EQ(PixelsPerUnit(c.height, c.min, c.max), c.factor) << c.min << ".." << c.max;
  }

  // Rows: truncated toward zero and clamped, NaN to the bottom-most coordinate.
  const struct {
    float max, value, px;
    int32_t row;
  } rows[] = {
      {25.0f, 0.0f, 7.68f, 191},    {25.0f, -25.0f, 7.68f, 383},  {25.0f, 30.0f, 7.68f, -38},
      {25.0f, -1e30f, 7.68f, 32767}, {25.0f, 1e30f, 7.68f, -32768}, {25.0f, NAN, 7.68f, 32767},
      {25.0f, 0.0f, INFINITY, 32767},
  };
  for (const auto& c : rows) EXPECT_EQ(ValueToRow(c.max, c.value, c.px), c.row) << c.value;

  // The reading interval in milliseconds: double precision, truncated; 0 or less is one second.
  const struct {
    float seconds;
    int32_t ms;
  } intervals[] = {
      {0.2f, 200}, {0.25f, 250}, {0.7f, 699}, {1.0f, 1000}, {0.0f, 1000}, {-0.5f, 1000},
      {NAN, 1000}, {1e-6f, 1}, {3e6f, 2147483647}, {INFINITY, 2147483647},
  };
  for (const auto& c : intervals) EXPECT_EQ(ReadingIntervalMs(c.seconds), c.ms) << c.seconds;
}

}  // namespace
}  // namespace desktop
