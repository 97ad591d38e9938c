#include "logging/layout.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>

#include "engine/state.h"
#include "logging/screen.h"

namespace handheld {

namespace {

constexpr LayoutTextInfo kTexts[kLayoutTextCount] = {
    {L"Stand By", false},
    {L"Logging", false},
    {L"Monitor", false},
    {L"Ln:", false},
    {L"Hor", true},
    {L"S", false},
    {L"0", false},
    {L"1", false},
    {L"2", false},
    {L"3", false},
    {L"4", false},
    {L"5", false},
    {L"6", false},
    {L"S  :", false},
    {L"Stn:", false},
    {L":", false},
    {L" ", false},
    {L"M", false},
    {L"CH:-2000.00", true},
    {L"C:-2000.00mS/m", true},
    {L"IH:-2000.00", true},
    {L"I:-2000.00ppt", true},
    {L"T[ft]:12.97", true},
    {L"Conductivity [mS/m]  Range:1000", true},
    {L"Mode: H R:1000", true},
    {L"Horizontal Dipoles  Range:1000", true},
    {L"Pos", false},
    {L"\\", false},
    {L"/", false},
    {L"#", false},
    {L"99999", false},
    {L"CODE", false},
    {L"DGPS", false},
    {L"RTK", false},
    {L"AGPS", false},
    {L"NO FIX", false},
    {L"PDOP:", false},
    {L"99.9", false},
    {L"N/A", false},
    {L"Sat:", false},
    {L"99", false},
};

int Widest(const LayoutWidths& w, std::initializer_list<LayoutText> texts) {
  int widest = 0;
  for (LayoutText t : texts) widest = std::max(widest, w[t]);
  return widest;
}

}  // namespace

const LayoutTextInfo& LayoutTextOf(LayoutText t) { return kTexts[static_cast<int>(t)]; }

bool ShowsReadingCount(int32_t model, int32_t surveyMode) {
  return surveyMode == 2 && ModelRowOf(model).frames != FrameFamily::kZol12;  // the ZOL12 reader counts none
}

LoggingPaintLayout ComputeLoggingLayout(const LayoutInputs& in, const LayoutWidths& w) {
  using T = LayoutText;
  LoggingPaintLayout out;
  LoggingLayoutData& f = out.fields;
  const int th = in.textHeight;
  const int width = in.windowWidth;
  const bool portrait = in.portrait != 0;
  const bool zol = in.zolEnabled == 1;
  const ModelRow& model = ModelRowOf(in.model);
  const bool dd = model.dualDipoleValues;
  // Every field is one text row high, with a pixel to spare above and below.
  auto row = [th](int left, int top, int right) { return RECT{left, top, right, top + th + 2}; };

  f.topRowY = 1;
  f.lineRowY = th + 1;
  f.thirdRowY = portrait ? 2 * th + 1 : 0;
  f.valuesRowY = in.plotTop + in.plotHeight;
  f.secondValuesRowY = portrait ? f.valuesRowY + th : 0;
  f.gpsRowY = portrait ? f.secondValuesRowY + th : f.valuesRowY + th;
  f.gpsRowRect = row(1, f.gpsRowY, width - 1);

  const int state = Widest(w, {T::kStandBy, T::kLogging, T::kMonitor});
  f.stateRect = portrait ? row(5, f.thirdRowY, 5 + state) : row(width - 44 - state, f.topRowY, width - 40);
  f.modeRect = row(175, f.topRowY, portrait ? width : f.stateRect.left - 1);
  f.batteryRect = portrait ? row(width - 40, f.thirdRowY, width) : RECT{width - 40, 0, width, f.topRowY + th + 2};

  f.lineNameRect = row(w[T::kLn] + 6, f.lineRowY, 129);
  f.dipoleRect = portrait ? row(130, f.thirdRowY, 130 + w[T::kHor]) : row(width - w[T::kHor] - 5, f.lineRowY, width);
  const int digit = Widest(w, {T::kDigit0, T::kDigit1, T::kDigit2, T::kDigit3, T::kDigit4, T::kDigit5, T::kDigit6});
  const int countLeft = w[T::kS] + kStationLabelX + 1;
  f.readingCountRect = row(countLeft, f.lineRowY, countLeft + digit + 1);
  // "S", the digit, a blank and the colon: the colon where "S  :" has it, or a blank beside the
  // count when a digit is wider than the label's two blanks; the marker follows the colon.
  out.manualColonX =
      std::max(kStationLabelX + w[T::kManualLabel] - w[T::kColon], f.readingCountRect.right + w[T::kBlank]);
  const int markerLeft = ShowsReadingCount(in.model, in.surveyMode)
                             ? std::max(w[T::kManualLabel] + kStationLabelX + 1, out.manualColonX + w[T::kColon] + 1)
                             : w[T::kStationLabel] + kStationLabelX + 1;
  f.markerRect = row(markerLeft, f.lineRowY, markerLeft + w[T::kM] + 1);
  f.stationRect = row(f.markerRect.right + 1, f.lineRowY, portrait ? width : f.dipoleRect.left - 1);

  f.valuesRowRect = row(5, f.valuesRowY, width);
  const int range = w[dd ? T::kRangeDd : (model.iceOption && zol) ? T::kRangeZol : T::kRange];
  if (portrait) {
    const int half = width / 2;
    const int cw = w[dd ? T::kValue1Dd : T::kValue1];
    const int iw = w[dd ? T::kValue2Dd : T::kValue2];
    f.value1Rect = row((half - cw) / 2, f.valuesRowY, half - 1);
    f.value2Rect = row(half + (half - iw) / 2, f.valuesRowY, width - 1);
    f.rangeRect = row(zol ? width - range : (width - range) / 2, f.secondValuesRowY, width);
    if (zol) f.iceRect = row(f.value1Rect.left, f.secondValuesRowY, f.rangeRect.left - 2);
  } else {
    f.value1Rect = row(5, f.valuesRowY, 84);
    f.value2Rect = row(85, f.valuesRowY, 165);
    if (zol) f.iceRect = row(165, f.valuesRowY, 165 + w[T::kIce]);
    f.rangeRect = row(zol ? f.iceRect.right + 20 : 165, f.valuesRowY, width);
  }
  f.value4Rect = row(245, f.valuesRowY, width);
  if (portrait && model.frames == FrameFamily::kRz27Mk2) {
    // The 0.5 m pair of the RZ27-MK2's readings sits under the 1 m pair.
    f.rangeRect = row(f.value1Rect.left, f.secondValuesRowY, f.value1Rect.right);
    f.value4Rect = row(f.value2Rect.left, f.secondValuesRowY, f.value2Rect.right);
  }
  f.temp1Rect = row(5, f.gpsRowY, 84);
  f.temp2Rect = row(165, f.gpsRowY, width);

  const int markLeft = w[T::kPos] + 6;
  f.gpsMarkRect = row(markLeft, f.gpsRowY, markLeft + Widest(w, {T::kBackslash, T::kSlash}) + 1);
  const int gpsCountLeft = f.gpsMarkRect.right + w[T::kHash] + 2;
  f.gpsCountRect = row(gpsCountLeft, f.gpsRowY, gpsCountLeft + w[T::kCount5] + 1);
  const int fix = Widest(w, {T::kCode, T::kDgps, T::kRtk, T::kAgps, T::kNoFix});
  const int fixLeft = portrait ? f.gpsCountRect.right + 2 : 110;
  f.gpsFixRect = row(fixLeft, f.gpsRowY, fixLeft + fix);
  out.pdopLabelX = portrait ? f.gpsFixRect.right + 5 : 180;
  const int pdopLeft = out.pdopLabelX + w[T::kPdopLabel] + 1;
  f.gpsPdopRect = row(pdopLeft, f.gpsRowY, pdopLeft + Widest(w, {T::kPdop, T::kNa}) + 3);
  out.satLabelX = portrait ? f.gpsPdopRect.right + 5 : 260;
  const int satLeft = out.satLabelX + w[T::kSatLabel] + 1;
  f.gpsSatRect = row(satLeft, f.gpsRowY, satLeft + w[T::kSat2] + 3);
  return out;
}

LayoutWidths MeasureLayoutTexts(HDC dc) {
  LayoutWidths widths;
  HGDIOBJ old = SelectObject(dc, AppWindows.fontNormal);
  for (int i = 0; i < kLayoutTextCount; ++i) {
    const LayoutTextInfo& t = kTexts[i];
    SelectObject(dc, t.bold ? AppWindows.fontBold : AppWindows.fontNormal);
    widths.width[i] = TextWidth(dc, t.text);
  }
  if (old != nullptr) SelectObject(dc, old);
  return widths;
}

}  // namespace handheld
