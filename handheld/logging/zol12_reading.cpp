// The ZOL12 reading handler: shows the ice thickness and the inphase of every frame and, while
// Logging, records each reading and moves the station on by one increment per reading.
#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/meter_reading.h"
#include "logging/screen.h"

namespace handheld {

LRESULT OnZol12Reading(HWND hwnd, UINT, WPARAM, LPARAM) {
  float thickness = 0, inphase = 0;
  char dipole = 0, marker = 0;
  int16_t range = 0;
  int32_t frameKind = 0, battery = 0;
  uint16_t range2 = 0;
  DecodeMeterFrame(thickness, inphase, dipole, range, marker, frameKind, range2, battery);

  WindowDc dc(hwnd);
  if (SurveyRun.state.load() == kRunLogging) {
    // The record holds the 8 frame characters padded with blanks to 12.
    RecordFrameInput in;
    in.frame = LinkState.frame;
    in.frameLength = LinkState.frameLength.load();
    PrepareRecordFrame(in, LinkState.frame);
    LinkState.frame[12] = 0;
    WriteReadingRecord();
    if (SurveySettings.audio == 1) MessageBeep(MB_ICONHAND);
    if (SurveyRun.stationHasReading == 1) SurveyRun.station += static_cast<double>(SurveySettings.stationIncrement);
    SurveyRun.stationHasReading = 1;
    DrawStation(dc);
    PlotTraces();
  }

  ReadingView v;
  v.model = kModelZol12;
  v.value1 = thickness;
  v.value2 = inphase;
  const ReadingTexts t = ReadingDisplayTexts(v);
  SelectObject(dc, AppWindows.fontBold);
  EraseField(dc, LoggingLayout.value1Rect);
  DrawTextAt(dc, LoggingLayout.value1Rect.left, LoggingLayout.valuesRowY, t.value1.c_str());
  EraseField(dc, LoggingLayout.value2Rect);
  DrawTextAt(dc, LoggingLayout.value2Rect.left, LoggingLayout.valuesRowY, t.value2.c_str());
  EraseField(dc, LoggingLayout.rangeRect);

  SelectObject(dc, AppWindows.fontNormal);
  RefreshBattery(dc);
  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace handheld
