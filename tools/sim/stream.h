// What the simulators produce: a stream of timed chunks of bytes, pulled one at a time, which a
// sink delivers to a port (a virtual port on the platform clock, or a pty master in real time).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

enum class ChunkKind : uint8_t {
  kFrame,     // a whole instrument frame as sent, end mark included
  kPartial,   // the start of a frame, cut short
  kGarbage,   // line noise
  kSentence,  // one NMEA line
  kLines,     // the modem lines change to `lines` (MS_ bits); no bytes
};

struct Chunk {
  double atMs = 0;  // from the start of the stream
  ChunkKind kind = ChunkKind::kFrame;
  long index = 0;   // frame or cycle number
  std::string bytes;
  unsigned lines = 0;  // kLines: the new modem lines
};

class Stream {
 public:
  virtual ~Stream() = default;
  // The next chunk, in time order; false at the end of the stream.
  virtual bool Next(Chunk* out) = 0;
};

// A small seeded generator (xorshift64*): the same seed gives the same stream everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F491u) {
    if (state_ == 0) state_ = 1;
  }
  uint32_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  // 0 .. n-1 (n > 0)
  uint32_t Below(uint32_t n) { return Next() % n; }
  // True with probability p (0..1).
  bool Chance(double p) { return p > 0 && Next() < p * 4294967296.0; }

 private:
  uint64_t state_;
};

}  // namespace sim
