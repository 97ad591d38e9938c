// The profile redraw from the data file: after a live run written with the engine's record writers,
// a repaint and a redraw give the live curves again; the walk stops at the left edge, at the line's
// date record, and at the start of a damaged file; station records break the curves; the point
// lists grow with the readings of a station.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "engine/decoders.h"
#include "engine/ice.h"
#include "engine/records.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/logging.h"
#include "plot_test_support.h"
#include "profile_frames.h"

namespace handheld {
namespace {

using survey::test::MeterFrame;
using survey::test::Mk2Count;
using survey::test::Tri;
constexpr const COLORREF* kColours = survey::test::kTraceColours;

constexpr int kPlotHeight = 180;
constexpr uint32_t kStartTick = 1000000;

// RZ12, vertical dipole, range code 0: conductivity 300 to 450 mS/m (rows 18 to 72), inphase -5 to
// -20 ppt (rows 108 to 162).
std::string Rz12Frame(int i) {
  const double tri = Tri(i);
  return MeterFrame('T', 32 + 8, static_cast<int>(-(300 + 15 * tri) * 4), static_cast<int>((5 + 1.5 * tri) * 400));
}

// RZ12 with the status byte 0x00: horizontal dipole, range code 0 (range 1000, gain 1), no marker;
// the values of Rz12Frame on the horizontal channels.
std::string Rz12StatusZeroFrame(int i) {
  std::string f = Rz12Frame(i);
  f[1] = 0;
  return f;
}

// RZ89, range code 4: channel 0 from 300 to 450 and channel 2 from 50 to 150, both on scale 1.
std::string Rz89Frame(int i) {
  const double tri = Tri(i);
  return MeterFrame('T', 32 + 8 + 4, static_cast<int>(-(120 + 6 * tri)), static_cast<int>(-(200 + 40 * tri)));
}

// RZ27-MK2, vertical dipole, marker off: four bands of rows, the values as the offsets in force
// make them (so the calibration below moves the counts, not the curves' bands).
std::string Mk2Frame(int i) {
  const double tri = Tri(i);
  const float* o = SurveySettings.mk2Offset;
  const int cond1m = Mk2Count(400 + 6 * tri - o[0]);               // ch 0, rows 18 to 36
  const int cond05m = Mk2Count(250 + 6 * tri - o[1]);              // ch 4, rows 68 to 90
  const int inph1m = Mk2Count((-15 - 0.6 * tri + o[2]) / 0.028819);  // ch 2, rows 144 to 165
  const int inph05m = Mk2Count((-3 - 0.6 * tri + o[3]) / 0.00720475);  // ch 6, rows 100 to 122
  std::string f(14, '\0');
  f[0] = 'T';
  f[1] = 6;
  const int counts[6] = {cond05m, inph05m, cond1m, inph1m, 600, 610};
  for (int k = 0; k < 6; ++k) {
    f[2 + 2 * k] = static_cast<char>(counts[k] >> 8);
    f[3 + 2 * k] = static_cast<char>(counts[k] & 0xFF);
  }
  return f;
}

using test::PixelSet;

class RedrawTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  // A fresh layer with a screen of the orientation, drive root and clock (for each case).
  void Fresh(bool portrait = false) {
    ResetEngineState();
    plat::test::Reset(plat::Profile::Handheld, portrait ? plat::test::Screen{240, 320} : plat::test::Screen{320, 240});
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(kStartTick, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9),
                                plat::test::ClockMode::Manual);
  }

  // A build, the screen, the settings of the run and a new data file with its header, first line
  // and "$STARTED": the state at the first reading after Go.
  void Start(int model, int surveyMode = 0, int dipole = 0, bool portrait = false) {
    test::UseBuild(model);
    screen_ = test::OpenPlotScreen(portrait, kPlotHeight);
    ASSERT_NE(screen_.curve, nullptr);
    SetDefaultSettings();
    SurveySettings.surveyMode = surveyMode;
    SurveySettings.dipole = dipole;
    for (int c = 0; c < 8; ++c) SurveySettings.traceColour[c] = kColours[c];
    SelectTraces();
    LinkState.frameLength = model == kModelRz27Mk2 ? 14 : 12;
    SurveyRun.dataFileName = "RUN";
    ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\RUN.DAT"));
    ASSERT_TRUE(WriteFileHeader());
    ASSERT_TRUE(WriteLineHeader());
    ASSERT_TRUE(WriteTimeRecord());
    test::RepaintPlot(screen_.curve);
    ASSERT_TRUE(WriteEventRecord(L"$STARTED", 'X'));
    SurveyRun.state = kRunLogging;
  }

  // One recorded reading as the reading handlers take it: decode (with the ice thickness of a
  // horizontal reading when the conversion is on), count it at its station, tag, write, then rows
  // and the live point.
  void Live(const std::string& frame) {
    std::memset(LinkState.frame, 0, sizeof LinkState.frame);
    std::memcpy(LinkState.frame, frame.data(), frame.size());
    LinkState.lastFrameTick = ++tick_;
    const bool mk2 = BuildConfig.modelIndex == kModelRz27Mk2;
    if (mk2) {
      float f[6];
      int32_t n[6];
      int32_t t[2];
      char dipole, marker;
      DecodeRz27Mk2Frame(f[0], f[1], f[2], f[3], n[0], n[1], n[2], n[3], f[4], f[5], t[0], t[1], dipole, marker);
    } else {
      float v1, v2;
      char dipole, marker;
      int16_t range;
      int32_t kind = 0, battery = 0;
      uint16_t range2;
      DecodeMeterFrame(v1, v2, dipole, range, marker, kind, range2, battery);
      if (SurveySettings.zolEnabled == 1 && dipole == 'H') ComputeIceThickness(v1, SurveySettings.seaWaterIndex);
    }
    SurveyRun.readingsAtStation += 1;
    if (SurveyRun.readingsAtStation >= 2) LinkState.frame[0] = static_cast<unsigned char>('0' + SurveyRun.readingsAtStation);
    ASSERT_TRUE(mk2 ? WriteRz27Mk2Reading(LinkState.frame) : WriteReadingRecord());
    if (SurveyRun.readingsAtStation >= PlotState.groupsPerStation) SurveyRun.readingsAtStation = 0;
    int32_t rows[8] = {};
    TracesToRows(rows);
    HDC dc = GetDC(screen_.curve);
    PlotReadingPoint(dc, rows);
    ReleaseDC(screen_.curve, dc);
  }

  // Pixels of each shown channel's colour in the scrolling part of the plot (to the newest
  // column's right neighbour; the labels start beyond it).
  std::map<COLORREF, PixelSet> Curves() {
    std::map<COLORREF, PixelSet> out;
    for (int c = 0; c < 8; ++c) {
      if (PlotState.traceShown[c] != 1) continue;
      PixelSet& set = out[kColours[c]];
      for (int x = 0; x <= NewestColumn() + 1; ++x) {
        for (int y : test::RowsOfColour(screen_.curve, x, kColours[c])) set.insert({x, y});
      }
    }
    return out;
  }

  // Polylines drawn on the plot in a channel's colour, in drawing order.
  std::vector<std::vector<POINT>> Polylines(int channel) {
    std::vector<std::vector<POINT>> out;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Polyline && e.window == screen_.curve && e.penColor == kColours[channel]) {
        out.push_back(e.points);
      }
    }
    return out;
  }

  void Redraw() {
    test::RepaintPlot(screen_.curve);
    plat::test::ClearDrawLog();
    plat::test::EnableDrawLog(true);
    RedrawProfile(screen_.curve);
    plat::test::EnableDrawLog(false);
  }

  static int NewestColumn() { return ScreenLayout.portrait ? 200 : 270; }

  test::PlotScreen screen_;
  uint32_t tick_ = kStartTick;
};

struct MatchCase {
  const char* name;
  int model;
  bool portrait;
  int readings;
  std::function<std::string(int)> frame;
  int calibrateAt;  // RZ27-MK2: new offsets after this many readings; -1 none
  int dipole;       // the dipole setting, which picks the channels shown
};

TEST_F(RedrawTest, RedrawAfterARepaintGivesTheLiveCurves) {
  const MatchCase cases[] = {
      {"RZ12 landscape", kModelRz12, false, 90, Rz12Frame, -1, 0},
      {"RZ12 portrait, more readings than columns", kModelRz12, true, 160, Rz12Frame, -1, 0},
      {"RZ12 landscape, more readings than columns", kModelRz12, false, 200, Rz12Frame, -1, 0},
      {"RZ12 status byte 0x00", kModelRz12, false, 90, Rz12StatusZeroFrame, -1, 1},
      {"RZ89: both channels on scale 1", kModelRz89, false, 80, Rz89Frame, -1, 0},
      {"RZ27-MK2 calibrated in the middle", kModelRz27Mk2, false, 100, Mk2Frame, 50, 0},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh(c.portrait);
    Start(c.model, 0, c.dipole, c.portrait);
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
        ASSERT_TRUE(WriteEventRecord(L"note", 'C'));
      }
      Live(c.frame(i));
    }
    const std::map<COLORREF, PixelSet> live = Curves();
    const uint64_t size = SurveyRun.dataFile.Size();
    Redraw();
    const std::map<COLORREF, PixelSet> redrawn = Curves();
    ASSERT_EQ(live.size(), redrawn.size());
    for (const auto& [colour, pixels] : live) {
      SCOPED_TRACE(testing::Message() << "colour " << std::hex << colour);
      EXPECT_FALSE(pixels.empty());
      EXPECT_TRUE(test::Close(pixels, redrawn.at(colour)));
    }
    EXPECT_EQ(SurveyRun.dataFile.Size(), size);
  }
}

// The RZ12's ice profile: each horizontal reading's thickness on the ice scale (0 to 5 m), with
// the meter type and sea water in force, as channel 4; a vertical reading has none, and neither
// has one below the curve, so the curve breaks there, live and redrawn. Only where the live plot
// draws it: not with "Th" hidden or the conversion off.
TEST_F(RedrawTest, TheIceProfileIsTheThicknessOfEachHorizontalReading) {
  struct Case {
    const char* name;
    int32_t zolEnabled;
    int32_t thVisible;
    bool drawn;
    bool belowCurve;  // two readings under the curve's 7 m end in the middle
  } const cases[] = {
      {"ice profile", 1, 1, true, false},
      {"Th hidden", 1, 0, false, false},
      {"conversion off", 0, 1, false, false},
      {"readings below the curve", 1, 1, true, true},
  };
  // No part of the ice curve in the plot's bottom rows (the readings on the curve here are all
  // thicker than 1 m).
  const auto expectNothingAtTheBottom = [this](const char* when) {
    for (int x = 0; x <= NewestColumn() + 1; ++x) {
      for (int y : test::RowsOfColour(screen_.curve, x, kColours[4])) {
        EXPECT_LT(y, kPlotHeight - 10) << when << ", column " << x;
      }
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    Start(kModelRz12);
    SurveySettings.rz12Type = 1;  // Short, 2300 mS/m: 1408 mS/m is 0.1 m, 112 mS/m 2.6 m
    SurveySettings.seaWaterIndex = 3;
    LoadIceCurve(3);
    SurveySettings.zolEnabled = c.zolEnabled;
    SurveySettings.showIceProfile = 1;
    SurveySettings.traceVisible[4] = c.thVisible;
    PlotState.pxPerUnitIce = kPlotHeight / 5.0f;
    SelectTraces();
    if (c.belowCurve) {
      for (int conductivity : {277, 252, 10, 10, 112}) Live(MeterFrame('T', 0x80, -4 * conductivity, 0));
      expectNothingAtTheBottom("live");
      const PixelSet live = Curves()[kColours[4]];
      Redraw();
      expectNothingAtTheBottom("redrawn");
      EXPECT_TRUE(test::Close(live, Curves()[kColours[4]]));  // the same gap
      const std::vector<std::vector<POINT>> lines = Polylines(4);
      ASSERT_EQ(lines.size(), 2u);
      // 112 mS/m as a dot, the gap of the two readings, then 252 and 277 mS/m.
      for (const POINT& p : lines[0]) EXPECT_EQ(p.x, 270);
      ASSERT_EQ(lines[1].size(), 2u);
      EXPECT_EQ(lines[1][0].x, 264);
      EXPECT_EQ(lines[1][1].x, 262);
      continue;
    }
    for (int conductivity : {1408, 1238, 0, 957, 277, 252, 112}) {
      Live(conductivity == 0 ? MeterFrame('T', 0xA0, -4000, 0) : MeterFrame('T', 0x80, -4 * conductivity, 0));
    }
    Redraw();
    const std::vector<std::vector<POINT>> lines = Polylines(4);
    if (!c.drawn) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<std::pair<int, int>> expected[2] = {{{270, 86}, {268, 122}, {266, 126}, {264, 165}},
                                                           {{260, 172}, {258, 176}}};
    for (int piece = 0; piece < 2; ++piece) {
      ASSERT_EQ(lines[piece].size(), expected[piece].size()) << piece;
      for (size_t k = 0; k < expected[piece].size(); ++k) {
        EXPECT_EQ(lines[piece][k].x, expected[piece][k].first) << piece << " " << k;
        EXPECT_EQ(lines[piece][k].y, expected[piece][k].second) << piece << " " << k;
      }
    }
  }
}

TEST_F(RedrawTest, MoreReadingsThanColumnsDrawsTheNewestOnesAndTheNextRecordGoesToTheEnd) {
  Start(kModelRz12);
  for (int i = 0; i < 200; ++i) Live(Rz12Frame(i));
  const std::string before = test::RootFileBytes("RUN.DAT");
  Redraw();
  for (int channel : {0, 2}) {
    const std::vector<std::vector<POINT>> lines = Polylines(channel);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 136u);
    EXPECT_EQ(lines[0].front().x, 270);
    EXPECT_EQ(lines[0].back().x, 0);
  }
  EXPECT_EQ(test::RootFileBytes("RUN.DAT"), before);
  Live(Rz12Frame(200));
  const std::string after = test::RootFileBytes("RUN.DAT");
  ASSERT_EQ(after.size(), before.size() + 24);
  EXPECT_EQ(after.compare(0, before.size(), before), 0);
  EXPECT_EQ(after.substr(before.size(), 12), Rz12Frame(200));
}

TEST_F(RedrawTest, AStationRecordBreaksEveryCurveAndLeavesTwoMoreColumns) {
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
    EXPECT_EQ(lines[0].front().x, 270);
    EXPECT_EQ(lines[0].back().x, 252);
    EXPECT_EQ(lines[1].front().x, 248);
    EXPECT_EQ(lines[1].back().x, 230);
    EXPECT_TRUE(test::RowsOfColour(screen_.curve, 250, kColours[channel]).empty());
  }
}

TEST_F(RedrawTest, ManualStationReadingsShareAColumnAndTheirListsGrowBeyondAnyFixedSize) {
  // RZ45 "6 readings": six readings per station, all of the 10 m vertical coils (channel 0), give
  // 6 points per column: 816 points in one piece over the 136 columns.
  Start(kModelRz45, 2, 5);
  ASSERT_EQ(PlotState.groupsPerStation, 6);
  for (int i = 0; i < 140 * 6; ++i) Live(MeterFrame('T', 17, -(1200 + (i % 6) * 40), 0));
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 816u);
  for (size_t k = 0; k < lines[0].size(); ++k) ASSERT_EQ(lines[0][k].x, 270 - 2 * static_cast<int>(k / 6)) << k;
  EXPECT_FALSE(test::RowsOfColour(screen_.curve, 0, kColours[0]).empty());
}

TEST_F(RedrawTest, AWalkWithoutALineDateRecordEndsAtTheStartOfTheFile) {
  struct Case {
    const char* name;
    std::string bytes;
    size_t points;  // drawn for channel 0
  };
  std::string readings;
  for (int i = 0; i < 5; ++i) readings += MeterFrame('T', 40, -1600, 4000) + "        123\n";
  const std::string junk = std::string("?junk") + std::string(18, ' ') + "\n";
  const Case cases[] = {
      {"readings only", readings, 5},
      {"a torn record at the end", readings + "T( -16", 5},
      {"unknown records", junk + readings + junk, 5},
      {"shorter than one record", "T( -1600", 0},
      {"empty", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    test::UseBuild(kModelRz12);
    screen_ = test::OpenPlotScreen(false, kPlotHeight);
    SetDefaultSettings();
    for (int k = 0; k < 8; ++k) SurveySettings.traceColour[k] = kColours[k];
    SelectTraces();
    ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\BAD.DAT"));
    if (!c.bytes.empty()) {
      ASSERT_TRUE(SurveyRun.dataFile.Append(c.bytes.data(), c.bytes.size()));
    }
    Redraw();
    const std::vector<std::vector<POINT>> lines = Polylines(0);
    ASSERT_EQ(lines.size(), c.points ? 1u : 0u);
    if (c.points) {
      EXPECT_EQ(lines[0].size(), c.points);
      EXPECT_EQ(lines[0].back().x, 270 - 2 * static_cast<int>(c.points - 1));
    }
    EXPECT_EQ(test::RootFileBytes("BAD.DAT"), c.bytes);
  }
}

TEST_F(RedrawTest, TheWalkStopsAtTheLinesDateRecordAndSkipsChannelsNotShown) {
  Start(kModelRz12);
  for (int i = 0; i < 8; ++i) Live(Rz12Frame(i));
  ASSERT_TRUE(WriteLineHeader());  // New Line: the older readings belong to the previous line
  ASSERT_TRUE(WriteTimeRecord());
  for (int i = 0; i < 3; ++i) Live(Rz12Frame(i));
  PlotState.traceShown[2] = 0;
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 3u);
  EXPECT_TRUE(Polylines(2).empty());
}

TEST_F(RedrawTest, AnIsolatedPointIsADotAndNoOpenFileDrawsNothing) {
  Start(kModelRz12);
  Live(Rz12Frame(0));
  Redraw();
  const std::vector<std::vector<POINT>> lines = Polylines(0);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[0][0].x, lines[0][1].x);
  EXPECT_EQ(lines[0][0].y, lines[0][1].y);
  EXPECT_FALSE(test::RowsOfColour(screen_.curve, 270, kColours[0]).empty());

  SurveyRun.dataFile.Close();
  Redraw();
  EXPECT_TRUE(plat::test::DrawLog().empty());
}

}  // namespace
}  // namespace handheld
