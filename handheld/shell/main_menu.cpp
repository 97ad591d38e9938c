// The main menu: buttons and keys to actions, the selection frame, and actions 1 to 6.
#include "engine/gps_reader.h"
#include "engine/ports.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "logging/dialog_support.h"
#include "shell/shell.h"

namespace handheld {

namespace {

constexpr int32_t kNoKeyAction = -99;
constexpr int32_t kNext = 9;
constexpr int32_t kPrevious = 10;
constexpr int32_t kPress = 13;

struct KeyRow {
  WPARAM code;
  int32_t keyAction;
};

// Each letter by its upper-case key code and by its lower-case character code.
constexpr KeyRow kMenuKeys[] = {
    {9, kNext},     {13, kPress},   {37, kPrevious}, {38, kPrevious}, {39, kNext}, {40, kNext},
    {'L', 0},       {'l', 0},       {'S', 1},        {'s', 1},        {'O', 2},    {'o', 2},
    {'G', 3},       {'g', 3},       {'D', 4},        {'d', 4},        {'V', 5},    {'v', 5},
    {'E', 6},       {'X', 6},       {'e', 6},        {'x', 6},
};

HWND MenuButton(int32_t index) {
  return index >= 0 && index < kMenuButtons ? AppWindows.menuButtons[index] : nullptr;
}

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

// "Monitor GPS Output" of the GPS port dialog: the monitor's reader when GPS input is on, and the
// monitor window in any case. A handle left from an earlier reader is closed first, so the slot
// names the new reader or none, and a line left unconsumed by an earlier reader is dropped.
void StartGpsMonitor(HWND window) {
  ReleaseThreadHandle(WorkerThreads.gps);
  GpsState.sentenceValid = 0;
  if (SurveySettings.gpsEnabled == 1 && OpenGpsPort() == 1) {
    WorkerThreads.gps = CreateThread(nullptr, 0, GpsMonitorThread, nullptr, 0, nullptr);
  }
  ShowWindow(AppWindows.monitorGpsWnd, SW_SHOW);
  UpdateWindow(window);
}

void RunSetupDialog(HWND window, int32_t action) {
  const MenuDialog dialog = MenuDialogFor(action, BuildConfig.modelIndex, ScreenLayout.portrait,
                                          BuildConfig.storageRoot, BuildConfig.zolOptionAvailable);
  if (dialog.name == nullptr) return;  // this build has no such dialog: the menu stays as it is
  ShowSipButton(1);
  const INT_PTR result = RunDialogByName(window, dialog.name, dialog.proc);
  ShowSipButton(0);
  SetSipPreference(window, 0);
  Repaint(window);
  if (action == 2) SetFocus(window);
  if (action == 3 && result == 1) StartGpsMonitor(window);
}

void RunAction(HWND window, int32_t action) {
  switch (action) {
    case 0:
      StartSurveyRun(window);
      break;
    case 1:
    case 2:
    case 3:
    case 4:
      RunSetupDialog(window, action);
      break;
    case 5:
      ShowWindow(AppWindows.viewFilesWnd, SW_SHOW);
      SetFocus(AppWindows.viewFilesWnd);
      break;
    case 6:
      ShowSipButton(1);
      WorkerThreads.keepAliveRun = 0;
      DelayMs(100);
      SendMessageW(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

}  // namespace

int32_t MainMenuKeyAction(WPARAM code) {
  for (const KeyRow& row : kMenuKeys) {
    if (row.code == code) return row.keyAction;
  }
  return kNoKeyAction;
}

MainMenuStep DecodeMainMenu(int32_t runActive, int32_t selected, WPARAM wParam) {
  MainMenuStep step;
  step.selected = selected;
  int32_t action = static_cast<int32_t>(LOWORD(wParam)) - kMenuButtonIdBase;
  const int32_t keyAction = runActive == 0 ? MainMenuKeyAction(wParam) : kNoKeyAction;
  if (keyAction == kNext) {
    step.selected = selected >= kMenuButtons - 1 || selected < 0 ? 0 : selected + 1;
    step.moved = true;
  } else if (keyAction == kPrevious) {
    step.selected = selected <= 0 || selected >= kMenuButtons ? kMenuButtons - 1 : selected - 1;
    step.moved = true;
  } else if (keyAction == kPress) {
    action = selected;
  } else if (keyAction != kNoKeyAction) {
    action = keyAction;
  }
  if (!step.moved && action >= 0 && action < kMenuButtons) step.action = action;
  return step;
}

MenuDialog MenuDialogFor(int32_t action, int32_t model, int32_t portrait, int32_t storageRoot,
                         int32_t zolOptionAvailable) {
  const ModelRow& row = ModelRowOf(model);
  const bool ice = row.iceOption && zolOptionAvailable == 1;
  switch (action) {
    case 1: {
      const DialogNames& setup = row.surveySetup;  // all nullptr on the RZ89: no survey setup
      const wchar_t* name = portrait ? setup.portrait : storageRoot == 1 ? setup.landscapeStorage : setup.landscapeDrive;
      if (name == nullptr) return {};
      return {name, SurveySetupDlgProc};
    }
    case 2:
      if (!KnownModel(model)) return {};
      switch (row.types) {  // by the instrument type list it holds
        case TypeChoice::kStandardShort:
          return {ice ? L"GetLoggerSetup12ZOL" : L"GetLoggerSetup12", LoggerSetupDlgProc};
        case TypeChoice::kMk2:
          return {L"GetLoggerSetup27MK2", LoggerSetupDlgProc};
        case TypeChoice::kNone:
          return {L"GetLoggerSetup27", LoggerSetupDlgProc};
      }
      return {};
    case 3:
      return {L"GetGPSPortSetup", GpsPortSetupDlgProc};
    case 4:
      if (row.optionsDialog == nullptr) return {};
      return {ice ? L"GetOptionsZOLNew" : row.optionsDialog, DisplayOptionsDlgProc};
    default:
      return {};
  }
}

LRESULT MainOnCommand(HWND window, UINT, WPARAM wParam, LPARAM) {
  const MainMenuStep step = DecodeMainMenu(SurveyRun.runActive, MainMenu.selected, wParam);
  if (step.moved) {
    SendMessageW(MenuButton(MainMenu.selected), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    MainMenu.selected = step.selected;
    SendMessageW(MenuButton(MainMenu.selected), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
  MainMenu.keyAction = kNoKeyAction;
  RunAction(window, step.action);
  return 0;
}

}  // namespace handheld
