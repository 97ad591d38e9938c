#include "engine/build_config.h"

#include "engine/models.h"

namespace desktop {

void FillBuildConfig(const BuildSwitches& switches) {
  static_cast<BuildSwitches&>(BuildConfig) = switches;
  BuildConfig.recordLength = RowOf(switches.modelIndex).recordLength;
}

}  // namespace desktop
