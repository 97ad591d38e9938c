// The logger setup dialog (instrument type and port, marker, units, audio, pause key and the ice
// options) and the GPS port setup dialog. Both store on OK and save the settings file; Cancel
// changes nothing. "Monitor GPS Output" stores the GPS values without saving them.
#include "engine/settings.h"
#include "engine/state.h"
#include "shell/setup_dialogs.h"
#include "shell/shell.h"

namespace handheld {
namespace {

constexpr int kInstrumentPortLabel = 803;
constexpr int kTypeList = 810;
constexpr int kMarkerPortList = 813;
constexpr int kSoftMarkerList = 814;
constexpr int kZolList = 816;
constexpr int kSeaWaterList = 818;
constexpr int kProfileList = 820;
constexpr int kInstrumentPortList = 823;
constexpr int kUnitsList = 824;
constexpr int kAudioList = 825;
constexpr int kPauseKeyList = 826;
constexpr int32_t kPauseEnter = 2;

constexpr int kGpsInputList = 720;
constexpr int kGpsPortList = 721;
constexpr int kBaudList = 722;
constexpr int kParityList = 723;
constexpr int kDataBitsList = 724;
constexpr int kStopBitsList = 725;
constexpr int kMonitorGpsOutput = 729;

TypeChoice Types() { return BuildModel().types; }
// The calibrating model has the marker port and soft marker lists.
bool MarkerLists() { return BuildModel().calibrates; }
// The model with its own pause keys always pauses on <Enter> in portrait.
bool EnterPausesInPortrait() { return BuildModel().ownPauseKeys && ScreenLayout.portrait == 1; }

void EnableIceLists(HWND dialog, bool enable) {
  EnableWindow(GetDlgItem(dialog, kSeaWaterList), enable ? TRUE : FALSE);
  EnableWindow(GetDlgItem(dialog, kProfileList), enable ? TRUE : FALSE);
}

void LoggerOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const int32_t model = BuildConfig.modelIndex;
  if (IceBuild()) {
    FillAndSelect(dialog, kZolList, OnOffList(), s.zolEnabled);
    FillAndSelect(dialog, kSeaWaterList, SeaWaterList(), s.seaWaterIndex);
    FillAndSelect(dialog, kProfileList, ProfileChoiceList(), s.showIceProfile);
    if (s.zolEnabled != 1) EnableIceLists(dialog, false);
  }
  if (Types() == TypeChoice::kStandardShort) FillAndSelect(dialog, kTypeList, Rz12TypeList(), s.rz12Type);
  if (Types() == TypeChoice::kMk2) FillAndSelect(dialog, kTypeList, Mk2TypeList(), s.mk2Type - 1);
  if (const wchar_t* label = InstrumentPortLabel(model)) SetDlgItemTextW(dialog, kInstrumentPortLabel, label);
  FillAndSelect(dialog, kInstrumentPortList, ComPortList(), s.instrumentPort);
  if (MarkerLists()) {
    FillAndSelect(dialog, kMarkerPortList, MarkerPortList(), s.markerPort);
    FillAndSelect(dialog, kSoftMarkerList, SoftMarkerList(ScreenLayout.portrait, BuildConfig.storageRoot),
                  s.softMarker);
  }
  FillAndSelect(dialog, kUnitsList, UnitsList(), s.displayUnits);
  FillAndSelect(dialog, kAudioList, AudioList(), s.audio);
  FillAndSelect(dialog, kPauseKeyList, PauseKeyList(model, ScreenLayout.portrait),
                PauseKeyEntryOf(model, ScreenLayout.portrait, s.pauseKey));
}

void LoggerOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  if (IceBuild()) {
    StoreSelection(dialog, kZolList, &s.zolEnabled);
    StoreSelection(dialog, kSeaWaterList, &s.seaWaterIndex);
    StoreSelection(dialog, kProfileList, &s.showIceProfile);
  }
  if (Types() == TypeChoice::kStandardShort) StoreSelection(dialog, kTypeList, &s.rz12Type);
  if (Types() == TypeChoice::kMk2) StoreSelection(dialog, kTypeList, &s.mk2Type, 1);
  StoreSelection(dialog, kInstrumentPortList, &s.instrumentPort);
  if (MarkerLists()) {
    StoreSelection(dialog, kMarkerPortList, &s.markerPort);
    StoreSelection(dialog, kSoftMarkerList, &s.softMarker);
  }
  StoreSelection(dialog, kUnitsList, &s.displayUnits);
  StoreSelection(dialog, kAudioList, &s.audio);
  StoreSelection(dialog, kPauseKeyList, &s.pauseKey);
  if (EnterPausesInPortrait()) s.pauseKey = kPauseEnter;
  LoadSaveSettings(1);
  EndDialog(dialog, 0);
}

// The six GPS settings from the lists; a list without a selection keeps its setting.
void StoreGpsLists(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  StoreSelection(dialog, kGpsInputList, &s.gpsEnabled);
  StoreSelection(dialog, kGpsPortList, &s.gpsPort);
  StoreSelection(dialog, kBaudList, &s.gpsBaudIndex);
  StoreSelection(dialog, kParityList, &s.gpsParityIndex);
  StoreSelection(dialog, kDataBitsList, &s.gpsDataBitsIndex);
  StoreSelection(dialog, kStopBitsList, &s.gpsStopBitsIndex);
}

}  // namespace

INT_PTR CALLBACK LoggerSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    LoggerOnInit(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kZolList: {
      // The sea-water and profile lists follow the chosen option at once; the setting waits for OK.
      const int chosen = SelectedEntry(dialog, kZolList);
      if (chosen >= 0) EnableIceLists(dialog, chosen == 1);
      return FALSE;
    }
    case kPauseKeyList:
      if (EnterPausesInPortrait()) SendDlgItemMessageW(dialog, kPauseKeyList, CB_SETCURSEL, kPauseEnter, 0);
      return FALSE;
    case IDOK:
      LoggerOnOk(dialog);
      return FALSE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK GpsPortSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    const SurveySettingsData& s = SurveySettings;
    FillAndSelect(dialog, kGpsInputList, OnOffList(), s.gpsEnabled);
    FillAndSelect(dialog, kGpsPortList, ComPortList(), s.gpsPort);
    FillAndSelect(dialog, kBaudList, BaudList(), s.gpsBaudIndex);
    FillAndSelect(dialog, kParityList, ParityList(), s.gpsParityIndex);
    FillAndSelect(dialog, kDataBitsList, DataBitsList(), s.gpsDataBitsIndex);
    FillAndSelect(dialog, kStopBitsList, StopBitsList(), s.gpsStopBitsIndex);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      StoreGpsLists(dialog);
      LoadSaveSettings(1);
      EndDialog(dialog, 0);
      break;
    case kMonitorGpsOutput:
      // In force for the monitor and every later run; saved with the next save of any dialog.
      StoreGpsLists(dialog);
      EndDialog(dialog, 1);
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
