#include "engine/plot_traces.h"

#include "common/trace_choice.h"

namespace desktop {

TracePlan PlanTraces(int32_t model, const SurveySettingsData& s, int32_t groupsPerStation) {
  TracePlan plan;
  plan.groupsPerStation = groupsPerStation;
  plan.gridScale = s.gridScale;
  if (model < kModelRz12 || model > kModelRz27Mk2) return plan;
  survey::TraceChoice choice = survey::ChooseTraces(model, s.surveyMode, s.dipole, s.component);
  if (model == kModelRz27Mk2) {
    if (choice.perStation > 0) choice.perStation = 1;  // Manual: every reading a station of its own
    if (s.mk2Type == 1) {
      for (int c = 4; c < 8; ++c) choice.plot[c] = false;  // the 1 m coil pair only
    }
  }
  if (choice.perStation > 0) plan.groupsPerStation = choice.perStation;
  if (choice.gridScale >= 0) plan.gridScale = choice.gridScale;
  for (int c = 0; c < 8; ++c) plan.traceShown[c] = choice.plot[c] && s.traceVisible[c] == 1 ? 1 : 0;
  return plan;
}

}  // namespace desktop
