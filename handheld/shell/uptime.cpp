#include <cwchar>

#include "shell/shell.h"

namespace handheld {

MainMenuData MainMenu;
void ResetMainMenu() { MainMenu = MainMenuData{}; }

void ShowUptimeStop(HWND owner) {
  // One box at a time: a paint or Monitor/Log while it is up opens no second one.
  if (MainMenu.stopBoxOpen != 0) return;
  MainMenu.stopBoxOpen = 1;
  wchar_t text[256];
  std::swprintf(text, sizeof text / sizeof text[0], L"%ls\r\n%ls\r\n%ls\r\n%ls\r\n%ls",
                L"Windows has run for more than 20 days.", L"To assure accurate clock operation",
                L"please restart the system.", L"Press and hold On/Off key till blue screen",
                L"and \"Warm Reset Detected\" is displayed.");
  MessageBoxW(owner, text, L"PROGRAM STOP", MB_ICONEXCLAMATION | MB_OK);
  ExitProcess(0);
}

}  // namespace handheld
