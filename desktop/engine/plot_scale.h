// Profile scale arithmetic of the desktop program: pixels per unit, the value-to-row conversion,
// the grid rows of a range, and the reading interval in milliseconds. Every result is defined for
// every input: no division by zero, no float-to-int conversion out of range.
#pragma once

#include <cstdint>

namespace desktop {

// Rows and grid entries stay within the 16-bit coordinates of the drawing calls.
constexpr int32_t kRowMin = -32768;
constexpr int32_t kRowMax = 32767;

// plotHeight / (maximum - minimum), computed in double precision and stored as a float; a quotient
// that is not finite, or out of float range, gives 0.
float PixelsPerUnit(int32_t plotHeight, float minimum, float maximum);

// A row truncated toward zero and clamped into [kRowMin, kRowMax]; NaN gives kRowMax.
int32_t ClampedRow(double row);

// The plot row of a value: (maximum - value) x pxPerUnit in double precision, clamped.
int32_t ValueToRow(float maximum, float value, float pxPerUnit);

// Grid rows of a range into grid[10]: [0] the index of the last row in use, [1] the zero line or
// the first of four even rows, [2..9] the rows at each value step above and below zero. sign: 1 for
// a range at or above zero, -1 at or below zero, 0 when it contains zero. Four even rows (at 20,
// 40, 60 and 80 per cent of plotHeight + 1 above the bottom) stand whenever zero is outside the
// range, plotHeight is 0 or less, or the zero row falls on or outside the plot's edges.
void ComputeGrid(int32_t grid[10], int32_t plotHeight, float min, float max, float pxPerUnit, int32_t* sign);

// PlotState.grid and PlotState.gridSign of the grid group in force: scale 1 in the RZ56 builds or
// when SurveySettings.gridScale is 0, else scale 2, at ScreenLayout.plotHeight.
void ComputeGridInForce();

// Milliseconds per reading of an interval in seconds: interval x 1000 in double precision,
// truncated, clamped into [1, 2^31 - 1]; an interval of 0 or less (or NaN) counts as 1 s.
int32_t ReadingIntervalMs(float intervalSeconds);

}  // namespace desktop
