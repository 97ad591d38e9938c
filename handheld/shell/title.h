// The title screen's choices: which stand-in bitmaps and which version text a build shows.
#pragma once

#include <cstdint>

namespace handheld {

// Resource names of the title screen's three bitmaps; nullptr where the build has none (the RZ89
// has no title bitmap: the panel shows in its place).
struct TitleBitmapNames {
  const wchar_t* sideStrip;
  const wchar_t* title;
  const wchar_t* logo;
};

// The bitmaps for a model (Model), orientation, storage root (nonzero "Storage\") and ice option
// (nonzero: built in; only the RZ12 has one). An unknown model names only the strip and logo.
TitleBitmapNames ChooseTitleBitmaps(int32_t modelIndex, int32_t portrait, int32_t storageRoot,
                                    int32_t zolOptionAvailable);

// "Version 2.11" on the RZ12 and RZ45, "Version 2.10" on every other model.
const wchar_t* TitleVersionText(int32_t modelIndex);

}  // namespace handheld
