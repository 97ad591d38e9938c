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

// Opens a template of the program's resources modally; -1 when the build holds no such template.
INT_PTR RunDialog(const char* name, HWND owner, DLGPROC proc);

}  // namespace desktop
