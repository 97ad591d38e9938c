// The desktop program's resources: one table per build (icon 108, the splash stand-in and the
// dialog templates the build opens).
#pragma once

#include <plat/resources.h>

namespace desktop {

// The table of the build that BuildConfig describes.
const ResourceTableT& DesktopResources();
// Registers DesktopResources() as the process's resources.
void RegisterDesktopResources();

}  // namespace desktop
