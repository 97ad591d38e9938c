// The profile plot's arithmetic, shared by the live plot, its paint and the redraw from the data
// file: which scale group a channel is plotted against, how a value becomes a row, the grid rows
// of a range and the plot's fixed columns. The public operations (SelectTraces, TracesToRows,
// DrawPlotGrid, ...) are declared in logging.h.
#pragma once

#include <cstdint>

namespace handheld {

// Scale groups; also the values of SurveySettings.gridScale.
enum PlotGroup : int32_t { kGroupNone = -1, kGroupScale1 = 0, kGroupScale2 = 1, kGroupIce = 2 };

// The group channel `channel` (0 to 7) of the build's model is plotted against, or kGroupNone when
// the model has no such channel (the RZ12's channel 4 exists only while the ice profile is shown).
int32_t ChannelGroup(int32_t channel);

// A group's range from the settings and its factor from PlotState.
struct GroupScale {
  float min = 0.0f;
  float max = 0.0f;
  float pxPerUnit = 0.0f;
};
// False, and `out` untouched, for a value that names no group.
bool GroupScaleOf(int32_t group, GroupScale* out);

// (max - value) x pxPerUnit in single precision, truncated toward zero. The product is clamped to
// [-32768, 32767] first (a product that is not a number gives 32767), so a value far off the range
// gives a row far off the plot, never an undefined conversion.
int32_t PlotRow(float max, float value, float pxPerUnit);

// The grid of the range min to max at pxPerUnit on a plot of `height` rows: writes grid[0] (index
// of the last row in use), grid[1] (the zero line, or the first of four even rows) and the rows
// from grid[2] on. Returns the ratio of the larger part of the plot to the smaller one; 0 when zero
// is not strictly inside the plot (the range does not hold it, or its row is 0 or `height`): the
// grid is then four even rows.
int32_t ComputePlotGrid(int32_t height, float min, float max, float pxPerUnit, int32_t grid[10]);

// True when the grid group named by SurveySettings.gridScale has a real zero line (ratio 1 or
// more), which the paint and the live columns draw 2 pixels wide.
bool GridHasZeroLine();

// Column of the newest reading (270 landscape, 200 portrait) and the column left of which no scale
// label starts (272, 202), by ScreenLayout.portrait.
int32_t NewestColumn();
int32_t LabelColumnMin();

}  // namespace handheld
