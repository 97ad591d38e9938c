#include "common/new_line.h"

#include <cfloat>
#include <cmath>

namespace survey {

int32_t OppositeDirection(int32_t direction) { return direction >= 0 && direction <= 3 ? 3 - direction : direction; }

NewLineProposal ProposeNewLine(float lineValue, float lineIncrement, bool alternate, int32_t direction,
                               double startStation, float stationIncrement, double station) {
  NewLineProposal p;
  const double next = static_cast<double>(lineValue) + static_cast<double>(lineIncrement);
  p.line = std::fabs(next) <= FLT_MAX ? static_cast<float>(next) : (next < 0 ? -FLT_MAX : FLT_MAX);
  if (alternate) {
    p.start = station;
    p.increment = -stationIncrement;
    p.direction = OppositeDirection(direction);
  } else {
    p.start = startStation;
    p.increment = stationIncrement;
    p.direction = direction;
  }
  return p;
}

}  // namespace survey
