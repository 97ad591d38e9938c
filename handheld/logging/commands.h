// The logging window's commands: what a button, key or menu choice means in each run state (a
// pure decoder), and the menu command ids of the run's popup menus.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

constexpr UINT kPopupMenu = 1100;     // "&File": Scale, Display Options, Hide Menu
constexpr UINT kPopupMenuMk2 = 1110;  // the same with Calibrate and Delete Calibration

constexpr UINT kMenuScale = 1101;
constexpr UINT kMenuDisplayOptions = 1102;
constexpr UINT kMenuRepaint = 1103;
constexpr UINT kMenuHide = 1106;
constexpr UINT kMenuCalibrate = 1111;
constexpr UINT kMenuDeleteCalibration = 1112;

// Actions are button indexes of the set on show; kNoAction is none.
constexpr int kNoAction = -1;

enum class SelectionMove { kNone, kNext, kPrevious };

struct LoggingCommandInput {
  int32_t state = 0;  // SurveyRun.state
  int32_t model = 0;
  int32_t portrait = 0;
  int32_t pauseKey = 0;
  int32_t softMarker = 0;      // SurveySettings.softMarker
  int32_t softMarkerHeld = 0;  // SurveyRun.softMarkerHeld
  int32_t selected = 0;        // LoggingButtons.selected
  WPARAM wParam = 0;           // a control or menu id (WM_COMMAND) or a key code (WM_KEYDOWN)
};

struct LoggingCommand {
  int action = kNoAction;  // carried out first
  UINT menuCommand = 0;    // then this one; 0 none
  SelectionMove move = SelectionMove::kNone;
  bool holdSoftMarker = false;  // SurveyRun.softMarkerHeld becomes 1
};

// Decodes one WM_COMMAND or WM_KEYDOWN of a running survey.
LoggingCommand DecodeLoggingCommand(const LoggingCommandInput& in);

// The selection after a move inside [first, count): next wraps to first, previous to count - 1.
int MoveSelection(int selected, int first, int count, SelectionMove move);

// Whether releasing `key` ends a held soft marker: the digits, and in portrait also the selection
// keys (Tab and the arrows), which are the keys that can set it.
bool ReleasesSoftMarker(int32_t portrait, WPARAM key);

}  // namespace handheld
