#include "common/whole_numbers.h"

namespace survey {

int32_t ClampedWhole(double v, double lo, double hi) {
  if (!(v >= lo)) return static_cast<int32_t>(lo);
  if (v > hi) return static_cast<int32_t>(hi);
  return static_cast<int32_t>(v);
}

int32_t SampleDivisor(double intervalSeconds, double periodMs) {
  constexpr double kDivisorMax = 1073741824.0;  // 2^30
  return ClampedWhole(intervalSeconds * 1000.0 / periodMs + 0.5, 1.0, kDivisorMax);
}

}  // namespace survey
