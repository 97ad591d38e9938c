// A survey recorded and reviewed in one run of the RZ12 program: the instrument simulator plays on
// a pseudo-terminal linked as COM1 (real clock, Auto at 0.2 s); the run records 50 readings, a new
// station 125 and 20 readings; then View Files shows that file's line.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <memory>
#include <vector>

#include "app_test_support.h"
#include "child_process.h"
#include "pty_feed.h"
#include "driver/scripted_survey.h"
#include "engine/decoders.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "review_plot_checks.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"
#include "shell/shell.h"
#include "sim/instrument.h"

namespace handheld {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kChildEnv[] = "HANDHELD_TEST_REVIEW_CHILD";
constexpr int kLength = 24;

constexpr DWORD kStepLimitMs = 20000;

// The reading records of the open data file (on the UI thread, between two readings).
std::vector<std::string> RecordedReadings() {
  std::vector<std::string> out;
  const uint64_t size = SurveyRun.dataFile.Size();
  std::string bytes(size, '\0');
  uint32_t got = 0;
  if (size == 0 || !SurveyRun.dataFile.ReadAt(0, bytes.data(), static_cast<uint32_t>(size), &got)) return out;
  for (size_t at = 0; at + kLength <= got; at += kLength) {
    if (bytes[at] == 'T' || bytes[at] == 't') out.push_back(bytes.substr(at, kLength));
  }
  return out;
}

// A key once the program has settled (the run is over, so nothing keeps it busy).
void KeyAndSettle(int vk) {
  plat::test::KeyPress(vk);
  ASSERT_TRUE(plat::test::WaitIdle());
}

bool Drawn(const std::wstring& text) {
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
    if (e.op == plat::test::DrawOp::Text && e.window == AppWindows.viewFilesWnd && e.text == text) return true;
  }
  return false;
}

std::wstring ChannelText(const wchar_t* format, float value) {
  wchar_t text[64];
  swprintf(text, 64, format, static_cast<double>(value));
  return text;
}

// Runs in a child process: the pseudo-terminal needs the real clock, under which the keep-alive
// thread sleeps for 59 s, so the process ends without the harness's checks once it has reported.
TEST(FileReviewPtyChild, RecordsThenReviews) {
  if (!std::getenv(kChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  plat::test::UseTempRoot();
  const int master = plat::test::CreatePtyPort(1);
  ASSERT_GE(master, 0);
  sim::InstrumentOptions frames;
  frames.ramp = true;
  test_support::PtyFeed simulator(master, std::make_unique<sim::InstrumentStream>(frames));

  test::UseApp(kModelRz12);
  ASSERT_EQ(SurveySettings.surveyMode, 0);
  ASSERT_FLOAT_EQ(SurveySettings.readingInterval, 0.2f);
  HANDLE program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, {320, 240});
  ASSERT_TRUE(plat::test::WaitIdle());

  // The run: Create File, Go, 50 readings, pause, New Station "125", Go, 20 readings, pause, Exit.
  ASSERT_TRUE(survey::MonitorLog(kStepLimitMs));
  std::wstring path;
  ASSERT_TRUE(survey::CreateDataFile(L"REVIEWE2E", &path, kStepLimitMs));
  ASSERT_EQ(survey::LoggingStretch(50, kStepLimitMs), 50);
  ASSERT_TRUE(survey::NewStation(L"125", kStepLimitMs));
  ASSERT_TRUE(survey::WaitFor([] { return SurveyRun.station == 125.0; }, kStepLimitMs));
  ASSERT_EQ(survey::LoggingStretch(20, kStepLimitMs), 20);
  std::vector<std::string> readings;
  plat::test::OnUiThread([&readings] {
    readings = RecordedReadings();
    return LRESULT{0};
  });
  ASSERT_EQ(readings.size(), 70u);
  ASSERT_TRUE(survey::ExitRun(true, kStepLimitMs));
  ASSERT_TRUE(survey::WaitFor([] { return !SurveyRun.dataFile.IsOpen(); }, kStepLimitMs));
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  ASSERT_TRUE(plat::test::WaitIdle());  // the reader has seen its port close

  // The review of that file.
  plat::test::EnableDrawLog(true);
  KeyAndSettle('V');
  ASSERT_TRUE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  plat::test::ExpectOpenFile(L"REVIEWE2E.R12");
  KeyAndSettle('F');
  ASSERT_EQ(FileReview.open, 1);
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_TRUE(Drawn(L"File:REVIEWE2"));
  EXPECT_EQ(plat::test::Items(FileReview.lineBox), (std::vector<std::wstring>{L"0"}));
  EXPECT_EQ(FileReview.rowCount, 74);
  EXPECT_EQ(test::RootFileBytes("Storage/VLQINI/LINE1.R1X").size(), 74u * 29);
  EXPECT_EQ(test::RootFileBytes("Storage/VLQINI/LINE2.R1X").size(), 74u * 109);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  EXPECT_TRUE(Drawn(L"49.00      "));
  // The channel texts of the 50th reading.
  int32_t valid[8] = {};
  float values[8] = {};
  float v1 = 0, v2 = 0;
  char dipole = 0, marker = 0;
  int16_t range = 0;
  int32_t kind = 0;
  DecodeMeterRecord(reinterpret_cast<const unsigned char*>(readings[49].data()), valid, values, v1, v2, dipole, range,
                    marker, kind);
  ASSERT_EQ(valid[0] + valid[2], 2);
  EXPECT_TRUE(Drawn(ChannelText(L"CV:%-8.2f", values[0])));
  EXPECT_TRUE(Drawn(ChannelText(L"IV:%-8.2f", values[2])));
  EXPECT_TRUE(Drawn(L"CH:"));

  test::ExpectCurvesAroundFourGapRows();

  for (int i = 0; i < 5; ++i) KeyAndSettle(VK_RIGHT);
  EXPECT_EQ(FileReview.cursorSlot, 55);
  EXPECT_TRUE(Drawn(L"125.00     "));
  for (int i = 0; i < 25; ++i) KeyAndSettle(VK_RIGHT);
  EXPECT_EQ(FileReview.cursorSlot, 74);
  for (int i = 0; i < 80; ++i) KeyAndSettle(VK_LEFT);
  EXPECT_EQ(FileReview.cursorSlot, 1);

  // Exit: the review hides, the menu takes keys again and the file is free.
  KeyAndSettle('X');
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  const int selected = MainMenu.selected;
  KeyAndSettle(VK_TAB);
  EXPECT_EQ(MainMenu.selected, (selected + 1) % kMenuButtons);
  HANDLE again = CreateFileW(L"\\Storage\\DATA12\\REVIEWE2E.R12", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
  EXPECT_FALSE(test::Ended(program));

  test_support::ExitChild("review run");
}

TEST(FileReviewEndToEnd, RecordsAFileOnAPseudoTerminalAndReviewsIt) {
  test_support::Child child({"/proc/self/exe", "--gtest_filter=FileReviewPtyChild.RecordsThenReviews"},
                            {std::string(kChildEnv) + "=1"});
  const auto end = Clock::now() + std::chrono::seconds(60);
  bool running = true;
  while ((running = child.Running()) && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::string out = child.Output();
  ASSERT_FALSE(running) << "the run did not end\n" << out;  // the child is ended on the way out
  EXPECT_EQ(child.Wait(), 0) << out;
  EXPECT_NE(out.find("review run checked"), std::string::npos) << out;
}

}  // namespace
}  // namespace handheld
