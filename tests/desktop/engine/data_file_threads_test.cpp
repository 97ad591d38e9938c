// test-labels: threads
// The desktop writers on one open file from two threads, with a reader of the growing file: every
// call's records land whole and together (a line block with its null records, a sentence with its
// tick record).
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "desktop_test_support.h"
#include "engine/records.h"
#include "engine/state.h"
#include "timed_writers.h"

namespace desktop {
namespace {

constexpr int kMaxCalls = 100000;
constexpr size_t kL = 24;
constexpr const char* kFiller = "abcdefghijklmnopqrstuvwxyz";  // 43 characters: two pieces

struct Shared {
  std::atomic<bool> writersDone{false};
  std::atomic<int> gpsCalls{0};
  std::atomic<int> failures{0};
  std::atomic<int> badReads{0};
  std::atomic<int> reads{0};
};
Shared shared;

DWORD WINAPI GpsWriter(LPVOID) {
  shared.gpsCalls = survey::test::WriteTestSentences(kFiller, kMaxCalls, shared.failures,
                                                     [](const char* sentence, uint32_t seq) {
                                                       return WriteGpsRecords(sentence, seq, '@', '#');
                                                     });
  return 0;
}

DWORD WINAPI Reader(LPVOID) {
  char buf[8 * kL];
  for (bool last = false; !last;) {
    last = shared.writersDone.load();
    const uint64_t size = SurveyRun.dataFile.Size();
    if (size % kL != 0) ++shared.badReads;
    const uint64_t span = size < sizeof buf ? size - size % kL : sizeof buf;
    uint32_t got = 0;
    if (span == 0) continue;
    if (!SurveyRun.dataFile.ReadAt(size - span, buf, static_cast<uint32_t>(span), &got) || got != span) {
      ++shared.badReads;
      continue;
    }
    for (uint64_t at = kL - 1; at < span; at += kL) {
      if (buf[at] != '\n') ++shared.badReads;
    }
    ++shared.reads;
    Sleep(0);
  }
  return 0;
}

TEST(DataFileThreads, UiWriterGpsWriterAndReaderKeepEveryCallWhole) {
  test::UseBuild(kModelRz56Mk2);
  test::UseDesktopRoot();
  ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RUN.R56"));
  HANDLE reader = CreateThread(nullptr, 0, Reader, nullptr, 0, nullptr);
  HANDLE gps = CreateThread(nullptr, 0, GpsWriter, nullptr, 0, nullptr);
  ASSERT_NE(reader, nullptr);
  ASSERT_NE(gps, nullptr);
  int uiCalls = 0;
  const auto start = std::chrono::steady_clock::now();
  for (; !survey::test::TimeIsUp(start, uiCalls, kMaxCalls); ++uiCalls) {
    snprintf(SurveySettings.surveyLine, sizeof SurveySettings.surveyLine, "%d", uiCalls);
    if (!WriteLineHeader()) ++shared.failures;  // the line block and its four null records
  }
  EXPECT_EQ(WaitForSingleObject(gps, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  shared.writersDone = true;
  EXPECT_EQ(WaitForSingleObject(reader, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(gps);
  CloseHandle(reader);
  SurveyRun.dataFile.Close();
  EXPECT_EQ(shared.failures.load(), 0);
  EXPECT_EQ(shared.badReads.load(), 0);
  EXPECT_GT(shared.reads.load(), 0);

  // Walk the file: each call's records stand together and in order.
  const std::string bytes = test::RootFileBytes("C/RUN.R56");
  ASSERT_EQ(bytes.size() % kL, 0u);
  const size_t records = bytes.size() / kL;
  const auto rec = [&bytes](size_t r) { return bytes.substr(r * kL, kL); };
  int sentences = 0, lines = 0;
  for (size_t r = 0; r < records;) {
    if (rec(r)[0] == '@') {
      ASSERT_LE(r + 3, records);  // 43 characters: two pieces and the tick record
      char expected[64];
      survey::test::TestSentence(sentences, kFiller, expected, sizeof expected);
      EXPECT_EQ(rec(r + 1)[0], '#');
      const std::string text = rec(r).substr(1, 22) + rec(r + 1).substr(1, 22);
      EXPECT_EQ(text.substr(0, strlen(expected)), expected) << "record " << r;
      EXPECT_EQ(rec(r + 2)[0], '!');
      ++sentences;
      r += 3;
    } else {
      ASSERT_EQ(rec(r)[0], 'L') << "record " << r;
      ASSERT_LE(r + 8, records);
      EXPECT_EQ(std::stoi(rec(r).substr(1, 8)), lines);
      EXPECT_EQ(std::string(1, rec(r + 1)[0]) + rec(r + 2)[0] + rec(r + 3)[0] + rec(r + 4)[0] + rec(r + 5)[0] +
                    rec(r + 6)[0] + rec(r + 7)[0],
                "BAZOOOO");
      ++lines;
      r += 8;
    }
  }
  EXPECT_EQ(sentences, shared.gpsCalls.load());
  EXPECT_EQ(lines, uiCalls);
  ResetEngineState();
  plat::test::Reset();
}

}  // namespace
}  // namespace desktop
