// What the New Line dialogs of both programs propose for the next survey line, from the stored
// numbering and the current station.
#pragma once

#include <cstdint>

namespace survey {

struct NewLineProposal {
  float line = 0;  // the line name read as a number plus the line increment
  double start = 0;
  float increment = 0;
  int32_t direction = 0;
};

// The opposite direction: West 0 and East 3, South 1 and North 2 swap; any other value is kept.
int32_t OppositeDirection(int32_t direction);

// The proposal from the line name's value: its sum with the line increment, held within the float
// range. Alternate runs back from the current station with the increment negated and the direction
// reversed; otherwise (One Way) the stored start station, increment and direction stand.
NewLineProposal ProposeNewLine(float lineValue, float lineIncrement, bool alternate, int32_t direction,
                               double startStation, float stationIncrement, double station);

}  // namespace survey
