// The measuring of the reading-path benchmarks on the real clock: each iteration waits out the
// frame gap a real instrument leaves, feeds a frame and times it until its reading record has been
// appended to the data file; the run reports the median, the 99th percentile and the maximum.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

class FrameLatencies {
 public:
  using Clock = std::chrono::steady_clock;

  // One iteration: 300 us of frame gap (so the reader is blocked in its read again), then feed()
  // sends the frame and returns the instant the time runs from; the time ends when fileSize() has
  // grown by one record of recordBytes. False, with the benchmark stopped on an error, when no
  // record comes within 2 s.
  template <class FileSize, class Feed>
  bool Measure(benchmark::State& state, FileSize fileSize, Feed feed, uint64_t recordBytes = 24) {
    const auto gap = Clock::now() + std::chrono::microseconds(300);
    while (Clock::now() < gap) {
    }
    const uint64_t before = fileSize();
    const Clock::time_point t0 = feed();
    const auto limit = t0 + std::chrono::seconds(2);
    while (fileSize() < before + recordBytes && Clock::now() < limit) {
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    if (fileSize() < before + recordBytes) {
      state.SkipWithError("a frame made no record within 2 s");
      return false;
    }
    state.SetIterationTime(elapsed);
    us_.push_back(elapsed * 1e6);
    return true;
  }

  // Measure() for a frame fed into port (a virtual port): all but its last byte first, then the
  // time runs from the last byte, which ends the frame.
  template <class FileSize, class Port>
  bool MeasureFromLastByte(benchmark::State& state, FileSize fileSize, Port& port, const std::string& frame) {
    const std::string head = frame.empty() ? std::string() : frame.substr(0, frame.size() - 1);
    const std::string last = frame.empty() ? std::string() : frame.substr(frame.size() - 1);
    return Measure(state, fileSize, [&] {
      port->Feed(head);
      const Clock::time_point t0 = Clock::now();
      port->Feed(last);
      return t0;
    });
  }

  // The counters p50_us, p99_us and max_us, in microseconds; none when nothing was measured.
  void Report(benchmark::State& state) {
    if (us_.empty()) return;
    std::sort(us_.begin(), us_.end());
    state.counters["p50_us"] = us_[us_.size() / 2];
    state.counters["p99_us"] = us_[std::min(us_.size() - 1, us_.size() * 99 / 100)];
    state.counters["max_us"] = us_.back();
  }

 private:
  std::vector<double> us_;
};

// The main of a reading-path benchmark: start() brings the program to logging, ready tells the
// benchmarks whether it did, then they run. The program's threads are left to the exit.
template <class Start>
[[noreturn]] void RunOnProgram(int argc, char** argv, Start start, bool& ready) {
  benchmark::Initialize(&argc, argv);
  ready = start();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::fflush(stdout);
  _exit(ready ? 0 : 1);
}

}  // namespace bench
