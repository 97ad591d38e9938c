// The split of a path the save dialog returns into the header's base name and the data folder,
// with any bytes and any offsets the dialog might report.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/data_file_create.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace desktop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int nameOffset = data[0] | (data[1] << 8);
  const int extensionOffset = data[2] | (data[3] << 8);
  char path[MAX_PATH];
  const size_t n = size - 4 < sizeof path - 1 ? size - 4 : sizeof path - 1;
  memcpy(path, data + 4, n);
  path[n] = 0;
  const size_t length = strlen(path);
  const std::string base = DataFileBaseName(path, nameOffset, extensionOffset);
  FUZZ_CHECK(base.size() <= length);
  FUZZ_CHECK(strstr(path, base.c_str()) != nullptr);
  const std::string folder = DataFolderOfPath(path);
  FUZZ_CHECK(folder.size() <= static_cast<size_t>(SurveySettingsData::kDataFolderMax));
  FUZZ_CHECK(folder.empty() || folder.back() == '\\' || folder.size() == SurveySettingsData::kDataFolderMax);
  FUZZ_CHECK(memcmp(folder.data(), path, folder.size()) == 0);
  return 0;
}
