#include "engine/plot_scale.h"

#include <cfloat>
#include <cmath>

#include "common/whole_numbers.h"
#include "engine/models.h"
#include "engine/state.h"

namespace desktop {

namespace {

// The four even rows used when zero is not inside the plot.
void EvenRows(int32_t grid[10], int32_t plotHeight) {
  constexpr double kFractions[] = {0.2, 0.4, 0.6, 0.8};
  const double h = plotHeight;
  grid[0] = 4;
  for (int i = 0; i < 4; ++i) grid[1 + i] = ClampedRow(h - kFractions[i] * (h + 1.0));
}

// The value step between grid rows for the ratio of the larger part of the plot to the smaller.
float ValueStep(int32_t ratio, double small, double large) {
  if (ratio > 4) return static_cast<float>(large / 5.0);
  if (ratio >= 2) return static_cast<float>(large / ratio);
  return static_cast<float>(small / 4.0);
}

}  // namespace

float PixelsPerUnit(int32_t plotHeight, float minimum, float maximum) {
  const double factor = static_cast<double>(plotHeight) / (static_cast<double>(maximum) - minimum);
  return std::isfinite(factor) && std::fabs(factor) <= FLT_MAX ? static_cast<float>(factor) : 0.0f;
}

int32_t ClampedRow(double row) {
  if (std::isnan(row)) return kRowMax;
  return survey::ClampedWhole(row, kRowMin, kRowMax);
}

int32_t ValueToRow(float maximum, float value, float pxPerUnit) {
  return ClampedRow((static_cast<double>(maximum) - value) * pxPerUnit);
}

void ComputeGrid(int32_t grid[10], int32_t plotHeight, float min, float max, float pxPerUnit, int32_t* sign) {
  *sign = min >= 0.0f ? 1 : (max <= 0.0f ? -1 : 0);
  if (min >= 0.0f || max <= 0.0f || plotHeight <= 0) {
    EvenRows(grid, plotHeight);
    return;
  }
  const double h = plotHeight;
  const double px = pxPerUnit;
  const int32_t zero = ClampedRow(max * px);
  grid[1] = zero;
  if (zero <= 0 || zero >= plotHeight) {
    EvenRows(grid, plotHeight);
    return;
  }
  // Compare the larger part of the plot with the smaller one.
  const bool zeroInLowerHalf = zero >= plotHeight / 2;
  const double larger = zeroInLowerHalf ? zero : h - zero;
  const double smaller = zeroInLowerHalf ? h - zero : zero;
  const int32_t ratio = survey::ClampedWhole(larger / smaller + 0.5, 0.0, INT32_MAX);
  const double small = std::fabs(zeroInLowerHalf ? min : max);
  const double large = std::fabs(zeroInLowerHalf ? max : min);
  if (ratio <= 0) {
    EvenRows(grid, plotHeight);
    return;
  }
  const double step = ValueStep(ratio, small, large);
  int k = 2;
  for (; k != 10; ++k) {  // rows above zero, up to the top edge
    grid[k] = ClampedRow((max - step * (k - 1)) * px);
    if (grid[k] <= 0) break;
  }
  for (int j = 1; k != 10; ++j, ++k) {  // rows below zero, down to the bottom edge
    grid[k] = ClampedRow((max + step * j) * px);
    if (grid[k] >= plotHeight) break;
  }
  grid[0] = k - 1;
}

void ComputeGridInForce() {
  const bool scale1 = ThisModel().rz56 || SurveySettings.gridScale == 0;
  ComputeGrid(PlotState.grid, ScreenLayout.plotHeight, scale1 ? SurveySettings.scale1Min : SurveySettings.scale2Min,
              scale1 ? SurveySettings.scale1Max : SurveySettings.scale2Max,
              scale1 ? PlotState.pxPerUnit0 : PlotState.pxPerUnit1, &PlotState.gridSign);
}

int32_t ReadingIntervalMs(float intervalSeconds) {
  if (!(intervalSeconds > 0.0f)) return 1000;
  return survey::ClampedWhole(static_cast<double>(intervalSeconds) * 1000.0, 1.0, 2147483647.0);
}

}  // namespace desktop
