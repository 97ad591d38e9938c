// A small stand-in for the desktop program around its setup dialogs: a build with its resources
// and settings file on a fresh drive root, and a visible top-level owner window in the main
// window's place. The test thread is the UI thread; a dialog's script runs inside its modal loop.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/models.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "resources/resources.h"
#include "ui/dialogs.h"
#include "ui/logging.h"
#include "ui/run_start.h"

namespace desktop::test {

using Script = std::function<void(plat::test::ModalContext&)>;

class DialogTest : public ::testing::Test {
 protected:
  // The build of `model` with its settings file written from the start values and a 384-row plot.
  void SetUpBuild(int32_t model) {
    UseBuild(model);
    ResetLoggingState();
    ResetWorkerThreads();
    UseDesktopRoot("C:\\SURVEY");
    SetDefaultSettings();
    ScreenLayout.plotHeight = 384;
    AppWindows.instance = GetModuleHandleA(nullptr);
    RegisterDesktopResources();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = AppWindows.instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = "DialogTestMain";
    ASSERT_NE(RegisterClassA(&wc), 0);
    owner_ = CreateWindowA("DialogTestMain", "Main", WS_VISIBLE, 0, 0, 800, 574, nullptr, nullptr,
                           AppWindows.instance, nullptr);
    ASSERT_NE(owner_, nullptr);
    ASSERT_TRUE(LoadSaveSettings(1));
    plat::test::PumpUntilIdle();
  }

  void TearDown() override {
    ResetEngineState();
    ResetLoggingState();
    ResetWorkerThreads();
    plat::test::Reset(plat::Profile::Desktop);
  }

  // Runs the template with the procedure; the script acts on it once it is shown.
  INT_PTR Open(const char* name, DLGPROC proc, const Script& script) {
    plat::test::OnModal(plat::test::ModalKind::Dialog, L"", script);
    const INT_PTR result = RunDialog(name, owner_, proc);
    plat::test::PumpUntilIdle();
    return result;
  }

  // The settings file's lines.
  static std::vector<std::string> SettingsLines() {
    std::vector<std::string> lines;
    std::istringstream in(RootFileBytes(std::string("C/SURVEY/") + ThisModel().settingsFile));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // How many lines differ between two versions of the file of one length.
  static int ChangedLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    EXPECT_EQ(a.size(), b.size());
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i] ? 1 : 0;
    return n;
  }

  // The settings' bytes, for Cancel's byte-for-byte comparison.
  static std::string SettingsBytes() {
    std::string bytes(sizeof SurveySettings, '\0');
    std::memcpy(bytes.data(), static_cast<const void*>(&SurveySettings), sizeof SurveySettings);
    return bytes;
  }

  // Sends the dialog a notification of control `id`, as the control itself would.
  static void Notify(plat::test::ModalContext& ctx, int id, int code) {
    SendMessageA(ctx.Window(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctx.Control(id)));
  }
  static std::vector<std::wstring> ItemsOf(plat::test::ModalContext& ctx, int id) {
    return plat::test::Items(ctx.Control(id));
  }
  static int SelectionOf(plat::test::ModalContext& ctx, int id) { return plat::test::Selection(ctx.Control(id)); }
  static std::wstring SelectedText(plat::test::ModalContext& ctx, int id) {
    const auto items = ItemsOf(ctx, id);
    const int sel = SelectionOf(ctx, id);
    return sel >= 0 && sel < static_cast<int>(items.size()) ? items[sel] : L"";
  }

  HWND owner_ = nullptr;
};

}  // namespace desktop::test
