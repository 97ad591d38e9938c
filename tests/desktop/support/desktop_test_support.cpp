#include "desktop_test_support.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

namespace desktop::test {

void UseBuild(const BuildSwitches& switches) {
  ResetEngineState();
  FillBuildConfig(switches);
}

void UseBuild(int32_t modelIndex) {
  BuildSwitches s;
  s.modelIndex = modelIndex;
  UseBuild(s);
}

void UseDesktopRoot(const char* startFolder) {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  CreateDirectoryA(startFolder, nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(startFolder)) << startFolder;
  ASSERT_GT(GetCurrentDirectoryA(sizeof MainMenu.startFolder, MainMenu.startFolder), 0u);
}

void EngineTest::TearDown() {
  ResetEngineState();
  plat::test::Reset();
}

}  // namespace desktop::test
