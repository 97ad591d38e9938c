// Program-wide state of the desktop program that the engine reads or writes.
//
// Each object names the module that owns it; only the owner writes it (tests aside). The window
// modules add their own fields here as they come, so the engine never includes a window module.
// Every object has a reset to its initial values, used by tests only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <string>

#include "common/data_file.h"
#include "common/model_numbers.h"
#include "engine/rz56_convert.h"
#include "engine/rz56_reading.h"

namespace desktop {

using survey::DataFile;

// Instrument models of the desktop builds (BuildConfig.modelIndex), -2 to 7.
using enum survey::Model;
constexpr int32_t kModelFirst = kModelRz56;
constexpr int32_t kModelLast = kModelRz27Mk2;

// Survey modes (SurveySettings.surveyMode).
enum SurveyMode : int32_t { kModeAuto = 0, kModeWheel = 1, kModeManual = 2 };

// The build's switches, as each desktop main() fills them (build_config.h).
struct BuildSwitches {
  int32_t modelIndex = kModelRz12;  // -2 to 7
  int32_t gpsSimulator = 0;         // 1: the GPS simulator stands in for the GPS port
  int32_t smallLayout = 0;          // 1: the 240 x 320 layout
  int32_t monitorVariant = 0;       // 1: the RZ27-MK2 monitoring variant
  int32_t rz27Scale10 = 0;          // the RZ27 scale switch
  int32_t rz56Variant = 0;          // the RZ56 conversion variant, 0 for none
};

// Build switches and the record length that follows from them. Filled once by each program's
// main() through FillBuildConfig (build_config.h), by tests through their one helper; nothing else
// writes it (SetDefaultSettings fills it again from the switches in force, for the record length).
struct BuildConfigData : BuildSwitches {
  int32_t recordLength = 24;  // data-file record length: 24, or 26 for the RZ27-MK2
};
extern BuildConfigData BuildConfig;

// Every value of the settings file, and the two values the load derives (owner: engine,
// settings.cpp; the setup dialogs edit them and save).
struct SurveySettingsData {
  static constexpr int kDataFolderMax = 263;
  char dataFolder[kDataFolderMax + 1] = "C:\\";  // with its trailing backslash
  int32_t rz56Type = 0;        // 0 Standard, 1 High Power, 2 and 3 their N.C.C. variants
  int32_t rz12Type = 0;        // 0 Standard, 1 Short
  int32_t rz56SensorSize = 0;  // 0 1 x 0.5 m, 1 1 x 1 m, 2 0.5 x 0.5 m
  int32_t displayUnits = 0;    // 0 meters, 1 feet, 2 US Survey Feet
  int32_t instrumentPort = 0;  // 0 to 11 = COM1 to COM12
  int32_t audio = 1;
  int32_t pauseKey = 0;        // 0 any key, 1 Enter, 2 space bar, 3 P
  int32_t traceVisible[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  int32_t traceThickness[8] = {2, 2, 2, 2, 1, 1, 1, 1};
  int32_t traceColour[8] = {16711680, 65280, 255, 16711935, 0, 65535, 16711935, 65280};  // 0x00BBGGRR
  int32_t rz56ScaleMode = 0;   // 0 linear, 1 compressed
  int32_t gridScale = 0;       // grid of 0 scale 1, 1 scale 2
  float scale1Min = 0.0f;
  float scale1Max = 500.0f;
  float scale2Min = -25.0f;
  float scale2Max = 25.0f;
  int32_t gpsEnabled = 1;
  int32_t gpsPort = 3;         // COM4
  int32_t gpsBaudIndex = 1;
  int32_t gpsDataBitsIndex = 1;
  int32_t gpsParityIndex = 0;
  int32_t gpsStopBitsIndex = 0;
  int32_t surveyMode = kModeAuto;
  int32_t surveyModeChoice = kModeAuto;  // the survey mode as read from the file
  int32_t component = 0;       // 0 both, 1 inphase, 2 conductivity
  int32_t dipole = 0;          // 0 vertical, 1 horizontal, 2 both; RZ45 0 to 5
  int32_t samplesPerReading = 10;
  int32_t mk2Type = 2;         // RZ27-MK2 build: 1 RZ27-MK2-1, 2 RZ27-MK2
  float mk2Offset[6] = {0, 0, 0, 0, 0, 0};  // RZ27-MK2 build: O1 to O6
  float stationIncrementAuto = 1.0f;
  float stationIncrementWheel = 0.2f;
  float stationIncrementManual = 2.0f;
  float readingInterval = 0.2f;  // seconds per reading in Auto
  static constexpr int kSurveyLineMax = 11;
  char surveyLine[kSurveyLineMax + 1] = "1";
  float lineIncrement = 1.0f;
  int32_t lineSequence = 0;    // 0 alternate, 1 one way
  int32_t lineDirection = 1;   // 0 West, 1 South, 2 North, 3 East
  double startStation = 0.0;
  float batteryWarning = 10.5f;  // RZ56-MK2 battery warning level (V)
  int32_t softMarker = 1;      // RZ27-MK2 build
  int32_t markerPort = 1;      // RZ27-MK2 build: 0 disabled, n = COMn
  float stationIncrement = 1.0f;  // the increment in force, derived from the survey mode
};
extern SurveySettingsData SurveySettings;

// Serial links and the latest frame (owner: engine, the reader threads and their openers). The
// readers add their port handles and hand-over fields here.
struct LinkStateData {
  static constexpr int kFrameBytes = 32;
  // The latest frame as kept, then a NUL. An RZ56 frame: the tag, its 12 binary bytes and the
  // first 0x7F; the conversion then rewrites bytes 10 to 16.
  unsigned char frame[kFrameBytes] = {};
  std::atomic<int32_t> frameLength{12};
  std::atomic<uint32_t> lastFrameTick{0};  // tick at which the latest frame ended
  std::atomic<uint32_t> lastRz56Tick{0};   // RZ56: the last request, or in Wheel mode the last frame end
  // The RZ56 request hand-shake (rz56_link.h): 1 while the request reader waits for a request.
  std::atomic<int32_t> rz56Ready{0};
  std::atomic<int32_t> linkLost{0};        // 1: a request went unanswered; the reader recovers
  // Manual-reset, set for every request; created at each RZ56-MK2 start, closed at its end.
  std::atomic<HANDLE> requestEvent{nullptr};
  float framePeriodMs = 91.0f;
  int32_t sampleDivisor = 1;               // frames per reading
  // The open ports, INVALID_HANDLE_VALUE while closed; a reader ends once its field differs.
  std::atomic<HANDLE> instrumentPort{INVALID_HANDLE_VALUE};
  std::atomic<HANDLE> markerPort{INVALID_HANDLE_VALUE};
  std::atomic<HANDLE> gpsPort{INVALID_HANDLE_VALUE};
  std::atomic<int32_t> frameCount{0};      // frames counted since the last reading message
  std::atomic<int32_t> hardMarker{0};      // the marker line's modem status word; above 0: pressed
  // 0 port closed, 1 port open or reader ended, 2 reader running.
  std::atomic<int32_t> instrumentReaderState{0};
};
extern LinkStateData LinkState;

// The GPS display table and the latest sentence (owner: engine; the table is set by
// InitGgaDisplayTable, the sentence by the GPS readers).
struct GpsStateData {
  char ggaName[4] = "GGA";
  int32_t ggaItemCount = 6;
  int32_t ggaItemOrder[6] = {0, 1, 2, 3, 4, 5};
  int32_t ggaFieldNumber[6] = {8, 7, 4, 3, 6, 5};  // fields of the GGA sentence, its name field 1
  // The latest line, set by a GPS reader or the simulator before it announces the line (a
  // synchronous send or repaint): its first 127 characters and a NUL.
  static constexpr int kSentenceMax = 127;
  char sentence[kSentenceMax + 1] = {};
  // GpsReaderThread: 1 checksum good, 0 bad; the monitor reader and the simulator: 1 a new line
  // is there (the GPS monitor's paint takes it and sets 0).
  std::atomic<int32_t> sentenceValid{0};
  // 0 port closed, 1 port open or GPS reader ended, 2 GPS reader running.
  std::atomic<int32_t> readerState{0};
  std::atomic<uint32_t> sentenceTick{0};  // tick of the latest '$' (or the simulator's latest sentence)
};
extern GpsStateData GpsState;

// The GPS monitor's reader side (owner: the GPS monitor window, which adds its own fields here;
// GpsMonitorThread writes the line).
struct GpsMonitorData {
  // The line to show: the latest line's first 127 characters and a NUL, or "NO DATA".
  char line[GpsStateData::kSentenceMax + 1] = {};
  // 1 while paused or while a command is written: GpsMonitorThread reads nothing.
  std::atomic<int32_t> paused{0};
  // The window's side (owner: the GPS monitor window).
  HWND buttons[4] = {};   // "&Go" 750, "&Pause" 751, "&Send" 752, "E&xit" 753
  HWND list = nullptr;    // 760: one line per received sentence
  HWND edit = nullptr;    // 770: the command text
  char command[64] = "$PASHS,NME,SAT,A,ON";  // at most 63 characters
  int32_t running = 1;    // 1 "&Pause" offered, 0 "&Go" offered
  int32_t selected = 1;   // the button with the default-button frame, 0 to 3
};
extern GpsMonitorData GpsMonitor;

// The six fields of the logging window's GPS box that GpsReaderThread fills red while the receiver
// is silent, in the logging window's client coordinates: the two activity marks, latitude,
// longitude, PDOP and satellites (owner: the logging window, which sets them with its layout).
struct GpsBoxFieldsData {
  static constexpr int kFields = 6;
  RECT field[kFields] = {};
};
extern GpsBoxFieldsData GpsBoxFields;

// The GPS box's activity character (owner: the logging window's GPS box): a backslash at program
// start, flipping to '/' and back with every GGA sentence; the green lamp follows it. Kept across
// runs.
struct GpsBoxStateData {
  char activity = '\\';
};
extern GpsBoxStateData GpsBoxState;

// Thread handles of a run and of the GPS monitor (owner: the start-up module; the GPS simulator
// reads gpsRun).
struct WorkerThreadsData {
  HANDLE reader = INVALID_HANDLE_VALUE;       // the instrument reader of the run
  HANDLE marker = INVALID_HANDLE_VALUE;       // the RZ27-MK2 marker watcher
  HANDLE gps = INVALID_HANDLE_VALUE;          // the run's GPS reader or simulator, or the GPS monitor's
  HANDLE wheelReader = INVALID_HANDLE_VALUE;  // the RZ56-MK2 wheel reader
  std::atomic<int32_t> gpsRun{0};             // 1 while the run's GPS thread is to run
};
extern WorkerThreadsData WorkerThreads;

// Survey run states (SurveyRun.state).
enum RunState : int32_t { kRunMonitor = 0, kRunStandBy = -1, kRunLogging = 1 };

// The state of one survey run (owner: the logging window; the engine's
// CreateDataFile sets the file fields and counts the first line).
struct SurveyRunData {
  DataFile dataFile;
  char dataFilePath[MAX_PATH] = {};
  std::string dataFileName;  // base name, 8-bit; the header name record keeps 9 characters
  double station = 0.0;
  int32_t stationHasReading = 0;    // 1 once the station in force has a recorded reading
  std::atomic<int32_t> state{kRunMonitor};
  int32_t linesTotal = 0;    // survey lines opened in this run's file
  // The logging window's run fields; the readers read the atomics.
  std::atomic<int32_t> framesPerReading{1};  // frames per announced reading (meter readers)
  std::atomic<int32_t> softMarkerHeld{0};    // 1 while a digit key holds the soft marker
  int32_t recordFlag = 0;           // 1 the reading is recorded, 0 not, -1 trigger held
  int32_t acquisitionState = 1;     // RZ56-MK2: 1 running, 0 normalising, -1 nulling, -2 QC nulling, -3 QC panel
  int32_t averaging = 0;            // Manual-mode averaging on
  int32_t modeAtStart = 0;          // survey mode at the run's start
  int32_t readingsAtStation = 0;
  // A Manual-mode average of the meters: samples so far, sums of the two frame fields and of the
  // two decoded values, and the field means of the last complete series.
  int32_t sampleCount = 0;
  int64_t fieldSum[2] = {};
  float valueSum[2] = {};
  float fieldMean[2] = {};
  int32_t stationsInLine = 0;
  int32_t stationsTotal = 0;
  int32_t gpsFixCount = 0;
  uint32_t goTick = 0;              // tick of the last GO
  int32_t lineTimeMs = 0;           // logging time of the line and the run up to the last PAUSE
  int32_t totalTimeMs = 0;
  int32_t lineTimeNowMs = 0;        // the same at the last recorded reading
  int32_t totalTimeNowMs = 0;
  int32_t lineTimeHms[3] = {};      // as last shown
  int32_t totalTimeHms[3] = {};
  bool markerOpened = false;        // this run opened the marker port and started its watcher
  // An RZ27-MK2 Manual-mode series: samples so far, the sums of the four values (conductivity 1 m,
  // inphase 1 m, conductivity 0.5 m, inphase 0.5 m) and of the six raw counts, and bytes 0 and 1
  // of the series' first frame.
  int32_t mk2SampleCount = 0;
  float mk2ValueSum[4] = {};
  uint32_t mk2CountSum[6] = {};
  unsigned char mk2FirstBytes[2] = {};
};
extern SurveyRunData SurveyRun;

// Profile plot factors and grid (owner: the logging window's plot; the settings load and
// SetDefaultSettings compute them).
struct PlotStateData {
  float pxPerUnit0 = 1.0f;  // scale 1
  float pxPerUnit1 = 1.0f;  // scale 2
  // [0] index of the last grid row in use, [1] the zero line (or the first of four even rows),
  // [2..9] the other rows.
  int32_t grid[10] = {};
  int32_t gridSign = 0;     // 1 range at or above zero, -1 at or below, 0 it contains zero
  int32_t traceShown[8] = {};  // 1: the channel is plotted (SelectTraces)
  int32_t groupsPerStation = 1;  // readings recorded at one station before it advances: 1 to 6
  int32_t prevRow[8] = {};  // row of the channel's previous plotted point
  int32_t havePrev[8] = {}; // 1: the channel's next segment joins its previous point
  HPEN tracePen[8] = {};    // one pen per channel, from the trace widths and colours
  HBRUSH traceBrush[8] = {};
  int32_t rz56PrevRow[4] = {};  // the RZ56 strip chart's previous rows of channels 0 to 3
  int32_t started = 0;      // 0: the profile starts afresh at its next reading
  COLORREF pickedColour[8] = {};   // the colour chooser's last result per channel
  COLORREF customColours[16] = {}; // the chooser's custom colours, kept for the program's run
};
extern PlotStateData PlotState;

// Screen layout (owner: the main window and the logging window).
struct ScreenLayoutData {
  // Set by the main window's creation.
  int32_t windowWidth = 800;   // outer size of the main window: 800 x 574, small layout 240 x 320
  int32_t windowHeight = 574;
  int32_t windowX = 0;
  int32_t windowY = 0;
  int32_t usableHeight = 218;  // windowHeight - 22; the small layout keeps 218
  int32_t textHeight = 16;     // tmHeight of the main window's default font
  int32_t lineHeight = 18;     // textHeight + 2
  // Set by the logging window's creation (plotHeight also read by the engine's plot factors).
  int32_t plotLeft = 20;
  int32_t plotTop = 20;
  int32_t plotWidth = 0;
  int32_t plotHeight = 0;      // height of the profile chart; 0 until the logging window exists
  int32_t boxesWidth = 0;      // the numbers panel's and the three boxes' width
  int32_t numbersTop = 0;
  int32_t drawLeft = 0;        // the plotting area of the profile, set at every run start
  int32_t drawWidth = 0;
};
extern ScreenLayoutData ScreenLayout;

// The start screen's state (owner: the main window).
struct MainMenuData {
  char startFolder[MAX_PATH] = {};  // the current folder at start-up; the settings file lives there
  int32_t mode = 0;            // 0 start screen, 1 logging window, 2 GPS monitor
  int32_t selected = 0;        // the menu button with the default-button frame, 0 to 6
  int32_t keyAction = -99;     // the last key's action: -99 none, 0 to 6, 1009 next, 1010 previous, 1013 press
  int32_t uptimeExceeded = 0;  // 1: the system had run more than 20 days when the window was made
  int32_t stopBoxOpen = 0;     // 1 once the "PROGRAM STOP" box is up: a repaint under it opens no second
  HBITMAP bitmap = nullptr;    // the splash, loaded at the first paint, released with the window
  int32_t bitmapWidth = 0;
  int32_t bitmapHeight = 0;
};
extern MainMenuData MainMenu;

// RZ56 nulling and quality-control values (owner: the RZ56 reading handler and the QC panel; the
// conversion keeps the current ring, the factor and the QC test state, rz56_convert.h; the null
// offsets and the panel's steps are rz56_reading.h's).
struct Rz56CalibrationData : Rz56CurrentRing, Rz56QcState, Rz56NullState, Rz56QcPanelState {
  float normFactor = 1.0f;             // the normalisation factor of the latest conversion
  int32_t qcExternalCoil = 0;          // 0 internal, 1 external QC coil
  int32_t nccFlag = 0;                 // 1: no current normalisation (rz56Type above 1)
  char qcCode = 'N';                   // 'N' before any QC check, then 'I' internal or 'E' external
  float qcValue[4] = {};               // QC values of the last check
};
extern Rz56CalibrationData Rz56Calibration;

// The eight display channels of the latest reading (owner: engine, the live decoders). A channel's
// valid flag is 1 when it holds a value of this reading.
struct TraceSetData {
  static constexpr int kChannels = 8;
  float traceValue[kChannels] = {};
  int32_t traceValid[kChannels] = {};
};
extern TraceSetData TraceSet;

// RZ27-MK2 calibration (owner: the RZ27-MK2 calibration handler).
struct Rz27Mk2CalibrationData {
  float previous[6] = {0, 0, 0, 0, 0, 0};  // the offsets last replaced, O1 to O6
  float backup[6] = {0, 0, 0, 0, 0, 0};    // the offsets in force when a calibration began
  int32_t active = 0;                      // -1 while a calibration runs (the offsets are zero)
  int32_t phase = 0;
  int32_t stage = 0;
  int32_t step = 0;                        // not 0: "Auto Cal:On"
  int32_t count = 0;
  float sums[8] = {};
  uint32_t t0 = 0;
};
extern Rz27Mk2CalibrationData Rz27Mk2Calibration;

// The connection watchdog and the reading timer (owner: the logging window).
struct WatchdogData {
  int32_t readingIntervalMs = 200;  // timer 1's period in Auto, from SurveySettings.readingInterval
};
extern WatchdogData Watchdog;

// The program's windows that the engine addresses (owner: the main window, set as it creates them).
struct AppWindowsData {
  HINSTANCE instance = nullptr;
  HWND mainWnd = nullptr;
  HWND loggingWnd = nullptr;     // the logging window: owner of the data-file warnings, reader messages' target
  HWND monitorGpsWnd = nullptr;  // the GPS monitor: owner of the port error boxes
  HWND curveWnd = nullptr;       // the logging window's children
  HWND numbersWnd = nullptr;
  HWND calibrateWnd = nullptr;
  HFONT fontLarge = nullptr;     // "MS Sans Serif" 20 / 200
  HFONT fontTitle = nullptr;     // 28 / 600
  HFONT fontNormal = nullptr;    // 14 / 400
  HFONT fontBold = nullptr;      // 14 / 700
  HWND menuButtons[7] = {};      // the start screen's buttons, ids 420 to 426
  // Drawing objects made once at the main window's creation and kept to the end of the program.
  HPEN penGridZero = nullptr;    // grey, 2 px: zero lines
  HPEN penGrid = nullptr;        // grey, 1 px: grid rows
  HPEN penWhite = nullptr;
  HBRUSH brushWhite = nullptr;
  HPEN penGreen = nullptr;
  HBRUSH brushGreen = nullptr;
  HBRUSH brushPanel = nullptr;   // solid red: warning fields and the link-lost bar
  HBRUSH brushValue = nullptr;   // solid button face: erasing the value fields
};
extern AppWindowsData AppWindows;

// Test resets. ResetObject rebuilds one object with its initial values (atomics and the data file
// included), so a field added later is reset with it; tests only, with no other thread running.
template <typename T>
void ResetObject(T& object) {
  object.~T();
  new (&object) T{};
}
void ResetEngineState();  // every object above

}  // namespace desktop
