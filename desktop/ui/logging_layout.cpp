#include "ui/logging_layout.h"

#include <algorithm>

namespace desktop {
namespace {

constexpr LayoutTextInfo kLayoutTexts[kLayoutTextCount] = {
    {"Monitoring", LayoutFont::kLarge},
    {"MARKER", LayoutFont::kLarge},
    {"Auto Cal OFF", LayoutFont::kLarge},
    {"999999.9 mS/m / 10000.0 ppt", LayoutFont::kLarge},  // "%0.1f mS/m / %0.1f ppt" of the widest scales
    {"999999.9 mV", LayoutFont::kLarge},                  // "%0.1f mV" of the widest scale
    {"Survey: Manual", LayoutFont::kNormal},
    {"Survey: Wheel", LayoutFont::kNormal},
    {"Survey: Auto", LayoutFont::kNormal},
    {"Mode: D", LayoutFont::kNormal},
    {"Mode: 4", LayoutFont::kNormal},
    {"# of Stns:888999", LayoutFont::kNormal},
    {"# of Stns:", LayoutFont::kNormal},
    {"Lon: -188 88 88.88888", LayoutFont::kNormal},
    {"Lon:", LayoutFont::kNormal},
    {"Positions: ", LayoutFont::kNormal},
    {"PHASE", LayoutFont::kNormal},
    {"PDOP:", LayoutFont::kNormal},
    {"GDOP: N/A", LayoutFont::kNormal},
    {"Sat:", LayoutFont::kNormal},
    {"Dipole Mode: Vertical", LayoutFont::kBold},
    {"Dipole Mode: Horizontal", LayoutFont::kBold},
    {"Dipole Mode: Both", LayoutFont::kBold},
    {"Dipole Mode: Vertical-40 m", LayoutFont::kBold},
    {"Dipole Mode: Horizontal-40 m", LayoutFont::kBold},
    {" Battery: 99.9 V ", LayoutFont::kBold},  // " Battery: %4.1f V " of the widest voltage
};

RECT Span(int32_t left, int32_t top, int32_t right, int32_t bottom) { return RECT{left, top, right, bottom}; }

// The status strip, left to right: state word, survey mode, mode, battery, marker, calibration and
// the scale maxima.
void LayOutStrip(const LayoutInputs& in, const LoggingGeometry& g, const LayoutWidths& w, LoggingLayoutData* l) {
  using T = LayoutText;
  const int32_t top = g.plotTop;
  const int32_t stateLeft = g.plotLeft + 3;
  l->stateRect = Span(stateLeft, 0, stateLeft + w[T::kMonitoring] + 10, top);
  const int32_t surveyLeft = l->stateRect.right + 30;
  const int32_t surveyWidth = std::max({w[T::kSurveyManual], w[T::kSurveyWheel], w[T::kSurveyAuto]}) + 10;
  l->surveyModeRect = Span(surveyLeft, 2, surveyLeft + surveyWidth, top);

  const int32_t dipoleWidth = std::max({w[T::kDipoleVertical], w[T::kDipoleHorizontal], w[T::kDipoleBoth]});
  int32_t modeLeft = 0;
  int32_t modeWidth = 0;
  switch (in.kind) {
    case LoggingKind::kRz56Mk2:
      modeLeft = l->surveyModeRect.right + 40;
      modeWidth = std::max(w[T::kModeD], w[T::kMode4]) + 10;
      break;
    case LoggingKind::kMeter:
      modeLeft = l->surveyModeRect.right + 40;
      modeWidth = dipoleWidth + 10;
      break;
    case LoggingKind::kRz45:
      modeLeft = l->surveyModeRect.right + 30;
      modeWidth = std::max(w[T::kDipoleVertical40], w[T::kDipoleHorizontal40]) + 10;
      break;
    case LoggingKind::kMk2:
      modeLeft = l->surveyModeRect.right + 10;
      modeWidth = dipoleWidth + 5;
      break;
    case LoggingKind::kPartial:
      break;  // no mode or battery field: both stay empty at 0
  }
  if (in.kind != LoggingKind::kPartial) {
    l->modeRect = Span(modeLeft, 2, modeLeft + modeWidth, top);
    if (in.kind == LoggingKind::kRz56Mk2) {
      const int32_t left = l->modeRect.right + 40;
      l->batteryRect = Span(left, 2, left + w[T::kBattery] + 2, top);
    } else {
      l->batteryRect = Span(l->modeRect.right, 2, l->modeRect.right + 2, top);
    }
  }
  const int32_t markerLeft = in.kind == LoggingKind::kMk2 ? l->modeRect.right + 5 : l->batteryRect.right + 20;
  l->markerRect = Span(markerLeft, 2, markerLeft + w[T::kMarker] + 10, top);

  const int32_t scaleRight = g.plotLeft + g.plotWidth - 5;
  int32_t scaleLeft = 0;
  if (in.kind == LoggingKind::kMk2) {
    const int32_t left = l->markerRect.right + 2;
    l->autoCalRect = Span(left, 0, left + w[T::kAutoCalOff] + 60, top);
    scaleLeft = l->autoCalRect.right + 2;
  } else {
    const int32_t text = in.kind == LoggingKind::kRz56Mk2 ? w[T::kScaleMv] : w[T::kScaleMeter];
    scaleLeft = scaleRight - text - 2;
  }
  l->scaleMaxRect = Span(scaleLeft, 2, scaleRight, top);
  const int32_t minTop = g.plotTop + g.plotHeight + 1;
  l->scaleMinRect = Span(scaleLeft, minTop, scaleRight, minTop + in.lineHeight);
}

// The three parameter boxes below the numbers panel.
void LayOutBoxes(const LayoutInputs& in, const LoggingGeometry& g, const LayoutWidths& w, LoggingLayoutData* l) {
  using T = LayoutText;
  const int32_t lh = in.lineHeight;
  const int32_t tn = w.stationsHeight;
  l->rowY[4] = in.windowHeight - 40 - lh;
  for (int r = 3; r >= 0; --r) l->rowY[r] = l->rowY[r + 1] - (lh - 4);
  l->boxEdge[0] = g.plotLeft + g.boxesWidth / 3;
  l->boxEdge[1] = g.plotLeft + g.boxesWidth - g.boxesWidth / 3;
  const int32_t e0 = l->boxEdge[0];
  const int32_t e1 = l->boxEdge[1];
  const int32_t b = g.plotLeft + g.boxesWidth;

  l->fileBoxX = g.plotLeft + (e0 - 5 - g.plotLeft - w[T::kStationsSample]) / 2 - 18;
  l->fileValueX = l->fileBoxX + w[T::kStationsLabel] + 18;
  l->lineBoxX = e0 + (e1 - e0 - w[T::kStationsSample]) / 2 - 15;
  l->lineValueX = l->lineBoxX + w[T::kStationsLabel] + 9;
  l->gpsBoxX = e1 + (e1 - e0 - w[T::kLonSample]) / 2;
  l->gpsValueX = l->gpsBoxX + w[T::kLonLabel] + 4;

  auto field = [&](int row, int32_t left, int32_t right) { return Span(left, l->rowY[row], right, l->rowY[row] + tn); };
  l->fileRect = field(1, l->fileBoxX, e0 - 10);
  l->totalStationsRect = field(3, l->fileValueX, e0 - 10);
  l->totalTimeRect = field(4, l->fileValueX, e0 - 10);
  l->lineNameRect = field(1, l->lineValueX, e1 - 15);
  l->stationRect = field(2, l->lineValueX, e1 - 15);
  l->lineStationsRect = field(3, l->lineValueX, e1 - 15);
  l->lineTimeRect = field(4, l->lineValueX, e1 - 15);
  l->gpsCountRect = field(0, l->gpsBoxX + w[T::kPositions] + 4, b - 10);
  const int32_t p = l->gpsBoxX + w[T::kPhase] + 6;
  l->gpsFixRect = field(1, l->gpsBoxX, p - 1);
  l->gpsMarkRect[0] = field(1, p, p + 15);
  l->gpsMarkRect[1] = field(1, p + 20, p + 35);
  const int32_t s = l->gpsBoxX + w[T::kGdopNa] + 12;
  l->satLabelX = s;
  l->gpsPdopRect = field(2, l->gpsBoxX + w[T::kPdopLabel] + 4, s - 1);
  l->gpsSatRect = field(2, s + w[T::kSatLabel] + 4, b - 20);
  l->gpsLatRect = field(3, l->gpsValueX, b - 10);
  l->gpsLonRect = field(4, l->gpsValueX, b - 10);
}

// The numbers panel's caption and value rows and their cells.
void LayOutNumbers(const LayoutInputs& in, const LoggingGeometry& g, LoggingLayoutData* l) {
  const int32_t lh = in.lineHeight;
  l->captionRowRect = Span(2, 4, g.boxesWidth - 1, lh);
  l->valueRowRect = Span(2, lh + 2, g.boxesWidth - 1, 2 * lh + 4);
  const bool five = in.kind == LoggingKind::kMk2;
  l->numberCells = five ? 5 : 4;
  const int32_t c = (g.boxesWidth - 6) / l->numberCells;
  int32_t x = five ? 17 : 34;
  for (int i = 0; i < l->numberCells; ++i) {
    l->captionRect[i] = Span(x, l->captionRowRect.top, x + c, l->captionRowRect.bottom);
    l->valueRect[i] = Span(x, l->valueRowRect.top, x + c, l->valueRowRect.bottom);
    x += c + 2;
  }
}

}  // namespace

LoggingGeometry ComputeLoggingGeometry(int32_t windowWidth, int32_t windowHeight, int32_t lineHeight) {
  LoggingGeometry g;
  g.plotWidth = windowWidth - 40;
  g.plotHeight = windowHeight - 8 * lineHeight - 46;
  g.boxesWidth = windowWidth - 280;
  g.numbersTop = g.plotTop + g.plotHeight + 6;
  g.numbersHeight = 2 * lineHeight + 4;
  return g;
}

LayoutTextInfo LayoutTextOf(LayoutText t) { return kLayoutTexts[static_cast<int>(t)]; }

LoggingLayoutData ComputeLoggingLayout(const LayoutInputs& in, const LayoutWidths& widths) {
  const LoggingGeometry g = ComputeLoggingGeometry(in.windowWidth, in.windowHeight, in.lineHeight);
  LoggingLayoutData l;
  LayOutStrip(in, g, widths, &l);
  LayOutBoxes(in, g, widths, &l);
  LayOutNumbers(in, g, &l);
  return l;
}

// ---- Button sets ---------------------------------------------------------------------------------

namespace {

constexpr const char* kMonitorRz56Mk2[] = {"&File", "Scale &Rdgs", "E&xit", "N&ull", "&Int. QC", "&Ext. QC"};
constexpr const char* kStandByRz56Mk2[] = {"&Go",     "New &Line", "&New Stn.", "&Comment",    "E&xit",
                                           "N&ull",   "&Int. QC",  "&Ext. QC",  "Scale &Rdgs", "&Profiles"};
constexpr const char* kMonitorMk2[] = {"Data &File", "Scale &Readings", "C&alibrate RZ27-MK2", "D&elete Calibration",
                                       "E&xit"};
constexpr const char* kStandByMk2[] = {"&GO (log data)", "New &Line",  "&New Stn.",    "&Comment", "Scale &Rdgs",
                                       "&Profiles",      "C&alibrate", "D&el Calibr.", "E&xit"};
constexpr const char* kMonitorMeter[] = {"Data &File", "Scale &Readings", "E&xit"};
constexpr const char* kStandByMeter[] = {"&GO (log data)", "New &Line", "&New Stn.", "&Comment",
                                         "Scale &Rdgs",    "&Profiles", "E&xit"};

struct Column {
  int32_t x0, x1;  // columns A and B
  int32_t top;     // t, the first row
};

// Buttons in two columns: the first `inA` in column A from row `firstRow`, the rest in column B
// from the same row; a wide first button (Stand By of the meter and RZ27-MK2 sets) stands alone in
// row 0 of column A and the others start in row 1.
template <std::size_t N>
ButtonSet Place(const char* const (&captions)[N], const Column& c, int32_t inA, bool wideFirst, int32_t width,
                int32_t height, int32_t pitch) {
  ButtonSet set;
  set.count = static_cast<int32_t>(N);
  const int32_t first = wideFirst ? 1 : 0;
  for (int32_t i = 0; i < set.count; ++i) {
    ButtonPlace& b = set.button[i];
    b.caption = captions[i];
    b.height = height;
    if (wideFirst && i == 0) {
      b = {captions[i], c.x0, c.top, 214, height};
      continue;
    }
    const bool inColumnA = i < first + inA;
    const int32_t row = inColumnA ? i : i - inA;
    b.x = inColumnA ? c.x0 : c.x1;
    b.y = c.top + row * pitch;
    b.width = width;
  }
  return set;
}

}  // namespace

LoggingButtonPlan PlanLoggingButtons(LoggingKind kind, int32_t windowWidth, int32_t windowHeight, int32_t lineHeight) {
  const int32_t t = windowHeight - 7 * lineHeight - 24;
  const int32_t a = windowHeight - t - 48;
  const int32_t b = windowHeight - t - 50;
  const Column c{windowWidth - 236, windowWidth - 126, t};
  LoggingButtonPlan plan;
  switch (kind) {
    case LoggingKind::kRz56Mk2:
      plan.monitor = Place(kMonitorRz56Mk2, c, 3, false, 106, a / 3, a / 3 + 3);
      plan.standBy = Place(kStandByRz56Mk2, c, 5, false, 106, b / 5, b / 5 + 2);
      break;
    case LoggingKind::kMk2:
      plan.monitor = Place(kMonitorMk2, c, 5, false, 214, a / 5, a / 5 + 2);
      plan.standBy = Place(kStandByMk2, c, 4, true, 106, b / 5, b / 5 + 2);
      break;
    case LoggingKind::kMeter:
    case LoggingKind::kRz45:
    case LoggingKind::kPartial:
      plan.monitor = Place(kMonitorMeter, c, 3, false, 214, a / 3, a / 3 + 3);
      plan.standBy = Place(kStandByMeter, c, 3, true, 106, b / 4, b / 4 + 2);
      break;
  }
  const int32_t plotLeft = ComputeLoggingGeometry(windowWidth, windowHeight, lineHeight).plotLeft;
  plan.pause = {"P A U S E", windowWidth - 220 - plotLeft, t, 220, 2 * (a / 4)};
  return plan;
}

int32_t MonitorButtonCount(LoggingKind kind) { return PlanLoggingButtons(kind, 800, 574, 18).monitor.count; }
int32_t StandByButtonCount(LoggingKind kind) { return PlanLoggingButtons(kind, 800, 574, 18).standBy.count; }

}  // namespace desktop
