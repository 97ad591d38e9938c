// The checks that hold for every line out of the shared NMEA line assembler, whatever its bytes.
#pragma once

#include <cstddef>
#include <cstring>

#include "common/nmea.h"
#include "fuzz_check.h"

// A line that the byte at `index` (pushed with the tick `index`) ended: not empty, at most 200
// characters, NUL-terminated at its length, its tick that of one of its bytes; a good verdict only
// for a line with '$' and '*'. Returns the verdict.
inline int CheckAssembledLine(const survey::NmeaLineAssembler& lines, size_t index) {
  const char* line = lines.Line();
  const size_t length = static_cast<size_t>(lines.Length());
  FUZZ_CHECK(length > 0 && length <= survey::NmeaLineAssembler::kRestartPast && strlen(line) == length);
  FUZZ_CHECK(lines.Tick() <= index);
  const int verdict = survey::NmeaChecksumVerdict(line, length);
  FUZZ_CHECK(verdict == 0 || verdict == 1);
  if (verdict) FUZZ_CHECK(line[0] == '$' && memchr(line, '*', length) != nullptr);
  return verdict;
}
