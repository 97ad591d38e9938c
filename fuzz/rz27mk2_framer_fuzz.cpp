// The RZ27-MK2 framer and the marker bits on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/framers.h"
#include "fuzz_check.h"

using namespace survey;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Rz27Mk2Framer framer;
  for (size_t i = 0; i < size; ++i) {
    const FrameStep step = framer.Push(data[i]);
    FUZZ_CHECK(framer.Index() >= -1 && framer.Index() < kCollectBytes);
    switch (step) {
      case FrameStep::kAccepted: {
        // 'T' or 't', 13 bytes, then the two 0xFF of this byte and the one before.
        FUZZ_CHECK(i >= 15 && data[i] == 0xFF && data[i - 1] == 0xFF);
        FUZZ_CHECK(memcmp(framer.Frame(), data + i - 15, 14) == 0);
        FUZZ_CHECK(framer.Frame()[0] == 'T' || framer.Frame()[0] == 't');
        unsigned char kept[kKeptFrameMax];
        memcpy(kept, framer.Frame(), sizeof kept);
        AddMarkerBits(kept, data[i - 14] & 0x10, data[i - 13] & 1);
        break;
      }
      case FrameStep::kNoFrame:
        FUZZ_CHECK(data[i] == 0xFF);
        break;
      case FrameStep::kMore:
      case FrameStep::kOverflow:
        break;
      default:
        FUZZ_CHECK(false);
    }
  }
  return 0;
}
