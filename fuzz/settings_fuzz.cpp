// The settings reader on any file: the input, as the bytes of a settings file, is read after its
// version line under every model's build, through the same line reader and value parser as a file
// on disk (which only adds the reads of its blocks).
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "engine/settings.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace handheld;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int model = 0; model < 8; ++model) {
    for (int ice = 0; ice < 2; ++ice) {
      if (ice && model != kModelRz12) continue;
      ResetEngineState();
      BuildConfig.modelIndex = model;
      BuildConfig.zolOptionAvailable = ice;
      SettingsBytes in(data, size);
      char line[kSettingsLineMax];
      if (ReadLine(in, line) >= 0) ReadSettings(in);
      FUZZ_CHECK(SurveySettings.surveyLine[SurveySettingsData::kSurveyLineMax] == 0);
    }
  }
  return 0;
}
