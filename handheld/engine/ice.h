// Ice-thickness conversion.
#pragma once

#include <cstdint>

namespace handheld {

// Loads the ice curve of the sea-water conductivity index for the live conversion.
void LoadIceCurve(int32_t seaWaterIndex);

// The ice thickness in metres for an apparent conductivity (mS/m) over sea water of the given
// index: -999.0 above the curve's 0 m value, -99.0 below its 7.0 m value.
float ComputeIceThickness(float conductivity, int32_t seaWaterIndex);

}  // namespace handheld
