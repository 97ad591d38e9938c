// Program-wide state of the handheld program that the engine reads or writes.
//
// Each object names the module that owns it; only the owner writes it (tests aside). Later modules
// add their fields here, so the engine never needs to include a window module. Every object has a
// reset to its initial values, used by tests only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/data_file.h"
#include "engine/models.h"

namespace handheld {

using survey::DataFile;

// Build switches. Filled once by each program's main() through FillBuildConfig (build_config.h),
// by tests through their one helper; nothing else writes it.
struct BuildConfigData {
  int32_t modelIndex = 0;
  int32_t zolOptionAvailable = 0;
  int32_t storageRoot = 1;  // 1 "Storage\", 0 "C_DRIVE\"
  int32_t rz27Scale10 = 0;
  int32_t rz27Mk2Diagnostics = 0;
  int32_t recordLength = 24;  // set at start-up: 24, or 26 for the RZ27-MK2
};
extern BuildConfigData BuildConfig;

// Every value of the settings file (owner: engine, settings.cpp).
struct SurveySettingsData {
  int32_t rz12Type = 0;
  int32_t zolEnabled = 0;
  int32_t showIceProfile = 0;
  int32_t seaWaterIndex = 0;
  float iceScaleMin = 0.0f;
  float iceScaleMax = 5.0f;
  int32_t displayUnits = 0;
  int32_t instrumentPort = 0;
  int32_t audio = 1;
  int32_t pauseKey = 0;
  int32_t traceVisible[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  int32_t traceThickness[8] = {2, 2, 2, 2, 1, 1, 1, 1};
  COLORREF traceColour[8] = {16711680, 65280, 255, 16711935, 0, 65535, 16711935, 65280};
  int32_t gridScale = 0;
  float scale1Min = 0.0f;
  float scale1Max = 500.0f;
  float scale2Min = -25.0f;
  float scale2Max = 25.0f;
  int32_t gpsEnabled = 0;
  int32_t gpsPort = 1;
  int32_t gpsBaudIndex = 1;
  int32_t gpsDataBitsIndex = 1;
  int32_t gpsParityIndex = 0;
  int32_t gpsStopBitsIndex = 0;
  int32_t surveyMode = 0;
  int32_t surveyModeChoice = 0;  // the survey mode as read from the file
  int32_t component = 0;
  int32_t dipole = 0;
  int32_t samplesPerReading = 10;
  int32_t mk2Type = 2;
  float mk2Offset[6] = {0, 0, 0, 0, 0, 0};
  float stationIncrementAuto = 1.0f;
  float stationIncrementWheel = 0.2f;
  float stationIncrementManual = 2.0f;
  float readingInterval = 0.2f;
  static constexpr int kSurveyLineMax = 11;
  wchar_t surveyLine[kSurveyLineMax + 1] = L"0";
  float lineIncrement = 1.0f;
  int32_t lineSequence = 0;
  int32_t lineDirection = 1;
  double startStation = 0.0;
  float stationIncrement = 1.0f;
  int32_t softMarker = 0;
  int32_t markerPort = 0;
};
extern SurveySettingsData SurveySettings;

// Serial links and the latest frame (owner: engine, the reader threads and their openers).
struct LinkStateData {
  std::atomic<HANDLE> instrumentPort{INVALID_HANDLE_VALUE};
  std::atomic<HANDLE> markerPort{INVALID_HANDLE_VALUE};
  std::atomic<HANDLE> gpsPort{INVALID_HANDLE_VALUE};
  static constexpr int kFrameMax = 14;
  unsigned char frame[kFrameMax + 2] = {};  // the latest frame as kept, then a NUL
  std::atomic<int32_t> frameLength{12};  // written by each reader at its start, read by the handlers
  float framePeriodMs = 91.0f;
  std::atomic<uint32_t> lastFrameTick{0};
  std::atomic<int32_t> frameCount{0};
  int32_t sampleDivisor = 1;
  int32_t readingsPerSecond = 5;
  std::atomic<int32_t> hardMarker{0};
};
extern LinkStateData LinkState;

// The latest GPS line and the GPS reader's run state (owner: engine, the GPS readers).
struct GpsStateData {
  static constexpr int kSentenceMax = 127;  // characters kept of a longer line
  char sentence[kSentenceMax + 1] = {};
  wchar_t sentenceWide[kSentenceMax + 1] = {};  // the monitor reader's wide copy
  int32_t sentenceValid = 0;  // reader: 1 checksum good, 0 bad; monitor: 1 a new line is there
  std::atomic<int32_t> readerState{0};  // 0 never started, 1 running, 2 ended
};
extern GpsStateData GpsState;

// Survey run states (SurveyRun.state).
enum RunState : int32_t { kRunMonitor = 0, kRunStandBy = -1, kRunLogging = 1 };

// The state of one survey run (owner: the logging screen).
struct SurveyRunData {
  DataFile dataFile;
  wchar_t dataFilePath[MAX_PATH] = {};
  std::string dataFileName;  // base name, 8-bit; the header keeps 9 characters, the paint 8
  double station = 0.0;
  std::atomic<int32_t> state{kRunMonitor};
  std::atomic<int32_t> framesPerReading{1};
  std::atomic<int32_t> softMarkerHeld{0};
  int32_t runActive = 0;          // 1 from the run's start until StopLogging
  int32_t recordFlag = 0;         // 1 record this reading, 0 do not, -1 the trigger is still held
  int32_t averaging = 0;          // 1: Manual-mode readings are averaged
  int32_t modeAtStart = 0;        // the survey mode at the run's start
  int32_t readingsAtStation = 0;  // readings recorded at the current station
  int32_t stationHasReading = 0;  // 1 when the current station has a recorded reading
  int32_t gpsFixCount = 0;        // GGA sentences received while Logging
  int32_t beepCounter = 0;        // recorded readings since the last beep
  uint32_t lastBatteryTick = 0;   // tick of the last battery display
  int32_t markerOpened = 0;       // 1 when the run opened a separate marker port
  // Manual-mode averaging: samples summed so far, the sums of the two frame fields as numbers and
  // of the two decoded values, and the fields' means of the last complete series.
  int32_t sampleCount = 0;
  int64_t fieldSum[2] = {};
  float valueSum[2] = {};
  float fieldMean[2] = {};
  // RZ27-MK2 Manual-mode averaging: samples taken, the sums of the four values (conductivity 1 m,
  // inphase 1 m, conductivity 0.5 m, inphase 0.5 m), of their raw counts and of the two
  // temperature counts, and bytes 0 and 1 of the series' first frame.
  int32_t mk2SampleCount = 0;
  float mk2ValueSum[4] = {};
  uint32_t mk2CountSum[6] = {};
  unsigned char mk2FirstBytes[2] = {};
};
extern SurveyRunData SurveyRun;

// Profile plot factors (owner: the logging screen's plot).
struct PlotStateData {
  float pxPerUnit0 = 1.0f;
  float pxPerUnit1 = 1.0f;
  float pxPerUnitIce = 1.0f;
  int32_t started = 0;                   // 0: the next plotted reading starts the curves
  int32_t havePrev[8] = {};              // per channel: a previous row exists
  int32_t prevRow[8] = {};               // per channel: the previous row
  int32_t traceShown[8] = {};            // per channel: plotted
  int32_t groupsPerStation = 1;          // readings per station (SelectTraces)
  // Grid rows of the last paint: [0] index of the last row in use, [1] the zero line (or the
  // first of four even rows), [2..9] the other rows.
  int32_t grid[10] = {};
  COLORREF pickedColour[8] = {};         // per channel: the last colour confirmed in the chooser
  COLORREF customColours[16] = {};       // the chooser's custom colours
};
extern PlotStateData PlotState;

// Screen layout (owner: the shell, set from the main window's client rectangle).
struct ScreenLayoutData {
  int32_t portrait = 1;         // client width <= height
  int32_t windowWidth = 240;    // 320 x 240 landscape, 240 x 320 portrait
  int32_t windowHeight = 320;
  int32_t usableHeight = 298;   // windowHeight - 22
  int32_t textHeight = 14;      // tmHeight of the main window's default font
  int32_t plotLeft = 4;
  int32_t plotTop = 0;
  int32_t plotWidth = 232;
  int32_t plotHeight = 0;
};
extern ScreenLayoutData ScreenLayout;

// RZ27-MK2 calibration (owner: the logging screen's calibration). Only `active` is read by another
// thread (the GPS reader); the rest is the UI thread's.
struct Rz27Mk2CalibrationData {
  float previous[6] = {0, 0, 0, 0, 0, 0};  // the offsets last replaced
  // The offsets that stand while the calibration runs: those in force at its start, and the new
  // ones once it has succeeded. Settings saves and line blocks use them meanwhile.
  float backup[6] = {0, 0, 0, 0, 0, 0};
  std::atomic<int32_t> active{0};          // -1 while the calibration runs
  int32_t phase = 0;                       // 0 none, 1 vertical window, 2 the rest
  int32_t stage = 0;                       // within phase 2
  uint32_t t0 = 0;                         // tick at which the phase or stage began
  // Inphase 1 m V, 0.5 m V, 1 m H, 0.5 m H, then conductivity 1 m V, 0.5 m V, 1 m H, 0.5 m H.
  float sums[8] = {};
  int32_t count = 0;                       // readings summed in the current window
};
extern Rz27Mk2CalibrationData Rz27Mk2Calibration;

// The RZ27-MK2 offsets O1 to O6 that stand: Rz27Mk2Calibration.backup while a calibration runs
// (the offsets in force are 0 then), else SurveySettings.mk2Offset.
const float* Mk2OffsetsStanding();

// The eight display channels of the latest reading (owner: engine, the live decoders). Channel
// meaning depends on the model; a channel's valid flag is 1 when it holds a value of this reading.
struct TraceSetData {
  static constexpr int kChannels = 8;
  float traceValue[kChannels] = {};
  int32_t traceValid[kChannels] = {};
};
extern TraceSetData TraceSet;
void ResetTraceSet();

// Worker threads (owner: the shell; the run's threads are closed by the logging screen's
// StopLogging). Handles are INVALID_HANDLE_VALUE when not held.
struct WorkerThreadsData {
  std::atomic<int32_t> keepAliveRun{0};
  HANDLE keepAlive = nullptr;
  HANDLE reader = INVALID_HANDLE_VALUE;
  HANDLE gps = INVALID_HANDLE_VALUE;     // the run's GPS reader, or the GPS monitor's
  HANDLE marker = INVALID_HANDLE_VALUE;
};
extern WorkerThreadsData WorkerThreads;

// The program's windows that the engine addresses (owner: the shell, set as it creates them).
struct AppWindowsData {
  HINSTANCE instance = nullptr;
  HWND loggingWnd = nullptr;     // target of every reader thread's message
  HWND monitorGpsWnd = nullptr;  // the GPS monitor; also owns the serial port error boxes
  HWND viewFilesWnd = nullptr;
  HWND viewCurveWnd = nullptr;   // the file review's plot, child of viewFilesWnd
  HWND curveWnd = nullptr;       // the profile plot, child of the logging window
  HFONT fontNormal = nullptr;    // "MS Sans Serif" 14 px, weight 400
  HFONT fontBold = nullptr;      // the same, weight 700
  HWND menuButtons[7] = {};      // the main menu's buttons, ids 420 to 426
  HMODULE commdlgModule = nullptr;
  FARPROC chooseColorProc = nullptr;  // "ChooseColor" of COMMDLG.DLL; null when missing
};
extern AppWindowsData AppWindows;
void ResetAppWindows();

// The connection watchdog (owner: the logging screen). The readers clear missCount on every
// accepted frame; the watchdog timer counts it up.
struct WatchdogData {
  int32_t periodMs = 300;
  std::atomic<int32_t> missCount{0};
};
extern WatchdogData Watchdog;
void ResetWatchdog();

// Test resets: each puts its object back to the initial values.
void ResetBuildConfig();
void ResetSurveySettings();
void ResetLinkState();
void ResetGpsState();
void ResetSurveyRun();
void ResetPlotState();
void ResetScreenLayout();
void ResetRz27Mk2Calibration();
void ResetWorkerThreads();
void ResetEngineState();  // all of the above, and the ice curve in force (engine/ice.h)

}  // namespace handheld
