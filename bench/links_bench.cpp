// Framing and decoding instrument byte streams in the handheld program, as a reader thread and its
// reading handler do it: every byte through the framer, every accepted frame copied into
// LinkState.frame and decoded (link_streams.h).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/build_config.h"
#include "engine/decoders.h"
#include "engine/state.h"
#include "link_streams.h"

namespace {

static_assert(bench::kMk2Model == handheld::kModelRz27Mk2);

void UseModel(int model) {
  handheld::ResetEngineState();
  handheld::BuildSwitches b;
  b.modelIndex = model;
  handheld::FillBuildConfig(b);
}

template <class Framer, class Decode>
void Run(benchmark::State& state, int model, int burstBytes, Decode decode) {
  UseModel(model);
  bench::RunStream<Framer>(state, bench::NoisyStream(model, burstBytes), [&](const unsigned char* kept, int n) {
    memcpy(handheld::LinkState.frame, kept, static_cast<size_t>(n));
    handheld::LinkState.frame[n] = 0;
    decode();
  });
}

void BM_MeterStream(benchmark::State& state) {
  // 130 frame bytes and 14 of garbage in every ten frames.
  Run<survey::MeterFramer>(state, handheld::kModelRz12, 14, [] {
    float v1, v2;
    char dipole, marker;
    int16_t range;
    int32_t kind, battery;
    uint16_t range2;
    handheld::DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2, battery);
    benchmark::DoNotOptimize(v1);
  });
}
BENCHMARK(BM_MeterStream);

void BM_Rz27Mk2Stream(benchmark::State& state) {
  // 160 frame bytes and 18 of garbage in every ten frames.
  Run<survey::Rz27Mk2Framer>(state, handheld::kModelRz27Mk2, 18, [] {
    float c1, i1, c05, i05, t1, t2;
    int32_t r1, r2, r3, r4, rt1, rt2;
    char dipole, marker;
    handheld::DecodeRz27Mk2Frame(c1, i1, c05, i05, r1, r2, r3, r4, t1, t2, rt1, rt2, dipole, marker);
    benchmark::DoNotOptimize(c1);
  });
}
BENCHMARK(BM_Rz27Mk2Stream);

}  // namespace

BENCHMARK_MAIN();
