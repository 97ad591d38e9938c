// Cost of one reading record: formatting it and appending it to the open data file.
#include <benchmark/benchmark.h>
#include <plat/testing.h>

#include <cstring>

#include "engine/build_config.h"
#include "engine/records.h"
#include "engine/state.h"

namespace {

void BM_WriteReadingRecord(benchmark::State& state) {
  plat::test::UseTempRoot();
  handheld::ResetEngineState();
  handheld::FillBuildConfig(handheld::BuildSwitches{});
  memcpy(handheld::LinkState.frame, "Tt -20000500", 12);
  if (!handheld::SurveyRun.dataFile.Create(L"\\BENCH.R12")) {
    state.SkipWithError("cannot create the data file");
    return;
  }
  uint32_t tick = 0;
  for (auto _ : state) {
    handheld::LinkState.lastFrameTick = ++tick;
    if (!handheld::WriteReadingRecord()) {
      state.SkipWithError("append failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * handheld::RecordLength());
  handheld::ResetEngineState();
  plat::test::Reset();
}
BENCHMARK(BM_WriteReadingRecord);

}  // namespace

BENCHMARK_MAIN();
