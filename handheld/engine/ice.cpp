#include "engine/ice.h"

namespace handheld {

// The conversion itself comes with the ice-thickness tables.
void LoadIceCurve(int32_t) {}

}  // namespace handheld
