// The handheld program's resources: one constant table per build (dialog templates, popup menus
// 1100 and 1110, the title screen's stand-in bitmaps).
#pragma once

#include <plat/resources.h>

namespace handheld {

// The table of the build that BuildConfig describes.
const ResourceTableT& HandheldResources();

// Registers HandheldResources() as the process's resources.
void RegisterHandheldResources();

}  // namespace handheld
