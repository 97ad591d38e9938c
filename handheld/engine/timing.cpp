#include "engine/timing.h"

#include <cmath>

#include "common/whole_numbers.h"
#include "engine/state.h"

namespace handheld {

namespace {

constexpr double kMeterPeriodMs = 91.0;
constexpr double kMk2PeriodMs = 47.0;
constexpr int kMeterClamp = 11;
constexpr int kMk2Clamp = 20;
constexpr DWORD kKeepAlivePeriodMs = 59000;

using survey::ClampedWhole;

}  // namespace

void ComputeSampleDivisorCore(double periodMs, int clamp, int32_t* divisor, int32_t* perSecond) {
  const double interval = SurveySettings.readingInterval;
  *divisor = survey::SampleDivisor(interval, periodMs);
  double perSecondExact;
  if (interval == 0.0) {
    perSecondExact = clamp;  // as many as the instrument sends
  } else if (interval <= 1.0) {
    perSecondExact = 1.0 / interval;
  } else {
    perSecondExact = 1.0 / interval + 1.0;
  }
  *perSecond = ClampedWhole(perSecondExact, 1.0, clamp > 1 ? clamp : 1);
}

void ComputeSampleDivisor() {
  LinkState.framePeriodMs = static_cast<float>(kMeterPeriodMs);
  switch (BuildModel().frames) {
    case FrameFamily::kMeter:
      ComputeSampleDivisorCore(kMeterPeriodMs, kMeterClamp, &LinkState.sampleDivisor,
                               &LinkState.readingsPerSecond);
      break;
    case FrameFamily::kZol12:
      // The ZOL12 sends about one frame per second, whatever interval the settings hold.
      SurveySettings.readingInterval = 1.0f;
      LinkState.sampleDivisor = 1;
      LinkState.readingsPerSecond = 1;
      break;
    case FrameFamily::kRz27Mk2:
      LinkState.framePeriodMs = static_cast<float>(kMk2PeriodMs);
      ComputeSampleDivisorCore(kMk2PeriodMs, kMk2Clamp, &LinkState.sampleDivisor,
                               &LinkState.readingsPerSecond);
      break;
    case FrameFamily::kNone:
      break;
  }
}

DWORD WINAPI KeepAliveThread(LPVOID) {
  while (WorkerThreads.keepAliveRun.load(std::memory_order_relaxed) > 0) {
    SystemIdleTimerReset();
    Sleep(kKeepAlivePeriodMs);
  }
  return 0;
}

}  // namespace handheld
