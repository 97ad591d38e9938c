// The survey setup dialog: survey mode, reading rate or samples per reading, component and dipole,
// line name and numbering, start station and station increment. OK stores everything and saves
// the settings file; Cancel changes nothing.
#include <cstdint>

#include "engine/records.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "shell/setup_dialogs.h"
#include "shell/shell.h"

namespace handheld {
namespace {

constexpr int kModeList = 620;
constexpr int kRateBox = 621;
constexpr int kComponentList = 622;
constexpr int kDipoleList = 623;
constexpr int kLineBox = 624;
constexpr int kLineIncrementBox = 625;
constexpr int kSequenceList = 626;
constexpr int kDirectionList = 627;
constexpr int kStartStationBox = 628;
constexpr int kIncrementBox = 629;
constexpr int kModeTitle = 600;
constexpr int kRateLabel = 601;
constexpr int kDipoleLabel = 603;
constexpr int kIncrementLabel = 609;

// What the dialog keeps while it is open.
struct SurveySetupState {
  int32_t shownMode = 0;    // the mode the selected entry stands for
  float rate = 1.0f;        // readings per second
  int32_t samples = 1;      // samples per reading
  int componentIndex = 0;   // position in the component list
  int32_t dipole = 0;
  float increment[3] = {};  // per mode: Auto, Wheel, Manual
  float current = 0.0f;     // the increment in the increment box
  // The template's increment label, which Auto and Manual show: "Stn Increment", or the short
  // "Stn Incr." of the two-column template, whose narrow label the long text would not fit.
  wchar_t incrementLabel[32] = L"";
};
SurveySetupState Setup;

bool KnownMode(int32_t mode) { return mode >= kSurveyModeAuto && mode <= kSurveyModeManual; }

int32_t Model() { return BuildConfig.modelIndex; }

// The rate box and its label, and the increment box, for the shown mode.
void ShowModeBoxes(HWND dialog, bool fromSwitch) {
  HWND rateBox = GetDlgItem(dialog, kRateBox);
  switch (Setup.shownMode) {
    case kSurveyModeAuto:
      SetDlgItemTextW(dialog, kRateLabel, L"Readings/s");
      SendMessageW(rateBox, EM_SETREADONLY, FALSE, 0);
      ShowNumber(dialog, kRateBox, "%.2f", Setup.rate);
      if (fromSwitch) SetDlgItemTextW(dialog, kIncrementLabel, Setup.incrementLabel);
      break;
    case kSurveyModeWheel:
      SetDlgItemTextW(dialog, kRateLabel, L"Readings/s");
      SetDlgItemTextW(dialog, kRateBox, L"Not Available");
      SendMessageW(rateBox, EM_SETREADONLY, TRUE, 0);
      // The ZOL12's Wheel is its list's "Manual" and keeps its label.
      if (fromSwitch && ModelRowOf(Model()).modes != ModeChoice::kTwoSecondWheel) {
        SetDlgItemTextW(dialog, kIncrementLabel, L"Wheel Inc.");
      }
      break;
    case kSurveyModeManual:
      SetDlgItemTextW(dialog, kRateLabel, fromSwitch ? L"Samples/Rdg" : L"Sample/Rdg");
      SendMessageW(rateBox, EM_SETREADONLY, FALSE, 0);
      ShowNumber(dialog, kRateBox, "%.0f", Setup.samples);  // a whole number, as "%d"
      if (fromSwitch) SetDlgItemTextW(dialog, kIncrementLabel, Setup.incrementLabel);
      break;
    default:
      break;  // a stored mode the list does not offer: the boxes keep the template's texts
  }
}

// The dipole list of a mode with the dipole kept selected; the RZ45's label follows the mode.
void FillDipoleList(HWND dialog, int32_t mode) {
  if (ModelRowOf(Model()).dipoles == DipoleChoice::kSeparations) {
    SetDlgItemTextW(dialog, kDipoleLabel, mode == kSurveyModeManual ? L"Configuration" : L"Dipole/Separ.");
  }
  FillAndSelect(dialog, kDipoleList, DipoleList(Model(), mode), Setup.dipole);
}

void OnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  const int modeEntry = SurveyModeEntryOf(model, s.surveyMode);
  Setup.shownMode = modeEntry >= 0 ? SurveyModeOfEntry(model, modeEntry) : s.surveyMode;
  Setup.rate = RateOfInterval(s.readingInterval);
  Setup.samples = s.samplesPerReading;
  Setup.componentIndex = ComponentIndexOf(model, Setup.shownMode, s.component);
  Setup.dipole = s.dipole;
  Setup.increment[kSurveyModeAuto] = s.stationIncrementAuto;
  Setup.increment[kSurveyModeWheel] = s.stationIncrementWheel;
  Setup.increment[kSurveyModeManual] = s.stationIncrementManual;
  Setup.current = s.stationIncrement;
  GetDlgItemTextW(dialog, kIncrementLabel, Setup.incrementLabel, 32);

  if (const wchar_t* title = SurveyModeTitle(model)) SetDlgItemTextW(dialog, kModeTitle, title);
  FillAndSelect(dialog, kModeList, SurveyModeList(model), modeEntry);
  ShowModeBoxes(dialog, false);
  FillAndSelect(dialog, kComponentList, ComponentList(model, Setup.shownMode), Setup.componentIndex);
  FillDipoleList(dialog, Setup.shownMode);
  SetDlgItemTextW(dialog, kLineBox, s.surveyLine);
  ShowNumber(dialog, kLineIncrementBox, "%.2f", s.lineIncrement);
  FillAndSelect(dialog, kSequenceList, survey::SequenceList(), s.lineSequence);
  FillAndSelect(dialog, kDirectionList, survey::DirectionList(), s.lineDirection);
  ShowNumber(dialog, kStartStationBox, "%.3f", s.startStation);
  ShowNumber(dialog, kIncrementBox, "%.3f", Setup.current);
}

// Any notification of the mode list: the lists, labels and boxes follow the chosen mode.
void OnModeList(HWND dialog) {
  const int32_t model = Model();
  const int32_t mode = SurveyModeOfEntry(model, SelectedEntry(dialog, kModeList));
  if (mode < 0) return;  // no entry chosen yet
  if (mode != Setup.shownMode) {
    const ModelRow& row = ModelRowOf(model);
    if (row.components == ComponentChoice::kShortOrLong) {
      Setup.componentIndex = ComponentIndexOnSwitch(model, Setup.shownMode, mode, Setup.componentIndex);
      FillAndSelect(dialog, kComponentList, ComponentList(model, mode), Setup.componentIndex);
    }
    Setup.dipole = DipoleOnSwitch(model, mode, Setup.dipole);
    if (row.dipoles != DipoleChoice::kNone) FillDipoleList(dialog, mode);
    if (KnownMode(Setup.shownMode)) Setup.increment[Setup.shownMode] = Setup.current;
    Setup.current = Setup.increment[mode];
  }
  Setup.shownMode = mode;
  ShowModeBoxes(dialog, true);
  ShowNumber(dialog, kIncrementBox, "%.3f", Setup.current);
}

// Any notification of the rate box.
void OnRateBox(HWND dialog) {
  const double value = ReadNumber(dialog, kRateBox);
  if (Setup.shownMode == kSurveyModeAuto) {
    Setup.rate = TypedRate(value);
    const float maxRate = ModelRowOf(Model()).maxReadingRate;
    if (maxRate > 0.0f && Setup.rate > maxRate) {
      Setup.rate = maxRate;
      ShowNumber(dialog, kRateBox, "%.2f", Setup.rate);
    }
  } else if (Setup.shownMode == kSurveyModeManual) {
    Setup.samples = TypedSamples(value);
  }
}

// Any notification of the increment box; a 0 is replaced by 1.000 at once.
void OnIncrementBox(HWND dialog) {
  Setup.current = TypedIncrement(ReadNumber(dialog, kIncrementBox));
  if (KnownMode(Setup.shownMode)) Setup.increment[Setup.shownMode] = Setup.current;
  if (Setup.current == 0.0f) {
    Setup.current = 1.0f;
    ShowNumber(dialog, kIncrementBox, "%.3f", Setup.current);
  }
}

void OnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  const int32_t chosen = SurveyModeOfEntry(model, SelectedEntry(dialog, kModeList));
  if (chosen >= 0) {
    s.surveyModeChoice = chosen;
    s.surveyMode = chosen;
  }
  const int32_t mode = s.surveyMode;
  if (mode == kSurveyModeAuto) {
    s.readingInterval = 1.0f / TypedRate(ReadNumber(dialog, kRateBox));
    ComputeSampleDivisor();
  } else if (mode == kSurveyModeManual) {
    s.samplesPerReading = StoredSamples(ReadNumber(dialog, kRateBox));
  }
  SurveyRun.stationHasReading = 0;
  const ModelRow& row = ModelRowOf(model);
  if (row.components != ComponentChoice::kNone) {
    const int index = SelectedEntry(dialog, kComponentList);
    if (index >= 0) s.component = ComponentOfIndex(model, mode, index);
  }
  if (row.dipoles != DipoleChoice::kNone) StoreSelection(dialog, kDipoleList, &s.dipole);
  // The name keeps its first 11 characters.
  GetDlgItemTextW(dialog, kLineBox, s.surveyLine, SurveySettingsData::kSurveyLineMax + 1);
  s.lineIncrement = FloatValue(ReadNumber(dialog, kLineIncrementBox));
  StoreSelection(dialog, kSequenceList, &s.lineSequence);
  StoreSelection(dialog, kDirectionList, &s.lineDirection);
  s.startStation = TypedStation(ReadNumber(dialog, kStartStationBox));
  SurveyRun.station = s.startStation;
  s.stationIncrement = TypedIncrement(ReadNumber(dialog, kIncrementBox));
  float* kept[] = {&s.stationIncrementAuto, &s.stationIncrementWheel, &s.stationIncrementManual};
  if (KnownMode(mode)) *kept[mode] = s.stationIncrement;
  LoadSaveSettings(1);
  EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK SurveySetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    OnInit(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kModeList:
      OnModeList(dialog);
      break;
    case kRateBox:
      OnRateBox(dialog);
      break;
    case kIncrementBox:
      OnIncrementBox(dialog);
      break;
    case IDOK:
      OnOk(dialog);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    default:
      break;
  }
  return TRUE;
}

}  // namespace handheld
