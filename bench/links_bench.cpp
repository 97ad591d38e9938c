// Framing and decoding instrument byte streams, as a reader thread and its reading handler do it:
// every byte through the framer, every accepted frame copied into LinkState.frame and decoded.
// The streams carry about 10% garbage between the frames. The target is 11.5 MB/s, a thousand
// times a 115200-baud line.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/build_config.h"
#include "engine/decoders.h"
#include "common/framers.h"
#include "engine/state.h"
#include "sim/instrument.h"
#include "sim/stream.h"

namespace {

constexpr long kFrames = 20000;
constexpr int kFramesPerBurst = 10;

// kFrames frames of the model with a garbage burst after every tenth, sized to make about a tenth
// of the bytes. The garbage holds no end mark and no frame start.
std::string Stream(int model, int burstBytes) {
  sim::InstrumentOptions o;
  o.model = model;
  o.ramp = true;
  sim::InstrumentStream frames(o);
  sim::Rng rng(5);
  std::string s;
  for (long i = 0; i < kFrames; ++i) {
    s += frames.Frame(i);
    if (i % kFramesPerBurst != kFramesPerBurst - 1) continue;
    for (int k = 0; k < burstBytes; ++k) {
      unsigned char b;
      do {
        b = static_cast<unsigned char>(rng.Below(256));
      } while (model == handheld::kModelRz27Mk2 ? b == 0xFF : b == '\r' || b == 'T');
      s.push_back(static_cast<char>(b));
    }
  }
  return s;
}

void UseModel(int model) {
  handheld::ResetEngineState();
  handheld::BuildSwitches b;
  b.modelIndex = model;
  handheld::FillBuildConfig(b);
}

// Every byte through the framer; every accepted frame kept and decoded.
template <class Framer, class Decode>
void RunStream(benchmark::State& state, int model, int burstBytes, Decode decode) {
  UseModel(model);
  const std::string bytes = Stream(model, burstBytes);
  long decoded = 0;
  for (auto _ : state) {
    Framer framer;
    for (char c : bytes) {
      if (framer.Push(static_cast<unsigned char>(c)) != survey::FrameStep::kAccepted) continue;
      memcpy(handheld::LinkState.frame, framer.Frame(), static_cast<size_t>(framer.FrameLength()));
      handheld::LinkState.frame[framer.FrameLength()] = 0;
      decode();
      ++decoded;
    }
  }
  if (decoded != kFrames * static_cast<long>(state.iterations())) state.SkipWithError("frames were lost");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kIsRate);
}

void BM_MeterStream(benchmark::State& state) {
  // 130 frame bytes and 14 of garbage in every ten frames.
  RunStream<survey::MeterFramer>(state, handheld::kModelRz12, 14, [] {
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
  RunStream<survey::Rz27Mk2Framer>(state, handheld::kModelRz27Mk2, 18, [] {
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
