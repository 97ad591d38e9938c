// Test helpers for the desktop engine.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/build_config.h"
#include "engine/state.h"
#include "root_files.h"

namespace desktop::test {

// The one way tests fill BuildConfig: resets every engine object, then sets the build switches
// (the record length follows from the model).
void UseBuild(const BuildSwitches& switches);
void UseBuild(int32_t modelIndex);

// A fresh desktop drive root whose start folder is `startFolder` (Windows form, e.g. "C:\\RZ12"),
// made current and kept in MainMenu.startFolder, as the program's start-up does.
void UseDesktopRoot(const char* startFolder = "C:\\RZ12");

using survey::test::RootFileBytes;

// A test that leaves every engine object and the layer as it found them.
class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

}  // namespace desktop::test
