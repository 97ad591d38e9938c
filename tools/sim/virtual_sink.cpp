#include "sim/virtual_sink.h"

#include <cmath>

namespace sim {

DWORD ArrivalTick(DWORD startTick, const Chunk& c) {
  return startTick + static_cast<DWORD>(std::llround(c.atMs));
}

size_t FeedVirtualPort(plat::test::VirtualPort& port, Stream& stream, DWORD startTick, std::vector<Chunk>* fed,
                       double untilMs) {
  size_t n = 0;
  Chunk c;
  while (stream.Next(&c) && c.atMs < untilMs) {
    if (c.kind == ChunkKind::kLines) {
      port.SetLines(c.lines, ArrivalTick(startTick, c));
    } else {
      port.Feed(c.bytes, ArrivalTick(startTick, c));
    }
    if (fed) fed->push_back(c);
    ++n;
  }
  return n;
}

}  // namespace sim
