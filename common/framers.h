// Instrument framers: per-byte state machines that find frames in a serial byte stream. Both
// programs' reader threads use them unchanged.
//
// They do no I/O and allocate nothing. A reader thread reads one byte at a time from its port and
// pushes it; the returned step tells it where its loop goes next:
//
//   MeterFramer (meter frames ending in CR):
//     framer.Clear(); purge;
//     check: if the port is closed, return 0;
//     read:  ReadFile 1 byte; nothing -> check;
//            switch (framer.Push(b)): kMore -> read; kOverflow -> check;
//                                     kRejected -> count a rejected frame, check;
//                                     kAccepted -> store framer.Frame(), read.
//   Zol12Framer (ZOL12 frames, each byte tested as it comes):
//     check: port closed -> return 0; (the handheld waits for a character event here)
//     read:  ReadFile 1 byte; step = got ? framer.Push(b) : framer.Missing();
//            kMore -> read; kAccepted -> store, read; kIdle -> check;
//            kRejected -> count a rejected frame, purge, check.
//   Rz27Mk2Framer (RZ27-MK2 binary frames):
//     check: port closed -> return 0; poll the marker lines when they share the port;
//     read:  ReadFile 1 byte; nothing -> check;
//            kMore -> read; kOverflow, kNoFrame -> check; kAccepted -> store, check.
//
// An accepted frame's bytes stay readable through Frame() until the next Push; the framer has
// already emptied its collection buffer, as storing a frame requires.
#pragma once

#include <atomic>
#include <cstdint>

namespace survey {

enum class FrameStep : uint8_t {
  kMore,      // keep reading bytes
  kOverflow,  // the buffer was full: it was emptied and the byte dropped
  kNoFrame,   // an end mark that frames nothing (RZ27-MK2); nothing is counted
  kRejected,  // a candidate frame failed the framing rule; it counts in the cycle
  kAccepted,  // a frame: Frame(), FrameLength()
  kIdle,      // ZOL12: no byte came at a frame start; wait for the next event
};

// Longest frame any framer keeps (RZ27-MK2).
constexpr int kKeptFrameMax = 14;

// Collection buffer of the meter and RZ27-MK2 readers: positions 0 to 180. The byte that would
// land at position 181 empties the buffer instead.
constexpr int kCollectBytes = 181;

// ASCII meter frames: `frameLength` bytes ('T', status, fields) before a CR.
class MeterFramer {
 public:
  static constexpr unsigned char kEnd = 0x0D;

  // frameLength: 12, or 7 for the old RZ27 frames; values outside 1..14 are taken as 12.
  explicit MeterFramer(int frameLength = 12);
  void Clear() { index_ = -1; }
  FrameStep Push(unsigned char b);

  int FrameLength() const { return frameLength_; }
  const unsigned char* Frame() const { return frame_; }
  int Index() const { return index_; }  // last stored position, -1 when empty

 private:
  int frameLength_;
  int index_ = -1;
  const unsigned char* frame_ = nullptr;
  unsigned char buffer_[kCollectBytes];
};

// ZOL12 frames: 'T', three digits, 'I', three digits; tested byte by byte as they come.
class Zol12Framer {
 public:
  static constexpr int kFrameLength = 8;

  void Clear() { count_ = 0; }
  FrameStep Push(unsigned char b);
  // A read that returned no byte: rejects a frame in progress, else kIdle.
  FrameStep Missing();

  int FrameLength() const { return kFrameLength; }
  const unsigned char* Frame() const { return frame_; }
  int Count() const { return count_; }  // bytes of the frame in progress

 private:
  int count_ = 0;
  unsigned char frame_[kFrameLength] = {};
};

// RZ27-MK2 binary frames: 'T' or 't', 13 bytes, then 0xFF 0xFF; 14 bytes are kept.
class Rz27Mk2Framer {
 public:
  static constexpr int kFrameLength = 14;
  static constexpr unsigned char kEnd = 0xFF;

  void Clear() { index_ = -1; }
  FrameStep Push(unsigned char b);

  int FrameLength() const { return kFrameLength; }
  const unsigned char* Frame() const { return frame_; }
  int Index() const { return index_; }

 private:
  int index_ = -1;
  const unsigned char* frame_ = nullptr;
  unsigned char buffer_[kCollectBytes];
};

// The RZ27 marker bits that the reader adds to a kept frame's status byte (byte 1): 16 while the
// external marker is pressed (any modem status bit set), 8 while the soft marker key is held. The
// byte wraps modulo 256. A line that is always asserted therefore reads as always pressed.
void AddMarkerBits(unsigned char* frame, int32_t hardMarker, int32_t softMarkerHeld);

// ---- The N-th-frame rule -----------------------------------------------------------------------
// Every frame, accepted or (meter and ZOL12) rejected, is counted into the cycle with CountFrame.
// After an accepted frame has been stored, CycleComplete says whether the reading message is due;
// a rejected frame calls it too and ignores the answer. The test is "reached or passed", so a
// reset of the counter on another thread (Go, Pause) can never make the cycle miss its end.
inline void CountFrame(std::atomic<int32_t>& frameCount) { frameCount.fetch_add(1); }
// True when the count has reached framesPerReading; the count is then set to 0.
bool CycleComplete(std::atomic<int32_t>& frameCount, int32_t framesPerReading);

// ---- The RZ27 record-length probe ----------------------------------------------------------------
// The byte logic of the probe: a 'T' starts a count, every byte up to the CR adds one, and the CR
// gives the count. 7 and 12 are the two frame lengths; any other count (a status byte of 0x54 met
// first, a noisy frame) starts the search for a 'T' again.
class RecordLengthProbe {
 public:
  enum class Step : uint8_t { kSearching, kCounting, kFound };

  Step Push(unsigned char b);
  // The 1000 ms after the 'T' passed without a CR: search for a 'T' again.
  void Restart() { counting_ = false; }
  bool Counting() const { return counting_; }
  int Length() const { return length_; }  // 7 or 12 after kFound

 private:
  bool counting_ = false;
  int count_ = 0;
  int length_ = 0;
};

constexpr uint32_t kProbeLimitMs = 2000;
constexpr uint32_t kProbeCountLimitMs = 1000;

// The probe's loop over a byte source, with its time limits. `read(unsigned char*)` makes one
// one-byte read with the port's time-outs and returns 1 when a byte came, 0 when none came, and
// -1 when the port failed (closed): that ends the probe with 0 at once. `now()` gives the tick; t0
// is the tick at the probe's start. Returns 7 or 12, or 0 when no frame length was recognised
// within 2000 ms of t0 (a count in progress is allowed its own 1000 ms).
template <class Read, class Now>
int RunRecordLengthProbe(Read&& read, Now&& now, uint32_t t0) {
  RecordLengthProbe probe;
  uint32_t t1 = 0;
  for (;;) {
    if (!probe.Counting()) {
      if (static_cast<uint32_t>(now() - t0) >= kProbeLimitMs) return 0;
    } else {
      // The count's limit is measured as the absolute difference of ticks.
      const uint32_t a = now();
      const uint32_t elapsed = a >= t1 ? a - t1 : t1 - a;
      if (elapsed >= kProbeCountLimitMs) {
        probe.Restart();
        continue;
      }
    }
    unsigned char b = 0;
    const int got = read(&b);
    if (got < 0) return 0;
    if (got == 0) continue;
    const bool wasCounting = probe.Counting();
    const RecordLengthProbe::Step step = probe.Push(b);
    if (step == RecordLengthProbe::Step::kFound) return probe.Length();
    if (!wasCounting && step == RecordLengthProbe::Step::kCounting) t1 = now();
  }
}

}  // namespace survey
