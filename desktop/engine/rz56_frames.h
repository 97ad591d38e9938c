// The RZ56 frame: what the instrument sends, and the per-byte search both RZ56 readers run.
//
// On the wire a frame is 15 bytes: the tag, the gain byte, four channel counts and the transmitter
// current (signed 16-bit, most significant byte first), the battery count, then 0x7F 0x7F.
//
// The search does no I/O. A reader reads one byte at a time and pushes it; the step says where its
// loop goes next:
//   kMore      not a frame end: read on (the request reader first looks at the lost-link flag);
//   kOverflow  the byte would have landed at position 181: the buffer was emptied, the byte dropped;
//   kLone      a 0x7F at position 13 or later after a byte that is not 0x7F: back to the handle check;
//   kRejected  a 0x7F pair whose tag, 14 back, is none of the eight: the buffer stays as it is;
//   kAccepted  a frame: Frame() holds its 15 bytes until the next Push; the buffer is empty again.
// Every 0x7F at position 13 or later also raises `endMark`, which the wheel reader stamps.
//
// A pair ends a frame only when its second 0x7F stands at position 14 or later, so the tag always
// lies inside the buffer: a pair at 13 and 12 (a battery count of 0x7F, say) reads on, and the
// 0x7F at 14 then ends the right frame.
#pragma once

#include <cstdint>

namespace desktop {

constexpr int kRz56WireLength = 15;     // tag, 12 data bytes, 0x7F 0x7F
constexpr int kRz56KeptLength = 14;     // what LinkState.frame receives before its NUL
constexpr unsigned char kRz56EndMark = 0x7F;
constexpr int kRz56CollectBytes = 181;  // positions 0 to 180

// The eight tags, in pairs: 'T'/'M', 'D'/'N', 'E'/'P', 'F'/'Q' (the second marks a marker press).
bool IsRz56Tag(unsigned char tag);
// The marked tag of a plain one ('T' -> 'M', ...), and the plain tag of either; 0 for other bytes.
unsigned char Rz56MarkedTag(unsigned char tag);
unsigned char Rz56PlainTag(unsigned char tag);
// The display mode of a tag: 'D' for 'D', 'F', 'N', 'Q', else '4'.
char Rz56Mode(unsigned char tag);

enum class Rz56Step : uint8_t { kMore, kOverflow, kLone, kRejected, kAccepted };

struct Rz56Push {
  Rz56Step step = Rz56Step::kMore;
  bool endMark = false;  // a 0x7F at position 13 or later
};

class Rz56FrameSearch {
 public:
  void Clear() { index_ = -1; }
  Rz56Push Push(unsigned char b);

  const unsigned char* Frame() const { return frame_; }
  int Index() const { return index_; }  // last stored position, -1 when empty

 private:
  int index_ = -1;
  const unsigned char* frame_ = nullptr;
  unsigned char buffer_[kRz56CollectBytes] = {};
};

}  // namespace desktop
