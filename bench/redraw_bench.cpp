// The profile redraw on a landscape plot: the current line of the data file holds 10,000 RZ12
// readings (with a GPS sentence every tenth reading), and one redraw walks back from the end over
// the 136 newest readings and draws their curves. Target: < 20 ms.
#include <benchmark/benchmark.h>
#include <plat/testing.h>

#include <cstdio>
#include <cstring>

#include "engine/build_config.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "plot_test_support.h"

namespace {

using namespace handheld;

bool WriteLine(int readings) {
  if (!SurveyRun.dataFile.Create(L"\\BENCH.R12") || !WriteFileHeader() || !WriteLineHeader() ||
      !WriteTimeRecord()) {
    return false;
  }
  for (int i = 0; i < readings; ++i) {
    char frame[16];
    snprintf(frame, sizeof frame, "T(%+05d%+05d", -1200 - 7 * (i % 50), 2000 + 60 * (i % 30));
    std::memcpy(LinkState.frame, frame, 13);
    LinkState.lastFrameTick = static_cast<uint32_t>(1000 + 200 * i);
    if (!WriteReadingRecord()) return false;
    if (i % 10 == 0 && !WriteGpsRecords("$GPGGA,140709.00,5000.0000,N,00100.000,W,1*4", 5, '@', '#')) return false;
  }
  return true;
}

void BM_RedrawProfile(benchmark::State& state) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  plat::test::UseTempRoot();
  ResetEngineState();
  FillBuildConfig(BuildSwitches{});
  const test::PlotScreen screen = test::OpenPlotScreen(false, 188);
  SetDefaultSettings();
  SelectTraces();
  if (screen.curve == nullptr || !WriteLine(10000)) {
    state.SkipWithError("cannot set up the plot and its data file");
    return;
  }
  // One checked redraw first: the newest 136 readings as one curve per plotted channel.
  plat::test::EnableDrawLog(true);
  RedrawProfile(screen.curve);
  plat::test::EnableDrawLog(false);
  size_t points = 0;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) points += e.points.size();
  plat::test::ClearDrawLog();
  if (points != 2 * 136) {
    state.SkipWithError("the redraw did not draw the newest 136 readings of both channels");
    return;
  }
  for (auto _ : state) RedrawProfile(screen.curve);
  ResetEngineState();
  plat::test::Reset();
}
BENCHMARK(BM_RedrawProfile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
