// The handheld program's resource tables: one constant table per build (model, ice option, storage
// root), made at compile time from per-model rows. Bitmaps are generated stand-ins: a solid colour
// with the instrument's name, at the sizes the title screen lays out.
#include "resources/resources.h"

#include <array>
#include <vector>

#include "engine/state.h"
#include "resources/templates.h"

namespace handheld {
namespace {

// ---- Popup menus of the logging window ---------------------------------------------------------
constexpr MenuItemT kFileItems[] = {MenuString(L"&Scale", 1101), MenuString(L"&Display Options", 1102),
                                    MenuSeparator(), MenuString(L"&Hide Menu", 1106)};
constexpr MenuItemT kFilePopup[] = {MenuPopup(L"&File", kFileItems)};
constexpr MenuItemT kMk2FileItems[] = {MenuString(L"&Scale", 1101),
                                       MenuString(L"&Display Options", 1102),
                                       MenuSeparator(),
                                       MenuString(L"C&alibrate RZ27-MK2", 1111),
                                       MenuString(L"D&elete Calibration", 1112),
                                       MenuSeparator(),
                                       MenuString(L"&Hide Menu", 1106)};
constexpr MenuItemT kMk2FilePopup[] = {MenuPopup(L"&File", kMk2FileItems)};

constexpr MenuT kMenus[] = {MenuDef(1100, kFilePopup)};
constexpr MenuT kMk2Menus[] = {MenuDef(1110, kMk2FilePopup)};

// ---- Per-model rows --------------------------------------------------------------------------
// What a model's builds hold: the instrument's name for the stand-ins (a shorter one for the narrow
// side strip), its title bitmaps (portrait,
// landscape on a storage-root build, landscape otherwise; none on the RZ89) and its menus. Its
// dialog templates come from the template groups (templates.h).
struct ModelResources {
  int32_t model;
  int32_t iceOption;
  const wchar_t* instrument;
  const wchar_t* strip;
  const wchar_t* titlePortrait;
  const wchar_t* titleStorage;
  const wchar_t* titleDrive;
  const MenuT* menus;
  std::size_t menuCount;
};

template <std::size_t N>
constexpr ModelResources Model(int32_t model, int32_t iceOption, const wchar_t* instrument, const wchar_t* strip,
                               const wchar_t* portrait, const wchar_t* storage, const wchar_t* drive,
                               const MenuT (&menus)[N]) {
  return ModelResources{model, iceOption, instrument, strip, portrait, storage, drive, menus, N};
}

constexpr ModelResources kModels[] = {
    Model(kModelRz12, 0, L"RZ12", L"RZ12", L"STATICTIT_RZ12AR", L"STATICTIT_RZ12MX", L"STATICTIT_RZ12", kMenus),
    Model(kModelRz12, 1, L"RZ12 ZOL", L"ZOL", L"STATICTIT_ZOLAR", L"STATICTIT_ZOLMX", L"STATICTIT_RZ12", kMenus),
    Model(kModelRz27B, 0, L"RZ27B", L"RZ27B", L"STATICTIT_RZ27BAR", L"STATICTIT_RZ27BMX", L"STATICTIT_RZ27B", kMenus),
    Model(kModelRz27Dd, 0, L"RZ27-DD", L"RZ27", L"STATICTIT_RZ27DDAR", L"STATICTIT_RZ27DDMX", L"STATICTIT_RZ27DD", kMenus),
    Model(kModelRz27, 0, L"RZ27", L"RZ27", L"STATICTIT_RZ27AR", L"STATICTIT_RZ27MX", L"STATICTIT_RZ27", kMenus),
    Model(kModelRz45, 0, L"RZ45", L"RZ45", L"STATICTIT_RZ45AR", L"STATICTIT_RZ45MX", L"STATICTIT_RZ45", kMenus),
    Model(kModelRz89, 0, L"RZ89", L"RZ89", nullptr, nullptr, nullptr, kMenus),
    Model(kModelZol12, 0, L"ZOL12", L"ZOL12", L"STATICTIT_ZOL12AR", L"STATICTIT_ZOL12MX", L"STATICTIT_ZOL12", kMenus),
    Model(kModelRz27Mk2, 0, L"RZ27-MK2", L"RZ27", L"STATICTIT_RZ27MK2AR", L"STATICTIT_RZ27MK2MX", L"STATICTIT_RZ27MK2",
          kMk2Menus),
};
constexpr std::size_t kModelCount = sizeof kModels / sizeof kModels[0];

// ---- Builds ----------------------------------------------------------------------------------
// Stand-in sizes: side strip, title and bottom logo, landscape then portrait.
constexpr int16_t kStripLandscape[2] = {36, 240}, kStripPortrait[2] = {48, 320};
constexpr int16_t kTitleLandscape[2] = {128, 90}, kTitlePortrait[2] = {170, 44};
constexpr int16_t kLogoLandscape[2] = {128, 40}, kLogoPortrait[2] = {170, 18};

constexpr std::size_t kMaxBitmaps = 6;

struct Build {
  int32_t model;
  int32_t iceOption;
  int32_t storageRoot;
  std::array<BitmapT, kMaxBitmaps> bitmaps;
  std::size_t bitmapCount;
};

// A build's bitmaps: the side strip and logo in both orientations, and its titles in both at its
// storage root.
constexpr Build MakeBuild(const ModelResources& m, int32_t storageRoot) {
  Build b{m.model, m.iceOption, storageRoot, {}, 0};
  auto add = [&b](const BitmapT& bitmap) { b.bitmaps[b.bitmapCount++] = bitmap; };
  add(BitmapSideStrip(L"STATICBMPA", kStripLandscape[0], kStripLandscape[1], m.strip, 13));
  add(BitmapSideStrip(L"STATICBMPAAR", kStripPortrait[0], kStripPortrait[1], m.strip, 13));
  add(BitmapLogo(L"STATICLEAD", kLogoLandscape[0], kLogoLandscape[1], m.instrument));
  add(BitmapLogo(L"STATICLEADAR", kLogoPortrait[0], kLogoPortrait[1], m.instrument));
  if (m.titlePortrait != nullptr) add(BitmapTitle(m.titlePortrait, kTitlePortrait[0], kTitlePortrait[1], m.instrument));
  const wchar_t* landscape = storageRoot != 0 ? m.titleStorage : m.titleDrive;
  if (landscape != nullptr) add(BitmapTitle(landscape, kTitleLandscape[0], kTitleLandscape[1], m.instrument));
  return b;
}

// Every model's build at storage root 1 (first half) and 0 (second half).
constexpr std::array<Build, 2 * kModelCount> kBuilds = [] {
  std::array<Build, 2 * kModelCount> builds{};
  for (std::size_t i = 0; i < kModelCount; ++i) {
    builds[i] = MakeBuild(kModels[i], 1);
    builds[kModelCount + i] = MakeBuild(kModels[i], 0);
  }
  return builds;
}();

// A build's table: its model's menus, its bitmaps and the dialog templates it uses, composed once.
struct Table {
  std::vector<DlgTemplateT> dialogs;
  ResourceTableT table;
};

const std::array<Table, 2 * kModelCount>& Tables() {
  static const std::array<Table, 2 * kModelCount> tables = [] {
    std::array<Table, 2 * kModelCount> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
      const ModelResources& m = kModels[i % kModelCount];
      const Build& b = kBuilds[i];
      t[i].dialogs = BuildTemplates(ResourceBuild{b.model, b.iceOption, b.storageRoot});
      t[i].table = ResourceTableT{t[i].dialogs.data(), t[i].dialogs.size(), m.menus, m.menuCount,
                                  b.bitmaps.data(),    b.bitmapCount,       nullptr, 0};
    }
    return t;
  }();
  return tables;
}

// A build with no resources of its own (a model outside the line).
constexpr ResourceTableT kEmptyTable{};

}  // namespace

const ResourceTableT& HandheldResources() {
  // The ice option exists only on the RZ12; other models ignore the switch.
  const int32_t model = BuildConfig.modelIndex;
  const int32_t ice = model == kModelRz12 && BuildConfig.zolOptionAvailable != 0 ? 1 : 0;
  const int32_t root = BuildConfig.storageRoot != 0 ? 1 : 0;
  for (std::size_t i = 0; i < kBuilds.size(); ++i) {
    const Build& b = kBuilds[i];
    if (b.model == model && b.iceOption == ice && b.storageRoot == root) return Tables()[i].table;
  }
  return kEmptyTable;
}

std::vector<DlgTemplateT> BuildTemplates(const ResourceBuild& build) {
  TemplateList list;
  AddRunDialogTemplates(build, list);
  AddSetupDialogTemplates(build, list);
  return list;
}

void RegisterHandheldResources() { plat::RegisterResources(HandheldResources()); }

}  // namespace handheld
