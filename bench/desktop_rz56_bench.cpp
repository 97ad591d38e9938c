// The RZ56-MK2 reading path of a running desktop program on the real clock: once the run logs in
// Auto, each request the program sends is answered by feeding one frame into the virtual port of
// COM1, and the time runs from the frame's last byte until its reading record has been appended to
// the data file (the request reader's frame search, the send to the logging window, the
// conversion, the record, the texts and the strip chart's point). Target: p99 < 1 ms.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/testing.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "engine/build_config.h"
#include "engine/state.h"
#include "frame_latency.h"
#include "resources/resources.h"
#include "sim/rz56.h"
#include "ui/main_window.h"

namespace {

using namespace desktop;
using Clock = std::chrono::steady_clock;

std::shared_ptr<plat::test::VirtualPort> g_port;
std::atomic<bool> g_answer{true};     // before the measurement the requests are answered at once
std::atomic<int> g_requests{0};       // requests seen while the bench answers them itself
bool g_afterH = false;
bool g_ready = false;

std::string Frame(long i) {
  sim::Rz56Options o;
  o.tags = "T";
  o.current = 3000;
  o.ramp = true;
  return sim::Rz56Responder(o).Frame(i);
}

void Respond(unsigned char b) {
  if (g_afterH) {
    g_afterH = false;
    if (b == 'X' || b == 'W') g_port->Feed("OK");
    return;
  }
  if (b == 'H') {
    g_afterH = true;
  } else if (b == 'A') {
    if (g_answer) {
      g_port->Feed(Frame(0));
    } else {
      ++g_requests;
    }
  }
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
  const auto limit = Clock::now() + std::chrono::seconds(seconds);
  while (!done() && Clock::now() < limit) plat::test::WaitIdle(10);
  return done();
}

// Logging window, normalisation, Data File and GO, in Auto at the default 0.2 s.
bool StartLogging() {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  ResetEngineState();
  BuildSwitches b;
  b.modelIndex = kModelRz56Mk2;
  FillBuildConfig(b);
  RegisterDesktopResources();
  g_port = plat::test::AttachVirtualPort(1);
  plat::test::AttachVirtualPort(4);
  g_port->OnByte(Respond);
  plat::test::RunProgram(desktop::WinMain, plat::Profile::Desktop, {800, 574});
  if (!plat::test::WaitIdle()) return false;
  plat::test::KeyPress('L');
  if (!WaitFor([] { return MainMenu.mode == 1; }, 10)) return false;
  if (!WaitFor([] { return SurveyRun.acquisitionState == 1; }, 60)) return false;
  plat::test::ExpectSaveFile(L"BENCH");
  plat::test::KeyPress('F');
  if (!WaitFor([] { return SurveyRun.state.load() == kRunStandBy; }, 10)) return false;
  plat::test::KeyPress('G');
  if (!WaitFor([] { return SurveyRun.state.load() == kRunLogging; }, 10)) return false;
  g_answer = false;
  return true;
}

void BM_Rz56FrameToRecord(benchmark::State& state) {
  if (!g_ready) {
    state.SkipWithError("the program did not reach Logging");
    return;
  }
  bench::FrameLatencies latencies;
  long i = 0;
  for (auto _ : state) {
    // The next request: the reader then waits in its read for the answer.
    const int seen = g_requests.load();
    const auto limit = Clock::now() + std::chrono::seconds(2);
    while (g_requests.load() == seen && Clock::now() < limit) {
    }
    if (g_requests.load() == seen) {
      state.SkipWithError("no request within 2 s");
      break;
    }
    const std::string frame = Frame(++i);
    const bool recorded =
        latencies.MeasureFromLastByte(state, [] { return SurveyRun.dataFile.Size(); }, g_port, frame);
    if (!recorded) break;
  }
  latencies.Report(state);
}
// One answer per 200 ms request: 300 iterations take a minute.
BENCHMARK(BM_Rz56FrameToRecord)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

}  // namespace

int main(int argc, char** argv) { bench::RunOnProgram(argc, argv, StartLogging, g_ready); }
