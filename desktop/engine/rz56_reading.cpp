#include "engine/rz56_reading.h"

#include "engine/rz56_frames.h"
#include "engine/state.h"

namespace desktop {

bool IsRz56MarkedTag(int32_t tag) {
  if (tag < 0 || tag > 0xFF) return false;
  const auto t = static_cast<unsigned char>(tag);
  return Rz56PlainTag(t) != 0 && Rz56PlainTag(t) != t;
}

int32_t Rz56RecordFlag(int32_t tag, int32_t surveyMode, int32_t previousFlag) {
  const bool unmarked = tag == 'T' || tag == 'D' || tag == 'E' || tag == 'F';
  if (surveyMode != kModeManual) return 1;
  if (unmarked) return 0;
  return previousFlag == 0 ? 1 : -1;
}

float Rz56BatteryVolts(int32_t count) { return StoreFloat(count / kRz56BatteryCountsPerVolt); }

void ApplyRz56QcVerdict(Rz56QcPanelState& panel, Rz56QcVerdict verdict, const float values[kRz56Channels],
                        float qcValue[kRz56Channels]) {
  if (panel.qcStep != 1 || verdict == Rz56QcVerdict::kGoOn) return;
  panel.qcStep = 2;
  panel.qcResult = 1;
  panel.qcSecondsOrOk = verdict == Rz56QcVerdict::kPassed ? 1 : 0;
  for (int k = 0; k < kRz56Channels; ++k) qcValue[k] = values[k];
}

Rz56NullingStep StepRz56Nulling(Rz56NullState& s, int32_t& acquisitionState, const float values[kRz56Channels],
                                int32_t runState) {
  Rz56NullingStep step;
  const bool qc = acquisitionState == kAcqQcNulling;
  if (!qc && acquisitionState != kAcqNulling) return step;
  if (s.nullCount <= 0) {
    for (int k = 0; k < kRz56Channels; ++k) {
      (qc ? s.savedNullOffset : s.previousNullOffset)[k] = s.nullOffset[k];
      s.nullOffset[k] = 0;
      s.nullSum[k] = 0;
    }
    step.setQcLimits = qc;
    s.nullCount = 1;
    return step;
  }
  for (int k = 0; k < kRz56Channels; ++k) s.nullSum[k] = StoreFloat(static_cast<double>(s.nullSum[k]) + values[k]);
  const int32_t target = s.nullTarget > 0 ? s.nullTarget : kRz56NullTarget;
  if (s.nullCount < target) {
    s.nullCount += 1;
    return step;
  }
  for (int k = 0; k < kRz56Channels; ++k) s.nullOffset[k] = StoreFloat(static_cast<double>(s.nullSum[k]) / target);
  if (qc) {
    acquisitionState = kAcqQcCheck;
    step.showQcPanel = true;
  } else {
    acquisitionState = kAcqRunning;
    step.writeNullRecords = runState == kRunStandBy;
  }
  return step;
}

}  // namespace desktop
