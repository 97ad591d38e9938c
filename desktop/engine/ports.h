// The serial ports of the desktop program: the instrument, the GPS receiver and the external
// marker switch. The openers run on the UI thread, fill LinkState's handles with one open try
// each, and show a "Serial Port" message box owned by the GPS monitor window when a port cannot be
// opened. The stored settings are never changed.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

enum class PortRole : uint8_t { kInstrument, kGps, kMarker };

// The COM number a port setting names, 0 when it names none: instrument and GPS settings 0 to 11
// are COM1 to COM12; a marker setting n of 1 to 12 is COMn, 0 (and anything outside 0 to 12)
// disabled.
int PortComNumber(PortRole role, int32_t setting);

// True when the marker setting names the instrument's COM port (a disabled marker shares nothing).
bool MarkerSharesInstrumentPort(int32_t markerSetting, int32_t instrumentSetting);

// The device name of COM n: "COM%d:" up to COM9, "\\.\COM%d" from COM10 on. `out` holds 16 bytes.
void ComPortName(int comNumber, char* out, size_t outSize);

// Each opener returns 1 when its LinkState handle holds the open, configured port, and 0 after
// the failure message (the handle keeps the invalid value). A setting that names no port gets the
// message and 0; a disabled marker returns 0 without a message.
int32_t OpenInstrumentPort();
int32_t OpenGpsPort();
int32_t OpenMarkerPort();

}  // namespace desktop
