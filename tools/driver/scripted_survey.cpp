#include "driver/scripted_survey.h"

#include <plat/testing.h>

#include <memory>

#include "engine/readers.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "resources/resources.h"
#include "shell/shell.h"

namespace survey {

namespace {

using handheld::AppWindows;
using handheld::LoggingButtons;
using handheld::SurveyRun;
using handheld::SurveySettings;

struct App {
  const char* name;
  handheld::BuildSwitches switches;
};
constexpr App kApps[] = {
#define HANDHELD_APP(name, model, zolOption, storageRoot, rz27Scale10, rz27Mk2Diagnostics) \
  {name, {model, zolOption, storageRoot, rz27Scale10, rz27Mk2Diagnostics}},
#include "apps/app_list.h"
#undef HANDHELD_APP
};

bool IsReading(UINT msg) {
  return msg == handheld::WM_READING || msg == handheld::WM_ZOL12_READING || msg == handheld::WM_RZ27MK2_READING;
}

// Presses a logging-window button as its click does (call on the UI thread).
void PressButton(HWND button) {
  SendMessageW(AppWindows.loggingWnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

HWND PauseButton() {
  return LoggingButtons.pause[handheld::PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)];
}

HWND MainWindow() { return FindWindowW(L"RZ56", nullptr); }

HWND LoggingWindow() { return AppWindows.loggingWnd; }

// Reading records in the data file from byte *from to its end (UI thread).
int ReadingsWritten(uint64_t* from) {
  return ReadingsWrittenSince(SurveyRun.dataFile, static_cast<uint32_t>(handheld::RecordLength()),
                              handheld::IsReadingTag, from);
}

}  // namespace

bool AppSwitches(const std::string& name, handheld::BuildSwitches* out) {
  for (const App& a : kApps) {
    if (name == a.name) {
      *out = a.switches;
      return true;
    }
  }
  return false;
}

std::vector<std::string> HandheldAppNames() {
  std::vector<std::string> names;
  for (const App& a : kApps) names.emplace_back(a.name);
  return names;
}

int RecordedReadings() {
  uint64_t from = 0;
  return ReadingsWritten(&from);
}

bool StartProgram(const handheld::BuildSwitches& build, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before) {
  handheld::FillBuildConfig(build);
  handheld::RegisterHandheldResources();
  *program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, {320, 240});
  return AwaitStartScreen(MainWindow, limitMs, before);
}

bool MonitorLog(DWORD limitMs) {
  if (!KeyTo(MainWindow, 'L', limitMs)) return false;
  // Keys go to the logging window once it has the focus, which it takes as it is first painted.
  return WaitFor(
      [] {
        return SurveyRun.runActive == 1 && IsWindowVisible(AppWindows.loggingWnd) && GetFocus() == AppWindows.loggingWnd;
      },
      limitMs);
}

bool CreateDataFile(const std::wstring& name, std::wstring* path, DWORD limitMs) {
  plat::test::OnModal(plat::test::ModalKind::OpenSave, L"", [name](plat::test::ModalContext& ctx) {
    ctx.ChooseFile(name.empty() ? ctx.Text() : name);
  });
  if (!KeyTo(LoggingWindow, 'C', limitMs)) return false;
  return WaitFor(
      [path] {
        if (SurveyRun.state != handheld::kRunStandBy) return false;
        *path = SurveyRun.dataFilePath;
        return true;
      },
      limitMs);
}

namespace {

// Go in one piece of UI-thread work with the data file's size, from which the stretch's readings
// are counted.
bool GoFrom(uint64_t* from, DWORD limitMs) {
  plat::test::OnUiThread([from] {
    *from = SurveyRun.dataFile.Size();
    PressButton(LoggingButtons.standBy[0]);
    return LRESULT{0};
  });
  return WaitFor([] { return SurveyRun.state == handheld::kRunLogging; }, limitMs);
}

}  // namespace

bool Go(int* recordedAtGo, DWORD limitMs) {
  plat::test::OnUiThread([recordedAtGo] {
    *recordedAtGo = RecordedReadings();
    return LRESULT{0};
  });
  uint64_t from = 0;
  return GoFrom(&from, limitMs);
}

int LoggingStretch(int readings, DWORD limitMs, std::string* failure) {
  StretchHooks hooks;
  uint64_t from = 0;
  plat::test::OnUiThread([&hooks] {
    hooks.port = SurveySettings.instrumentPort;
    return LRESULT{0};
  });
  if (!GoFrom(&from, limitMs)) {
    if (failure) *failure = Shown() + "Go did not start Logging";
    return -1;
  }
  // The data file read up to here (UI thread).
  const auto read = std::make_shared<uint64_t>(from);
  hooks.isReading = [](HWND hwnd, UINT msg) { return hwnd == AppWindows.loggingWnd && IsReading(msg); };
  hooks.recordedSince = [read] { return ReadingsWritten(read.get()); };
  hooks.pause = [] { PressButton(PauseButton()); };
  hooks.logging = [] { return SurveyRun.state == handheld::kRunLogging; };
  hooks.standBy = [] { return SurveyRun.state == handheld::kRunStandBy; };
  return WatchStretch(hooks, readings, limitMs, failure);
}

bool NewStation(const std::wstring& station, DWORD limitMs) {
  plat::test::ExpectDialog(L"New Station", [station](plat::test::ModalContext& ctx) {
    ctx.SetText(865, station);
    ctx.ClickCaptionOk();
  });
  if (!KeyTo(LoggingWindow, 'N', limitMs)) return false;
  return ModalsSettled(limitMs);
}

bool ExitRun(bool asked, DWORD limitMs) {
  if (asked) plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  if (!KeyTo(LoggingWindow, 'X', limitMs)) return false;
  return WaitFor([] { return SurveyRun.runActive == 0; }, limitMs);
}

int ExitProgram(HANDLE program, DWORD limitMs) {
  if (!KeyTo(MainWindow, 'X', limitMs)) return -1;
  return plat::test::Wait(program, limitMs);
}

namespace {

// After a failed step: pause when Logging, so the data file ends with its pause; Exit answered Yes
// while the run is on; then the main menu's Exit.
void EndAfterFailure(HANDLE program, DWORD limitMs) {
  // 0 no run, 1 a run without a data file (Exit asks nothing), 2 one with a data file.
  const LRESULT run = plat::test::OnUiThread([] {
    if (SurveyRun.state == handheld::kRunLogging) PressButton(PauseButton());
    return LRESULT{SurveyRun.runActive != 1 ? 0 : SurveyRun.state == handheld::kRunMonitor ? 1 : 2};
  });
  if (run != 0) ExitRun(run == 2, limitMs);
  ExitProgram(program, limitMs);
}

}  // namespace

ScriptOutcome RunScriptedSurvey(const handheld::BuildSwitches& build, const ScriptOptions& o,
                                const std::function<void()>& before) {
  ProgramSteps steps;
  steps.runStart = "Monitor/Log";
  steps.start = [&build, &before](HANDLE* program, DWORD limitMs) { return StartProgram(build, program, limitMs, before); };
  steps.startRun = MonitorLog;
  steps.createDataFile = CreateDataFile;
  steps.stretch = LoggingStretch;
  steps.newStation = NewStation;
  steps.exitRun = ExitRun;
  steps.exitProgram = ExitProgram;
  steps.endAfterFailure = EndAfterFailure;
  return RunScript(steps, o);
}

}  // namespace survey
