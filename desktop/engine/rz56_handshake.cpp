#include "engine/rz56_handshake.h"

namespace desktop {

void Rz56AnswerTaken(Rz56Signals& s) {
  s.ResetRequest();
  s.Ready(1);
  s.LinkLost(0);
}

void Rz56SendRequest(Rz56Signals& s, uint32_t now) {
  s.Ready(0);
  s.Tick(now);
  s.Transmit('A');
  s.SetRequest();
}

Rz56Request DecideRz56Request(int32_t ready, uint32_t lastTick, uint32_t now) {
  if (ready == 1) return Rz56Request::kSend;
  return static_cast<int32_t>(now - lastTick) > static_cast<int32_t>(kRz56TimeoutMs) ? Rz56Request::kOverdue
                                                                                     : Rz56Request::kWait;
}

}  // namespace desktop
