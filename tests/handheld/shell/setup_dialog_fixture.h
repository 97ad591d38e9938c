// A small stand-in for the handheld program around its dialogs: the build with its resource table,
// the screen layout of an orientation, and a visible top-level owner window in the main window's
// place. The test thread is the UI thread; a dialog's script runs inside its modal loop.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/build_config.h"
#include "app_test_support.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "resources/resources.h"
#include "shell/dialog_support.h"

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

  // The lines of the settings file of the build.
  static std::vector<std::string> SettingsLines() {
    std::vector<std::string> lines;
    std::istringstream in(SettingsFileBytes());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  DialogSetup setup_;
  HWND owner_ = nullptr;
};

}  // namespace handheld::test
