// The redraw reads the data file while the GPS reader's thread appends to it: every redraw finds
// the same readings, and the appended records land whole, in order, at the end of the file.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "engine/records.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/logging.h"
#include "plot_test_support.h"

namespace handheld {
namespace {

// 44 characters: one '@' and one '#' piece, then the tick record.
constexpr char kSentence[] = "$GPGGA,140709.00,5000.0000,N,00100.000,W,1*4";

std::atomic<bool> g_stop{false};
std::atomic<int> g_written{0};

DWORD WINAPI GpsWriter(LPVOID) {
  while (!g_stop && g_written < 50000) {
    if (!WriteGpsRecords(kSentence, 777, '@', '#')) return 1;
    ++g_written;
  }
  return 0;
}

TEST(RedrawWhileGpsWrites, EveryRedrawSeesTheSameReadingsAndTheAppendsStayWhole) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  plat::test::UseTempRoot();
  test::UseBuild(kModelRz12);
  const test::PlotScreen screen = test::OpenPlotScreen(false, 180);
  ASSERT_NE(screen.curve, nullptr);
  SetDefaultSettings();
  SelectTraces();
  ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\RUN.R12"));
  ASSERT_TRUE(WriteFileHeader());
  ASSERT_TRUE(WriteLineHeader());
  for (int i = 0; i < 30; ++i) {
    char frame[16];
    snprintf(frame, sizeof frame, "T(%+05d+4000", -1200 - 20 * i);
    std::memcpy(LinkState.frame, frame, 13);
    ASSERT_TRUE(WriteReadingRecord());
  }
  const uint64_t before = SurveyRun.dataFile.Size();

  g_stop = false;
  g_written = 0;
  HANDLE writer = CreateThread(nullptr, 0, GpsWriter, nullptr, 0, nullptr);
  ASSERT_NE(writer, nullptr);
  while (g_written < 5) plat::SpinPause();
  std::vector<POINT> first;
  for (int round = 0; round < 20; ++round) {
    test::RepaintPlot(screen.curve);
    plat::test::ClearDrawLog();
    plat::test::EnableDrawLog(true);
    RedrawProfile(screen.curve);
    plat::test::EnableDrawLog(false);
    std::vector<POINT> points;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Polyline && e.penColor == SurveySettings.traceColour[0]) points = e.points;
    }
    ASSERT_EQ(points.size(), 30u) << "round " << round;
    if (round == 0) first = points;
    for (size_t k = 0; k < points.size(); ++k) {
      EXPECT_EQ(points[k].x, first[k].x);
      EXPECT_EQ(points[k].y, first[k].y);
    }
  }
  g_stop = true;
  EXPECT_EQ(WaitForSingleObject(writer, 5000), WAIT_OBJECT_0);
  DWORD code = 9;
  GetExitCodeThread(writer, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(writer);

  const std::string bytes = test::RootFileBytes("RUN.R12");
  ASSERT_EQ(bytes.size() % 24, 0u);
  ASSERT_EQ(bytes.size(), before + static_cast<uint64_t>(g_written) * 3 * 24);
  for (size_t at = before, n = 0; at < bytes.size(); at += 3 * 24, ++n) {
    ASSERT_EQ(bytes.substr(at, 23), std::string("@") + std::string(kSentence, 22)) << n;
    ASSERT_EQ(bytes[at + 24], '#') << n;
    ASSERT_EQ(bytes[at + 48], '!') << n;
  }
  ResetEngineState();
  plat::test::Reset();
}

}  // namespace
}  // namespace handheld
