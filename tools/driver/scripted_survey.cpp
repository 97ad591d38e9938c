#include "driver/scripted_survey.h"

#include <plat/testing.h>

#include <chrono>
#include <thread>

#include "engine/readers.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "resources/resources.h"
#include "shell/shell.h"

namespace survey {

namespace {

using Clock = std::chrono::steady_clock;
using handheld::AppWindows;
using handheld::LoggingButtons;
using handheld::SurveyRun;
using handheld::SurveySettings;

struct App {
  const char* name;
  int32_t model;
  int32_t ice;
};
constexpr App kApps[] = {{"rz12wm", 0, 0},  {"zolwm", 0, 1},  {"rz27bwm", 1, 0},  {"rz27ddwm", 2, 0}, {"rz27wm", 3, 0},
                         {"rz45wm", 4, 0},  {"rz89wm", 5, 0}, {"zol12wm", 6, 0},  {"rz27mk2wm", 7, 0}};

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

// A key press for `window` once it has the keyboard focus; false when it never gets it.
bool KeyTo(HWND (*window)(), int vk, DWORD limitMs) {
  if (!WaitFor([window] { return GetFocus() == window(); }, limitMs)) return false;
  plat::test::KeyPress(vk);
  return true;
}
HWND LoggingWindow() { return AppWindows.loggingWnd; }

}  // namespace

bool AppSwitches(const std::string& name, handheld::BuildSwitches* out) {
  for (const App& a : kApps) {
    if (name == a.name) {
      *out = handheld::BuildSwitches{};
      out->modelIndex = a.model;
      out->zolOptionAvailable = a.ice;
      return true;
    }
  }
  return false;
}

bool WaitFor(const std::function<bool()>& done, DWORD limitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    if (plat::test::OnUiThread([&] { return LRESULT{done() ? 1 : 0}; }) == 1) return true;
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
}

int AnnouncedReadings() {
  int n = 0;
  for (const plat::test::SendInfo& s : plat::test::Sends()) n += s.hwnd == AppWindows.loggingWnd && IsReading(s.msg);
  return n;
}

bool StartProgram(const handheld::BuildSwitches& build, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before) {
  handheld::FillBuildConfig(build);
  handheld::RegisterHandheldResources();
  *program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, {320, 240});
  if (!WaitFor([] { return IsWindowVisible(MainWindow()) != FALSE; }, limitMs)) return false;
  if (before) {
    plat::test::OnUiThread([&before] {
      before();
      return LRESULT{0};
    });
  }
  return true;
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

bool Go(int* announcedAtGo, DWORD limitMs) {
  plat::test::OnUiThread([announcedAtGo] {
    *announcedAtGo = AnnouncedReadings();
    PressButton(LoggingButtons.standBy[0]);
    return LRESULT{0};
  });
  return WaitFor([] { return SurveyRun.state == handheld::kRunLogging; }, limitMs);
}

int LoggingStretch(int readings, DWORD limitMs) {
  int atGo = 0;
  if (!Go(&atGo, limitMs)) return -1;
  int recorded = -1;
  const bool paused = WaitFor(
      [&] {
        const int n = AnnouncedReadings() - atGo;
        if (n < readings) return false;
        PressButton(PauseButton());
        recorded = n;
        return true;
      },
      limitMs);
  if (!paused || !WaitFor([] { return SurveyRun.state == handheld::kRunStandBy; }, limitMs)) return -1;
  return recorded;
}

bool NewStation(const std::wstring& station, DWORD limitMs) {
  plat::test::ExpectDialog(L"New Station", [station](plat::test::ModalContext& ctx) {
    ctx.SetText(865, station);
    ctx.ClickCaptionOk();
  });
  if (!KeyTo(LoggingWindow, 'N', limitMs)) return false;
  return WaitFor([] { return plat::test::PendingExpectations() == 0 && plat::test::ModalStack().empty(); }, limitMs);
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

std::string HostPath(const std::wstring& path) {
  std::string out = plat::DriveRoot();
  for (wchar_t c : path) out += c == L'\\' ? '/' : static_cast<char>(c);
  return out;
}

ScriptOutcome RunScriptedSurvey(const handheld::BuildSwitches& build, const ScriptOptions& o,
                                const std::function<void()>& before) {
  ScriptOutcome r;
  auto fail = [&r](const char* step) {
    r.failure = step;
    return r;
  };
  const DWORD limit = o.stepLimitMs;
  HANDLE program = nullptr;
  if (!StartProgram(build, &program, limit, before)) return fail("the main menu did not come up");
  if (!MonitorLog(limit)) return fail("Monitor/Log did not start a run");
  if (!CreateDataFile(o.fileName, &r.dataFilePath, limit)) return fail("Create File did not open a data file");
  r.dataFileHostPath = HostPath(r.dataFilePath);
  r.recordedFirst = LoggingStretch(o.firstReadings, limit);
  if (r.recordedFirst < 0) return fail("the first stretch of readings did not complete");
  if (!NewStation(o.newStation, limit)) return fail("the New Station dialog did not end");
  r.recordedSecond = LoggingStretch(o.secondReadings, limit);
  if (r.recordedSecond < 0) return fail("the second stretch of readings did not complete");
  if (!o.screenshot.empty()) {
    const std::string path = o.screenshot;
    plat::test::OnUiThread([&path] { return LRESULT{plat::SaveScreenPng(path.c_str()) ? 1 : 0}; });
  }
  if (!ExitRun(true, limit)) return fail("Exit did not end the run");
  r.exitCode = ExitProgram(program, limit);
  if (r.exitCode != 0) return fail("the program did not end with 0");
  r.ok = true;
  return r;
}

}  // namespace survey
