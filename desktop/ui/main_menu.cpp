// The start screen's buttons and keys: the selection frame and the seven actions.
#include "engine/models.h"
#include "engine/state.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/run_start.h"
#include "ui/start_screen.h"

namespace desktop {
namespace {

HWND MenuButton(int32_t index) {
  return index >= 0 && index < kMenuButtons ? AppWindows.menuButtons[index] : nullptr;
}

DLGPROC ProcOf(MenuAction action) {
  switch (action) {
    case MenuAction::kSurveySetup: return SurveySetupDlgProc;
    case MenuAction::kSystemSetup: return LoggerSetupDlgProc;
    case MenuAction::kGpsPortSetup: return GpsPortSetupDlgProc;
    default: return DisplayOptionsDlgProc;
  }
}

void RunAction(HWND main, MenuAction action) {
  switch (action) {
    case MenuAction::kLogging:
      StartSurveyRun(main);
      break;
    case MenuAction::kSurveySetup:
    case MenuAction::kSystemSetup:
    case MenuAction::kGpsPortSetup:
    case MenuAction::kProfilesOptions:
      if (const char* name = MenuDialogTemplate(action, ThisModel())) RunDialog(name, main, ProcOf(action));
      InvalidateRect(main, nullptr, TRUE);
      if (action == MenuAction::kProfilesOptions) SetFocus(main);
      break;
    case MenuAction::kGpsMonitoring:
      StartGpsMonitoring(main);
      break;
    case MenuAction::kExit:
      SendMessageA(main, WM_CLOSE, 0, 0);
      break;
    case MenuAction::kNone:
      break;
  }
}

}  // namespace

INT_PTR RunDialog(const char* name, HWND owner, DLGPROC proc) {
  return DialogBoxParamA(AppWindows.instance, name, owner, proc, 0);
}

LRESULT MainOnCommand(HWND main, UINT, WPARAM wParam, LPARAM) {
  if (IsWindowVisible(AppWindows.loggingWnd)) {
    SetFocus(AppWindows.loggingWnd);
    return 0;
  }
  if (IsWindowVisible(AppWindows.monitorGpsWnd)) {
    SetFocus(AppWindows.monitorGpsWnd);
    return 0;
  }
  SetFocus(main);
  const MainMenuStep step = DecodeMainMenu(MainMenu.mode, MainMenu.selected, wParam, IsMonitorVariant(BuildConfig));
  if (step.moved) {
    SendMessageA(MenuButton(MainMenu.selected), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    MainMenu.selected = step.selected;
    SendMessageA(MenuButton(MainMenu.selected), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
  MainMenu.keyAction = kKeyActionNone;
  RunAction(main, step.action);
  return 0;
}

}  // namespace desktop
