// The RZ56 request hand-shake: what the requester and the request reader write to each other, and
// in which order, so that no request can be lost between them.
#pragma once

#include <cstdint>

namespace desktop {

constexpr uint32_t kRz56TimeoutMs = 200;  // Watchdog.rz56TimeoutMs


// What the requester and the request reader write, in the order they write it. The live writer
// acts on LinkState and the port; tests record the order.
class Rz56Signals {
 public:
  virtual ~Rz56Signals() = default;
  virtual void ResetRequest() = 0;  // ResetEvent(LinkState.requestEvent)
  virtual void SetRequest() = 0;    // SetEvent(LinkState.requestEvent)
  virtual void Ready(int32_t v) = 0;     // LinkState.rz56Ready
  virtual void LinkLost(int32_t v) = 0;  // LinkState.linkLost
  virtual void Tick(uint32_t tick) = 0;  // LinkState.lastRz56Tick
  virtual void Transmit(char c) = 0;     // TransmitCommChar on the instrument port
};

// The reader took an answer (a frame, a rejected frame, or a recovery): the event is reset before
// the requester may send again, and the link is marked good last, so no tick in between can lose
// a request or mark the link lost.
void Rz56AnswerTaken(Rz56Signals& s);
// The requester sends: not ready and the request's tick before the 'A' and the event, so the
// reader's answer can never come before the request is marked outstanding.
void Rz56SendRequest(Rz56Signals& s, uint32_t now);

enum class Rz56Request : uint8_t { kSend, kWait, kOverdue };
// What the requester does on a tick: send when ready; else overdue when more than 200 ms (a signed
// difference) have passed since the last request.
Rz56Request DecideRz56Request(int32_t ready, uint32_t lastTick, uint32_t now);

}  // namespace desktop
