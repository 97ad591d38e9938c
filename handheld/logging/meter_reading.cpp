// The meter reading handler: decodes the frame of a conductivity meter, decides whether the
// reading is recorded, averages Manual-mode samples, writes the reading record and advances the
// station while Logging, and shows the values, the mode, the marker and the battery.
#include <windows.h>

#include <cwchar>

#include "engine/decoders.h"
#include "engine/ice.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/meter_reading.h"
#include "logging/screen.h"

namespace handheld {

namespace {

using survey::kRecordFrameBytes;
using survey::PaddedFrame;

// Range texts of the RZ27 family and the RZ45: by dipole letter and orientation.
std::wstring DipoleRangeText(char dipole, bool portrait, int32_t range) {
  if (dipole == 'V') return WideFormat(portrait ? L"Vertical Dipoles   Range:%-4d" : L"Vertical  G%-4d", range);
  return WideFormat(portrait ? L"Horizontal Dipoles   Range:%-4d" : L"Horizontal  G%-4d", range);
}

std::wstring Rz12RangeText(char dipole, bool portrait, bool ice, int32_t range) {
  if (dipole != 'V' && dipole != 'H') return {};
  const bool v = dipole == 'V';
  if (portrait) {
    if (ice) return WideFormat(v ? L"Mode:V  R:%-4d" : L"Mode:H  R:%-4d", range);
    return WideFormat(v ? L"Vertical Dipoles   Range:%-4d" : L"Horizontal Dipoles   Range:%-4d", range);
  }
  if (ice) return WideFormat(v ? L"V G%-4d" : L"H G%-4d", range);
  return WideFormat(v ? L"Vertical  G%-4d" : L"Horizontal  G%-4d", range);
}

std::wstring IceText(const ReadingView& v) {
  const bool p = v.portrait;
  if (v.dipole != 'H') return p ? L"Th: N/A in mode V" : L"T:N/A in V";
  if (v.thickness < 0) return p ? L"T: Out of Range" : L"T:Off Range";
  if (v.displayUnits == 1) return WideFormat(p ? L"Th: %-8.2fft" : L"T[ft]:%-8.2f", v.thickness / 0.3048);
  return WideFormat(p ? L"Th: %-8.2fm" : L"T[m]:%-8.2f", static_cast<double>(v.thickness));
}


}  // namespace

std::wstring ModeText(int32_t model, int32_t dipole, int32_t component, int32_t modeAtStart) {
  static const wchar_t kDipoles[] = L"VHB";
  static const wchar_t kComponents[] = L"BIC";
  static const wchar_t* const kRz45[] = {L"M:V10", L"M:V20", L"M:V40", L"M:H10", L"M:H20", L"M:H40"};
  // By model: each names a different setting in its mode field, in a form of its own.
  switch (model) {
    case kModelRz12:
    case kModelRz27B:
    case kModelRz27:
    case kModelRz27Mk2:
      return dipole >= 0 && dipole <= 2 ? WideFormat(L"Mode:%c", kDipoles[dipole]) : std::wstring();
    case kModelRz27Dd:
      return component >= 0 && component <= 2 ? WideFormat(L"Mode:%c", kComponents[component]) : std::wstring();
    case kModelRz45:
      if (dipole < 0 || dipole > 5) return {};
      return modeAtStart == 2 ? WideFormat(L"Rdgs:%1d", dipole + 1) : std::wstring(kRz45[dipole]);
    default:
      return {};
  }
}

ReadingTexts ReadingDisplayTexts(const ReadingView& v) {
  ReadingTexts t;
  const bool p = v.portrait;
  const double v1 = v.value1, v2 = v.value2;
  // By model: each instrument's frame means other quantities, shown in texts of its own.
  switch (v.model) {
    case kModelRz12:
      if (v.battery == 1) {
        t.value1 = WideFormat(p ? L"B:%-8.2fVolt" : L"B:%-8.2f", v1);
        t.value2 = WideFormat(p ? L"B:%-8.2fVolt" : L"B:%-8.2f", v2);
        t.range = L"Battery Levels";
      } else {
        if (v.component == 0) t.value1 = WideFormat(p ? L"C:%-8.2fmS/m" : L"C:%-8.2f", v1);
        t.value2 = WideFormat(p ? L"I:%-8.2fppt" : L"I:%-8.2f", v2);
        t.range = Rz12RangeText(v.dipole, p, v.zolEnabled == 1, v.range);
      }
      if (v.zolEnabled == 1) t.ice = IceText(v);
      break;
    case kModelRz27B:
      t.value1 = WideFormat(L"C:%-8.2f", v1);
      t.value2 = WideFormat(L"I:%-8.2f", v2);
      t.range = WideFormat(v.dipole == 'V' ? L"Vertical G%-4d,%-4d" : L"Horizontal G%-4d,%-4d", v.range, v.range2);
      break;
    case kModelRz27Dd:
      if (v.frameKind == 1) {
        t.value1 = WideFormat(L"IV:%-8.2f", v1);
        t.value2 = WideFormat(L"IH:%-8.2f", v2);
        t.range = WideFormat(p ? L"      Inphase [ppt]  Range:%-4d" : L"Inphase  G%-4d", v.range);
      } else if (v.frameKind == 2) {
        t.value1 = WideFormat(L"CV:%-8.2f", v1);
        t.value2 = WideFormat(L"CH:%-8.2f", v2);
        t.range = WideFormat(p ? L"Conductivity [mS/m]  Range:%-4d" : L"Conductivity  G%-4d", v.range);
      }
      break;
    case kModelRz27:
      if (v.frameKind == 2) t.value1 = WideFormat(p ? L"C:%-8.2fmS/m" : L"C:%-8.2f", v1);
      if (v.frameKind == 1) t.value2 = WideFormat(p ? L"I:%-8.2fppt" : L"I:%-8.2f", v2);
      t.range = DipoleRangeText(v.dipole, p, v.range);
      break;
    case kModelRz45:
      t.value1 = WideFormat(p ? L"C:%-8.2fmS/m" : L"C:%-8.2f", v1);
      t.value2 = WideFormat(L"Sep:%2.0f m", v2);
      t.range = DipoleRangeText(v.dipole, p, v.range);
      break;
    case kModelRz89:
      t.value1 = WideFormat(L"C:%-8.2f", v1);
      t.value2 = WideFormat(L"Sep:%-8.2f m", v2);
      break;
    case kModelZol12:
      t.value1 = WideFormat(L"Th:%-8.2f", v1);
      t.value2 = WideFormat(L"IP:%-8.2f", v2);
      break;
    default:
      break;
  }
  return t;
}

void DropSampleSeries() {
  if (SurveyRun.sampleCount == 0 && SurveyRun.mk2SampleCount == 0) return;
  SurveySettings.surveyMode = SurveySettings.surveyModeChoice;
  survey::ClearSampleSums(SurveyRun);
  SurveyRun.mk2SampleCount = 0;
  for (float& v : SurveyRun.mk2ValueSum) v = 0.0f;
  for (uint32_t& v : SurveyRun.mk2CountSum) v = 0;
}

namespace {

// What the frame decodes to (steps 1-2).
struct MeterReading {
  float value1 = 0, value2 = 0;
  char dipole = 0, marker = 0;
  int16_t range = 0;
  int32_t frameKind = 0, battery = 0;
  uint16_t range2 = 0;
  float thickness = -99.0f;
};

// 1-2: decode, and the ice thickness on an RZ12 with the ice option.
MeterReading DecodeReading() {
  MeterReading m;
  DecodeMeterFrame(m.value1, m.value2, m.dipole, m.range, m.marker, m.frameKind, m.range2, m.battery);
  if (SurveySettings.zolEnabled == 1) {
    if (m.dipole == 'H') {
      // With the ice profile shown, the conversion also makes the thickness channel 4, valid.
      m.thickness = ComputeIceThickness(m.value1, SurveySettings.seaWaterIndex);
    } else {
      TraceSet.traceValid[4] = 0;
      TraceSet.traceValue[4] = -99.0f;
    }
  }
  return m;
}

// 3: the mode field.
void DrawModeField(HDC dc, int32_t model) {
  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.modeRect);
  DrawInField(dc, LoggingLayout.modeRect,
              ModeText(model, SurveySettings.dipole, SurveySettings.component, SurveyRun.modeAtStart));
}

// 5: a Manual-mode sample: summed, with its counter shown; the last of a series leaves the means
// in m and the run's field means. True when the sample is the reading (the series is complete).
bool TakeManualSample(HDC dc, const unsigned char padded[kRecordFrameBytes], bool secondField, MeterReading& m) {
  SurveySettings.surveyMode = 0;
  const int32_t n = SurveySettings.samplesPerReading;
  const survey::SampleStep step = survey::AddMeterSample(SurveyRun, n, padded, secondField, m.value1, m.value2);
  EraseField(dc, LoggingLayout.valuesRowRect);
  const std::wstring counter = WideFormat(L"Sample %-3d of %-3d", step.number, n);
  DrawTextAt(dc, LoggingLayout.rangeRect.left, LoggingLayout.valuesRowY, counter.c_str());
  if (!step.complete) return false;
  SurveySettings.surveyMode = 2;
  return true;
}

// 6: the reading record (with the series' means when averaged) and the station.
void RecordReading(HDC dc, int32_t frameLength, bool secondField, bool averaged) {
  RecordFrameInput in;
  in.frame = LinkState.frame;
  in.frameLength = frameLength;
  in.withMeans = SurveyRun.averaging == 1 && averaged;
  in.secondField = secondField;
  in.means[0] = SurveyRun.fieldMean[0];
  in.means[1] = SurveyRun.fieldMean[1];
  in.readingAtStation = SurveyRun.readingsAtStation + 1;
  ++SurveyRun.readingsAtStation;
  PrepareRecordFrame(in, LinkState.frame);
  LinkState.frame[kRecordFrameBytes] = 0;
  WriteReadingRecord();
  FinishRecordedReading(dc);
}

// 7: the values.
void ShowValues(HDC dc, int32_t model, const MeterReading& m) {
  ReadingView v;
  v.model = model;
  v.portrait = ScreenLayout.portrait != 0;
  v.frameKind = m.frameKind;
  v.battery = m.battery;
  v.dipole = m.dipole;
  v.range = m.range;
  v.range2 = m.range2;
  v.value1 = m.value1;
  v.value2 = m.value2;
  v.component = SurveySettings.component;
  v.zolEnabled = SurveySettings.zolEnabled;
  v.thickness = m.thickness;
  v.displayUnits = SurveySettings.displayUnits;
  const ReadingTexts t = ReadingDisplayTexts(v);
  const bool iceModel = ModelRowOf(model).iceOption;  // its rows hold the ice and battery texts too
  if (iceModel) EraseField(dc, LoggingLayout.valuesRowRect);
  EraseField(dc, LoggingLayout.value1Rect);
  EraseField(dc, LoggingLayout.value2Rect);
  if (iceModel) EraseField(dc, LoggingLayout.iceRect);
  EraseField(dc, LoggingLayout.rangeRect);
  SelectObject(dc, AppWindows.fontBold);
  DrawInField(dc, LoggingLayout.value1Rect, t.value1);
  DrawInField(dc, LoggingLayout.value2Rect, t.value2);
  DrawInField(dc, LoggingLayout.iceRect, t.ice);
  DrawInField(dc, LoggingLayout.rangeRect, t.range);
}

// 8: the marker letter, blank while Logging in Manual and for a frame without the marker.
void DrawMarker(HDC dc, bool logging, unsigned char status) {
  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.markerRect);
  const bool blank = (logging && SurveySettings.surveyMode == 2) || !survey::TriggerPressed(status);
  DrawTextAt(dc, LoggingLayout.markerRect.left, LoggingLayout.markerRect.top, blank ? L" " : L"M");
}

}  // namespace

LRESULT OnReading(HWND hwnd, UINT, WPARAM, LPARAM) {
  const int32_t model = BuildConfig.modelIndex;
  const int32_t frameLength = LinkState.frameLength.load();
  const bool logging = SurveyRun.state.load() == kRunLogging;
  WindowDc dc(hwnd);

  MeterReading m = DecodeReading();  // 1-2
  DrawModeField(dc, model);          // 3

  // 4: the record flag.
  const unsigned char status = LinkState.frame[1];
  SurveyRun.recordFlag = NextRecordFlag(status, SurveySettings.surveyMode, SurveyRun.recordFlag);
  const bool recordable = logging && SurveyRun.recordFlag == 1;

  unsigned char padded[kRecordFrameBytes];
  PaddedFrame(LinkState.frame, frameLength, padded);
  const bool secondField = frameLength >= 8 && BuildModel().secondFrameField;

  // 5: a Manual-mode sample that does not complete its series is all this frame does, but for
  // the marker and the battery.
  bool averaged = false;
  bool sampleOnly = false;
  if (SurveyRun.averaging == 1 && recordable) {
    averaged = TakeManualSample(dc, padded, secondField, m);
    sampleOnly = !averaged;
  }
  if (!sampleOnly) {
    if (recordable) RecordReading(dc, frameLength, secondField, averaged);  // 6
    ShowValues(dc, model, m);                                              // 7
  }
  DrawMarker(dc, logging, status);  // 8
  RefreshBattery(dc);               // 9: the battery, every 3 minutes

  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace handheld
