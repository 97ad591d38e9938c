// Pixels per unit of a profile scale range.
#pragma once

#include <cstdint>

namespace handheld {

// plotHeight / (maximum - minimum) in single precision. An empty range or a quotient that is not
// finite keeps the factor in force (current), so the plot never works with an undefined factor.
float PixelsPerUnit(float current, int32_t plotHeight, float minimum, float maximum);

}  // namespace handheld
