// The serial ports of the handheld program: the instrument, the GPS receiver and the external
// marker switch. The openers run on the UI thread, fill LinkState's handles and show a
// "Serial Port" message box owned by the GPS monitor window when a port cannot be opened.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/serial_lines.h"

namespace handheld {

enum class PortRole : uint8_t { kInstrument, kGps, kMarker };

// The COM number a port setting names, 0 when it names none:
//   instrument, GPS: 0 to 11 are COM1 to COM12;
//   marker: 0 is "Disabled", 1 to 5 are COM1 to COM5, 6 to 11 are COM7 to COM12 (the setup list
//   has no COM6).
// Settings outside 0 to 11 name no port.
int PortComNumber(PortRole role, int32_t setting);

// True when the marker setting names the same COM port as `comNumber` (a disabled marker shares
// nothing). The one "shares a port" test of the program.
bool MarkerSharesPort(int32_t markerSetting, int comNumber);

// The line settings the GPS setting indexes stand for (common/serial_lines.h).
using survey::GpsBaudRate;
using survey::GpsByteSize;
using survey::GpsParity;
using survey::GpsStopBits;

// Each opener returns 1 when its LinkState handle holds the open, configured port, and 0 after
// the failure message (the handle keeps the invalid value). A setting that names no port is not
// opened: the message is shown and 0 returned; a disabled marker returns 0 without a message.
// The stored settings are never changed.
int32_t OpenInstrumentPort();
int32_t OpenGpsPort();  // tried 10 times back to back
int32_t OpenMarkerPort();

}  // namespace handheld
