// The GPS status row: OnGpsSentence draws what DecideGpsRow makes of the sentence the GPS reader
// hands over, then clears the sentence.
#include "logging/gps_status.h"

#include <cstring>

#include "engine/nmea.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

GpsStatusData GpsStatus;
void ResetGpsStatus() { GpsStatus = GpsStatusData{}; }

namespace {

constexpr size_t kMinSentence = 6;
constexpr int kSatellitesField = 8;
constexpr int kFixField = 7;
constexpr int kPdopField = 16;

const wchar_t* FixWord(char quality) {
  switch (quality) {
    case '0':
      return L"NO FIX";
    case '1':
      return L"AGPS";
    case '2':
      return L"DGPS";
    case '3':
      return L"RTK";
    case '4':
      return L"CODE";
    default:
      return L"";
  }
}

float PdopValue(const char* field) {
  wchar_t wide[kGpsFieldMax + 1];
  plat::Widen(field, wide, kGpsFieldMax + 1);
  return TextToFloat(wide);
}

void DrawField(HDC dc, const RECT& rect, const GpsRowField& f) {
  if (f.erase) EraseField(dc, rect);
  if (!f.text.empty()) DrawTextAt(dc, rect.left, LoggingLayout.gpsRowY, f.text.c_str());
}

}  // namespace

GpsRowUpdate DecideGpsRow(const char* sentence, int32_t valid, char mark, int32_t runState, int32_t count) {
  GpsRowUpdate u;
  u.mark = mark;
  u.count = count;
  const bool gga = strstr(sentence, "GGA") != nullptr;
  const bool gsa = strstr(sentence, "GSA") != nullptr;
  char field[kGpsFieldMax + 1];
  if (strlen(sentence) < kMinSentence || valid != 1) {
    u.bold = true;
    if (gga) {
      u.fixField.erase = true;
      u.satField = {true, L"??"};
    }
    if (gsa) u.pdopField = {true, L"??"};
    return u;
  }
  if (gga) {
    u.mark = mark == '/' ? '\\' : '/';
    u.markField = {true, WideFormat(L"%c", u.mark)};
    if (runState == kRunLogging) {
      u.count = count + 1;
      u.countField = {true, WideFormat(L"%-5d", u.count)};
    }
    const int satellites = GetField(sentence, kSatellitesField, ',', field, sizeof field) ? plat::ParseInt(field) : 0;
    u.satField = {true, WideFormat(L"%2d", satellites)};
    u.fixField.erase = true;
    if (GetField(sentence, kFixField, ',', field, sizeof field)) u.fixField.text = FixWord(field[0]);
  }
  if (gsa) {
    u.pdopField.erase = true;
    u.pdopField.text = GetField(sentence, kPdopField, ',', field, sizeof field)
                           ? WideFormat(L"%-4.1f", static_cast<double>(PdopValue(field)))
                           : L"N/A";
  }
  return u;
}

LRESULT OnGpsSentence(HWND hwnd, UINT, WPARAM, LPARAM) {
  const GpsRowUpdate u =
      DecideGpsRow(GpsState.sentence, GpsState.sentenceValid, GpsStatus.mark, SurveyRun.state.load(), SurveyRun.gpsFixCount);
  GpsStatus.mark = u.mark;
  SurveyRun.gpsFixCount = u.count;
  WindowDc dc(hwnd);
  SelectObject(dc, u.bold ? AppWindows.fontBold : AppWindows.fontNormal);
  DrawField(dc, LoggingLayout.gpsMarkRect, u.markField);
  DrawField(dc, LoggingLayout.gpsCountRect, u.countField);
  DrawField(dc, LoggingLayout.gpsSatRect, u.satField);
  DrawField(dc, LoggingLayout.gpsFixRect, u.fixField);
  DrawField(dc, LoggingLayout.gpsPdopRect, u.pdopField);
  SelectObject(dc, AppWindows.fontNormal);
  GpsState.sentence[0] = 0;
  GpsState.sentenceValid = 0;
  return 0;
}

}  // namespace handheld
