// The handheld program's start-up, main window and main menu.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

constexpr int kMenuButtonIdBase = 420;  // menu button i has id 420 + i; action = id - 420

// Main-menu state (owner: the shell).
struct MainMenuData {
  int32_t selected = 1;         // the button with the default-button frame, 0 to 6
  int32_t keyAction = -99;      // -99 none, 0 to 6 a button, 9 next, 10 previous, 13 press
  int32_t uptimeExceeded = 0;   // 1 when the system had run more than 20 days at start-up
  int32_t stopBoxOpen = 0;      // 1 once the "PROGRAM STOP" box is up
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

// The uptime stop: the "PROGRAM STOP" box (once), then ExitProcess(0).
void ShowUptimeStop(HWND owner);

// The GPS monitor and file review windows' classes.
int RegisterMonitorGpsWnd(HINSTANCE instance);
int RegisterViewFilesWnd(HINSTANCE instance);

}  // namespace handheld
