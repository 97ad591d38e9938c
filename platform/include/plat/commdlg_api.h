// Common dialogs of the layer (file name and colour choosers) and the loadable-module calls through
// which the handheld reaches the colour chooser.
#pragma once

#include "plat/wintypes.h"

// ---- File name dialogs -----------------------------------------------------------------------
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u

// CommDlgExtendedError codes.
#define CDERR_DIALOGFAILURE 0xFFFFu
#define CDERR_INITIALIZATION 0x0002u
#define FNERR_BUFFERTOOSMALL 0x3003u

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;        // pairs of description and pattern, ending in an empty string
  LPWSTR lpstrCustomFilter;   // not used
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;         // 1-based; 0 is taken as 1. The chosen filter on return
  LPWSTR lpstrFile;           // in: the proposal (or empty); out: the full path
  DWORD nMaxFile;             // characters, the NUL included
  LPWSTR lpstrFileTitle;      // optional: the file name without its folder
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;    // Windows form; NULL: the current directory (the root on the handheld)
  LPCWSTR lpstrTitle;         // NULL: "Save As" or "Open"
  DWORD Flags;
  WORD nFileOffset;           // out: index of the file name in lpstrFile
  WORD nFileExtension;        // out: index after the last dot of the name, or of the NUL
  LPCWSTR lpstrDefExt;        // appended (after a dot) to a typed name without an extension
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;     // not used
  LPCWSTR lpTemplateName;     // not used
};
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};
typedef OPENFILENAMEW* LPOPENFILENAMEW;
typedef OPENFILENAMEA* LPOPENFILENAMEA;

// TRUE with the chosen path; FALSE on cancel, WM_CLOSE, or a result that does not fit the buffers
// (CommDlgExtendedError then gives FNERR_BUFFERTOOSMALL and lpstrFile holds an empty string).
BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
// The reason the calling thread's last common dialog returned FALSE; 0 for a cancel.
DWORD CommDlgExtendedError();

// ---- Colour chooser --------------------------------------------------------------------------
#define CC_RGBINIT 0x00000001u
#define CC_FULLOPEN 0x00000002u
#define CC_PREVENTFULLOPEN 0x00000004u
#define CC_ANYCOLOR 0x00000100u

typedef UINT_PTR(CALLBACK* LPCCHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSECOLORW {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;       // out: the chosen colour; in with CC_RGBINIT: the colour shown first
  COLORREF* lpCustColors;   // 16 colours of the caller's, changed in place when one is stored
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;    // not used
  LPCWSTR lpTemplateName;   // not used
};
struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};
typedef CHOOSECOLORW* LPCHOOSECOLORW;
typedef CHOOSECOLORA* LPCHOOSECOLORA;

// TRUE with rgbResult set; FALSE on cancel or WM_CLOSE (rgbResult is then left alone).
BOOL ChooseColorW(LPCHOOSECOLORW cc);
BOOL ChooseColorA(LPCHOOSECOLORA cc);

// ---- Loadable modules ------------------------------------------------------------------------
// The layer knows one module, "COMMDLG.DLL" (ignoring case), exporting "ChooseColor" (the wide
// chooser). Unknown modules give NULL with ERROR_MOD_NOT_FOUND, unknown exports NULL with
// ERROR_PROC_NOT_FOUND. FreeLibrary does nothing.
HMODULE LoadLibraryW(LPCWSTR name);
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddressW(HMODULE module, LPCWSTR name);
FARPROC GetProcAddressA(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

#ifdef UNICODE
#define OPENFILENAME OPENFILENAMEW
#define LPOPENFILENAME LPOPENFILENAMEW
#define GetSaveFileName GetSaveFileNameW
#define GetOpenFileName GetOpenFileNameW
#define CHOOSECOLOR CHOOSECOLORW
#define LPCHOOSECOLOR LPCHOOSECOLORW
#define ChooseColor ChooseColorW
#define LoadLibrary LoadLibraryW
#define GetProcAddress GetProcAddressW
#else
#define OPENFILENAME OPENFILENAMEA
#define LPOPENFILENAME LPOPENFILENAMEA
#define GetSaveFileName GetSaveFileNameA
#define CHOOSECOLOR CHOOSECOLORA
#define LPCHOOSECOLOR LPCHOOSECOLORA
#define ChooseColor ChooseColorA
#define LoadLibrary LoadLibraryA
#define GetProcAddress GetProcAddressA
#endif
