// The meter framer, the N-th-frame rule and the RZ27 record-length probe on any bytes.
// Byte 0 chooses the frame length (7, 12 or an out-of-range value) and frames per reading.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/framers.h"
#include "fuzz_check.h"

using namespace survey;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int choice = data[0] % 4;
  const int asked = choice == 0 ? 7 : choice == 1 ? 12 : choice == 2 ? 0 : 200;
  const int32_t framesPerReading = (data[0] >> 2) % 5;  // 0 to 4
  MeterFramer framer(asked);
  const int length = framer.FrameLength();
  FUZZ_CHECK(length == 7 || length == 12);
  std::atomic<int32_t> frameCount{0};
  for (size_t i = 1; i < size; ++i) {
    const FrameStep step = framer.Push(data[i]);
    FUZZ_CHECK(framer.Index() >= -1 && framer.Index() < kCollectBytes);
    switch (step) {
      case FrameStep::kAccepted:
        // The frame is the `length` bytes before this CR, and begins with 'T'.
        FUZZ_CHECK(data[i] == 0x0D && i > static_cast<size_t>(length));
        FUZZ_CHECK(memcmp(framer.Frame(), data + i - length, static_cast<size_t>(length)) == 0);
        FUZZ_CHECK(framer.Frame()[0] == 'T');
        CountFrame(frameCount);
        CycleComplete(frameCount, framesPerReading);
        break;
      case FrameStep::kRejected:
        FUZZ_CHECK(data[i] == 0x0D && data[i - length] != 'T');
        CountFrame(frameCount);
        CycleComplete(frameCount, framesPerReading);
        break;
      case FrameStep::kMore:
      case FrameStep::kOverflow:
        break;
      default:
        FUZZ_CHECK(false);
    }
    FUZZ_CHECK(frameCount.load() >= 0 && frameCount.load() <= 4);
  }

  // The probe over the same bytes, one per millisecond; the port fails when they run out.
  size_t next = 1;
  uint32_t now = 1000;
  const int probed = RunRecordLengthProbe(
      [&](unsigned char* b) {
        if (next >= size) return -1;
        *b = data[next++];
        ++now;
        return 1;
      },
      [&] { return now; }, 1000);
  FUZZ_CHECK(probed == 0 || probed == 7 || probed == 12);
  if (probed) FUZZ_CHECK(data[next - 1] == 0x0D);
  return 0;
}
