// The dialogs the logging window opens during a run: which template each one uses on this build,
// and their dialog procedures.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

enum class LoggingDialog { kNewLine, kNewStation, kComment, kProfileScale, kDisplayOptions };

struct DialogBuild {
  int32_t model = 0;
  int32_t portrait = 0;
  int32_t storageRoot = 1;
  int32_t zolEnabled = 0;          // the setting
  int32_t zolOptionAvailable = 0;  // the build switch
};

// The template name of the dialog on this build.
const wchar_t* LoggingDialogTemplate(LoggingDialog dialog, const DialogBuild& build);
// The same for the build and settings in force.
const wchar_t* LoggingDialogTemplate(LoggingDialog dialog);

// New Station ("GetNewStation"): OK sets the current station to the typed value (not a number:
// 0), starts the curves afresh, redraws the station field and writes a station and a time record.
// Ends with 0 after OK and Cancel alike.
INT_PTR CALLBACK NewStationDlgProc(HWND, UINT, WPARAM, LPARAM);

// Comment ("GetComment"): OK writes the typed text as a comment record (the record keeps its
// first 11 characters). Ends with 0 after OK and Cancel alike.
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM);

// New Line ("GetNewLine"): proposes the next line from the current one; OK stores the line's
// name (its first 11 characters), numbering and start station, makes the start station the
// current station, starts the curves afresh and saves the settings. Ends with 1 after OK, 0 after
// Cancel.
INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM);

// What the new-line dialog proposes. The line name read as a number plus the line increment;
// One Way (sequence 1) keeps the stored start station, increment and direction; Alternate
// (sequence 0) runs back from the current station with the increment negated and the direction
// reversed. A sequence outside the list proposes the stored values as One Way does.
struct NewLineProposal {
  float line = 0;
  double start = 0;
  float increment = 0;
  int32_t direction = 0;
};
NewLineProposal ProposeNewLine(const wchar_t* line, float lineIncrement, int32_t sequence, int32_t direction,
                               double startStation, float stationIncrement, double station);
// The opposite direction: West 0 and East 3, South 1 and North 2 swap; any other value is kept.
int32_t OppositeDirection(int32_t direction);

// Profile scale and display options (built with the setup dialogs, shell/display_dialogs.cpp):
// OK stores and saves the settings, Cancel changes nothing (the display options put their live
// colours and widths back); both end with 0.
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace handheld
