// Test helpers for the handheld engine.
#pragma once

#include "engine/build_config.h"
#include "engine/state.h"

namespace handheld::test {

// The one way tests fill BuildConfig: resets every engine object, then sets the build switches
// (the record length follows from the model, as start-up sets it).
void UseBuild(int modelIndex, int zolOptionAvailable = 0, int storageRoot = 1);

}  // namespace handheld::test
