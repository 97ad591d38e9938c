// The desktop's choice of plotted channels (SelectTraces), as a pure function of the build's model
// and the settings.
#pragma once

#include <cstdint>

#include "engine/state.h"

namespace desktop {

struct TracePlan {
  int32_t traceShown[8] = {};
  int32_t groupsPerStation = 1;
  int32_t gridScale = 0;
};

// The channels of `model` plotted with the settings `s`, the readings per station and the grid
// group. Both are kept (groupsPerStation and s.gridScale) unless a row sets them: Manual sets the
// readings per station, Auto and Wheel on the RZ27 family the grid. The RZ27-MK2 in Manual takes
// one reading per station whatever the dipole, and the RZ27-MK2-1 (mk2Type 1) has no channels 4
// to 7. The RZ56 builds plot no channel here (they have their own strip chart).
TracePlan PlanTraces(int32_t model, const SurveySettingsData& s, int32_t groupsPerStation);

}  // namespace desktop
