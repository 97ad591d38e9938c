#include "engine_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
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

std::vector<double> SavedMk2Offsets(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 2;
  }
  std::vector<double> out;
  for (size_t i = 1; i + 6 < lines.size(); ++i) {
    if (lines[i - 1] == "10" && lines[i] == "2") {
      for (size_t k = 1; k <= 6; ++k) out.push_back(std::strtod(lines[i + k].c_str(), nullptr));
      break;
    }
  }
  return out;
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
