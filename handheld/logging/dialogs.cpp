#include "logging/dialogs.h"

#include <cwchar>

#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

const wchar_t* LoggingDialogTemplate(LoggingDialog dialog, const DialogBuild& b) {
  const bool landscapeStorage = b.portrait == 0 && b.storageRoot == 1;
  const ModelRow& row = ModelRowOf(b.model);
  switch (dialog) {
    case LoggingDialog::kNewLine:
      return L"GetNewLine";
    case LoggingDialog::kNewStation:
      return landscapeStorage ? L"GetNewStationwm6" : L"GetNewStation";
    case LoggingDialog::kComment:
      return L"GetComment";
    case LoggingDialog::kProfileScale:
      if (row.scales == ScaleChoice::kConductivity) return L"GetNewProfileScale45";  // the single scale
      if (row.iceOption && b.zolEnabled == 1) return L"GetNewProfileScaleZOL";
      return landscapeStorage ? L"GetNewProfileScale12H" : L"GetNewProfileScale12";
    case LoggingDialog::kDisplayOptions:
      if (row.iceOption && b.zolOptionAvailable == 1) return L"GetOptionsZOLNew";
      return row.optionsDialog != nullptr ? row.optionsDialog : L"GetOptions";
  }
  return L"";
}

const wchar_t* LoggingDialogTemplate(LoggingDialog dialog) {
  DialogBuild b;
  b.model = BuildConfig.modelIndex;
  b.portrait = ScreenLayout.portrait;
  b.storageRoot = BuildConfig.storageRoot;
  b.zolEnabled = SurveySettings.zolEnabled;
  b.zolOptionAvailable = BuildConfig.zolOptionAvailable;
  return LoggingDialogTemplate(dialog, b);
}

namespace {

// Buffers the typed texts are read through: the comment (the record keeps 11 characters), the
// line name (11 characters) and a number.
constexpr int kCommentRead = 21;
constexpr int kNumberRead = 64;

constexpr int kNewLineName = 651, kNewLineLastStation = 653, kNewLineNext = 674, kNewLineIncrement = 675,
              kNewLineSequence = 676, kNewLineDirection = 677, kNewLineStart = 678, kNewLineStationIncrement = 679;

void SetNumber(HWND dialog, int id, const wchar_t* format, double value) {
  wchar_t text[kNumberRead];
  swprintf(text, kNumberRead, format, value);
  SetDlgItemTextW(dialog, id, text);
}

float ReadFloat(HWND dialog, int id) {
  wchar_t text[kNumberRead];
  GetDlgItemTextW(dialog, id, text, kNumberRead);
  return TextToFloat(text);
}

void FillList(HWND dialog, int id, const wchar_t* const* items, int count, int32_t selected) {
  for (int i = 0; i < count; ++i) SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);  // outside: no selection
}

// A list's position into its setting; a list without a selection leaves the setting alone.
void StoreSelection(HWND dialog, int id, int32_t& setting) {
  const LRESULT at = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  if (at != CB_ERR) setting = static_cast<int32_t>(at);
}

void InitNewLine(HWND dialog) {
  static const wchar_t* const kSequences[] = {L"Alternate", L"One Way"};
  static const wchar_t* const kDirections[] = {L"West", L"South", L"North", L"East"};
  const SurveySettingsData& s = SurveySettings;
  SetDlgItemTextW(dialog, kNewLineName, s.surveyLine);
  SetNumber(dialog, kNewLineLastStation, L"%.3f", SurveyRun.station);
  const NewLineProposal p = ProposeNewLine(s.surveyLine, s.lineIncrement, s.lineSequence, s.lineDirection,
                                           s.startStation, s.stationIncrement, SurveyRun.station);
  SetNumber(dialog, kNewLineNext, L"%.2f", static_cast<double>(p.line));
  SetNumber(dialog, kNewLineIncrement, L"%.2f", static_cast<double>(s.lineIncrement));
  FillList(dialog, kNewLineSequence, kSequences, 2, s.lineSequence);
  FillList(dialog, kNewLineDirection, kDirections, 4, p.direction);
  SetNumber(dialog, kNewLineStart, L"%.3f", p.start);
  SetNumber(dialog, kNewLineStationIncrement, L"%.3f", static_cast<double>(p.increment));
}

void StoreNewLine(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  wchar_t name[SurveySettingsData::kSurveyLineMax + 1];
  GetDlgItemTextW(dialog, kNewLineNext, name, SurveySettingsData::kSurveyLineMax + 1);
  wcscpy(s.surveyLine, name);
  s.lineIncrement = ReadFloat(dialog, kNewLineIncrement);
  StoreSelection(dialog, kNewLineSequence, s.lineSequence);
  StoreSelection(dialog, kNewLineDirection, s.lineDirection);
  wchar_t start[kNumberRead];
  GetDlgItemTextW(dialog, kNewLineStart, start, kNumberRead);
  s.startStation = TypedStation(plat::ParseDecimal(start));
  SurveyRun.station = s.startStation;
  s.stationIncrement = TypedIncrement(ReadFloat(dialog, kNewLineStationIncrement));
  for (int32_t& have : PlotState.havePrev) have = 0;
  LoadSaveSettings(1);
}

}  // namespace

NewLineProposal ProposeNewLine(const wchar_t* line, float lineIncrement, int32_t sequence, int32_t direction,
                               double startStation, float stationIncrement, double station) {
  return survey::ProposeNewLine(TextToFloat(line), lineIncrement, sequence == 0, direction, startStation,
                                stationIncrement, station);
}

INT_PTR CALLBACK CommentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextW(dialog, 851, L"");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    wchar_t comment[kCommentRead];
    GetDlgItemTextW(dialog, 851, comment, kCommentRead);
    WriteEventRecord(comment, 'C');
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
  }
  return TRUE;
}

INT_PTR CALLBACK NewLineDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    InitNewLine(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    StoreNewLine(dialog);
    EndDialog(dialog, 1);
    return TRUE;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return FALSE;
  }
  return TRUE;
}

// New Station: moves the current station to the typed value, shows it, starts every curve afresh
// and records the station with a time mark. Ends with 0 either way.
INT_PTR CALLBACK NewStationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    wchar_t text[64];
    swprintf(text, 64, L"%.3f", static_cast<double>(SurveySettings.startStation));
    SetDlgItemTextW(dialog, 863, text);
    swprintf(text, 64, L"%.3f", SurveyRun.station);
    SetDlgItemTextW(dialog, 864, text);
    SetDlgItemTextW(dialog, 865, L"");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    wchar_t typed[64];
    GetDlgItemTextW(dialog, 865, typed, 64);
    SurveyRun.station = TypedStation(plat::ParseDecimal(typed));
    for (int32_t& have : PlotState.havePrev) have = 0;
    {
      WindowDc dc(AppWindows.loggingWnd);
      DrawStation(dc);
    }
    SurveyRun.stationHasReading = 0;
    WriteStationRecord();
    WriteTimeRecord();
    UpdateWindow(AppWindows.loggingWnd);
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
  }
  return TRUE;
}

}  // namespace handheld
