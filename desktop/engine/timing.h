// Reading timing of the desktop program: frames per reading from the reading interval.
#pragma once

#include "common/timing.h"

namespace desktop {

// Recomputes LinkState.framePeriodMs and LinkState.sampleDivisor from
// SurveySettings.readingInterval for the build's model (the ZOL12 forces an interval of 1.0 s; the
// RZ56 builds set only the frame period).
void ComputeSampleDivisor();

// The busy wait of both programs (common/timing.h): it serves no sends.
using survey::DelayMs;

}  // namespace desktop
