// The dialogs the logging window opens during a run: which template each one uses on this build,
// and their dialog procedures.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/new_line.h"

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

// What the new-line dialog proposes (common/new_line.h), from the line name read as a number.
// Alternate is sequence 0; a sequence outside the list proposes the stored values as One Way does.
using survey::NewLineProposal;
using survey::OppositeDirection;
NewLineProposal ProposeNewLine(const wchar_t* line, float lineIncrement, int32_t sequence, int32_t direction,
                               double startStation, float stationIncrement, double station);

// Profile scale and display options (built with the setup dialogs, shell/display_dialogs.cpp):
// OK stores and saves the settings, Cancel changes nothing (the display options put their live
// colours and widths back); both end with 0.
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace handheld
