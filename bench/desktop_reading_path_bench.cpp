// The reading path of a running rz12xp on the real clock: a meter frame's bytes are fed into the
// virtual port of COM1, and the time runs from its last byte until its reading record has been
// appended to the data file (the reader's framing, the send to the logging window, the handler's
// decode, record, counters, texts and plot). One reading per frame (interval 0.1 s). Target: p99
// < 1 ms.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/testing.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "engine/build_config.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "frame_latency.h"
#include "resources/resources.h"
#include "sim/instrument.h"
#include "ui/main_window.h"

namespace {

using namespace desktop;
using Clock = std::chrono::steady_clock;

constexpr auto kStepLimit = std::chrono::seconds(10);

std::shared_ptr<plat::test::VirtualPort> g_port;
bool g_ready = false;

// Polls done on the UI thread until it holds or the limit passes.
bool WaitFor(const std::function<bool()>& done) {
  const auto end = Clock::now() + kStepLimit;
  while (plat::test::OnUiThread([&] { return LRESULT{done() ? 1 : 0}; }) != 1) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A key for the window once it has the focus.
bool KeyTo(HWND window, int vk) {
  if (!WaitFor([window] { return GetFocus() == window; })) return false;
  plat::test::KeyPress(vk);
  return true;
}

// The program runs once for all repetitions: Logging, Data File and GO, with GPS off.
bool StartLogging() {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  g_port = plat::test::AttachVirtualPort(1);
  BuildSwitches build;
  build.modelIndex = kModelRz12;
  FillBuildConfig(build);
  RegisterDesktopResources();
  plat::test::RunProgram(desktop::WinMain, plat::Profile::Desktop, {800, 574});
  if (!WaitFor([] { return AppWindows.mainWnd != nullptr && IsWindowVisible(AppWindows.mainWnd) != FALSE; })) {
    return false;
  }
  plat::test::OnUiThread([] {
    SurveySettings.gpsEnabled = 0;
    SurveySettings.readingInterval = 0.1f;
    ComputeSampleDivisor();
    return LRESULT{0};
  });
  if (!KeyTo(AppWindows.mainWnd, 'L') || !WaitFor([] { return MainMenu.mode == 1; })) return false;
  plat::test::ExpectSaveFile(L"BENCH");
  if (!KeyTo(AppWindows.loggingWnd, 'F') || !WaitFor([] { return SurveyRun.state.load() == kRunStandBy; })) {
    return false;
  }
  if (!KeyTo(AppWindows.loggingWnd, 'G') || !WaitFor([] { return SurveyRun.state.load() == kRunLogging; })) {
    return false;
  }
  return SurveyRun.framesPerReading.load() == 1;
}

void BM_Rz12xpFrameToRecord(benchmark::State& state) {
  if (!g_ready) {
    state.SkipWithError("the program did not reach Logging");
    return;
  }
  sim::InstrumentOptions o;
  o.ramp = true;
  const sim::InstrumentStream frames(o);
  bench::FrameLatencies latencies;
  long i = 0;
  for (auto _ : state) {
    const std::string frame = frames.Frame(i++ % 5000);
    const bool recorded =
        latencies.MeasureFromLastByte(state, [] { return SurveyRun.dataFile.Size(); }, g_port, frame);
    if (!recorded) break;
  }
  latencies.Report(state);
}
BENCHMARK(BM_Rz12xpFrameToRecord)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

int main(int argc, char** argv) { bench::RunOnProgram(argc, argv, StartLogging, g_ready); }
