// The logging window's field geometry from measured text widths: both orientations in full, then
// the variations by model, survey mode and the ice option.
#include "logging/layout.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/state.h"
#include "logging/screen.h"

// RECT lives in the global namespace, so its comparison and printer do too.
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace handheld {

namespace {

using T = LayoutText;

// Widths chosen apart from each other, so that a field built from the wrong text shows.
LayoutWidths Widths() {
  LayoutWidths w;
  const std::pair<T, int> values[] = {
      {T::kStandBy, 44},   {T::kLogging, 40},    {T::kMonitor, 42},    {T::kLn, 16},          {T::kHor, 22},
      {T::kColon, 3},      {T::kBlank, 3},
      {T::kS, 7},          {T::kDigit0, 7},      {T::kDigit1, 7},      {T::kDigit2, 7},       {T::kDigit3, 7},
      {T::kDigit4, 8},     {T::kDigit5, 7},      {T::kDigit6, 7},      {T::kManualLabel, 20}, {T::kStationLabel, 22},
      {T::kM, 10},         {T::kValue1Dd, 60},   {T::kValue1, 80},     {T::kValue2Dd, 62},    {T::kValue2, 76},
      {T::kIce, 58},       {T::kRangeDd, 170},   {T::kRangeZol, 90},   {T::kRange, 160},      {T::kPos, 20},
      {T::kBackslash, 4},  {T::kSlash, 5},       {T::kHash, 8},        {T::kCount5, 30},      {T::kCode, 28},
      {T::kDgps, 30},      {T::kRtk, 22},        {T::kAgps, 29},       {T::kNoFix, 36},       {T::kPdopLabel, 30},
      {T::kPdop, 20},      {T::kNa, 21},         {T::kSatLabel, 20},   {T::kSat2, 14},
  };
  for (const auto& [text, width] : values) w[text] = width;
  return w;
}

LayoutInputs Landscape(int32_t model = kModelRz12) {
  LayoutInputs in;
  in.portrait = 0;
  in.windowWidth = 320;
  in.textHeight = 14;
  in.plotTop = 30;
  in.plotHeight = 158;
  in.model = model;
  return in;
}

LayoutInputs Portrait(int32_t model = kModelRz12) {
  LayoutInputs in;
  in.portrait = 1;
  in.windowWidth = 240;
  in.textHeight = 14;
  in.plotTop = 44;
  in.plotHeight = 210;
  in.model = model;
  return in;
}

TEST(LoggingLayout, Landscape) {
  const LoggingPaintLayout out = ComputeLoggingLayout(Landscape(), Widths());
  const LoggingLayoutData& f = out.fields;
  EXPECT_EQ(f.topRowY, 1);
  EXPECT_EQ(f.lineRowY, 15);
  EXPECT_EQ(f.valuesRowY, 188);  // just under the plot
  EXPECT_EQ(f.gpsRowY, 202);
  // The state word ends 40 px from the right edge; the battery fills the last 40 px of the top row.
  EXPECT_EQ(f.stateRect, (RECT{232, 1, 280, 17}));
  EXPECT_EQ(f.modeRect, (RECT{175, 1, 231, 17}));
  EXPECT_EQ(f.batteryRect, (RECT{280, 0, 320, 17}));
  EXPECT_EQ(f.lineNameRect, (RECT{22, 15, 129, 31}));
  EXPECT_EQ(f.dipoleRect, (RECT{293, 15, 320, 31}));
  EXPECT_EQ(f.readingCountRect, (RECT{138, 15, 147, 31}));  // the widest digit is 8
  EXPECT_EQ(f.markerRect, (RECT{153, 15, 164, 31}));        // after "Stn:"
  EXPECT_EQ(f.stationRect, (RECT{165, 15, 292, 31}));
  EXPECT_EQ(f.valuesRowRect, (RECT{5, 188, 320, 204}));
  EXPECT_EQ(f.value1Rect, (RECT{5, 188, 84, 204}));
  EXPECT_EQ(f.value2Rect, (RECT{85, 188, 165, 204}));
  EXPECT_EQ(f.iceRect, (RECT{0, 0, 0, 0}));
  EXPECT_EQ(f.rangeRect, (RECT{165, 188, 320, 204}));
  EXPECT_EQ(f.value4Rect, (RECT{245, 188, 320, 204}));
  EXPECT_EQ(f.temp1Rect, (RECT{5, 202, 84, 218}));
  EXPECT_EQ(f.temp2Rect, (RECT{165, 202, 320, 218}));
  EXPECT_EQ(f.gpsRowRect, (RECT{1, 202, 319, 218}));
  // GPS items at 5 ("Pos"), 110, 180 and 260.
  EXPECT_EQ(f.gpsMarkRect, (RECT{26, 202, 32, 218}));
  EXPECT_EQ(f.gpsCountRect, (RECT{42, 202, 73, 218}));
  EXPECT_EQ(f.gpsFixRect, (RECT{110, 202, 146, 218}));
  EXPECT_EQ(out.pdopLabelX, 180);
  EXPECT_EQ(f.gpsPdopRect, (RECT{211, 202, 235, 218}));
  EXPECT_EQ(out.satLabelX, 260);
  EXPECT_EQ(f.gpsSatRect, (RECT{281, 202, 298, 218}));
}

TEST(LoggingLayout, Portrait) {
  const LoggingPaintLayout out = ComputeLoggingLayout(Portrait(), Widths());
  const LoggingLayoutData& f = out.fields;
  EXPECT_EQ(f.thirdRowY, 29);
  EXPECT_EQ(f.valuesRowY, 254);
  EXPECT_EQ(f.secondValuesRowY, 268);
  EXPECT_EQ(f.gpsRowY, 282);  // one row further down
  // State, battery and dipole move to the third row.
  EXPECT_EQ(f.stateRect, (RECT{5, 29, 49, 45}));
  EXPECT_EQ(f.modeRect, (RECT{175, 1, 240, 17}));
  EXPECT_EQ(f.batteryRect, (RECT{200, 29, 240, 45}));
  EXPECT_EQ(f.dipoleRect, (RECT{130, 29, 152, 45}));
  EXPECT_EQ(f.lineNameRect, (RECT{22, 15, 129, 31}));
  EXPECT_EQ(f.stationRect, (RECT{165, 15, 240, 31}));
  // The values are centred in the two halves; the range text moves to the second values row.
  EXPECT_EQ(f.value1Rect, (RECT{20, 254, 119, 270}));
  EXPECT_EQ(f.value2Rect, (RECT{142, 254, 239, 270}));
  EXPECT_EQ(f.rangeRect, (RECT{40, 268, 240, 284}));
  EXPECT_EQ(f.value4Rect, (RECT{245, 254, 240, 270}));
  EXPECT_EQ(f.temp1Rect, (RECT{5, 282, 84, 298}));
  EXPECT_EQ(f.gpsRowRect, (RECT{1, 282, 239, 298}));
  // The GPS items follow each other.
  EXPECT_EQ(f.gpsMarkRect, (RECT{26, 282, 32, 298}));
  EXPECT_EQ(f.gpsCountRect, (RECT{42, 282, 73, 298}));
  EXPECT_EQ(f.gpsFixRect, (RECT{75, 282, 111, 298}));
  EXPECT_EQ(out.pdopLabelX, 116);
  EXPECT_EQ(f.gpsPdopRect, (RECT{147, 282, 171, 298}));
  EXPECT_EQ(out.satLabelX, 176);
  EXPECT_EQ(f.gpsSatRect, (RECT{197, 282, 214, 298}));
}

struct Variation {
  const char* name;
  LayoutInputs in;
  std::function<void(const LoggingLayoutData&)> check;
};
void PrintTo(const Variation& v, std::ostream* os) { *os << v.name; }

LayoutInputs With(LayoutInputs in, int32_t surveyMode, int32_t zolEnabled) {
  in.surveyMode = surveyMode;
  in.zolEnabled = zolEnabled;
  return in;
}

class LoggingLayoutVariations : public ::testing::TestWithParam<Variation> {};

TEST_P(LoggingLayoutVariations, PlaceTheFields) {
  GetParam().check(ComputeLoggingLayout(GetParam().in, Widths()).fields);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoggingLayoutVariations,
    ::testing::Values(
        Variation{"ManualModeLabel", With(Landscape(), 2, 0),
                  [](const LoggingLayoutData& f) {
                    // The widest digit (8) leaves no blank before the colon of "S  :" (at 147):
                    // the colon moves to a blank beside the count (147 + 3), the marker after it.
                    EXPECT_EQ(f.markerRect, (RECT{154, 15, 165, 31}));
                    EXPECT_EQ(f.stationRect, (RECT{166, 15, 292, 31}));
                  }},
        Variation{"Zol12KeepsStnInManual", With(Landscape(kModelZol12), 2, 0),
                  [](const LoggingLayoutData& f) { EXPECT_EQ(f.markerRect, (RECT{153, 15, 164, 31})); }},
        Variation{"WheelModeLabel", With(Landscape(), 1, 0),
                  [](const LoggingLayoutData& f) { EXPECT_EQ(f.markerRect, (RECT{153, 15, 164, 31})); }},
        Variation{"IceLandscape", With(Landscape(), 0, 1),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.iceRect, (RECT{165, 188, 223, 204}));
                    EXPECT_EQ(f.rangeRect, (RECT{243, 188, 320, 204}));
                  }},
        Variation{"IcePortraitRz12", With(Portrait(), 0, 1),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.rangeRect, (RECT{150, 268, 240, 284}));  // "Mode: H R:1000", right-aligned
                    EXPECT_EQ(f.iceRect, (RECT{20, 268, 148, 284}));
                  }},
        Variation{"IcePortraitOtherModel", With(Portrait(kModelRz27), 0, 1),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.rangeRect, (RECT{80, 268, 240, 284}));  // the dipole range text
                    EXPECT_EQ(f.iceRect, (RECT{20, 268, 78, 284}));
                  }},
        Variation{"Rz27DdPortrait", Portrait(kModelRz27Dd),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.value1Rect, (RECT{30, 254, 119, 270}));
                    EXPECT_EQ(f.value2Rect, (RECT{149, 254, 239, 270}));
                    EXPECT_EQ(f.rangeRect, (RECT{35, 268, 240, 284}));
                  }},
        Variation{"Rz27DdLandscape", Landscape(kModelRz27Dd),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.value1Rect, (RECT{5, 188, 84, 204}));
                    EXPECT_EQ(f.rangeRect, (RECT{165, 188, 320, 204}));
                  }},
        Variation{"Rz27Mk2PortraitPairUnderPair", Portrait(kModelRz27Mk2),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.rangeRect, (RECT{20, 268, 119, 284}));
                    EXPECT_EQ(f.value4Rect, (RECT{142, 268, 239, 284}));
                  }},
        Variation{"Rz27Mk2Landscape", Landscape(kModelRz27Mk2),
                  [](const LoggingLayoutData& f) {
                    EXPECT_EQ(f.rangeRect, (RECT{165, 188, 320, 204}));
                    EXPECT_EQ(f.value4Rect, (RECT{245, 188, 320, 204}));
                  }}),
    [](const ::testing::TestParamInfo<Variation>& info) { return std::string(info.param.name); });

// The widths of the texts in the program's own fonts, as the paint measures them.
LayoutWidths MeasuredWidths() {
  plat::test::Reset();
  LOGFONTW lf{};
  lf.lfHeight = 14;
  wcscpy(lf.lfFaceName, L"MS Sans Serif");
  lf.lfWeight = FW_NORMAL;
  AppWindows.fontNormal = CreateFontIndirectW(&lf);
  lf.lfWeight = FW_BOLD;
  AppWindows.fontBold = CreateFontIndirectW(&lf);
  HDC dc = GetDC(nullptr);
  const LayoutWidths w = MeasureLayoutTexts(dc);
  ReleaseDC(nullptr, dc);
  DeleteObject(AppWindows.fontNormal);
  DeleteObject(AppWindows.fontBold);
  AppWindows.fontNormal = AppWindows.fontBold = nullptr;
  plat::test::Reset();
  return w;
}

// No value field covers the text of a label on its row (the erase of a value would take the
// label with it), for every model, orientation, survey mode and the ice option, with the test's
// widths and with those of the program's fonts.
TEST(LoggingLayout, NoValueFieldCoversALabel) {
  struct Label {
    const char* text;
    int x, y, width;
  };
  for (const LayoutWidths& w : {Widths(), MeasuredWidths()}) {
    for (int32_t model = kModelRz12; model <= kModelRz27Mk2; ++model) {
      for (const bool portrait : {false, true}) {
        for (int32_t mode = 0; mode <= 2; ++mode) {
          for (int32_t zol = 0; zol <= 1; ++zol) {
            SCOPED_TRACE(testing::Message() << "model " << model << (portrait ? " portrait" : " landscape") << " mode "
                                            << mode << " ice " << zol << " S width " << w[T::kS]);
            const LayoutInputs in = With(portrait ? Portrait(model) : Landscape(model), mode, zol);
            const LoggingPaintLayout out = ComputeLoggingLayout(in, w);
            const LoggingLayoutData& f = out.fields;
            const bool manual = ShowsReadingCount(model, mode);
            std::vector<Label> labels = {
                {"Ln:", 5, f.lineRowY, w[T::kLn]},
                {"Pos", 5, f.gpsRowY, w[T::kPos]},
                {"#", f.gpsMarkRect.right + 1, f.gpsRowY, w[T::kHash]},
                {"PDOP:", out.pdopLabelX, f.gpsRowY, w[T::kPdopLabel]},
                {"Sat:", out.satLabelX, f.gpsRowY, w[T::kSatLabel]},
            };
            if (manual) {
              labels.push_back({"S", kStationLabelX, f.lineRowY, w[T::kS]});
              labels.push_back({":", out.manualColonX, f.lineRowY, w[T::kColon]});
            } else {
              labels.push_back({"Stn:", kStationLabelX, f.lineRowY, w[T::kStationLabel]});
            }
            std::vector<std::pair<const char*, RECT>> values = {
                {"line name", f.lineNameRect}, {"marker", f.markerRect},      {"station", f.stationRect},
                {"GPS mark", f.gpsMarkRect},   {"GPS count", f.gpsCountRect}, {"GPS fix", f.gpsFixRect},
                {"PDOP", f.gpsPdopRect},       {"satellites", f.gpsSatRect},
            };
            if (!portrait) values.push_back({"dipole", f.dipoleRect});
            if (manual) values.push_back({"reading count", f.readingCountRect});
            for (const Label& l : labels) {
              for (const auto& [name, r] : values) {
                if (r.top != l.y) continue;
                EXPECT_TRUE(r.right <= l.x || r.left >= l.x + l.width)
                    << name << " (" << r.left << ".." << r.right << ") covers \"" << l.text << "\" (" << l.x << ".."
                    << l.x + l.width << ")";
              }
            }
          }
        }
      }
    }
  }
}

TEST(LoggingLayout, EveryFieldIsOneTextRowHigh) {
  for (const LayoutInputs& in : {Landscape(), Portrait(), With(Portrait(kModelRz27Mk2), 2, 1)}) {
    LayoutInputs tall = in;
    tall.textHeight = 16;
    const LoggingLayoutData f = ComputeLoggingLayout(tall, Widths()).fields;
    for (const RECT* r : {&f.stateRect, &f.lineNameRect, &f.stationRect, &f.value1Rect, &f.rangeRect,
                          &f.value4Rect, &f.gpsRowRect, &f.gpsSatRect}) {
      EXPECT_EQ(r->bottom - r->top, 18);
    }
  }
}

}  // namespace
}  // namespace handheld
