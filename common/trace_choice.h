// Which profile channels a meter model plots for its survey mode, dipole and component, and how
// many readings make one station: the rows both programs share. Each program adds its own rows
// around this core (the handheld's ice profile, the desktop's RZ27-MK2 Manual stations and its
// RZ27-MK2-1 channels) and applies the result to its PlotState.
#pragma once

#include <cstdint>

namespace survey {

constexpr int kTraceChannels = 8;

struct TraceChoice {
  bool plot[kTraceChannels] = {};  // the channel is plotted when its check box is on too
  int32_t perStation = 0;          // readings per station; 0 when the row sets none (Auto, Wheel)
  int32_t gridScale = -1;          // the grid group the row sets (0 scale 1, 1 scale 2); -1 none
};

// Models 0 to 7 (any other model plots nothing); surveyMode 2 is Manual, every other value Auto or
// Wheel. The RZ12 rows are those without the ice profile.
TraceChoice ChooseTraces(int32_t model, int32_t surveyMode, int32_t dipole, int32_t component);

}  // namespace survey
