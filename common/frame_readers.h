// The loops and the frame hand-over that both programs' instrument readers share: the framers of
// common/framers.h driven over a reader's own port (common/reader_port.h), the storing of an
// accepted frame into a program's LinkState fields, the N-th-frame rule's two ends, and the
// marker line's status word. Each program supplies its fields, its message and what it does on
// top (the handheld clears its watchdog's miss count, the desktop marks its reader state).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "common/framers.h"
#include "common/reader_port.h"

namespace survey {

// Storing an accepted frame: its tick, its place in the cycle, its bytes with a NUL after them.
// `frame` has room for kKeptFrameMax + 1 bytes.
inline void StoreFrame(std::atomic<uint32_t>& lastFrameTick, std::atomic<int32_t>& frameCount, unsigned char* frame,
                       const unsigned char* kept, int length) {
  lastFrameTick.store(GetTickCount(), std::memory_order_relaxed);
  CountFrame(frameCount);
  memcpy(frame, kept, static_cast<size_t>(length));
  frame[length] = 0;
}

// A rejected frame takes its place in the cycle but announces nothing.
inline void CountRejectedFrame(std::atomic<int32_t>& frameCount, int32_t framesPerReading) {
  CountFrame(frameCount);
  CycleComplete(frameCount, framesPerReading);
}

// The modem status word of a marker line into `hardMarker`. Any set bit counts as pressed, so a
// line that is always asserted (a cable with DSR or carrier detect tied high) reads as always
// pressed. False when the status could not be read (the handle was closed).
inline bool ReadMarkerLines(HANDLE h, std::atomic<int32_t>& hardMarker) {
  DWORD status = 0;
  if (!GetCommModemStatus(h, &status)) return false;
  hardMarker.store(static_cast<int32_t>(status), std::memory_order_relaxed);
  return true;
}

// The meter reader's reads until the port is no longer its own: accepted(frame, length) for each
// frame (the next byte is read without a handle check), rejected() for each candidate without
// its 'T' (then the handle check); an overflow goes back to the check.
template <class Accepted, class Rejected>
void ReadMeterFrames(const ReaderPort& port, MeterFramer& framer, Accepted&& accepted, Rejected&& rejected) {
  port.ReadLoop(Nothing,
                [&](unsigned char b) {
                  switch (framer.Push(b)) {
                    case FrameStep::kMore:
                      return true;
                    case FrameStep::kAccepted:
                      accepted(framer.Frame(), framer.FrameLength());
                      return true;
                    case FrameStep::kRejected:
                      rejected();
                      return false;
                    default:
                      return false;
                  }
                },
                Nothing);
}

// The ZOL12 reader's reads from one start to the next idle: each byte is tested as it comes, and a
// byte that does not come inside a frame rejects the frame. accepted(frame, length) for each
// frame (the next frame is read at once); rejected() for each rejected frame, after which the
// port is purged, discarding whatever else has arrived. Returns after a rejection or a read that
// brought nothing at a frame start (true), or when the handle was closed (false).
template <class Accepted, class Rejected>
bool ReadZol12Frames(const ReaderPort& port, Zol12Framer& framer, Accepted&& accepted, Rejected&& rejected) {
  for (;;) {
    unsigned char b = 0;
    const int got = port.ReadByte(&b);
    if (got < 0) return false;
    const FrameStep step = got ? framer.Push(b) : framer.Missing();
    if (step == FrameStep::kMore) continue;
    if (step == FrameStep::kAccepted) {
      accepted(framer.Frame(), framer.FrameLength());
      continue;
    }
    if (step == FrameStep::kRejected) {
      rejected();
      port.Purge();
    }
    return true;
  }
}

// The RZ27-MK2 reader's reads until the port is no longer its own: atCheck() at every handle
// check, accepted(frame, length) for each frame; after a frame, an overflow or an end mark that
// frames nothing the reader goes back to its check.
template <class AtCheck, class Accepted>
void ReadRz27Mk2Frames(const ReaderPort& port, Rz27Mk2Framer& framer, AtCheck&& atCheck, Accepted&& accepted) {
  port.ReadLoop(atCheck,
                [&](unsigned char b) {
                  const FrameStep step = framer.Push(b);
                  if (step == FrameStep::kMore) return true;
                  if (step == FrameStep::kAccepted) accepted(framer.Frame(), framer.FrameLength());
                  return false;
                },
                Nothing);
}

// The record-length probe on a reader's port, started at tick t0: 7 or 12, or 0 when no frame
// length was recognised within 2000 ms of t0 or the port failed.
inline int ProbeFrameLength(const ReaderPort& port, uint32_t t0) {
  return RunRecordLengthProbe([&port](unsigned char* b) { return port.ReadByte(b); }, [] { return GetTickCount(); },
                              t0);
}

// The frame period of a probed frame length: 72.0 ms for the old 7-byte frames, 91.0 ms for the
// 12-byte ones, 0 for any other length.
constexpr double ProbedFramePeriodMs(int length) { return length == 7 ? 72.0 : length == 12 ? 91.0 : 0.0; }

}  // namespace survey
