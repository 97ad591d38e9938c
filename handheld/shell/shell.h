// The handheld program's start-up, main window and main menu.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

constexpr int kMenuButtonIdBase = 420;  // menu button i has id 420 + i; action = id - 420
constexpr int kMenuButtons = 7;

// Child ids of the main window's full-size children.
constexpr int kMonitorGpsWndId = 3;
constexpr int kLoggingWndId = 4;
constexpr int kViewFilesWndId = 8;

// Ticks above this (unsigned) mean the system has run for more than 20 days.
constexpr DWORD kUptimeLimitMs = 1728000000u;

// Main-menu state (owner: the shell).
struct MainMenuData {
  int32_t selected = 1;         // the button with the default-button frame, 0 to 6
  int32_t keyAction = -99;      // -99 none, 0 to 6 a button, 9 next, 10 previous, 13 press
  int32_t uptimeExceeded = 0;   // 1 when the system had run more than 20 days at start-up
  int32_t stopBoxOpen = 0;      // 1 once the "PROGRAM STOP" box is up
  int32_t childFailed = 0;      // 1 when the main window's creation took it down for a missing child
};
extern MainMenuData MainMenu;
void ResetMainMenu();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
int RegisterMainClasses(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
int ExitInstance(HINSTANCE instance, int exitCode);

LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnSize(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnDestroy(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnPaint(HWND, UINT, WPARAM, LPARAM);

// ---- The main menu's decoding (pure) ---------------------------------------------------------

// MainMenu.keyAction for a key code: 0 to 6 a button's action, 9 next, 10 previous, 13 press the
// selected button, -99 a code in no row. Codes are compared as they arrive in wParam.
int32_t MainMenuKeyAction(WPARAM code);

// What one WM_COMMAND or WM_KEYDOWN of the main window does.
struct MainMenuStep {
  int32_t action = -1;    // 0 to 6 the action to carry out, -1 none
  int32_t selected = 1;   // the selection afterwards
  bool moved = false;     // the default-button frame moves from the old selection to the new
};
// A button's id gives its action; while no run is active wParam is also read as a key code.
MainMenuStep DecodeMainMenu(int32_t runActive, int32_t selected, WPARAM wParam);

// The dialog that a setup action (1 to 4) opens on a build; a null name opens nothing.
struct MenuDialog {
  const wchar_t* name = nullptr;
  DLGPROC proc = nullptr;
};
MenuDialog MenuDialogFor(int32_t action, int32_t modelIndex, int32_t portrait, int32_t storageRoot,
                         int32_t zolOptionAvailable);

// Action 0: starts a survey run (ports, reader threads, watchdog timer, GPS, the logging window).
void StartSurveyRun(HWND mainWindow);

// The uptime stop: the "PROGRAM STOP" box (once), then ExitProcess(0).
void ShowUptimeStop(HWND owner);

// Closes a thread handle that a WorkerThreads slot holds and marks the slot empty
// (INVALID_HANDLE_VALUE); an empty slot is left alone.
void ReleaseThreadHandle(HANDLE& slot);

// ---- Windows and dialogs of the menu's actions -----------------------------------------------

// The GPS monitor's class: 0 registered, 1 not.
int RegisterMonitorGpsWnd(HINSTANCE instance);
// The file review's classes "ViewFilesWnd" and "ViewCurveWnd": 0 both, 1 the first failed (the
// second is not tried), 2 the second failed.
int RegisterViewFilesWnd(HINSTANCE instance);

LRESULT CALLBACK MonitorGpsWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ViewFilesWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ViewCurveWndProc(HWND, UINT, WPARAM, LPARAM);

// The setup dialogs of actions 1 to 4.
INT_PTR CALLBACK SurveySetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK LoggerSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK GpsPortSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND, UINT, WPARAM, LPARAM);

// Registers a window class as the program registers all of its classes: no class style, no
// extra bytes, no icon or menu, the arrow cursor and a stock brush. 0 registered, 1 not.
int RegisterProgramClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int stockBrush);

}  // namespace handheld
