// The desktop GPS reader's path from the port's bytes to the data file, on any bytes: the NMEA
// line assembler and checksum verdict, each line cut into GpsState.sentence and written by
// WriteGpsRecords into a data file under a scratch drive root, at record lengths 24 and 26. The
// file must hold exactly the records of every whole line, with the tags of its verdict.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/nmea.h"
#include "engine/build_config.h"
#include "engine/records.h"
#include "engine/state.h"
#include "fuzz_check.h"
#include "fuzz_root.h"
#include "nmea_line_checks.h"

using namespace desktop;

constexpr const char* kDataFile = "\\GPS.R12";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int32_t model : {kModelRz12, kModelRz27Mk2}) {
    ResetEngineState();
    BuildSwitches switches;
    switches.modelIndex = model;
    FillBuildConfig(switches);
    const int length = RecordLength();
    FUZZ_CHECK(length == (model == kModelRz27Mk2 ? 26 : 24));
    DeleteFileA(kDataFile);
    FUZZ_CHECK(SurveyRun.dataFile.Create(kDataFile));

    survey::NmeaLineAssembler lines;
    std::string expected;
    for (size_t i = 0; i < size; ++i) {
      if (!lines.Push(data[i], static_cast<uint32_t>(i))) continue;
      const int verdict = CheckAssembledLine(lines, i);
      const char* line = lines.Line();
      const size_t n = static_cast<size_t>(lines.Length());
      survey::CopySentence(GpsState.sentence, line, n);
      FUZZ_CHECK(strlen(GpsState.sentence) == (n < 127 ? n : 127));
      FUZZ_CHECK(memcmp(GpsState.sentence, line, strlen(GpsState.sentence)) == 0);

      const char first = survey::GpsFirstTag(verdict);
      const char next = survey::GpsNextTag(verdict);
      FUZZ_CHECK(WriteGpsRecords(line, lines.Tick(), first, next));
      std::string records(survey::GpsRecordsBytes(n, length), '\0');
      FUZZ_CHECK(survey::FormatGpsRecords(records.data(), records.size(), length, line, lines.Tick(), first, next) ==
                 records.size());
      FUZZ_CHECK(records[0] == first && records[records.size() - static_cast<size_t>(length)] == '!');
      expected += records;
    }

    FUZZ_CHECK(SurveyRun.dataFile.Size() == expected.size());
    std::string file(expected.size(), '\0');
    uint32_t got = 0;
    FUZZ_CHECK(SurveyRun.dataFile.ReadAt(0, file.data(), static_cast<uint32_t>(file.size()), &got));
    FUZZ_CHECK(got == file.size() && file == expected);
    for (size_t at = 0; at < file.size(); at += static_cast<size_t>(length)) {
      FUZZ_CHECK(file[at + static_cast<size_t>(length) - 1] == '\n');
    }
    SurveyRun.dataFile.Close();
  }
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseScratchRoot("desktop-gps-lines");
  return 0;
}
