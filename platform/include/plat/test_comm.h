// Test backends for comm ports: pseudo-terminals for the real termios path, and in-process
// virtual ports that run on the platform clock. plat::test::Reset detaches every virtual port and
// closes the pty pairs.
#pragma once

#include "plat/testing.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct termios;

namespace plat::detail {
class VirtualDevice;
}

namespace plat::test {

// ---- Pseudo-terminals (real clock only) ------------------------------------------------------
// Opens a raw pty pair and links <devdir>/COMn to its slave. Returns the master descriptor, which
// the harness owns (close it with ClosePtyMaster), or -1 (also under a virtual clock).
int CreatePtyPort(int comNumber);
// Closes the master of COM n's pair: the device hangs up under an open handle.
bool ClosePtyMaster(int comNumber);
// The termios the layer last handed to tcsetattr for COM n; false if none yet.
bool LastAppliedTermios(int comNumber, struct termios* out);

// ---- Virtual ports ---------------------------------------------------------------------------
class VirtualPort {
 public:
  explicit VirtualPort(std::shared_ptr<detail::VirtualDevice> device);

  // Inbound bytes: arriving now, or at a tick of the platform clock (a GetTickCount value).
  void Feed(std::string_view bytes);
  void Feed(std::string_view bytes, DWORD atTick);
  // The bytes the program wrote (WriteFile and TransmitCommChar) since the last call.
  std::string TakeOutput();
  // The modem lines as MS_ bits; changes raise EV_CTS / EV_DSR / EV_RLSD / EV_RING. Now, or at a
  // tick of the platform clock, in order with the feeds due at the same tick.
  void SetLines(DWORD msBits);
  void SetLines(DWORD msBits, DWORD atTick);
  // While held, writes are taken by nobody (a receiver holding XOFF).
  void HoldOutput(bool hold);
  // The next count opens fail with error; then opens work again.
  void FailOpens(int count, DWORD error = ERROR_ACCESS_DENIED);
  // Called on the writer's thread for every byte written; it may Feed an answer.
  void OnByte(std::function<void(unsigned char)> responder);

  // Recorders.
  bool IsOpen() const;
  int Opens() const;         // successful opens
  int OpenAttempts() const;  // including failed ones
  int Closes() const;
  bool LastDcb(DCB* out) const;  // the last DCB SetCommState applied; false if none
  bool LastTimeouts(COMMTIMEOUTS* out) const;
  std::vector<DWORD> Purges() const;  // the PurgeComm flags, one entry per call
  std::vector<DWORD> Masks() const;   // the SetCommMask masks, one entry per call
  size_t InputQueued() const;         // arrived and not yet read

 private:
  std::shared_ptr<detail::VirtualDevice> device_;
};

// Registers a virtual port for COM n (1..255), which takes precedence over any device; attaching
// again returns the same port. nullptr for a number out of range.
std::shared_ptr<VirtualPort> AttachVirtualPort(int comNumber);
void DetachVirtualPort(int comNumber);

}  // namespace plat::test
