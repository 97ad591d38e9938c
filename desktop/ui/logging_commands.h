// What a button, key or key release means in the logging window: a pure decoder from the build,
// the run state and the message to the effect, plus the meter watchdog's decision on timer 1.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/models.h"

namespace desktop {

// Commands of the logging window (LoggingCommand).
enum LoggingCommandId : int32_t {
  kCmdNone = 0,
  kCmdNewLine = 101,
  kCmdNewStation = 102,
  kCmdComment = 103,
  kCmdNulling = 104,
  kCmdScale = 105,
  kCmdProfiles = 107,
  kCmdInternalQc = 111,
  kCmdExternalQc = 112,
  kCmdCalibrateMk2 = 113,
  kCmdDeleteCalibration = 114,
};

enum class LoggingEffect : uint8_t {
  kNone,
  kDataFile,  // Monitoring: create a data file
  kGo,        // Stand By: start logging
  kPause,     // Logging: back to Stand By
  kExit,      // end the run
  kCommand,   // one of LoggingCommandId
};

struct LoggingInput {
  LoggingKind kind = LoggingKind::kMeter;  // the build's button sets
  bool monitorVariant = false;
  int32_t state = 0;          // SurveyRun.state
  int32_t mainMode = 1;       // MainMenu.mode: keys count only at 1
  int32_t pauseKey = 0;       // SurveySettings.pauseKey
  int32_t softMarker = 0;     // SurveySettings.softMarker
  int32_t softMarkerHeld = 0; // SurveyRun.softMarkerHeld
  int32_t selected = 0;       // LoggingButtons.selected
  int32_t acquisitionState = 1;  // SurveyRun.acquisitionState
  bool calibrating = false;   // an RZ27-MK2 calibration is under way (its offsets are zero)
  uint32_t enabledButtons = ~0u;  // bit i: button i of the set on show is enabled
  UINT message = WM_COMMAND;  // WM_COMMAND, WM_KEYDOWN or WM_DEADCHAR
  WPARAM wParam = 0;
};

struct LoggingStep {
  LoggingEffect effect = LoggingEffect::kNone;
  int32_t command = kCmdNone;  // with LoggingEffect::kCommand
  bool nextButton = false;     // Tab: the selection moves to the next button of the set on show
  bool holdSoftMarker = false; // SurveyRun.softMarkerHeld becomes 1
};

// A button's action number after the per-build remap (one lookup: a button is remapped once).
int32_t RemapButtonAction(LoggingKind kind, int32_t state, int32_t action);

// What the action a (0 to 9, as remapped) does in Monitoring or Stand By.
LoggingStep ActionEffect(LoggingKind kind, int32_t state, int32_t action);

// Decodes one WM_COMMAND, WM_KEYDOWN or WM_DEADCHAR of the logging window.
LoggingStep DecodeLoggingCommand(const LoggingInput& in);

// Whether a key release ends a held soft marker (a digit while the logging screen is up).
bool ReleasesSoftMarker(int32_t mainMode, int32_t softMarker, int32_t softMarkerHeld, WPARAM key);

// ---- Timer 1 -------------------------------------------------------------------------------------

constexpr uint32_t kWatchdogPeriodMs = 300;   // meter timer period and longest frame gap
constexpr uint32_t kRz56PollMs = 100;         // RZ56-MK2 timer period outside Auto logging

// Meter builds: no frame for longer than the period (unsigned tick difference).
bool MeterLinkLate(uint32_t now, uint32_t lastFrameTick);

}  // namespace desktop
