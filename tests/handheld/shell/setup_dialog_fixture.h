// A small stand-in for the handheld program around its dialogs: the build with its resource table,
// the screen layout of an orientation, and a visible top-level owner window in the main window's
// place. The test thread is the UI thread; a dialog's script runs inside its modal loop.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/build_config.h"
#include "app_test_support.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "resources/resources.h"
#include "logging/dialog_support.h"
#include "shell/gps_monitor.h"
#include "shell/shell.h"

namespace handheld::test {

struct DialogSetup {
  int32_t model = kModelRz12;
  int32_t iceOption = 0;
  int32_t storageRoot = 1;
  bool portrait = false;
};

class DialogFixture : public ::testing::Test {
 protected:
  void SetUpDialogs(const DialogSetup& s) {
    setup_ = s;
    const int width = s.portrait ? 240 : 320;
    const int height = s.portrait ? 320 : 240;
    plat::test::Reset(plat::Profile::Handheld, {width, height});
    plat::test::UseTempRoot();
    BuildSwitches b;
    b.modelIndex = s.model;
    b.zolOptionAvailable = s.iceOption;
    b.storageRoot = s.storageRoot;
    UseBuild(b);
    ScreenLayout.portrait = s.portrait ? 1 : 0;
    ScreenLayout.windowWidth = width;
    ScreenLayout.windowHeight = height;
    ScreenLayout.usableHeight = height - 22;
    ScreenLayout.plotTop = s.portrait ? 44 : 30;
    ScreenLayout.plotHeight = ScreenLayout.usableHeight - 14 * (s.portrait ? 3 : 2) - ScreenLayout.plotTop - 2;
    AppWindows.instance = GetModuleHandleW(nullptr);
    AppWindows.commdlgModule = LoadLibraryW(L"COMMDLG.DLL");  // the colour chooser, as start-up finds it
    AppWindows.chooseColorProc = GetProcAddressW(AppWindows.commdlgModule, L"ChooseColor");
    RegisterHandheldResources();

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = AppWindows.instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = L"DialogTestMain";
    ASSERT_NE(RegisterClassW(&wc), 0);
    owner_ = CreateWindowW(L"DialogTestMain", L"Main", WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           AppWindows.instance, nullptr);
    ASSERT_NE(owner_, nullptr);
    plat::test::PumpUntilIdle();
  }

  void TearDown() override {
    ResetEngineState();
    ResetGpsMonitor();
    ResetMainMenu();
    plat::test::Reset();
  }

  // Runs the template with the procedure; the script acts on it once it is shown. Returns the
  // dialog's result (0 also when nothing opened).
  INT_PTR Open(const wchar_t* name, DLGPROC proc, const std::function<void(plat::test::ModalContext&)>& script) {
    plat::test::OnModal(plat::test::ModalKind::Dialog, L"", script);
    const INT_PTR result = RunDialogByName(owner_, name, proc);
    plat::test::PumpUntilIdle();
    return result;
  }

  // The dialog the main menu's action (1 to 4) opens on this build, run with the script.
  INT_PTR OpenMenuDialog(int action, const std::function<void(plat::test::ModalContext&)>& script) {
    const MenuDialog d = MenuDialogFor(action, BuildConfig.modelIndex, ScreenLayout.portrait, BuildConfig.storageRoot,
                                       BuildConfig.zolOptionAvailable);
    EXPECT_NE(d.name, nullptr);
    return d.name != nullptr ? Open(d.name, d.proc, script) : 0;
  }

  // The lines of the settings file of the build.
  static std::vector<std::string> SettingsLines() {
    std::vector<std::string> lines;
    std::istringstream in(SettingsFileBytes());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The names of the RZ12 build's settings lines (without the ice option), in file order after the
  // version line, and those whose text differs between two versions of that file.
  static std::set<std::string> ChangedRz12Settings(const std::vector<std::string>& before,
                                                   const std::vector<std::string>& after) {
    static const char* const kNames[] = {
        "version",        "rz12Type",       "displayUnits",     "instrumentPort",   "audio",
        "pauseKey",       "traceVisible0",  "traceVisible1",    "traceVisible2",    "traceVisible3",
        "traceVisible4",  "traceVisible5",  "traceVisible6",    "traceVisible7",    "traceThickness0",
        "traceThickness1", "traceThickness2", "traceThickness3", "traceThickness4", "traceThickness5",
        "traceThickness6", "traceThickness7", "traceColour0",    "traceColour1",     "traceColour2",
        "traceColour3",   "traceColour4",   "traceColour5",     "traceColour6",     "traceColour7",
        "gridScale",      "scale1Min",      "scale1Max",        "scale2Min",        "scale2Max",
        "gpsEnabled",     "gpsPort",        "gpsBaudIndex",     "gpsDataBitsIndex", "gpsParityIndex",
        "gpsStopBitsIndex", "surveyMode",   "component",        "dipole",           "samplesPerReading",
        "stationIncrementAuto", "stationIncrementWheel", "stationIncrementManual", "readingInterval",
        "surveyLine",     "lineIncrement",  "lineSequence",     "lineDirection",    "startStation",
        "stationIncrement"};
    EXPECT_EQ(before.size(), std::size(kNames));
    EXPECT_EQ(after.size(), std::size(kNames));
    std::set<std::string> changed;
    for (size_t i = 0; i < before.size() && i < after.size() && i < std::size(kNames); ++i) {
      if (before[i] != after[i]) changed.insert(kNames[i]);
    }
    return changed;
  }

  DialogSetup setup_;
  HWND owner_ = nullptr;
};

}  // namespace handheld::test
