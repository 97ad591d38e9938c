// The desktop settings reader on any file: the input is written as a settings file under a scratch
// drive root and read, after its version line, under every desktop model's build, before and after
// the logging window fixes the plot height.
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/build_config.h"
#include "engine/plot_scale.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "fuzz_check.h"
#include "fuzz_root.h"

using namespace desktop;

constexpr const wchar_t* kInputFile = L"\\fuzz.ini";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteInputFile(kInputFile, data, size);
  for (int32_t model = kModelFirst; model <= kModelLast; ++model) {
    for (int32_t height : {0, 384}) {
      ResetEngineState();
      BuildSwitches switches;
      switches.modelIndex = model;
      FillBuildConfig(switches);
      ScreenLayout.plotHeight = height;
      ReadInputFile(kInputFile, [](HANDLE in) {
        char line[kSettingsLineMax];
        if (ReadLine(in, line) >= 0) ReadSettings(in);  // the value lines after the version line
      });
      FUZZ_CHECK(SurveySettings.dataFolder[SurveySettingsData::kDataFolderMax] == 0);
      FUZZ_CHECK(SurveySettings.surveyLine[SurveySettingsData::kSurveyLineMax] == 0);
      FUZZ_CHECK(std::isfinite(PlotState.pxPerUnit0) && std::isfinite(PlotState.pxPerUnit1));
      FUZZ_CHECK(PlotState.grid[0] >= 0 && PlotState.grid[0] <= 9);  // 0: the grid lines were not reached
      for (int32_t row : PlotState.grid) FUZZ_CHECK(row >= kRowMin && row <= kRowMax);
      FUZZ_CHECK(Watchdog.readingIntervalMs >= 1);
      FUZZ_CHECK(LinkState.sampleDivisor >= 1);
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseScratchRoot("desktop-settings");
  return 0;
}
