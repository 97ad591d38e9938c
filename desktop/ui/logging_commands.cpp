#include "ui/logging_commands.h"

#include "engine/state.h"
#include "ui/logging_layout.h"

namespace desktop {
namespace {

constexpr WPARAM kKeyTab = 9;
constexpr WPARAM kKeyEnter = 13;
constexpr WPARAM kKeySpace = 32;

// The remap of a button's action 0 to 9 so that equal actions mean the same in every set: one
// lookup, so that a remapped action is never remapped again. The RZ56-MK2 sets need none.
struct RemapRow {
  int8_t others;      // every build but the RZ56-MK2 and the RZ27-MK2
  int8_t mk2Monitor;  // RZ27-MK2 in Monitoring
  int8_t mk2StandBy;  // RZ27-MK2 in Stand By
};
constexpr RemapRow kRemap[10] = {
    {0, 0, 0}, {1, 1, 1}, {2, 4, 2}, {3, 3, 3}, {8, 2, 8}, {9, 9, 9}, {4, 6, 6}, {7, 7, 7}, {8, 4, 4}, {9, 9, 9},
};

// A letter matches by its upper-case code and by its lower-case character code.
bool IsLetter(WPARAM key, char upper) {
  return key == static_cast<WPARAM>(upper) || key == static_cast<WPARAM>(upper + 32);
}
bool IsDigit(WPARAM key) { return key >= '0' && key <= '9'; }
bool IsKeyMessage(UINT message) { return message == WM_KEYDOWN || message == WM_DEADCHAR; }

LoggingStep Command(int32_t command) { return {LoggingEffect::kCommand, command, false, false}; }
LoggingStep Effect(LoggingEffect effect) { return {effect, kCmdNone, false, false}; }

// The key table of Monitoring and Stand By (Enter, Tab and the digits are handled before it).
LoggingStep KeyEffect(LoggingKind kind, int32_t state, WPARAM key) {
  const bool monitor = state == kRunMonitor;
  const bool standBy = state == kRunStandBy;
  const bool rz56 = kind == LoggingKind::kRz56Mk2;
  const bool mk2 = kind == LoggingKind::kMk2;
  if (IsLetter(key, 'F') && monitor) return Effect(LoggingEffect::kDataFile);
  if (IsLetter(key, 'G') && standBy) return Effect(LoggingEffect::kGo);
  if (IsLetter(key, 'L') && standBy) return Command(kCmdNewLine);
  if (IsLetter(key, 'Q') && standBy) return ActionEffect(kind, state, 1);
  if (IsLetter(key, 'N') && standBy) return Command(kCmdNewStation);
  if (IsLetter(key, 'C') && standBy) return Command(kCmdComment);
  if (IsLetter(key, 'R')) return Command(kCmdScale);
  if (IsLetter(key, 'P')) return Command(kCmdProfiles);
  if (IsLetter(key, 'X')) return Effect(LoggingEffect::kExit);
  // The instrument letters act only in the builds whose buttons offer the same.
  if (IsLetter(key, 'U') && rz56) return Command(kCmdNulling);
  if (IsLetter(key, 'I') && rz56) return Command(kCmdInternalQc);
  if (IsLetter(key, 'E') && rz56) return Command(kCmdExternalQc);
  if (IsLetter(key, 'E') && mk2) return Command(kCmdDeleteCalibration);
  if (IsLetter(key, 'A') && mk2) return Command(kCmdCalibrateMk2);
  return {};
}

// While Logging: whether this key pauses, by pause key; on the RZ27-MK2 with "any key" a digit
// holds the soft marker instead.
LoggingStep LoggingKey(const LoggingInput& in) {
  const WPARAM key = in.wParam;
  bool pauses = false;
  switch (in.pauseKey) {
    case 1:
      pauses = key == kKeyEnter;
      break;
    case 2:
      pauses = key == kKeySpace;
      break;
    case 3:
      pauses = key == 80 || key == 112;
      break;
    default:  // 0 and any value out of range: any key
      if (in.kind == LoggingKind::kMk2 && IsDigit(key)) {
        LoggingStep step;
        step.holdSoftMarker = in.softMarker == 1 && in.softMarkerHeld == 0;
        return step;
      }
      pauses = true;
      break;
  }
  return pauses ? Effect(LoggingEffect::kPause) : LoggingStep{};
}

bool SameEffect(const LoggingStep& a, const LoggingStep& b) {
  return a.effect == b.effect && (a.effect != LoggingEffect::kCommand || a.command == b.command);
}

// Whether the set on show offers this effect on buttons that are all disabled.
bool OnlyOnDisabledButtons(const LoggingInput& in, const LoggingStep& step) {
  const int32_t count = in.state == kRunMonitor ? MonitorButtonCount(in.kind) : StandByButtonCount(in.kind);
  bool offered = false;
  for (int32_t i = 0; i < count; ++i) {
    if (!SameEffect(ActionEffect(in.kind, in.state, RemapButtonAction(in.kind, in.state, i)), step)) continue;
    if ((in.enabledButtons >> i) & 1u) return false;
    offered = true;
  }
  return offered;
}

// Effects that the run's phase forbids.
bool Refused(const LoggingInput& in, const LoggingStep& step) {
  const bool exit = step.effect == LoggingEffect::kExit;
  if (in.monitorVariant && !exit) return true;  // Exit is the monitoring variant's only action
  if (in.calibrating && !exit) return true;     // the offsets are zero until the calibration ends
  if (step.effect == LoggingEffect::kCommand &&
      (step.command == kCmdNulling || step.command == kCmdInternalQc || step.command == kCmdExternalQc)) {
    if (in.acquisitionState != 1) return true;
  }
  if (step.effect == LoggingEffect::kGo && in.kind == LoggingKind::kRz56Mk2 && in.acquisitionState != 1) return true;
  if (in.state == kRunMonitor || in.state == kRunStandBy) return OnlyOnDisabledButtons(in, step);
  return false;
}

}  // namespace

int32_t RemapButtonAction(LoggingKind kind, int32_t state, int32_t action) {
  if (kind == LoggingKind::kRz56Mk2 || action < 0 || action > 9) return action;
  const RemapRow& row = kRemap[action];
  if (kind != LoggingKind::kMk2) return row.others;
  return state == kRunMonitor ? row.mk2Monitor : row.mk2StandBy;
}

LoggingStep ActionEffect(LoggingKind kind, int32_t state, int32_t action) {
  const bool mk2 = kind == LoggingKind::kMk2;
  if (state == kRunMonitor) {
    switch (action) {
      case 0: return Effect(LoggingEffect::kDataFile);
      case 1: return Command(kCmdScale);
      case 2: return Effect(LoggingEffect::kExit);
      case 3: return Command(mk2 ? kCmdDeleteCalibration : kCmdNulling);
      case 4: return Command(mk2 ? kCmdCalibrateMk2 : kCmdInternalQc);
      case 5: return Command(kCmdExternalQc);
      default: return {};
    }
  }
  if (state == kRunStandBy) {
    switch (action) {
      case 0: return Effect(LoggingEffect::kGo);
      case 1: return Command(kCmdNewLine);
      case 2: return Command(kCmdNewStation);
      case 3: return Command(kCmdComment);
      case 4: return Effect(LoggingEffect::kExit);
      case 5: return Command(kCmdNulling);
      case 6: return Command(mk2 ? kCmdCalibrateMk2 : kCmdInternalQc);
      case 7: return Command(mk2 ? kCmdDeleteCalibration : kCmdExternalQc);
      case 8: return Command(kCmdScale);
      case 9: return Command(kCmdProfiles);
      default: return {};
    }
  }
  return {};
}

LoggingStep DecodeLoggingCommand(const LoggingInput& in) {
  // During a quality-control check the panel owns the run: every key and button waits for it.
  if (in.acquisitionState == -2 || in.acquisitionState == -3) return {};
  const int32_t button = static_cast<int32_t>(LOWORD(in.wParam)) - kLoggingButtonIdBase;
  const bool isButton = in.message == WM_COMMAND && button >= 0 && button <= 9;
  const bool isKey = IsKeyMessage(in.message) && in.mainMode == 1;

  LoggingStep step;
  if (in.state == kRunLogging) {
    if (isButton && button == 0) {
      step = Effect(LoggingEffect::kPause);
    } else if (isKey) {
      step = LoggingKey(in);
    }
  } else if (isButton) {
    step = ActionEffect(in.kind, in.state, RemapButtonAction(in.kind, in.state, button));
  } else if (isKey) {
    if (in.wParam == kKeyTab) {
      step.nextButton = !in.calibrating;
      return step;
    }
    if (IsDigit(in.wParam)) {
      step.holdSoftMarker = in.softMarker == 1 && in.softMarkerHeld == 0 && !in.calibrating;
      return step;
    }
    step = in.wParam == kKeyEnter
               ? ActionEffect(in.kind, in.state, RemapButtonAction(in.kind, in.state, in.selected))
               : KeyEffect(in.kind, in.state, in.wParam);
  }
  if (step.effect != LoggingEffect::kNone && Refused(in, step)) return {};
  return step;
}

bool ReleasesSoftMarker(int32_t mainMode, int32_t softMarker, int32_t softMarkerHeld, WPARAM key) {
  return mainMode == 1 && IsDigit(key) && softMarker == 1 && softMarkerHeld == 1;
}

bool MeterLinkLate(uint32_t now, uint32_t lastFrameTick) { return now - lastFrameTick > kWatchdogPeriodMs; }

}  // namespace desktop
