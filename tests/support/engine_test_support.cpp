#include "engine_test_support.h"

namespace handheld::test {

void UseBuild(int modelIndex, int zolOptionAvailable, int storageRoot) {
  ResetEngineState();
  BuildSwitches s;
  s.modelIndex = modelIndex;
  s.zolOptionAvailable = zolOptionAvailable;
  s.storageRoot = storageRoot;
  FillBuildConfig(s);
}

}  // namespace handheld::test
