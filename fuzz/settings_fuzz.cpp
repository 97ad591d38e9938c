// The settings reader on any file: the input is written as a settings file under a scratch drive
// root and read, after its version line, under every model's build.
#include <stdlib.h>
#include <unistd.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/settings.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace handheld;

// The scratch root goes under $TMPDIR (the smoke script gives each run its own and removes it).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = getenv("TMPDIR");
  static std::string root;
  root = std::string(tmp && *tmp ? tmp : "/tmp") + "/survey-fuzz-settings-XXXXXX";
  FUZZ_CHECK(mkdtemp(root.data()) != nullptr);
  setenv("PLAT_ROOT", root.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const wchar_t* path = L"\\fuzz.txt";
  HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(out != INVALID_HANDLE_VALUE);
  DWORD put = 0;
  FUZZ_CHECK(WriteFile(out, data, static_cast<DWORD>(size), &put, nullptr) && put == size);
  CloseHandle(out);
  for (int model = 0; model < 8; ++model) {
    for (int ice = 0; ice < 2; ++ice) {
      if (ice && model != kModelRz12) continue;
      ResetEngineState();
      BuildConfig.modelIndex = model;
      BuildConfig.zolOptionAvailable = ice;
      HANDLE in = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      FUZZ_CHECK(in != INVALID_HANDLE_VALUE);
      char line[kSettingsLineMax];
      if (ReadLine(in, line) >= 0) ReadSettings(in);
      CloseHandle(in);
      FUZZ_CHECK(SurveySettings.surveyLine[SurveySettingsData::kSurveyLineMax] == 0);
    }
  }
  return 0;
}
