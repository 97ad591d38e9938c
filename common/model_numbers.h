// The instrument model numbers of BuildConfig.modelIndex, the same in both programs; the RZ56
// family (below 0) exists only in the desktop builds.
#pragma once

#include <cstdint>

namespace survey {

enum Model : int32_t {
  kModelRz56 = -2,
  kModelRz56Mk2 = -1,
  kModelRz12 = 0,
  kModelRz27B = 1,
  kModelRz27Dd = 2,
  kModelRz27 = 3,
  kModelRz45 = 4,
  kModelRz89 = 5,
  kModelZol12 = 6,
  kModelRz27Mk2 = 7,
};

}  // namespace survey
