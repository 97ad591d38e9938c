// Line settings of the serial ports, the same in both programs: the instrument line (8N1, binary,
// DTR on, RTS off, no flow control; the marker line adds DSR output flow control) and the GPS
// line (baud, data bits, parity and stop bits by the settings' indexes, XON/XOFF both ways).
// Each program gives its own time-outs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace survey {

// The line settings the GPS setting indexes stand for; an index outside its table gives the
// setting's initial value (9600 baud, 8 data bits, no parity, 1 stop bit).
DWORD GpsBaudRate(int32_t index);
BYTE GpsByteSize(int32_t index);
BYTE GpsParity(int32_t index);    // 0 NOPARITY, 1 EVENPARITY, 2 ODDPARITY
BYTE GpsStopBits(int32_t index);  // 0 ONESTOPBIT, 1 TWOSTOPBITS

struct GpsLineIndexes {
  int32_t baud, dataBits, parity, stopBits;
};

// Sets the time-outs, reads the port's line settings, changes the fields named above and writes
// them back. The results of the calls are not tested: a refused setting is not detected.
void ConfigureInstrumentLine(HANDLE h, const COMMTIMEOUTS& timeouts, DWORD baud, bool dsrFlow);
void ConfigureGpsLine(HANDLE h, const COMMTIMEOUTS& timeouts, const GpsLineIndexes& indexes);

}  // namespace survey
