// Entry of a desktop deliverable: the build's switches come from its compile definitions.
#include <windows.h>

#include "engine/build_config.h"
#include "resources/resources.h"
#include "ui/main_window.h"

static_assert(DESKTOP_MONITOR_VARIANT == 0 || DESKTOP_MODEL == 7, "the monitoring variant is an RZ27-MK2 build");

namespace {

int WINAPI AppWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  desktop::BuildSwitches switches;
  switches.modelIndex = DESKTOP_MODEL;
  switches.gpsSimulator = DESKTOP_GPS_SIMULATOR;
  switches.smallLayout = DESKTOP_SMALL_LAYOUT;
  switches.monitorVariant = DESKTOP_MONITOR_VARIANT;
  desktop::FillBuildConfig(switches);
  desktop::RegisterDesktopResources();
  return desktop::WinMain(instance, previous, commandLine, showCommand);
}

}  // namespace

const plat::AppEntry& PlatAppEntry() {
  static const plat::AppEntry entry{plat::Profile::Desktop, nullptr, AppWinMain};
  return entry;
}
