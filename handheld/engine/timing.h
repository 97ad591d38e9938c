// Reading timing: frames per reading and readings per second, the short busy wait and the
// keep-alive thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/timing.h"

namespace handheld {

// Recomputes LinkState.framePeriodMs, .sampleDivisor and .readingsPerSecond from
// SurveySettings.readingInterval for the build's model (the ZOL12 forces an interval of 1.0 s).
void ComputeSampleDivisor();

// The shared rule for one frame period: the divisor is the whole part of
// interval * 1000 / periodMs + 0.5 and the readings per second the whole part of 1 / interval
// (of 1 / interval + 1 above 1 s), with the single-precision interval widened to double. Both are
// clamped before truncating, readings per second into [1, clamp] and the divisor into [1, 2^30],
// so a zero, negative or huge interval still gives defined values.
void ComputeSampleDivisorCore(double periodMs, int clamp, int32_t* divisor, int32_t* perSecond);

// The busy wait of both programs (common/timing.h).
using survey::DelayMs;

// Keeps the device from going idle: resets the idle timer every 59 s while
// WorkerThreads.keepAliveRun is above 0. The argument is ignored; the result is 0.
DWORD WINAPI KeepAliveThread(LPVOID arg);

}  // namespace handheld
