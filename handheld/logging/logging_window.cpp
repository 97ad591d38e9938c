// The logging window: its classes, message table, creation (the plot child and the three button
// sets) and paint, and the drawing pieces that the run-state commands share.
#include <cwchar>
#include <string>

#include "engine/readers.h"
#include "engine/state.h"
#include "logging/layout.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "logging/window_table.h"

namespace handheld {

LoggingButtonsData LoggingButtons;
LoggingLayoutData LoggingLayout;
void ResetLoggingButtons() { LoggingButtons = LoggingButtonsData{}; }
void ResetLoggingLayout() { LoggingLayout = LoggingLayoutData{}; }

namespace {

constexpr MessageHandler kLoggingHandlers[] = {
    {WM_CREATE, LoggingOnCreate},
    {WM_PAINT, LoggingOnPaint},
    {WM_COMMAND, LoggingOnCommand},
    {WM_TIMER, LoggingOnTimer},
    {WM_READING, OnReading},
    {WM_ZOL12_READING, OnZol12Reading},
    {WM_RZ27MK2_READING, OnRz27Mk2Reading},
    {WM_GPS_SENTENCE, OnGpsSentence},
    {WM_KEYDOWN, LoggingOnCommand},
    {WM_KEYUP, LoggingOnKeyUp},
};

// Rows 0-7 landscape, 8-15 landscape RZ27-MK2, 16-23 portrait, 24-31 portrait RZ27-MK2; in each
// block the first four are Auto and Wheel (pause keys 0 to 3), the last four Manual.
constexpr const wchar_t* kPauseCaptions[kPauseCaptionRows] = {
    L"TAP ME or press any key to Pause",
    L"TAP ME or press SPACE bar to Pause",
    L"TAP ME or press ENTER key to Pause",
    L"TAP ME or press P key to Pause",
    L"Trigger to Log, Tap/any key to Pause",
    L"Trigger to Log, Tap or press SPACE bar to Pause",
    L"Trigger to Log, Tap or press ENTER key to Pause",
    L"Trigger to Log, Tap or press P key to Pause",

    L"TAP ME or press any non numeric key to Pause",
    L"TAP ME or press SPACE bar to Pause",
    L"TAP ME or press ENTER key to Pause",
    L"TAP ME or press P key to Pause",
    L"Trigger to Log, Tap or non numeric key to Pause",
    L"Trigger to Log, Tap or press SPACE bar to Pause",
    L"Trigger to Log, Tap or press ENTER key to Pause",
    L"Trigger to Log, Tap or press P key to Pause",

    L"TAP ME or press any key to Pause",
    L"TAP ME or press SPACE bar to Pause",
    L"TAP ME or press ENTER key to Pause",
    L"TAP ME or press P key to Pause",
    L"Trigger to Log, Tap/any key to Pause",
    L"Trigger to Log, Tap/SPACE to Pause",
    L"Trigger to Log, Tap/ENTER to Pause",
    L"Trigger to Log, Tap/P to Pause",

    L"TAP ME or press any non numeric key to Pause",
    L"TAP ME or press SPACE bar to Pause",
    L"TAP ME or press ENTER key to Pause",
    L"TAP ME or press P key to Pause",
    L"Trigger to Log, Tap or press any non numeric key to Pause",
    L"Trigger to Log, Tap/SPACE to Pause",
    L"Trigger to Log, Tap/ENTER to Pause",
    L"Trigger to Log, Tap/P to Pause",
};

constexpr const wchar_t* kMonitorCaptions[kMonitorButtons] = {L"&Create File", L"E&xit"};
constexpr const wchar_t* kMonitorCaptionsMk2[kMonitorButtonsMk2] = {L"&Create File", L"C&alibrate",
                                                                    L"D&el Calibr.", L"E&xit"};
constexpr const wchar_t* kMonitorCaptionsMk2Portrait[kMonitorButtonsMk2] = {L"&Cr. File", L"C&alib.",
                                                                            L"D&el Cal.", L"E&xit"};
constexpr const wchar_t* kStandByCaptions[kStandByButtons] = {L"&Go",   L"&Line", L"&NStn",
                                                              L"&Cmnt", L"&Menu", L"E&xit"};

constexpr const wchar_t* kGpsDisabled = L"GPS  Input  disabled";

// Button row geometry, fixed at creation by the orientation.
struct ButtonGeometry {
  int x0;
  int monitorWidth, monitorPitch;
  int standByWidth, standByPitch;
  int pauseWidth;
};
constexpr ButtonGeometry kLandscapeButtons{4, 154, 158, 50, 52, 312};
constexpr ButtonGeometry kPortraitButtons{2, 114, 118, 38, 39, 236};
constexpr int kButtonHeight = 20;

HWND MakeButton(HWND parent, const wchar_t* caption, DWORD style, int x, int y, int width, int index) {
  return CreateWindowW(L"BUTTON", caption, style | BS_PUSHBUTTON, x, y, width, kButtonHeight, parent,
                       reinterpret_cast<HMENU>(static_cast<intptr_t>(kLoggingButtonIdBase + index)),
                       AppWindows.instance, nullptr);
}

void SelectNormal(HDC dc) { SelectObject(dc, AppWindows.fontNormal); }
void SelectBold(HDC dc) { SelectObject(dc, AppWindows.fontBold); }

const wchar_t* SurveyModeWord(int32_t model, int32_t mode) {
  switch (mode) {
    case 0:
      return L"Auto";
    case 1:
      // The ZOL12's second mode, Wheel, is the survey setup's "Manual".
      return ModelRowOf(model).modes == ModeChoice::kTwoSecondWheel ? L"Manual" : L"Wheel";
    case 2:
      return L"Manual";
    default:
      return nullptr;  // a mode outside the table has no word
  }
}

void DrawGpsRow(HDC dc, const LoggingPaintLayout& layout) {
  const LoggingLayoutData& f = layout.fields;
  SelectNormal(dc);
  if (SurveySettings.gpsEnabled == 1) {
    wchar_t text[16];
    DrawTextAt(dc, 5, f.gpsRowY, L"Pos");
    DrawTextAt(dc, f.gpsMarkRect.left, f.gpsMarkRect.top, L"/");
    DrawTextAt(dc, f.gpsMarkRect.right + 1, f.gpsRowY, L"#");
    swprintf(text, 16, L"%-5d", SurveyRun.gpsFixCount);
    DrawTextAt(dc, f.gpsCountRect.left, f.gpsCountRect.top, text);
    DrawTextAt(dc, f.gpsFixRect.left, f.gpsFixRect.top, L"NO FIX");
    DrawTextAt(dc, layout.pdopLabelX, f.gpsRowY, L"PDOP:");
    DrawTextAt(dc, f.gpsPdopRect.left, f.gpsPdopRect.top, L"N/A");
    DrawTextAt(dc, layout.satLabelX, f.gpsRowY, L"Sat:");
    swprintf(text, 16, L"%2d", 0);
    DrawTextAt(dc, f.gpsSatRect.left, f.gpsSatRect.top, text);
  } else if (BuildConfig.rz27Mk2Diagnostics == 0) {
    DrawCentredAt(dc, f.gpsRowY, kGpsDisabled);
  }
}

}  // namespace

// ---- Shared pieces -----------------------------------------------------------------------------

int MonitorButtonCount(int32_t model) {
  return ModelRowOf(model).calibrates ? kMonitorButtonsMk2 : kMonitorButtons;  // with Calibrate and Del Calibr.
}

int32_t EffectivePauseKey(int32_t pauseKey) { return pauseKey >= 0 && pauseKey <= 3 ? pauseKey : 0; }

int PauseButtonIndex(int32_t pauseKey, int32_t surveyMode) {
  return EffectivePauseKey(pauseKey) + (surveyMode == 2 ? 4 : 0);
}

int PauseCaptionRow(int32_t portrait, int32_t model, int i) {
  return i + (portrait != 0 ? 16 : 0) + (ModelRowOf(model).ownPauseKeys ? 8 : 0);
}

const wchar_t* PauseCaption(int row) { return row >= 0 && row < kPauseCaptionRows ? kPauseCaptions[row] : L""; }

const wchar_t* StateWord(int32_t state) {
  switch (state) {
    case kRunStandBy:
      return L"Stand By";
    case kRunMonitor:
      return L"Monitor";
    case kRunLogging:
      return L"Logging";
    default:
      return L"";
  }
}

void DrawTextAt(HDC dc, int x, int y, const wchar_t* text) {
  TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

int TextWidth(HDC dc, const wchar_t* text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  return size.cx;
}

void DrawCentredAt(HDC dc, int y, const wchar_t* text) {
  DrawTextAt(dc, (ScreenLayout.windowWidth - TextWidth(dc, text)) / 2, y, text);
}

void EraseField(HDC dc, const RECT& rect) {
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
}

void DrawStateField(HDC dc, int32_t state) {
  SelectNormal(dc);
  EraseField(dc, LoggingLayout.stateRect);
  DrawTextAt(dc, LoggingLayout.stateRect.left, LoggingLayout.stateRect.top, StateWord(state));
}

void DrawFileName(HDC dc) {
  // The name's bytes widened one by one, as they were narrowed from the dialog's path.
  std::wstring text = L"File:";
  for (size_t i = 0; i < SurveyRun.dataFileName.size() && i < 8; ++i) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(SurveyRun.dataFileName[i]));
  }
  SelectNormal(dc);
  DrawTextAt(dc, 5, LoggingLayout.topRowY, text.c_str());
}

void DrawLineName(HDC dc, bool erase) {
  SelectBold(dc);
  if (erase) EraseField(dc, LoggingLayout.lineNameRect);
  DrawTextAt(dc, LoggingLayout.lineNameRect.left, LoggingLayout.lineNameRect.top, SurveySettings.surveyLine);
}

void DrawStation(HDC dc) {
  wchar_t text[64];
  swprintf(text, 64, L"%-11.2f", SurveyRun.station);
  SelectBold(dc);
  EraseField(dc, LoggingLayout.stationRect);
  DrawTextAt(dc, LoggingLayout.stationRect.left, LoggingLayout.stationRect.top, text);
}

void SetButtonFrame(HWND button, bool framed) {
  SendMessageW(button, BM_SETSTYLE, framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void HidePauseButtons() {
  for (HWND b : LoggingButtons.pause) ShowWindow(b, SW_HIDE);
}

void ShowStandBySet() {
  for (int i = 0; i < MonitorButtonCount(BuildConfig.modelIndex); ++i) ShowWindow(LoggingButtons.monitor[i], SW_HIDE);
  HidePauseButtons();
  for (HWND b : LoggingButtons.standBy) {
    SetButtonFrame(b, false);
    ShowWindow(b, SW_SHOW);
  }
  LoggingButtons.count = kStandByButtons;
  LoggingButtons.first = 0;
  LoggingButtons.selected = 0;
  SetButtonFrame(LoggingButtons.standBy[0], true);
}

void ShowMonitorButtons() {
  for (HWND b : LoggingButtons.standBy) ShowWindow(b, SW_HIDE);
  HidePauseButtons();
  const int n = MonitorButtonCount(BuildConfig.modelIndex);
  for (int i = 0; i < n; ++i) {
    SetButtonFrame(LoggingButtons.monitor[i], false);
    ShowWindow(LoggingButtons.monitor[i], SW_SHOW);
    EnableWindow(LoggingButtons.monitor[i], TRUE);
  }
  LoggingButtons.count = n;
  LoggingButtons.first = 0;
  LoggingButtons.selected = 0;
  SetButtonFrame(LoggingButtons.monitor[0], true);
}

void RedrawPlot(HWND loggingWnd) {
  InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
  UpdateWindow(AppWindows.curveWnd);
  RedrawProfile(AppWindows.curveWnd);
  SetFocus(loggingWnd);
}

// ---- Classes and procedure ---------------------------------------------------------------------

namespace {

// No class style, no extra bytes, no icon, no menu, the arrow cursor, a stock background brush.
bool RegisterPlainClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int brush) {
  WNDCLASSW wc{};
  wc.style = 0;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(brush));
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0;
}

}  // namespace

int RegisterLoggingClasses(HINSTANCE instance) {
  if (!RegisterPlainClass(instance, L"LoggingWnd", LoggingWndProc, LTGRAY_BRUSH)) return 1;
  return RegisterCurveWnd(instance) != 0 ? 2 : 0;
}

int RegisterCurveWnd(HINSTANCE instance) {
  return RegisterPlainClass(instance, L"CurveWnd", CurveWndProc, WHITE_BRUSH) ? 0 : 1;
}

LRESULT CALLBACK LoggingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kLoggingHandlers, hwnd, message, wParam, lParam);
}

// ---- Creation ----------------------------------------------------------------------------------

LRESULT LoggingOnCreate(HWND hwnd, UINT, WPARAM, LPARAM) {
  AppWindows.curveWnd = CreateWindowW(L"CurveWnd", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, ScreenLayout.plotLeft - 1,
                                      ScreenLayout.plotTop - 1, ScreenLayout.plotWidth + 1,
                                      ScreenLayout.plotHeight + 1, hwnd, reinterpret_cast<HMENU>(5),
                                      AppWindows.instance, nullptr);

  const bool portrait = ScreenLayout.portrait != 0;
  const ButtonGeometry& g = portrait ? kPortraitButtons : kLandscapeButtons;
  const int y = ScreenLayout.windowHeight - 22;
  const int32_t model = BuildConfig.modelIndex;

  constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  constexpr DWORD kHidden = WS_CHILD | WS_TABSTOP;
  if (ModelRowOf(model).calibrates) {  // the monitor buttons with Calibrate and Del Calibr.
    const wchar_t* const* captions = portrait ? kMonitorCaptionsMk2Portrait : kMonitorCaptionsMk2;
    for (int i = 0; i < kMonitorButtonsMk2; ++i) {
      LoggingButtons.monitor[i] =
          MakeButton(hwnd, captions[i], kShown, g.x0 + (i * g.monitorPitch) / 2, y, g.monitorWidth / 2, i);
    }
  } else {
    for (int i = 0; i < kMonitorButtons; ++i) {
      LoggingButtons.monitor[i] =
          MakeButton(hwnd, kMonitorCaptions[i], kShown, g.x0 + i * g.monitorPitch, y, g.monitorWidth, i);
    }
  }
  SendMessageW(LoggingButtons.monitor[LoggingButtons.selected], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  LoggingButtons.count = MonitorButtonCount(model);
  LoggingButtons.first = 0;

  for (int i = 0; i < kStandByButtons; ++i) {
    LoggingButtons.standBy[i] =
        MakeButton(hwnd, kStandByCaptions[i], kHidden, g.x0 + i * g.standByPitch, y, g.standByWidth, i);
  }
  for (int i = 0; i < kPauseButtons; ++i) {
    LoggingButtons.pause[i] =
        MakeButton(hwnd, PauseCaption(PauseCaptionRow(ScreenLayout.portrait, model, i)), kHidden, g.x0, y, g.pauseWidth, i);
  }
  LinkState.lastFrameTick = GetTickCount();
  return 0;
}

// ---- Paint -------------------------------------------------------------------------------------

LRESULT LoggingOnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, AppWindows.fontNormal);

  const LoggingPaintLayout layout = ComputeLoggingLayout(CurrentScreen(), MeasureLayoutTexts(dc));
  LoggingLayout = layout.fields;
  const LoggingLayoutData& f = LoggingLayout;
  const bool fileOpen = SurveyRun.dataFile.IsOpen();

  if (fileOpen) DrawFileName(dc);
  DrawStateField(dc, SurveyRun.state);

  EraseField(dc, f.batteryRect);
  SYSTEM_POWER_STATUS_EX2 power{};
  GetSystemPowerStatusEx2(&power, sizeof power, TRUE);
  wchar_t text[32];
  swprintf(text, 32, L"%3d%%", static_cast<int>(power.BatteryLifePercent));
  SelectBold(dc);
  DrawTextAt(dc, f.batteryRect.left, f.batteryRect.top, text);
  SurveyRun.lastBatteryTick = GetTickCount();

  SelectNormal(dc);
  if (const wchar_t* mode = SurveyModeWord(BuildConfig.modelIndex, SurveySettings.surveyMode)) {
    DrawTextAt(dc, 130, f.topRowY, mode);
  }
  DrawTextAt(dc, 5, f.lineRowY, L"Ln:");
  if (fileOpen) DrawLineName(dc, false);

  SelectNormal(dc);
  if (ShowsReadingCount(BuildConfig.modelIndex, SurveySettings.surveyMode)) {
    DrawTextAt(dc, kStationLabelX, f.lineRowY, L"S");
    DrawTextAt(dc, layout.manualColonX, f.lineRowY, L":");
    DrawTextAt(dc, f.readingCountRect.left, f.readingCountRect.top, L"0");
  } else {
    DrawTextAt(dc, kStationLabelX, f.lineRowY, L"Stn:");
  }
  if (fileOpen) DrawStation(dc);

  DrawGpsRow(dc, layout);

  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
  SetFocus(hwnd);
  return 0;
}

}  // namespace handheld
