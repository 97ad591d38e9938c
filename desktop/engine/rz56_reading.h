// The RZ56-MK2 reading handler's decisions, without windows: which readings are recorded, the
// battery volts, and the nulling as a state step over the null offsets.
#pragma once

#include <cstdint>

#include "engine/rz56_convert.h"

namespace desktop {

// Acquisition states of an RZ56-MK2 run (SurveyRun.acquisitionState).
enum Rz56Acquisition : int32_t {
  kAcqNormalising = 0,
  kAcqRunning = 1,
  kAcqNulling = -1,
  kAcqQcNulling = -2,
  kAcqQcCheck = -3,
};

constexpr int32_t kRz56NullTarget = 50;

// A marked tag ('M', 'N', 'P', 'Q'): the instrument's marker was pressed for this frame.
bool IsRz56MarkedTag(int32_t tag);

// The record flag of a reading: 1 recorded, 0 not, -1 a marked trigger still held. Unmarked tags
// ('T', 'D', 'E', 'F') give 0 in Manual and 1 otherwise; any other tag gives 1 outside Manual, and
// in Manual 1 only for the first marked frame after an unmarked one (previous flag 0).
int32_t Rz56RecordFlag(int32_t tag, int32_t surveyMode, int32_t previousFlag);

// Battery count to volts, finite for every count.
float Rz56BatteryVolts(int32_t count);

// The null offsets and the nulling under way (owner: the RZ56 reading handler; the QC panel puts
// savedNullOffset back when it closes).
struct Rz56NullState {
  float nullOffset[kRz56Channels] = {};          // in force, subtracted by the conversion
  float previousNullOffset[kRz56Channels] = {};  // what the last plain nulling replaced
  float savedNullOffset[kRz56Channels] = {};     // in force when a QC run began
  float nullSum[kRz56Channels] = {};
  int32_t nullCount = 0;                         // 0: the next reading starts the nulling
  int32_t nullTarget = kRz56NullTarget;
};

// What a nulling step asks of its caller.
struct Rz56NullingStep {
  bool setQcLimits = false;      // a QC nulling began: the QC test is set up
  bool showQcPanel = false;      // a QC nulling ended: the panel opens, acquisition state -3
  bool writeNullRecords = false; // a plain nulling ended in Stand By: the new and replaced offsets
};

// The QC panel's steps (owner: the QC panel; the RZ56 reading handler delivers the verdict).
struct Rz56QcPanelState {
  int32_t qcStep = 0;            // 0 instructions, 1 waiting for values, 2 result shown
  int32_t qcResult = 0;          // 0 none, 1 values, 2 time out
  int32_t qcSecondsOrOk = 0;     // seconds waited in step 1; with a result 1 OK, 0 FAILED
  int32_t qcFocusedButton = 0;   // 0 OK, 1 Cancel: the button Enter acts on
  int32_t qcRecordsWritten = 0;  // 1 once the QC records of the result on show are written
};

// A QC reading judged while the panel waits (step 1): a pass or a failure becomes the result, with
// the reading's values; otherwise nothing changes.
void ApplyRz56QcVerdict(Rz56QcPanelState& panel, Rz56QcVerdict verdict, const float values[kRz56Channels],
                        float qcValue[kRz56Channels]);

// One reading (the four channel values, converted with the offsets in force) of a nulling in
// acquisition state -1 (plain) or -2 (QC). The first reading of either starts it and is not
// summed: a plain nulling keeps the offsets in force as previousNullOffset, a QC nulling keeps
// them in savedNullOffset; both then convert with zero offsets. The next nullTarget readings are
// summed; at the last the offsets become their means and the state moves on: -1 to 1, -2 to -3.
// Only a plain nulling changes previousNullOffset; the offsets a QC nulling finds never stay.
// Any other acquisition state is left alone.
Rz56NullingStep StepRz56Nulling(Rz56NullState& s, int32_t& acquisitionState, const float values[kRz56Channels],
                                int32_t runState);

}  // namespace desktop
