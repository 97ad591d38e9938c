// Test helpers for the handheld engine.
#pragma once

#include <string>
#include <vector>

#include "engine/build_config.h"
#include "engine/state.h"
#include "root_files.h"

namespace handheld::test {

// UseBuild with every build switch given (the RZ27 scale switch, the RZ27-MK2 diagnostics).
void UseBuild(const BuildSwitches& switches);

// The one way tests fill BuildConfig: resets every engine object, then sets the build switches
// (the record length follows from the model, as start-up sets it).
void UseBuild(int modelIndex, int zolOptionAvailable = 0, int storageRoot = 1);

// The bytes of a file under the drive root ("" when it cannot be read), read straight from the
// Linux side so the layer under test is not involved. `path` uses '/' separators.
using survey::test::RootFileBytes;

// The RZ27-MK2 offsets O1 to O6 as a settings file's text holds them (they follow the RZ27-MK2
// type, which follows the samples per reading: the defaults 10 and 2 are expected there); empty
// when they are not found.
std::vector<double> SavedMk2Offsets(const std::string& settingsText);

// Expects what the end of a survey run leaves: no run, Monitor state with every frame a reading,
// the data file closed, and every port and thread handle of the run invalid.
void ExpectRunReleased();

}  // namespace handheld::test
