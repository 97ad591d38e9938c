// The file review on large files: opening a data file of 1,000,000 records and indexing its lines
// (target < 300 ms), and extracting a line of 10,000 readings into the scratch files
// (target < 30 ms).
#include <benchmark/benchmark.h>
#include <plat/testing.h>

#include <string>

#include "engine/build_config.h"
#include "engine/state.h"
#include "review_test_support.h"
#include "shell/file_review.h"

namespace {

using namespace handheld;

constexpr const wchar_t* kPath = L"\\Storage\\DATA12\\BENCH.R12";

// A temporary drive root with the settings folder (for the scratch files) and the data file.
bool SetUp(const std::string& bytes) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  plat::test::UseTempRoot();
  ResetEngineState();
  ResetFileReview();
  FillBuildConfig(BuildSwitches{});
  CreateDirectoryW(L"Storage\\VLQINI", nullptr);
  return test::WriteRootFile(kPath, bytes);
}

void TearDown() {
  ResetFileReview();
  ResetEngineState();
  plat::test::Reset();
}

HANDLE OpenForReview() {
  return CreateFileW(kPath, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// 100 lines of 9,087 readings with a time record after every tenth, padded with time records to
// exactly 1,000,000 records.
std::string MillionRecords() {
  std::string file = test::ReviewDataFile(100, 9087);
  const size_t records = file.size() / 24;
  for (size_t i = records; i < 1000000; ++i) file += test::ReviewRecord("*14:07:09.000");
  return file;
}

void BM_OpenAndIndexLines(benchmark::State& state) {
  const std::string bytes = MillionRecords();
  if (bytes.size() != 24000000u || !SetUp(bytes)) {
    state.SkipWithError("cannot write the data file");
    return;
  }
  for (auto _ : state) {
    HANDLE file = OpenForReview();
    IndexLines(file);
    CloseHandle(file);
  }
  if (FileReview.lineCount != 100) state.SkipWithError("the index did not find the 100 lines");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
  TearDown();
}
BENCHMARK(BM_OpenAndIndexLines)->Unit(benchmark::kMillisecond);

void BM_ExtractLine(benchmark::State& state) {
  if (!SetUp(test::ReviewDataFile(2, 10000))) {
    state.SkipWithError("cannot write the data file");
    return;
  }
  HANDLE file = OpenForReview();
  IndexLines(file);
  for (auto _ : state) ExtractLine(file, 2);
  CloseHandle(file);
  if (FileReview.rowCount != 10000) state.SkipWithError("the line did not give its 10,000 rows");
  TearDown();
}
BENCHMARK(BM_ExtractLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
