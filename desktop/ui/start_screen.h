// The start screen's pure choices: the key decoder of the seven menu buttons, the titles, version
// and splash of a build, the settings summary and the dialog template of each setup action.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/models.h"
#include "engine/state.h"

namespace desktop {

constexpr int kMenuButtonIdBase = 420;  // menu button i has id 420 + i; its action is i
constexpr int kMenuButtons = 7;

// MainMenu.keyAction values besides a button's action 0 to 6.
constexpr int32_t kKeyActionNone = -99;
constexpr int32_t kKeyActionNext = 1009;
constexpr int32_t kKeyActionPrevious = 1010;
constexpr int32_t kKeyActionPress = 1013;

// The start-screen actions (button index = action).
enum class MenuAction : int32_t {
  kNone = -1,
  kLogging = 0,
  kSurveySetup = 1,
  kSystemSetup = 2,
  kGpsPortSetup = 3,
  kGpsMonitoring = 4,
  kProfilesOptions = 5,
  kExit = 6,
};

// MainMenu.keyAction for a key code as it arrives in wParam: a button's action, next, previous,
// press, or kKeyActionNone for a code in no row.
int32_t MainMenuKeyAction(WPARAM code);

// What one WM_COMMAND or WM_KEYDOWN of the main window does on the start screen.
struct MainMenuStep {
  MenuAction action = MenuAction::kNone;
  int32_t selected = 0;  // the selection afterwards
  bool moved = false;    // the default-button frame moves from the old selection to the new one
};
// A button id gives its action; on the start screen (mode 0) wParam is also read as a key code. The
// monitoring variant drops Survey Setup and Profiles Options.
MainMenuStep DecodeMainMenu(int32_t mode, int32_t selected, WPARAM wParam, bool monitorVariant);

// The monitoring variant: an RZ27-MK2 build with the switch set.
bool IsMonitorVariant(const BuildSwitches& build);

const char* MainWindowTitle(const BuildSwitches& build);
const char* StartScreenTitle(const BuildSwitches& build);
const char* VersionText(const BuildSwitches& build);
const char* SplashName(const BuildSwitches& build);  // null: no splash

// The template a setup action opens (Survey Setup, System Setup, GPS Port Setup, Profiles
// Options); null for none and for the other actions.
const char* MenuDialogTemplate(MenuAction action, const ModelRow& row);

// One row of the settings summary: its label and value, both empty for a row left blank.
struct SummaryLine {
  std::string label;
  std::string value;
};
struct SettingsSummaryTexts {
  SummaryLine left[6];
  SummaryLine right[6];
};
// The summary as the start screen shows it for these settings on this model. A value outside its
// choices shows as its number.
SettingsSummaryTexts SummarizeSettings(const SurveySettingsData& settings, const ModelRow& row);

}  // namespace desktop
