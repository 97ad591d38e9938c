// The simulated RZ56-MK2 on a virtual port: it answers through the port's byte responder, on the
// platform clock (real or virtual), so a test can drive the link in-process.
#pragma once

#include <windows.h>
#include <plat/test_comm.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/rz56.h"

namespace sim {

class Rz56OnVirtualPort {
 public:
  // Answers every byte the program writes from now on; times count from the tick now.
  Rz56OnVirtualPort(std::shared_ptr<plat::test::VirtualPort> port, const Rz56Options& options);
  ~Rz56OnVirtualPort();
  Rz56OnVirtualPort(const Rz56OnVirtualPort&) = delete;
  Rz56OnVirtualPort& operator=(const Rz56OnVirtualPort&) = delete;

  // A wheel frame now; false in request mode or switched off.
  bool Trigger();
  // Feeds the periodic wheel frames due up to the tick; returns how many.
  int FeedWheel(DWORD untilTick);

  // The QC coil pressed now (Rz56Responder::PressCoil).
  void PressCoil();
  void SetOff(bool off);

  std::vector<Rz56Received> Received() const;  // atMs counts from the start tick
  std::string ReceivedBytes() const;
  long FramesSent() const;
  Rz56Mode Mode() const;
  std::string Frame(long i) const;
  DWORD StartTick() const { return startTick_; }

 private:
  double NowMs() const;
  void Feed(const std::vector<Rz56Out>& out);

  std::shared_ptr<plat::test::VirtualPort> port_;
  const DWORD startTick_;
  mutable std::mutex mu_;
  Rz56Responder responder_;
};

}  // namespace sim
