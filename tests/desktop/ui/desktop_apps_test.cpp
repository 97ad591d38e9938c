// The desktop deliverables as programs: every one starts headless on an empty drive root, makes
// its start folder and runs on until it is ended.
// test-labels: e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace desktop {
namespace {

using Clock = std::chrono::steady_clock;

const char* const kApps[] = {
    "rz12xp",    "rz27bxp",   "rz27ddxp",      "rz27xp",       "rz45xp",           "rz89xp",   "zol12xp",
    "rz27mk2xp", "rz56mk2xp", "rz56xp",        "rz12xp-gpssim", "rz12xp-small", "rz27mk2xp-monitor",
};

bool WaitForPath(const std::string& path, int limitMs = 10000) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  struct stat st{};
  while (stat(path.c_str(), &st) != 0) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST(DesktopApps, EveryAppStartsHeadlessOnAnEmptyRootAndRunsUntilEnded) {
  const std::string base = plat::test::UseTempRoot();
  for (const char* name : kApps) {
    SCOPED_TRACE(name);
    const std::string root = base + "/" + name;
    ASSERT_EQ(mkdir(root.c_str(), 0700), 0);
    test_support::Child app({std::string(DESKTOP_APPS_DIR) + "/" + name},
                            {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + root + "/dev", "PLAT_DISPLAY=headless"});
    EXPECT_TRUE(WaitForPath(root + "/C"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(app.Running()) << "it ended by itself";
  }  // each is ended (SIGTERM) as it goes
  plat::test::Reset(plat::Profile::Desktop);
}

}  // namespace
}  // namespace desktop
