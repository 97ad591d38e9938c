// Placeholder of the resource tables until they land: an empty table.
#include "resources/resources.h"

namespace handheld {

const ResourceTableT& HandheldResources() {
  static const ResourceTableT table{};
  return table;
}

void RegisterHandheldResources() { plat::RegisterResources(HandheldResources()); }

}  // namespace handheld
