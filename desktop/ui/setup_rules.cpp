#include "ui/setup_rules.h"

#include <algorithm>

#include "engine/models.h"
#include "engine/state.h"
#include "resources/dialog_ids.h"

namespace desktop {
namespace {

using survey::List;

constexpr const wchar_t* kModes[] = {L"Auto", L"Wheel", L"Manual"};
constexpr const wchar_t* kRz12Components[] = {L"Both", L"Inphase"};
constexpr const wchar_t* kShortComponents[] = {L"Inphase", L"Conductivity"};
constexpr const wchar_t* kLongComponents[] = {L"Both", L"Inphase", L"Conductivity"};
constexpr const wchar_t* kDipoles[] = {L"Vertical", L"Horizontal", L"Both"};
constexpr const wchar_t* kConfigurations[] = {L"Vertical-10m",   L"Vertical-20m",   L"Vertical-40m",
                                              L"Horizontal-10m", L"Horizontal-20m", L"Horizontal-40m"};
constexpr const wchar_t* kReadings[] = {L"1 reading", L"2 reading", L"3 reading",
                                        L"4 reading", L"5 reading", L"6 reading"};
constexpr const wchar_t* kRz56Types[] = {L"Standard", L"High Power"};
constexpr const wchar_t* kRz12Types[] = {L"Standard 3.6 m", L"Short 2.0 m"};
constexpr const wchar_t* kMk2Types[] = {L"RZ27-MK2-1", L"RZ27-MK2"};
constexpr const wchar_t* kSensorSizes[] = {L"1 x 0.5 m", L"1 x 1 m", L"0.5 x 0.5 m"};
constexpr const wchar_t* kPauseKeys[] = {L"any key", L"<Enter>", L"<Space Bar>", L"<P>"};
constexpr const wchar_t* kMk2PauseKeys[] = {L"any non numeric key", L"<Enter>", L"<Space Bar>", L"<P>"};
constexpr const wchar_t* kMarkerPorts[] = {L"Disabled", L"COM1:", L"COM2:",  L"COM3:",  L"COM4:",  L"COM5:", L"COM6:",
                                           L"COM7:",    L"COM8:", L"COM9:", L"COM10:", L"COM11:", L"COM12:"};
constexpr const wchar_t* kSoftMarkers[] = {L"Disabled", L"any numeric key"};
constexpr const wchar_t* kUnits[] = {L"meters", L"feet", L"US Survey Feet"};

constexpr int32_t kDipoleVertical = 0;
constexpr int32_t kDipoleBoth = 2;

// The RZ27-DD and RZ27 show the component on a short list outside Manual.
bool ShortComponentList(int32_t model) { return model == kModelRz27Dd || model == kModelRz27; }
bool TwoDipoles(int32_t model) {
  return model == kModelRz12 || model == kModelRz27B || model == kModelRz27 || model == kModelRz27Mk2;
}

}  // namespace

TextList SurveyModeList() { return List(kModes); }

TextList ComponentList(int32_t model, int32_t mode) {
  if (model == kModelRz12) return List(kRz12Components);
  if (ShortComponentList(model)) return mode == kModeManual ? List(kLongComponents) : List(kShortComponents);
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
  if (TwoDipoles(model)) return TextList{kDipoles, mode == kModeManual ? 3 : 2};
  if (model == kModelRz45) return mode == kModeManual ? List(kReadings) : List(kConfigurations);
  return {};
}

int32_t DipoleOnSwitch(int32_t model, int32_t newMode, int32_t dipole) {
  if (model == kModelRz27Dd || model == kModelRz45) return dipole;
  return newMode != kModeManual && dipole == kDipoleBoth ? kDipoleVertical : dipole;
}

const wchar_t* DipoleLabelOnSwitch(int32_t model, int32_t mode) {
  if (model != kModelRz45) return nullptr;
  return mode == kModeManual ? L"Configuration" : L"Dipole/Separ.";
}

ModeBoxes ModeBoxesOf(int32_t model, int32_t mode, bool atOpening) {
  const wchar_t* increment = atOpening ? nullptr : L"Station Increment";
  switch (mode) {
    case kModeAuto:
      return {L"Readings/s", RateBox::kRate, increment};
    case kModeWheel:
      return {L"Readings/s", RateBox::kNotAvailable, atOpening ? nullptr : L"Wheel Increment"};
    default:
      break;
  }
  if (RowOf(model).rz56 && !atOpening) return {L"Readings/s", RateBox::kNotAvailable, increment};
  return {atOpening ? L"Sample/Rdg" : L"Samples/Rdg", RateBox::kSamples, increment};
}

IncrementSlots SwitchIncrement(IncrementSlots slots, int32_t oldMode, int32_t newMode) {
  if (oldMode >= kModeAuto && oldMode <= kModeManual) slots.slot[oldMode] = slots.current;
  if (newMode >= kModeAuto && newMode <= kModeManual) slots.current = slots.slot[newMode];
  return slots;
}

float IntervalOfTypedRate(double typed) { return 1.0f / survey::TypedRate(typed); }

bool IsCancelKey(WPARAM key) { return key == 67 || key == 99; }

TextList TypeList(int32_t model) {
  if (model == kModelRz56Mk2) return List(kRz56Types);
  if (model == kModelRz12) return List(kRz12Types);
  if (model == kModelRz27Mk2) return List(kMk2Types);
  return {};
}

TextList SensorSizeList() { return List(kSensorSizes); }
TextList PauseKeyList(int32_t model) { return model == kModelRz27Mk2 ? List(kMk2PauseKeys) : List(kPauseKeys); }
TextList MarkerPortList() { return List(kMarkerPorts); }
TextList SoftMarkerList() { return List(kSoftMarkers); }
TextList UnitsList() { return List(kUnits); }

const wchar_t* PortLabel(int32_t model) {
  switch (model) {
    case kModelRz12: return L"RZ12 Port";
    case kModelRz27B: return L"RZ27B Port";
    case kModelRz27Dd: return L"RZ27-DD Port";
    case kModelRz27: return L"RZ27 Port";
    case kModelRz45: return L"RZ45-3 Port";
    case kModelRz27Mk2: return L"RZ27-MK2 Port";
    default: return nullptr;
  }
}

int32_t NccFlagOf(int32_t rz56Type) { return rz56Type > 1 ? 1 : 0; }

int DisplayChannelCount(int32_t model) {
  if (model == kModelRz45) return 6;
  return model == kModelRz27Mk2 ? 8 : 4;
}

namespace {
int ChannelOf(const uint16_t (&ids)[8], int id) {
  for (int c = 0; c < 8; ++c) {
    if (ids[c] == id) return c;
  }
  return -1;
}
}  // namespace

int ColourButtonChannel(int id) { return ChannelOf(kDisplayColourIds, id); }
int CheckBoxChannel(int id) { return ChannelOf(kDisplayCheckIds, id); }
int WidthListChannel(int id) { return ChannelOf(kDisplayWidthIds, id); }

void KeepOneVisible(int32_t model, int32_t visible[8]) {
  const int n = DisplayChannelCount(model);
  for (int c = 0; c < n; ++c) {
    if (visible[c] != 0) return;
  }
  visible[RowOf(model).rz56 ? 2 : 0] = 1;
}

ScaleRange WidenedScale(double min, double max, double widen) {
  constexpr double kLimit = 1000000.0;
  ScaleRange s{std::clamp(min, -kLimit, kLimit), std::clamp(max, -kLimit, kLimit)};
  if (s.max <= s.min) s.max = s.min + widen;
  return s;
}

}  // namespace desktop
