#include "engine_test_support.h"

#include <gtest/gtest.h>
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

void ExpectRunReleased() {
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LinkState.markerPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.marker, INVALID_HANDLE_VALUE);
}

}  // namespace handheld::test
