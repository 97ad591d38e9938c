// The GPS monitor window (MonitorGPSWnd): the lines of the GPS receiver in a list, and four buttons
// that pause and resume the display, send a command to the receiver and leave. The monitor's reader
// (GpsMonitorThread) stores each line and has this window painted; the paint adds the line.
#include "shell/gps_monitor.h"

#include "engine/state.h"
#include "engine/timing.h"
#include "logging/window_table.h"
#include "logging/dialog_support.h"
#include "shell/shell.h"

namespace handheld {

GpsMonitorData GpsMonitor;

void ResetGpsMonitor() { GpsMonitor = GpsMonitorData{}; }

namespace {

constexpr int kCommandEditId = 854;  // of the GPS message dialog
constexpr wchar_t kPresetCommand[] = L"$PASHS,NME,SAT,A,ON";
constexpr const wchar_t* kButtonCaptions[4] = {L"&Go", L"&Pause", L"&Send", L"E&xit"};

constexpr MessageHandler kMonitorHandlers[] = {
    {WM_CREATE, MonitorGpsOnCreate},   {WM_PAINT, MonitorGpsOnPaint}, {WM_COMMAND, MonitorGpsOnCommand},
    {WM_CHAR, MonitorGpsOnCommand},    {WM_SIZE, MonitorGpsOnSize},
};

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// The reader is only ever suspended or resumed through a handle this monitor started.
void SuspendReader() {
  if (Valid(WorkerThreads.gps)) SuspendThread(WorkerThreads.gps);
}
void ResumeReader() {
  if (Valid(WorkerThreads.gps)) ResumeThread(WorkerThreads.gps);
}
void Purge(DWORD flags) { PurgeComm(LinkState.gpsPort.load(std::memory_order_acquire), flags); }

MonitorState CurrentState() { return MonitorState{GpsMonitor.running, GpsMonitor.paused, GpsMonitor.selected}; }

HWND Button(int i) { return i >= 0 && i < 4 ? GpsMonitor.buttons[i] : nullptr; }

void MoveFrame(int32_t selected) {
  if (selected == GpsMonitor.selected) return;
  SendMessageW(Button(GpsMonitor.selected), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  GpsMonitor.selected = selected;
  SendMessageW(Button(GpsMonitor.selected), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// The buttons of a state: "&Go" offered while paused, "&Pause" while running.
void ApplyState(const MonitorState& next) {
  const bool running = next.running == 1;
  ShowWindow(Button(kMonitorGo), running ? SW_HIDE : SW_SHOW);
  EnableWindow(Button(kMonitorGo), running ? FALSE : TRUE);
  ShowWindow(Button(kMonitorPause), running ? SW_SHOW : SW_HIDE);
  EnableWindow(Button(kMonitorPause), running ? TRUE : FALSE);
  GpsMonitor.running = next.running;
  GpsMonitor.paused = next.paused;
  MoveFrame(next.selected);
}

void Go(HWND window) {
  Purge(PURGE_TXCLEAR);
  Purge(PURGE_RXCLEAR);
  ResumeReader();
  ApplyState(MonitorStateAfter(kMonitorGo, CurrentState()));
  SetFocus(window);
}

void Pause(HWND window) {
  SuspendReader();
  Purge(PURGE_TXCLEAR);
  Purge(PURGE_RXCLEAR);
  ApplyState(MonitorStateAfter(kMonitorPause, CurrentState()));
  SetFocus(window);
}

// The command goes out while the reader is held, between purges of both buffers; the display runs
// afterwards, also when it was paused before.
void Send(HWND window) {
  ShowSipButton(1);
  SetSipPreference(window, 1);
  GetWindowTextW(GpsMonitor.edit, GpsMonitor.command, kGpsCommandMax + 1);
  if (RunDialogByName(window, L"GetGPSMessage", GpsMessageDlgProc) == 1) {
    SetWindowTextW(GpsMonitor.edit, GpsMonitor.command);
    char line[kGpsCommandMax + 3];
    const int length = GpsCommandLine(GpsMonitor.command, line, sizeof line);
    if (GpsMonitor.paused == 0) {
      SuspendReader();
      DelayMs(2);
    }
    Purge(PURGE_TXCLEAR);
    DelayMs(2);
    Purge(PURGE_RXCLEAR);
    DelayMs(2);
    DWORD put = 0;
    WriteFile(LinkState.gpsPort.load(std::memory_order_acquire), line, static_cast<DWORD>(length), &put, nullptr);
    DelayMs(5);
    ResumeReader();
    ApplyState(MonitorStateAfter(kMonitorSend, CurrentState()));
  }
  ShowSipButton(0);
  SetSipPreference(window, 0);
  SetFocus(window);
}

// The port is closed first, so that a paused reader, once resumed, finds it closed and ends; its
// handle is then closed and the slot emptied.
void Exit(HWND window) {
  const HANDLE port = LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
  if (Valid(port)) CloseHandle(port);
  if (GpsMonitor.paused == 1) ResumeReader();
  ReleaseThreadHandle(WorkerThreads.gps);
  ApplyState(MonitorStateAfter(kMonitorExit, CurrentState()));
  ShowWindow(window, SW_HIDE);
}

}  // namespace

int RegisterMonitorGpsWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, L"MonitorGPSWnd", MonitorGpsWndProc, LTGRAY_BRUSH);
}

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kMonitorHandlers, window, message, wParam, lParam);
}

LRESULT MonitorGpsOnCreate(HWND window, UINT, WPARAM, LPARAM) {
  const bool portrait = ScreenLayout.portrait == 1;
  const int height = ScreenLayout.windowHeight;
  const int width = portrait ? 236 : 316;
  const int buttonWidth = portrait ? 76 : 104;
  const int buttonX[4] = {2, 2, portrait ? 82 : 108, portrait ? 162 : 214};
  for (int i = 0; i < 4; ++i) {
    const DWORD style = WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | (i == kMonitorGo ? 0 : WS_VISIBLE);
    GpsMonitor.buttons[i] =
        CreateWindowExW(0, L"BUTTON", kButtonCaptions[i], style, buttonX[i], height - 28, buttonWidth, 24, window,
                        reinterpret_cast<HMENU>(static_cast<uintptr_t>(kMonitorButtonIdBase + i)),
                        AppWindows.instance, nullptr);
  }
  GpsMonitor.list = CreateWindowExW(0, L"LISTBOX", L"  ", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL,
                                    2, 2, width, portrait ? 260 : 178, window,
                                    reinterpret_cast<HMENU>(static_cast<uintptr_t>(kMonitorListId)),
                                    AppWindows.instance, nullptr);
  GpsMonitor.edit = CreateWindowExW(0, L"EDIT", kPresetCommand, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 2,
                                    height - 54, width, 22, window,
                                    reinterpret_cast<HMENU>(static_cast<uintptr_t>(kMonitorEditId)),
                                    AppWindows.instance, nullptr);
  EnableWindow(Button(kMonitorGo), FALSE);
  EnableWindow(Button(kMonitorPause), TRUE);
  SendMessageW(Button(GpsMonitor.selected), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  return 0;
}

LRESULT MonitorGpsOnPaint(HWND window, UINT, WPARAM, LPARAM) {
  if (GpsState.sentenceValid == 1 && SurveySettings.gpsEnabled == 1) {
    if (SendMessageW(GpsMonitor.list, LB_GETCOUNT, 0, 0) >= kMonitorMaxLines) {
      SendMessageW(GpsMonitor.list, LB_DELETESTRING, 0, 0);
    }
    const LRESULT index =
        SendMessageW(GpsMonitor.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GpsState.sentenceWide));
    if (index >= 0) SendMessageW(GpsMonitor.list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    GpsState.sentenceValid = 0;
    UpdateWindow(GpsMonitor.list);
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client{};
  GetClientRect(window, &client);
  DrawTextW(dc, L"  ", -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EndPaint(window, &ps);
  UpdateWindow(window);
  SetFocus(window);  // the keys go to this window, not to the edit
  return 0;
}

LRESULT MonitorGpsOnCommand(HWND window, UINT message, WPARAM wParam, LPARAM) {
  const MonitorState state = CurrentState();
  int action = -1;
  if (message == WM_COMMAND) {
    action = static_cast<int>(LOWORD(wParam)) - kMonitorButtonIdBase;
    if (!MonitorActionOffered(action, state)) action = -1;
  } else {
    int32_t selected = state.selected;
    action = MonitorCharAction(wParam, state, &selected);
    MoveFrame(selected);
  }
  switch (action) {
    case kMonitorGo:
      Go(window);
      break;
    case kMonitorPause:
      Pause(window);
      break;
    case kMonitorSend:
      Send(window);
      break;
    case kMonitorExit:
      Exit(window);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT MonitorGpsOnSize(HWND, UINT, WPARAM, LPARAM) { return 0; }

// ---- Pure rules ------------------------------------------------------------------------------

bool MonitorActionOffered(int action, const MonitorState& state) {
  switch (action) {
    case kMonitorGo:
      return state.running == 0;
    case kMonitorPause:
      return state.running == 1;
    case kMonitorSend:
    case kMonitorExit:
      return true;
    default:
      return false;
  }
}

int MonitorCharAction(WPARAM ch, const MonitorState& state, int32_t* selected) {
  *selected = state.selected;
  int action = -1;
  switch (ch) {
    case '\t': {
      int32_t next = state.selected >= 0 && state.selected < 4 ? state.selected : 3;
      do {
        next = (next + 1) % 4;
      } while (!MonitorActionOffered(next, state));
      *selected = next;
      return -1;
    }
    case '\r':
      action = state.selected;
      break;
    case 'G':
    case 'g':
      action = kMonitorGo;
      break;
    case 'P':
    case 'p':
      action = kMonitorPause;
      break;
    case 'S':
    case 's':
      action = kMonitorSend;
      break;
    case 'X':
    case 'x':
      action = kMonitorExit;
      break;
    default:
      return -1;
  }
  return MonitorActionOffered(action, state) ? action : -1;
}

MonitorState MonitorStateAfter(int action, const MonitorState& state) {
  MonitorState next = state;
  switch (action) {
    case kMonitorPause:
      next.running = 0;
      next.paused = 1;
      if (next.selected == kMonitorPause) next.selected = kMonitorGo;
      break;
    case kMonitorGo:
    case kMonitorSend:
    case kMonitorExit:
      next.running = 1;
      next.paused = 0;
      if (next.selected == kMonitorGo) next.selected = kMonitorPause;
      break;
    default:
      break;
  }
  return next;
}

int GpsCommandLine(const wchar_t* command, char* out, int outSize) {
  if (outSize < 3) return 0;
  int n = plat::Narrow(command, out, outSize - 2);
  if (n < 0) n = 0;
  out[n] = '\r';
  out[n + 1] = '\n';
  return n + 2;
}

INT_PTR CALLBACK GpsMessageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextW(dialog, kCommandEditId, GpsMonitor.command);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      // At most 27 characters are kept.
      GetDlgItemTextW(dialog, kCommandEditId, GpsMonitor.command, kGpsCommandMax + 1);
      EndDialog(dialog, 1);
      return FALSE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return FALSE;
    default:
      return TRUE;
  }
}

}  // namespace handheld
