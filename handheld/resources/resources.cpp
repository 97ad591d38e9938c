// The handheld program's resource tables: one constant table per build (model, ice option, storage
// root), made at compile time from per-model rows. Bitmaps are generated stand-ins: a solid colour
// with the instrument's name, at the sizes the title screen lays out.
#include "resources/resources.h"

#include <array>
#include <iterator>
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
// side strip), its title bitmaps and its menus, from the model's row (the RZ12 twice: without and
// with the ice option). Its dialog templates come from the template groups (templates.h).
struct ModelResources {
  int32_t model;
  int32_t iceOption;
  const wchar_t* instrument;
  const wchar_t* strip;
  TitleBitmaps titles;
  const MenuT* menus;
  std::size_t menuCount;
};

constexpr ModelResources Resources(const ModelRow& row, bool ice) {
  const bool calibrates = row.calibrates;
  return ModelResources{row.model,
                        ice ? 1 : 0,
                        ice ? kIceVariant.instrument : row.instrument,
                        ice ? kIceVariant.strip : row.strip,
                        ice ? kIceVariant.titles : row.titles,
                        calibrates ? kMk2Menus : kMenus,
                        calibrates ? std::size(kMk2Menus) : std::size(kMenus)};
}

constexpr std::size_t kIceRows = [] {
  std::size_t n = 0;
  for (const ModelRow& row : kModelRows) n += row.iceOption ? 1 : 0;
  return n;
}();
constexpr std::size_t kResourceRows = std::size(kModelRows) + kIceRows;

constexpr std::array<ModelResources, kResourceRows> kModels = [] {
  std::array<ModelResources, kResourceRows> rows{};
  std::size_t n = 0;
  for (const ModelRow& row : kModelRows) {
    rows[n++] = Resources(row, false);
    if (row.iceOption) rows[n++] = Resources(row, true);
  }
  return rows;
}();

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
  if (m.titles.portrait != nullptr) {
    add(BitmapTitle(m.titles.portrait, kTitlePortrait[0], kTitlePortrait[1], m.instrument));
  }
  const wchar_t* landscape = storageRoot != 0 ? m.titles.landscapeStorage : m.titles.landscapeDrive;
  if (landscape != nullptr) add(BitmapTitle(landscape, kTitleLandscape[0], kTitleLandscape[1], m.instrument));
  return b;
}

// Every model's build at storage root 1 (first half) and 0 (second half).
constexpr std::array<Build, 2 * kResourceRows> kBuilds = [] {
  std::array<Build, 2 * kResourceRows> builds{};
  for (std::size_t i = 0; i < kResourceRows; ++i) {
    builds[i] = MakeBuild(kModels[i], 1);
    builds[kResourceRows + i] = MakeBuild(kModels[i], 0);
  }
  return builds;
}();

// A build's table: its model's menus, its bitmaps and the dialog templates it uses, composed once.
struct Table {
  std::vector<DlgTemplateT> dialogs;
  ResourceTableT table;
};

const std::array<Table, 2 * kResourceRows>& Tables() {
  static const std::array<Table, 2 * kResourceRows> tables = [] {
    std::array<Table, 2 * kResourceRows> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
      const ModelResources& m = kModels[i % kResourceRows];
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
  const int32_t ice = BuildModel().iceOption && BuildConfig.zolOptionAvailable != 0 ? 1 : 0;
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
