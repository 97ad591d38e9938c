// The GPS monitor window (child 780 of the main window, "MonitorGPSWnd"). GpsMonitorThread stores
// each line and repaints the window; the paint appends the line to the list. The buttons and their
// keys resume and pause the display, send the edited command to the receiver and go back to the
// start screen. Every command and character takes the keyboard focus back to the window.
#include "ui/gps_monitor.h"

#include <cstring>

#include "common/timing.h"
#include "engine/state.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/run_start.h"

namespace desktop {
namespace {

constexpr const char* kButtonTexts[] = {"&Go", "&Pause", "&Send", "E&xit"};
constexpr int kButtonCx = 116;
constexpr int kButtonCy = 28;
constexpr DWORD kReaderEndWaitMs = 2000;  // the reader ends within a read time-out of its port's close

constexpr int kGo = 0, kPause = 1;

HWND Button(int i) { return i >= 0 && i < 4 ? GpsMonitor.buttons[i] : nullptr; }

void MoveFrame(int32_t from, int32_t to) {
  SendMessageA(Button(from), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SendMessageA(Button(to), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  GpsMonitor.selected = to;
}

// Running: "&Pause" offered and "&Go" hidden, paused the other way round; the frame leaves the
// button that goes.
void ShowState(bool running) {
  const int offered = running ? kPause : kGo;
  const int gone = running ? kGo : kPause;
  ShowWindow(Button(gone), SW_HIDE);
  EnableWindow(Button(gone), FALSE);
  ShowWindow(Button(offered), SW_SHOW);
  EnableWindow(Button(offered), TRUE);
  GpsMonitor.running = running ? 1 : 0;
  if (GpsMonitor.selected == gone) MoveFrame(gone, offered);
}
void ShowRunning() { ShowState(true); }

void Purge(DWORD flags) {
  const HANDLE port = LinkState.gpsPort.load();
  if (port != INVALID_HANDLE_VALUE) PurgeComm(port, flags);
}

void Go(HWND window) {
  Purge(PURGE_TXCLEAR);
  Purge(PURGE_RXCLEAR);
  GpsMonitor.paused = 0;
  ShowRunning();
  SetFocus(window);
}

void Pause(HWND window) {
  GpsMonitor.paused = 1;
  Purge(PURGE_TXCLEAR);
  Purge(PURGE_RXCLEAR);
  ShowState(false);
  SetFocus(window);
}

// The command goes out whole, as the operator confirmed it, with CR and LF; the reader reads
// nothing while it is written.
void Send(HWND window) {
  GetWindowTextA(GpsMonitor.edit, GpsMonitor.command, sizeof GpsMonitor.command);
  if (RunDialog("GetGPSMessage", window, GpsMessageDlgProc) == 1) {
    SetWindowTextA(GpsMonitor.edit, GpsMonitor.command);
    char line[sizeof GpsMonitor.command + 2];
    const int length = MonitorCommandLine(GpsMonitor.command, line, sizeof line);
    if (GpsMonitor.paused == 0) {
      GpsMonitor.paused = 1;
      survey::DelayMs(2);
    }
    Purge(PURGE_TXCLEAR);
    survey::DelayMs(2);
    Purge(PURGE_RXCLEAR);
    survey::DelayMs(2);
    const HANDLE port = LinkState.gpsPort.load();
    DWORD written = 0;
    if (port != INVALID_HANDLE_VALUE) WriteFile(port, line, static_cast<DWORD>(length), &written, nullptr);
    GpsMonitor.paused = 0;
    ShowRunning();
  }
  SetFocus(window);
}

// Back to the start screen: the port closed (so the reader ends), the reader waited for and its
// handle closed, the buttons in the running state, the window hidden.
void Exit(HWND window) {
  MainMenu.mode = 0;
  GpsMonitor.paused = 0;
  if (SurveySettings.gpsEnabled > 0) {
    const HANDLE port = LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE);
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    if (WorkerThreads.gps != INVALID_HANDLE_VALUE) {
      plat::WaitServicingSends(WorkerThreads.gps, kReaderEndWaitMs);
      CloseHandle(WorkerThreads.gps);
      WorkerThreads.gps = INVALID_HANDLE_VALUE;
    }
  }
  ShowRunning();
  ShowWindow(window, SW_HIDE);
}

HWND MakeControl(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppWindows.instance, nullptr);
}

LRESULT OnCreate(HWND window) {
  const int w = ScreenLayout.windowWidth;
  const int h = ScreenLayout.windowHeight;
  const int buttonX[] = {w / 2 - 180, w / 2 - 180, w / 2 - 60, w / 2 + 60};
  for (int i = 0; i < 4; ++i) {
    const DWORD shown = i == kGo ? 0 : WS_VISIBLE;
    GpsMonitor.buttons[i] = MakeControl(window, "button", kButtonTexts[i], shown | WS_TABSTOP | BS_CENTER | BS_PUSHBUTTON,
                                        buttonX[i], h - 70, kButtonCx, kButtonCy, kMonitorButtonIdBase + i);
  }
  EnableWindow(GpsMonitor.buttons[kGo], FALSE);
  GpsMonitor.list = MakeControl(window, "Listbox", "  ", WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL, 10, 10,
                                w - 30, h - 140, kMonitorListId);
  GpsMonitor.edit = MakeControl(window, "edit", GpsMonitor.command, WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 190, h - 122,
                                w - 210, 28, kMonitorEditId);
  SendMessageA(Button(GpsMonitor.selected), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  return 0;
}

// A line that the reader left: at the end of the list, scrolled to the top; the oldest line goes
// once the list holds its most.
void AddLine() {
  HWND list = GpsMonitor.list;
  if (SendMessageA(list, LB_GETCOUNT, 0, 0) >= kMonitorLinesMax) SendMessageA(list, LB_DELETESTRING, 0, 0);
  const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GpsMonitor.line));
  if (index != LB_ERR && index != LB_ERRSPACE) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

LRESULT OnPaint(HWND window) {
  if (GpsState.sentenceValid == 1 && SurveySettings.gpsEnabled > 0) AddLine();
  GpsState.sentenceValid = 0;
  UpdateWindow(GpsMonitor.list);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  DrawTextA(dc, "  ", -1, &client, DT_CENTER | DT_SINGLELINE);
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ old = SelectObject(dc, AppWindows.fontLarge);
  TextOutA(dc, 10, ScreenLayout.windowHeight - 120, "Enter Command Text", 18);
  SelectObject(dc, old);
  EndPaint(window, &ps);
  UpdateWindow(window);
  SetFocus(window);
  return 0;
}

LRESULT OnCommand(HWND window, bool character, WPARAM wParam) {
  SetFocus(window);
  if (MainMenu.mode != 2) return 0;
  const MonitorStep step = DecodeMonitorInput(character, wParam, GpsMonitor.selected, GpsMonitor.running == 1);
  if (step.moved) MoveFrame(GpsMonitor.selected, step.selected);
  switch (step.action) {
    case MonitorAction::kGo: Go(window); break;
    case MonitorAction::kPause: Pause(window); break;
    case MonitorAction::kSend: Send(window); break;
    case MonitorAction::kExit: Exit(window); break;
    case MonitorAction::kNone: break;
  }
  return 0;
}

}  // namespace

LRESULT CALLBACK MonitorGpsWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_PAINT:
      return OnPaint(hwnd);
    case WM_COMMAND:
      return OnCommand(hwnd, false, wParam);
    case WM_CHAR:
      return OnCommand(hwnd, true, wParam);
    case WM_SIZE:
      if (MainMenu.mode == 2) SetFocus(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

int RegisterMonitorGpsWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "MonitorGPSWnd", MonitorGpsWndProc, 0,
                              CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
}

INT_PTR CALLBACK GpsMessageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, 1201, GpsMonitor.command);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    // At most 49 characters come back.
    GetDlgItemTextA(dialog, 1201, GpsMonitor.command, 50);
    EndDialog(dialog, 1);
    return FALSE;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return FALSE;
  }
  return TRUE;
}

}  // namespace desktop
