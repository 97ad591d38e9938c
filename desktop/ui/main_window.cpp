// Start-up and the main window: the classes, the main window with its fonts, menu buttons and two
// hidden full-size children, and the message loop.
#include "ui/main_window.h"

#include <cstring>

#include "engine/settings.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "ui/logging.h"
#include "ui/plot.h"
#include "ui/start_screen.h"
#include "ui/window_table.h"

namespace desktop {
namespace {

constexpr int kButtonWidth = 170;
constexpr int kButtonHeight = 45;
constexpr int kButtonPitch = 49;
const char* const kButtonCaptions[kMenuButtons] = {
    "&Logging", "&Survey Setup", "Sys&tem Setup", "&GPS Port Setup", "GPS M&onitoring", "&Profiles Options", "E&xit",
};

constexpr MessageHandler kMainHandlers[] = {
    {WM_CREATE, MainOnCreate},   {WM_SIZE, MainOnSize},       {WM_DESTROY, MainOnDestroy},
    {WM_COMMAND, MainOnCommand}, {WM_KEYDOWN, MainOnCommand}, {WM_PAINT, MainOnPaint},
};

HFONT MakeFont(LONG height, LONG weight) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = 0;
  std::strcpy(lf.lfFaceName, "MS Sans Serif");
  return CreateFontIndirectA(&lf);
}

HMENU ChildId(int id) { return reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)); }

// A hidden child of the main window; when it cannot be made the main window is destroyed and the
// creation goes on (calls on the dead window then fail harmlessly).
HWND MakeChild(HWND main, const char* cls, const char* caption, int id, int x, int y, int w, int h) {
  HWND child = CreateWindowExA(0, cls, caption, WS_CHILD, x, y, w, h, main, ChildId(id), AppWindows.instance, nullptr);
  if (!IsWindow(child)) {
    DestroyWindow(main);
    return nullptr;
  }
  return child;
}

}  // namespace

int RegisterProgramClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style, HBRUSH background,
                         HICON icon) {
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0 ? 0 : 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  const int registered = RegisterMainClasses(instance);
  if (registered != 0) return registered;
  if (CreateMainWindow(instance, commandLine, showCommand) == nullptr) return 16;
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return ExitInstance(instance, static_cast<int>(msg.wParam));
}

int RegisterMainClasses(HINSTANCE instance) {
  // The main class's result is not looked at: without it the window is not made (exit 16).
  RegisterProgramClass(instance, "RZ12-8", MainWndProc, CS_HREDRAW | CS_VREDRAW,
                       CreateSolidBrush(GetSysColor(COLOR_BTNFACE)), LoadIconA(instance, MAKEINTRESOURCEA(108)));
  if (RegisterLoggingClasses(instance) != 0) return 2;
  if (RegisterMonitorGpsWnd(instance) != 0) return 2;
  return 0;
}

MainWindowPlace PlaceMainWindow(bool smallLayout, int32_t screenWidth, int32_t screenHeight) {
  if (smallLayout) return {0, 0, 240, 320};
  return {(screenWidth - 800) / 2, (screenHeight - 574) / 2, 800, 574};
}

HWND CreateMainWindow(HINSTANCE instance, LPSTR, int showCommand) {
  AppWindows.instance = instance;
  const bool small = BuildConfig.smallLayout == 1;
  const MainWindowPlace place = PlaceMainWindow(small, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  ScreenLayout.windowX = place.x;
  ScreenLayout.windowY = place.y;
  ScreenLayout.windowWidth = place.width;
  ScreenLayout.windowHeight = place.height;
  if (!small) ScreenLayout.usableHeight = place.height - 22;

  HWND main = CreateWindowExA(0, "RZ12-8", MainWindowTitle(BuildConfig),
                              WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, place.x, place.y, place.width,
                              place.height, nullptr, nullptr, instance, nullptr);
  AppWindows.mainWnd = main;
  if (!IsWindow(main)) return nullptr;
  ShowWindow(main, showCommand);
  UpdateWindow(main);
  return main;
}

int ExitInstance(HINSTANCE, int exitCode) { return exitCode; }

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kMainHandlers, hwnd, message, wParam, lParam);
}

void ApplyMonitorVariantSettings() {
  if (!IsMonitorVariant(BuildConfig)) return;
  SurveySettings.dipole = 2;
  SurveySettings.component = 0;
}

LRESULT MainOnCreate(HWND main, UINT, WPARAM, LPARAM) {
  MainMenu.uptimeExceeded = GetTickCount() > kUptimeLimitMs ? 1 : 0;
  GetCurrentDirectoryA(sizeof MainMenu.startFolder, MainMenu.startFolder);
  ComputeSampleDivisor();
  SetDefaultSettings();
  // The first load writes a missing or outdated file from the values in force, the second reads it.
  LoadSaveSettings(0);
  LoadSaveSettings(0);
  ApplyMonitorVariantSettings();
  InitGgaDisplayTable();

  AppWindows.fontLarge = MakeFont(20, 200);
  AppWindows.fontTitle = MakeFont(28, 600);
  AppWindows.fontNormal = MakeFont(14, 400);
  AppWindows.fontBold = MakeFont(14, 700);

  HDC dc = GetDC(main);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  ReleaseDC(main, dc);
  ScreenLayout.textHeight = tm.tmHeight;
  ScreenLayout.lineHeight = tm.tmHeight + 2;

  for (int i = 0; i < kMenuButtons; ++i) {
    AppWindows.menuButtons[i] = CreateWindowExA(
        0, "BUTTON", kButtonCaptions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP, ScreenLayout.windowWidth - 200,
        30 + kButtonPitch * i, kButtonWidth, kButtonHeight, main, ChildId(kMenuButtonIdBase + i), AppWindows.instance,
        nullptr);
  }
  SendMessageA(AppWindows.menuButtons[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);

  const int w = ScreenLayout.windowWidth;
  const int h = ScreenLayout.windowHeight;
  AppWindows.loggingWnd = MakeChild(main, "ScreenLogWnd", "Log", kLoggingWndId, 0, 0, w, h);
  AppWindows.monitorGpsWnd = MakeChild(main, "MonitorGPSWnd", "Monitor GPS", kMonitorGpsWndId, 2, 2, w - 4, h - 4);

  if (IsMonitorVariant(BuildConfig)) {
    EnableWindow(AppWindows.menuButtons[1], FALSE);
    EnableWindow(AppWindows.menuButtons[5], FALSE);
  }
  CreatePensAndBrushes();
  CreateTracePens(0);
  return 0;
}

LRESULT MainOnSize(HWND main, UINT, WPARAM, LPARAM) {
  RECT client{};
  GetClientRect(main, &client);
  return 0;
}

LRESULT MainOnDestroy(HWND, UINT, WPARAM, LPARAM) {
  DeleteObject(MainMenu.bitmap);
  MainMenu.bitmap = nullptr;
  PostQuitMessage(0);
  return 0;
}

}  // namespace desktop
