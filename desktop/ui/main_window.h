// The desktop program's start-up, main window, start screen and menu actions.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

constexpr int kLoggingWndId = 4;
constexpr int kMonitorGpsWndId = 780;

// Ticks above this (unsigned) mean the system has run for more than 20 days.
constexpr DWORD kUptimeLimitMs = 1728000000u;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
int RegisterMainClasses(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, LPSTR commandLine, int showCommand);
int ExitInstance(HINSTANCE instance, int exitCode);

LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnSize(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnDestroy(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT MainOnPaint(HWND, UINT, WPARAM, LPARAM);
void DrawSettingsSummary(HDC dc);

// Where the main window stands: 800 x 574 centred on the screen, or 240 x 320 at (0, 0).
struct MainWindowPlace {
  int32_t x = 0, y = 0, width = 800, height = 574;
};
MainWindowPlace PlaceMainWindow(bool smallLayout, int32_t screenWidth, int32_t screenHeight);

// The monitoring variant's dipole 2 and component 0, whatever the settings file holds; after every
// load of the file.
void ApplyMonitorVariantSettings();

// Registers a window class as the program registers its classes: the arrow cursor, no menu and no
// extra bytes. 0 registered, 1 not.
int RegisterProgramClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style, HBRUSH background,
                         HICON icon = nullptr);

// The GPS monitor's class "MonitorGPSWnd": 0 registered, 1 not.
int RegisterMonitorGpsWnd(HINSTANCE instance);
LRESULT CALLBACK MonitorGpsWndProc(HWND, UINT, WPARAM, LPARAM);

// Resets of the start-up module's records, for tests.
void ResetMainWindowState();

}  // namespace desktop
