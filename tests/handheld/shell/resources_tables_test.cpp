// The handheld builds' resource tables: every bitmap the title screen names for a build is there at
// a size the layout allows, and the logging window's popup menus carry their items.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/state.h"
#include "engine_test_support.h"
#include "resources/resources.h"
#include "shell/title.h"

namespace {

using namespace handheld;

class ResourceTables : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::test::Reset();
    ResetEngineState();
  }

  static void Use(int model, int ice, int root) {
    test::UseBuild(model, ice, root);
    RegisterHandheldResources();
  }
};

struct Size {
  int cx;
  int cy;
};

// The loaded bitmap's size; {-1, -1} when the name is missing.
Size BitmapSize(const wchar_t* name) {
  HBITMAP bitmap = LoadBitmapW(nullptr, name);
  if (bitmap == nullptr) return {-1, -1};
  BITMAP info{};
  EXPECT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  DeleteObject(bitmap);
  return {info.bmWidth, info.bmHeight};
}

TEST_F(ResourceTables, EveryBuildHoldsTheBitmapsItsTitleScreenNamesWithinTheLayoutSizes) {
  for (int model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    for (int ice = 0; ice <= 1; ++ice) {
      for (int root = 0; root <= 1; ++root) {
        Use(model, ice, root);
        for (int portrait = 0; portrait <= 1; ++portrait) {
          SCOPED_TRACE(testing::Message() << "model " << model << " ice " << ice << " root " << root
                                          << " portrait " << portrait);
          const TitleBitmapNames names = ChooseTitleBitmaps(model, portrait, root, ice);
          const Size strip = BitmapSize(names.sideStrip);
          EXPECT_EQ(strip.cx, portrait ? 48 : 36);
          EXPECT_EQ(strip.cy, portrait ? 320 : 240);
          const Size logo = BitmapSize(names.logo);
          EXPECT_GT(logo.cx, 0);
          EXPECT_GT(logo.cy, 0);
          EXPECT_LE(logo.cx, portrait ? 170 : 128);
          EXPECT_LE(logo.cy, portrait ? 18 : 40);
          if (model == kModelRz89) {
            EXPECT_EQ(names.title, nullptr);
            continue;
          }
          const Size title = BitmapSize(names.title);
          EXPECT_GT(title.cx, 0);
          EXPECT_GT(title.cy, 0);
          EXPECT_LE(title.cx, portrait ? 170 : 128);
          EXPECT_LE(title.cy, portrait ? 44 : 90);
        }
      }
    }
  }
}

TEST_F(ResourceTables, ABuildHoldsOnlyItsOwnTitlesAndNoUnknownDialog) {
  Use(kModelRz12, 1, 1);
  EXPECT_GT(BitmapSize(L"STATICTIT_ZOLMX").cx, 0);
  EXPECT_GT(BitmapSize(L"statictit_zolar").cx, 0);  // names ignore case
  EXPECT_EQ(BitmapSize(L"STATICTIT_RZ12").cx, -1);  // the drive-root build's title
  EXPECT_EQ(BitmapSize(L"STATICTIT_RZ12MX").cx, -1);
  Use(kModelRz12, 1, 0);
  EXPECT_GT(BitmapSize(L"STATICTIT_RZ12").cx, 0);
  EXPECT_EQ(BitmapSize(L"STATICTIT_ZOLMX").cx, -1);
  Use(kModelRz27, 0, 1);
  EXPECT_EQ(BitmapSize(L"STATICTIT_RZ12MX").cx, -1);

  // A name no template has opens nothing.
  Use(kModelRz12, 0, 1);
  EXPECT_NE(FindResourceW(nullptr, L"GetComment", RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceW(nullptr, L"GetNoSuchDialog", RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

  // A model outside the line has no resources.
  Use(9, 0, 1);
  EXPECT_EQ(BitmapSize(L"STATICBMPA").cx, -1);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1100), RT_MENU), nullptr);
}

// A menu item as the table holds it: text, id, separator.
struct Item {
  std::wstring text;
  int id;
  bool separator;
  bool operator==(const Item&) const = default;
};

// The single popup of menu `id`: its text and items; the popup text is "" when the menu is
// missing or not one popup.
std::vector<Item> PopupItems(int id, std::wstring* popupText) {
  popupText->clear();
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_MENU);
  if (res == nullptr) return {};
  const auto* menu = static_cast<const MenuT*>(LockResource(LoadResource(nullptr, res)));
  if (menu == nullptr || menu->count != 1 || (menu->items[0].flags & MF_POPUP) == 0) return {};
  const MenuItemT& popup = menu->items[0];
  *popupText = popup.text;
  std::vector<Item> out;
  for (int i = 0; i < popup.count; ++i) {
    const MenuItemT& item = popup.items[i];
    const bool separator = (item.flags & MF_SEPARATOR) != 0;
    out.push_back(Item{separator ? L"" : item.text, item.id, separator});
  }
  return out;
}

TEST_F(ResourceTables, PopupMenusOfTheLoggingWindow) {
  const std::vector<Item> file = {{L"&Scale", 1101, false},
                                  {L"&Display Options", 1102, false},
                                  {L"", 0, true},
                                  {L"&Hide Menu", 1106, false}};
  const std::vector<Item> mk2 = {{L"&Scale", 1101, false},
                                 {L"&Display Options", 1102, false},
                                 {L"", 0, true},
                                 {L"C&alibrate RZ27-MK2", 1111, false},
                                 {L"D&elete Calibration", 1112, false},
                                 {L"", 0, true},
                                 {L"&Hide Menu", 1106, false}};
  std::wstring popup;
  for (int model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    SCOPED_TRACE(model);
    Use(model, 0, 1);
    const bool isMk2 = model == kModelRz27Mk2;
    EXPECT_EQ(PopupItems(1100, &popup), isMk2 ? std::vector<Item>{} : file);
    EXPECT_EQ(popup, isMk2 ? L"" : L"&File");
    EXPECT_EQ(PopupItems(1110, &popup), isMk2 ? mk2 : std::vector<Item>{});
  }

  // The menu loads as a handle with its popup first, as the logging window tracks it.
  Use(kModelRz27Mk2, 0, 1);
  HMENU menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(1110));
  ASSERT_NE(menu, nullptr);
  EXPECT_NE(GetSubMenu(menu, 0), nullptr);
  EXPECT_TRUE(DestroyMenu(menu));
}

}  // namespace
