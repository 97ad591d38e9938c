// Filling BuildConfig: once by each program's main(), per case by the tests' helper.
#pragma once

#include "engine/state.h"

namespace handheld {

struct BuildSwitches {
  int32_t modelIndex = 0;
  int32_t zolOptionAvailable = 0;
  int32_t storageRoot = 1;
  int32_t rz27Scale10 = 0;
  int32_t rz27Mk2Diagnostics = 0;
};

// Sets the build switches; the record length follows from the model (start-up sets it again).
void FillBuildConfig(const BuildSwitches& switches);

}  // namespace handheld
