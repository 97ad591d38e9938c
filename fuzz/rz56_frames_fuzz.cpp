// The RZ56 frame search on any bytes: nothing read outside its buffer, and every step agrees with
// the bytes pushed.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/rz56_frames.h"
#include "fuzz_check.h"

using namespace desktop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Rz56FrameSearch search;
  for (size_t i = 0; i < size; ++i) {
    const int before = search.Index();
    const Rz56Push p = search.Push(data[i]);
    const int at = before + 1;  // where the byte landed, unless it overflowed
    FUZZ_CHECK(search.Index() >= -1 && search.Index() < kRz56CollectBytes);
    FUZZ_CHECK(p.endMark == (p.step != Rz56Step::kOverflow && data[i] == kRz56EndMark && at >= 13));
    switch (p.step) {
      case Rz56Step::kAccepted:
        // The last 15 bytes pushed: a tag, 12 bytes, and the 0x7F pair, the second at 14 or later.
        FUZZ_CHECK(at >= 14 && i >= 14 && search.Index() == -1);
        FUZZ_CHECK(memcmp(search.Frame(), data + i - 14, kRz56WireLength) == 0);
        FUZZ_CHECK(IsRz56Tag(search.Frame()[0]) && data[i - 1] == kRz56EndMark);
        break;
      case Rz56Step::kRejected:
        FUZZ_CHECK(at >= 14 && !IsRz56Tag(data[i - 14]) && data[i - 1] == kRz56EndMark);
        FUZZ_CHECK(search.Index() == at);
        break;
      case Rz56Step::kLone:
        FUZZ_CHECK(data[i - 1] != kRz56EndMark && search.Index() == at);
        break;
      case Rz56Step::kOverflow:
        FUZZ_CHECK(at == kRz56CollectBytes && search.Index() == -1);
        break;
      case Rz56Step::kMore:
        FUZZ_CHECK(search.Index() == at);
        break;
    }
  }
  return 0;
}
