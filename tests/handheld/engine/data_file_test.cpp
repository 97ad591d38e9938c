// test-labels: threads
// The handheld writers on the shared data-file object: a failed write inside a group, and two
// writing threads with a reader.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "engine/records.h"
#include "engine_test_support.h"
#include "timed_writers.h"

namespace handheld {
namespace {

using test::RootFileBytes;

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    test::UseBuild(kModelRz12);
  }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }
};

TEST_F(DataFileTest, ShortWriteRollsBackToTheLastWholeRecordAndLatches) {
  DataFile& file = SurveyRun.dataFile;
  SurveyRun.dataFileName = "030514A";
  ASSERT_TRUE(file.Create(L"\\RUN.DAT"));
  ASSERT_TRUE(WriteFileHeader());
  const std::string header = RootFileBytes("RUN.DAT");
  ASSERT_EQ(header.size(), 48u);

  // The disk fills ten bytes into the four records of a line block.
  plat::test::FailWritesAfter(10, ERROR_DISK_FULL);
  EXPECT_FALSE(WriteLineHeader());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_TRUE(file.WriteFailed());
  EXPECT_EQ(file.Size(), 48u);
  EXPECT_EQ(RootFileBytes("RUN.DAT"), header);

  // Still full: nothing partial is left either.
  EXPECT_FALSE(WriteTimeRecord());
  EXPECT_EQ(RootFileBytes("RUN.DAT"), header);

  // Space again: writes land after the last whole record, and the failure stays latched through
  // the close and reopen of a pause until it is cleared.
  plat::test::ClearFaults();
  EXPECT_TRUE(WriteTimeRecord());
  EXPECT_EQ(file.Size(), 72u);
  file.Close();
  ASSERT_TRUE(file.Reopen(L"\\RUN.DAT"));
  EXPECT_TRUE(file.WriteFailed());
  file.ClearWriteFailed();
  EXPECT_FALSE(file.WriteFailed());
  const std::string bytes = RootFileBytes("RUN.DAT");
  EXPECT_EQ(bytes.substr(0, 48), header);
  EXPECT_EQ(bytes[48], '*');
}

// A UI writer, the GPS thread and a reader on the one open file, for two seconds of real time
// (bounded by a call count so a slow sanitizer build keeps the file small).
constexpr int kMaxCalls = 200000;
constexpr int kRecordLength = 24;
constexpr const char* kFiller = "abcdefghijklmnopqrstuvwxyz0123";

bool TimeIsUp(std::chrono::steady_clock::time_point start, int calls) {
  return survey::test::TimeIsUp(start, calls, kMaxCalls);
}

std::atomic<bool> writersDone{false};
std::atomic<int> gpsCalls{0};
std::atomic<int> gpsFailures{0};
std::atomic<int> badReads{0};
std::atomic<int> reads{0};

void SentenceFor(int seq, char* out, size_t size) { survey::test::TestSentence(seq, kFiller, out, size); }

DWORD WINAPI GpsWriter(LPVOID) {
  gpsCalls = survey::test::WriteTestSentences(kFiller, kMaxCalls, gpsFailures, [](const char* sentence, uint32_t seq) {
    return WriteGpsRecords(sentence, seq, '@', '#');
  });
  return 0;
}

// Reads the newest records of the open file while it grows: each read sees whole records.
DWORD WINAPI Reader(LPVOID) {
  char buf[8 * kRecordLength];
  for (bool last = false; !last;) {
    last = writersDone.load();
    const uint64_t size = SurveyRun.dataFile.Size();
    if (size % kRecordLength != 0) ++badReads;
    const uint64_t span = size < sizeof buf ? size - size % kRecordLength : sizeof buf;
    uint32_t got = 0;
    if (span == 0) continue;
    if (!SurveyRun.dataFile.ReadAt(size - span, buf, static_cast<uint32_t>(span), &got) || got != span) {
      ++badReads;
      continue;
    }
    for (uint64_t at = 0; at < span; at += kRecordLength) {
      if (buf[at + kRecordLength - 1] != '\n') ++badReads;
    }
    ++reads;
    Sleep(0);
  }
  return 0;
}

TEST_F(DataFileTest, TwoWritersAndAReaderKeepEveryCallContiguous) {
  writersDone = false;
  gpsFailures = 0;
  badReads = 0;
  reads = 0;
  gpsCalls = 0;
  ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\RUN.DAT"));
  HANDLE reader = CreateThread(nullptr, 0, Reader, nullptr, 0, nullptr);
  HANDLE gps = CreateThread(nullptr, 0, GpsWriter, nullptr, 0, nullptr);
  ASSERT_NE(reader, nullptr);
  ASSERT_NE(gps, nullptr);

  int uiFailures = 0;
  int uiCalls = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; !TimeIsUp(start, i); ++i, ++uiCalls) {
    swprintf(SurveySettings.surveyLine, SurveySettingsData::kSurveyLineMax + 1, L"%d", i);
    if (!(i % 2 == 0 ? WriteLineHeader() : WriteEventRecord(SurveySettings.surveyLine, 'X'))) ++uiFailures;
  }
  EXPECT_EQ(WaitForSingleObject(gps, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  writersDone = true;
  EXPECT_EQ(WaitForSingleObject(reader, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(gps);
  CloseHandle(reader);
  SurveyRun.dataFile.Close();

  EXPECT_EQ(uiFailures, 0);
  EXPECT_EQ(gpsFailures.load(), 0);
  EXPECT_EQ(badReads.load(), 0);
  EXPECT_GT(reads.load(), 0);

  // Walk the file: each sentence's pieces and tick, and each line block, are unbroken and in order.
  const std::string bytes = RootFileBytes("RUN.DAT");
  ASSERT_EQ(bytes.size() % kRecordLength, 0u);
  const auto record = [&bytes](size_t r) { return bytes.substr(r * kRecordLength, kRecordLength); };
  const size_t records = bytes.size() / kRecordLength;
  int sentences = 0, lines = 0, events = 0;
  for (size_t r = 0; r < records;) {
    const std::string rec = record(r);
    ASSERT_EQ(rec.back(), '\n') << "record " << r;
    if (rec[0] == '@') {
      ASSERT_LE(r + 4, records);
      char expected[64];
      SentenceFor(sentences, expected, sizeof expected);
      std::string text = rec.substr(1, 22);
      for (size_t k = 1; k < 3; ++k) {
        ASSERT_EQ(record(r + k)[0], '#') << "record " << r + k;
        text += record(r + k).substr(1, 22);
      }
      EXPECT_EQ(text.substr(0, strlen(expected)), expected);
      char tick[16];
      snprintf(tick, sizeof tick, "%10d\n", sentences);
      EXPECT_EQ(record(r + 3), std::string("!") + std::string(12, ' ') + tick);
      ++sentences;
      r += 4;
    } else if (rec[0] == 'L') {
      ASSERT_LE(r + 4, records);
      EXPECT_EQ(std::stoi(rec.substr(1, 8)), 2 * lines);
      EXPECT_EQ(record(r + 1)[0], 'B');
      EXPECT_EQ(record(r + 2)[0], 'A');
      EXPECT_EQ(record(r + 3)[0], 'Z');
      ++lines;
      r += 4;
    } else {
      ASSERT_EQ(rec[0], 'X') << "record " << r;
      EXPECT_EQ(std::stoi(rec.substr(1, 11)), 2 * events + 1);
      ++events;
      r += 1;
    }
  }
  EXPECT_EQ(sentences, gpsCalls.load());
  EXPECT_EQ(lines, (uiCalls + 1) / 2);
  EXPECT_EQ(events, uiCalls / 2);
}

}  // namespace
}  // namespace handheld
