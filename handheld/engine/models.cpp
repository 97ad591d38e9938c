#include "engine/models.h"

#include "engine/state.h"

namespace handheld {

namespace {

constexpr bool RowsInModelOrder() {
  for (int32_t i = 0; i < kModelCount; ++i) {
    if (kModelRows[i].model != i) return false;
  }
  return true;
}
static_assert(RowsInModelOrder(), "kModelRows is indexed by the model");

}  // namespace

const ModelRow& BuildModel() { return ModelRowOf(BuildConfig.modelIndex); }

bool IceBuild() { return BuildModel().iceOption && BuildConfig.zolOptionAvailable == 1; }

}  // namespace handheld
