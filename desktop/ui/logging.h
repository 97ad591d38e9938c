// The desktop logging window: its classes and children, button sets, layout, paint and panels,
// run states, commands and the watchdog on timer 1.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/messages.h"
#include "engine/rz56_link.h"
#include "ui/logging_layout.h"

namespace desktop {

// The reader messages (WM_READING and the others) come from engine/messages.h; WM_ZOL12_READING
// has no row in the logging window's table.

constexpr int kCurveWndId = 600;
constexpr int kNumbersWndId = 650;
constexpr int kCalibrateWndId = 654;
constexpr UINT_PTR kWatchdogTimer = 1;

// The logging window's buttons (owner: the logging window).
struct LoggingButtonsData {
  HWND monitor[kMonitorButtonsMax] = {};  // shown while no data file is open
  HWND standBy[kStandByButtonsMax] = {};  // shown in Stand By
  HWND pause = nullptr;                   // shown only while Logging
  HWND calibrate[2] = {};                 // the QC panel's OK and Cancel
  int32_t selected = 0;                   // the button of the set on show that Tab moves and Enter presses
};
extern LoggingButtonsData LoggingButtons;

// The text fields (owner: the logging window; computed at every run start).
extern LoggingLayoutData LoggingLayout;

void ResetLoggingState();  // LoggingButtons and LoggingLayout, for tests

// 0 all registered; 1 ScreenLogWnd failed; 2 a child class failed. The registration stops at the
// first failure.
int RegisterLoggingClasses(HINSTANCE instance);
int RegisterCurveWnd(HINSTANCE instance);
int RegisterDecayWnd(HINSTANCE instance);
int RegisterNumbersWnd(HINSTANCE instance);
int RegisterCalibrateWnd(HINSTANCE instance);

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK CurveWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DecayWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK NumbersWndProc(HWND, UINT, WPARAM, LPARAM);

LRESULT LoggingOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnSize(HWND, UINT, WPARAM, LPARAM);
LRESULT CurveOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnPaint(HWND, UINT, WPARAM, LPARAM);
LRESULT CurveOnPaint(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnKeyUp(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnTimer(HWND, UINT, WPARAM, LPARAM);

// The two DCs a reading handler draws with, of the logging window and of the numbers panel:
// transparent, in fontNormal, the numbers panel's text black; at the end fontNormal is selected
// back and both are released.
class ReadingDcs {
 public:
  explicit ReadingDcs(HWND logging);
  ~ReadingDcs();
  ReadingDcs(const ReadingDcs&) = delete;
  ReadingDcs& operator=(const ReadingDcs&) = delete;

 private:
  HWND logging_;

 public:
  HDC window;
  HDC numbers;
};

// The meter reading handler (WM_READING): decodes LinkState.frame, decides whether the reading is
// recorded, averages Manual-mode samples, records it and counts the station and the times while
// Logging, and shows the values, the counters and the marker.
LRESULT OnReading(HWND, UINT, WPARAM, LPARAM);
// The reading handlers of later work; each stands in as its comment says.
LRESULT OnRz27Mk2Reading(HWND, UINT, WPARAM, LPARAM);
LRESULT OnGpsSentence(HWND, UINT, WPARAM, LPARAM);
// RZ56-MK2, by SurveyRun.acquisitionState: 0 the frame's current fills the ring
// (AccumulateNormalization: the percentage filled, 100 when done and the run's buttons enabled
// again); -1 and -2 nulling (AccumulateNulling); -3 the QC panel's readings; 1 readings converted,
// shown, and while Logging recorded and plotted by their record flag.
LRESULT OnRz56Reading(HWND, UINT, WPARAM, LPARAM);
int32_t AccumulateNormalization();
void AccumulateNulling(float ch1, float ch2, float ch3, float ch4);

// The QC-coil panel (CalibrateWnd): shown by the end of a QC nulling, it closes itself.
LRESULT CALLBACK CalibrateWndProc(HWND, UINT, WPARAM, LPARAM);
// The logging window passes the focus on to the QC panel while the panel is shown.
LRESULT LoggingOnSetFocus(HWND, UINT, WPARAM, LPARAM);

// Measures the texts of the layout in the window's fonts and stores LoggingLayout.
void ComputeLoggingLayout(HWND loggingWnd);
// The plotting area is the plot rectangle; CurveWnd and NumbersWnd are shown.
void ShowPlotWindows();

// The end of a run: 0 the operator kept it, 1 it ended. A second call finds nothing to close.
int StopLogging();
// Tells a data-file write that failed (latched by the data file) once; the run goes on.
void ReportWriteFailure(HWND owner);

// The channels the profile plots (PlotState.traceShown), the readings per station and the grid
// group, by model and settings (PlanTraces).
void SelectTraces();
// The current line's curves drawn again from the data file onto CurveWnd, newest at the newest
// column; the caller has repainted the window. The file and its append position are unchanged.
void RedrawProfile(HWND curveWnd);
// The RZ56 strip chart's redraw: the current line's readings from the data file, newest at the
// newest column, each converted with the null offsets in force when it was read (a group of null
// records gives the offsets it replaced to the readings before it); the file is unchanged.
void RedrawRz56Profile(HWND curveWnd);
// One polyline of count points per visible channel 0 to 3, each with its trace pen.
void DrawRz56Polylines(HWND curveWnd, const POINT* const lists[4], int count);
// The RZ56 strip chart's live point: a 2-pixel scroll, the new column cleared with its grid
// marks, and a segment per visible channel 0 to 3 to its row.
void PlotRz56Point(HDC curveDc, const int32_t rows[4]);

void DrawPausePrompt(int mode);
// Fills the field with the brush, then draws the text at its left and top, clipped to it, in the
// font given (else the DC's); a null text draws nothing, not even the fill.
void DrawClippedField(HDC dc, const RECT& field, HBRUSH brush, const char* text, HFONT font = nullptr);
void DrawNumberCaptions(HDC numbersDc);
// RZ56-MK2: the four values in the value row; the fourth caption by the mode ('D' "ChT [mV]",
// else "Ch4 [mV]") on its cell filled white, in blue.
void ShowRz56Numbers(HDC numbersDc, float ch1, float ch2, float ch3, float ch4);
void DrawRz56ModeCaption(HDC numbersDc, char mode);
void ShowNoConnection();

// The RZ27-MK2 values in the numbers panel: the value row filled white, then in fontLarge the
// 1 m conductivity and inphase, the 0.5 m pair on the RZ27-MK2 (type 2) only, and the dipole word.
void ShowRz27Mk2Numbers(HDC numbersDc, float cond1m, float inph1m, float cond05m, float inph05m, char dipole);
// (OnRz27Mk2Reading, WM_RZ27MK2_READING, runs the field calibration while one is active, else
// records, averages, plots and shows the reading; the monitoring build only shows it.)

}  // namespace desktop
