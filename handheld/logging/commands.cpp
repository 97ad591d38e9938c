#include "logging/commands.h"

#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

namespace {

constexpr WPARAM kKeyTab = 9;
constexpr WPARAM kKeyEnter = 13;
constexpr WPARAM kKeySpace = 32;
constexpr WPARAM kKeyLeft = 37;
constexpr WPARAM kKeyUp = 38;
constexpr WPARAM kKeyRight = 39;
constexpr WPARAM kKeyDown = 40;

bool IsDigit(WPARAM key) { return key >= '0' && key <= '9'; }
bool IsArrow(WPARAM key) { return key >= kKeyLeft && key <= kKeyDown; }
// A letter matches by its upper-case code and by its lower-case character code.
bool IsLetter(WPARAM key, char upper) { return key == static_cast<WPARAM>(upper) || key == static_cast<WPARAM>(upper + 32); }

bool IsMenuCommand(WPARAM w) {
  return (w >= kMenuScale && w <= kMenuHide) || w == kMenuCalibrate || w == kMenuDeleteCalibration;
}

// While Logging, by pause key: whether the key pauses; the soft-marker keys of the RZ27-MK2 hold
// the marker instead.
void DecodeLogging(const LoggingCommandInput& in, LoggingCommand* c) {
  const WPARAM key = in.wParam;
  const bool markerKeys = ModelRowOf(in.model).softMarkerKeys;
  const bool canHold = in.softMarker == 1 && in.softMarkerHeld == 0;
  bool pauses = c->action >= 0;  // a button pauses whatever the key setting
  switch (EffectivePauseKey(in.pauseKey)) {
    case 0:
      if (markerKeys && IsDigit(key)) {
        c->holdSoftMarker = canHold;
      } else {
        pauses = true;
      }
      break;
    case 1:
      pauses = pauses || key == kKeySpace;
      break;
    case 2:
      pauses = pauses || key == kKeyEnter;
      if (markerKeys && in.portrait != 0 && IsArrow(key)) c->holdSoftMarker = canHold;
      break;
    case 3:
      pauses = pauses || key == 'P' || key == 'p';
      break;
    default:
      break;
  }
  c->action = pauses ? 0 : kNoAction;
}

// The key table of Monitor and Stand By. Returns false for a code in no row.
bool DecodeKey(const LoggingCommandInput& in, LoggingCommand* c) {
  const WPARAM key = in.wParam;
  const bool monitor = in.state == kRunMonitor;
  const ModelRow& row = ModelRowOf(in.model);

  if (key == kKeyEnter) {
    c->action = in.selected;
    return true;
  }
  const bool next = key == kKeyTab || key == kKeyRight || key == kKeyDown;
  const bool previous = key == kKeyLeft || key == kKeyUp;
  if (next || previous) {
    // On the RZ27-MK2 in portrait with the soft marker on, the first key-down of a selection key
    // holds the marker; only its repeats while held move the selection.
    if (row.softMarkerKeys && in.portrait != 0 && in.softMarker == 1 && in.softMarkerHeld == 0) {
      c->holdSoftMarker = true;
    } else {
      c->move = next ? SelectionMove::kNext : SelectionMove::kPrevious;
    }
    return true;
  }
  if (IsDigit(key)) {
    c->holdSoftMarker = in.softMarker == 1 && in.softMarkerHeld == 0;
    return true;
  }

  struct Row {
    char letter;
    int monitor;  // kNoAction: no entry
    int standBy;
  };
  static constexpr Row kRows[] = {
      {'C', 0, 3}, {'G', kNoAction, 0}, {'L', kNoAction, 1}, {'N', 2, 2}, {'M', 4, 4},
      {'X', 4, 5}, {'U', 1, 9},         {'B', 6, 6},         {'S', kNoAction, 7},
  };
  for (const Row& r : kRows) {
    if (IsLetter(key, r.letter)) {
      c->action = monitor ? r.monitor : r.standBy;
      return true;
    }
  }
  if (row.calibrates && monitor && IsLetter(key, 'A')) {
    c->action = 1;
    return true;
  }
  if (row.calibrates && monitor && IsLetter(key, 'E')) {
    c->action = 2;
    return true;
  }
  return false;
}

}  // namespace

LoggingCommand DecodeLoggingCommand(const LoggingCommandInput& in) {
  LoggingCommand c;
  const bool logging = in.state == kRunLogging;
  if (IsMenuCommand(in.wParam)) {
    // A menu choice is no button and no key; nothing else happens while Logging.
    if (!logging) c.menuCommand = static_cast<UINT>(in.wParam);
    return c;
  }
  const int button = static_cast<int>(LOWORD(in.wParam)) - kLoggingButtonIdBase;
  if (button >= 0 && button < kPauseButtons) c.action = logging ? 0 : button;

  if (logging) {
    DecodeLogging(in, &c);
    return c;
  }
  if (in.state != kRunMonitor && in.state != kRunStandBy) return LoggingCommand{};
  DecodeKey(in, &c);

  if (ModelRowOf(in.model).calibrates && in.state == kRunMonitor) {
    if (c.action == 1) {
      c.action = kNoAction;
      c.menuCommand = kMenuCalibrate;
    } else if (c.action == 2) {
      c.action = kNoAction;
      c.menuCommand = kMenuDeleteCalibration;
    } else if (c.action == 3) {
      c.action = 1;
    }
  }
  return c;
}

int MoveSelection(int selected, int first, int count, SelectionMove move) {
  if (count <= first) return first;
  switch (move) {
    case SelectionMove::kNext:
      ++selected;
      return selected >= count || selected < first ? first : selected;
    case SelectionMove::kPrevious:
      --selected;
      return selected < first || selected >= count ? count - 1 : selected;
    case SelectionMove::kNone:
      break;
  }
  return selected;
}

bool ReleasesSoftMarker(int32_t portrait, WPARAM key) {
  if (IsDigit(key)) return true;
  return portrait != 0 && (key == kKeyTab || IsArrow(key));
}

}  // namespace handheld
