// The meter reading handler of the logging window: decodes the frame of a conductivity meter,
// decides whether the reading is recorded, averages Manual-mode samples, writes the reading record
// and counts the station, the stations and the logging times while Logging, plots the reading, and
// shows the values in the numbers panel and the marker in the status strip.
#include <windows.h>

#include <cstring>
#include <string>

#include "common/meter_reading.h"
#include "engine/decoders.h"
#include "engine/meter_reading.h"
#include "engine/records.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

using survey::kRecordFrameBytes;

HBRUSH White() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

void TextAt(HDC dc, int x, int y, const std::string& text) {
  ExtTextOutA(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

// 3: a Manual-mode sample: summed, with its counter in the third value cell; the last of a series
// leaves the means in m and in the run's field means. True when the sample is the reading.
bool TakeManualSample(HDC numbers, const unsigned char padded[kRecordFrameBytes], bool secondField, MeterReading& m) {
  SurveySettings.surveyMode = kModeAuto;  // the following frames count as flagged whatever the trigger does
  const int32_t n = SurveySettings.samplesPerReading;
  const survey::SampleStep step = survey::AddMeterSample(SurveyRun, n, padded, secondField, m.value1, m.value2);
  const RECT& cell = LoggingLayout.valueRect[2];
  TextAt(numbers, cell.left, cell.top, SampleCounterText(step.number, n));
  if (!step.complete) return false;
  SurveySettings.surveyMode = kModeManual;
  return true;
}

// After the record (4): the station, the counts of stations and the logging times, as they
// stand after a recorded reading.
void CountAndShowStation(HDC dc) {
  StationCount s{SurveyRun.station, SurveyRun.readingsAtStation, SurveyRun.stationHasReading, SurveyRun.stationsInLine,
                 SurveyRun.stationsTotal};
  const bool completed = CountRecordedReading(s, PlotState.groupsPerStation, SurveySettings.stationIncrement);
  SurveyRun.station = s.station;
  SurveyRun.readingsAtStation = s.readingsAtStation;
  SurveyRun.stationHasReading = s.stationHasReading;
  SurveyRun.stationsInLine = s.stationsInLine;
  SurveyRun.stationsTotal = s.stationsTotal;
  const HBRUSH face = AppWindows.brushValue;
  if (completed) {
    DrawClippedField(dc, LoggingLayout.lineStationsRect, face, LineStationsText(s.stationsInLine).c_str());
    DrawClippedField(dc, LoggingLayout.totalStationsRect, face, TotalStationsText(s.stationsTotal).c_str());
  }
  // Only the time spent logging counts: PAUSE keeps the times, GO restarts the clock.
  const uint32_t now = GetTickCount();
  SurveyRun.lineTimeNowMs = LoggedMs(SurveyRun.lineTimeMs, SurveyRun.goTick, now);
  SurveyRun.totalTimeNowMs = LoggedMs(SurveyRun.totalTimeMs, SurveyRun.goTick, now);
  DrawClippedField(dc, LoggingLayout.lineTimeRect, face, HmsText(SurveyRun.lineTimeNowMs, SurveyRun.lineTimeHms).c_str());
  DrawClippedField(dc, LoggingLayout.totalTimeRect, face,
                   HmsText(SurveyRun.totalTimeNowMs, SurveyRun.totalTimeHms).c_str());
  const RECT& station = LoggingLayout.stationRect;
  FillRect(dc, &station, face);
  SelectObject(dc, AppWindows.fontBold);
  TextAt(dc, station.left, station.top, StationText(SurveyRun.station));
  if (PlotState.groupsPerStation > 1) {
    const std::string count = ReadingsAtStationText(SurveyRun.readingsAtStation, PlotState.groupsPerStation);
    DrawClippedField(dc, LoggingLayout.markerRect, face, count.c_str());
  }
  SelectObject(dc, AppWindows.fontNormal);
}

// 4: the reading record (with the series' field means when averaged), then the station, the
// counts and times, and the plot.
void RecordReading(HDC dc, int32_t frameLength, bool secondField, bool averaged) {
  survey::RecordFrameInput in;
  in.frame = LinkState.frame;
  in.frameLength = frameLength;
  in.withMeans = averaged;
  in.secondField = secondField;
  in.means[0] = SurveyRun.fieldMean[0];
  in.means[1] = SurveyRun.fieldMean[1];
  in.readingAtStation = ++SurveyRun.readingsAtStation;
  survey::PrepareRecordFrame(in, LinkState.frame);
  LinkState.frame[kRecordFrameBytes] = 0;
  WriteReadingRecord();
  CountAndShowStation(dc);
  PlotTraces();
}

// 5: the values in the numbers panel, each cell written filled white first.
void ShowValues(HDC numbers, int32_t model, const MeterReading& m) {
  const MeterCells cells = MeterCellTexts(model, SurveySettings.component, m);
  if (cells.clearRow) FillRect(numbers, &LoggingLayout.valueRowRect, White());
  SelectObject(numbers, AppWindows.fontBold);
  for (int i = 0; i < 4; ++i) {
    if (!cells.cell[i]) continue;
    const RECT& cell = LoggingLayout.valueRect[i];
    FillRect(numbers, &cell, White());
    TextAt(numbers, cell.left, cell.top, *cells.cell[i]);
  }
  SelectObject(numbers, AppWindows.fontNormal);
}

// 6: the marker field, also while an average is in progress.
void ShowMarker(HDC dc, bool logging, unsigned char status) {
  const MarkerField field = MarkerFieldOf(logging, SurveyRun.modeAtStart, status);
  if (field == MarkerField::kKeep) return;
  const RECT& r = LoggingLayout.markerRect;
  FillRect(dc, &r, AppWindows.brushValue);
  if (field != MarkerField::kMarker) return;
  SelectObject(dc, AppWindows.fontLarge);
  ExtTextOutA(dc, r.left, 0, ETO_CLIPPED, &r, "MARKER", 6, nullptr);
  SelectObject(dc, AppWindows.fontNormal);
}

}  // namespace

LRESULT OnReading(HWND hwnd, UINT, WPARAM, LPARAM) {
  const int32_t model = BuildConfig.modelIndex;
  const int32_t frameLength = LinkState.frameLength.load();
  const bool logging = SurveyRun.state.load() == kRunLogging;
  {
    ReadingDcs dcs(hwnd);
    // 1: decode; the value row turns white at once, so a link-lost bar goes with the first reading.
    MeterReading m;
    DecodeMeterFrame(m.value1, m.value2, m.dipole, m.range, m.marker, m.frameKind, m.range2);
    FillRect(dcs.numbers, &LoggingLayout.valueRowRect, White());

    // 2: the record flag.
    const unsigned char status = LinkState.frame[1];
    SurveyRun.recordFlag = survey::NextRecordFlag(status, SurveySettings.surveyMode, SurveyRun.recordFlag);
    const bool recordable = logging && SurveyRun.recordFlag == 1;

    unsigned char padded[kRecordFrameBytes];
    survey::PaddedFrame(LinkState.frame, frameLength, padded);
    const bool secondField = MeterSecondField(model, frameLength);

    // 3: a sample that does not complete its series shows only its counter and the marker.
    bool averaged = false;
    bool sampleOnly = false;
    if (SurveyRun.averaging == 1 && recordable) {
      averaged = TakeManualSample(dcs.numbers, padded, secondField, m);
      sampleOnly = !averaged;
    }
    if (!sampleOnly) {
      if (recordable) RecordReading(dcs.window, frameLength, secondField, averaged);  // 4
      ShowValues(dcs.numbers, model, m);                                              // 5
    }
    ShowMarker(dcs.window, logging, status);  // 6
  }
  LinkState.frame[0] = 0;  // 7: the frame is taken
  return 0;
}

}  // namespace desktop
