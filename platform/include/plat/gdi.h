// Drawing calls of the layer: GDI objects, device contexts, shapes, lines, blits, text and the
// built-in font, system colours.
#pragma once

#include "plat/wintypes.h"

// ---- Constants -------------------------------------------------------------------------------
// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// Pens and brushes.
#define PS_SOLID 0
#define PS_NULL 5
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

// Background modes, raster operation, text options and alignment.
#define TRANSPARENT 1
#define OPAQUE 2
#define SRCCOPY 0x00CC0020u
#define ETO_OPAQUE 0x2
#define ETO_CLIPPED 0x4
#define TA_LEFT 0
#define TA_TOP 0
#define TA_RIGHT 2
#define TA_CENTER 6

// DrawText formats.
#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_WORDBREAK 0x10
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

// Fonts.
#define LF_FACESIZE 32
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1

// Failure values.
#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu

// System colours.
#define COLOR_ACTIVECAPTION 2
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22

// ---- Structures ------------------------------------------------------------------------------
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};
typedef BITMAP* LPBITMAP;

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
};

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* LPLOGFONTW;
typedef LOGFONTA* LPLOGFONTA;

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;
typedef TEXTMETRICA* LPTEXTMETRICA;

// Filled by BeginPaint (window calls).
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

// ---- Objects ---------------------------------------------------------------------------------
HGDIOBJ GetStockObject(int index);
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontIndirectA(const LOGFONTA* lf);
HDC CreateCompatibleDC(HDC hdc);
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
BOOL DeleteDC(HDC hdc);
int GetObjectW(HANDLE obj, int size, LPVOID out);
int GetObjectA(HANDLE obj, int size, LPVOID out);

// ---- DC state --------------------------------------------------------------------------------
int SetBkMode(HDC hdc, int mode);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF SetTextColor(HDC hdc, COLORREF colour);
UINT SetTextAlign(HDC hdc, UINT align);

// ---- Shapes, lines, pixels, blits ------------------------------------------------------------
int FillRect(HDC hdc, const RECT* rc, HBRUSH brush);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* pts, int count);
BOOL DrawFocusRect(HDC hdc, const RECT* rc);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int sx, int sy, DWORD rop);

// ---- Text ------------------------------------------------------------------------------------
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR s, int n);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR s, int n);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCWSTR s, UINT n, const INT* dx);
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCSTR s, UINT n, const INT* dx);
int DrawTextW(HDC hdc, LPCWSTR s, int n, LPRECT rc, UINT format);
int DrawTextA(HDC hdc, LPCSTR s, int n, LPRECT rc, UINT format);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR s, int n, LPSIZE size);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR s, int n, LPSIZE size);
BOOL GetTextExtentPointW(HDC hdc, LPCWSTR s, int n, LPSIZE size);
BOOL GetTextExtentPointA(HDC hdc, LPCSTR s, int n, LPSIZE size);
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm);
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA tm);

// ---- System colours --------------------------------------------------------------------------
DWORD GetSysColor(int index);

#ifdef UNICODE
#define LOGFONT LOGFONTW
#define LPLOGFONT LPLOGFONTW
#define TEXTMETRIC TEXTMETRICW
#define LPTEXTMETRIC LPTEXTMETRICW
#define CreateFontIndirect CreateFontIndirectW
#define GetObject GetObjectW
#define TextOut TextOutW
#define ExtTextOut ExtTextOutW
#define DrawText DrawTextW
#define GetTextExtentPoint32 GetTextExtentPoint32W
#define GetTextExtentPoint GetTextExtentPointW
#define GetTextMetrics GetTextMetricsW
#else
#define LOGFONT LOGFONTA
#define LPLOGFONT LPLOGFONTA
#define TEXTMETRIC TEXTMETRICA
#define LPTEXTMETRIC LPTEXTMETRICA
#define CreateFontIndirect CreateFontIndirectA
#define GetObject GetObjectA
#define TextOut TextOutA
#define ExtTextOut ExtTextOutA
#define DrawText DrawTextA
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetTextExtentPoint GetTextExtentPointA
#define GetTextMetrics GetTextMetricsA
#endif
