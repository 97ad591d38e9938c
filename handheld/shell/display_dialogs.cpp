// The display options and profile scale dialogs. Until they are built each only ends on OK (1)
// and on Cancel or a close (0).
#include "logging/dialogs.h"

namespace handheld {
namespace {

INT_PTR EndOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam) {
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) return EndDialog(dialog, 1);
  if (LOWORD(wParam) == IDCANCEL) return EndDialog(dialog, 0);
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ProfileScaleDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return EndOnOkOrCancel(h, m, w); }
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return EndOnOkOrCancel(h, m, w); }

}  // namespace handheld
