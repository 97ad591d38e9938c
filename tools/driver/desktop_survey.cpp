#include "driver/desktop_survey.h"

#include <plat/testing.h>

#include <memory>

#include "common/model_numbers.h"
#include "common/record_fields.h"
#include "common/rz27mk2_reading.h"
#include "engine/build_config.h"
#include "engine/messages.h"
#include "engine/records.h"
#include "engine/rz56_frames.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "resources/resources.h"
#include "ui/logging.h"
#include "ui/main_window.h"

namespace survey::desktop_driver {

namespace {

using desktop::AppWindows;
using desktop::LoggingButtons;
using desktop::MainMenu;
using desktop::Rz27Mk2Calibration;
using desktop::Rz56Calibration;
using desktop::SurveyRun;
using desktop::SurveySettings;

struct App {
  const char* name;
  desktop::BuildSwitches switches;
};
constexpr App kApps[] = {
#define DESKTOP_APP(name, model, gpsSimulator, smallLayout, monitorVariant) \
  {name, {model, gpsSimulator, smallLayout, monitorVariant}},
#include "apps/app_list.h"
#undef DESKTOP_APP
};

const App* Find(const std::string& name) {
  for (const App& a : kApps) {
    if (name == a.name) return &a;
  }
  return nullptr;
}

bool IsReading(UINT msg) {
  return msg == desktop::WM_READING || msg == desktop::WM_RZ27MK2_READING || msg == desktop::WM_RZ56_READING;
}

// Presses a logging-window button as its click does (call on the UI thread).
void PressButton(HWND button) {
  SendMessageA(AppWindows.loggingWnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

HWND MainWindow() { return AppWindows.mainWnd; }
HWND LoggingWindow() { return AppWindows.loggingWnd; }
HWND QcPanel() { return AppWindows.calibrateWnd; }

bool InState(int32_t state) { return SurveyRun.state == state; }
bool IsRz56Mk2() { return desktop::BuildConfig.modelIndex == kModelRz56Mk2; }

// Reading records in the data file from byte *from to its end (UI thread). An RZ56 reading record
// starts with its frame's tag, one of eight.
int ReadingsWritten(uint64_t* from) {
  return ReadingsWrittenSince(SurveyRun.dataFile, static_cast<uint32_t>(desktop::RecordLength()),
                              IsRz56Mk2() ? desktop::IsRz56Tag : IsReadingTag, from);
}

// The QC panel's wait for values, and the RZ27-MK2 calibration's for the horizontal mode.
constexpr DWORD kQcWaitMs = 60000;
constexpr DWORD kHorizontalWaitMs = 60000;

// A dialog of the logging window opened by `key`, handled by `handler`; true once it has ended.
bool DialogBy(int key, const std::wstring& title, plat::test::ModalHandler handler, DWORD limitMs) {
  plat::test::ExpectDialog(title, std::move(handler));
  if (!KeyTo(LoggingWindow, key, limitMs)) return false;
  return ModalsSettled(limitMs);
}

void EndAfterFailure(HANDLE program, DWORD limitMs) {
  // 0 no run, 1 a run without a data file (Exit asks nothing), 2 one with a data file.
  const LRESULT run = plat::test::OnUiThread([] {
    if (InState(desktop::kRunLogging)) PressButton(LoggingButtons.pause);
    return LRESULT{MainMenu.mode != 1 ? 0 : InState(desktop::kRunMonitor) ? 1 : 2};
  });
  if (run != 0) ExitRun(run == 2, limitMs);
  ExitProgram(program, limitMs);
}

}  // namespace

std::vector<std::string> AppNames() {
  std::vector<std::string> names;
  for (const App& a : kApps) names.emplace_back(a.name);
  return names;
}

bool IsApp(const std::string& name) { return Find(name) != nullptr; }

int AppModel(const std::string& name) {
  const App* a = Find(name);
  return a ? a->switches.modelIndex : -99;
}

bool IsMeterApp(const std::string& name) {
  const int model = AppModel(name);
  return model >= kModelRz12 && model <= kModelRz89;
}

void EnableGps() {
  SurveySettings.gpsEnabled = 1;
  SurveySettings.gpsPort = 3;
  desktop::LoadSaveSettings(1);
}

bool StartProgram(const std::string& app, HANDLE* program, DWORD limitMs, const std::function<void()>& before) {
  const App* a = Find(app);
  if (a == nullptr) return false;
  desktop::FillBuildConfig(a->switches);
  desktop::RegisterDesktopResources();
  *program = plat::test::RunProgram(desktop::WinMain, plat::Profile::Desktop,
                                    a->switches.smallLayout ? plat::test::Screen{240, 320} : plat::test::Screen{800, 574});
  return AwaitStartScreen(MainWindow, limitMs, before);
}

bool StartRun(DWORD limitMs) {
  if (!KeyTo(MainWindow, 'L', limitMs)) return false;
  return WaitFor(
      [] {
        return MainMenu.mode == 1 && IsWindowVisible(LoggingWindow()) != FALSE && GetFocus() == LoggingWindow() &&
               (!IsRz56Mk2() || SurveyRun.acquisitionState == 1);
      },
      limitMs);
}

bool CreateDataFile(const std::wstring& name, std::wstring* path, DWORD limitMs) {
  plat::test::OnModal(plat::test::ModalKind::OpenSave, L"Create Data File", [name](plat::test::ModalContext& ctx) {
    ctx.ChooseFile(name.empty() ? ctx.Text() : name);
  });
  if (!KeyTo(LoggingWindow, 'F', limitMs)) return false;
  return WaitFor(
      [path] {
        if (!InState(desktop::kRunStandBy)) return false;
        const std::string p = SurveyRun.dataFilePath;
        path->assign(p.begin(), p.end());
        return true;
      },
      limitMs);
}

int RecordedReadings() {
  uint64_t from = 0;
  return ReadingsWritten(&from);
}

bool Null(DWORD limitMs) {
  plat::test::ExpectMessageBox({L"NULLING", L"DO YOU WANT TO PERFORM NULLING", IDYES});
  if (!KeyTo(LoggingWindow, 'U', limitMs) || !ModalsSettled(limitMs)) return false;
  // The nulling runs for 50 readings after the Yes, then the run is back in the running state.
  return WaitFor([] { return SurveyRun.acquisitionState == -1; }, limitMs) &&
         WaitFor([] { return SurveyRun.acquisitionState == 1; }, limitMs);
}

std::string InternalQcCheck(const std::function<void()>& pressCoil, DWORD limitMs) {
  if (!KeyTo(LoggingWindow, 'I', limitMs) ||
      !WaitFor([] { return SurveyRun.acquisitionState == -3 && GetFocus() == QcPanel(); }, limitMs)) {
    return "the QC nulling did not end in the QC panel: " + Shown() + NothingIn(limitMs);
  }
  if (!KeyTo(QcPanel, VK_RETURN, limitMs) || !WaitFor([] { return Rz56Calibration.qcStep == 1; }, limitMs)) {
    return "OK did not start the QC panel's wait: " + Shown() + NothingIn(limitMs);
  }
  // The panel's first reading only arms the check, so the coil is pressed before one is judged.
  if (pressCoil) pressCoil();
  // The verdict shows, and its records are written, at the panel's next tick.
  const DWORD verdictLimit = limitMs + kQcWaitMs;
  if (!WaitFor([] { return Rz56Calibration.qcStep == 2 &&
                           (Rz56Calibration.qcResult == 2 || Rz56Calibration.qcRecordsWritten == 1); },
               verdictLimit)) {
    return "the QC panel showed no verdict: " + Shown() + NothingIn(verdictLimit);
  }
  const LRESULT verdict = plat::test::OnUiThread([] {
    return LRESULT{Rz56Calibration.qcResult == 2 ? 2 : Rz56Calibration.qcSecondsOrOk == 1 ? 1 : 0};
  });
  // OK on the verdict closes the panel, whatever it says.
  if (!KeyTo(QcPanel, VK_RETURN, limitMs) ||
      !WaitFor([] { return SurveyRun.acquisitionState == 1 && GetFocus() == LoggingWindow(); }, limitMs)) {
    return "OK did not close the QC panel: " + Shown() + NothingIn(limitMs);
  }
  if (verdict == 2) return "the QC check did not pass: CALIBRATION TIME OUT";
  if (verdict == 0) return "the QC check did not pass: CALIBRATION FAILED";
  return "";
}

std::string CalibrateRz27Mk2(DWORD limitMs) {
  plat::test::ExpectMessageBox({L"Calibration", L"Place  RZ27-MK2  on  Monopod", IDYES});
  if (!KeyTo(LoggingWindow, 'A', limitMs) || !ModalsSettled(limitMs) ||
      !WaitFor([] { return Rz27Mk2Calibration.active == -1; }, limitMs)) {
    return "Calibrate did not start a calibration: " + Shown() + NothingIn(limitMs);
  }
  // It ends on its completed screen or on a failure screen, each shown for 3 s; the horizontal
  // mode may take its minute to come.
  const DWORD endLimit = limitMs + kHorizontalWaitMs;
  if (!WaitFor([] { return Rz27Mk2Calibration.stage == kStageCompleted || Rz27Mk2Calibration.active == 0; },
               endLimit)) {
    return "the calibration did not end: " + Shown() + NothingIn(endLimit);
  }
  const bool completed =
      plat::test::OnUiThread([] { return LRESULT{Rz27Mk2Calibration.stage == kStageCompleted ? 1 : 0}; }) == 1;
  if (!WaitFor([] { return Rz27Mk2Calibration.active == 0 && GetFocus() == LoggingWindow(); }, limitMs)) {
    return "the calibration's last screen did not close: " + Shown() + NothingIn(limitMs);
  }
  return completed ? "" : "the calibration did not complete: was the instrument vertical, then horizontal?";
}

std::string PrepareInstrument(const std::function<void()>& pressCoil, DWORD limitMs) {
  if (IsRz56Mk2()) {
    if (!Null(limitMs)) return "the nulling did not end: " + Shown() + NothingIn(limitMs);
    return InternalQcCheck(pressCoil, limitMs);
  }
  if (desktop::BuildConfig.modelIndex == kModelRz27Mk2) return CalibrateRz27Mk2(limitMs);
  return "";
}

bool Go(DWORD limitMs) {
  plat::test::OnUiThread([] {
    PressButton(LoggingButtons.standBy[0]);
    return LRESULT{0};
  });
  return WaitFor([] { return InState(desktop::kRunLogging); }, limitMs);
}

bool Pause(DWORD limitMs) {
  plat::test::OnUiThread([] {
    if (InState(desktop::kRunLogging)) PressButton(LoggingButtons.pause);
    return LRESULT{0};
  });
  return WaitFor([] { return InState(desktop::kRunStandBy) && GetFocus() == LoggingWindow(); }, limitMs);
}

int LoggingStretch(int readings, DWORD limitMs, std::string* failure) {
  StretchHooks hooks;
  // Go in one piece of UI-thread work with the data file's size, from which the stretch's
  // readings are counted.
  const auto read = std::make_shared<uint64_t>(0);
  plat::test::OnUiThread([&hooks, read] {
    hooks.port = SurveySettings.instrumentPort;
    *read = SurveyRun.dataFile.Size();
    PressButton(LoggingButtons.standBy[0]);
    return LRESULT{0};
  });
  if (!WaitFor([] { return InState(desktop::kRunLogging); }, limitMs)) {
    if (failure) *failure = Shown() + "GO did not start Logging";
    return -1;
  }
  hooks.isReading = [](HWND hwnd, UINT msg) { return hwnd == AppWindows.loggingWnd && IsReading(msg); };
  hooks.recordedSince = [read] { return ReadingsWritten(read.get()); };
  hooks.pause = [] { PressButton(LoggingButtons.pause); };
  hooks.logging = [] { return InState(desktop::kRunLogging); };
  // The pause gives the focus back to the logging window last.
  hooks.standBy = [] { return InState(desktop::kRunStandBy) && GetFocus() == LoggingWindow(); };
  return WatchStretch(hooks, readings, limitMs, failure);
}

bool NewStation(const std::wstring& station, DWORD limitMs) {
  return DialogBy('N', L"New Station", [station](plat::test::ModalContext& ctx) {
    ctx.SetText(1183, station);
    ctx.Click(IDOK);
  }, limitMs);
}

bool NewLine(DWORD limitMs) {
  return DialogBy('L', L"New Survey Line", [](plat::test::ModalContext& ctx) { ctx.Click(IDOK); }, limitMs);
}

bool Comment(const std::wstring& text, DWORD limitMs) {
  return DialogBy('C', L"Enter Comment", [text](plat::test::ModalContext& ctx) {
    ctx.SetText(1187, text);
    ctx.Click(IDOK);
  }, limitMs);
}

bool ExitRun(bool asked, DWORD limitMs) {
  if (asked) plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  if (!KeyTo(LoggingWindow, 'X', limitMs)) return false;
  return WaitFor([] { return MainMenu.mode == 0 && InState(desktop::kRunMonitor) && !IsWindowVisible(LoggingWindow()); },
                 limitMs);
}

int ExitProgram(HANDLE program, DWORD limitMs) {
  if (!KeyTo(MainWindow, 'X', limitMs)) return -1;
  return plat::test::Wait(program, limitMs);
}

ScriptOutcome RunScriptedSurvey(const std::string& app, const ScriptOptions& o, const std::function<void()>& before,
                                const std::function<void()>& pressCoil) {
  ProgramSteps steps;
  steps.runStart = "Logging";
  steps.start = [&app, &before](HANDLE* program, DWORD limitMs) { return StartProgram(app, program, limitMs, before); };
  steps.startRun = StartRun;
  steps.createDataFile = CreateDataFile;
  steps.prepare = [&pressCoil](DWORD limitMs) { return PrepareInstrument(pressCoil, limitMs); };
  steps.stretch = LoggingStretch;
  steps.newStation = NewStation;
  steps.exitRun = ExitRun;
  steps.exitProgram = ExitProgram;
  steps.endAfterFailure = EndAfterFailure;
  return RunScript(steps, o);
}

}  // namespace survey::desktop_driver
