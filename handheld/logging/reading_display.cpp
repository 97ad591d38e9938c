// Drawing pieces that the reading handlers share.
#include <cfloat>
#include <cstdarg>
#include <cwchar>

#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

namespace {
constexpr uint32_t kBatteryPeriodMs = 180000;
constexpr int kTextMax = 96;
}  // namespace

std::wstring WideFormat(const wchar_t* format, ...) {
  wchar_t text[kTextMax];
  va_list args;
  va_start(args, format);
  const int n = vswprintf(text, kTextMax, format, args);
  va_end(args);
  return n < 0 ? std::wstring() : std::wstring(text);
}

void DrawInField(HDC dc, const RECT& rect, const std::wstring& text) {
  if (!text.empty()) DrawTextAt(dc, rect.left, rect.top, text.c_str());
}

float TextToFloat(const wchar_t* text) {
  double v = plat::ParseDecimal(text);
  if (v > FLT_MAX) v = FLT_MAX;
  if (v < -FLT_MAX) v = -FLT_MAX;
  return static_cast<float>(v);
}

void RefreshBattery(HDC dc) {
  const uint32_t now = GetTickCount();
  if (now - SurveyRun.lastBatteryTick <= kBatteryPeriodMs) return;
  EraseField(dc, LoggingLayout.batteryRect);
  SYSTEM_POWER_STATUS_EX2 power{};
  GetSystemPowerStatusEx2(&power, sizeof power, FALSE);
  DrawInField(dc, LoggingLayout.batteryRect, WideFormat(L"%3d%c", static_cast<int>(power.BatteryLifePercent), L'%'));
  SurveyRun.lastBatteryTick = now;
}

void FinishRecordedReading(HDC dc) {
  if (SurveySettings.audio == 1 && ++SurveyRun.beepCounter >= LinkState.readingsPerSecond) {
    MessageBeep(MB_ICONHAND);
    SurveyRun.beepCounter = 0;
  }
  if (SurveyRun.readingsAtStation >= PlotState.groupsPerStation) {
    if (SurveyRun.stationHasReading == 1) SurveyRun.station += static_cast<double>(SurveySettings.stationIncrement);
    SurveyRun.readingsAtStation = 0;
  }
  SurveyRun.stationHasReading = 1;
  DrawStation(dc);
  if (PlotState.groupsPerStation > 1) {
    SelectObject(dc, AppWindows.fontNormal);
    EraseField(dc, LoggingLayout.readingCountRect);
    DrawInField(dc, LoggingLayout.readingCountRect, WideFormat(L"%1d", SurveyRun.readingsAtStation));
  }
  PlotTraces();
}

void PlotTraces() {
  if (AppWindows.curveWnd == nullptr) return;
  int32_t rows[8] = {};
  TracesToRows(rows);
  HDC curve = GetDC(AppWindows.curveWnd);
  PlotReadingPoint(curve, rows);
  ReleaseDC(AppWindows.curveWnd, curve);
}

}  // namespace handheld
