// Ice-thickness conversion: an RZ12 over sea ice reads an apparent conductivity that falls as the
// ice under it gets thicker; a curve per meter type and sea-water conductivity turns it back into
// the thickness.
#pragma once

#include <cstdint>

namespace handheld {

constexpr int kIceCurveEntries = 71;  // ice 0.0 to 7.0 m in steps of 0.1 m
constexpr int kIceCurveTypes = 2;     // SurveySettings.rz12Type 0 Standard, any other value Short
constexpr int kSeaWaterIndexes = 11;  // sea water 2000 + 100 k mS/m, k = 0 to 10

// Results outside the curve: above its 0 m value, and below its 7.0 m value.
constexpr float kIceAboveCurve = -999.0f;
constexpr float kIceBelowCurve = -99.0f;

// The display channel of the thickness (TraceSet and the plots).
constexpr int kIceChannel = 4;

// The built-in curves, [type][sea-water index][entry]: apparent conductivity (mS/m) over ice
// entry / 10 m thick. Each falls strictly; entries 0 and 70 are the conversion's limits.
extern const double kBuiltInIceCurves[kIceCurveTypes][kSeaWaterIndexes][kIceCurveEntries];

// The curve in force for the live conversion (owner: this module). It starts as the Standard
// curve of 2000 mS/m.
extern double IceCurve[kIceCurveEntries];
void ResetIceCurve();  // tests: back to the initial curve

// Copies the built-in curve of SurveySettings.rz12Type and the sea-water index into IceCurve; an
// index outside 0 to 10 leaves IceCurve as it was.
void LoadIceCurve(int32_t seaWaterIndex);

// The ice thickness in metres for an apparent conductivity (mS/m) over sea water of the given
// index: -999.0 above the curve's 0 m value, -99.0 below its 7.0 m value. When
// SurveySettings.showIceProfile is 1 the result is also TraceSet channel 4, valid only when it is
// on the curve.
float ComputeIceThickness(float conductivity, int32_t seaWaterIndex);

// Whether a result of ComputeIceThickness is a thickness (not one of the off-curve values).
inline bool IceThicknessOnCurve(float thickness) { return thickness != kIceAboveCurve && thickness != kIceBelowCurve; }

}  // namespace handheld
