// Placeholders of the setup dialogs until they land: their templates do not exist yet, so
// nothing opens them; a dialog run with one of them handles nothing. The display options'
// placeholder is the logging screen's, which opens it from its popup menu too.
#include "shell/shell.h"

namespace handheld {

INT_PTR CALLBACK SurveySetupDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK LoggerSetupDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK GpsPortSetupDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace handheld
