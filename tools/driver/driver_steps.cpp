#include "driver/driver_steps.h"

#include <plat/testing.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/record_fields.h"

namespace survey {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The last box or dialog that no step expected, as "CAPTION: TEXT" on one line; empty when there
// was none.
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

// What a logging stretch shares with the hook that sees each reading handled.
struct Stretch {
  int target = 0;
  std::mutex mutex;
  std::condition_variable changed;
  int recorded = 0;     // under mutex
  bool paused = false;  // under mutex
};

}  // namespace

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

bool AwaitStartScreen(const std::function<HWND()>& startScreen, DWORD limitMs, const std::function<void()>& before) {
  if (!WaitFor([&startScreen] { return startScreen() != nullptr && IsWindowVisible(startScreen()) != FALSE; }, limitMs)) {
    return false;
  }
  if (before) {
    plat::test::OnUiThread([&before] {
      before();
      return LRESULT{0};
    });
  }
  return true;
}

bool KeyTo(const std::function<HWND()>& window, int vk, DWORD limitMs) {
  if (!WaitFor([&window] { return GetFocus() == window(); }, limitMs)) return false;
  plat::test::KeyPress(vk);
  return true;
}

std::string Shown() {
  const std::string modal = UnexpectedModal();
  return modal.empty() ? "" : "the program showed \"" + modal + "\"; ";
}

std::string HostPath(const std::wstring& path) {
  // A path without a leading separator (C_DRIVE\DATA89\X.R89) lies under the root all the same;
  // a drive letter (the desktop's C:\X.R12) is a folder of the root.
  std::string out = plat::DriveRoot();
  std::wstring rest = path;
  if (rest.size() >= 2 && rest[1] == L':') {
    out += '/';
    out += static_cast<char>(rest[0]);
    rest.erase(0, 2);
  }
  if (rest.empty() || rest[0] != L'\\') out += '/';
  for (wchar_t c : rest) out += c == L'\\' ? '/' : static_cast<char>(c);
  return out;
}

std::string NothingIn(DWORD limitMs) { return "nothing in " + std::to_string(limitMs / 1000) + " s"; }

bool ModalsSettled(DWORD limitMs) {
  return WaitFor([] { return plat::test::PendingExpectations() == 0 && plat::test::ModalStack().empty(); }, limitMs);
}

std::string ComName(int port) { return "COM" + std::to_string(port + 1); }

int ReadingsWrittenSince(DataFile& file, uint32_t length, bool (*isReadingTag)(unsigned char), uint64_t* from) {
  unsigned char buf[kRecordMax * 256];
  int n = 0;
  for (;;) {
    const uint64_t end = file.Size();
    if (*from + length > end) return n;
    const auto want = static_cast<uint32_t>(std::min<uint64_t>(end - *from, sizeof buf / length * length));
    uint32_t got = 0;
    if (!file.ReadAt(*from, buf, want, &got) || got < length) return n;
    got -= got % length;
    for (uint32_t at = 0; at < got; at += length) n += isReadingTag(buf[at]) ? 1 : 0;
    *from += got;
  }
}

int WatchStretch(const StretchHooks& hooks, int readings, DWORD limitMs, std::string* failure) {
  auto fail = [failure](const std::string& what) {
    if (failure) *failure = what;
    return -1;
  };
  const auto s = std::make_shared<Stretch>();
  s->target = readings;
  // After each reading handed over, while the reader waits: count what the handler recorded and,
  // at the last reading wanted, pause before the next one comes.
  plat::test::OnSendHandled([s, hooks](HWND hwnd, UINT msg) {
    if (!hooks.isReading(hwnd, msg) || !hooks.logging()) return;
    const int n = hooks.recordedSince();
    if (n == 0) return;
    bool pause = false;
    {
      std::lock_guard<std::mutex> lock(s->mutex);
      if (s->paused) return;
      s->recorded += n;
      pause = s->paused = s->recorded >= s->target;
    }
    if (pause) hooks.pause();
    s->changed.notify_all();
  });
  // Wakes on every reading, and every quarter second to see whether the run is still Logging.
  int seen = 0;
  auto lastProgress = Clock::now();
  std::string stopped;
  const std::string port = ComName(hooks.port);
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
    const bool logging = plat::test::OnUiThread([&hooks] { return LRESULT{hooks.logging() ? 1 : 0}; }) == 1;
    const std::string counted = std::to_string(seen) + " of " + std::to_string(readings) + " readings";
    if (!logging) {
      stopped = Shown() + "Logging ended after " + counted + ": is the instrument connected to " + port + "?";
      break;
    }
    if (Clock::now() - lastProgress >= milliseconds(kReadingProgressLimitMs)) {
      const std::string quiet = std::to_string(kReadingProgressLimitMs / 1000) + " s";
      stopped = seen == 0 ? "no frames on " + port + " in " + quiet
                          : "no new reading on " + port + " after " + counted + " for " + quiet;
      stopped += ": is the instrument connected?";
      break;
    }
  }
  plat::test::OnSendHandled(nullptr);
  if (!stopped.empty()) return fail(stopped);
  if (!WaitFor(hooks.standBy, limitMs)) return fail(Shown() + "the pause did not return to Stand By");
  std::lock_guard<std::mutex> lock(s->mutex);
  return s->recorded;
}

ScriptOutcome RunScript(const ProgramSteps& steps, const ScriptOptions& o) {
  ScriptOutcome r;
  const DWORD limit = o.stepLimitMs;
  HANDLE program = nullptr;
  auto fail = [&](const std::string& step, const std::string& saw) {
    r.failure = step + ": " + saw;
    if (program != nullptr) steps.endAfterFailure(program, limit);
    return r;
  };
  const std::string late = NothingIn(limit);
  if (!steps.start(&program, limit)) return fail("the main menu did not come up", Shown() + late);
  if (!steps.startRun(limit)) return fail(std::string(steps.runStart) + " did not start a run", Shown() + late);
  if (!steps.createDataFile(o.fileName, &r.dataFilePath, limit)) {
    return fail("Create File did not open a data file", Shown() + late);
  }
  r.dataFileHostPath = HostPath(r.dataFilePath);
  if (steps.prepare) {
    r.failure = steps.prepare(limit);
    if (!r.failure.empty()) {
      steps.endAfterFailure(program, limit);
      return r;
    }
  }
  std::string saw;
  r.recordedFirst = steps.stretch(o.firstReadings, limit, &saw);
  if (r.recordedFirst < 0) return fail("the first stretch of readings did not complete", saw);
  if (!steps.newStation(o.newStation, limit)) return fail("the New Station dialog did not end", Shown() + late);
  r.recordedSecond = steps.stretch(o.secondReadings, limit, &saw);
  if (r.recordedSecond < 0) return fail("the second stretch of readings did not complete", saw);
  if (!o.screenshot.empty()) {
    const std::string path = o.screenshot;
    plat::test::OnUiThread([&path] { return LRESULT{plat::SaveScreenPng(path.c_str()) ? 1 : 0}; });
  }
  if (!steps.exitRun(true, limit)) return fail("Exit did not end the run", Shown() + late);
  r.exitCode = steps.exitProgram(program, limit);
  program = nullptr;
  if (r.exitCode != 0) return fail("the program did not end with 0", "it ended with " + std::to_string(r.exitCode));
  r.ok = true;
  return r;
}

}  // namespace survey
