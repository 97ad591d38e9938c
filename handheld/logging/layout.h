// Geometry of the logging window's text fields, computed from the screen layout, the settings that
// change it and the measured widths of the texts it is built from. The computation is pure; the
// paint measures the texts in the window's fonts and hands the widths over.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/screen_snapshot.h"
#include "logging/logging.h"

namespace handheld {

// The texts whose widths place the fields; each is measured in the font its field is drawn in.
enum class LayoutText : int {
  kStandBy, kLogging, kMonitor,                     // run-state words (normal)
  kLn,                                              // "Ln:" (normal)
  kHor,                                             // "Hor" (bold)
  kS,                                               // "S" (normal)
  kDigit0, kDigit1, kDigit2, kDigit3, kDigit4, kDigit5, kDigit6,  // (normal)
  kManualLabel, kStationLabel,                      // "S  :", "Stn:" (normal)
  kColon, kBlank,                                   // ":", " " (normal)
  kM,                                               // "M" (normal)
  kValue1Dd, kValue1, kValue2Dd, kValue2,           // value samples (bold)
  kIce,                                             // "T[ft]:12.97" (bold)
  kRangeDd, kRangeZol, kRange,                      // range samples (bold)
  kPos, kBackslash, kSlash, kHash, kCount5,         // GPS row (normal)
  kCode, kDgps, kRtk, kAgps, kNoFix,
  kPdopLabel, kPdop, kNa, kSatLabel, kSat2,
  kTextCount
};
constexpr int kLayoutTextCount = static_cast<int>(LayoutText::kTextCount);

// The text of each LayoutText and whether it is measured in the bold font.
struct LayoutTextInfo {
  const wchar_t* text;
  bool bold;
};
const LayoutTextInfo& LayoutTextOf(LayoutText t);

struct LayoutWidths {
  int width[kLayoutTextCount] = {};
  int operator[](LayoutText t) const { return width[static_cast<int>(t)]; }
  int& operator[](LayoutText t) { return width[static_cast<int>(t)]; }
};

// What the geometry depends on besides the widths: the screen snapshot (its portrait,
// windowWidth, textHeight, plotTop, plotHeight, model, surveyMode and zolEnabled).
using LayoutInputs = ScreenSnapshot;

// Where the paint draws the label of the second row ("S  :" or "Stn:").
constexpr int kStationLabelX = 130;

// The field rectangles, plus the x of the two GPS labels the paint draws before their fields and
// of the colon of "S  :": the paint draws "S" and the colon apart, so that the reading count (the
// digit between them) never covers the colon, whatever the font.
struct LoggingPaintLayout {
  LoggingLayoutData fields;
  int pdopLabelX = 0;
  int satLabelX = 0;
  int manualColonX = 0;
};

LoggingPaintLayout ComputeLoggingLayout(const LayoutInputs& in, const LayoutWidths& widths);

// Every LayoutText measured in AppWindows' fonts on dc (the font selected on dc is restored).
LayoutWidths MeasureLayoutTexts(HDC dc);

// Survey mode 2 (Manual) shows the readings taken at the station in "S  :", except on the ZOL12.
bool ShowsReadingCount(int32_t model, int32_t surveyMode);

}  // namespace handheld
