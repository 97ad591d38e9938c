// Window calls of the layer: classes, windows, messages, input, focus, timers and painting.
#pragma once

#include "plat/wintypes.h"

// ---- Messages --------------------------------------------------------------------------------
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_DRAWITEM 0x002B
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NCDESTROY 0x0082
#define WM_GETDLGCODE 0x0087
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEADCHAR 0x0103
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_USER 0x0400
#define WM_APP 0x8000

#define SIZE_RESTORED 0
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
#define MK_LBUTTON 0x0001
#define BN_CLICKED 0
#define IDOK 1
#define IDCANCEL 2

// ---- Styles ----------------------------------------------------------------------------------
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_DLGMODALFRAME 0x00000001u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_CAPTIONOKBTN 0x80000000u

#define CS_VREDRAW 0x1
#define CS_HREDRAW 0x2
#define CS_DBLCLKS 0x8

#define CW_USEDEFAULT ((int)0x80000000)

// ---- Show, position, window longs, metrics ---------------------------------------------------
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOW 5
#define SWP_NOSIZE 0x1
#define SWP_NOMOVE 0x2
#define SWP_NOZORDER 0x4
#define SWP_NOACTIVATE 0x10
#define HWND_TOP ((HWND)0)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)
#define GWL_USERDATA (-21)
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXFIXEDFRAME 7
#define SM_CYFIXEDFRAME 8

// ---- Popups that do not take the activation (a combo box's open list), z-order bottom ----------
#define WM_CANCELMODE 0x001F
#define WS_EX_NOACTIVATE 0x08000000u
#define SW_SHOWNOACTIVATE 4
#define SW_SHOWNA 8
#define HWND_BOTTOM ((HWND)1)

// ---- Retrieval, painting, timers -------------------------------------------------------------
#define PM_NOREMOVE 0x0
#define PM_REMOVE 0x1
#define RDW_INVALIDATE 0x1
#define RDW_ERASE 0x4
#define RDW_ALLCHILDREN 0x80
#define RDW_UPDATENOW 0x100
#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu
#define IDC_ARROW MAKEINTRESOURCE(32512)

// ---- Virtual keys ----------------------------------------------------------------------------
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE

// ---- Structures ------------------------------------------------------------------------------
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};
struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTW* LPCREATESTRUCTW;
typedef CREATESTRUCTA* LPCREATESTRUCTA;

// Declared with the drawing calls.
struct PAINTSTRUCT;

// ---- Classes and windows ---------------------------------------------------------------------
ATOM RegisterClassW(const WNDCLASSW* wc);
ATOM RegisterClassA(const WNDCLASSA* wc);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menuOrId, HINSTANCE inst, LPVOID param);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menuOrId, HINSTANCE inst, LPVOID param);
#define CreateWindowW(c, t, s, x, y, cx, cy, p, m, i, a) CreateWindowExW(0, c, t, s, x, y, cx, cy, p, m, i, a)
#define CreateWindowA(c, t, s, x, y, cx, cy, p, m, i, a) CreateWindowExA(0, c, t, s, x, y, cx, cy, p, m, i, a)
BOOL DestroyWindow(HWND h);
BOOL IsWindow(HWND h);
BOOL ShowWindow(HWND h, int cmd);
BOOL IsWindowVisible(HWND h);
BOOL EnableWindow(HWND h, BOOL enable);
BOOL IsWindowEnabled(HWND h);
BOOL MoveWindow(HWND h, int x, int y, int cx, int cy, BOOL repaint);
BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetClientRect(HWND h, LPRECT rc);
BOOL GetWindowRect(HWND h, LPRECT rc);
BOOL ClientToScreen(HWND h, LPPOINT pt);
BOOL ScreenToClient(HWND h, LPPOINT pt);
HWND GetParent(HWND h);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND h);
LONG GetWindowLongW(HWND h, int index);
LONG GetWindowLongA(HWND h, int index);
LONG SetWindowLongW(HWND h, int index, LONG value);
LONG SetWindowLongA(HWND h, int index, LONG value);
HWND FindWindowW(LPCWSTR className, LPCWSTR title);
HWND FindWindowA(LPCSTR className, LPCSTR title);
BOOL SetWindowTextW(HWND h, LPCWSTR text);
BOOL SetWindowTextA(HWND h, LPCSTR text);
int GetWindowTextW(HWND h, LPWSTR buf, int n);
int GetWindowTextA(HWND h, LPSTR buf, int n);
int GetWindowTextLengthW(HWND h);
int GetWindowTextLengthA(HWND h);
int GetSystemMetrics(int index);
HCURSOR LoadCursorW(HINSTANCE inst, LPCWSTR name);
HCURSOR LoadCursorA(HINSTANCE inst, LPCSTR name);
HICON LoadIconW(HINSTANCE inst, LPCWSTR name);
HICON LoadIconA(HINSTANCE inst, LPCSTR name);

// ---- Messages --------------------------------------------------------------------------------
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last);
BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last);
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageW(HWND h, UINT msg, WPARAM w, LPARAM l);
BOOL PostMessageA(HWND h, UINT msg, WPARAM w, LPARAM l);
void PostQuitMessage(int code);
LRESULT SendMessageW(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT SendMessageA(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT DefWindowProcA(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CallWindowProcA(WNDPROC proc, HWND h, UINT msg, WPARAM w, LPARAM l);

// ---- Input, focus, activation ----------------------------------------------------------------
SHORT GetKeyState(int vk);
SHORT GetAsyncKeyState(int vk);
HWND SetFocus(HWND h);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND h);
BOOL SetForegroundWindow(HWND h);
HWND GetForegroundWindow();

// ---- Timers ----------------------------------------------------------------------------------
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT ms, TIMERPROC proc);
BOOL KillTimer(HWND h, UINT_PTR id);

// ---- Invalidation and painting ---------------------------------------------------------------
BOOL InvalidateRect(HWND h, const RECT* rc, BOOL erase);
BOOL ValidateRect(HWND h, const RECT* rc);
BOOL GetUpdateRect(HWND h, LPRECT rc, BOOL erase);
BOOL UpdateWindow(HWND h);
BOOL RedrawWindow(HWND h, const RECT* rc, HRGN rgn, UINT flags);
HDC BeginPaint(HWND h, PAINTSTRUCT* ps);
BOOL EndPaint(HWND h, const PAINTSTRUCT* ps);
HDC GetDC(HWND h);
int ReleaseDC(HWND h, HDC hdc);

#ifdef UNICODE
#define WNDCLASS WNDCLASSW
#define CREATESTRUCT CREATESTRUCTW
#define LPCREATESTRUCT LPCREATESTRUCTW
#define RegisterClass RegisterClassW
#define CreateWindowEx CreateWindowExW
#define CreateWindow CreateWindowW
#define GetWindowLong GetWindowLongW
#define SetWindowLong SetWindowLongW
#define FindWindow FindWindowW
#define SetWindowText SetWindowTextW
#define GetWindowText GetWindowTextW
#define GetWindowTextLength GetWindowTextLengthW
#define LoadCursor LoadCursorW
#define LoadIcon LoadIconW
#define GetMessage GetMessageW
#define PeekMessage PeekMessageW
#define DispatchMessage DispatchMessageW
#define PostMessage PostMessageW
#define SendMessage SendMessageW
#define DefWindowProc DefWindowProcW
#define CallWindowProc CallWindowProcW
#else
#define WNDCLASS WNDCLASSA
#define CREATESTRUCT CREATESTRUCTA
#define LPCREATESTRUCT LPCREATESTRUCTA
#define RegisterClass RegisterClassA
#define CreateWindowEx CreateWindowExA
#define CreateWindow CreateWindowA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define FindWindow FindWindowA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA
#define LoadCursor LoadCursorA
#define LoadIcon LoadIconA
#define GetMessage GetMessageA
#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
#define PostMessage PostMessageA
#define SendMessage SendMessageA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#endif

// ---- Extensions ------------------------------------------------------------------------------
namespace plat {

// Waits until the event or thread handle h is signalled, or ms have passed (INFINITE: for ever),
// servicing the calling thread's incoming sent messages meanwhile, and nothing else. Returns
// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a handle that cannot be waited on.
DWORD WaitServicingSends(HANDLE h, DWORD ms);

// Screenshots as 8-bit RGB PNGs: the composed screen, or one window's client surface with its
// children composed in (withFrame: the whole window rectangle, frame included). False on failure.
bool SaveScreenPng(const char* path);
bool SaveWindowPng(HWND h, const char* path, bool withFrame = false);

}  // namespace plat
