// The main menu's decoding and the setup dialog each action opens, as tables.
#include <gtest/gtest.h>

#include <string>

#include "engine/state.h"
#include "shell/shell.h"

namespace handheld {
namespace {

struct KeyCase {
  int32_t runActive;
  int32_t selected;
  WPARAM wParam;
  int32_t action;    // -1 none
  int32_t selectedAfter;
};

// Both codes of every letter, the selection keys with their wraps, Enter on the selection, the
// buttons' commands, and key codes while a run is active.
TEST(MainMenuDecoder, GivesTheActionOrMovesTheSelection) {
  const KeyCase cases[] = {
      // letters: upper-case key code and lower-case character code
      {0, 1, 'L', 0, 1},  {0, 1, 108, 0, 1}, {0, 1, 'S', 1, 1}, {0, 1, 115, 1, 1}, {0, 1, 'O', 2, 1},
      {0, 1, 111, 2, 1},  {0, 1, 'G', 3, 1}, {0, 1, 103, 3, 1}, {0, 1, 'D', 4, 1}, {0, 1, 100, 4, 1},
      {0, 1, 'V', 5, 1},  {0, 1, 118, 5, 1}, {0, 1, 'E', 6, 1}, {0, 1, 101, 6, 1}, {0, 1, 'X', 6, 1},
      {0, 1, 120, 6, 1},
      // next and previous, with the wraps; moving performs no action
      {0, 1, 9, -1, 2},   {0, 6, 9, -1, 0},  {0, 6, 39, -1, 0}, {0, 3, 40, -1, 4}, {0, 0, 37, -1, 6},
      {0, 0, 38, -1, 6},  {0, 4, 38, -1, 3},
      // Enter presses the selected button: on a fresh start the second, "&Survey Setup"
      {0, 1, 13, 1, 1},   {0, 5, 13, 5, 5},
      // buttons
      {0, 1, 420, 0, 1},  {0, 1, 426, 6, 1}, {0, 1, MAKEWPARAM(423, BN_CLICKED), 3, 1},
      // codes in no row, and ids outside the buttons
      {0, 1, 'A', -1, 1}, {0, 1, 'M', -1, 1}, {0, 1, 27, -1, 1}, {0, 1, 419, -1, 1},
      {0, 1, 427, -1, 1}, {0, 1, 0, -1, 1},
      // while a run is active key codes do nothing
      {1, 1, 'L', -1, 1}, {1, 1, 'X', -1, 1}, {1, 1, 13, -1, 1}, {1, 1, 9, -1, 1}, {1, 1, 37, -1, 1},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "runActive " << c.runActive << " selected " << c.selected << " wParam "
                                    << c.wParam);
    const MainMenuStep step = DecodeMainMenu(c.runActive, c.selected, c.wParam);
    EXPECT_EQ(step.action, c.action);
    EXPECT_EQ(step.selected, c.selectedAfter);
    EXPECT_EQ(step.moved, c.selectedAfter != c.selected);
  }
}

struct DialogCase {
  int32_t action;
  int32_t model;
  int32_t portrait;
  int32_t storageRoot;
  int32_t zol;
  const wchar_t* name;  // nullptr: nothing opens
  DLGPROC proc;
};

TEST(MainMenuDialogs, FollowModelOrientationAndSwitches) {
  const DLGPROC survey = SurveySetupDlgProc;
  const DLGPROC logger = LoggerSetupDlgProc;
  const DLGPROC gps = GpsPortSetupDlgProc;
  const DLGPROC options = DisplayOptionsDlgProc;
  const DialogCase cases[] = {
      {1, kModelRz12, 1, 1, 0, L"GetSurveySetup12V", survey},
      {1, kModelRz27, 1, 0, 0, L"GetSurveySetup12V", survey},
      {1, kModelRz12, 0, 1, 0, L"GetSurveySetup12H", survey},
      {1, kModelRz27, 0, 1, 0, L"GetSurveySetup12H", survey},
      {1, kModelRz12, 0, 0, 1, L"GetSurveySetup12", survey},
      {1, kModelRz27B, 1, 1, 0, L"GetSurveySetup27BV", survey},
      {1, kModelRz45, 1, 1, 0, L"GetSurveySetup27BV", survey},
      {1, kModelRz45, 0, 1, 0, L"GetSurveySetup27B", survey},
      {1, kModelRz27B, 0, 0, 0, L"GetSurveySetup27B", survey},
      {1, kModelRz27Dd, 1, 1, 0, L"GetSurveySetup27D", survey},
      {1, kModelRz27Dd, 0, 0, 0, L"GetSurveySetup27D", survey},
      {1, kModelZol12, 1, 1, 0, L"GetSurveySetupZOL12", survey},
      {1, kModelRz27Mk2, 1, 1, 0, L"GetSurveySetup27B", survey},
      {1, kModelRz27Mk2, 0, 1, 0, L"GetSurveySetup27B", survey},
      {1, kModelRz89, 0, 1, 0, nullptr, nullptr},
      {1, kModelRz89, 1, 0, 0, nullptr, nullptr},
      {2, kModelRz12, 0, 1, 1, L"GetLoggerSetup12ZOL", logger},
      {2, kModelRz12, 1, 1, 0, L"GetLoggerSetup12", logger},
      {2, kModelRz27Mk2, 0, 1, 0, L"GetLoggerSetup27MK2", logger},
      {2, kModelRz27B, 0, 1, 0, L"GetLoggerSetup27", logger},
      {2, kModelRz89, 1, 0, 0, L"GetLoggerSetup27", logger},
      {2, kModelZol12, 0, 1, 0, L"GetLoggerSetup27", logger},
      {3, kModelRz12, 0, 1, 0, L"GetGPSPortSetup", gps},
      {3, kModelRz27Mk2, 1, 0, 0, L"GetGPSPortSetup", gps},
      {4, kModelRz45, 0, 1, 0, L"GetOptions45", options},
      {4, kModelZol12, 1, 1, 0, L"GetOptionsZOL12", options},
      {4, kModelRz27Mk2, 0, 1, 0, L"GetOptions27mk2", options},
      {4, kModelRz12, 0, 1, 1, L"GetOptionsZOLNew", options},
      {4, kModelRz12, 0, 1, 0, L"GetOptions", options},
      {4, kModelRz27B, 1, 1, 0, L"GetOptions", options},
      {4, kModelRz27Dd, 0, 0, 0, L"GetOptions", options},
      {4, kModelRz27, 0, 1, 0, L"GetOptions", options},
      {4, kModelRz89, 0, 1, 0, L"GetOptions", options},
      // no setup dialog for the other actions, nor for a model outside the builds
      {0, kModelRz12, 0, 1, 0, nullptr, nullptr},
      {5, kModelRz12, 0, 1, 0, nullptr, nullptr},
      {1, 8, 0, 1, 0, nullptr, nullptr},
      {4, -1, 0, 1, 0, nullptr, nullptr},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "action " << c.action << " model " << c.model << " portrait " << c.portrait
                                    << " root " << c.storageRoot << " zol " << c.zol);
    const MenuDialog d = MenuDialogFor(c.action, c.model, c.portrait, c.storageRoot, c.zol);
    EXPECT_EQ(d.name ? std::wstring(d.name) : L"(none)", c.name ? std::wstring(c.name) : L"(none)");
    EXPECT_EQ(d.proc, c.proc);
  }
}

}  // namespace
}  // namespace handheld
