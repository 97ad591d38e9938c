// Pieces of the logging window shared by its paint and its run-state commands: the button sets,
// the pause captions and the live fields drawn straight into their rectangles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace handheld {

constexpr int kMonitorButtons = 2;
constexpr int kMonitorButtonsMk2 = 4;
constexpr int kStandByButtons = 6;
constexpr int kPauseButtons = 8;
constexpr int kPauseCaptionRows = 32;

// Buttons in the Monitor set of the build: 2, or 4 on the RZ27-MK2.
int MonitorButtonCount(int32_t model);

// The pause key setting as these screens use it: a value outside 0 to 3 counts as 0 (the stored
// setting is kept).
int32_t EffectivePauseKey(int32_t pauseKey);
// The pause button shown while Logging: the pause key, + 4 in survey mode 2 (Manual).
int PauseButtonIndex(int32_t pauseKey, int32_t surveyMode);
// Row of the caption table for pause button i (0 to 7): i + 16 in portrait + 8 on the RZ27-MK2.
int PauseCaptionRow(int32_t portrait, int32_t model, int i);
const wchar_t* PauseCaption(int row);  // rows 0 to 31; empty text outside

// The word of a run state: -1 "Stand By", 0 "Monitor", 1 "Logging"; empty for any other value.
const wchar_t* StateWord(int32_t state);

// A window DC with a transparent background, released when it goes.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) { SetBkMode(dc_, TRANSPARENT); }
  ~WindowDc() { ReleaseDC(hwnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  operator HDC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Drawing helpers on a DC with a transparent background.
void DrawTextAt(HDC dc, int x, int y, const wchar_t* text);
// The text's width in the DC's font.
int TextWidth(HDC dc, const wchar_t* text);
// The text at row y, centred across the window's width.
void DrawCentredAt(HDC dc, int y, const wchar_t* text);
void EraseField(HDC dc, const RECT& rect);  // the light grey stock brush
// Erases the state field and draws the word of the state (normal font).
void DrawStateField(HDC dc, int32_t state);
// "File:" and at most the first 8 characters of the data file's base name, at (5, topRowY).
void DrawFileName(HDC dc);
// The line name in bold at the origin of its field (the field is erased first when erase is set).
void DrawLineName(HDC dc, bool erase);
// The station in bold, "%-11.2f", its field erased first.
void DrawStation(HDC dc);

// Pieces of the reading handlers.
// A formatted wide text; empty when it would not fit 95 characters.
std::wstring WideFormat(const wchar_t* format, ...);
// The text at the field's left and top in the font selected; an empty text draws nothing.
void DrawInField(HDC dc, const RECT& rect, const std::wstring& text);
// The battery field ("%3d%c" of the life percentage and '%', in the font selected) when more than
// 180000 ms have passed since SurveyRun.lastBatteryTick, which then becomes now.
void RefreshBattery(HDC dc);
// The reading in TraceSet as the next point of the profile, on a DC of the plot window.
void PlotTraces();
// The rest of a recorded reading of the meters and the RZ27-MK2, once SurveyRun.readingsAtStation
// counts it: with audio on a beep every LinkState.readingsPerSecond readings; the station moved
// on when the station's readings are complete (not for its first reading); the station and, with
// more than one reading per station, the reading count shown; the point plotted.
void FinishRecordedReading(HDC dc);
// A number given as text (typed, or received in a sentence): decimal only, clamped to the float
// range before it is narrowed; no number reads 0.
float TextToFloat(const wchar_t* text);

// Button sets. Each show puts the keyboard selection on the set's first button, with the
// default-button frame there and nowhere else.
void ShowStandBySet();
void HidePauseButtons();
// Sets (BS_DEFPUSHBUTTON) or clears (BS_PUSHBUTTON) a button's default-button frame, redrawn.
void SetButtonFrame(HWND button, bool framed);

// Invalidates (erase) and updates the plot, redraws it from the data file, and gives the logging
// window the keyboard.
void RedrawPlot(HWND loggingWnd);

}  // namespace handheld
