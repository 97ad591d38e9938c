// Comm-port calls: handle and argument checks, the DCB rules, the read and write time-out rules,
// and the dispatch of each call to the port's backend (termios device or virtual port).
#include "comm_port.h"

#include <algorithm>

namespace plat::detail {

DWORD LineEdges(DWORD oldLines, DWORD newLines) {
  const DWORD changed = oldLines ^ newLines;
  DWORD events = 0;
  if (changed & MS_CTS_ON) events |= EV_CTS;
  if (changed & MS_DSR_ON) events |= EV_DSR;
  if (changed & MS_RLSD_ON) events |= EV_RLSD;
  if (changed & MS_RING_ON) events |= EV_RING;
  return events;
}

DCB InitialDcb(DWORD baud) {
  DCB d{};
  d.DCBlength = sizeof(DCB);
  d.BaudRate = baud;
  d.fBinary = 1;
  d.fDtrControl = DTR_CONTROL_ENABLE;
  d.fRtsControl = RTS_CONTROL_ENABLE;
  d.XonLim = 2048;
  d.XoffLim = 512;
  d.ByteSize = 8;
  d.Parity = NOPARITY;
  d.StopBits = ONESTOPBIT;
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  return d;
}

uint64_t DeadlineAfter(uint64_t now, uint64_t ms) {
  return ms >= kNoDeadline - now ? kNoDeadline : now + ms;
}

DCB CommPort::StoredDcb() {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return dcb_;
}

void CommPort::StoreDcb(const DCB& dcb) {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  dcb_ = dcb;
}

COMMTIMEOUTS CommPort::Timeouts() {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return timeouts_;
}

void CommPort::StoreTimeouts(const COMMTIMEOUTS& t) {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  timeouts_ = t;
}

namespace {

// Parks a suspended thread at the entry and at the exit of a call (WaitCommEvent). The exit park
// keeps the call's last error.
class ParkedCall {
 public:
  ParkedCall() { ParkPoint(); }
  ~ParkedCall() {
    const DWORD err = GetLastError();
    ParkPoint();
    SetLastError(err);
  }
  ParkedCall(const ParkedCall&) = delete;
  ParkedCall& operator=(const ParkedCall&) = delete;
};

std::shared_ptr<CommPort> PortOf(HANDLE h) { return Lookup<CommPort>(h, Kind::Port); }

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// The result of a backend call that returns 0 or an error code.
BOOL Result(DWORD err) { return err == 0 ? TRUE : Fail(err); }

// A getter call: a live port, and somewhere to put the answer.
template <class T>
BOOL Query(HANDLE h, T* out, T (CommPort::*get)()) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!out) return Fail(ERROR_INVALID_PARAMETER);
  *out = (port.get()->*get)();
  return TRUE;
}

bool SupportedSpeed(DWORD baud) {
  static constexpr DWORD kSpeeds[] = {CBR_1200,  CBR_2400,  CBR_4800,  CBR_9600,
                                      CBR_19200, CBR_38400, CBR_57600, CBR_115200};
  return std::find(std::begin(kSpeeds), std::end(kSpeeds), baud) != std::end(kSpeeds);
}

bool ValidDcb(const DCB& d) {
  return SupportedSpeed(d.BaudRate) && d.ByteSize >= 5 && d.ByteSize <= 8 && d.Parity <= SPACEPARITY &&
         d.StopBits <= TWOSTOPBITS;
}

// The read rules. Times are on the platform clock; the backend waits.
//  - interval MAXDWORD, multiplier and constant 0: what is there now;
//  - interval and multiplier MAXDWORD, constant 1..MAXDWORD-1: the first byte(s), or 0 after the
//    constant;
//  - otherwise n bytes, or the total multiplier * n + constant (none when both are 0), or a gap
//    longer than the interval after the first byte (interval 0: unused).
// A time-out is success with the count so far; a close before or during the call fails it.
BOOL ReadPort(CommPort& port, unsigned char* buf, DWORD n, DWORD* got) {
  const COMMTIMEOUTS t = port.Timeouts();
  const uint64_t start = NowMs();
  const bool immediate =
      t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const bool firstBytes = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                          t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD;
  uint64_t total = kNoDeadline;
  uint64_t interval = 0;
  if (immediate) {
    total = start;
  } else if (firstBytes) {
    total = DeadlineAfter(start, t.ReadTotalTimeoutConstant);
  } else {
    const uint64_t ms = uint64_t{t.ReadTotalTimeoutMultiplier} * n + t.ReadTotalTimeoutConstant;
    if (ms > 0) total = DeadlineAfter(start, ms);
    interval = t.ReadIntervalTimeout;
  }
  uint64_t lastByte = start;
  // A read that finds the device drained (a byte-at-a-time reader between two bytes) skips the
  // read that would find nothing and waits at once; it still reads before a time-out ends it.
  bool waitFirst = n > 0 && total > start && port.InputDrained();
  for (;;) {
    if (port.Closed()) return Fail(ERROR_OPERATION_ABORTED);
    if (!port.HungUp() && !waitFirst) {
      const size_t k = port.ReadNow(buf + *got, n - *got);
      if (k > 0) {
        *got += static_cast<DWORD>(k);
        lastByte = NowMs();
      }
    }
    if (*got == n || (firstBytes && *got > 0)) return TRUE;
    uint64_t deadline = total;
    if (interval > 0 && *got > 0) deadline = std::min(deadline, DeadlineAfter(lastByte, interval));
    const bool skipped = waitFirst;
    waitFirst = false;
    if (NowMs() >= deadline) {
      if (skipped) continue;
      return TRUE;
    }
    // A hung-up device is silent: the call waits out its time-out (or the close) like any other.
    const Wake w = port.HungUp() ? port.WaitClosed(deadline) : port.WaitInput(deadline);
    if (w == Wake::Closed) return Fail(ERROR_OPERATION_ABORTED);
  }
}

// Queues bytes to the device until all are taken or the bound runs out: the write multiplier * n
// + constant, or 1000 ms + 10 ms per byte when both are 0, so that no receiver holding XOFF can
// stall a writer for ever. A time-out is success with the count taken.
BOOL WritePort(CommPort& port, const unsigned char* p, DWORD n, DWORD* put) {
  const COMMTIMEOUTS t = port.Timeouts();
  uint64_t bound = uint64_t{t.WriteTotalTimeoutMultiplier} * n + t.WriteTotalTimeoutConstant;
  if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0) bound = 1000 + uint64_t{10} * n;
  const uint64_t deadline = DeadlineAfter(NowMs(), bound);
  for (;;) {
    if (port.Closed()) return Fail(ERROR_OPERATION_ABORTED);
    if (*put == n) return TRUE;
    const long k = port.WriteNow(p + *put, n - *put);
    if (k < 0) return Fail(ERROR_GEN_FAILURE);
    *put += static_cast<DWORD>(k);
    if (*put == n || NowMs() >= deadline) return TRUE;
    if (port.WaitOutput(deadline) == Wake::Closed) return Fail(ERROR_OPERATION_ABORTED);
  }
}

}  // namespace

HANDLE OpenCommPort(int n, DWORD /*access*/, DWORD /*share*/, DWORD /*disposition*/) {
  // A comm port is always an existing device, opened exclusively, whatever the caller asks.
  if (n < 1 || n > 255) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = nullptr;
  if (auto dev = FindVirtualDevice(n)) {
    h = dev->Open();
  } else {
    h = OpenTermiosPort(n);
  }
  return h ? h : INVALID_HANDLE_VALUE;
}

// ReadFile and WriteFile park around these calls themselves.
BOOL CommReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD got) {
  if (got) *got = 0;
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!buf && n > 0) return Fail(ERROR_INVALID_PARAMETER);
  DWORD count = 0;
  const BOOL ok = ReadPort(*port, static_cast<unsigned char*>(buf), n, &count);
  if (got) *got = count;
  return ok;
}

BOOL CommWriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put) {
  if (put) *put = 0;
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!buf && n > 0) return Fail(ERROR_INVALID_PARAMETER);
  DWORD count = 0;
  const BOOL ok = WritePort(*port, static_cast<const unsigned char*>(buf), n, &count);
  if (put) *put = count;
  return ok;
}

void ResetComm() {
  ResetVirtual();
  ResetTermios();
}

}  // namespace plat::detail

namespace plat {

bool CommHungUp(HANDLE h) {
  auto port = detail::PortOf(h);
  return port && port->HungUp();
}

}  // namespace plat

using plat::detail::CommPort;
using plat::detail::Fail;
using plat::detail::PortOf;
using plat::detail::Query;
using plat::detail::Result;

BOOL GetCommState(HANDLE h, LPDCB dcb) { return Query(h, dcb, &CommPort::StoredDcb); }

BOOL SetCommState(HANDLE h, LPDCB dcb) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!dcb || !plat::detail::ValidDcb(*dcb)) return Fail(ERROR_INVALID_PARAMETER);
  const DCB d = *dcb;
  if (const DWORD err = port->ApplyDcb(d)) return Fail(err);
  port->StoreDcb(d);
  return TRUE;
}

BOOL GetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) { return Query(h, t, &CommPort::Timeouts); }

BOOL SetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!t) return Fail(ERROR_INVALID_PARAMETER);
  const COMMTIMEOUTS copy = *t;
  port->StoreTimeouts(copy);
  port->TimeoutsApplied(copy);
  return TRUE;
}

BOOL SetupComm(HANDLE h, DWORD /*inQueue*/, DWORD /*outQueue*/) {
  // The queues are the driver's; their sizes are not ours to set.
  return PortOf(h) ? TRUE : FALSE;
}

BOOL PurgeComm(HANDLE h, DWORD flags) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (flags & ~DWORD{PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR}) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  return Result(port->Purge(flags));
}

BOOL SetCommMask(HANDLE h, DWORD mask) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  port->SetMask(mask);
  return TRUE;
}

BOOL GetCommMask(HANDLE h, LPDWORD mask) { return Query(h, mask, &CommPort::Mask); }

BOOL WaitCommEvent(HANDLE h, LPDWORD evt, LPOVERLAPPED ov) {
  plat::detail::ParkedCall park;
  if (evt) *evt = 0;
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (!evt || ov) return Fail(ERROR_INVALID_PARAMETER);
  return Result(port->WaitEvent(evt));
}

BOOL GetCommModemStatus(HANDLE h, LPDWORD status) { return Query(h, status, &CommPort::ModemStatus); }

BOOL EscapeCommFunction(HANDLE h, DWORD func) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  if (func != SETDTR && func != CLRDTR && func != SETRTS && func != CLRRTS) return Fail(ERROR_INVALID_PARAMETER);
  return Result(port->Escape(func));
}

BOOL ClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT stat) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  // Line errors are not reported: the port is always binary and parity is not checked.
  if (errors) *errors = 0;
  if (stat) {
    *stat = COMSTAT{};
    stat->fXoffHold = port->OutputHeld() ? 1 : 0;
    stat->cbInQue = port->InQueue();
  }
  return TRUE;
}

BOOL TransmitCommChar(HANDLE h, char c) {
  auto port = PortOf(h);
  if (!port) return FALSE;
  const unsigned char byte = static_cast<unsigned char>(c);
  DWORD put = 0;
  if (!plat::detail::WritePort(*port, &byte, 1, &put)) return FALSE;
  // Not even one byte taken within the write bound (flow control holding the line).
  return put == 1 ? TRUE : Fail(ERROR_TIMEOUT);
}
