// The whole program in-process: start-up of every build, its classes and windows, the screen
// layout, the uptime flag, the menu buttons and keys, and the exit.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/state.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using test::AppTest;

std::string FirstLine(const std::string& bytes) { return bytes.substr(0, bytes.find("\r\n")); }

// The value lines of a settings file, version line first.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> out;
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) break;
    out.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

struct Build {
  const char* app;
  int model;
  int zolOption;
  const char* version;
};

class EveryBuild : public AppTest, public ::testing::WithParamInterface<Build> {};

// Each build starts, writes its settings file with its version line, and 'X' ends it with 0,
// giving the task bar back.
TEST_P(EveryBuild, StartsWritesItsSettingsAndExitsOnX) {
  const Build& b = GetParam();
  BuildSwitches s;
  s.modelIndex = b.model;
  s.zolOptionAvailable = b.zolOption;
  Start(s);
  ASSERT_NE(test::MainWindow(), nullptr);
  EXPECT_EQ(plat::test::Text(test::MainWindow()), L"RZ12");
  EXPECT_EQ(FirstLine(test::SettingsFileBytes()), b.version);
  EXPECT_EQ(BuildConfig.recordLength, b.model == kModelRz27Mk2 ? 26 : 24);
  EXPECT_NE(AppWindows.chooseColorProc, nullptr);
  // The title screen hides the task bar at every paint; the exit shows it again.
  plat::test::OnUiThread([] { return LRESULT{ShowWindow(FindWindowW(L"HHTaskBar", nullptr), SW_HIDE)}; });
  ASSERT_FALSE(plat::test::TaskBarVisible());
  EXPECT_EQ(ExitByKey(), 0);
  EXPECT_TRUE(plat::test::TaskBarVisible());
  EXPECT_EQ(WorkerThreads.keepAliveRun.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Apps, EveryBuild,
                         ::testing::Values(Build{"rz12wm", 0, 0, "CEVer2.11"}, Build{"zolwm", 0, 1, "CEVer2.11"},
                                           Build{"rz27bwm", 1, 0, "CEVer2.10"}, Build{"rz27ddwm", 2, 0, "CEVer2.10"},
                                           Build{"rz27wm", 3, 0, "CEVer2.10"}, Build{"rz45wm", 4, 0, "CEVer2.11"},
                                           Build{"rz89wm", 5, 0, "CEVer2.10"}, Build{"zol12wm", 6, 0, "CEVer2.10"},
                                           Build{"rz27mk2wm", 7, 0, "CEVer2.10"}),
                         [](const ::testing::TestParamInfo<Build>& info) { return std::string(info.param.app); });

}  // namespace
}  // namespace handheld
