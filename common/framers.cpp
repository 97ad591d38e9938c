#include "common/framers.h"

namespace survey {

// ---- Meter frames ----------------------------------------------------------------------------

MeterFramer::MeterFramer(int frameLength)
    : frameLength_(frameLength >= 1 && frameLength <= kKeptFrameMax ? frameLength : 12) {}

FrameStep MeterFramer::Push(unsigned char b) {
  if (++index_ >= kCollectBytes) {
    index_ = -1;
    return FrameStep::kOverflow;
  }
  buffer_[index_] = b;
  if (b != kEnd || index_ < frameLength_) return FrameStep::kMore;
  unsigned char* candidate = buffer_ + index_ - frameLength_;
  // A candidate without its 'T' stays in the buffer: a later CR is tested frameLength back again.
  if (candidate[0] != 'T') return FrameStep::kRejected;
  buffer_[index_] = 0;
  frame_ = candidate;
  index_ = -1;
  return FrameStep::kAccepted;
}

// ---- ZOL12 frames ----------------------------------------------------------------------------

namespace {
bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }
}  // namespace

FrameStep Zol12Framer::Push(unsigned char b) {
  // Position 0 'T', 4 'I', the others digits.
  const bool fits = count_ == 0 ? b == 'T' : count_ == 4 ? b == 'I' : IsDigit(b);
  if (!fits) {
    count_ = 0;
    return FrameStep::kRejected;
  }
  frame_[count_++] = b;
  if (count_ < kFrameLength) return FrameStep::kMore;
  count_ = 0;
  return FrameStep::kAccepted;
}

FrameStep Zol12Framer::Missing() {
  if (count_ == 0) return FrameStep::kIdle;
  count_ = 0;
  return FrameStep::kRejected;
}

// ---- RZ27-MK2 frames -------------------------------------------------------------------------

FrameStep Rz27Mk2Framer::Push(unsigned char b) {
  if (++index_ >= kCollectBytes) {
    index_ = -1;
    return FrameStep::kOverflow;
  }
  buffer_[index_] = b;
  if (b != kEnd || index_ <= kFrameLength) return FrameStep::kMore;
  if (buffer_[index_ - 1] != kEnd) return FrameStep::kNoFrame;
  const unsigned char* start = buffer_ + index_ - (kFrameLength + 1);
  if (start[0] != 'T' && start[0] != 't') return FrameStep::kNoFrame;
  frame_ = start;
  index_ = -1;
  return FrameStep::kAccepted;
}

void AddMarkerBits(unsigned char* frame, int32_t hardMarker, int32_t softMarkerHeld) {
  unsigned add = 0;
  if (hardMarker > 0) add += 16;
  if (softMarkerHeld > 0) add += 8;
  frame[1] = static_cast<unsigned char>(frame[1] + add);
}

// ---- The N-th-frame rule ---------------------------------------------------------------------

bool CycleComplete(std::atomic<int32_t>& frameCount, int32_t framesPerReading) {
  if (frameCount.load() < framesPerReading) return false;
  frameCount.store(0);
  return true;
}

// ---- The record-length probe -----------------------------------------------------------------

RecordLengthProbe::Step RecordLengthProbe::Push(unsigned char b) {
  if (!counting_) {
    if (b != 'T') return Step::kSearching;
    counting_ = true;
    count_ = 1;
    return Step::kCounting;
  }
  if (b != 0x0D) {
    // Any count past 12 is as good as 13: it can only be refused.
    if (count_ <= 12) ++count_;
    return Step::kCounting;
  }
  counting_ = false;
  if (count_ != 7 && count_ != 12) return Step::kSearching;
  length_ = count_;
  return Step::kFound;
}

}  // namespace survey
