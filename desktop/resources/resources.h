// The desktop program's resources: one constant table per build (icon 108 and the splash
// stand-in; the dialog templates come with the dialogs).
#pragma once

#include <plat/resources.h>

namespace desktop {

// The table of the build that BuildConfig describes.
const ResourceTableT& DesktopResources();
// Registers DesktopResources() as the process's resources.
void RegisterDesktopResources();

}  // namespace desktop
