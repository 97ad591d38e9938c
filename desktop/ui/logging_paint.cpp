// The logging window's paint and the drawing routines of its numbers panel: the caption row, the
// link-lost bar and the pause prompt. A setting outside its choices draws nothing in its field.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/meter_reading.h"
#include "engine/models.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

constexpr COLORREF kFrameColour = RGB(64, 64, 64);

// The choice's text, or null outside the choices.
template <std::size_t N>
const char* Pick(const char* const (&texts)[N], int32_t value) {
  return value >= 0 && value < static_cast<int32_t>(N) ? texts[value] : nullptr;
}

constexpr const char* kSurveyModes[] = {"Survey: Auto", "Survey: Wheel", "Survey: Manual"};
constexpr const char* kDipoleModes[] = {"Dipole Mode: Vertical", "Dipole Mode: Horizontal", "Dipole Mode: Both"};
constexpr const char* kComponentModes[] = {"Component: Both", "Component: Inphase", "Component: Conductivity"};
constexpr const char* kRz45Readings[] = {"1 reading",  "2 readings", "3 readings",
                                         "4 readings", "5 readings", "6 readings"};
constexpr const char* kRz45Modes[] = {"Dipole Mode: Vertical-10 m",   "Dipole Mode: Vertical-20 m",
                                      "Dipole Mode: Vertical-40 m",   "Dipole Mode: Horizontal-10 m",
                                      "Dipole Mode: Horizontal-20 m", "Dipole Mode: Horizontal-40 m"};
constexpr const char* kPausePrompts[] = {"press any key to pause", "press <ENTER> to pause",
                                         "press <Space Bar> to pause", "press key <P> pause"};

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

void TextAt(HDC dc, int x, int y, const char* text) {
  ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(Length(text)), nullptr);
}

int TextWidth(HDC dc, const char* text) {
  SIZE size{};
  GetTextExtentPointA(dc, text, Length(text), &size);
  return size.cx;
}

void Label(HDC dc, int x, int y, const char* text, HFONT font) {
  const HGDIOBJ previous = SelectObject(dc, font);
  TextAt(dc, x, y, text);
  SelectObject(dc, previous);
}

const char* ModeText() {
  const int32_t dipole = SurveySettings.dipole;
  switch (ThisModel().modeField) {
    case ModeField::kDipole:
      return Pick(kDipoleModes, dipole);
    case ModeField::kComponent:
      return Pick(kComponentModes, SurveySettings.component);
    case ModeField::kRz45:
      return SurveySettings.surveyMode == kModeManual ? Pick(kRz45Readings, dipole) : Pick(kRz45Modes, dipole);
    case ModeField::kNone:
      break;
  }
  return nullptr;
}

void DrawFrame(HDC dc, int w, int h) {
  const HPEN pen = CreatePen(PS_SOLID, 1, kFrameColour);
  const HGDIOBJ previous = SelectObject(dc, pen);
  MoveToEx(dc, 10, 10, nullptr);
  LineTo(dc, 10, h - 42);
  MoveToEx(dc, w - 14, 10, nullptr);
  LineTo(dc, w - 14, h - 42);
  const POINT marks[] = {{7, 7}, {w - 17, 7}, {7, h - 45}, {w - 17, h - 45}};
  for (const POINT& m : marks) Ellipse(dc, m.x, m.y, m.x + 6, m.y + 6);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

// A two-part label ending 2 pixels left of the right edge: the first part in font a, the second in b.
void ScaleLabel(HDC dc, const RECT& field, const std::string& first, HFONT a, const std::string& second, HFONT b) {
  SelectObject(dc, b);
  const int secondWidth = TextWidth(dc, second.c_str());
  SelectObject(dc, a);
  const int firstWidth = TextWidth(dc, first.c_str());
  const int end = field.right - 2;
  TextAt(dc, end - secondWidth - firstWidth, field.top, first.c_str());
  SelectObject(dc, b);
  TextAt(dc, end - secondWidth, field.top, second.c_str());
}

std::string Format(const char* format, float value) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<double>(value));
  return text;
}

void DrawScaleLabels(HDC dc) {
  const RECT& top = LoggingLayout.scaleMaxRect;
  const RECT& bottom = LoggingLayout.scaleMinRect;
  FillRect(dc, &top, AppWindows.brushValue);
  const SurveySettingsData& s = SurveySettings;
  const HFONT normal = AppWindows.fontNormal;
  const HFONT bold = AppWindows.fontBold;
  switch (ThisModel().logging) {
    case LoggingKind::kRz56Mk2:
      ScaleLabel(dc, top, "", normal, Format("%0.1f mV", s.scale1Max), normal);
      ScaleLabel(dc, bottom, "", normal, Format("%0.1f mV", s.scale1Min), normal);
      break;
    case LoggingKind::kMeter:
      if (s.gridScale != 0) {
        ScaleLabel(dc, top, Format("%0.1f / ", s.scale1Max), normal, Format(" %0.1f", s.scale2Max), bold);
        ScaleLabel(dc, bottom, Format("%0.1f / ", s.scale1Min), normal, Format(" %0.1f", s.scale2Min), bold);
        break;
      }
      [[fallthrough]];
    case LoggingKind::kMk2:
      ScaleLabel(dc, top, Format("%0.1f", s.scale1Max), bold, Format(" / %0.1f", s.scale2Max), normal);
      ScaleLabel(dc, bottom, Format("%0.1f", s.scale1Min), bold, Format(" / %0.1f", s.scale2Min), normal);
      break;
    case LoggingKind::kRz45:
      ScaleLabel(dc, top, "", bold, Format("%0.1f", s.scale1Max), bold);
      ScaleLabel(dc, bottom, "", bold, Format("%0.1f", s.scale1Min), bold);
      break;
    case LoggingKind::kPartial:
      break;
  }
  SelectObject(dc, normal);
}

void DrawBoxes(HDC dc, int h) {
  const LoggingLayoutData& l = LoggingLayout;
  const HPEN pen = CreatePen(PS_SOLID, 1, kFrameColour);
  const HGDIOBJ previousPen = SelectObject(dc, pen);
  const HGDIOBJ previousBrush = SelectObject(dc, AppWindows.brushValue);
  const int top = l.rowY[0] - 4;
  RoundRect(dc, ScreenLayout.plotLeft, top, l.boxEdge[0] - 5, h - 42, 10, 10);
  RoundRect(dc, l.boxEdge[0] + 5, top, l.boxEdge[1] - 5, h - 42, 10, 10);
  RoundRect(dc, l.boxEdge[1] + 5, top, ScreenLayout.plotLeft + ScreenLayout.boxesWidth, h - 42, 10, 10);
  SelectObject(dc, previousBrush);
  SelectObject(dc, previousPen);
  DeleteObject(pen);
}

void DrawLineBox(HDC dc) {
  const LoggingLayoutData& l = LoggingLayout;
  const HFONT normal = AppWindows.fontNormal;
  const HBRUSH face = AppWindows.brushValue;
  Label(dc, l.lineBoxX, l.rowY[0], "Line Parameters", AppWindows.fontBold);
  Label(dc, l.lineBoxX, l.rowY[1], "Curr. Line:", normal);
  const std::string line(SurveySettings.surveyLine, strnlen(SurveySettings.surveyLine, sizeof SurveySettings.surveyLine));
  DrawClippedField(dc, l.lineNameRect, face, line.c_str());
  Label(dc, l.lineBoxX, l.rowY[2], "Station:      ", normal);
  DrawClippedField(dc, l.stationRect, face, StationText(SurveyRun.station).c_str(), AppWindows.fontBold);
  Label(dc, l.lineBoxX, l.rowY[3], "# of Stns:", normal);
  DrawClippedField(dc, l.lineStationsRect, face, LineStationsText(SurveyRun.stationsInLine).c_str());
  Label(dc, l.lineBoxX, l.rowY[4], "Time:", normal);
  DrawClippedField(dc, l.lineTimeRect, face, HmsText(SurveyRun.lineTimeMs, SurveyRun.lineTimeHms).c_str());
}

void DrawGpsBox(HDC dc) {
  const LoggingLayoutData& l = LoggingLayout;
  const HFONT normal = AppWindows.fontNormal;
  const HFONT bold = AppWindows.fontBold;
  if (SurveySettings.gpsEnabled < 1) {
    FillRect(dc, &l.gpsLatRect, AppWindows.brushValue);
    Label(dc, l.gpsValueX - 15, l.rowY[3], "GPS Disabled", bold);
    return;
  }
  char text[32];
  Label(dc, l.gpsBoxX, l.rowY[0], "Positions: ", normal);
  FillRect(dc, &l.gpsCountRect, AppWindows.brushValue);
  std::snprintf(text, sizeof text, "%-6d", SurveyRun.gpsFixCount);
  Label(dc, l.gpsCountRect.left, l.rowY[0], text, normal);
  FillRect(dc, &l.gpsFixRect, AppWindows.brushValue);
  Label(dc, l.gpsBoxX, l.rowY[1], "DGPS", bold);
  Label(dc, l.gpsBoxX, l.rowY[2], "PDOP:", normal);
  Label(dc, l.satLabelX, l.rowY[2], "Sat:", normal);
  FillRect(dc, &l.gpsPdopRect, AppWindows.brushValue);
  Label(dc, l.gpsPdopRect.left, l.rowY[2], "N/A", bold);
  Label(dc, l.gpsBoxX, l.rowY[3], "Lat:", normal);
  Label(dc, l.gpsBoxX, l.rowY[4], "Lon:", normal);
}

void DrawFileBox(HDC dc) {
  const LoggingLayoutData& l = LoggingLayout;
  const HFONT normal = AppWindows.fontNormal;
  const HBRUSH face = AppWindows.brushValue;
  char text[MAX_PATH + 16];
  Label(dc, l.fileBoxX, l.rowY[0], "File Parameters", AppWindows.fontBold);
  if (SurveyRun.state.load() != kRunMonitor) {
    std::snprintf(text, sizeof text, "File: %s", SurveyRun.dataFileName.c_str());
  } else {
    std::snprintf(text, sizeof text, "File:        ");
  }
  DrawClippedField(dc, l.fileRect, face, text, normal);
  Label(dc, l.fileBoxX, l.rowY[2], "Tot. Lines:", normal);
  std::snprintf(text, sizeof text, "%-5d", SurveyRun.linesTotal);
  Label(dc, l.fileValueX, l.rowY[2], text, normal);
  Label(dc, l.fileBoxX, l.rowY[3], "Tot. Stns:", normal);
  DrawClippedField(dc, l.totalStationsRect, face, TotalStationsText(SurveyRun.stationsTotal).c_str());
  Label(dc, l.fileBoxX, l.rowY[4], "Tot. Time:", normal);
  const int32_t* t = SurveyRun.totalTimeHms;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t[0], t[1], t[2]);
  DrawClippedField(dc, l.totalTimeRect, face, text);
}

const char* StateWord(int32_t state) {
  switch (state) {
    case kRunStandBy: return "Stand By";
    case kRunMonitor: return "Monitoring";
    case kRunLogging: return "Logging";
    default: return nullptr;
  }
}

}  // namespace

void DrawClippedField(HDC dc, const RECT& field, HBRUSH brush, const char* text, HFONT font) {
  if (text == nullptr) return;
  FillRect(dc, &field, brush);
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  ExtTextOutA(dc, field.left, field.top, ETO_CLIPPED, &field, text, static_cast<UINT>(Length(text)), nullptr);
  if (font != nullptr) SelectObject(dc, previous);
}

ReadingDcs::ReadingDcs(HWND logging)
    : logging_(logging), window(GetDC(logging)), numbers(GetDC(AppWindows.numbersWnd)) {
  for (HDC dc : {window, numbers}) {
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, AppWindows.fontNormal);
  }
  SetTextColor(numbers, RGB(0, 0, 0));
}

ReadingDcs::~ReadingDcs() {
  SelectObject(window, AppWindows.fontNormal);
  SelectObject(numbers, AppWindows.fontNormal);
  ReleaseDC(logging_, window);
  ReleaseDC(AppWindows.numbersWnd, numbers);
}

LRESULT LoggingOnPaint(HWND logging, UINT, WPARAM, LPARAM) {
  const int w = ScreenLayout.windowWidth;
  const int h = ScreenLayout.windowHeight;
  const LoggingLayoutData& l = LoggingLayout;
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(logging, &ps);
  const HGDIOBJ previousFont = SelectObject(dc, AppWindows.fontNormal);
  SetBkMode(dc, TRANSPARENT);
  DrawClippedField(dc, l.surveyModeRect, AppWindows.brushValue, Pick(kSurveyModes, SurveySettings.surveyMode));
  DrawClippedField(dc, l.modeRect, AppWindows.brushValue, ModeText(), AppWindows.fontBold);
  DrawFrame(dc, w, h);
  if (const char* word = StateWord(SurveyRun.state.load())) {
    FillRect(dc, &l.stateRect, AppWindows.brushValue);
    Label(dc, l.stateRect.left, 0, word, AppWindows.fontLarge);
  }
  if (ThisModel().logging == LoggingKind::kMk2) {
    FillRect(dc, &l.autoCalRect, AppWindows.brushValue);
    Label(dc, l.autoCalRect.left, 0, Rz27Mk2Calibration.step != 0 ? "Auto Cal:On" : "Auto Cal:Off",
          AppWindows.fontLarge);
  }
  DrawScaleLabels(dc);
  DrawBoxes(dc, h);
  DrawLineBox(dc);
  DrawGpsBox(dc);
  DrawFileBox(dc);
  SelectObject(dc, previousFont);
  EndPaint(logging, &ps);
  DrawPausePrompt(SurveyRun.state.load());
  UpdateWindow(logging);
  SetFocus(logging);
  return 0;
}

LRESULT CurveOnPaint(HWND, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(AppWindows.curveWnd, &ps);
  DrawGridInForce(dc);
  EndPaint(AppWindows.curveWnd, &ps);
  dc = BeginPaint(AppWindows.numbersWnd, &ps);
  DrawNumberCaptions(dc);
  EndPaint(AppWindows.numbersWnd, &ps);
  return 0;
}

void DrawNumberCaptions(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontNormal);
  FillRect(dc, &LoggingLayout.captionRowRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const char* const* captions = ThisModel().captions;
  for (int i = 0; captions != nullptr && i < LoggingLayout.numberCells && captions[i] != nullptr; ++i) {
    const RECT& cell = LoggingLayout.captionRect[i];
    ExtTextOutA(dc, cell.left, cell.top, ETO_CLIPPED, &cell, captions[i], static_cast<UINT>(Length(captions[i])),
                nullptr);
  }
  SelectObject(dc, previous);
}

namespace {

// The value row filled white, then each text in fontLarge, black, at its cell's left and top,
// clipped; a null text leaves its cell empty.
void ShowNumberCells(HDC dc, const std::string* const texts[], int count) {
  FillRect(dc, &LoggingLayout.valueRowRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontLarge);
  for (int i = 0; i < count && i < LoggingLayout.numberCells; ++i) {
    if (texts[i] == nullptr) continue;
    const RECT& cell = LoggingLayout.valueRect[i];
    ExtTextOutA(dc, cell.left, cell.top, ETO_CLIPPED, &cell, texts[i]->c_str(), static_cast<UINT>(texts[i]->size()),
                nullptr);
  }
  SelectObject(dc, previous);
}

}  // namespace

void ShowRz56Numbers(HDC dc, float ch1, float ch2, float ch3, float ch4) {
  const float values[4] = {ch1, ch2, ch3, ch4};
  std::string texts[4];
  const std::string* cells[4];
  for (int i = 0; i < 4; ++i) {
    texts[i] = Format(i < 2 ? "%-9.2f" : "%-10.2f", values[i]);
    cells[i] = &texts[i];
  }
  ShowNumberCells(dc, cells, 4);
}

void ShowRz27Mk2Numbers(HDC dc, float cond1m, float inph1m, float cond05m, float inph05m, char dipole) {
  const std::string texts[5] = {Format("%-8.2f", cond1m), Format("%-8.2f", inph1m), Format("%-8.2f", cond05m),
                                Format("%-8.2f", inph05m), dipole == 'H' ? "Horizontal" : "Vertical"};
  const bool halfMetre = SurveySettings.mk2Type == 2;  // the RZ27-MK2-1 has the 1 m pair only
  const std::string* const cells[5] = {&texts[0], &texts[1], halfMetre ? &texts[2] : nullptr,
                                       halfMetre ? &texts[3] : nullptr, &texts[4]};
  ShowNumberCells(dc, cells, 5);
}

void DrawRz56ModeCaption(HDC dc, char mode) {
  if (LoggingLayout.numberCells < 4) return;
  const RECT& cell = LoggingLayout.captionRect[3];
  FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontNormal);
  const char* caption = mode == 'D' ? "ChT [mV]" : "Ch4 [mV]";
  ExtTextOutA(dc, cell.left, cell.top, ETO_CLIPPED, &cell, caption, static_cast<UINT>(Length(caption)), nullptr);
  SelectObject(dc, previous);
}

void ShowNoConnection() {
  HDC dc = GetDC(AppWindows.numbersWnd);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, AppWindows.fontLarge);
  FillRect(dc, &LoggingLayout.valueRowRect, AppWindows.brushPanel);
  TextAt(dc, LoggingLayout.valueRect[1].left, LoggingLayout.valueRect[1].top, "No connection, trying");
  SelectObject(dc, AppWindows.fontNormal);
  ReleaseDC(AppWindows.numbersWnd, dc);
  SetFocus(AppWindows.loggingWnd);
}

void DrawPausePrompt(int mode) {
  if (mode != 1 && mode != -1) return;
  HWND logging = AppWindows.loggingWnd;
  HDC dc = GetDC(logging);
  const HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontLarge);
  SetBkMode(dc, TRANSPARENT);
  const int x0 = ScreenLayout.windowWidth - 220 - ScreenLayout.plotLeft;
  const int h = ScreenLayout.windowHeight;
  if (mode == 1) {
    const char* first = "Click on PAUSE button or";
    TextAt(dc, x0 + (220 - TextWidth(dc, first)) / 2, h - 100, first);
    if (const char* second = Pick(kPausePrompts, SurveySettings.pauseKey)) {
      TextAt(dc, x0 + (220 - TextWidth(dc, second)) / 2, h - 100 + ScreenLayout.textHeight, second);
    }
  } else {
    const RECT area{x0, ScreenLayout.usableHeight + 2 * ScreenLayout.textHeight, x0 + 220, h - 3};
    FillRect(dc, &area, face);
  }
  SelectObject(dc, previous);
  DeleteObject(face);
  ReleaseDC(logging, dc);
}

}  // namespace desktop
