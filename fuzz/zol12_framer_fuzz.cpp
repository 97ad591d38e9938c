// The ZOL12 byte tests on any bytes; 0xFF stands for a read that returned nothing (as data it
// would fail every test like any other byte that is not 'T').
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/framers.h"
#include "fuzz_check.h"

using namespace survey;

namespace {
bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Zol12Framer framer;
  for (size_t i = 0; i < size; ++i) {
    const bool missing = data[i] == 0xFF;
    const int before = framer.Count();
    const FrameStep step = missing ? framer.Missing() : framer.Push(data[i]);
    FUZZ_CHECK(framer.Count() >= 0 && framer.Count() < Zol12Framer::kFrameLength);
    switch (step) {
      case FrameStep::kAccepted: {
        const unsigned char* f = framer.Frame();
        FUZZ_CHECK(!missing && i + 1 >= 8 && memcmp(f, data + i - 7, 8) == 0);
        FUZZ_CHECK(f[0] == 'T' && f[4] == 'I' && Digit(f[1]) && Digit(f[2]) && Digit(f[3]) && Digit(f[5]) &&
                   Digit(f[6]) && Digit(f[7]));
        break;
      }
      case FrameStep::kIdle:
        FUZZ_CHECK(missing && before == 0);
        break;
      case FrameStep::kRejected:
        FUZZ_CHECK(framer.Count() == 0 && (missing ? before > 0 : true));
        break;
      case FrameStep::kMore:
        FUZZ_CHECK(framer.Count() == before + 1);
        break;
      default:
        FUZZ_CHECK(false);
    }
  }
  return 0;
}
