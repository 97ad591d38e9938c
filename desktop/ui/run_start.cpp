// Action 0 of the start screen: the port checks, the run's state and plot scales, the links and
// the logging window; and action 4, the GPS monitor.
#include "ui/run_start.h"

#include <cstdio>

#include "engine/models.h"
#include "engine/state.h"
#include "engine/plot_scale.h"
#include "engine/settings.h"
#include "ui/logging.h"
#include "ui/plot.h"
#include "ui/start_screen.h"

namespace desktop {

void ResetWorkerThreads() { ResetObject(WorkerThreads); }

std::optional<std::string> PortConflict(int32_t model, int32_t gpsEnabled, int32_t instrumentPort, int32_t gpsPort,
                                        int32_t markerPort) {
  if (gpsEnabled < 1) return std::nullopt;
  char text[64];
  if (instrumentPort == gpsPort) {
    std::snprintf(text, sizeof text, "Com%d Assigned to Instrument and GPS", gpsPort + 1);
    return text;
  }
  // The desktop marker setting n names COMn.
  if (model == kModelRz27Mk2 && markerPort >= 1 && markerPort - 1 == gpsPort) {
    std::snprintf(text, sizeof text, "Com%d Assigned to Hard Marker and GPS", gpsPort + 1);
    return text;
  }
  return std::nullopt;
}

void ResetLoggingCounters() {
  const uint32_t now = GetTickCount();
  LinkState.lastRz56Tick = now;
  LinkState.lastFrameTick = now;
  SurveyRun.readingsAtStation = 0;
  SurveyRun.averaging = 0;
  SurveyRun.modeAtStart = SurveySettings.surveyMode;
  if (SurveySettings.surveyMode == kModeManual && SurveySettings.samplesPerReading >= 2 &&
      BuildConfig.modelIndex != kModelZol12) {
    SurveyRun.averaging = 1;
  }
}

void StartSurveyRun(HWND main) {
  const SurveySettingsData& s = SurveySettings;
  if (auto conflict = PortConflict(BuildConfig.modelIndex, s.gpsEnabled, s.instrumentPort, s.gpsPort, s.markerPort)) {
    MessageBoxA(main, conflict->c_str(), "Serial Port", MB_OK);
    return;
  }
  SurveyRun.state = kRunMonitor;
  SurveyRun.softMarkerHeld = 0;
  LinkState.hardMarker = 0;
  ResetLoggingCounters();
  PlotState.groupsPerStation = 1;  // SelectTraces sets it for the builds with several per station
  SelectTraces();
  ShowPlotWindows();
  ComputeLoggingLayout(AppWindows.loggingWnd);
  InitGgaDisplayTable();
  PlotState.pxPerUnit0 = PixelsPerUnit(ScreenLayout.plotHeight, s.scale1Min, s.scale1Max);
  PlotState.pxPerUnit1 = PixelsPerUnit(ScreenLayout.plotHeight, s.scale2Min, s.scale2Max);
  ComputeGridInForce();
  SurveySettings.surveyModeChoice = kModeAuto;
  if (!StartRunLinks(main)) return;
  for (HWND button : AppWindows.menuButtons) ShowWindow(button, SW_HIDE);
  MainMenu.mode = 1;
  ShowWindow(AppWindows.loggingWnd, SW_SHOW);
}

void StartGpsMonitoring(HWND main) {
  // A line left from the last run is no line of the monitor's.
  GpsState.sentenceValid = 0;
  StartGpsMonitorLink();
  MainMenu.mode = 2;
  SetFocus(AppWindows.monitorGpsWnd);
  ShowWindow(AppWindows.monitorGpsWnd, SW_SHOW);
  InvalidateRect(main, nullptr, TRUE);
  SetFocus(AppWindows.monitorGpsWnd);
}

}  // namespace desktop
