// Entry of a handheld deliverable: the build's switches come from its compile definitions.
#include <windows.h>

#include "engine/build_config.h"
#include "resources/resources.h"
#include "shell/shell.h"

namespace {

int WINAPI AppWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
  handheld::BuildSwitches switches;
  switches.modelIndex = HANDHELD_MODEL;
  switches.zolOptionAvailable = HANDHELD_ZOL_OPTION;
  switches.storageRoot = HANDHELD_STORAGE_ROOT;
  switches.rz27Scale10 = HANDHELD_RZ27_SCALE10;
  switches.rz27Mk2Diagnostics = HANDHELD_RZ27MK2_DIAGNOSTICS;
  handheld::FillBuildConfig(switches);
  handheld::RegisterHandheldResources();
  return handheld::WinMain(instance, previous, commandLine, showCommand);
}

}  // namespace

const plat::AppEntry& PlatAppEntry() {
  static const plat::AppEntry entry{plat::Profile::Handheld, AppWinMain, nullptr};
  return entry;
}
