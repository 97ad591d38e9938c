#include "engine/scale.h"

#include <cmath>

namespace handheld {

float PixelsPerUnit(float current, int32_t plotHeight, float minimum, float maximum) {
  const float range = maximum - minimum;
  if (range == 0.0f) return current;
  const float factor = static_cast<float>(plotHeight) / range;
  return std::isfinite(factor) ? factor : current;
}

}  // namespace handheld
