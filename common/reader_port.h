// The port a reader thread works on: the handle it took at its start, beside the LinkState field
// it came from. A reader reads only its own handle and ends once the field holds another (closed,
// or reopened for the next run), so an old reader never reads the next run's port.
#pragma once

#include <windows.h>

#include <atomic>

namespace survey {

class ReaderPort {
 public:
  explicit ReaderPort(const std::atomic<HANDLE>& field)
      : field_(field), own_(field.load(std::memory_order_acquire)) {}

  HANDLE Handle() const { return own_; }
  // The handle check: the field still holds this reader's open handle. After a close and a
  // reopen the field holds the new handle, and the old reader ends.
  bool StillOurs() const {
    const HANDLE now = field_.load(std::memory_order_acquire);
    return now != INVALID_HANDLE_VALUE && now == own_;
  }
  // One one-byte read with the port's time-outs: 1 a byte came, 0 none came, -1 the handle was
  // closed (it can never read again).
  int ReadByte(unsigned char* b) const {
    DWORD got = 0;
    if (!ReadFile(own_, b, 1, &got, nullptr)) return -1;
    return got == 1 ? 1 : 0;
  }
  // The loop of a reader: the handle check, then atCheck(), then one-byte reads. A byte goes to
  // onByte(b), which returns true to read on or false to go back to the check; a read that brings
  // nothing calls onNothing() and goes back to the check. Returns once the port is no longer this
  // reader's, or its handle was closed.
  template <class AtCheck, class OnByte, class OnNothing>
  void ReadLoop(AtCheck&& atCheck, OnByte&& onByte, OnNothing&& onNothing) const {
    while (StillOurs()) {
      atCheck();
      for (;;) {
        unsigned char b = 0;
        const int got = ReadByte(&b);
        if (got < 0) return;
        if (got == 0) {
          onNothing();
          break;
        }
        if (!onByte(b)) break;
      }
    }
  }
  // Purges the transmit and then the receive buffer.
  void Purge() const {
    PurgeComm(own_, PURGE_TXCLEAR);
    PurgeComm(own_, PURGE_RXCLEAR);
  }

 private:
  const std::atomic<HANDLE>& field_;
  const HANDLE own_;
};

// The step of a reader loop that does nothing.
inline void Nothing() {}

}  // namespace survey
