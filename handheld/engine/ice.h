// Ice-thickness conversion.
#pragma once

#include <cstdint>

namespace handheld {

// Loads the ice curve of the sea-water conductivity index for the live conversion.
void LoadIceCurve(int32_t seaWaterIndex);

}  // namespace handheld
