// The rules of the setup dialogs as pure functions, and the list and number helpers the dialogs
// share.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>

#include "engine/state.h"
#include "shell/setup_dialogs.h"

namespace handheld {
namespace {

template <int N>
constexpr TextList List(const wchar_t* const (&texts)[N]) {
  return TextList{texts, N};
}

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
constexpr const wchar_t* kComPorts[] = {L"COM1:", L"COM2:", L"COM3:",  L"COM4:",  L"COM5:",  L"COM6:",
                                        L"COM7:", L"COM8:", L"COM9:", L"COM10:", L"COM11:", L"COM12:"};
constexpr const wchar_t* kMarkerPorts[] = {L"Disabled", L"COM1:", L"COM2:", L"COM3:",  L"COM4:",  L"COM5:",
                                           L"COM7:",    L"COM8:", L"COM9:", L"COM10:", L"COM11:", L"COM12:"};
constexpr const wchar_t* kOnOff[] = {L"Disabled", L"Enabled"};
constexpr const wchar_t* kSeaWater[] = {L"2000 mS/m", L"2100 mS/m", L"2200 mS/m", L"2300 mS/m",
                                        L"2400 mS/m", L"2500 mS/m", L"2600 mS/m", L"2700 mS/m",
                                        L"2800 mS/m", L"2900 mS/m", L"3000 mS/m"};
constexpr const wchar_t* kProfiles[] = {L"Cond./Inphase", L"Ice Thickness"};
constexpr const wchar_t* kUnits[] = {L"meters", L"feet"};
constexpr const wchar_t* kAudio[] = {L"No", L"Yes"};
constexpr const wchar_t* kBauds[] = {L"4800", L"9600", L"19200", L"38400", L"57600", L"115200"};
constexpr const wchar_t* kParities[] = {L"No", L"Even", L"Odd"};
constexpr const wchar_t* kDataBits[] = {L"7", L"8"};
constexpr const wchar_t* kStopBits[] = {L"1", L"2"};

constexpr const wchar_t* kGrid[] = {L"Conductivity", L"Inphase"};
constexpr const wchar_t* kZolGrid[] = {L"Thickness", L"Inphase"};
constexpr const wchar_t* kIceGrid[] = {L"Conductivity", L"Inphase", L"Ice Thickness"};
constexpr const wchar_t* kWidths[] = {L"1 pixel", L"2 pixels", L"3 pixels", L"4 pixels"};

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
  return ShortComponentList(model) && mode != kSurveyModeManual ? component - 1 : component;
}

int32_t ComponentOfIndex(int32_t model, int32_t mode, int index) {
  return ShortComponentList(model) && mode != kSurveyModeManual ? index + 1 : index;
}

int ComponentIndexOnSwitch(int32_t model, int32_t oldMode, int32_t newMode, int index) {
  if (!ShortComponentList(model) || oldMode == newMode) return index;
  if (newMode == kSurveyModeManual) return index + 1;
  if (oldMode == kSurveyModeManual && index >= 1) return index - 1;
  return index;
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

float TypedRate(double value) {
  if (value <= 0.0) return 1.0f;
  return static_cast<float>(std::clamp(value, 0.0001, 10000.0));
}

int32_t TypedSamples(double value) {
  if (value <= 0.0) return 1;
  return static_cast<int32_t>(std::clamp(value, 1.0, static_cast<double>(INT_MAX)));
}

int32_t StoredSamples(double value) { return static_cast<int32_t>(std::clamp(value, 1.0, 100.0)); }

float FloatValue(double value) {
  return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

float RateOfInterval(float interval) {
  if (!(interval > 0.0f)) return 1.0f;
  return TypedRate(1.0 / static_cast<double>(interval));
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
TextList ComPortList() { return List(kComPorts); }
TextList MarkerPortList() { return List(kMarkerPorts); }
TextList OnOffList() { return List(kOnOff); }
TextList SeaWaterList() { return List(kSeaWater); }
TextList ProfileChoiceList() { return List(kProfiles); }
TextList UnitsList() { return List(kUnits); }
TextList AudioList() { return List(kAudio); }
TextList BaudList() { return List(kBauds); }
TextList ParityList() { return List(kParities); }
TextList DataBitsList() { return List(kDataBits); }
TextList StopBitsList() { return List(kStopBits); }

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

TextList WidthList() { return List(kWidths); }

int32_t GridForProfile(int32_t showIceProfile, int32_t grid) {
  if (showIceProfile == 1) return 2;
  return grid == 2 ? 0 : grid;
}

ColourButtonShapes ColourButtonShapesFor(const RECT& r, bool pressed, bool focus) {
  ColourButtonShapes s{};
  s.frame = r;
  s.innerEdge[0] = {r.left + 1, r.bottom - 3};
  s.innerEdge[1] = {r.left + 1, r.top + 1};
  s.innerEdge[2] = {r.right - 3, r.top + 1};
  s.innerDark = pressed;
  s.pressedEdge = pressed;
  s.innerLow[0] = {r.left + 1, r.bottom - 3};
  s.innerLow[1] = {r.right - 3, r.bottom - 3};
  s.innerLow[2] = {r.right - 3, r.top + 1};
  s.outerEdge[0] = {r.left, r.bottom - 1};
  s.outerEdge[1] = pressed ? POINT{r.left, r.top} : POINT{r.right - 1, r.bottom - 1};
  s.outerEdge[2] = {r.right - 1, r.top};
  s.sampleFrom = {r.left + 3, r.top + (pressed ? 6 : 10)};
  s.sampleTo = {r.right - 5, r.top + (pressed ? 14 : 10)};
  s.focus = focus;
  s.focusRect = {r.left + 3, r.top + 3, r.right - 4, r.bottom - 4};
  return s;
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

// ---- Shared by the dialogs -------------------------------------------------------------------

void FillList(HWND dialog, int id, const TextList& list) {
  SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < list.count; ++i) {
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.texts[i]));
  }
}

void FillAndSelect(HWND dialog, int id, const TextList& list, int entry) {
  FillList(dialog, id, list);
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

int SelectedEntry(HWND dialog, int id) {
  const LRESULT sel = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return sel < 0 ? -1 : static_cast<int>(sel);
}

void StoreSelection(HWND dialog, int id, int32_t* setting, int32_t offset) {
  const int sel = SelectedEntry(dialog, id);
  if (sel >= 0) *setting = sel + offset;
}

double ReadNumber(HWND dialog, int id) {
  wchar_t text[33];
  GetDlgItemTextW(dialog, id, text, 33);
  return plat::ParseDecimal(text);
}

void ShowNumber(HWND dialog, int id, const char* format, double value) {
  char narrow[400];  // any double in "%f"
  snprintf(narrow, sizeof narrow, format, value);
  wchar_t text[400];
  plat::Widen(narrow, text, 400);
  SetDlgItemTextW(dialog, id, text);
}

}  // namespace handheld
