// The rules of the setup dialogs as pure functions, and the handheld's own list texts.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>

#include "engine/state.h"
#include "shell/setup_dialogs.h"

namespace handheld {
namespace {

using survey::List;

constexpr const wchar_t* kModes[] = {L"Auto", L"Wheel", L"Manual"};
constexpr const wchar_t* kTwoModes[] = {L"Auto", L"Manual"};
constexpr const wchar_t* kRz12Components[] = {L"Both", L"Inphase"};
constexpr const wchar_t* kShortComponents[] = {L"Inphase", L"Conductivity"};
constexpr const wchar_t* kLongComponents[] = {L"Both", L"Inphase", L"Conductivity"};
constexpr const wchar_t* kDipoles[] = {L"Vertical", L"Horizontal", L"Both"};
constexpr const wchar_t* kSeparations[] = {L"Vert-10m",  L"Vert-20m",  L"Vert-40m",
                                          L"Horiz-10m", L"Horiz-20m", L"Horiz-40m"};
constexpr const wchar_t* kReadings[] = {L"1 reading",  L"2 readings", L"3 readings",
                                        L"4 readings", L"5 readings", L"6 readings"};

constexpr const wchar_t* kPauseKeys[] = {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"};
constexpr const wchar_t* kMk2PauseKeys[] = {L"any non numeric key", L"<Space Bar>", L"<Enter>", L"<P>"};
constexpr const wchar_t* kNumericMarker[] = {L"Disabled", L"any numeric key"};
constexpr const wchar_t* kArrowMarker[] = {L"Disabled", L"any arrow key"};
constexpr const wchar_t* kRz12Types[] = {L"Standard", L"Short"};
constexpr const wchar_t* kMk2Types[] = {L"RZ27-MK2-1", L"RZ27-MK2"};
constexpr const wchar_t* kMarkerPorts[] = {L"Disabled", L"COM1:", L"COM2:", L"COM3:",  L"COM4:",  L"COM5:",
                                           L"COM7:",    L"COM8:", L"COM9:", L"COM10:", L"COM11:", L"COM12:"};
constexpr const wchar_t* kSeaWater[] = {L"2000 mS/m", L"2100 mS/m", L"2200 mS/m", L"2300 mS/m",
                                        L"2400 mS/m", L"2500 mS/m", L"2600 mS/m", L"2700 mS/m",
                                        L"2800 mS/m", L"2900 mS/m", L"3000 mS/m"};
constexpr const wchar_t* kProfiles[] = {L"Cond./Inphase", L"Ice Thickness"};
constexpr const wchar_t* kUnits[] = {L"meters", L"feet"};

constexpr const wchar_t* kGrid[] = {L"Conductivity", L"Inphase"};
constexpr const wchar_t* kZolGrid[] = {L"Thickness", L"Inphase"};
constexpr const wchar_t* kIceGrid[] = {L"Conductivity", L"Inphase", L"Ice Thickness"};

constexpr int32_t kDipoleVertical = 0;
constexpr int32_t kDipoleBoth = 2;

bool ShortComponentList(int32_t model) { return ModelRowOf(model).components == ComponentChoice::kShortOrLong; }
bool TwoModeList(int32_t model) { return ModelRowOf(model).modes != ModeChoice::kThree; }

}  // namespace

// ---- Survey setup ----------------------------------------------------------------------------

TextList SurveyModeList(int32_t model) { return TwoModeList(model) ? List(kTwoModes) : List(kModes); }

int32_t SurveyModeOfEntry(int32_t model, int entry) {
  if (entry < 0 || entry >= SurveyModeList(model).count) return -1;
  if (ModelRowOf(model).modes == ModeChoice::kTwoSecondManual) return entry == 0 ? kSurveyModeAuto : kSurveyModeManual;
  return entry;
}

int SurveyModeEntryOf(int32_t model, int32_t mode) {
  switch (ModelRowOf(model).modes) {
    case ModeChoice::kTwoSecondWheel:
      if (mode == kSurveyModeAuto) return 0;
      return mode == kSurveyModeWheel || mode == kSurveyModeManual ? 1 : -1;
    case ModeChoice::kTwoSecondManual:
      if (mode == kSurveyModeAuto || mode == kSurveyModeWheel) return 0;
      return mode == kSurveyModeManual ? 1 : -1;
    case ModeChoice::kThree:
      break;
  }
  return mode >= kSurveyModeAuto && mode <= kSurveyModeManual ? mode : -1;
}

TextList ComponentList(int32_t model, int32_t mode) {
  switch (ModelRowOf(model).components) {
    case ComponentChoice::kRz12:
      return List(kRz12Components);
    case ComponentChoice::kShortOrLong:
      return mode == kSurveyModeManual ? List(kLongComponents) : List(kShortComponents);
    case ComponentChoice::kNone:
      break;
  }
  return {};
}

int ComponentIndexOf(int32_t model, int32_t mode, int32_t component) {
  return survey::ComponentPosition(ShortComponentList(model), mode, component);
}

int32_t ComponentOfIndex(int32_t model, int32_t mode, int index) {
  return survey::ComponentAt(ShortComponentList(model), mode, index);
}

int ComponentIndexOnSwitch(int32_t model, int32_t oldMode, int32_t newMode, int index) {
  return survey::ComponentPositionOnSwitch(ShortComponentList(model), oldMode, newMode, index);
}

TextList DipoleList(int32_t model, int32_t mode) {
  switch (ModelRowOf(model).dipoles) {
    case DipoleChoice::kVerticalHorizontal:
      return TextList{kDipoles, mode == kSurveyModeManual ? 3 : 2};
    case DipoleChoice::kSeparations:
      return mode == kSurveyModeManual ? List(kReadings) : List(kSeparations);
    case DipoleChoice::kNone:
      break;
  }
  return {};
}

int32_t DipoleOnSwitch(int32_t model, int32_t newMode, int32_t dipole) {
  if (ModelRowOf(model).dipoleKeptOnModeSwitch) return dipole;
  return newMode != kSurveyModeManual && dipole == kDipoleBoth ? kDipoleVertical : dipole;
}

const wchar_t* SurveyModeTitle(int32_t model) { return ModelRowOf(model).modeTitle; }

// ---- Logger setup ----------------------------------------------------------------------------

const wchar_t* InstrumentPortLabel(int32_t model) { return ModelRowOf(model).portLabel; }

TextList PauseKeyList(int32_t model, int32_t portrait) {
  if (ModelRowOf(model).ownPauseKeys) return List(kMk2PauseKeys);
  return portrait != 0 ? TextList{kPauseKeys, 1} : List(kPauseKeys);
}

int PauseKeyEntryOf(int32_t model, int32_t portrait, int32_t pauseKey) {
  if (pauseKey < 0 || pauseKey > 3) return -1;
  return !ModelRowOf(model).ownPauseKeys && portrait != 0 ? 0 : pauseKey;
}

TextList SoftMarkerList(int32_t portrait, int32_t storageRoot) {
  return portrait != 0 && storageRoot == 1 ? List(kArrowMarker) : List(kNumericMarker);
}

TextList Rz12TypeList() { return List(kRz12Types); }
TextList Mk2TypeList() { return List(kMk2Types); }
TextList MarkerPortList() { return List(kMarkerPorts); }
TextList SeaWaterList() { return List(kSeaWater); }
TextList ProfileChoiceList() { return List(kProfiles); }
TextList UnitsList() { return List(kUnits); }

// ---- Display options -------------------------------------------------------------------------

int DisplayChannelCount(int32_t model, int32_t iceOption) {
  const ModelRow& row = ModelRowOf(model);
  return row.displayChannels + (row.iceOption && iceOption == 1 ? 1 : 0);
}

TextList GridList(int32_t model, int32_t iceOption) {
  const ModelRow& row = ModelRowOf(model);
  switch (row.scales) {
    case ScaleChoice::kConductivity:
      return {};
    case ScaleChoice::kThicknessInphase:
      return List(kZolGrid);
    case ScaleChoice::kConductivityInphase:
      break;
  }
  return row.iceOption && iceOption == 1 ? List(kIceGrid) : List(kGrid);
}


int32_t GridForProfile(int32_t showIceProfile, int32_t grid) {
  if (showIceProfile == 1) return 2;
  return grid == 2 ? 0 : grid;
}

// ---- Profile scale ---------------------------------------------------------------------------

ScaleRange WideScale(double min, double max) {
  ScaleRange s{std::clamp(min, -9000.0, 9000.0), std::clamp(max, -9000.0, 9000.0)};
  if (s.max <= s.min) s.max = s.min + 100.0;
  return s;
}

ScaleRange TenMetreScale(double min, double max) {
  ScaleRange s{min < 0.0 ? 0.0 : (min > 10.0 ? 9.0 : min), std::clamp(max, 0.0, 10.0)};
  if (s.max <= s.min) s.max = s.min + 1.0;
  return s;
}

}  // namespace handheld
