#include "common/serial_lines.h"

namespace survey {

namespace {

template <class T, int N>
T Lookup(const T (&table)[N], int32_t index, int32_t initialIndex) {
  return index >= 0 && index < N ? table[index] : table[initialIndex];
}

const DWORD kBaudRates[] = {CBR_4800, CBR_9600, CBR_19200, CBR_38400, CBR_57600, CBR_115200};
const BYTE kByteSizes[] = {7, 8};
const BYTE kParities[] = {NOPARITY, EVENPARITY, ODDPARITY};
const BYTE kStopBits[] = {ONESTOPBIT, TWOSTOPBITS};

}  // namespace

DWORD GpsBaudRate(int32_t index) { return Lookup(kBaudRates, index, 1); }
BYTE GpsByteSize(int32_t index) { return Lookup(kByteSizes, index, 1); }
BYTE GpsParity(int32_t index) { return Lookup(kParities, index, 0); }
BYTE GpsStopBits(int32_t index) { return Lookup(kStopBits, index, 0); }

void ConfigureInstrumentLine(HANDLE h, const COMMTIMEOUTS& timeouts, DWORD baud, bool dsrFlow) {
  COMMTIMEOUTS t = timeouts;
  SetCommTimeouts(h, &t);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(h, &dcb);
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = dsrFlow ? 1 : 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  SetCommState(h, &dcb);
}

void ConfigureGpsLine(HANDLE h, const COMMTIMEOUTS& timeouts, const GpsLineIndexes& indexes) {
  COMMTIMEOUTS t = timeouts;
  SetCommTimeouts(h, &t);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(h, &dcb);
  dcb.BaudRate = GpsBaudRate(indexes.baud);
  dcb.ByteSize = GpsByteSize(indexes.dataBits);
  dcb.Parity = GpsParity(indexes.parity);
  dcb.StopBits = GpsStopBits(indexes.stopBits);
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  SetCommState(h, &dcb);
}

}  // namespace survey
