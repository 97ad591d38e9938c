// The logging window's classes, message tables, children and button sets, and the measuring of
// its layout at every run start.
#include <cstring>

#include "engine/models.h"
#include "engine/state.h"
#include "engine/settings.h"
#include "ui/logging.h"
#include "ui/main_window.h"
#include "ui/start_screen.h"
#include "ui/window_table.h"

namespace desktop {

LoggingButtonsData LoggingButtons;
LoggingLayoutData LoggingLayout;

void ResetLoggingState() {
  ResetObject(LoggingButtons);
  ResetObject(LoggingLayout);
}

namespace {

constexpr MessageHandler kLoggingHandlers[] = {
    {WM_CREATE, LoggingOnCreate},
    {WM_SIZE, LoggingOnSize},
    {WM_COMMAND, LoggingOnCommand},
    {WM_DEADCHAR, LoggingOnCommand},
    {WM_KEYDOWN, LoggingOnCommand},
    {WM_KEYUP, LoggingOnKeyUp},
    {WM_PAINT, LoggingOnPaint},
    {WM_TIMER, LoggingOnTimer},
    {WM_SETFOCUS, LoggingOnSetFocus},
    {WM_GPS_SENTENCE, OnGpsSentence},
    {WM_RZ56_READING, OnRz56Reading},
    {WM_READING, OnReading},
    {WM_RZ27MK2_READING, OnRz27Mk2Reading},
};
constexpr MessageHandler kCurveHandlers[] = {{WM_CREATE, CurveOnCreate}, {WM_PAINT, CurveOnPaint}};
constexpr MessageHandler kNumbersHandlers[] = {{WM_PAINT, CurveOnPaint}};

constexpr UINT kClassStyle = CS_HREDRAW | CS_VREDRAW;

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }
HMENU ChildId(int id) { return reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)); }

// A child of the logging window; when it cannot be made the logging window destroys itself and
// the creation goes on.
HWND MakeChild(HWND logging, const char* cls, const char* caption, DWORD style, int x, int y, int w, int h, int id) {
  HWND child = CreateWindowExA(0, cls, caption, style, x, y, w, h, logging, ChildId(id), AppWindows.instance, nullptr);
  if (!IsWindow(child)) {
    DestroyWindow(logging);
    return nullptr;
  }
  return child;
}

HWND MakeButton(HWND logging, const ButtonPlace& place, DWORD style, int id) {
  return CreateWindowExA(0, "BUTTON", place.caption, WS_CHILD | WS_TABSTOP | style, place.x, place.y, place.width,
                         place.height, logging, ChildId(id), AppWindows.instance, nullptr);
}

void MakeButtons(HWND logging) {
  const LoggingButtonPlan plan = PlanLoggingButtons(ThisModel().logging, ScreenLayout.windowWidth,
                                                    ScreenLayout.windowHeight, ScreenLayout.lineHeight);
  for (int i = 0; i < plan.monitor.count; ++i) {
    LoggingButtons.monitor[i] = MakeButton(logging, plan.monitor.button[i], WS_VISIBLE, kLoggingButtonIdBase + i);
  }
  SendMessageA(LoggingButtons.monitor[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  for (int i = 0; i < plan.standBy.count; ++i) {
    LoggingButtons.standBy[i] = MakeButton(logging, plan.standBy.button[i], 0, kLoggingButtonIdBase + i);
  }
  SendMessageA(LoggingButtons.standBy[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  LoggingButtons.pause = MakeButton(logging, plan.pause, 0, kLoggingButtonIdBase);
  SendMessageA(LoggingButtons.pause, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  if (IsMonitorVariant(BuildConfig)) {
    EnableWindow(LoggingButtons.monitor[0], FALSE);
    EnableWindow(LoggingButtons.monitor[1], FALSE);
  }
}

}  // namespace

int RegisterCurveWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "CurveWnd", CurveWndProc, kClassStyle, White());
}
int RegisterDecayWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "DecayWnd", DecayWndProc, kClassStyle, White());
}
int RegisterNumbersWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, "NumbersWnd", NumbersWndProc, kClassStyle, White());
}

int RegisterLoggingClasses(HINSTANCE instance) {
  if (RegisterProgramClass(instance, "ScreenLogWnd", LoggingWndProc, kClassStyle,
                           CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) != 0) {
    return 1;
  }
  if (RegisterDecayWnd(instance) != 0 || RegisterCurveWnd(instance) != 0 || RegisterNumbersWnd(instance) != 0 ||
      RegisterCalibrateWnd(instance) != 0) {
    return 2;
  }
  return 0;
}

LRESULT CALLBACK LoggingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kLoggingHandlers, hwnd, message, wParam, lParam);
}
LRESULT CALLBACK CurveWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kCurveHandlers, hwnd, message, wParam, lParam);
}
LRESULT CALLBACK DecayWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kCurveHandlers, hwnd, message, wParam, lParam);
}
LRESULT CALLBACK NumbersWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kNumbersHandlers, hwnd, message, wParam, lParam);
}

LRESULT LoggingOnCreate(HWND logging, UINT, WPARAM, LPARAM) {
  const LoggingGeometry g =
      ComputeLoggingGeometry(ScreenLayout.windowWidth, ScreenLayout.windowHeight, ScreenLayout.lineHeight);
  ScreenLayout.plotLeft = g.plotLeft;
  ScreenLayout.plotTop = g.plotTop;
  ScreenLayout.plotWidth = g.plotWidth;
  ScreenLayout.plotHeight = g.plotHeight;
  ScreenLayout.boxesWidth = g.boxesWidth;
  ScreenLayout.numbersTop = g.numbersTop;
  // Loaded again now that the plot height is known, for the pixel factors.
  LoadSaveSettings(0);
  ApplyMonitorVariantSettings();

  AppWindows.curveWnd = MakeChild(logging, "CurveWnd", "", WS_CHILD | WS_BORDER, g.plotLeft, g.plotTop, g.plotWidth,
                                  g.plotHeight, kCurveWndId);
  AppWindows.calibrateWnd = MakeChild(logging, "CalibrateWnd", "Calibration", WS_CHILD | WS_BORDER, g.plotLeft + 230,
                                      g.plotTop + 75, 260, 178, kCalibrateWndId);
  AppWindows.numbersWnd = MakeChild(logging, "NumbersWnd", "", WS_CHILD | WS_VISIBLE | WS_BORDER, g.plotLeft,
                                    g.numbersTop, g.boxesWidth, g.numbersHeight, kNumbersWndId);
  MakeButtons(logging);
  return 0;
}

LRESULT LoggingOnSize(HWND logging, UINT, WPARAM, LPARAM) {
  RECT client{};
  GetClientRect(logging, &client);
  return 0;
}

LRESULT CurveOnCreate(HWND, UINT, WPARAM, LPARAM) { return 0; }

void ComputeLoggingLayout(HWND loggingWnd) {
  HDC dc = GetDC(loggingWnd);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontNormal);
  LayoutWidths widths;
  for (int i = 0; i < kLayoutTextCount; ++i) {
    const LayoutTextInfo info = LayoutTextOf(static_cast<LayoutText>(i));
    SelectObject(dc, info.font == LayoutFont::kLarge  ? AppWindows.fontLarge
                     : info.font == LayoutFont::kBold ? AppWindows.fontBold
                                                      : AppWindows.fontNormal);
    SIZE size{};
    GetTextExtentPointA(dc, info.text, static_cast<int>(std::strlen(info.text)), &size);
    widths.width[i] = size.cx;
    if (static_cast<LayoutText>(i) == LayoutText::kStationsLabel) widths.stationsHeight = size.cy;
  }
  SelectObject(dc, previous);
  ReleaseDC(loggingWnd, dc);
  LoggingLayout = ComputeLoggingLayout(
      {ScreenLayout.windowWidth, ScreenLayout.windowHeight, ScreenLayout.lineHeight, ThisModel().logging}, widths);
  const LoggingLayoutData& l = LoggingLayout;
  GpsBoxFields = {{l.gpsMarkRect[0], l.gpsMarkRect[1], l.gpsLatRect, l.gpsLonRect, l.gpsPdopRect, l.gpsSatRect}};
}

void ShowPlotWindows() {
  ScreenLayout.drawLeft = ScreenLayout.plotLeft;
  ScreenLayout.drawWidth = ScreenLayout.plotWidth;
  ShowWindow(AppWindows.curveWnd, SW_SHOW);
  ShowWindow(AppWindows.numbersWnd, SW_SHOW);
}

}  // namespace desktop
