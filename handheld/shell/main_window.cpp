// Start-up and the main window: the single-instance check, the classes, the main window with its
// hidden full-size children and menu buttons, and the message loop.
#include <commctrl.h>

#include <cwchar>

#include "engine/settings.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "logging/logging.h"
#include "logging/dialog_support.h"
#include "shell/shell.h"

namespace handheld {

namespace {

constexpr int kLandscapeWidth = 320;
constexpr int kLandscapeHeight = 240;
constexpr int kTaskBarHeight = 22;  // the part of the screen the windows leave to the device
constexpr int kFontHeight = 14;
constexpr int kCommandBarId = 10;

constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 26;
constexpr int kButtonPitch = 30;
constexpr POINT kFirstButtonLandscape{180, 18};
constexpr POINT kFirstButtonPortrait{100, 82};
const wchar_t* const kButtonCaptions[kMenuButtons] = {
    L"Monitor/&Log", L"&Survey Setup", L"L&ogger Setup", L"Set &GPS Port", L"&Display Options", L"&View Files", L"E&xit",
};

struct MessageHandler {
  UINT message;
  LRESULT (*handler)(HWND, UINT, WPARAM, LPARAM);
};

constexpr MessageHandler kMainHandlers[] = {
    {WM_CREATE, MainOnCreate},   {WM_SIZE, MainOnSize},       {WM_DESTROY, MainOnDestroy},
    {WM_COMMAND, MainOnCommand}, {WM_KEYDOWN, MainOnCommand}, {WM_PAINT, MainOnPaint},
};

// Orientation and window size from a client rectangle: width <= height is portrait (a square
// screen too), and the windows keep the two fixed sizes whatever the screen.
void SetScreenSize(const RECT& client) {
  ScreenLayout.portrait = client.right - client.left <= client.bottom - client.top ? 1 : 0;
  ScreenLayout.windowWidth = ScreenLayout.portrait ? kLandscapeHeight : kLandscapeWidth;
  ScreenLayout.windowHeight = ScreenLayout.portrait ? kLandscapeWidth : kLandscapeHeight;
  ScreenLayout.usableHeight = ScreenLayout.windowHeight - kTaskBarHeight;
}

// The profile plot inside the logging window: under two status rows in landscape, three in
// portrait, and above as many value rows.
void SetPlotRect(int textHeight) {
  const int rows = ScreenLayout.portrait ? 3 : 2;
  ScreenLayout.textHeight = textHeight;
  ScreenLayout.plotLeft = 4;
  ScreenLayout.plotTop = textHeight * rows + 2;
  ScreenLayout.plotWidth = ScreenLayout.windowWidth - 8;
  ScreenLayout.plotHeight = ScreenLayout.usableHeight - textHeight * rows - ScreenLayout.plotTop - 2;
}

HFONT MakeFont(LONG weight) {
  LOGFONTW lf{};
  lf.lfHeight = kFontHeight;
  lf.lfWeight = weight;
  lf.lfCharSet = 0;
  std::wcscpy(lf.lfFaceName, L"MS Sans Serif");
  return CreateFontIndirectW(&lf);
}

// A hidden full-size child of the main window; null when it could not be made.
HWND MakeChild(HWND main, const wchar_t* cls, const wchar_t* caption, int id) {
  HWND h = CreateWindowExW(0, cls, caption, WS_CHILD, 0, 0, ScreenLayout.windowWidth, ScreenLayout.windowHeight, main,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), AppWindows.instance, nullptr);
  return IsWindow(h) ? h : nullptr;
}

void MakeMenuButtons(HWND main) {
  const POINT first = ScreenLayout.portrait ? kFirstButtonPortrait : kFirstButtonLandscape;
  for (int i = 0; i < kMenuButtons; ++i) {
    AppWindows.menuButtons[i] =
        CreateWindowExW(0, L"BUTTON", kButtonCaptions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP, first.x,
                        first.y + kButtonPitch * i, kButtonWidth, kButtonHeight, main,
                        reinterpret_cast<HMENU>(static_cast<uintptr_t>(kMenuButtonIdBase + i)), AppWindows.instance,
                        nullptr);
  }
}

}  // namespace

int RegisterProgramClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int stockBrush) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(stockBrush));
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0 ? 0 : 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  const int registered = RegisterMainClasses(instance);
  if (registered != 0) return registered;
  // A main window that its own creation took down (a child was missing) has posted the quit
  // message: the loop below ends normally with it.
  if (CreateMainWindow(instance) == nullptr && MainMenu.childFailed == 0) return 16;
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return ExitInstance(instance, static_cast<int>(msg.wParam));
}

int RegisterMainClasses(HINSTANCE instance) {
  HWND running = FindWindowW(L"RZ56", nullptr);
  if (running != nullptr) {
    // The low bit asks for the window together with its owned windows.
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(running) | 1));
    return -1;
  }
  if (RegisterProgramClass(instance, L"RZ56", MainWndProc, LTGRAY_BRUSH) != 0) return 1;
  if (RegisterMonitorGpsWnd(instance) != 0 || RegisterLoggingClasses(instance) != 0 ||
      RegisterViewFilesWnd(instance) != 0) {
    return 2;
  }
  AppWindows.commdlgModule = LoadLibraryW(L"COMMDLG.DLL");
  if (AppWindows.commdlgModule != nullptr) {
    AppWindows.chooseColorProc = GetProcAddressW(AppWindows.commdlgModule, L"ChooseColor");
  }
  return 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  AppWindows.instance = instance;
  ShowSipButton(0);
  HWND window = CreateWindowExW(0, L"RZ56", L"RZ12", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!IsWindow(window)) return nullptr;
  RECT client{};
  GetClientRect(window, &client);
  SetScreenSize(client);
  MoveWindow(window, 0, 0, ScreenLayout.windowWidth, ScreenLayout.windowHeight, TRUE);
  UpdateWindow(window);
  return window;
}

int ExitInstance(HINSTANCE, int exitCode) { return exitCode; }

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageHandler& row : kMainHandlers) {
    if (row.message == message) return row.handler(window, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainOnCreate(HWND window, UINT, WPARAM, LPARAM) {
  RECT client{};
  GetClientRect(window, &client);
  SetScreenSize(client);
  ShowSipButton(0);
  BuildConfig.recordLength = BuildModel().recordLength;
  if (GetTickCount() > kUptimeLimitMs) MainMenu.uptimeExceeded = 1;
  // The settings file read below overrides this; a new file gets it.
  if (BuildModel().ownPauseKeys && ScreenLayout.portrait == 1) SurveySettings.pauseKey = 2;

  AppWindows.fontNormal = MakeFont(FW_NORMAL);
  AppWindows.fontBold = MakeFont(FW_BOLD);
  HDC dc = GetDC(window);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  ReleaseDC(window, dc);
  SetPlotRect(tm.tmHeight);

  struct Child {
    const wchar_t* cls;
    const wchar_t* caption;
    int id;
    HWND* slot;
  };
  const Child children[] = {
      {L"LoggingWnd", L"Logging", kLoggingWndId, &AppWindows.loggingWnd},
      {L"MonitorGPSWnd", L"Monitor GPS", kMonitorGpsWndId, &AppWindows.monitorGpsWnd},
      {L"ViewFilesWnd", L"View Files", kViewFilesWndId, &AppWindows.viewFilesWnd},
  };
  for (const Child& c : children) {
    *c.slot = MakeChild(window, c.cls, c.caption, c.id);
    if (*c.slot == nullptr) {
      // The program cannot run without it: the window goes, and with it the message loop.
      MainMenu.childFailed = 1;
      DestroyWindow(window);
      return 0;
    }
  }

  MakeMenuButtons(window);
  if (MainMenu.selected >= 0 && MainMenu.selected < kMenuButtons) {
    SendMessageW(AppWindows.menuButtons[MainMenu.selected], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  }

  WorkerThreads.keepAliveRun = 1;
  WorkerThreads.keepAlive = CreateThread(nullptr, 0, KeepAliveThread, nullptr, 0, nullptr);

  ComputeSampleDivisor();
  SetDefaultSettings();
  LoadSaveSettings(0);
  return 0;
}

LRESULT MainOnSize(HWND window, UINT, WPARAM, LPARAM) {
  RECT client{};
  GetClientRect(window, &client);
  client.top += CommandBar_Height(GetDlgItem(window, kCommandBarId));
  ScreenLayout.portrait = client.right - client.left <= client.bottom - client.top ? 1 : 0;
  for (int id : {kMonitorGpsWndId, kLoggingWndId}) {
    SetWindowPos(GetDlgItem(window, id), nullptr, 0, 0, ScreenLayout.windowWidth, ScreenLayout.windowHeight,
                 SWP_NOZORDER);
  }
  return 0;
}

LRESULT MainOnDestroy(HWND, UINT, WPARAM, LPARAM) {
  ShowWindow(FindWindowW(L"HHTaskBar", nullptr), SW_SHOW);
  PostQuitMessage(0);
  return 0;
}

}  // namespace handheld
