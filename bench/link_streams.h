// Instrument byte streams for the framing benchmarks of both programs, and the loop that frames
// them: every byte through the framer, every accepted frame handed to the program's keep-and-decode
// step. The streams carry about 10% garbage between the frames. The target is 11.5 MB/s, a
// thousand times a 115200-baud line.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "common/framers.h"
#include "sim/instrument.h"
#include "sim/stream.h"

namespace bench {

constexpr long kFrames = 20000;
constexpr int kFramesPerBurst = 10;
constexpr int kMk2Model = 7;

// kFrames frames of the model with a garbage burst after every tenth, sized to make about a tenth
// of the bytes. The garbage holds no end mark and no frame start.
inline std::string NoisyStream(int model, int burstBytes) {
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
      } while (model == kMk2Model ? b == 0xFF : b == '\r' || b == 'T');
      s.push_back(static_cast<char>(b));
    }
  }
  return s;
}

// Every byte through the framer; keep(frame, length) for every accepted frame.
template <class Framer, class Keep>
void RunStream(benchmark::State& state, const std::string& bytes, Keep keep) {
  long decoded = 0;
  for (auto _ : state) {
    Framer framer;
    for (char c : bytes) {
      if (framer.Push(static_cast<unsigned char>(c)) != survey::FrameStep::kAccepted) continue;
      keep(framer.Frame(), framer.FrameLength());
      ++decoded;
    }
  }
  if (decoded != kFrames * static_cast<long>(state.iterations())) state.SkipWithError("frames were lost");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kIsRate);
}

}  // namespace bench
