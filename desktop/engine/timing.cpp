#include "engine/timing.h"

#include "common/whole_numbers.h"
#include "engine/models.h"
#include "engine/state.h"

namespace desktop {

void ComputeSampleDivisor() {
  const ModelRow& row = ThisModel();
  LinkState.framePeriodMs = row.framePeriodMs;
  if (row.rz56) return;  // the RZ56 answers requests: no divisor
  if (row.oneSecondFrames) {
    SurveySettings.readingInterval = 1.0f;
    LinkState.sampleDivisor = 1;
    return;
  }
  LinkState.sampleDivisor = survey::SampleDivisor(SurveySettings.readingInterval, row.framePeriodMs);
}

}  // namespace desktop
