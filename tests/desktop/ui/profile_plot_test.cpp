// The desktop profile on CurveWnd's surface: each recorded reading at the newest column (a dot to
// start a piece, a segment in the channel's trace pen after it, a 2-pixel scroll per completed
// station), and the redraw from the data file, which gives the live curves again, stops at the
// left edge, the line's date record or the start of a damaged file, leaves a gap at a station
// record, and never changes the file.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/state.h"
#include "pixel_sets.h"
#include "profile_frames.h"
#include "profile_screen.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

using survey::test::MeterFrame;
using survey::test::Mk2Count;
using survey::test::Tri;
using survey::test::PixelSet;
using survey::test::RowsOfColour;
constexpr const COLORREF* kColours = survey::test::kTraceColours;


constexpr int kPlotHeight = 200;  // scale 1 0 to 500: 0.4 px per unit; scale 2 -25 to 25: 4
constexpr int kNewest = 750;
constexpr uint32_t kStartTick = 1000000;
constexpr COLORREF kGrey = RGB(192, 192, 192);

// The curves lie in bands between the grid rows (39, 79, 119 and 159 for scale 1 from 0 to 500),
// so that no grid row is drawn over them. RZ12, vertical dipole, range 1000: conductivity 330 to
// 390 mS/m (channel 0, rows 68 to 44), inphase -6 to -12 ppt (channel 2, rows 124 to 148).
std::string Rz12Frame(int i) {
  const double tri = Tri(i);
  return MeterFrame('T', 0x20, static_cast<int>(-(330 + 6 * tri) * 4), static_cast<int>((6 + 0.6 * tri) * 400));
}

// RZ89, range code 4: both channels on scale 1, in the bands of rows 44 to 68 and 84 to 108.
std::string Rz89Frame(int i) {
  const double tri = Tri(i);
  return MeterFrame('T', 0x24, static_cast<int>(-(330 + 6 * tri) / 2.5), static_cast<int>(-(225 + 6 * tri) * 4));
}

// RZ27-MK2, vertical dipole: four bands of rows, the values as the offsets in force make them (so
// a calibration moves the counts, not the curves). Every fifth frame begins with 't'.
std::string Mk2Frame(int i) {
  const double tri = Tri(i);
  const float* o = SurveySettings.mk2Offset;
  const int cond1m = Mk2Count(330 + 6 * tri - o[0]);                    // ch 0, rows 68 to 44
  const int cond05m = Mk2Count(90 - 6 * tri - o[1]);                    // ch 4, rows 164 to 188
  const int inph1m = Mk2Count((-6 - 0.6 * tri + o[2]) / 0.028819);      // ch 2, rows 124 to 148
  const int inph05m = Mk2Count((4 - 0.6 * tri + o[3]) / 0.00720475);    // ch 6, rows 84 to 108
  std::string f(14, '\0');
  f[0] = i % 5 == 2 ? 't' : 'T';
  f[1] = 6;
  const int counts[6] = {cond05m, inph05m, cond1m, inph1m, 600, 610};
  for (int k = 0; k < 6; ++k) {
    f[2 + 2 * k] = static_cast<char>(counts[k] >> 8);
    f[3 + 2 * k] = static_cast<char>(counts[k] & 0xFF);
  }
  return f;
}

class ProfileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  // The build, a stand-in logging window with CurveWnd at the standard plotting width (760), the
  // pens, the settings of the run and a new data file with its header, first line and "$STARTED":
  // the state at the first reading after GO.
  void Start(int32_t model, int32_t surveyMode = kModeAuto, int32_t dipole = 0) {
    test::UseBuild(model);
    test::UseDesktopRoot();
    plat::test::UseVirtualClock(kStartTick, plat::test::MakeSystemTime(2026, 3, 5, 14, 7, 9),
                                plat::test::ClockMode::Manual);
    SurveySettingsData& s = SurveySettings;
    s.surveyMode = surveyMode;
    s.dipole = dipole;
    for (int c = 0; c < 8; ++c) s.traceColour[c] = static_cast<int32_t>(kColours[c]);
    OpenScreen();
    PlotState.groupsPerStation = 1;
    SelectTraces();
    LinkState.frameLength = model == kModelRz27Mk2 ? 14 : 12;
    SurveyRun.dataFileName = "RUN";
    ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RUN.DAT"));
    ASSERT_TRUE(WriteFileHeader());
    ASSERT_TRUE(WriteLineHeader());
    ASSERT_TRUE(WriteTimeRecord());
    Repaint();
    ASSERT_TRUE(WriteEventRecord("$STARTED", 'X'));
    SurveyRun.state = kRunLogging;
  }

  void OpenScreen() {
    curve_ = test::OpenProfileScreen(kPlotHeight);
    ASSERT_NE(curve_, nullptr);
  }

  // CurveWnd erased and painted at once (the grid), as the logging commands do before a redraw.
  void Repaint() {
    InvalidateRect(curve_, nullptr, TRUE);
    UpdateWindow(curve_);
  }

  // One recorded reading as the reading handlers take it: decode, count it at its station, tag,
  // write, then the rows and the live point.
  void Live(const std::string& frame) {
    std::memset(LinkState.frame, 0, sizeof LinkState.frame);
    std::memcpy(LinkState.frame, frame.data(), frame.size());
    LinkState.lastFrameTick = ++tick_;
    const bool mk2 = BuildConfig.modelIndex == kModelRz27Mk2;
    char dipole = 0;
    char marker = 0;
    if (mk2) {
      float f[6];
      int32_t n[6];
      DecodeRz27Mk2Frame(f[0], f[1], f[2], f[3], n[0], n[1], n[2], n[3], f[4], f[5], n[4], n[5], dipole, marker);
    } else {
      float v1 = 0;
      float v2 = 0;
      int16_t range = 0;
      int32_t kind = 0;
      uint16_t range2 = 0;
      DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2);
    }
    SurveyRun.readingsAtStation += 1;
    if (SurveyRun.readingsAtStation >= 2) LinkState.frame[0] = static_cast<unsigned char>('0' + SurveyRun.readingsAtStation);
    ASSERT_TRUE(mk2 ? WriteRz27Mk2Reading(LinkState.frame) : WriteReadingRecord());
    if (SurveyRun.readingsAtStation >= PlotState.groupsPerStation) SurveyRun.readingsAtStation = 0;
    int32_t rows[8] = {};
    TracesToRows(rows);
    HDC dc = GetDC(curve_);
    PlotReadingPoint(dc, rows);
    ReleaseDC(curve_, dc);
  }

  // Pixels of each shown channel's colour, to the newest column's right neighbour.
  std::map<COLORREF, PixelSet> Curves() {
    std::map<COLORREF, PixelSet> out;
    for (int c = 0; c < 8; ++c) {
      if (PlotState.traceShown[c] != 1) continue;
      PixelSet& set = out[kColours[c]];
      for (int x = 0; x <= kNewest + 1; ++x) {
        for (int y : RowsOfColour(curve_, x, kColours[c])) set.insert({x, y});
      }
    }
    return out;
  }

  // Drawing calls on CurveWnd of one kind (and pen colour, unless 0), in drawing order.
  std::vector<plat::test::DrawEntry> Drawn(plat::test::DrawOp op, COLORREF pen = 0) {
    std::vector<plat::test::DrawEntry> out;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == op && e.window == curve_ && (pen == 0 || e.penColor == pen)) out.push_back(e);
    }
    return out;
  }
  std::vector<std::vector<POINT>> Polylines(int channel) {
    std::vector<std::vector<POINT>> out;
    for (const plat::test::DrawEntry& e : Drawn(plat::test::DrawOp::Polyline, kColours[channel])) out.push_back(e.points);
    return out;
  }

  void Redraw() {
    Repaint();
    plat::test::ClearDrawLog();
    plat::test::EnableDrawLog(true);
    RedrawProfile(curve_);
    plat::test::EnableDrawLog(false);
  }

  std::string FileBytes() { return test::RootFileBytes("C/RUN.DAT"); }

  HWND curve_ = nullptr;
  uint32_t tick_ = kStartTick;
};

// ---- The live profile --------------------------------------------------------------------------

TEST_F(ProfileTest, TheNewestPointIsAtColumn750AndAStationScrollsTwoColumns) {
  Start(kModelRz12);
  const auto rowOf = [](int i, int channel) {
    const float cond = static_cast<float>(static_cast<int>(-(330 + 6 * Tri(i)) * 4)) / -4.0f;
    const float inph = static_cast<float>(static_cast<int>((6 + 0.6 * Tri(i)) * 400)) / -400.0f;
    return channel == 0 ? ValueToRow(500, cond, PlotState.pxPerUnit0) : ValueToRow(25, inph, PlotState.pxPerUnit1);
  };
  plat::test::EnableDrawLog(true);
  // The first point: a dot of each channel's trace pen, and no scroll.
  Live(Rz12Frame(3));
  EXPECT_TRUE(Drawn(plat::test::DrawOp::BitBlt).empty());
  for (int c : {0, 2}) {
    SCOPED_TRACE(c);
    const auto lines = Drawn(plat::test::DrawOp::Line, kColours[c]);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].points.size(), 2u);
    EXPECT_EQ(lines[0].points[0].x, kNewest);
    EXPECT_EQ(lines[0].points[1].x, kNewest);
    EXPECT_EQ(lines[0].points[0].y, rowOf(3, c));
    EXPECT_EQ(lines[0].points[1].y, rowOf(3, c));
    EXPECT_EQ(lines[0].penWidth, 2);
    EXPECT_FALSE(RowsOfColour(curve_, kNewest, kColours[c]).empty());
    EXPECT_TRUE(RowsOfColour(curve_, kNewest + 1, kColours[c]).empty());
  }
  // A completed station: one block copy 2 columns left, the grid again across the whole width,
  // then a segment from the previous row 2 columns left.
  plat::test::ClearDrawLog();
  Live(Rz12Frame(4));
  const auto blits = Drawn(plat::test::DrawOp::BitBlt);
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_EQ(blits[0].rect.left, 0);
  EXPECT_EQ(blits[0].rect.right, kNewest);
  EXPECT_EQ(blits[0].rect.bottom, kPlotHeight);
  const auto grid = Drawn(plat::test::DrawOp::Line, kGrey);
  ASSERT_EQ(grid.size(), 4u);
  EXPECT_EQ(grid[0].points[0].x, 0);
  EXPECT_EQ(grid[0].points[1].x, 760);
  for (int c : {0, 2}) {
    const auto lines = Drawn(plat::test::DrawOp::Line, kColours[c]);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[0].x, kNewest - 2);
    EXPECT_EQ(lines[0].points[0].y, rowOf(3, c));
    EXPECT_EQ(lines[0].points[1].x, kNewest);
    EXPECT_EQ(lines[0].points[1].y, rowOf(4, c));
  }
  // The first dot has moved to column 748.
  EXPECT_FALSE(RowsOfColour(curve_, kNewest - 2, kColours[0]).empty());

  // A cleared havePrev starts a new piece with a dot; the other channel goes on joining.
  PlotState.havePrev[0] = 0;
  plat::test::ClearDrawLog();
  Live(Rz12Frame(5));
  const auto c0 = Drawn(plat::test::DrawOp::Line, kColours[0]);
  ASSERT_EQ(c0.size(), 1u);
  EXPECT_EQ(c0[0].points[0].x, kNewest);
  EXPECT_EQ(c0[0].points[0].y, c0[0].points[1].y);
  EXPECT_EQ(Drawn(plat::test::DrawOp::Line, kColours[2])[0].points[0].x, kNewest - 2);

  // Two readings per station: the first of a station does not scroll, the one completing it does.
  PlotState.groupsPerStation = 2;
  plat::test::ClearDrawLog();
  Live(Rz12Frame(6));
  EXPECT_TRUE(Drawn(plat::test::DrawOp::BitBlt).empty());
  Live(Rz12Frame(7));
  EXPECT_EQ(Drawn(plat::test::DrawOp::BitBlt).size(), 1u);
  plat::test::EnableDrawLog(false);
}

// New pens after the display options are confirmed: the old curve keeps its colour until a redraw,
// and the next segment has the new one.
TEST_F(ProfileTest, ANewTraceColourShowsOnTheNextSegmentAndOnTheOldCurveAfterARedraw) {
  Start(kModelRz12);
  for (int i = 0; i < 30; ++i) Live(Rz12Frame(i));
  const PixelSet before = Curves()[kColours[0]];
  constexpr COLORREF kNew = RGB(0, 90, 40);
  SurveySettings.traceColour[0] = static_cast<int32_t>(kNew);
  CreateTracePens(1);
  EXPECT_EQ(Curves()[kColours[0]], before);
  Live(Rz12Frame(30));
  EXPECT_FALSE(RowsOfColour(curve_, kNewest, kNew).empty());
  EXPECT_FALSE(RowsOfColour(curve_, kNewest - 10, kColours[0]).empty());
  Redraw();
  for (int x = 0; x <= kNewest + 1; ++x) ASSERT_TRUE(RowsOfColour(curve_, x, kColours[0]).empty()) << x;
  EXPECT_FALSE(RowsOfColour(curve_, kNewest - 10, kNew).empty());
}

// ---- The redraw --------------------------------------------------------------------------------

TEST_F(ProfileTest, TheRedrawAfterARepaintGivesTheLiveCurvesColumnByColumn) {
  const struct {
    const char* name;
    int32_t model;
    int readings;
    std::function<std::string(int)> frame;
    int calibrateAt;  // RZ27-MK2: new offsets after this many readings; -1 none
  } cases[] = {
      {"RZ12", kModelRz12, 90, Rz12Frame, -1},
      {"RZ12, more readings than columns", kModelRz12, 420, Rz12Frame, -1},
      {"RZ89: both channels on scale 1", kModelRz89, 80, Rz89Frame, -1},
      {"RZ27-MK2 with 't' readings, calibrated in the middle", kModelRz27Mk2, 100, Mk2Frame, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.model);
    for (int i = 0; i < c.readings; ++i) {
      if (i == c.calibrateAt) {
        for (int k = 0; k < 6; ++k) Rz27Mk2Calibration.previous[k] = SurveySettings.mk2Offset[k];
        const float offsets[6] = {30.0f, -20.0f, 4.0f, 2.0f, 0.0f, 0.0f};
        std::memcpy(SurveySettings.mk2Offset, offsets, sizeof offsets);
        ASSERT_TRUE(WriteCalibrationRecords());
      }
      if (i % 7 == 3) {
        ASSERT_TRUE(WriteGpsRecords("$GPGGA,140709.00,5000.0000,N,00100.0000,W,1,08,1.0,10.0,M,,M,,*47", tick_,
                                    '@', '#'));
      }
      if (i % 23 == 5) {
        ASSERT_TRUE(WriteEventRecord("note", 'C'));
      }
      Live(c.frame(i));
    }
    const std::map<COLORREF, PixelSet> live = Curves();
    const std::string bytes = FileBytes();
    Redraw();
    const std::map<COLORREF, PixelSet> redrawn = Curves();
    ASSERT_EQ(live.size(), redrawn.size());
    for (const auto& [colour, pixels] : live) {
      SCOPED_TRACE(testing::Message() << "colour " << std::hex << colour);
      EXPECT_TRUE(survey::test::Close(pixels, redrawn.at(colour), 0));
    }
    EXPECT_EQ(FileBytes(), bytes);
    TearDown();
  }
}

TEST_F(ProfileTest, MoreReadingsThanColumnsDrawsTheNewest376AndTheNextRecordGoesToTheEnd) {
  Start(kModelRz12);
  for (int i = 0; i < 400; ++i) Live(Rz12Frame(i));
  const std::string before = FileBytes();
  Redraw();
  for (int channel : {0, 2}) {
    const std::vector<std::vector<POINT>> lines = Polylines(channel);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 376u);
    EXPECT_EQ(lines[0].front().x, 0);  // drawn oldest first
    EXPECT_EQ(lines[0].back().x, kNewest);
  }
  EXPECT_EQ(FileBytes(), before);
  Live(Rz12Frame(400));
  const std::string after = FileBytes();
  ASSERT_EQ(after.size(), before.size() + 24);
  EXPECT_EQ(after.compare(0, before.size(), before), 0);
  EXPECT_EQ(after.substr(before.size(), 12), Rz12Frame(400));
}

TEST_F(ProfileTest, AStationRecordBreaksEveryCurveAndLeavesTwoMoreColumns) {
  Start(kModelRz12);
  for (int i = 0; i < 10; ++i) Live(Rz12Frame(i));
  SurveyRun.station = 125.0;
  ASSERT_TRUE(WriteStationRecord());
  ASSERT_TRUE(WriteTimeRecord());
  for (int i = 10; i < 20; ++i) Live(Rz12Frame(i));
  Redraw();
  for (int channel : {0, 2}) {
    const std::vector<std::vector<POINT>> lines = Polylines(channel);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 10u);
    ASSERT_EQ(lines[1].size(), 10u);
    EXPECT_EQ(lines[0].back().x, kNewest);
    EXPECT_EQ(lines[0].front().x, kNewest - 18);
    EXPECT_EQ(lines[1].back().x, kNewest - 22);
    EXPECT_TRUE(RowsOfColour(curve_, kNewest - 20, kColours[channel]).empty());
  }
}

// RZ45 "6 readings": six readings per station of the 10 m vertical coils (channel 0) give six
// points per column, 2256 over the 376 columns, drawn in one piece.
TEST_F(ProfileTest, ManualStationReadingsShareAColumnAndTheirListsGrowBeyondAnyFixedSize) {
  Start(kModelRz45, kModeManual, 5);
  ASSERT_EQ(PlotState.groupsPerStation, 6);
  for (int i = 0; i < 380 * 6; ++i) Live(MeterFrame('T', 0x11, -(1200 + (i % 6) * 40), 0));
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 376u * 6);
  for (size_t k = 0; k < lines[0].size(); ++k) ASSERT_EQ(lines[0][k].x, 2 * static_cast<int>(k / 6)) << k;
}

// A file without its line's date record ends the walk at its start, also when the first record is
// torn; unknown records are skipped. The file stays as it was.
TEST_F(ProfileTest, AWalkWithoutALineDateRecordEndsAtTheStartOfTheFile) {
  std::string readings;
  for (int i = 0; i < 5; ++i) readings += MeterFrame('T', 0x20, -1600, 4000) + "        123\n";
  const std::string junk = std::string("?junk") + std::string(18, ' ') + "\n";
  const struct {
    const char* name;
    std::string bytes;
    size_t points;  // drawn for channel 0
  } cases[] = {
      {"readings only", readings, 5},
      {"a torn first record", "T( -16" + readings, 5},
      {"unknown records", junk + readings + junk, 5},
      {"shorter than one record", "T( -1600", 0},
      {"empty", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::UseBuild(kModelRz12);
    test::UseDesktopRoot();
    for (int k = 0; k < 8; ++k) SurveySettings.traceColour[k] = static_cast<int32_t>(kColours[k]);
    OpenScreen();
    SelectTraces();
    ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RUN.DAT"));
    if (!c.bytes.empty()) {
      ASSERT_TRUE(SurveyRun.dataFile.Append(c.bytes.data(), c.bytes.size()));
    }
    Redraw();
    const std::vector<std::vector<POINT>> lines = Polylines(0);
    ASSERT_EQ(lines.size(), c.points ? 1u : 0u);
    if (c.points) {
      EXPECT_EQ(lines[0].size(), c.points);
      EXPECT_EQ(lines[0].front().x, kNewest - 2 * static_cast<int>(c.points - 1));
    }
    EXPECT_EQ(FileBytes(), c.bytes);
    TearDown();
  }
}

TEST_F(ProfileTest, TheWalkStopsAtTheLinesDateRecordAndSkipsChannelsNotShown) {
  Start(kModelRz12);
  for (int i = 0; i < 8; ++i) Live(Rz12Frame(i));
  ASSERT_TRUE(WriteLineHeader());  // New Line: the older readings belong to the previous line
  for (int i = 0; i < 3; ++i) Live(Rz12Frame(i));
  PlotState.traceShown[2] = 0;
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 3u);
  EXPECT_TRUE(Polylines(2).empty());
}

TEST_F(ProfileTest, AnIsolatedPointIsADotAndNoOpenFileDrawsNothing) {
  Start(kModelRz12);
  Live(Rz12Frame(0));
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[0][0].x, lines[0][1].x);
  EXPECT_EQ(lines[0][0].y, lines[0][1].y);
  EXPECT_FALSE(RowsOfColour(curve_, kNewest, kColours[0]).empty());

  SurveyRun.dataFile.Close();
  Redraw();
  EXPECT_TRUE(Drawn(plat::test::DrawOp::Polyline).empty());
}

}  // namespace
}  // namespace desktop
