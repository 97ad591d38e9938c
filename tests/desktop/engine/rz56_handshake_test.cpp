// The RZ56 request hand-shake, deterministically: the order of the writes of each step, and the
// requester's decision on each tick, as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/rz56_handshake.h"

namespace {

using desktop::Rz56Request;

// Writes each step as a word: "reset", "set", "ready=1", "lost=0", "tick=N", "send=A".
class Recorder final : public desktop::Rz56Signals {
 public:
  std::vector<std::string> writes;
  void ResetRequest() override { writes.push_back("reset"); }
  void SetRequest() override { writes.push_back("set"); }
  void Ready(int32_t v) override { writes.push_back("ready=" + std::to_string(v)); }
  void LinkLost(int32_t v) override { writes.push_back("lost=" + std::to_string(v)); }
  void Tick(uint32_t t) override { writes.push_back("tick=" + std::to_string(t)); }
  void Transmit(char c) override { writes.push_back(std::string("send=") + c); }
};

TEST(Rz56Handshake, StepsWriteInTheirOrder) {
  // The reader: the event is reset before it says it is ready, and the link is marked good last.
  Recorder reader;
  desktop::Rz56AnswerTaken(reader);
  EXPECT_EQ(reader.writes, (std::vector<std::string>{"reset", "ready=1", "lost=0"}));
  // The requester: not ready and the tick before the 'A' and the event.
  Recorder requester;
  desktop::Rz56SendRequest(requester, 1234);
  EXPECT_EQ(requester.writes, (std::vector<std::string>{"ready=0", "tick=1234", "send=A", "set"}));
}

TEST(Rz56Handshake, RequesterDecision) {
  struct Row {
    int32_t ready;
    uint32_t last, now;
    Rz56Request want;
  };
  const Row rows[] = {
      {1, 0, 0, Rz56Request::kSend},
      {1, 1000, 5000, Rz56Request::kSend},  // ready: sends however late
      {0, 1000, 1200, Rz56Request::kWait},  // exactly 200 ms: not yet
      {0, 1000, 1201, Rz56Request::kOverdue},
      {0, 1000, 900, Rz56Request::kWait},   // a tick before the request (signed difference)
      {0, 0xFFFFFF80u, 0x48u, Rz56Request::kWait},     // 200 ms across the wrap
      {0, 0xFFFFFF80u, 0x49u, Rz56Request::kOverdue},  // 201 ms across the wrap
      {2, 1000, 1201, Rz56Request::kOverdue},          // any value but 1 is not ready
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.ready << " " << r.last << " " << r.now);
    EXPECT_EQ(desktop::DecideRz56Request(r.ready, r.last, r.now), r.want);
  }
}

}  // namespace
