// A stand-in for the instrument port's opener, which comes with the desktop serial ports, under
// namespace desktop::pending so that nothing collides with the real one. The RZ56 link and its
// tests call it; when the real opener lands they drop the `pending::` and this goes.
#pragma once

#include <cstdint>

namespace desktop::pending {

// Opens COM(SurveySettings.instrumentPort + 1) at 9600 8N1 with the 10 ms read time-outs into
// LinkState.instrumentPort: 1, or 0 (no message) when it cannot be opened.
int32_t OpenInstrumentPort();

}  // namespace desktop::pending
