// Dialog procedures of the setup and survey-run dialogs that the menu and the logging window open.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/new_line.h"

namespace desktop {

INT_PTR CALLBACK SurveySetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK LoggerSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK GpsPortSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
// The survey run's dialogs. New Line ("GETNEWLINE") proposes the next line; OK stores its name
// (the first 11 characters), numbering and start station, which becomes the current station,
// starts the curves afresh and saves the settings; it ends with 1 after OK, 0 after Cancel or the
// letter c. New Station ("NEWSTATION") records the typed station with a time mark and ends with 0
// after OK, 1 after Cancel. Comment ("COMMENT") records up to 20 typed characters as a comment
// (the record keeps 11) and ends with 0. Typed numbers are decimal text (anything else reads 0),
// held within what their record fields hold.
INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK NewStationDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM);

// What New Line proposes, from the line name read as a decimal number: One Way (sequence 1) the
// stored start station, increment and direction; any other sequence (Alternate) back from the
// current station with the increment negated and directions 0 to 3 reversed.
survey::NewLineProposal ProposeNewLine(const char* line, float lineIncrement, int32_t sequence, int32_t direction,
                                       double startStation, float stationIncrement, double station);
INT_PTR CALLBACK GpsMessageDlgProc(HWND, UINT, WPARAM, LPARAM);

// The display options' colour sample of the control in `item` (channel by its id). Returns 0.
int DrawColourButton(HWND dialog, const DRAWITEMSTRUCT* item);
// The colour chooser for a channel: TRUE when a colour was chosen, which is then in
// PlotState.pickedColour of the channel. The custom colours are PlotState.customColours.
BOOL PickColour(HWND owner, int channel);

// Opens a template of the program's resources modally; -1 when the build holds no such template.
INT_PTR RunDialog(const char* name, HWND owner, DLGPROC proc);

}  // namespace desktop
