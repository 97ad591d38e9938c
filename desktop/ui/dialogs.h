// Dialog procedures of the setup and survey-run dialogs that the menu and the logging window open.
#pragma once

#include <windows.h>

namespace desktop {

INT_PTR CALLBACK SurveySetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK LoggerSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK GpsPortSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK NewStationDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK GpsMessageDlgProc(HWND, UINT, WPARAM, LPARAM);

// The display options' colour sample of the control in `item` (channel by its id). Returns 0.
int DrawColourButton(HWND dialog, const DRAWITEMSTRUCT* item);
// The colour chooser for a channel: TRUE when a colour was chosen, which is then in
// PlotState.pickedColour of the channel. The custom colours are PlotState.customColours.
BOOL PickColour(HWND owner, int channel);

// Opens a template of the program's resources modally; -1 when the build holds no such template.
INT_PTR RunDialog(const char* name, HWND owner, DLGPROC proc);

}  // namespace desktop
