#include "engine/state.h"

namespace desktop {

AppWindowsData AppWindows;
BuildConfigData BuildConfig;
GpsBoxFieldsData GpsBoxFields;
GpsBoxStateData GpsBoxState;
GpsMonitorData GpsMonitor;
GpsStateData GpsState;
LinkStateData LinkState;
MainMenuData MainMenu;
PlotStateData PlotState;
Rz27Mk2CalibrationData Rz27Mk2Calibration;
Rz56CalibrationData Rz56Calibration;
ScreenLayoutData ScreenLayout;
SurveyRunData SurveyRun;
SurveySettingsData SurveySettings;
TraceSetData TraceSet;
WatchdogData Watchdog;
WorkerThreadsData WorkerThreads;

void ResetEngineState() {
  ResetObject(AppWindows);
  ResetObject(BuildConfig);
  ResetObject(GpsBoxFields);
  ResetObject(GpsBoxState);
  ResetObject(GpsMonitor);
  ResetObject(GpsState);
  ResetObject(LinkState);
  ResetObject(MainMenu);
  ResetObject(PlotState);
  ResetObject(Rz27Mk2Calibration);
  ResetObject(Rz56Calibration);
  ResetObject(ScreenLayout);
  ResetObject(SurveyRun);
  ResetObject(SurveySettings);
  ResetObject(TraceSet);
  ResetObject(Watchdog);
  ResetObject(WorkerThreads);
}

}  // namespace desktop
