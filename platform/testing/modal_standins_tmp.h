// TEMPORARY until the dialogs, controls, boxes and commdlg branches are merged: the constants and
// calls the modal automation uses from them.
#pragma once
#include <windows.h>
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDYES
#define IDYES 6
#endif
#ifndef IDNO
#define IDNO 7
#endif
#ifndef MB_OKCANCEL
#define MB_OKCANCEL 0x1
#endif
#ifndef MB_YESNO
#define MB_YESNO 0x4
#endif
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#endif
#ifndef BM_CLICK
#define BM_CLICK 0x00F5
#endif
#ifndef BST_CHECKED
#define BST_CHECKED 1
#endif
#ifndef CB_ERR
#define CB_ERR (-1)
#endif
#ifndef CB_GETCURSEL
#define CB_GETCURSEL 0x0147
#endif
#ifndef CB_SETCURSEL
#define CB_SETCURSEL 0x014E
#endif
#ifndef CBN_SELCHANGE
#define CBN_SELCHANGE 1
#endif
#ifndef LB_SETCURSEL
#define LB_SETCURSEL 0x0186
#endif
#ifndef LB_ERR
#define LB_ERR (-1)
#endif
BOOL EndDialog(HWND dlg, INT_PTR result);
