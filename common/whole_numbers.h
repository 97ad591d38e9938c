// Float-to-int conversions that are defined for every input, and the frames-per-reading rule both
// programs apply to the reading interval.
#pragma once

#include <cstdint>

namespace survey {

// Whole part of v after clamping it into [lo, hi]; NaN gives lo.
int32_t ClampedWhole(double v, double lo, double hi);

// Frames per reading for a reading interval (seconds) and a frame period (ms): the whole part of
// interval * 1000 / periodMs + 0.5, clamped into [1, 2^30], so a zero, negative or huge interval
// still gives a defined divisor.
int32_t SampleDivisor(double intervalSeconds, double periodMs);

}  // namespace survey
