// The logging window: the survey screen of a run, its run states and commands, and the profile
// plot child. Program-wide state of this module that the engine never touches lives here; the
// records the engine shares (SurveyRun, PlotState, Rz27Mk2Calibration, ...) are in engine/state.h.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

// Button ids: button i of every set is 460 + i, so a button's command means what the run state
// makes of it.
constexpr int kLoggingButtonIdBase = 460;

// The logging window's connection watchdog timer (set by the run start, killed by StopLogging).
constexpr UINT_PTR kWatchdogTimer = 1;

// The three button sets of the logging window and the keyboard selection (owner: this module).
struct LoggingButtonsData {
  HWND monitor[4] = {};   // two created, four on the RZ27-MK2
  HWND standBy[6] = {};   // "&Go", "&Line", "&NStn", "&Cmnt", "&Menu", "E&xit"
  HWND pause[8] = {};     // one is shown while Logging
  int32_t selected = 0;   // the button with the default-button frame in the set on show
  int32_t first = 0;      // first index for keyboard selection; always 0
  int32_t count = 2;      // buttons in the set on show (4 on the RZ27-MK2 in Monitor, 6 Stand By)
};
extern LoggingButtonsData LoggingButtons;
void ResetLoggingButtons();

// Field rectangles of the logging window, recomputed by every paint (owner: this module).
struct LoggingLayoutData {
  int32_t topRowY = 0, lineRowY = 0, thirdRowY = 0, valuesRowY = 0, secondValuesRowY = 0, gpsRowY = 0;
  RECT stateRect{}, modeRect{}, batteryRect{}, lineNameRect{}, dipoleRect{}, readingCountRect{},
      markerRect{}, stationRect{}, valuesRowRect{}, value1Rect{}, value2Rect{}, iceRect{},
      rangeRect{}, value4Rect{}, temp1Rect{}, temp2Rect{}, gpsRowRect{}, gpsMarkRect{},
      gpsCountRect{}, gpsFixRect{}, gpsPdopRect{}, gpsSatRect{};
};
extern LoggingLayoutData LoggingLayout;
void ResetLoggingLayout();

// Registers "LoggingWnd" then "CurveWnd": 0 both, 1 LoggingWnd failed, 2 CurveWnd failed.
int RegisterLoggingClasses(HINSTANCE instance);
int RegisterCurveWnd(HINSTANCE instance);

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK CurveWndProc(HWND, UINT, WPARAM, LPARAM);

LRESULT LoggingOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnPaint(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnKeyUp(HWND, UINT, WPARAM, LPARAM);
LRESULT LoggingOnTimer(HWND, UINT, WPARAM, LPARAM);
LRESULT OnReading(HWND, UINT, WPARAM, LPARAM);
LRESULT OnZol12Reading(HWND, UINT, WPARAM, LPARAM);
LRESULT OnRz27Mk2Reading(HWND, UINT, WPARAM, LPARAM);
LRESULT OnGpsSentence(HWND, UINT, WPARAM, LPARAM);
LRESULT CurveOnPaint(HWND, UINT, WPARAM, LPARAM);

// The run start's view of the logging window: hides the Stand By set, shows and enables the
// Monitor set, and starts the keyboard selection afresh on "&Create File".
void ShowMonitorButtons();

// Ends the survey run: closes the data file, the ports, the timer (unless quiet) and the thread
// handles, and hides the logging window. Quiet asks no question. Does nothing without a run.
void StopLogging(int quiet);

// Plot channels and scales: the per-model defaults set before the settings file is read (with the
// pixels-per-unit factors), and the channels to plot with the readings per station.
void SetDefaultSettings();
void SelectTraces();
// The plot row of every channel the model has, from TraceSet; the other entries are left alone.
void TracesToRows(int32_t rows[8]);
// Runs the colour chooser for `channel` (0 to 7). TRUE: the confirmed colour is in
// PlotState.pickedColour[channel]. FALSE (cancelled, no chooser at start-up, or no such channel):
// nothing is changed but, after an opened chooser, the custom colours.
BOOL PickColour(HWND owner, int channel);

// Grid rows into PlotState.grid and the grid lines, with the scale labels when withLabels is 1.
void DrawPlotGrid(HDC dc, int withLabels, float min, float max, float pxPerUnit);
// Adds one recorded reading to the scrolling profile: scrolls 2 columns when a station completed
// (not before the first point), then draws each plotted channel's segment at the newest column.
void PlotReadingPoint(HDC dc, const int32_t rows[8]);

// Redraws the current line of the open data file on the plot window.
void RedrawProfile(HWND curveWnd);
// Draws points[first] to points[end - 1] as one polyline in the channel's pen; a single point as
// a dot.
void DrawTracePolyline(HWND window, const POINT* points, int first, int end, int channel);

// Creates the run's data file through the save dialog; on success the run state is Stand By.
void CreateDataFile(HWND loggingWnd);

}  // namespace handheld
