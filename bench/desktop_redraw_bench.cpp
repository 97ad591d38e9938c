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

// Sets up the build's plot in the standard layout, writes its line, checks one redraw's points,
// then times the redraw.
template <typename WriteLine, typename Redraw>
void TimeRedraw(benchmark::State& state, int32_t model, WriteLine&& writeLine, Redraw&& redraw, size_t points,
                const char* wrongPoints) {
  plat::test::Reset(plat::Profile::Desktop, {800, 574});
  plat::test::UseTempRoot();
  ResetEngineState();
  BuildSwitches b;
  b.modelIndex = model;
  FillBuildConfig(b);
  SetDefaultSettings();
  HWND curve = test::OpenProfileScreen(384);
  PlotState.groupsPerStation = 1;
  SelectTraces();
  if (curve == nullptr || !writeLine(10000)) {
    state.SkipWithError("cannot set up the plot and its data file");
    return;
  }
  plat::test::EnableDrawLog(true);
  redraw(curve);
  plat::test::EnableDrawLog(false);
  size_t drawn = 0;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) drawn += e.points.size();
  plat::test::ClearDrawLog();
  if (drawn != points) {
    state.SkipWithError(wrongPoints);
    return;
  }
  for (auto _ : state) redraw(curve);
  ResetEngineState();
  plat::test::Reset();
}

// One checked redraw first: the newest 376 readings as one curve per plotted channel.
void BM_DesktopRedrawProfile(benchmark::State& state) {
  TimeRedraw(state, kModelRz12, WriteLine, RedrawProfile, 2 * 376,
             "the redraw did not draw the newest 376 readings of both channels");
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
  TimeRedraw(state, kModelRz56Mk2, WriteRz56Line, RedrawRz56Profile, 4 * 376,
             "the redraw did not draw the newest 376 readings of the four channels");
}
BENCHMARK(BM_DesktopRedrawRz56Profile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
