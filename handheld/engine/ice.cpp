#include "engine/ice.h"

#include <cstring>

#include "engine/state.h"

namespace handheld {

namespace {

constexpr int kLast = kIceCurveEntries - 1;
constexpr int kMiddle = 35;  // the look-up searches one half of the curve

bool ValidIndex(int32_t seaWaterIndex) { return seaWaterIndex >= 0 && seaWaterIndex < kSeaWaterIndexes; }

const double* BuiltInCurve(int32_t seaWaterIndex) {
  const int type = SurveySettings.rz12Type == 0 ? 0 : 1;
  return kBuiltInIceCurves[type][seaWaterIndex];
}

// The thickness from IceCurve: the first segment of the curve's half that holds c, interpolated
// linearly. With no such segment (IceCurve is not the curve of the type and index in force),
// -999.0 above the curve's first entry, else -99.0.
double LookUp(double c) {
  const double* e = IceCurve;
  const int first = c > e[kMiddle] ? 0 : kMiddle;
  const int last = c > e[kMiddle] ? kMiddle - 1 : kLast - 1;
  for (int i = first; i <= last; ++i) {
    if (e[i] >= c && c >= e[i + 1]) return (i + (c - e[i]) / (e[i + 1] - e[i])) / 10.0;
  }
  return c > e[0] ? kIceAboveCurve : kIceBelowCurve;
}

}  // namespace

double IceCurve[kIceCurveEntries];

void ResetIceCurve() { std::memcpy(IceCurve, kBuiltInIceCurves[0][0], sizeof IceCurve); }

namespace {
// IceCurve starts as the Standard curve of 2000 mS/m. The built-in table is constant data, ready
// before any initialiser runs.
[[maybe_unused]] const bool kIceCurveReady = (ResetIceCurve(), true);
}  // namespace

void LoadIceCurve(int32_t seaWaterIndex) {
  if (!ValidIndex(seaWaterIndex)) return;
  std::memcpy(IceCurve, BuiltInCurve(seaWaterIndex), sizeof IceCurve);
}

float ComputeIceThickness(float conductivity, int32_t seaWaterIndex) {
  const double c = conductivity;
  double result = 0.0;
  if (ValidIndex(seaWaterIndex)) {
    const double* limits = BuiltInCurve(seaWaterIndex);
    if (c > limits[0]) result = kIceAboveCurve;
    if (c < limits[kLast]) result = kIceBelowCurve;
  }
  if (result == 0.0) result = LookUp(c);
  const float thickness = static_cast<float>(result);
  if (SurveySettings.showIceProfile == 1) {
    // A result off the curve is no thickness: the channel stays invalid, and the plot leaves a gap.
    TraceSet.traceValue[kIceChannel] = thickness;
    TraceSet.traceValid[kIceChannel] = IceThicknessOnCurve(thickness) ? 1 : 0;
  }
  return thickness;
}

}  // namespace handheld
