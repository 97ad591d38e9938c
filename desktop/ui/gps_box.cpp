// The GPS box of the logging window: OnGpsSentence draws what DecideGpsBox makes of the sentence a
// GPS reader (or the simulator) hands over, then marks the sentence as taken.
#include <cstring>

#include "engine/gps_box.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

// Fills the field with the button face and draws the text at its left and top, clipped to it.
void DrawField(HDC dc, const RECT& rect, const GpsBoxText& t) {
  if (!t.drawn) return;
  FillRect(dc, &rect, AppWindows.brushValue);
  SelectObject(dc, t.bold ? AppWindows.fontBold : AppWindows.fontNormal);
  ExtTextOutA(dc, rect.left, rect.top, ETO_CLIPPED, &rect, t.text, static_cast<UINT>(std::strlen(t.text)), nullptr);
}

void DrawLamp(HDC dc, const RECT& rect, bool green) {
  FillRect(dc, &rect, AppWindows.brushValue);
  SelectObject(dc, green ? AppWindows.penGreen : AppWindows.penWhite);
  SelectObject(dc, green ? AppWindows.brushGreen : AppWindows.brushWhite);
  Ellipse(dc, rect.left, rect.top + 1, rect.right, rect.bottom);
}

}  // namespace

LRESULT OnGpsSentence(HWND logging, UINT, WPARAM, LPARAM) {
  // The sender waits in its send, so the sentence holds still; a copy keeps the read within it.
  char sentence[GpsStateData::kSentenceMax + 1];
  const size_t n = strnlen(GpsState.sentence, GpsStateData::kSentenceMax);
  std::memcpy(sentence, GpsState.sentence, n);
  sentence[n] = 0;
  const GpsBoxUpdate u =
      DecideGpsBox(sentence, GpsState, GpsBoxState.activity, SurveyRun.state.load(), SurveyRun.gpsFixCount);
  GpsBoxState.activity = u.activity;
  SurveyRun.gpsFixCount = u.fixCount;

  const LoggingLayoutData& l = LoggingLayout;
  HDC dc = GetDC(logging);
  const HGDIOBJ font = SelectObject(dc, AppWindows.fontNormal);
  const HGDIOBJ pen = SelectObject(dc, AppWindows.penWhite);
  const HGDIOBJ brush = SelectObject(dc, AppWindows.brushWhite);
  SetBkMode(dc, TRANSPARENT);
  DrawField(dc, l.gpsSatRect, u.sat);
  DrawField(dc, l.gpsFixRect, u.fix);
  DrawField(dc, l.gpsLatRect, u.lat);
  DrawField(dc, l.gpsLonRect, u.lon);
  if (u.lamps) {
    for (int i = 0; i < 2; ++i) DrawLamp(dc, l.gpsMarkRect[i], i == u.greenLamp);
  }
  DrawField(dc, l.gpsCountRect, u.count);
  DrawField(dc, l.gpsPdopRect, u.pdop);
  SelectObject(dc, font);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  ReleaseDC(logging, dc);
  GpsState.sentence[0] = 0;
  return 0;
}

}  // namespace desktop
