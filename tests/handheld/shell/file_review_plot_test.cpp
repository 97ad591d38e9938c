// The file review's plot and value panel in the running program, and damaged files reviewed end to
// end: opened, listed, extracted, paged and painted.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "engine/ice.h"
#include "logging/plot_channels.h"
#include "review_fixture.h"

namespace handheld {
namespace {

using test::PlainLine;
using test::ReviewFixture;
using Xs = std::vector<std::vector<int>>;

// One scratch row: the channels given valid with their values (others without), or a gap.
struct Row {
  double station;
  std::vector<int> channels;  // empty: a gap row
  float value = 10.0f;
};

class ReviewPlot : public ReviewFixture {
 protected:
  // Shows a file, then puts the rows into the scratch files and rereads them (Home), as if the
  // line had been extracted so.
  void ShowRows(const std::vector<Row>& rows) {
    OpenFile(L"PLOT.R12", test::ReviewFileHeader('0', '0', '0') + PlainLine("A", 30));
    ScratchRows scratch;
    for (const Row& r : rows) {
      if (r.channels.empty()) {
        AppendGapRow(scratch);
        continue;
      }
      int32_t valid[8] = {};
      float values[8] = {};
      for (int c : r.channels) {
        valid[c] = 1;
        values[c] = r.value + static_cast<float>(c);
      }
      AppendStationRow(scratch, r.station, valid, values);
    }
    ASSERT_TRUE(test::WriteRootFile(L"Storage\\VLQINI\\LINE1.R1X", scratch.flags));
    ASSERT_TRUE(test::WriteRootFile(L"Storage\\VLQINI\\LINE2.R1X", scratch.values));
    plat::test::EnableDrawLog(true);
    plat::test::ClearDrawLog();
    Key(VK_HOME);
  }
  // Moves the cursor to the slot with the arrow keys.
  static void CursorTo(int32_t slot) {
    while (FileReview.cursorSlot > slot) Key(VK_LEFT);
    while (FileReview.cursorSlot < slot) Key(VK_RIGHT);
    ASSERT_EQ(FileReview.cursorSlot, slot);
  }
};

// A slot without channel 1 breaks channel 1 only; the gap rows break every curve; a value alone
// between two gaps draws nothing but is shown at the cursor.
TEST_F(ReviewPlot, CurvesBreakPerChannelAndAtGaps) {
  StartReview();
  ShowRows({{1, {0, 1, 2}}, {2, {0, 2}}, {3, {0, 1, 2}}, {4, {0, 1, 2}}, {5, {0, 1, 2}}, {-1, {}}, {7, {0}, 30.0f},
            {-1, {}}, {9, {0, 1}}, {10, {0, 1}}});
  EXPECT_EQ(Pieces(0), (Xs{{1, 2, 3, 4, 5}, {9, 10}}));
  EXPECT_EQ(Pieces(1), (Xs{{3, 4, 5}, {9, 10}}));  // slot 1 alone draws nothing
  EXPECT_EQ(Pieces(2), (Xs{{1, 2, 3, 4, 5}}));
  EXPECT_TRUE(Pieces(3).empty());

  CursorTo(7);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"7.00       "));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"CV:30.00   "));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"CH:"));
  // A gap slot shows nothing.
  plat::test::ClearDrawLog();
  Key(VK_LEFT);
  EXPECT_FALSE(Drawn(AppWindows.viewFilesWnd, L"CH:"));

  // Paints and bar moves give back every pen and bitmap they make (the saved column is kept).
  const size_t objects = plat::test::LiveGdiObjects();
  for (int i = 0; i < 3; ++i) {
    RepaintPlot();
    RepaintReview();
    Key(VK_RIGHT);
    Key(VK_LEFT);
  }
  EXPECT_EQ(plat::test::LiveGdiObjects(), objects);
}

// A value far off a narrow scale plots at the clamped row, off the plot, and nothing goes wrong.
TEST_F(ReviewPlot, ExtremeValuesOnANarrowScaleStayOffThePlot) {
  StartReview();
  plat::test::OnUiThread([] {
    SurveySettings.scale1Min = 0.0f;
    SurveySettings.scale1Max = 0.01f;
    PlotState.pxPerUnit0 = static_cast<float>(ScreenLayout.plotHeight) / 0.01f;
    return LRESULT{0};
  });
  ShowRows({{1, {0}, 999999999.99f}, {2, {0}, 999999999.99f}, {-1, {}}, {4, {0}, -99999999.99f},
            {5, {0}, -99999999.99f}});
  ASSERT_EQ(Pieces(0), (Xs{{1, 2}, {4, 5}}));
  std::vector<int> rows;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
    if (e.op != plat::test::DrawOp::Polyline || e.penColor != SurveySettings.traceColour[0]) continue;
    for (const POINT& p : e.points) rows.push_back(p.y);
  }
  EXPECT_EQ(rows, (std::vector<int>{-32768, -32768, 32767, 32767}));
  EXPECT_EQ(plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{0, 0, 8, ScreenLayout.plotHeight},
                                    SurveySettings.traceColour[0]),
            0u);
}

// The grid follows scale 1 with grid setting 0 and scale 2 with any other (2, the ice thickness,
// included); with no file shown the plot has its grid only, no curve and no bar.
TEST_F(ReviewPlot, GridScaleAndNoFile) {
  StartReview();
  plat::test::EnableDrawLog(true);
  RepaintPlot();
  EXPECT_TRUE(Pieces(0).empty());
  EXPECT_EQ(plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{0, 0, 400, 400}, RGB(128, 128, 128)), 0u);
  int32_t expected[10] = {};
  ComputePlotGrid(ScreenLayout.plotHeight, 0.0f, 500.0f, PlotState.pxPerUnit0, expected);
  EXPECT_EQ(std::vector<int32_t>(PlotState.grid, PlotState.grid + 10), std::vector<int32_t>(expected, expected + 10));

  plat::test::OnUiThread([] {
    SurveySettings.gridScale = 2;
    return LRESULT{0};
  });
  RepaintPlot();
  const int32_t ratio = ComputePlotGrid(ScreenLayout.plotHeight, -25.0f, 25.0f, PlotState.pxPerUnit1, expected);
  EXPECT_GE(ratio, 1);  // scale 2 has its zero line inside
  EXPECT_EQ(std::vector<int32_t>(PlotState.grid, PlotState.grid + 10), std::vector<int32_t>(expected, expected + 10));
  EXPECT_EQ(plat::test::WindowPixel(AppWindows.viewCurveWnd, 100, expected[1]), RGB(192, 192, 192));
}

// The RZ27-MK2: scale texts in their two fields and the eight values, the last two on the bottom
// row; the RZ45's missing channel shows "xxxxx".
TEST_F(ReviewPlot, Rz27Mk2AndRz45Panels) {
  StartReview(kModelRz27Mk2);
  ShowRows({{3, {0, 1, 2, 3, 4, 5, 6, 7}, 1.0f}});
  CursorTo(1);
  RepaintReview();
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"C:0/500"));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"I:-25/25"));
  const auto seven = plat::test::FindText(L"8.0    ");
  ASSERT_TRUE(seven.has_value());
  EXPECT_EQ(seven->y, FileReview.bottomY);
  EXPECT_EQ(seven->x, FileReview.valueRect[7].left);
  EXPECT_EQ(Pieces(7).size(), 0u);  // one slot: no piece
}

TEST_F(ReviewPlot, Rz45MissingChannel) {
  StartReview(kModelRz45);
  ShowRows({{3, {0, 1, 2, 4, 5}, 1.0f}, {4, {0, 1, 2, 4, 5}, 1.0f}});
  CursorTo(1);
  RepaintReview();
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"xxxxx"));
  EXPECT_EQ(plat::test::FindText(L"xxxxx")->x, FileReview.valueRect[3].left);
  EXPECT_EQ(Pieces(5), (Xs{{1, 2}}));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"C:0/500"));
}

// ZOLwm: a file recorded with the ice option loads the curve of its sea-water index and gives the
// thickness of every slot with channel 1 (not available off the curve or without channel 1); one
// recorded without it gives none and leaves the index alone.
TEST_F(ReviewPlot, IceThicknessOfAFileRecordedWithTheOption) {
  constexpr unsigned char kHorizontalWide = 0x50;  // horizontal, conductivity x -0.25
  BuildSwitches b;
  b.zolOptionAvailable = 1;
  StartReview(b, {240, 320});
  std::string file = test::ReviewFileHeader('1', '0', '0', '1', 'A');
  file += test::ReviewLineBlock("ICE", 0, 1);
  for (int i = 0; i < 6; ++i) file += test::MeterReadingRecord('T', kHorizontalWide, -1000 - 400 * i, 500);
  file += test::MeterReadingRecord('T', kHorizontalWide, -9999, 500);  // 2500 mS/m: above the curve
  file += test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500);
  plat::test::EnableDrawLog(true);
  OpenFile(L"ICE.R12", file);
  EXPECT_EQ(FileReview.headerZolEnabled, 1);
  EXPECT_EQ(FileReview.headerSeaWaterIndex, 10);
  EXPECT_EQ(std::vector<double>(IceCurve, IceCurve + kIceCurveEntries),
            std::vector<double>(kBuiltInIceCurves[0][10], kBuiltInIceCurves[0][10] + kIceCurveEntries));
  ASSERT_EQ(FileReview.rowCount, 8);
  for (int s = 1; s <= 6; ++s) {
    EXPECT_FLOAT_EQ(FileReview.value[1][s], 250.0f + 100.0f * static_cast<float>(s - 1));
    EXPECT_EQ(FileReview.iceThickness[s], ComputeIceThickness(FileReview.value[1][s], 10)) << s;
    EXPECT_GT(FileReview.iceThickness[s], 0.0f) << s;
  }
  EXPECT_EQ(FileReview.iceThickness[7], kIceAboveCurve);

  wchar_t expected[32];
  swprintf(expected, 32, L"Ice Th:%-8.2fm", static_cast<double>(FileReview.iceThickness[4]));
  CursorTo(4);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, expected));
  CursorTo(7);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"Ice Th: N/A"));
  plat::test::ClearDrawLog();
  CursorTo(8);  // no channel 1
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"Ice Th: N/A"));

  OpenFile(L"NOICE.R12", test::ReviewFileHeader('1', '0', '0', '0', '3') + test::ReviewLineBlock("A", 0, 1) +
                             test::MeterReadingRecord('T', kHorizontalWide, -2000, 500));
  EXPECT_EQ(FileReview.headerZolEnabled, 0);
  EXPECT_EQ(FileReview.headerSeaWaterIndex, 10);  // as it was
  EXPECT_EQ(FileReview.iceThickness[1], ComputeIceThickness(250.0f, 10));  // not computed again
  plat::test::ClearDrawLog();
  RepaintReview();
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"c:500.00  "));
  EXPECT_FALSE(Drawn(AppWindows.viewFilesWnd, L"Ice Th: N/A"));
}

// ---- Damaged files ------------------------------------------------------------------------------

std::string Damaged(const std::string& kind, int length) {
  const std::string good = test::ReviewFileHeader('2', '2', '0', '1', 'A', length) +
                           test::ReviewLineBlock("A", 5, 0.5, length) +
                           test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500, length) +
                           test::MeterReadingRecord('2', test::kRz12Horizontal, -300, 700, length) +
                           // Numbers at the ends of a double, and one past them.
                           test::ReviewRecord("S1e308", length) + test::ReviewRecord("O31e300", length) +
                           test::ReviewRecord("O4-1e999", length) +
                           test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500, length) +
                           test::ReviewRecord("LB", length) + test::ReviewRecord("B-1.7e308", length) +
                           test::ReviewRecord("AN1.7e308", length) +
                           test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500, length) +
                           test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500, length);
  if (kind == "truncated header") return good.substr(0, 10);
  if (kind == "inserted byte") return good.substr(0, 30) + "!" + good.substr(30);
  if (kind == "random bytes") {
    std::mt19937 rng(7);
    std::string bytes(5000, '\0');
    for (char& c : bytes) c = "LTt2S O\n1 .-x"[rng() % 13];
    return bytes;
  }
  if (kind == "empty") return "";
  if (kind == "2000 lines") return test::ReviewFileHeader('0', '0', '0', ' ', ' ', length) + [&] {
      std::string lines;
      for (int i = 0; i < 2000; ++i) lines += test::ReviewLineBlock(std::to_string(i), i, 1, length);
      return lines + test::MeterReadingRecord('T', test::kRz12Vertical, -200, 500, length);
    }();
  if (kind == "L last") return good + test::ReviewRecord("LLAST", length);
  return good;
}

struct DamagedCase {
  const char* kind;
  int32_t model;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const DamagedCase& c, std::ostream* os) {
  *os << c.kind << (c.model == kModelRz27Mk2 ? " (RZ27-MK2)" : " (RZ12)");
}

class ReviewDamaged : public ReviewFixture, public ::testing::WithParamInterface<DamagedCase> {};

// Each damaged file opens, lists its lines, extracts the first and the last, pages, moves the
// cursor and paints, with a defined result.
TEST_P(ReviewDamaged, OpensListsExtractsPagesAndPaints) {
  BuildSwitches b;
  b.modelIndex = GetParam().model;
  b.zolOptionAvailable = GetParam().model == kModelRz12 ? 1 : 0;
  StartReview(b);
  const int length = BuildConfig.recordLength;
  const std::wstring name = GetParam().model == kModelRz12 ? L"DAMAGED.R12" : L"DAMAGED.N27";
  OpenFile(name, Damaged(GetParam().kind, length));
  EXPECT_EQ(FileReview.open, 1);
  const size_t lines = plat::test::Items(FileReview.lineBox).size();
  EXPECT_EQ(lines, static_cast<size_t>(FileReview.lineCount));
  EXPECT_GE(FileReview.rowCount, 0);
  if (lines > 1) {
    plat::test::OnUiThread([lines] {
      // The last entry accepted as the list would accept it.
      SendMessageW(FileReview.lineBox, CB_SETCURSEL, lines - 1, 0);
      SendMessageW(AppWindows.viewFilesWnd, WM_COMMAND, MAKEWPARAM(kLineBoxId, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(FileReview.lineBox));
      return LRESULT{0};
    });
    EXPECT_EQ(FileReview.currentLine, static_cast<int32_t>(lines - 1));
  }
  for (int vk : {VK_NEXT, VK_END, VK_PRIOR, VK_HOME, VK_RIGHT, VK_LEFT, VK_NEXT, VK_END}) Key(vk);
  RepaintPlot();
  EXPECT_EQ(ScratchBytes(1).size(), static_cast<size_t>(FileReview.rowCount) * kFlagsRowBytes);
  EXPECT_EQ(ScratchBytes(2).size(), static_cast<size_t>(FileReview.rowCount) * kValuesRowBytes);
  Key('X');
  EXPECT_TRUE(FreeToOpen(name));
}

INSTANTIATE_TEST_SUITE_P(Files, ReviewDamaged,
                         ::testing::Values(DamagedCase{"truncated header", kModelRz12},
                                           DamagedCase{"inserted byte", kModelRz12},
                                           DamagedCase{"random bytes", kModelRz12}, DamagedCase{"empty", kModelRz12},
                                           DamagedCase{"2000 lines", kModelRz12}, DamagedCase{"L last", kModelRz12},
                                           DamagedCase{"extremes", kModelRz12},
                                           DamagedCase{"inserted byte", kModelRz27Mk2},
                                           DamagedCase{"random bytes", kModelRz27Mk2},
                                           DamagedCase{"extremes", kModelRz27Mk2}),
                         [](const ::testing::TestParamInfo<DamagedCase>& info) {
                           std::string n = info.param.kind;
                           for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return n + (info.param.model == kModelRz27Mk2 ? "_mk2" : "_rz12");
                         });

}  // namespace
}  // namespace handheld
