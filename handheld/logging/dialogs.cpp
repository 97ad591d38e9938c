#include "logging/dialogs.h"

#include <cwchar>

#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

const wchar_t* LoggingDialogTemplate(LoggingDialog dialog, const DialogBuild& b) {
  const bool landscapeStorage = b.portrait == 0 && b.storageRoot == 1;
  switch (dialog) {
    case LoggingDialog::kNewLine:
      return L"GetNewLine";
    case LoggingDialog::kNewStation:
      return landscapeStorage ? L"GetNewStationwm6" : L"GetNewStation";
    case LoggingDialog::kComment:
      return L"GetComment";
    case LoggingDialog::kProfileScale:
      if (b.model == kModelRz45) return L"GetNewProfileScale45";
      if (b.model == kModelRz12 && b.zolEnabled == 1) return L"GetNewProfileScaleZOL";
      return landscapeStorage ? L"GetNewProfileScale12H" : L"GetNewProfileScale12";
    case LoggingDialog::kDisplayOptions:
      switch (b.model) {
        case kModelRz45:
          return L"GetOptions45";
        case kModelZol12:
          return L"GetOptionsZOL12";
        case kModelRz27Mk2:
          return L"GetOptions27mk2";
        case kModelRz12:
          return b.zolOptionAvailable == 1 ? L"GetOptionsZOLNew" : L"GetOptions";
        default:
          return L"GetOptions";
      }
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

// OK ends with 1 and Cancel (also a closed dialog) with 0; nothing else is taken.
INT_PTR EndOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam) {
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) return EndDialog(dialog, 1);
  if (LOWORD(wParam) == IDCANCEL) return EndDialog(dialog, 0);
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK NewLineDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return EndOnOkOrCancel(h, m, w); }
INT_PTR CALLBACK CommentDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return EndOnOkOrCancel(h, m, w); }

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
    SurveyRun.station = plat::ParseDecimal(typed);
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
