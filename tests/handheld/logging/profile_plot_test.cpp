// The scrolling profile plot on the window's surface: the paint's grid and scale labels, and each
// reading's scroll, grid marks and segments.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/logging.h"
#include "logging/plot_channels.h"
#include "plot_test_support.h"

namespace handheld {
namespace {

using plat::test::DrawOp;
using plat::test::WindowPixel;

constexpr int kH = 180;
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr COLORREF kC0 = RGB(255, 0, 0);
constexpr COLORREF kC2 = RGB(0, 0, 255);

class ProfilePlotTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  void Open(int model, bool portrait = false) {
    ResetEngineState();
    plat::test::Reset(plat::Profile::Handheld, portrait ? plat::test::Screen{240, 320} : plat::test::Screen{320, 240});
    test::UseBuild(model);
    screen_ = test::OpenPlotScreen(portrait, kH);
    ASSERT_NE(screen_.curve, nullptr);
    SetDefaultSettings();
    SurveySettings.traceColour[0] = kC0;
    SurveySettings.traceColour[2] = kC2;
  }

  // The paint with the draw log on; the texts it drew.
  std::vector<plat::test::DrawEntry> Paint() {
    plat::test::ClearDrawLog();
    plat::test::EnableDrawLog(true);
    test::RepaintPlot(screen_.curve);
    plat::test::EnableDrawLog(false);
    std::vector<plat::test::DrawEntry> texts;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == DrawOp::Text && e.window == screen_.curve) texts.push_back(e);
    }
    return texts;
  }

  int TextWidth(const std::wstring& s, bool bold) {
    HDC dc = GetDC(screen_.curve);
    HGDIOBJ old = SelectObject(dc, bold ? AppWindows.fontBold : AppWindows.fontNormal);
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(screen_.curve, dc);
    return size.cx;
  }

  // One reading through the live path, with channel 0 (and 2) at the given rows.
  void Point(int row0, int row2 = -1, int readingsAtStation = 0) {
    for (int c = 0; c < 8; ++c) TraceSet.traceValid[c] = 0;
    int32_t rows[8] = {};
    TraceSet.traceValid[0] = 1;
    rows[0] = row0;
    if (row2 >= 0) {
      TraceSet.traceValid[2] = 1;
      rows[2] = row2;
    }
    SurveyRun.readingsAtStation = readingsAtStation;
    HDC dc = GetDC(screen_.curve);
    PlotReadingPoint(dc, rows);
    ReleaseDC(screen_.curve, dc);
  }

  void Mark(int x, int y) {
    HDC dc = GetDC(screen_.curve);
    SetPixel(dc, x, y, kMarker);
    ReleaseDC(screen_.curve, dc);
  }

  COLORREF Pixel(int x, int y) { return WindowPixel(screen_.curve, x, y); }

  test::PlotScreen screen_;
};

// ---- Paint: grid and labels ----------------------------------------------------------------------

struct Label {
  std::wstring text;
  int y;
  bool bold;
};

TEST_F(ProfilePlotTest, ThePaintLabelsTheGroupsInUseInsideTheLabelColumn) {
  struct Case {
    const char* name;
    int model;
    bool portrait;
    int component;
    int gridScale;
    int showIce;
    float scale1Max;
    std::vector<Label> labels;  // in drawing order
  };
  const Case cases[] = {
      {"both groups, grid of group 0", kModelRz12, false, 0, 0, 0, 500,
       {{L"0", 165, true}, {L"500", 0, true}, {L"-25", 150, false}, {L"25", 16, false}}},
      {"both groups, grid of group 1", kModelRz27B, false, 0, 1, 0, 500,
       {{L"0", 165, false}, {L"500", 0, false}, {L"-25", 150, true}, {L"25", 16, true}}},
      {"inphase only: group 1 on the outer lines", kModelRz12, false, 1, 1, 0, 500,
       {{L"-25", 165, true}, {L"25", 0, true}}},
      {"conductivity only", kModelRz27, false, 2, 0, 0, 500, {{L"0", 165, true}, {L"500", 0, true}}},
      {"the ice profile, bold, one decimal", kModelRz12, false, 0, 2, 1, 500, {{L"0.0", 165, true}, {L"5.0", 0, true}}},
      {"ZOL12 thickness in metres", kModelZol12, false, 0, 0, 0, 10,
       {{L"0.0", 165, true}, {L"10.0", 0, true}, {L"0", 150, false}, {L"20", 16, false}}},
      {"a wide number, landscape", kModelRz12, false, 2, 0, 0, 123456789.0f, {{L"0", 165, true}, {L"123456792", 0, true}}},
      {"a wide number, portrait", kModelRz12, true, 2, 0, 0, 123456789.0f, {{L"0", 165, true}, {L"123456792", 0, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.model, c.portrait);
    SurveySettings.component = c.component;
    SurveySettings.gridScale = c.gridScale;
    SurveySettings.showIceProfile = c.showIce;
    if (c.model != kModelZol12) SurveySettings.scale1Max = c.scale1Max;
    const std::vector<plat::test::DrawEntry> texts = Paint();
    ASSERT_EQ(texts.size(), c.labels.size());
    const int width = c.portrait ? 232 : 312;
    const int column = c.portrait ? 202 : 272;
    for (size_t i = 0; i < texts.size(); ++i) {
      const Label& l = c.labels[i];
      SCOPED_TRACE(testing::Message() << "label " << i);
      EXPECT_EQ(texts[i].text, l.text);
      EXPECT_EQ(texts[i].y, l.y);
      EXPECT_EQ(texts[i].fontWeight, l.bold ? FW_BOLD : FW_NORMAL);
      EXPECT_EQ(texts[i].x, std::max(width - TextWidth(l.text, l.bold) - 3, column));
      EXPECT_GE(texts[i].x, column);
    }
  }
}

TEST_F(ProfilePlotTest, ThePaintDrawsTheGridOfTheGridGroup) {
  struct Case {
    const char* name;
    int gridScale;
    float scale2Min;
    std::vector<int> rows;  // expected grey at column 10, each 1 px unless listed in wide
    int wideZero;           // a 2-px zero line covering this row and the one above, or -1
  };
  const Case cases[] = {
      {"0 to 500: four even rows, no zero line", 0, -25, {143, 107, 71, 35}, -1},
      {"-25 to 25: a zero line and seven rows", 1, -25, {67, 44, 22, 112, 134, 157}, 90},
      {"zero row at the bottom edge: four even rows and a thin line", 1, -0.00001f, {143, 107, 71, 35}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(kModelRz12);
    SurveySettings.gridScale = c.gridScale;
    SurveySettings.scale2Min = c.scale2Min;
    if (c.scale2Min != -25) {
      SurveySettings.scale2Max = 500;
      SetDefaultSettings();
    }
    Paint();
    for (int row : c.rows) {
      EXPECT_EQ(Pixel(10, row), kGrey) << row;
      EXPECT_EQ(Pixel(10, row - 1), kWhite) << row;
      EXPECT_EQ(Pixel(10, row + 1), kWhite) << row;
    }
    if (c.wideZero >= 0) {
      EXPECT_EQ(Pixel(10, c.wideZero), kGrey);
      EXPECT_EQ(Pixel(10, c.wideZero - 1), kGrey);
      EXPECT_EQ(Pixel(10, c.wideZero + 1), kWhite);
      EXPECT_EQ(Pixel(10, c.wideZero - 2), kWhite);
    }
    // The grid runs over the whole width, under the labels too.
    EXPECT_EQ(Pixel(300, c.rows[1]), kGrey);
  }
}

TEST_F(ProfilePlotTest, AGridSettingThatNamesNoGroupPaintsNothingAndRepaintsFreeTheirObjects) {
  Open(kModelRz12);
  SurveySettings.gridScale = 5;
  EXPECT_TRUE(Paint().empty());
  EXPECT_EQ(Pixel(10, 143), kWhite);
  SurveySettings.gridScale = 0;
  const size_t live = plat::test::LiveGdiObjects();
  for (int i = 0; i < 3; ++i) {
    Paint();
    Point(40, 120);
  }
  EXPECT_EQ(plat::test::LiveGdiObjects(), live);
}

// ---- Reading points ----------------------------------------------------------------------------

TEST_F(ProfilePlotTest, TheFirstPointIsADotWithoutAScroll) {
  Open(kModelRz12);
  Paint();
  PlotState.traceShown[0] = PlotState.traceShown[2] = 1;
  Mark(100, 50);
  plat::test::ClearDrawLog();
  plat::test::EnableDrawLog(true);
  Point(60, 120);
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) EXPECT_NE(e.op, DrawOp::BitBlt);
  EXPECT_EQ(Pixel(100, 50), kMarker);
  EXPECT_EQ(Pixel(270, 60), kC0);  // a 2-px dot: columns 269 and 270, rows 59 and 60
  EXPECT_EQ(Pixel(269, 59), kC0);
  EXPECT_EQ(Pixel(271, 60), kWhite);
  EXPECT_EQ(Pixel(270, 120), kC2);
  EXPECT_EQ(PlotState.started, 1);
  EXPECT_EQ(PlotState.havePrev[0], 1);
  EXPECT_EQ(PlotState.prevRow[0], 60);
  EXPECT_EQ(PlotState.prevRow[2], 120);
}

TEST_F(ProfilePlotTest, ACompletedStationScrollsTwoColumnsAndJoinsThePreviousRow) {
  Open(kModelRz12);
  Paint();
  PlotState.traceShown[0] = 1;
  Point(60);
  Mark(100, 50);
  Point(100);
  EXPECT_EQ(Pixel(98, 50), kMarker);
  EXPECT_NE(Pixel(100, 50), kMarker);
  EXPECT_EQ(Pixel(268, 60), kC0);  // the first dot, moved
  EXPECT_EQ(Pixel(270, 100), kC0);
  const std::vector<int> between = test::RowsOfColour(screen_.curve, 269, kC0);
  ASSERT_FALSE(between.empty());
  EXPECT_LE(between.front(), 81);
  EXPECT_GE(between.back(), 99);
  // The new columns have their grid marks again; the paint's row at 107 runs on.
  EXPECT_EQ(Pixel(269, 107), kGrey);
  EXPECT_EQ(Pixel(270, 143), kGrey);
  EXPECT_EQ(Pixel(266, 107), kGrey);
  EXPECT_EQ(PlotState.prevRow[0], 100);
}

TEST_F(ProfilePlotTest, AReadingThatLeavesItsStationOpenDrawsWithoutScrolling) {
  Open(kModelRz12);
  Paint();
  PlotState.traceShown[0] = 1;
  Point(60);
  Mark(100, 50);
  Point(80, -1, 1);  // the first reading of a two-reading station
  EXPECT_EQ(Pixel(100, 50), kMarker);
  EXPECT_EQ(Pixel(270, 80), kC0);
  // Its segment comes from 2 columns left, where nothing was drawn.
  EXPECT_FALSE(test::RowsOfColour(screen_.curve, 268, kC0).empty());
}

TEST_F(ProfilePlotTest, ABreakStartsANewPieceAndAnAbsentChannelKeepsItsRow) {
  Open(kModelRz12);
  Paint();
  PlotState.traceShown[0] = PlotState.traceShown[2] = 1;
  Point(60, 120);
  Point(62);  // channel 2 absent: nothing drawn for it, its row stays
  EXPECT_TRUE(test::RowsOfColour(screen_.curve, 270, kC2).empty());
  EXPECT_EQ(PlotState.prevRow[2], 120);
  Point(64, 150);  // channel 2 joins its row from 2 columns left
  EXPECT_FALSE(test::RowsOfColour(screen_.curve, 268, kC2).empty());
  EXPECT_GE(test::RowsOfColour(screen_.curve, 269, kC2).size(), 10u);

  PlotState.havePrev[0] = 0;  // a break (Go, New Station, a lost connection)
  Point(20);
  const std::vector<int> column = test::RowsOfColour(screen_.curve, 269, kC0);
  EXPECT_EQ(column, (std::vector<int>{19, 20}));  // only the new piece's dot
  EXPECT_EQ(Pixel(270, 20), kC0);
}

TEST_F(ProfilePlotTest, TheZeroMarkIsWideOnlyWithARealZeroLineAndPortraitUsesItsColumn) {
  struct Case {
    const char* name;
    bool portrait;
    float min;
    bool wide;
  };
  const Case cases[] = {
      {"landscape, -25 to 25", false, -25, true},
      {"portrait, -25 to 25", true, -25, true},
      {"zero row at the bottom edge", false, -0.00001f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(kModelRz12, c.portrait);
    SurveySettings.gridScale = 1;
    SurveySettings.scale2Min = c.min;
    if (c.min != -25) SurveySettings.scale2Max = 500;
    SetDefaultSettings();
    Paint();
    PlotState.traceShown[0] = 1;
    Point(10);
    Point(10);
    const int x = c.portrait ? 200 : 270;
    EXPECT_EQ(Pixel(x, 10), kC0);
    const int zero = PlotState.grid[1];
    EXPECT_EQ(Pixel(x, zero), kGrey);
    EXPECT_EQ(Pixel(x, zero - 1), c.wide ? kGrey : kWhite);
    EXPECT_EQ(Pixel(x + 1, 30), kWhite);
  }
}

}  // namespace
}  // namespace handheld
