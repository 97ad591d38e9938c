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
  // The names of the file's lines in file order for the build in force, the version line first;
  // array entries as "traceColour[3]".
  static std::vector<std::string> SettingsLineNames() {
    const bool mk2 = ThisModel().mk2;
    std::vector<std::string> names = {"version"};
    auto add = [&](const char* name, int count = 0) {
      if (count == 0) names.push_back(name);
      for (int i = 0; i < count; ++i) names.push_back(std::string(name) + "[" + std::to_string(i) + "]");
    };
    for (const char* name : {"dataFolder", "rz56Type", "rz12Type", "rz56SensorSize", "displayUnits", "instrumentPort",
                             "audio", "pauseKey"}) {
      add(name);
    }
    add("traceVisible", 8);
    add("traceThickness", 8);
    add("traceColour", 8);
    for (const char* name : {"rz56ScaleMode", "gridScale", "scale1Min", "scale1Max", "scale2Min", "scale2Max",
                             "gpsEnabled", "gpsPort", "gpsBaudIndex", "gpsDataBitsIndex", "gpsParityIndex",
                             "gpsStopBitsIndex", "surveyMode", "component", "dipole", "samplesPerReading"}) {
      add(name);
    }
    if (mk2) {
      add("mk2Type");
      add("mk2Offset", 6);
    }
    for (const char* name : {"stationIncrementAuto", "stationIncrementWheel", "stationIncrementManual",
                             "readingInterval", "surveyLine", "lineIncrement", "lineSequence", "lineDirection",
                             "startStation", "batteryWarning"}) {
      add(name);
    }
    if (mk2) {
      add("softMarker");
      add("markerPort");
    }
    return names;
  }
  // The lines that differ between two versions of the file, as "name=new text", in file order.
  static std::vector<std::string> ChangedSettings(const std::vector<std::string>& a,
                                                  const std::vector<std::string>& b) {
    const std::vector<std::string> names = SettingsLineNames();
    EXPECT_EQ(a.size(), names.size());
    EXPECT_EQ(b.size(), names.size());
    std::vector<std::string> changed;
    for (size_t i = 0; i < a.size() && i < b.size() && i < names.size(); ++i) {
      if (a[i] == b[i]) continue;
      const std::string& text = b[i];
      changed.push_back(names[i] + "=" + (text.empty() || text.back() != '\r' ? text : text.substr(0, text.size() - 1)));
    }
    return changed;
  }

  // One OK of a dialog: the settings stored (and saved) before it opens, what the operator does,
  // and the file's lines that OK rewrites, as ChangedSettings gives them.
  struct OkCase {
    const char* what;
    int32_t model;
    std::function<void()> stored;
    Script script;
    std::vector<std::string> changed;
  };
  // Runs each case on a fresh build, with the template `name(model)` and `proc`.
  void ExpectOkChanges(const std::vector<OkCase>& cases, const std::function<const char*()>& name, DLGPROC proc) {
    for (const OkCase& c : cases) {
      SCOPED_TRACE(c.what);
      SetUpBuild(c.model);
      if (c.stored) {
        c.stored();
        ASSERT_TRUE(LoadSaveSettings(1));
      }
      const auto before = SettingsLines();
      Open(name(), proc, [&](plat::test::ModalContext& ctx) {
        c.script(ctx);
        ctx.Click(IDOK);
      });
      EXPECT_EQ(ChangedSettings(before, SettingsLines()), c.changed);
      TearDown();
    }
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
