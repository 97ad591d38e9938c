// TEMPORARY until the controls and commdlg branches are merged: the constants the modal
// automation uses from them.
#pragma once
#include <windows.h>
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
