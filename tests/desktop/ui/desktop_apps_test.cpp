// The desktop deliverables as programs: every one starts headless on an empty drive root, writes
// its settings file into its start folder and runs on until it is ended.
// test-labels: e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "engine/models.h"

namespace desktop {
namespace {

using Clock = std::chrono::steady_clock;

// Each app with its model, whose row names the settings file it writes at its first start.
const struct {
  const char* name;
  int32_t model;
} kApps[] = {
    {"rz12xp", kModelRz12},         {"rz27bxp", kModelRz27B},         {"rz27ddxp", kModelRz27Dd},
    {"rz27xp", kModelRz27},         {"rz45xp", kModelRz45},           {"rz89xp", kModelRz89},
    {"zol12xp", kModelZol12},       {"rz27mk2xp", kModelRz27Mk2},     {"rz56mk2xp", kModelRz56Mk2},
    {"rz56xp", kModelRz56},         {"rz12xp-gpssim", kModelRz12},    {"rz12xp-small", kModelRz12},
    {"rz27mk2xp-monitor", kModelRz27Mk2},
};

// The lines of a text file; empty when it cannot be read.
std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool WaitForPath(const std::string& path, int limitMs = 10000) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  struct stat st{};
  while (stat(path.c_str(), &st) != 0) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST(DesktopApps, EveryAppStartsHeadlessOnAnEmptyRootWritesItsSettingsAndRunsUntilEnded) {
  const std::string base = plat::test::UseTempRoot();
  for (const auto& a : kApps) {
    SCOPED_TRACE(a.name);
    const std::string root = base + "/" + a.name;
    ASSERT_EQ(mkdir(root.c_str(), 0700), 0);
    test_support::Child app({std::string(DESKTOP_APPS_DIR) + "/" + a.name},
                            {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + root + "/dev", "PLAT_DISPLAY=headless"});
    const std::string settings = root + "/C/" + RowOf(a.model).settingsFile;
    EXPECT_TRUE(WaitForPath(settings));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(app.Running()) << "it ended by itself";
    // The two layouts: the meters' and the RZ27-MK2's, which adds its offsets and options.
    const size_t expected = a.model == kModelRz12 ? 59 : a.model == kModelRz27Mk2 ? 68 : 1;
    std::vector<std::string> lines = Lines(settings);
    for (int i = 0; i < 250 && lines.size() < expected; ++i) {  // a file still being written
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      lines = Lines(settings);
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].substr(0, 7), "Ver1.06");
    if (expected > 1) {
      EXPECT_EQ(lines.size(), expected);
    }
  }  // each is ended (SIGTERM) as it goes
  plat::test::Reset(plat::Profile::Desktop);
}

}  // namespace
}  // namespace desktop
