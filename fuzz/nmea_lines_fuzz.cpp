// The NMEA line assembler and checksum verdict on any bytes, each line handed to GpsState (reader
// and monitor) and formatted into the GPS data-file records at both record lengths.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "engine/nmea.h"
#include "engine/records.h"
#include "engine/state.h"
#include "fuzz_check.h"
#include "nmea_line_checks.h"

using namespace handheld;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NmeaLineAssembler lines;
  static char records[64 * kRecordMax];
  for (size_t i = 0; i < size; ++i) {
    if (!lines.Push(data[i], static_cast<uint32_t>(i))) continue;
    const char* line = lines.Line();
    const size_t length = static_cast<size_t>(lines.Length());
    const int verdict = CheckAssembledLine(lines, i);

    StoreGpsSentence(line, length, verdict);
    FUZZ_CHECK(strlen(GpsState.sentence) == (length < 127 ? length : 127));
    FUZZ_CHECK(memcmp(GpsState.sentence, line, strlen(GpsState.sentence)) == 0);
    StoreGpsMonitorLine(line, length);
    FUZZ_CHECK(wcslen(GpsState.sentenceWide) == strlen(GpsState.sentence));

    for (int recordLength : {24, 26}) {
      BuildConfig.recordLength = recordLength;
      const size_t bytes = GpsRecordsBytes(length);
      FUZZ_CHECK(bytes <= sizeof records);
      const size_t n = FormatGpsRecords(records, sizeof records, line, lines.Tick(), GpsFirstTag(verdict),
                                        GpsNextTag(verdict));
      FUZZ_CHECK(n == bytes && n % static_cast<size_t>(recordLength) == 0);
      for (size_t r = 0; r < n; r += static_cast<size_t>(recordLength)) {
        FUZZ_CHECK(records[r + static_cast<size_t>(recordLength) - 1] == '\n');
      }
      FUZZ_CHECK(records[0] == GpsFirstTag(verdict) && records[n - static_cast<size_t>(recordLength)] == '!');
    }
  }
  ResetGpsState();
  return 0;
}
