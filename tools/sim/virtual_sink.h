// The virtual-port sink: a simulator's stream scheduled on the platform clock, for in-process tests.
#pragma once

#include <windows.h>
#include <plat/test_comm.h>

#include <limits>
#include <vector>

#include "sim/stream.h"

namespace sim {

// Feeds the stream's chunks to the port, chunk k arriving at startTick plus its time rounded to
// the millisecond, up to (not including) untilMs; a stream without an end needs untilMs. The
// chunks fed are appended to *fed when given. Returns how many were fed.
size_t FeedVirtualPort(plat::test::VirtualPort& port, Stream& stream, DWORD startTick,
                       std::vector<Chunk>* fed = nullptr,
                       double untilMs = std::numeric_limits<double>::infinity());

// The tick at which a chunk arrives.
DWORD ArrivalTick(DWORD startTick, const Chunk& c);

}  // namespace sim
