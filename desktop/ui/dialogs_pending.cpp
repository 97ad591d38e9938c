// The survey run's dialogs (new line, new station, comment) come with the desktop survey
// recording. Until then no build holds their templates, so every call returns -1 and goes on as
// after a Cancel; these procedures only give the calls something to name. Each goes when the real
// one comes (this file then fails to link beside it, by design).
#include "ui/dialogs.h"

namespace desktop {

INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK NewStationDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace desktop
