#include "driver/scripted_survey.h"

#include <plat/testing.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/readers.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "resources/resources.h"
#include "shell/shell.h"

namespace survey {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
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

// A key press for `window` once it has the keyboard focus; false when it never gets it.
bool KeyTo(HWND (*window)(), int vk, DWORD limitMs) {
  if (!WaitFor([window] { return GetFocus() == window(); }, limitMs)) return false;
  plat::test::KeyPress(vk);
  return true;
}
HWND LoggingWindow() { return AppWindows.loggingWnd; }

// Reading records in the data file from byte *from (a record boundary) to its end, which *from
// then holds (UI thread: the reading records are written there, whole).
int ReadingsWrittenSince(uint64_t* from) {
  const uint32_t length = static_cast<uint32_t>(handheld::RecordLength());
  unsigned char buf[handheld::kRecordMax * 256];
  int n = 0;
  for (;;) {
    const uint64_t end = SurveyRun.dataFile.Size();
    if (*from + length > end) return n;
    const auto want = static_cast<uint32_t>(std::min<uint64_t>(end - *from, sizeof buf / length * length));
    uint32_t got = 0;
    if (!SurveyRun.dataFile.ReadAt(*from, buf, want, &got) || got < length) return n;
    got -= got % length;
    for (uint32_t at = 0; at < got; at += length) n += handheld::IsReadingTag(buf[at]);
    *from += got;
  }
}

// The last box or dialog that no step expected (the layer cancelled it), as "CAPTION: TEXT" on
// one line; empty when there was none.
std::string UnexpectedModal() {
  const std::vector<plat::test::ModalRecord> log = plat::test::ModalLog();
  for (auto it = log.rbegin(); it != log.rend(); ++it) {
    using plat::test::ModalHandledBy;
    if (it->handledBy != ModalHandledBy::Policy && it->handledBy != ModalHandledBy::Unexpected) continue;
    std::string out;
    for (wchar_t c : it->caption + (it->text.empty() ? L"" : L": " + it->text)) {
      out += c == L'\n' || c == L'\r' ? ' ' : c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
  }
  return "";
}

// "the program showed "...": " after a step that failed, when the program showed what no step
// expected.
std::string Shown() {
  const std::string modal = UnexpectedModal();
  return modal.empty() ? "" : "the program showed \"" + modal + "\"; ";
}

std::string ComName(int port) { return "COM" + std::to_string(port + 1); }

// What a logging stretch shares with the hook that sees each reading handled.
struct Stretch {
  int target = 0;
  uint64_t from = 0;  // the data file read up to here (UI thread)
  std::mutex mutex;
  std::condition_variable changed;
  int recorded = 0;    // under mutex
  bool paused = false;  // under mutex
};

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

bool WaitFor(const std::function<bool()>& done, DWORD limitMs) {
  // Most outcomes show within a few milliseconds: a brisk poll for the first second, then one
  // that costs nothing beside the program.
  const auto start = Clock::now();
  const auto end = start + milliseconds(limitMs);
  for (;;) {
    if (plat::test::OnUiThread([&] { return LRESULT{done() ? 1 : 0}; }) == 1) return true;
    const auto now = Clock::now();
    if (now >= end) return false;
    const milliseconds pause(now - start < std::chrono::seconds(1) ? 5 : 50);
    std::this_thread::sleep_for(std::min<Clock::duration>(end - now, pause));
  }
}

int RecordedReadings() {
  uint64_t from = 0;
  return ReadingsWrittenSince(&from);
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
  auto fail = [failure](const std::string& what) {
    if (failure) *failure = what;
    return -1;
  };
  const auto s = std::make_shared<Stretch>();
  s->target = readings;
  int port = 0;
  plat::test::OnUiThread([&port] {
    port = SurveySettings.instrumentPort;
    return LRESULT{0};
  });
  if (!GoFrom(&s->from, limitMs)) return fail(Shown() + "Go did not start Logging");
  // After each reading handed over, while the reader waits: count what the handler recorded and,
  // at the last reading wanted, pause before the next one comes.
  plat::test::OnSendHandled([s](HWND hwnd, UINT msg) {
    if (hwnd != AppWindows.loggingWnd || !IsReading(msg) || SurveyRun.state != handheld::kRunLogging) return;
    const int n = ReadingsWrittenSince(&s->from);
    if (n == 0) return;
    bool pause = false;
    {
      std::lock_guard<std::mutex> lock(s->mutex);
      if (s->paused) return;
      s->recorded += n;
      pause = s->paused = s->recorded >= s->target;
    }
    if (pause) PressButton(PauseButton());
    s->changed.notify_all();
  });
  // Wakes on every reading, and every quarter second to see whether the run is still Logging.
  int seen = 0;
  auto lastProgress = Clock::now();
  std::string stopped;
  for (;;) {
    std::unique_lock<std::mutex> lock(s->mutex);
    s->changed.wait_for(lock, milliseconds(250), [&] { return s->paused || s->recorded != seen; });
    if (s->paused) break;
    if (s->recorded != seen) {
      seen = s->recorded;
      lastProgress = Clock::now();
      continue;
    }
    lock.unlock();
    const bool logging =
        plat::test::OnUiThread([] { return LRESULT{SurveyRun.state == handheld::kRunLogging}; }) == 1;
    const std::string counted = std::to_string(seen) + " of " + std::to_string(readings) + " readings";
    if (!logging) {
      stopped = Shown() + "Logging ended after " + counted + ": is the instrument connected to " + ComName(port) + "?";
      break;
    }
    if (Clock::now() - lastProgress >= milliseconds(kReadingProgressLimitMs)) {
      const std::string quiet = std::to_string(kReadingProgressLimitMs / 1000) + " s";
      stopped = seen == 0 ? "no frames on " + ComName(port) + " in " + quiet
                          : "no new reading on " + ComName(port) + " after " + counted + " for " + quiet;
      stopped += ": is the instrument connected?";
      break;
    }
  }
  plat::test::OnSendHandled(nullptr);
  if (!stopped.empty()) return fail(stopped);
  if (!WaitFor([] { return SurveyRun.state == handheld::kRunStandBy; }, limitMs)) {
    return fail(Shown() + "the pause did not return to Stand By");
  }
  std::lock_guard<std::mutex> lock(s->mutex);
  return s->recorded;
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
  // A path without a leading separator (C_DRIVE\DATA89\X.R89) lies under the root all the same.
  std::string out = plat::DriveRoot();
  if (path.empty() || path[0] != L'\\') out += '/';
  for (wchar_t c : path) out += c == L'\\' ? '/' : static_cast<char>(c);
  return out;
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
  ScriptOutcome r;
  const DWORD limit = o.stepLimitMs;
  HANDLE program = nullptr;
  auto fail = [&](const std::string& step, const std::string& saw) {
    r.failure = step + ": " + saw;
    if (program != nullptr) EndAfterFailure(program, limit);
    return r;
  };
  const std::string late = "nothing in " + std::to_string(limit / 1000) + " s";
  if (!StartProgram(build, &program, limit, before)) return fail("the main menu did not come up", Shown() + late);
  if (!MonitorLog(limit)) return fail("Monitor/Log did not start a run", Shown() + late);
  if (!CreateDataFile(o.fileName, &r.dataFilePath, limit)) {
    return fail("Create File did not open a data file", Shown() + late);
  }
  r.dataFileHostPath = HostPath(r.dataFilePath);
  std::string saw;
  r.recordedFirst = LoggingStretch(o.firstReadings, limit, &saw);
  if (r.recordedFirst < 0) return fail("the first stretch of readings did not complete", saw);
  if (!NewStation(o.newStation, limit)) return fail("the New Station dialog did not end", Shown() + late);
  r.recordedSecond = LoggingStretch(o.secondReadings, limit, &saw);
  if (r.recordedSecond < 0) return fail("the second stretch of readings did not complete", saw);
  if (!o.screenshot.empty()) {
    const std::string path = o.screenshot;
    plat::test::OnUiThread([&path] { return LRESULT{plat::SaveScreenPng(path.c_str()) ? 1 : 0}; });
  }
  if (!ExitRun(true, limit)) return fail("Exit did not end the run", Shown() + late);
  r.exitCode = ExitProgram(program, limit);
  program = nullptr;
  if (r.exitCode != 0) return fail("the program did not end with 0", "it ended with " + std::to_string(r.exitCode));
  r.ok = true;
  return r;
}

}  // namespace survey
