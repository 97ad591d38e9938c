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

// Dialog procedures still to be built: each only ends on OK (1) and on Cancel or a close (0).
INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM);

// Profile scale and display options (built with the setup dialogs, shell/display_dialogs.cpp):
// OK stores and saves the settings, Cancel changes nothing (the display options put their live
// colours and widths back); both end with 0.
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace handheld
