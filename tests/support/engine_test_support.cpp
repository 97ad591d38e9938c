#include "engine_test_support.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace handheld::test {

void UseBuild(const BuildSwitches& switches) {
  ResetEngineState();
  FillBuildConfig(switches);
}

void UseBuild(int modelIndex, int zolOptionAvailable, int storageRoot) {
  ResetEngineState();
  BuildSwitches s;
  s.modelIndex = modelIndex;
  s.zolOptionAvailable = zolOptionAvailable;
  s.storageRoot = storageRoot;
  FillBuildConfig(s);
}

std::string RootFileBytes(const char* path) {
  std::ifstream in(std::string(plat::DriveRoot()) + "/" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace handheld::test
