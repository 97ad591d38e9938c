// The RZ56 strip chart: its live point (scroll, cleared columns, grid marks, a segment per visible
// channel), and its redraw from the data file: readings before a group of null records are drawn
// with the offsets the group replaced (a damaged group ends at its foreign record), a station
// record leaves a gap, the walk stops at the left edge or the start of the file, and the file is
// never changed.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/plot_scale.h"
#include "engine/records.h"
#include "engine/rz56_convert.h"
#include "engine/state.h"
#include "profile_screen.h"
#include "ui/logging.h"

namespace desktop {
namespace {

constexpr int kPlotHeight = 382;

// A reading record of four equal counts, gain 1 and the mean current 3000 (factor 1).
std::string Reading(int16_t count) {
  std::string r(24, ' ');
  r[0] = 'T';
  r[1] = 0;
  for (int k = 0; k < 4; ++k) {
    r[2 + 2 * k] = static_cast<char>(static_cast<uint16_t>(count) >> 8);
    r[3 + 2 * k] = static_cast<char>(count & 0xFF);
  }
  r[10] = 0x0B;
  r[11] = static_cast<char>(0xB8);
  r[12] = 0;
  r.replace(13, 10, "    123456");
  r[23] = '\n';
  return r;
}

std::string Text(const char* text) {
  char r[32];
  std::snprintf(r, sizeof r, "%-23.23s\n", text);
  return r;
}

std::string Null(double value, double replaced) {
  char r[32];
  std::snprintf(r, sizeof r, "O%9.2f %9.2f   \n", value, replaced);
  return r;
}

class Rz56ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseBuild(kModelRz56Mk2);
    test::UseDesktopRoot();
    curve_ = test::OpenProfileScreen(kPlotHeight);
    ASSERT_NE(curve_, nullptr);
    ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RUN.R56"));
  }
  void TearDown() override {
    SurveyRun.dataFile.Close();
    ResetEngineState();
    plat::test::Reset();
  }
  void Write(const std::string& records) { ASSERT_TRUE(SurveyRun.dataFile.Append(records.data(), records.size())); }
  std::string FileBytes() {
    const uint64_t size = SurveyRun.dataFile.Size();
    std::string bytes(size, '\0');
    uint32_t got = 0;
    EXPECT_TRUE(SurveyRun.dataFile.ReadAt(0, bytes.data(), static_cast<uint32_t>(size), &got));
    return bytes;
  }
  // The redraw's polylines of channel ch (by its pen), and that the file did not change.
  std::vector<std::vector<POINT>> Redraw(int ch) {
    const std::string before = FileBytes();
    plat::test::EnableDrawLog(true);
    plat::test::ClearDrawLog();
    RedrawRz56Profile(curve_);
    plat::test::EnableDrawLog(false);
    EXPECT_EQ(FileBytes(), before);
    std::vector<std::vector<POINT>> lines;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Polyline && e.penColor == static_cast<COLORREF>(SurveySettings.traceColour[ch])) {
        lines.push_back(e.points);
      }
    }
    return lines;
  }
  static int32_t Row(double mv) {
    float c[4];
    const auto v = static_cast<float>(mv);
    CompressRz56Values(v, v, v, v, c[0], c[1], c[2], c[3]);
    return ValueToRow(SurveySettings.scale1Max, c[0], PlotState.pxPerUnit0);
  }
  HWND curve_ = nullptr;
};

// The live point, twice, on a range that holds zero and on one that does not: every call scrolls
// and clears the newest columns in white, marks the grid rows there (the zero row in the wider pen
// only when the range holds zero), then draws each visible channel: a dot first, then a segment
// from its previous row; the hidden channel draws nothing.
TEST_F(Rz56ProfileTest, ALivePointScrollsClearsMarksTheGridAndDrawsTheVisibleChannels) {
  const int x = 750;
  const int32_t first[4] = {10, 20, 30, 40};
  const int32_t second[4] = {15, 25, 35, 45};
  for (const float minimum : {-100.0f, 0.0f}) {
    SCOPED_TRACE(minimum);
    SurveySettings.scale1Min = minimum;
    SurveySettings.scale1Max = 100.0f;
    PlotState.pxPerUnit0 = PixelsPerUnit(kPlotHeight, minimum, 100.0f);
    ComputeGridInForce();
    for (int ch = 0; ch < 4; ++ch) PlotState.havePrev[ch] = 0;
    SurveySettings.traceVisible[2] = 0;
    const auto line = [](COLORREF colour, int width, int x0, int y0, int x1, int y1) {
      char text[64];
      std::snprintf(text, sizeof text, "line %06lx/%d %d,%d-%d,%d", static_cast<unsigned long>(colour), width, x0, y0,
                    x1, y1);
      return std::string(text);
    };
    std::vector<std::string> expected;
    for (const int32_t* rows : {first, second}) {
      expected.push_back("blit 0,0-750,382");
      for (int c = x - 1; c <= x + 1; ++c) expected.push_back(line(RGB(255, 255, 255), 1, c, 0, c, kPlotHeight));
      const COLORREF grey = RGB(192, 192, 192);
      expected.push_back(line(grey, minimum < 0 ? 2 : 1, x - 1, PlotState.grid[1], x + 1, PlotState.grid[1]));
      for (int i = 2; i <= PlotState.grid[0]; ++i) {
        expected.push_back(line(grey, 1, x - 1, PlotState.grid[i], x + 1, PlotState.grid[i]));
      }
      for (int ch : {0, 1, 3}) {
        const auto colour = static_cast<COLORREF>(SurveySettings.traceColour[ch]);
        const int width = SurveySettings.traceThickness[ch];
        expected.push_back(rows == first ? line(colour, width, x, rows[ch], x, rows[ch])
                                         : line(colour, width, x - 2, first[ch], x, rows[ch]));
      }
    }
    plat::test::EnableDrawLog(true);
    plat::test::ClearDrawLog();
    HDC dc = GetDC(curve_);
    PlotRz56Point(dc, first);
    PlotRz56Point(dc, second);
    ReleaseDC(curve_, dc);
    plat::test::EnableDrawLog(false);
    std::vector<std::string> drawn;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      char text[64];
      if (e.op == plat::test::DrawOp::BitBlt) {
        std::snprintf(text, sizeof text, "blit %ld,%ld-%ld,%ld", static_cast<long>(e.rect.left),
                      static_cast<long>(e.rect.top), static_cast<long>(e.rect.right), static_cast<long>(e.rect.bottom));
        drawn.emplace_back(text);
      } else if (e.op == plat::test::DrawOp::Line && e.points.size() == 2) {
        drawn.push_back(line(e.penColor, e.penWidth, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y));
      } else {
        drawn.emplace_back("other");
      }
    }
    EXPECT_EQ(drawn, expected);
  }
}

// No date record: the walk ends at the start of the file. The group cut by a foreign record ends
// there; each part gives its offsets to channel 0 up, the older part's last.
TEST_F(Rz56ProfileTest, ANullGroupCutByAForeignRecordEndsThereAndTheWalkEndsAtTheStart) {
  Write(Reading(100) + Reading(100) + Reading(100));
  Write(Null(10, 111) + Null(20, 222) + Text("X$COMMENT") + Null(30, 333) + Null(40, 444));
  Write(Reading(100) + Reading(100));
  const double raw = 966.66;
  const struct {
    int ch;
    double older;
  } cases[] = {{0, raw - 111}, {1, raw - 222}, {3, raw}};
  for (const auto& c : cases) {
    const auto lines = Redraw(c.ch);
    ASSERT_EQ(lines.size(), 1u) << c.ch;
    const auto& p = lines[0];
    ASSERT_EQ(p.size(), 5u) << c.ch;
    for (size_t i = 0; i < p.size(); ++i) {
      EXPECT_EQ(p[i].x, 750 - 2 * static_cast<LONG>(i)) << c.ch << " " << i;
      EXPECT_NEAR(p[i].y, Row(i < 2 ? raw : c.older), 1) << c.ch << " " << i;
    }
  }
}

TEST_F(Rz56ProfileTest, AStationLeavesAGapAndAHiddenChannelIsNotRedrawn) {
  ASSERT_TRUE(WriteFileHeader());
  ASSERT_TRUE(WriteLineHeader());
  std::string older;
  for (int i = 0; i < 5; ++i) older += Reading(100);
  Write(Reading(300) + older + Text("S        12.00") + older);
  SurveySettings.traceVisible[1] = 0;
  EXPECT_TRUE(Redraw(1).empty());
  const auto lines = Redraw(0);
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(lines[0].size(), 5u);
  ASSERT_EQ(lines[1].size(), 6u);  // the line's date record ends the walk
  EXPECT_EQ(lines[0].back().x, 742);
  EXPECT_EQ(lines[1].front().x, 738);
  EXPECT_EQ(lines[1].back().x, 728);
  EXPECT_NEAR(lines[1].back().y, Row(3 * 966.66), 1);
}

TEST_F(Rz56ProfileTest, ALongLineIsRedrawnBackToTheLeftEdgeOnly) {
  ASSERT_TRUE(WriteFileHeader());
  ASSERT_TRUE(WriteLineHeader());
  std::string readings;
  for (int i = 0; i < 500; ++i) readings += Reading(static_cast<int16_t>(100 + i % 7));
  Write(readings);
  const auto lines = Redraw(3);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 376u);
  EXPECT_EQ(lines[0].back().x, 0);
  // With no file open nothing is drawn.
  SurveyRun.dataFile.Close();
  plat::test::EnableDrawLog(true);
  plat::test::ClearDrawLog();
  RedrawRz56Profile(curve_);
  EXPECT_TRUE(plat::test::DrawLog().empty());
}

}  // namespace
}  // namespace desktop
