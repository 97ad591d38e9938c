// The reading path of a running handheld program on the real clock: a meter frame's bytes are fed
// into the virtual port of COM1, and the time runs until its reading record has been appended to
// the data file (the reader's framing, the send to the logging window, the handler's decode,
// record, texts and plot). One reading per frame (interval 0.1 s). Target: p99 < 1 ms.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "driver/scripted_survey.h"
#include "engine/state.h"
#include "engine/timing.h"
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
  std::vector<double> us;
  long i = 0;
  for (auto _ : state) {
    const std::string frame = frames.Frame(i++ % 5000);
    const uint64_t before = SurveyRun.dataFile.Size();
    // Wait out the frame gap a real instrument leaves, so the reader is blocked in its read again.
    const auto gap = Clock::now() + std::chrono::microseconds(300);
    while (Clock::now() < gap) {
    }
    const auto t0 = Clock::now();
    g_port->Feed(frame);
    const auto limit = t0 + std::chrono::seconds(2);
    while (SurveyRun.dataFile.Size() < before + 24 && Clock::now() < limit) {
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    if (SurveyRun.dataFile.Size() < before + 24) {
      state.SkipWithError("a frame made no record within 2 s");
      break;
    }
    state.SetIterationTime(elapsed);
    us.push_back(elapsed * 1e6);
  }
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  state.counters["p50_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
  state.counters["max_us"] = us.back();
}
BENCHMARK(BM_FrameToRecord)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_ready = StartLogging();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::fflush(stdout);
  // The program's threads (the keep-alive thread sleeps for a minute) are left to the exit.
  _exit(g_ready ? 0 : 1);
}
