#include "engine/nmea.h"

#include <windows.h>

#include "engine/state.h"

namespace handheld {

static_assert(GpsStateData::kSentenceMax == survey::kSentenceMax, "GpsState.sentence is a shared sentence buffer");

void StoreGpsSentence(const char* line, size_t length, int32_t verdict) {
  survey::CopySentence(GpsState.sentence, line, length);
  GpsState.sentenceValid = verdict;
}

void StoreGpsMonitorLine(const char* line, size_t length) {
  const size_t n = survey::CopySentence(GpsState.sentence, line, length);
  int wide = 0;
  if (n > 0) {
    wide = MultiByteToWideChar(CP_ACP, 0, line, static_cast<int>(n), GpsState.sentenceWide,
                               GpsStateData::kSentenceMax);
  }
  GpsState.sentenceWide[wide > 0 ? wide : 0] = 0;
  GpsState.sentenceValid = 1;
}

}  // namespace handheld
