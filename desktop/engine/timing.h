// Reading timing of the desktop program: frames per reading from the reading interval.
#pragma once

namespace desktop {

// Recomputes LinkState.framePeriodMs and LinkState.sampleDivisor from
// SurveySettings.readingInterval for the build's model (the ZOL12 forces an interval of 1.0 s; the
// RZ56 builds set only the frame period).
void ComputeSampleDivisor();

}  // namespace desktop
