// The desktop program's resource tables. The splash bitmaps are generated stand-ins: 484 x 271,
// 24 bits, a solid colour with the instrument's name, under the name the start screen loads.
#include "resources/resources.h"

#include <vector>

#include "engine/models.h"
#include "engine/state.h"
#include "resources/templates.h"

namespace desktop {
namespace {

constexpr IconT kIcons[] = {{108}};

constexpr BitmapT Splash(const wchar_t* name, const wchar_t* instrument) {
  return BitmapSolid(name, 484, 271, RGB(0, 64, 128), RGB(255, 255, 255), instrument, 28, true, 24);
}

// One splash per model, -2 to 7, in model order; the ZOL12 has none.
constexpr BitmapT kSplashes[] = {
    Splash(L"SPLASH56MK2", L"RZ56"),     Splash(L"SPLASH56MK2", L"RZ56-MK2"), Splash(L"SPLASH12", L"RZ12"),
    Splash(L"SPLASH27B", L"RZ27B"),      Splash(L"SPLASH27DD", L"RZ27-DD"),   Splash(L"SPLASH27", L"RZ27"),
    Splash(L"SPLASH45", L"RZ45-3"),      Splash(L"SPLASH27MK2", L"RZ89"),     Splash(L"", L"ZOL12"),  // unused
    Splash(L"SPLASH27MK2", L"RZ27-MK2"),
};

ResourceTableT TableOf(int32_t model) {
  // The templates live for the rest of the run, one list per model.
  static std::vector<DlgTemplateT> dialogs[kModelLast - kModelFirst + 1];
  std::vector<DlgTemplateT>& held = dialogs[RowOf(model).model - kModelFirst];
  held = SetupTemplates(model);
  ResourceTableT t;
  t.dialogs = held.data();
  t.dialogCount = held.size();
  t.icons = kIcons;
  t.iconCount = 1;
  if (RowOf(model).splash != nullptr) {
    t.bitmaps = &kSplashes[RowOf(model).model - kModelFirst];
    t.bitmapCount = 1;
  }
  return t;
}

}  // namespace

const ResourceTableT& DesktopResources() {
  static const ResourceTableT tables[] = {TableOf(-2), TableOf(-1), TableOf(0), TableOf(1), TableOf(2),
                                          TableOf(3),  TableOf(4),  TableOf(5), TableOf(6), TableOf(7)};
  return tables[RowOf(BuildConfig.modelIndex).model - kModelFirst];
}

void RegisterDesktopResources() { plat::RegisterResources(DesktopResources()); }

}  // namespace desktop
