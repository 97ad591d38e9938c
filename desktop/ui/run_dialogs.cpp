// The survey run's dialogs: comment, new line and new station. They read their boxes, write their
// records through the record writers and leave the window's repaint to the logging window.
#include <cstring>
#include <string>

#include "common/record_fields.h"
#include "common/setup_fields.h"
#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "ui/dialogs.h"
#include "ui/setup_rules.h"

namespace desktop {
namespace {

using survey::FillAndSelect;
using survey::ReadNumber;
using survey::ShowNumber;
using survey::StoreSelection;

constexpr int kNumberChars = 15;  // typed numbers are read from their first 15 characters
constexpr int kCommentChars = 20;

constexpr int kCommentBox = 1187;
constexpr int kLineName = 1180, kLastStation = 1181, kNextLine = 1106, kLineIncrement = 1107, kSequence = 1178,
              kDirection = 1179, kStartStation = 1108, kStationIncrement = 1109;
constexpr int kStationLine = 1181, kStationStart = 1182, kStationNew = 1183, kStationCurrent = 1184;

std::string LineName() {
  const SurveySettingsData& s = SurveySettings;
  return std::string(s.surveyLine, strnlen(s.surveyLine, sizeof s.surveyLine));
}

void StartCurvesAfresh() {
  for (int32_t& have : PlotState.havePrev) have = 0;
}

void NewLineOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  SetDlgItemTextA(dialog, kLineName, LineName().c_str());
  ShowNumber(dialog, kLastStation, "%.3f", SurveyRun.station);
  const survey::NewLineProposal p = ProposeNewLine(LineName().c_str(), s.lineIncrement, s.lineSequence,
                                                   s.lineDirection, s.startStation, s.stationIncrement,
                                                   SurveyRun.station);
  ShowNumber(dialog, kNextLine, "%.2f", p.line);
  ShowNumber(dialog, kLineIncrement, "%.2f", s.lineIncrement);
  // A stored value outside its list leaves the list without a selection (and OK leaves it stored).
  FillAndSelect(dialog, kSequence, survey::SequenceList(), s.lineSequence);
  FillAndSelect(dialog, kDirection, survey::DirectionList(), p.direction);
  ShowNumber(dialog, kStartStation, "%.3f", p.start);
  ShowNumber(dialog, kStationIncrement, "%.3f", p.increment);
}

void NewLineOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  SurveyRun.stationHasReading = 0;
  GetDlgItemTextA(dialog, kNextLine, s.surveyLine, SurveySettingsData::kSurveyLineMax + 1);
  s.lineIncrement = survey::FloatValue(ReadNumber(dialog, kLineIncrement, kNumberChars));
  StoreSelection(dialog, kSequence, &s.lineSequence);
  StoreSelection(dialog, kDirection, &s.lineDirection);
  s.startStation = survey::TypedStation(ReadNumber(dialog, kStartStation, kNumberChars));
  SurveyRun.station = s.startStation;
  s.stationIncrement = survey::TypedIncrement(ReadNumber(dialog, kStationIncrement, kNumberChars));
  StartCurvesAfresh();
  LoadSaveSettings(1);
}

}  // namespace

survey::NewLineProposal ProposeNewLine(const char* line, float lineIncrement, int32_t sequence, int32_t direction,
                                       double startStation, float stationIncrement, double station) {
  return survey::ProposeNewLine(survey::FloatValue(plat::ParseDecimal(line)), lineIncrement, sequence != 1, direction,
                                startStation, stationIncrement, station);
}

INT_PTR CALLBACK CommentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kCommentBox, "");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    char comment[kCommentChars + 1];
    GetDlgItemTextA(dialog, kCommentBox, comment, sizeof comment);
    WriteEventRecord(comment, 'C');
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
  }
  return TRUE;
}

INT_PTR CALLBACK NewLineDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      NewLineOnInit(dialog);
      return TRUE;
    case WM_KEYDOWN:
      if (!IsCancelKey(wParam)) return FALSE;
      EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        NewLineOnOk(dialog);
        EndDialog(dialog, 1);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return FALSE;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK NewStationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kStationLine, LineName().c_str());
    ShowNumber(dialog, kStationStart, "%.3f", SurveySettings.startStation);
    ShowNumber(dialog, kStationCurrent, "%.3f", SurveyRun.station);
    SetDlgItemTextA(dialog, kStationNew, "");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    SurveyRun.station = survey::TypedStation(ReadNumber(dialog, kStationNew, kNumberChars));
    StartCurvesAfresh();
    SurveyRun.stationHasReading = 0;
    WriteStationRecord();
    WriteTimeRecord();
    LoadSaveSettings(1);
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 1);
  }
  return TRUE;
}

}  // namespace desktop
