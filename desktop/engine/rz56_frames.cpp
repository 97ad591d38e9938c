#include "engine/rz56_frames.h"

namespace desktop {
namespace {

constexpr char kPlain[] = "TDEF";
constexpr char kMarked[] = "MNPQ";

int PairOf(unsigned char tag) {
  for (int i = 0; i < 4; ++i) {
    if (tag == static_cast<unsigned char>(kPlain[i]) || tag == static_cast<unsigned char>(kMarked[i])) return i;
  }
  return -1;
}

// The position of the first 0x7F that may be an end mark, and of the second that may end a frame.
constexpr int kFirstMarkAt = kRz56WireLength - 2;
constexpr int kFrameEndAt = kRz56WireLength - 1;

}  // namespace

bool IsRz56Tag(unsigned char tag) { return PairOf(tag) >= 0; }

unsigned char Rz56MarkedTag(unsigned char tag) {
  const int pair = PairOf(tag);
  return pair < 0 ? 0 : static_cast<unsigned char>(kMarked[pair]);
}

unsigned char Rz56PlainTag(unsigned char tag) {
  const int pair = PairOf(tag);
  return pair < 0 ? 0 : static_cast<unsigned char>(kPlain[pair]);
}

char Rz56Mode(unsigned char tag) {
  const int pair = PairOf(tag);
  return pair == 1 || pair == 3 ? 'D' : '4';
}

Rz56Push Rz56FrameSearch::Push(unsigned char b) {
  if (++index_ >= kRz56CollectBytes) {
    index_ = -1;
    return {Rz56Step::kOverflow, false};
  }
  buffer_[index_] = b;
  if (b != kRz56EndMark || index_ < kFirstMarkAt) return {Rz56Step::kMore, false};
  if (buffer_[index_ - 1] != kRz56EndMark) return {Rz56Step::kLone, true};
  // A pair at 12 and 13 would put the tag before the buffer: not an end, read on.
  if (index_ < kFrameEndAt) return {Rz56Step::kMore, true};
  const unsigned char* start = buffer_ + index_ - kFrameEndAt;
  if (!IsRz56Tag(start[0])) return {Rz56Step::kRejected, true};
  frame_ = start;
  index_ = -1;
  return {Rz56Step::kAccepted, true};
}

}  // namespace desktop
