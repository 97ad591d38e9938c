// The RZ27-MK2 reading handler: decodes the frame, decides from the marker whether the reading is
// recorded, averages Manual-mode samples, writes the reading record, moves the station on, plots
// the reading and shows its values. While the field calibration runs, every reading drives the
// calibration instead.
#include "logging/rz27mk2_reading.h"

#include <cstring>

#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "logging/logging.h"
#include "logging/meter_reading.h"
#include "logging/screen.h"

namespace handheld {

namespace {

constexpr int kFrameBytes = 14;

void Beep(UINT type, int times) {
  for (int i = 0; i < times; ++i) MessageBeep(type);
}

// The averaged values as the plot takes them: the decoder's channels for the reading's dipole.
void PutTraces(const Mk2Reading& r) {
  const int base = r.dipole == 'V' ? 0 : 1;
  for (int k = 0; k < 4; ++k) {
    const int channel = base + 2 * k;
    if (TraceSet.traceValid[channel] == 1) TraceSet.traceValue[channel] = r.values[k];
  }
}

void DrawModeText(HDC dc) {
  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.modeRect);
  const std::wstring text = ModeText(kModelRz27Mk2, SurveySettings.dipole, 0, 0);
  if (!text.empty()) DrawTextAt(dc, LoggingLayout.modeRect.left, LoggingLayout.topRowY, text.c_str());
}

// The values in bold; the 0.5 m fields and, on the reading path, the temperatures are erased
// whatever is drawn in them.
void DrawValues(HDC dc, const Mk2Reading& r, bool temperatures) {
  const Mk2Texts t = Mk2DisplayTexts(r, ScreenLayout.portrait != 0, SurveySettings.mk2Type,
                                     temperatures && BuildConfig.rz27Mk2Diagnostics == 1);
  SelectObject(dc, AppWindows.fontBold);
  const struct {
    const RECT& rect;
    const std::wstring& text;
  } fields[] = {{LoggingLayout.dipoleRect, t.dipole}, {LoggingLayout.value1Rect, t.value1},
                {LoggingLayout.value2Rect, t.value2}, {LoggingLayout.rangeRect, t.range},
                {LoggingLayout.value4Rect, t.value4}};
  for (const auto& f : fields) {
    EraseField(dc, f.rect);
    DrawInField(dc, f.rect, f.text);
  }
  if (!t.temp1.empty()) {
    EraseField(dc, LoggingLayout.temp1Rect);
    DrawInField(dc, LoggingLayout.temp1Rect, t.temp1);
    EraseField(dc, LoggingLayout.temp2Rect);
    DrawInField(dc, LoggingLayout.temp2Rect, t.temp2);
  }
}

// A prompt: bold, centred in the GPS row.
void DrawPrompt(HDC dc, const wchar_t* text) {
  SelectObject(dc, AppWindows.fontBold);
  EraseField(dc, LoggingLayout.gpsRowRect);
  DrawCentredAt(dc, LoggingLayout.gpsRowY, text);
}

void CalibrationReading(HWND hwnd, HDC dc, const Mk2Reading& r) {
  Rz27Mk2CalibrationData& c = Rz27Mk2Calibration;
  CalibrationState s = survey::CalibrationStateOf(c);
  const CalibrationStep step =
      StepCalibration(s, SurveySettings.mk2Offset, c.backup, r, GetTickCount(), ScreenLayout.portrait != 0);
  survey::StoreCalibrationState(s, c);

  if (step.prompt != nullptr) DrawPrompt(dc, step.prompt);
  if (step.showValues) DrawValues(dc, r, false);
  Beep(MB_ICONEXCLAMATION, step.exclamationBeeps);
  Beep(MB_ICONHAND, step.handBeeps);
  if (step.succeeded) {
    memcpy(c.previous, c.backup, sizeof c.previous);
    // From now on the new offsets stand, also for a run that ends on the completed screen.
    memcpy(c.backup, SurveySettings.mk2Offset, sizeof c.backup);
    LoadSaveSettings(1);
    WriteCalibrationRecords();
  }
  if (step.ended) {
    c.active = 0;
    UpdateWindow(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
}

void ReadingPath(HDC dc, Mk2Reading r) {
  const bool logging = SurveyRun.state.load() == kRunLogging;
  SurveyRun.recordFlag = NextMk2RecordFlag(r.marker, SurveySettings.surveyMode, SurveyRun.recordFlag);

  bool averaged = false;
  bool sampleOnly = false;
  if (SurveyRun.averaging == 1 && logging && SurveyRun.recordFlag == 1) {
    SurveySettings.surveyMode = 0;  // the following frames count as recorded until the series ends
    const int32_t n = SurveySettings.samplesPerReading;
    const bool complete = AddMk2Sample(SurveyRun, r, LinkState.frame, n);
    if (!complete) {
      EraseField(dc, LoggingLayout.value1Rect);
      EraseField(dc, LoggingLayout.value2Rect);
      EraseField(dc, LoggingLayout.value4Rect);
      EraseField(dc, LoggingLayout.rangeRect);
      DrawInField(dc, LoggingLayout.rangeRect, WideFormat(L"Sample %-3d of %-3d", SurveyRun.mk2SampleCount, n));
      sampleOnly = true;
    } else {
      SurveySettings.surveyMode = 2;
      averaged = true;
      PutTraces(r);
    }
  }

  if (!sampleOnly) {
    if (logging && SurveyRun.recordFlag == 1) {
      unsigned char record[kFrameBytes];
      BuildMk2Record(LinkState.frame, averaged ? SurveyRun.mk2FirstBytes : nullptr, r, SurveyRun.readingsAtStation + 1,
                     record);
      ++SurveyRun.readingsAtStation;
      WriteRz27Mk2Reading(record);
      FinishRecordedReading(dc);
    }
    DrawValues(dc, r, true);
  }

  SelectObject(dc, AppWindows.fontNormal);
  EraseField(dc, LoggingLayout.markerRect);
  const bool marked = r.marker == 'M' && (SurveySettings.surveyMode != 2 || !logging);
  DrawTextAt(dc, LoggingLayout.markerRect.left, LoggingLayout.lineRowY, marked ? L"M" : L" ");

  SelectObject(dc, AppWindows.fontBold);
  RefreshBattery(dc);
}

}  // namespace

Mk2Reading DecodeMk2Reading() {
  Mk2Reading r;
  DecodeRz27Mk2Frame(r.values[kCond1m], r.values[kInph1m], r.values[kCond05m], r.values[kInph05m], r.raw[0], r.raw[1],
                     r.raw[2], r.raw[3], r.temp1, r.temp2, r.raw[4], r.raw[5], r.dipole, r.marker);
  return r;
}

bool AddMk2Sample(SurveyRunData& run, Mk2Reading& reading, const unsigned char frame[2], int32_t n) {
  return survey::AddMk2Sample(run, reading, frame, n, survey::Mk2Means::kSingle);
}

Mk2Texts Mk2DisplayTexts(const Mk2Reading& r, bool portrait, int32_t mk2Type, bool diagnostics) {
  Mk2Texts t;
  const auto v = [&r](int k) { return static_cast<double>(r.values[k]); };
  t.dipole = r.dipole == 'V' ? L"Ver" : L"Hor";
  t.value1 = WideFormat(portrait ? L"C:%-8.2fmS/m" : L"C:%-8.2f", v(kCond1m));
  t.value2 = WideFormat(portrait ? L"I:%-8.2fppt" : L"I:%-8.2f", v(kInph1m));
  if (mk2Type == 2) {
    t.range = WideFormat(portrait ? L"c:%-8.2fmS/m" : L"c:%-8.2f", v(kCond05m));
    t.value4 = WideFormat(portrait ? L"i:%-8.2fppt" : L"i:%-8.2f", v(kInph05m));
  }
  if (diagnostics) {
    t.temp1 = WideFormat(L"T:%-8.2f", static_cast<double>(r.temp1));
    t.temp2 = WideFormat(L"t:%-8.2f", static_cast<double>(r.temp2));
  }
  return t;
}

LRESULT OnRz27Mk2Reading(HWND hwnd, UINT, WPARAM, LPARAM) {
  WindowDc dc(hwnd);
  const int32_t active = Rz27Mk2Calibration.active.load();
  if (active == -1 || active == 0) {
    const Mk2Reading r = DecodeMk2Reading();
    DrawModeText(dc);
    if (active == -1) {
      CalibrationReading(hwnd, dc, r);
    } else {
      ReadingPath(dc, r);
    }
  }
  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace handheld
