// The reading path of a running handheld program on the real clock: a meter frame's bytes are fed
// into the virtual port of COM1, and the time runs until its reading record has been appended to
// the data file (the reader's framing, the send to the logging window, the handler's decode,
// record, texts and plot). One reading per frame (interval 0.1 s). Target: p99 < 1 ms.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/testing.h>

#include <chrono>

#include "driver/scripted_survey.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "frame_latency.h"
#include "sim/instrument.h"

namespace {

using namespace handheld;
using Clock = std::chrono::steady_clock;

constexpr DWORD kStepLimitMs = 10000;

std::shared_ptr<plat::test::VirtualPort> g_port;
bool g_ready = false;

// The program runs once for all repetitions: Monitor/Log, Create File and Go.
bool StartLogging() {
  plat::test::UseTempRoot();
  g_port = plat::test::AttachVirtualPort(1);
  HANDLE program = nullptr;
  std::wstring path;
  int atGo = 0;
  return survey::StartProgram(BuildSwitches{}, &program, kStepLimitMs,
                              [] {
                                SurveySettings.readingInterval = 0.1f;
                                ComputeSampleDivisor();
                              }) &&
         survey::MonitorLog(kStepLimitMs) && survey::CreateDataFile(L"BENCH", &path, kStepLimitMs) &&
         survey::Go(&atGo, kStepLimitMs) && LinkState.sampleDivisor == 1;
}

void BM_FrameToRecord(benchmark::State& state) {
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
    const bool recorded = latencies.Measure(state, [] { return SurveyRun.dataFile.Size(); }, [&] {
      const auto t0 = Clock::now();
      g_port->Feed(frame);
      return t0;
    });
    if (!recorded) break;
  }
  latencies.Report(state);
}
BENCHMARK(BM_FrameToRecord)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

// The keep-alive thread sleeps for a minute; it is left to the exit with the others.
int main(int argc, char** argv) { bench::RunOnProgram(argc, argv, StartLogging, g_ready); }
