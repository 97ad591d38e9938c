#include "ui/start_screen.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace desktop {
namespace {

struct KeyRow {
  WPARAM code;
  int32_t keyAction;
};

// Each letter by its upper-case code and its lower-case character code, as they arrive.
constexpr KeyRow kMenuKeys[] = {
    {9, kKeyActionNext},      {39, kKeyActionNext},     {40, kKeyActionNext}, {37, kKeyActionPrevious},
    {38, kKeyActionPrevious}, {13, kKeyActionPress},    {'L', 0},             {'l', 0},
    {'S', 1},                 {'s', 1},                 {'T', 2},             {'t', 2},
    {'G', 3},                 {'g', 3},                 {'O', 4},             {'o', 4},
    {'P', 5},                 {'p', 5},                 {'X', 6},             {'x', 6},
};

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Number(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

// The choice's text, or the number itself outside the choices.
template <std::size_t N>
std::string Choice(const char* const (&texts)[N], int32_t value, int32_t first = 0) {
  const int32_t index = value - first;
  if (index >= 0 && index < static_cast<int32_t>(N)) return texts[index];
  return Number(value);
}

std::string ComPort(int32_t port) { return "COM" + Number(port + 1); }

constexpr const char* kModes[] = {"AUTO", "WHEEL", "MANUAL"};
constexpr const char* kDipoles[] = {"Vertical", "Horizontal", "Both"};
constexpr const char* kComponents[] = {"Both", "Inphase", "Conductivity"};
constexpr const char* kRz45Readings[] = {"1 reading",  "2 readings", "3 readings",
                                         "4 readings", "5 readings", "6 readings"};
constexpr const char* kRz45Dipoles[] = {"Vertical-10 m",   "Vertical-20 m",   "Vertical-40 m",
                                        "Horizontal-10 m", "Horizontal-20 m", "Horizontal-40 m"};
constexpr const char* kRz56Types[] = {"Standard", "High Power", "Standard N.C.C", "HP N.C.C."};
constexpr const char* kSensorSizes[] = {"1 x 0.5 m", "1 x 1 m", "0.5 x 0.5 m"};
constexpr const char* kRz12Types[] = {"Standard", "Short"};
constexpr const char* kMk2Types[] = {"RZ27-MK2-1", "RZ27-MK2"};  // from type 1
constexpr const char* kGpsSensor[] = {"Disabled", "Enabled"};
constexpr const char* kPauseKeys[] = {"any key", "<Enter>", "<Space Bar>", "<P>"};

// Rows 1 and 2 of the right column.
void SummarizeInstrument(const SurveySettingsData& s, SummaryKind kind, SummaryLine* rows) {
  const SummaryLine dipole{"Dipole:", Choice(kDipoles, s.dipole)};
  switch (kind) {
    case SummaryKind::kRz56:
      rows[0] = {"RZ56-MK2 Type:", Choice(kRz56Types, s.rz56Type)};
      rows[1] = {"Sensor Size:", Choice(kSensorSizes, s.rz56SensorSize)};
      break;
    case SummaryKind::kRz12:
      rows[0] = {"RZ12 Type:", Choice(kRz12Types, s.rz12Type)};
      rows[1] = dipole;
      break;
    case SummaryKind::kRz27:
      rows[0] = {"Component:", Choice(kComponents, s.component)};
      rows[1] = dipole;
      break;
    case SummaryKind::kRz45:
      rows[0] = {"Component:", "Conductivity"};
      rows[1] = {"Dipole:", s.surveyMode == kModeManual ? Choice(kRz45Readings, s.dipole)
                                                        : Choice(kRz45Dipoles, s.dipole)};
      break;
    case SummaryKind::kMk2:
      rows[0] = {"RZ27-MK2 Type:", Choice(kMk2Types, s.mk2Type, 1)};
      rows[1] = dipole;
      break;
    case SummaryKind::kNone:
      break;
  }
}

}  // namespace

int32_t MainMenuKeyAction(WPARAM code) {
  for (const KeyRow& row : kMenuKeys) {
    if (row.code == code) return row.keyAction;
  }
  return kKeyActionNone;
}

MainMenuStep DecodeMainMenu(int32_t mode, int32_t selected, WPARAM wParam, bool monitorVariant) {
  MainMenuStep step;
  step.selected = selected;
  int32_t action = static_cast<int32_t>(LOWORD(wParam)) - kMenuButtonIdBase;
  const int32_t keyAction = mode == 0 ? MainMenuKeyAction(wParam) : kKeyActionNone;
  if (keyAction == kKeyActionNext) {
    step.selected = selected >= kMenuButtons - 1 || selected < 0 ? 0 : selected + 1;
    step.moved = true;
    action = -1;
  } else if (keyAction == kKeyActionPrevious) {
    step.selected = selected <= 0 || selected >= kMenuButtons ? kMenuButtons - 1 : selected - 1;
    step.moved = true;
    action = -1;
  } else if (keyAction == kKeyActionPress) {
    action = selected;
  } else if (keyAction != kKeyActionNone) {
    action = keyAction;
  }
  if (monitorVariant && (action == 1 || action == 5)) action = -1;
  if (action >= 0 && action < kMenuButtons) step.action = static_cast<MenuAction>(action);
  return step;
}

bool IsMonitorVariant(const BuildSwitches& build) {
  return build.modelIndex == kModelRz27Mk2 && build.monitorVariant == 1;
}

const char* MainWindowTitle(const BuildSwitches& build) {
  return IsMonitorVariant(build) ? "RZ27MK2xp - Monitor" : RowOf(build.modelIndex).windowTitle;
}

const char* StartScreenTitle(const BuildSwitches& build) {
  return IsMonitorVariant(build) ? "RZ27MK2xp" : RowOf(build.modelIndex).screenTitle;
}

const char* VersionText(const BuildSwitches& build) {
  if (IsMonitorVariant(build)) return "V 1.02 Monitor";
  return build.gpsSimulator > 0 ? "V 1.06 SYMULATOR" : "V 1.06";
}

const char* SplashName(const BuildSwitches& build) { return RowOf(build.modelIndex).splash; }

const char* MenuDialogTemplate(MenuAction action, const ModelRow& row) {
  switch (action) {
    case MenuAction::kSurveySetup:
      return row.surveySetupDialog;
    case MenuAction::kSystemSetup:
      return row.systemSetupDialog;
    case MenuAction::kGpsPortSetup:
      return "GPSINPUT";
    case MenuAction::kProfilesOptions:
      return row.profilesDialog;
    default:
      return nullptr;
  }
}

SettingsSummaryTexts SummarizeSettings(const SurveySettingsData& s, const ModelRow& row) {
  SettingsSummaryTexts t;
  t.left[0] = {"Survey Mode:", Choice(kModes, s.surveyMode)};
  if (s.surveyMode == kModeManual) {
    t.left[1] = {"Samples/Reading:", Number(s.samplesPerReading)};
  } else if (s.surveyMode == kModeAuto) {
    // A stored interval of 0 or less (or not a number) counts as one reading a second.
    const double interval = s.readingInterval > 0.0f ? s.readingInterval : 1.0;
    t.left[1] = {"Readings/second:", Format("%.2f", 1.0 / interval)};
  } else {
    t.left[1] = {"Readings/second:", "N/A"};
  }
  t.left[2] = {"Survey Line:", std::string(s.surveyLine, strnlen(s.surveyLine, sizeof s.surveyLine))};
  t.left[3] = {"Line Increment:", Format("%.2f", s.lineIncrement)};
  t.left[4] = {"Start Station:", Format("%.3f", s.startStation)};
  t.left[5] = {"Station Increment:", Format("%.3f", s.stationIncrement)};

  SummarizeInstrument(s, row.summary, t.right);
  t.right[2] = {row.portLabel, ComPort(s.instrumentPort)};
  t.right[3] = {"GPS Sensor:", Choice(kGpsSensor, s.gpsEnabled)};
  t.right[4] = {"GPS Port:", s.gpsEnabled < 1 ? std::string("N/A") : ComPort(s.gpsPort)};
  t.right[5] = {"Pause Key:", Choice(kPauseKeys, s.pauseKey)};
  return t;
}

}  // namespace desktop
