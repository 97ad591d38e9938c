// The survey setup and system setup dialogs of the start screen. OK stores the dialog's values
// into SurveySettings and saves the settings file; Cancel (or the key c) changes nothing. A list
// left without a selection (a stored value it does not offer) keeps its setting.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/record_fields.h"
#include "engine/models.h"
#include "engine/plot_scale.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "ui/dialogs.h"
#include "ui/setup_rules.h"

namespace desktop {
namespace {

using survey::FillAndSelect;
using survey::FloatValue;
using survey::ReadNumber;
using survey::SelectedEntry;
using survey::ShowNumber;
using survey::StoreSelection;

constexpr int kModeList = 1110;
constexpr int kRateBox = 1111;
constexpr int kLineBox = 1113;
constexpr int kLineIncrementBox = 1114;
constexpr int kSequenceList = 1115;
constexpr int kDirectionList = 1116;
constexpr int kStartStationBox = 1117;
constexpr int kIncrementBox = 1118;
constexpr int kIncrementLabel = 1119;
constexpr int kRateLabel = 1245;
constexpr int kDipoleLabel = 1261;
constexpr int kComponentList = 1262;
constexpr int kDipoleList = 1263;
constexpr int kNumberChars = 15;  // the typed numbers are read from their first 15 characters

int32_t Model() { return BuildConfig.modelIndex; }

// What the survey dialog keeps while it is open.
struct SurveySetupState {
  int32_t shownMode = 0;
  int componentIndex = 0;
  int32_t dipole = 0;
  int32_t samples = 1;
  IncrementSlots increments;
};
SurveySetupState Setup;

void ShowModeBoxes(HWND dialog, bool atOpening) {
  const ModeBoxes boxes = ModeBoxesOf(Model(), Setup.shownMode, atOpening);
  SetDlgItemTextW(dialog, kRateLabel, boxes.rateLabel);
  HWND rateBox = GetDlgItem(dialog, kRateBox);
  switch (boxes.rateBox) {
    case RateBox::kRate:
      ShowNumber(dialog, kRateBox, "%.2f", survey::RateOfInterval(SurveySettings.readingInterval));
      break;
    case RateBox::kNotAvailable:
      SetDlgItemTextW(dialog, kRateBox, L"Not Available");
      break;
    case RateBox::kSamples: {
      char text[16];
      std::snprintf(text, sizeof text, "%3d", Setup.samples);
      SetDlgItemTextA(dialog, kRateBox, text);
      break;
    }
  }
  SendMessageW(rateBox, EM_SETREADONLY, boxes.rateBox == RateBox::kNotAvailable ? TRUE : FALSE, 0);
  if (boxes.incrementLabel != nullptr) SetDlgItemTextW(dialog, kIncrementLabel, boxes.incrementLabel);
  ShowNumber(dialog, kIncrementBox, "%.3f", Setup.increments.current);
}

void SurveyOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  Setup = SurveySetupState{};
  Setup.shownMode = s.surveyMode;
  Setup.componentIndex = ComponentIndexOf(model, s.surveyMode, s.component);
  Setup.dipole = s.dipole;
  Setup.samples = s.samplesPerReading;
  Setup.increments.slot[kModeAuto] = s.stationIncrementAuto;
  Setup.increments.slot[kModeWheel] = s.stationIncrementWheel;
  Setup.increments.slot[kModeManual] = s.stationIncrementManual;
  Setup.increments.current = s.stationIncrement;

  FillAndSelect(dialog, kModeList, SurveyModeList(), s.surveyMode);
  if (s.surveyMode >= kModeAuto && s.surveyMode <= kModeManual) ShowModeBoxes(dialog, true);
  FillAndSelect(dialog, kComponentList, ComponentList(model, s.surveyMode), Setup.componentIndex);
  FillAndSelect(dialog, kDipoleList, DipoleList(model, s.surveyMode), Setup.dipole);
  SetDlgItemTextA(dialog, kLineBox, std::string(s.surveyLine, strnlen(s.surveyLine, sizeof s.surveyLine)).c_str());
  ShowNumber(dialog, kLineIncrementBox, "%.2f", s.lineIncrement);
  FillAndSelect(dialog, kSequenceList, survey::SequenceList(), s.lineSequence);
  FillAndSelect(dialog, kDirectionList, survey::DirectionList(), s.lineDirection);
  ShowNumber(dialog, kStartStationBox, "%.3f", s.startStation);
  ShowNumber(dialog, kIncrementBox, "%.3f", Setup.increments.current);
}

// Any notification of the mode list: the lists, labels and boxes follow the selected mode, and
// what was typed into the rate, samples and increment boxes gives way to the kept values.
void SurveyOnModeList(HWND dialog) {
  const int32_t model = Model();
  const int32_t mode = SelectedEntry(dialog, kModeList);
  if (mode < kModeAuto || mode > kModeManual) return;  // no entry selected
  if (mode != Setup.shownMode) {
    if (model == kModelRz27Dd || model == kModelRz27) {
      Setup.componentIndex = ComponentIndexOnSwitch(model, Setup.shownMode, mode, Setup.componentIndex);
      FillAndSelect(dialog, kComponentList, ComponentList(model, mode), Setup.componentIndex);
    }
    Setup.dipole = DipoleOnSwitch(model, mode, Setup.dipole);
    if (const wchar_t* label = DipoleLabelOnSwitch(model, mode)) SetDlgItemTextW(dialog, kDipoleLabel, label);
    if (model != kModelRz27Dd) FillAndSelect(dialog, kDipoleList, DipoleList(model, mode), Setup.dipole);
    Setup.increments = SwitchIncrement(Setup.increments, Setup.shownMode, mode);
  }
  Setup.shownMode = mode;
  ShowModeBoxes(dialog, false);
}

void SurveyOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  const ModelRow& row = ThisModel();
  const int32_t chosen = SelectedEntry(dialog, kModeList);
  if (chosen >= kModeAuto && chosen <= kModeManual) {
    s.surveyModeChoice = chosen;
    s.surveyMode = chosen;
  }
  const int32_t mode = s.surveyMode;
  if (mode == kModeAuto) {
    s.readingInterval = IntervalOfTypedRate(ReadNumber(dialog, kRateBox, kNumberChars));
    Watchdog.readingIntervalMs = ReadingIntervalMs(s.readingInterval);
    if (!row.rz56) ComputeSampleDivisor();
  } else if (mode == kModeManual && !row.rz56) {
    s.samplesPerReading = survey::StoredSamples(ReadNumber(dialog, kRateBox, kNumberChars));
  }
  SurveyRun.stationHasReading = 0;
  if (model != kModelRz27B && model != kModelRz45 && model != kModelZol12) {
    const int index = SelectedEntry(dialog, kComponentList);  // 0 where the template has no list
    if (index >= 0) s.component = ComponentOfIndex(model, mode, index);
  }
  if (model != kModelRz27Dd && model != kModelZol12) StoreSelection(dialog, kDipoleList, &s.dipole);
  // The name keeps its first 11 characters.
  GetDlgItemTextA(dialog, kLineBox, s.surveyLine, SurveySettingsData::kSurveyLineMax + 1);
  s.lineIncrement = FloatValue(ReadNumber(dialog, kLineIncrementBox, kNumberChars));
  StoreSelection(dialog, kSequenceList, &s.lineSequence);
  StoreSelection(dialog, kDirectionList, &s.lineDirection);
  s.startStation = survey::TypedStation(ReadNumber(dialog, kStartStationBox, kNumberChars));
  SurveyRun.station = s.startStation;
  s.stationIncrement = survey::TypedIncrement(ReadNumber(dialog, kIncrementBox, kNumberChars));
  float* kept[] = {&s.stationIncrementAuto, &s.stationIncrementWheel, &s.stationIncrementManual};
  if (mode >= kModeAuto && mode <= kModeManual) *kept[mode] = s.stationIncrement;
  LoadSaveSettings(1);
  EndDialog(dialog, 0);
}

// ---- System setup ----------------------------------------------------------------------------

constexpr int kTypeList = 1121;
constexpr int kSensorList = 1122;
constexpr int kInstrumentPortList = 1125;
constexpr int kPauseKeyList = 1131;
constexpr int kAudioList = 1134;
constexpr int kUnitsList = 1135;
constexpr int kGpsPortList = 1140;
constexpr int kBatteryBox = 1244;
constexpr int kPortLabel = 1246;
constexpr int kMarkerPortList = 1248;
constexpr int kSoftMarkerList = 1249;
constexpr int kTypeLabel = 1264;
constexpr int kBatteryChars = 23;

void SystemOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  if (model == kModelRz56Mk2) {
    FillAndSelect(dialog, kTypeList, TypeList(model), s.rz56Type);
    FillAndSelect(dialog, kSensorList, SensorSizeList(), s.rz56SensorSize);
    ShowNumber(dialog, kBatteryBox, "%.2f", s.batteryWarning);
  } else if (model == kModelRz12) {
    FillAndSelect(dialog, kTypeList, TypeList(model), s.rz12Type);
  } else if (model == kModelRz27Mk2) {
    SetDlgItemTextW(dialog, kTypeLabel, L"RZ27-MK2 Type");
    FillAndSelect(dialog, kTypeList, TypeList(model), s.mk2Type - 1);
  }
  if (const wchar_t* label = PortLabel(model)) SetDlgItemTextW(dialog, kPortLabel, label);
  FillAndSelect(dialog, kInstrumentPortList, survey::ComPortList(), s.instrumentPort);
  FillAndSelect(dialog, kGpsPortList, survey::ComPortList(), s.gpsPort);
  if (model == kModelRz27Mk2) {
    FillAndSelect(dialog, kMarkerPortList, MarkerPortList(), s.markerPort);
    FillAndSelect(dialog, kSoftMarkerList, SoftMarkerList(), s.softMarker);
  }
  FillAndSelect(dialog, kPauseKeyList, PauseKeyList(model), s.pauseKey);
  FillAndSelect(dialog, kAudioList, survey::AudioList(), s.audio);
  FillAndSelect(dialog, kUnitsList, UnitsList(), s.displayUnits);
}

void SystemOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  if (model == kModelRz56Mk2) {
    StoreSelection(dialog, kTypeList, &s.rz56Type);
    Rz56Calibration.nccFlag = NccFlagOf(s.rz56Type);
    StoreSelection(dialog, kSensorList, &s.rz56SensorSize);
  } else if (model == kModelRz12) {
    StoreSelection(dialog, kTypeList, &s.rz12Type);
  } else if (model == kModelRz27Mk2) {
    StoreSelection(dialog, kTypeList, &s.mk2Type, 1);
  }
  StoreSelection(dialog, kAudioList, &s.audio);
  StoreSelection(dialog, kUnitsList, &s.displayUnits);
  StoreSelection(dialog, kInstrumentPortList, &s.instrumentPort);
  StoreSelection(dialog, kGpsPortList, &s.gpsPort);
  StoreSelection(dialog, kPauseKeyList, &s.pauseKey);
  if (model == kModelRz27Mk2) {
    StoreSelection(dialog, kMarkerPortList, &s.markerPort);
    StoreSelection(dialog, kSoftMarkerList, &s.softMarker);
  }
  if (model == kModelRz56Mk2) s.batteryWarning = FloatValue(ReadNumber(dialog, kBatteryBox, kBatteryChars));
  LoadSaveSettings(1);
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK SurveySetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SurveyOnInit(dialog);
      return TRUE;
    case WM_KEYDOWN:
      if (IsCancelKey(wParam)) EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      break;
    default:
      return FALSE;
  }
  switch (LOWORD(wParam)) {
    case kModeList:
      SurveyOnModeList(dialog);
      break;
    case IDOK:
      SurveyOnOk(dialog);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    default:
      break;
  }
  return TRUE;
}

INT_PTR CALLBACK LoggerSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SystemOnInit(dialog);
      return TRUE;
    case WM_KEYDOWN:
      if (IsCancelKey(wParam)) EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        SystemOnOk(dialog);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace desktop
