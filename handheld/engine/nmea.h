// The hand-over of a GPS line into GpsState. The line assembler, the checksum verdict and the
// field splitter are the shared ones (common/nmea.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/nmea.h"

namespace handheld {

using survey::GetField;
using survey::GpsFirstTag;
using survey::GpsNextTag;
using survey::NmeaChecksumVerdict;
using survey::NmeaLineAssembler;

// Copies a line into GpsState.sentence (its first 127 characters and a NUL) and sets
// GpsState.sentenceValid to the verdict. Used by the GPS reader.
void StoreGpsSentence(const char* line, size_t length, int32_t verdict);
// The monitor's hand-over: GpsState.sentence as above, GpsState.sentenceWide its wide conversion
// (at most 127 characters and a NUL), GpsState.sentenceValid 1.
void StoreGpsMonitorLine(const char* line, size_t length);

}  // namespace handheld
