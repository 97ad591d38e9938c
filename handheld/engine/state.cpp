#include "engine/state.h"

#include "engine/build_config.h"
#include "engine/ice.h"

namespace handheld {

BuildConfigData BuildConfig;
SurveySettingsData SurveySettings;
LinkStateData LinkState;
GpsStateData GpsState;
SurveyRunData SurveyRun;
PlotStateData PlotState;
ScreenLayoutData ScreenLayout;
Rz27Mk2CalibrationData Rz27Mk2Calibration;
WorkerThreadsData WorkerThreads;
TraceSetData TraceSet;
AppWindowsData AppWindows;
WatchdogData Watchdog;

void FillBuildConfig(const BuildSwitches& s) {
  BuildConfig.modelIndex = s.modelIndex;
  BuildConfig.zolOptionAvailable = s.zolOptionAvailable;
  BuildConfig.storageRoot = s.storageRoot;
  BuildConfig.rz27Scale10 = s.rz27Scale10;
  BuildConfig.rz27Mk2Diagnostics = s.rz27Mk2Diagnostics;
  BuildConfig.recordLength = ModelRowOf(s.modelIndex).recordLength;
}

void ResetBuildConfig() { BuildConfig = BuildConfigData{}; }
void ResetSurveySettings() { SurveySettings = SurveySettingsData{}; }

void ResetLinkState() {
  LinkState.instrumentPort = INVALID_HANDLE_VALUE;
  LinkState.markerPort = INVALID_HANDLE_VALUE;
  LinkState.gpsPort = INVALID_HANDLE_VALUE;
  for (auto& b : LinkState.frame) b = 0;
  LinkState.frameLength = 12;
  LinkState.framePeriodMs = 91.0f;
  LinkState.lastFrameTick = 0;
  LinkState.frameCount = 0;
  LinkState.sampleDivisor = 1;
  LinkState.readingsPerSecond = 5;
  LinkState.hardMarker = 0;
}

void ResetGpsState() {
  for (auto& c : GpsState.sentence) c = 0;
  for (auto& c : GpsState.sentenceWide) c = 0;
  GpsState.sentenceValid = 0;
  GpsState.readerState = 0;
}

void ResetSurveyRun() {
  SurveyRun.dataFile.Close();
  SurveyRun.dataFile.ClearWriteFailed();
  SurveyRun.dataFilePath[0] = 0;
  SurveyRun.dataFileName.clear();
  SurveyRun.station = 0.0;
  SurveyRun.state = kRunMonitor;
  SurveyRun.framesPerReading = 1;
  SurveyRun.softMarkerHeld = 0;
  SurveyRun.runActive = 0;
  SurveyRun.recordFlag = 0;
  SurveyRun.averaging = 0;
  SurveyRun.modeAtStart = 0;
  SurveyRun.readingsAtStation = 0;
  SurveyRun.stationHasReading = 0;
  SurveyRun.gpsFixCount = 0;
  SurveyRun.beepCounter = 0;
  SurveyRun.lastBatteryTick = 0;
  SurveyRun.markerOpened = 0;
  SurveyRun.sampleCount = 0;
  SurveyRun.fieldSum[0] = SurveyRun.fieldSum[1] = 0;
  SurveyRun.valueSum[0] = SurveyRun.valueSum[1] = 0.0f;
  SurveyRun.fieldMean[0] = SurveyRun.fieldMean[1] = 0.0f;
  SurveyRun.mk2SampleCount = 0;
  for (auto& v : SurveyRun.mk2ValueSum) v = 0.0f;
  for (auto& v : SurveyRun.mk2CountSum) v = 0;
  SurveyRun.mk2FirstBytes[0] = SurveyRun.mk2FirstBytes[1] = 0;
}

void ResetPlotState() { PlotState = PlotStateData{}; }
void ResetScreenLayout() { ScreenLayout = ScreenLayoutData{}; }

void ResetRz27Mk2Calibration() {
  for (auto& p : Rz27Mk2Calibration.previous) p = 0;
  for (auto& p : Rz27Mk2Calibration.backup) p = 0;
  Rz27Mk2Calibration.active = 0;
  Rz27Mk2Calibration.phase = 0;
  Rz27Mk2Calibration.stage = 0;
  Rz27Mk2Calibration.t0 = 0;
  for (auto& v : Rz27Mk2Calibration.sums) v = 0;
  Rz27Mk2Calibration.count = 0;
}

const float* Mk2OffsetsStanding() {
  return Rz27Mk2Calibration.active.load(std::memory_order_relaxed) == -1 ? Rz27Mk2Calibration.backup
                                                                          : SurveySettings.mk2Offset;
}

void ResetWorkerThreads() {
  WorkerThreads.keepAliveRun = 0;
  WorkerThreads.keepAlive = nullptr;
  WorkerThreads.reader = INVALID_HANDLE_VALUE;
  WorkerThreads.gps = INVALID_HANDLE_VALUE;
  WorkerThreads.marker = INVALID_HANDLE_VALUE;
}

void ResetTraceSet() { TraceSet = TraceSetData{}; }
void ResetAppWindows() { AppWindows = AppWindowsData{}; }

void ResetWatchdog() {
  Watchdog.periodMs = 300;
  Watchdog.missCount = 0;
}

void ResetEngineState() {
  ResetBuildConfig();
  ResetSurveySettings();
  ResetLinkState();
  ResetGpsState();
  ResetSurveyRun();
  ResetPlotState();
  ResetScreenLayout();
  ResetRz27Mk2Calibration();
  ResetWorkerThreads();
  ResetTraceSet();
  ResetAppWindows();
  ResetWatchdog();
  ResetIceCurve();
}

}  // namespace handheld
