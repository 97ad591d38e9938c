// The QC-coil panel (CalibrateWnd): the instructions, the wait for the QC readings with its
// counter on timer 2, and the result; closing it puts the null offsets of before the QC run back.
#include <windows.h>

#include <cstring>

#include "engine/models.h"
#include "engine/records.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/main_window.h"
#include "ui/qc_panel_rules.h"
#include "ui/window_table.h"

namespace desktop {
namespace {

constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 24;
constexpr int kButtonY = 142;
constexpr int kCounterMargin = 20;

HBRUSH LightGrey() { return static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)); }

int PanelWidth(HWND panel) {
  RECT r{};
  GetWindowRect(panel, &r);
  return r.right - r.left;
}

void DrawText(HDC dc, int width, const QcText& t) {
  const HGDIOBJ previous = SelectObject(dc, t.bold ? AppWindows.fontBold : AppWindows.fontNormal);
  const int length = static_cast<int>(std::strlen(t.text));
  int x = t.x;
  if (x < 0) {
    SIZE size{};
    GetTextExtentPointA(dc, t.text, length, &size);
    x = (width - size.cx) / 2;
  }
  ExtTextOutA(dc, x, t.y, 0, nullptr, t.text, static_cast<UINT>(length), nullptr);
  SelectObject(dc, previous);
}

// The default-button style on the focused button, the plain style on the other.
void MarkFocusedButton() {
  for (int i = 0; i < 2; ++i) {
    SendMessageA(LoggingButtons.calibrate[i], BM_SETSTYLE,
                 i == Rz56Calibration.qcFocusedButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void DrawCounter(HWND panel) {
  HDC dc = GetDC(panel);
  const int width = PanelWidth(panel);
  const QcText counter = QcCounterText(Rz56Calibration.qcSecondsOrOk);
  const RECT band{kCounterMargin, counter.y, width - kCounterMargin, counter.y + ScreenLayout.textHeight + 2};
  FillRect(dc, &band, LightGrey());
  SetBkMode(dc, TRANSPARENT);
  DrawText(dc, width, counter);
  ReleaseDC(panel, dc);
}

void Repaint(HWND panel) {
  InvalidateRect(panel, nullptr, TRUE);
  UpdateWindow(panel);
}

void ClosePanel(HWND panel) {
  ShowWindow(panel, SW_HIDE);
  std::memcpy(Rz56Calibration.nullOffset, Rz56Calibration.savedNullOffset, sizeof Rz56Calibration.nullOffset);
  const LoggingKind kind = ThisModel().logging;
  if (SurveyRun.state.load() != kRunMonitor) {
    for (int i = 0; i < StandByButtonCount(kind); ++i) EnableWindow(LoggingButtons.standBy[i], TRUE);
  } else {
    for (int i = 0; i < MonitorButtonCount(kind); ++i) EnableWindow(LoggingButtons.monitor[i], TRUE);
  }
  SurveyRun.acquisitionState = kAcqRunning;
  EnableWindow(AppWindows.curveWnd, TRUE);
  InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.curveWnd);
  RedrawRz56Profile(AppWindows.curveWnd);
  UpdateWindow(AppWindows.loggingWnd);
  SetFocus(AppWindows.loggingWnd);
}

void Carry(HWND panel, const QcPanelStep& step) {
  if (step.stopTimer) KillTimer(panel, kQcWaitTimer);
  if (step.startTimer) SetTimer(panel, kQcWaitTimer, kQcWaitPeriodMs, nullptr);
  if (step.disableOk) EnableWindow(LoggingButtons.calibrate[0], FALSE);
  if (step.moveDefault) MarkFocusedButton();
  if (step.drawCounter) DrawCounter(panel);
  if (step.repaint) Repaint(panel);
  if (step.close) ClosePanel(panel);
}

LRESULT CalibrateOnCreate(HWND panel, UINT, WPARAM, LPARAM) {
  const char* const captions[2] = {"&OK", "&Cancel"};
  const int ids[2] = {kQcOkButtonId, kQcCancelButtonId};
  for (int i = 0; i < 2; ++i) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                        (i == Rz56Calibration.qcFocusedButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    LoggingButtons.calibrate[i] =
        CreateWindowExA(0, "BUTTON", captions[i], style, 6 + 52 + i * 74, kButtonY, kButtonWidth, kButtonHeight, panel,
                        reinterpret_cast<HMENU>(static_cast<uintptr_t>(ids[i])), AppWindows.instance, nullptr);
  }
  return 0;
}

LRESULT CalibrateOnPaint(HWND panel, UINT, WPARAM, LPARAM) {
  const QcPaint paint = PaintQcPanel(Rz56Calibration, Rz56Calibration.qcExternalCoil, Rz56Calibration.qcValue);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(panel, &ps);
  SetBkMode(dc, TRANSPARENT);
  const int width = PanelWidth(panel);
  for (const QcText& t : paint.texts) DrawText(dc, width, t);
  EndPaint(panel, &ps);
  if (paint.stopTimer) KillTimer(panel, kQcWaitTimer);
  if (paint.enableOk) {
    EnableWindow(LoggingButtons.calibrate[0], TRUE);
    MarkFocusedButton();
  }
  // In Monitoring no file is open: the records go nowhere and nothing is latched.
  if (paint.writeRecords) WriteNullQcRecords(1, 0, Rz56Calibration.qcValue, Rz56Calibration.qcValue);
  return 0;
}

LRESULT CalibrateOnCommand(HWND panel, UINT message, WPARAM wParam, LPARAM) {
  SetFocus(panel);
  QcInput input = QcInput::kKeyDown;
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id != kQcOkButtonId && id != kQcCancelButtonId) return 0;
    input = id == kQcOkButtonId ? QcInput::kOkButton : QcInput::kCancelButton;
  } else if (message == WM_CHAR) {
    input = QcInput::kChar;
  }
  const QcPanelStep step = StepQcPanel(Rz56Calibration, input, wParam);
  Carry(panel, step);
  if (!step.close) SetFocus(panel);
  return 0;
}

LRESULT CalibrateOnTimer(HWND panel, UINT, WPARAM id, LPARAM) {
  if (id != kQcWaitTimer) return 0;
  Carry(panel, StepQcPanel(Rz56Calibration, QcInput::kTick));
  return 0;
}

constexpr MessageHandler kCalibrateHandlers[] = {
    {WM_CREATE, CalibrateOnCreate},   {WM_PAINT, CalibrateOnPaint}, {WM_COMMAND, CalibrateOnCommand},
    {WM_KEYDOWN, CalibrateOnCommand}, {WM_CHAR, CalibrateOnCommand}, {WM_TIMER, CalibrateOnTimer},
};

}  // namespace

int RegisterCalibrateWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "CalibrateWnd", CalibrateWndProc, 0, LightGrey());
}

LRESULT CALLBACK CalibrateWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kCalibrateHandlers, hwnd, message, wParam, lParam);
}

LRESULT LoggingOnSetFocus(HWND, UINT, WPARAM, LPARAM) {
  if (IsWindowVisible(AppWindows.calibrateWnd)) SetFocus(AppWindows.calibrateWnd);
  return 0;
}

}  // namespace desktop
