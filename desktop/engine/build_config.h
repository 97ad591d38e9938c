// Filling BuildConfig: once by each desktop main(), per case by the tests' helper.
#pragma once

#include "engine/state.h"

namespace desktop {

// Sets the build switches and the record length that follows from the model (26 for the
// RZ27-MK2, else 24).
void FillBuildConfig(const BuildSwitches& switches);

// The switches in force, for callers that fill BuildConfig again from them.
inline BuildSwitches BuildSwitchesInForce() { return BuildConfig; }

}  // namespace desktop
