// The desktop profile redraw in the standard layout (760 columns): the current line of the data
// file holds 10,000 RZ12 readings (with a GPS sentence every tenth reading), and one redraw walks
// back from the end over the 376 newest readings and draws their curves; the same for the RZ56-MK2
// strip chart. Target: < 20 ms.
#include <benchmark/benchmark.h>
#include <plat/testing.h>

#include <cstdio>
#include <cstring>

#include "engine/build_config.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "profile_screen.h"
#include "ui/logging.h"

namespace {

using namespace desktop;

bool WriteLine(int readings) {
  SurveyRun.dataFileName = "BENCH";
  if (!SurveyRun.dataFile.Create("C:\\BENCH.R12") || !WriteFileHeader() || !WriteLineHeader() || !WriteTimeRecord()) {
    return false;
  }
  for (int i = 0; i < readings; ++i) {
    char frame[16];
    snprintf(frame, sizeof frame, "T%c%+05d%+05d", 0x20, -1200 - 7 * (i % 50), 2000 + 60 * (i % 30));
    std::memcpy(LinkState.frame, frame, 13);
    LinkState.lastFrameTick = static_cast<uint32_t>(1000 + 200 * i);
    if (!WriteReadingRecord()) return false;
    if (i % 10 == 0 && !WriteGpsRecords("$GPGGA,140709.00,5000.0000,N,00100.000,W,1*4", 5, '@', '#')) return false;
  }
  return true;
}

void BM_DesktopRedrawProfile(benchmark::State& state) {
  plat::test::Reset(plat::Profile::Desktop, {800, 574});
  plat::test::UseTempRoot();
  ResetEngineState();
  FillBuildConfig(BuildSwitches{});
  SetDefaultSettings();
  HWND curve = test::OpenProfileScreen(384);
  PlotState.groupsPerStation = 1;
  SelectTraces();
  if (curve == nullptr || !WriteLine(10000)) {
    state.SkipWithError("cannot set up the plot and its data file");
    return;
  }
  // One checked redraw first: the newest 376 readings as one curve per plotted channel.
  plat::test::EnableDrawLog(true);
  RedrawProfile(curve);
  plat::test::EnableDrawLog(false);
  size_t points = 0;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) points += e.points.size();
  plat::test::ClearDrawLog();
  if (points != 2 * 376) {
    state.SkipWithError("the redraw did not draw the newest 376 readings of both channels");
    return;
  }
  for (auto _ : state) RedrawProfile(curve);
  ResetEngineState();
  plat::test::Reset();
}
BENCHMARK(BM_DesktopRedrawProfile)->Unit(benchmark::kMillisecond);

// The RZ56-MK2 strip chart: 10,000 readings on the current line, a nulling's four null records
// every 500th; one redraw converts and draws the newest 376 on four channels.
bool WriteRz56Line(int readings) {
  SurveyRun.dataFileName = "BENCH";
  if (!SurveyRun.dataFile.Create("C:\\BENCH.R56") || !WriteFileHeader() || !WriteLineHeader()) return false;
  const float offsets[4] = {966.66f, 966.66f, 966.66f, 966.66f};
  const float replaced[4] = {0, 0, 0, 0};
  for (int i = 0; i < readings; ++i) {
    const unsigned char frame[13] = {'T', 0, 0, static_cast<unsigned char>(100 + i % 50), 0, 100, 0, 80, 0, 60,
                                     0x0B, 0xB8, 0};
    std::memcpy(LinkState.frame, frame, sizeof frame);
    LinkState.lastRz56Tick = static_cast<uint32_t>(1000 + 200 * i);
    if (!WriteRz56Reading()) return false;
    if (i % 500 == 499 && !WriteNullQcRecords(0, 1, offsets, replaced)) return false;
  }
  return true;
}

void BM_DesktopRedrawRz56Profile(benchmark::State& state) {
  plat::test::Reset(plat::Profile::Desktop, {800, 574});
  plat::test::UseTempRoot();
  ResetEngineState();
  BuildSwitches b;
  b.modelIndex = kModelRz56Mk2;
  FillBuildConfig(b);
  SetDefaultSettings();
  HWND curve = test::OpenProfileScreen(384);
  if (curve == nullptr || !WriteRz56Line(10000)) {
    state.SkipWithError("cannot set up the plot and its data file");
    return;
  }
  plat::test::EnableDrawLog(true);
  RedrawRz56Profile(curve);
  plat::test::EnableDrawLog(false);
  size_t points = 0;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) points += e.points.size();
  plat::test::ClearDrawLog();
  if (points != 4 * 376) {
    state.SkipWithError("the redraw did not draw the newest 376 readings of the four channels");
    return;
  }
  for (auto _ : state) RedrawRz56Profile(curve);
  ResetEngineState();
  plat::test::Reset();
}
BENCHMARK(BM_DesktopRedrawRz56Profile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
