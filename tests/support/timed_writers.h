// The GPS side of the two-writer data-file tests: numbered test sentences written from a second
// thread for two seconds of real time, bounded by a call count so a slow sanitizer build keeps the
// file small.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>

namespace survey::test {

constexpr auto kWriterRunTime = std::chrono::seconds(2);

inline bool TimeIsUp(std::chrono::steady_clock::time_point start, int calls, int maxCalls) {
  return calls >= maxCalls || std::chrono::steady_clock::now() - start >= kWriterRunTime;
}

// Sentence `seq`: "$GPTST," six digits, ',', `filler`, "*00".
inline void TestSentence(int seq, const char* filler, char* out, size_t size) {
  snprintf(out, size, "$GPTST,%06d,%s*00", seq, filler);
}

// Writes sentences 0, 1, ... with write(sentence, seq) until the time is up; counts the failed
// writes and returns how many were written.
template <typename Write>
int WriteTestSentences(const char* filler, int maxCalls, std::atomic<int>& failures, Write write) {
  char sentence[96];
  const auto start = std::chrono::steady_clock::now();
  int seq = 0;
  for (; !TimeIsUp(start, seq, maxCalls); ++seq) {
    TestSentence(seq, filler, sentence, sizeof sentence);
    if (!write(sentence, static_cast<uint32_t>(seq))) ++failures;
  }
  return seq;
}

}  // namespace survey::test
