// The logging window's geometry: children, button sets and text fields for the standard window with
// a line height of 18, per build.
#include "ui/logging_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace desktop {
namespace {

// Widths as a font of 7 pixels a character would give (bold 8, large 9); tn 16.
LayoutWidths FixedWidths() {
  LayoutWidths w;
  for (int i = 0; i < kLayoutTextCount; ++i) {
    const LayoutTextInfo info = LayoutTextOf(static_cast<LayoutText>(i));
    const int perChar = info.font == LayoutFont::kLarge ? 9 : info.font == LayoutFont::kBold ? 8 : 7;
    w.width[i] = perChar * static_cast<int32_t>(std::strlen(info.text));
  }
  w.stationsHeight = 16;
  return w;
}

LoggingLayoutData Standard(LoggingKind kind) { return ComputeLoggingLayout({800, 574, 18, kind}, FixedWidths()); }

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST(LoggingGeometry, StandardWindowPlacesPlotAndNumbersPanel) {
  const LoggingGeometry g = ComputeLoggingGeometry(800, 574, 18);
  EXPECT_EQ(g.plotLeft, 20);
  EXPECT_EQ(g.plotTop, 20);
  EXPECT_EQ(g.plotWidth, 760);
  EXPECT_EQ(g.plotHeight, 384);
  EXPECT_EQ(g.numbersTop, 410);
  EXPECT_EQ(g.boxesWidth, 520);
  EXPECT_EQ(g.numbersHeight, 40);
  // The small layout's panel width goes negative; the platform clamps the size when it is created.
  EXPECT_LT(ComputeLoggingGeometry(240, 320, 18).boxesWidth, 0);
}

TEST(LoggingLayout, BoxesRowsAndNumberCellsOfTheStandardWindow) {
  const struct {
    LoggingKind kind;
    int cells;
    LONG cellX[5];
  } cases[] = {
      {LoggingKind::kMeter, 4, {34, 164, 294, 424, 0}},
      {LoggingKind::kRz56Mk2, 4, {34, 164, 294, 424, 0}},
      {LoggingKind::kMk2, 5, {17, 121, 225, 329, 433}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    const LoggingLayoutData l = Standard(c.kind);
    const int32_t rows[5] = {460, 474, 488, 502, 516};
    for (int r = 0; r < 5; ++r) EXPECT_EQ(l.rowY[r], rows[r]);
    EXPECT_EQ(l.boxEdge[0], 193);
    EXPECT_EQ(l.boxEdge[1], 367);
    EXPECT_EQ(l.numberCells, c.cells);
    for (int i = 0; i < c.cells; ++i) {
      EXPECT_EQ(l.valueRect[i].left, c.cellX[i]) << i;
      EXPECT_EQ(l.captionRect[i].left, c.cellX[i]) << i;
    }
    ExpectRect(l.captionRowRect, 2, 4, 519, 18);
    ExpectRect(l.valueRowRect, 2, 20, 519, 40);
    // Value fields are tn high from their row.
    ExpectRect(l.lineTimeRect, l.lineValueX, 516, 352, 532);
  }
}

TEST(LoggingLayout, StatusStripFollowsTheMeasuredWidthsPerBuild) {
  const LayoutWidths w = FixedWidths();
  using T = LayoutText;
  const LoggingLayoutData meter = Standard(LoggingKind::kMeter);
  ExpectRect(meter.stateRect, 23, 0, 23 + w[T::kMonitoring] + 10, 20);
  const LONG survey = meter.stateRect.right + 30;
  ExpectRect(meter.surveyModeRect, survey, 2, survey + w[T::kSurveyManual] + 10, 20);
  const LONG mode = meter.surveyModeRect.right + 40;
  ExpectRect(meter.modeRect, mode, 2, mode + w[T::kDipoleHorizontal] + 10, 20);
  ExpectRect(meter.batteryRect, meter.modeRect.right, 2, meter.modeRect.right + 2, 20);
  EXPECT_EQ(meter.markerRect.left, meter.batteryRect.right + 20);
  ExpectRect(meter.scaleMaxRect, 775 - w[T::kScaleMeter] - 2, 2, 775, 20);
  ExpectRect(meter.scaleMinRect, meter.scaleMaxRect.left, 405, 775, 423);

  const LoggingLayoutData rz45 = Standard(LoggingKind::kRz45);
  EXPECT_EQ(rz45.modeRect.left, rz45.surveyModeRect.right + 30);
  EXPECT_EQ(rz45.modeRect.right - rz45.modeRect.left, w[T::kDipoleHorizontal40] + 10);

  const LoggingLayoutData rz56 = Standard(LoggingKind::kRz56Mk2);
  EXPECT_EQ(rz56.batteryRect.left, rz56.modeRect.right + 40);
  EXPECT_EQ(rz56.batteryRect.right - rz56.batteryRect.left, w[T::kBattery] + 2);
  EXPECT_EQ(rz56.scaleMaxRect.left, 775 - w[T::kScaleMv] - 2);

  const LoggingLayoutData mk2 = Standard(LoggingKind::kMk2);
  EXPECT_EQ(mk2.modeRect.left, mk2.surveyModeRect.right + 10);
  EXPECT_EQ(mk2.markerRect.left, mk2.modeRect.right + 5);
  ExpectRect(mk2.autoCalRect, mk2.markerRect.right + 2, 0, mk2.markerRect.right + 2 + w[T::kAutoCalOff] + 60, 20);
  EXPECT_EQ(mk2.scaleMaxRect.left, mk2.autoCalRect.right + 2);

  // The partial builds have no mode or battery field: the marker starts at 20.
  const LoggingLayoutData partial = Standard(LoggingKind::kPartial);
  ExpectRect(partial.modeRect, 0, 0, 0, 0);
  ExpectRect(partial.batteryRect, 0, 0, 0, 0);
  EXPECT_EQ(partial.markerRect.left, 20);
}

TEST(LoggingLayout, ParameterBoxColumnsFollowTheirFormulas) {
  const LayoutWidths w = FixedWidths();
  using T = LayoutText;
  const LoggingLayoutData l = Standard(LoggingKind::kMeter);
  EXPECT_EQ(l.fileBoxX, 20 + (193 - 5 - 20 - w[T::kStationsSample]) / 2 - 18);
  EXPECT_EQ(l.fileValueX, l.fileBoxX + w[T::kStationsLabel] + 18);
  EXPECT_EQ(l.lineBoxX, 193 + (367 - 193 - w[T::kStationsSample]) / 2 - 15);
  EXPECT_EQ(l.lineValueX, l.lineBoxX + w[T::kStationsLabel] + 9);
  EXPECT_EQ(l.gpsBoxX, 367 + (367 - 193 - w[T::kLonSample]) / 2);
  EXPECT_EQ(l.gpsValueX, l.gpsBoxX + w[T::kLonLabel] + 4);
  const LONG p = l.gpsBoxX + w[T::kPhase] + 6;
  ExpectRect(l.gpsFixRect, l.gpsBoxX, 474, p - 1, 490);
  ExpectRect(l.gpsMarkRect[1], p + 20, 474, p + 35, 490);
  EXPECT_EQ(l.satLabelX, l.gpsBoxX + w[T::kGdopNa] + 12);
  ExpectRect(l.gpsSatRect, l.satLabelX + w[T::kSatLabel] + 4, 488, 520, 504);
  ExpectRect(l.gpsLonRect, l.gpsValueX, 516, 530, 532);
  ExpectRect(l.fileRect, l.fileBoxX, 474, 183, 490);
}

TEST(LoggingButtons, SetsAndPlacesPerBuild) {
  struct Expected {
    int index;
    const char* caption;
    int32_t x, y, width, height;
  };
  const struct {
    const char* name;
    LoggingKind kind;
    bool standBy;
    int32_t count;
    Expected check[3];
  } cases[] = {
      {"meter monitor", LoggingKind::kMeter, false, 3,
       {{0, "Data &File", 564, 424, 214, 34}, {1, "Scale &Readings", 564, 461, 214, 34}, {2, "E&xit", 564, 498, 214, 34}}},
      {"meter stand by", LoggingKind::kMeter, true, 7,
       {{0, "&GO (log data)", 564, 424, 214, 25}, {3, "&Comment", 564, 505, 106, 25}, {6, "E&xit", 674, 505, 106, 25}}},
      {"partial stand by", LoggingKind::kPartial, true, 7,
       {{4, "Scale &Rdgs", 674, 451, 106, 25}, {5, "&Profiles", 674, 478, 106, 25}, {1, "New &Line", 564, 451, 106, 25}}},
      {"rz56 monitor", LoggingKind::kRz56Mk2, false, 6,
       {{2, "E&xit", 564, 498, 106, 34}, {3, "N&ull", 674, 424, 106, 34}, {5, "&Ext. QC", 674, 498, 106, 34}}},
      {"rz56 stand by", LoggingKind::kRz56Mk2, true, 10,
       {{4, "E&xit", 564, 512, 106, 20}, {5, "N&ull", 674, 424, 106, 20}, {9, "&Profiles", 674, 512, 106, 20}}},
      {"mk2 monitor", LoggingKind::kMk2, false, 5,
       {{0, "Data &File", 564, 424, 214, 20}, {2, "C&alibrate RZ27-MK2", 564, 468, 214, 20}, {4, "E&xit", 564, 512, 214, 20}}},
      {"mk2 stand by", LoggingKind::kMk2, true, 9,
       {{0, "&GO (log data)", 564, 424, 214, 20}, {4, "Scale &Rdgs", 564, 512, 106, 20}, {8, "E&xit", 674, 512, 106, 20}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoggingButtonPlan plan = PlanLoggingButtons(c.kind, 800, 574, 18);
    const ButtonSet& set = c.standBy ? plan.standBy : plan.monitor;
    EXPECT_EQ(set.count, c.count);
    for (const Expected& e : c.check) {
      SCOPED_TRACE(e.index);
      const ButtonPlace& b = set.button[e.index];
      EXPECT_STREQ(b.caption, e.caption);
      EXPECT_EQ(b.x, e.x);
      EXPECT_EQ(b.y, e.y);
      EXPECT_EQ(b.width, e.width);
      EXPECT_EQ(b.height, e.height);
    }
    EXPECT_STREQ(plan.pause.caption, "P A U S E");
    EXPECT_EQ(plan.pause.x, 560);
    EXPECT_EQ(plan.pause.y, 424);
    EXPECT_EQ(plan.pause.width, 220);
    EXPECT_EQ(plan.pause.height, 50);
  }
}

}  // namespace
}  // namespace desktop
