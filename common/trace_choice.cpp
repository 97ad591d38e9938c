#include "common/trace_choice.h"

#include <algorithm>

#include "common/model_numbers.h"

namespace survey {
namespace {

constexpr int32_t kModeManual = 2;
constexpr int32_t kDipoleV = 0;
constexpr int32_t kDipoleH = 1;
constexpr int32_t kDipoleBoth = 2;
constexpr int32_t kComponentBoth = 0;
constexpr int32_t kComponentInphase = 1;
constexpr int32_t kComponentConductivity = 2;
constexpr int32_t kGridScale1 = 0;
constexpr int32_t kGridScale2 = 1;

// The dipole pairs of the RZ12, RZ27B, RZ27 and RZ27-MK2: even channels are vertical, odd ones
// horizontal. Manual plots a channel unless the other dipole alone is set; Auto and Wheel only
// for its own dipole.
bool DipoleFits(int channel, bool manual, int32_t dipole) {
  const bool vertical = channel % 2 == 0;
  if (manual) return dipole != (vertical ? kDipoleH : kDipoleV);
  return dipole == (vertical ? kDipoleV : kDipoleH);
}

// The component split of the RZ27-DD and RZ27: channels 0 and 1 conductivity, 2 and 3 inphase.
// Manual plots a quantity unless the other one alone is set; Auto and Wheel store 1 (inphase) or
// 2 (conductivity) and plot that one only.
bool ComponentFits(int channel, bool manual, int32_t component) {
  const bool conductivity = channel < 2;
  if (manual) return component != (conductivity ? kComponentInphase : kComponentConductivity);
  return component == (conductivity ? kComponentConductivity : kComponentInphase);
}

// Auto and Wheel on the RZ27 family: the grid follows the one quantity plotted.
int32_t GridOfComponent(int32_t component) {
  if (component == kComponentConductivity) return kGridScale1;
  if (component == kComponentInphase) return kGridScale2;
  return -1;
}

}  // namespace

TraceChoice ChooseTraces(int32_t model, int32_t surveyMode, int32_t dipole, int32_t component) {
  const bool manual = surveyMode == kModeManual;
  const bool both = dipole == kDipoleBoth;
  TraceChoice t;
  bool* plot = t.plot;
  // By model: each chooses its traces, readings per station and grid by rules of its own.
  switch (model) {
    case kModelRz12:
      for (int c = 0; c < 4; ++c) plot[c] = DipoleFits(c, manual, dipole) && (c >= 2 || component == kComponentBoth);
      if (manual) t.perStation = both ? 2 : 1;
      if (!manual && component == kComponentInphase) t.gridScale = kGridScale2;
      break;
    case kModelRz27B:
      for (int c = 0; c < 4; ++c) plot[c] = DipoleFits(c, manual, dipole);
      if (manual) t.perStation = both ? 2 : 1;
      if (!manual) t.gridScale = GridOfComponent(component);
      break;
    case kModelRz27Dd:
      for (int c = 0; c < 4; ++c) plot[c] = ComponentFits(c, manual, component);
      if (manual) t.perStation = component == kComponentBoth ? 2 : 1;
      if (!manual) t.gridScale = GridOfComponent(component);
      break;
    case kModelRz27:
      for (int c = 0; c < 4; ++c) plot[c] = ComponentFits(c, manual, component) && DipoleFits(c, manual, dipole);
      if (manual) t.perStation = (component == kComponentBoth ? 2 : 1) * (both ? 2 : 1);
      if (!manual) t.gridScale = GridOfComponent(component);
      break;
    case kModelRz45:
      // Manual: every channel, and the dipole setting is the readings per station ("1 reading" to
      // "6 readings"); otherwise the one channel of the dipole setting.
      for (int c = 0; c < 6; ++c) plot[c] = manual || dipole == c;
      if (manual) t.perStation = std::clamp(dipole + 1, 1, 6);
      break;
    case kModelRz89:
    case kModelZol12:
      plot[0] = plot[2] = true;
      if (manual) t.perStation = 1;
      break;
    case kModelRz27Mk2:
      for (int c = 0; c < kTraceChannels; ++c) plot[c] = DipoleFits(c, manual, dipole);
      if (manual) t.perStation = both ? 2 : 1;
      break;
    default:
      break;
  }
  return t;
}

}  // namespace survey
