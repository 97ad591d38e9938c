// Framing, decoding and plotting instrument byte streams in the desktop program, as its reader
// threads and reading handlers do it: every byte through the framer, every accepted frame copied
// into LinkState.frame (with the hand-over's tick and count), decoded, and its channels turned into
// plot rows (link_streams.h). The ZOL12's frames go through their own framer and the meter decoder.
#include <benchmark/benchmark.h>

#include <string>

#include "common/frame_readers.h"
#include "engine/build_config.h"
#include "engine/decoders.h"
#include "engine/state.h"
#include "link_streams.h"

namespace {

static_assert(bench::kMk2Model == desktop::kModelRz27Mk2);

void UseModel(int model) {
  desktop::ResetEngineState();
  desktop::BuildSwitches b;
  b.modelIndex = model;
  desktop::FillBuildConfig(b);
}

template <class Framer, class Decode>
void Run(benchmark::State& state, int model, int burstBytes, Decode decode) {
  UseModel(model);
  bench::RunStream<Framer>(state, bench::NoisyStream(model, burstBytes), [&](const unsigned char* kept, int n) {
    survey::StoreFrame(desktop::LinkState.lastFrameTick, desktop::LinkState.frameCount, desktop::LinkState.frame, kept,
                       n);
    decode();
    int32_t rows[8];
    desktop::TracesToRows(rows);
    benchmark::DoNotOptimize(rows);
  });
}

void DecodeMeter() {
  float v1, v2;
  char dipole, marker;
  int16_t range;
  int32_t kind;
  uint16_t range2;
  desktop::DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2);
  benchmark::DoNotOptimize(v1);
}

void BM_DesktopMeterStream(benchmark::State& state) {
  // 130 frame bytes and 14 of garbage in every ten frames.
  Run<survey::MeterFramer>(state, desktop::kModelRz12, 14, DecodeMeter);
}
BENCHMARK(BM_DesktopMeterStream);

void BM_DesktopZol12Stream(benchmark::State& state) {
  // 80 frame bytes and 9 of garbage in every ten frames.
  Run<survey::Zol12Framer>(state, desktop::kModelZol12, 9, DecodeMeter);
}
BENCHMARK(BM_DesktopZol12Stream);

void BM_DesktopRz27Mk2Stream(benchmark::State& state) {
  // 160 frame bytes and 18 of garbage in every ten frames.
  Run<survey::Rz27Mk2Framer>(state, desktop::kModelRz27Mk2, 18, [] {
    float c1, i1, c05, i05, t1, t2;
    int32_t r1, r2, r3, r4, rt1, rt2;
    char dipole, marker;
    desktop::DecodeRz27Mk2Frame(c1, i1, c05, i05, r1, r2, r3, r4, t1, t2, rt1, rt2, dipole, marker);
    benchmark::DoNotOptimize(c1);
  });
}
BENCHMARK(BM_DesktopRz27Mk2Stream);

}  // namespace

BENCHMARK_MAIN();
