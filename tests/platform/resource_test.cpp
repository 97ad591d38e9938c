// The resource registry: lookup by name ignoring case and by integer id, the stand-in bitmaps,
// icons, a new table replacing the old one, and the template checks.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <string>

namespace {

constexpr DlgItemT kGpsItems[] = {
    DlgEdit(854, 5, 5, 120, 12),
    DlgCText(853, L"Enter GPS message to be sent", 5, 22, 120, 10),
};
constexpr DlgItemT kCommentItems[] = {DlgEdit(851, 10, 8, 70, 12)};
constexpr DWORD kHandheldStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr DlgTemplateT kDialogs[] = {
    DlgDef(L"GETGPSMESSAGE", L"GPS Message", kHandheldStyle, WS_EX_CAPTIONOKBTN, 0, 0, 130, 40, L"MS Sans Serif", 9,
           kGpsItems),
    DlgDef(L"GetComment", L"Enter Comment", kHandheldStyle, WS_EX_CAPTIONOKBTN, 0, 0, 90, 60, L"MS Sans Serif", 9,
           kCommentItems),
};
constexpr MenuItemT kLogItems[] = {MenuString(L"&Start", 1101), MenuSeparator(), MenuString(L"E&xit", 1102)};
constexpr MenuItemT kLogTop[] = {MenuPopup(L"Log", kLogItems)};
constexpr MenuT kMenus[] = {MenuDef(1100, kLogTop)};
constexpr BitmapT kBitmaps[] = {
    BitmapSideStrip(L"SideStrip", 36, 240, L"RZ12"),
    BitmapTitle(L"Title", 170, 44, L"RZ12"),
    BitmapLogo(L"Logo", 128, 40, L"Survey"),
    BitmapSolid(L"Splash", 484, 271, RGB(0, 128, 0), RGB(255, 255, 0), L"RZ56", 28, true, 24),
    BitmapSolid(L"Plain", 20, 10, RGB(1, 2, 3), RGB(0, 0, 0), nullptr, 14, false, 32),
};
constexpr IconT kIcons[] = {{108}};

ResourceTableT Table() {
  ResourceTableT t;
  t.dialogs = kDialogs;
  t.dialogCount = std::size(kDialogs);
  t.menus = kMenus;
  t.menuCount = std::size(kMenus);
  t.bitmaps = kBitmaps;
  t.bitmapCount = std::size(kBitmaps);
  t.icons = kIcons;
  t.iconCount = std::size(kIcons);
  return t;
}

class ResourceTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::RegisterResources(Table()); }
  void TearDown() override { plat::test::Reset(); }
};

const void* Locked(HRSRC r) { return LockResource(LoadResource(nullptr, r)); }

TEST_F(ResourceTest, NamesIgnoreCaseAndIdsComeAsIntResources) {
  HRSRC gps = FindResourceW(nullptr, L"GetGPSMessage", RT_DIALOG);
  ASSERT_NE(gps, nullptr);
  EXPECT_EQ(Locked(gps), &kDialogs[0]);
  EXPECT_EQ(FindResourceW(nullptr, L"getgpsmessage", RT_DIALOG), gps);  // one handle per entry
  EXPECT_EQ(Locked(FindResourceA(nullptr, "GETCOMMENT", MAKEINTRESOURCEA(5))), &kDialogs[1]);
  EXPECT_EQ(Locked(FindResourceW(nullptr, MAKEINTRESOURCEW(1100), RT_MENU)), &kMenus[0]);
  EXPECT_EQ(Locked(FindResourceA(nullptr, MAKEINTRESOURCEA(1100), MAKEINTRESOURCEA(4))), &kMenus[0]);
  EXPECT_EQ(Locked(FindResourceW(nullptr, L"logo", RT_BITMAP)), &kBitmaps[2]);
  EXPECT_EQ(Locked(FindResourceW(nullptr, MAKEINTRESOURCEW(108), RT_GROUP_ICON)), &kIcons[0]);
}

TEST_F(ResourceTest, MissingNamesIdsAndTypesGiveNull) {
  struct Case {
    LPCWSTR name;
    LPCWSTR type;
  };
  const Case cases[] = {
      {L"GetGPSMessag", RT_DIALOG},          // no such name
      {L"GetGPSMessage", RT_MENU},           // a dialog's name as a menu
      {MAKEINTRESOURCEW(1110), RT_MENU},     // no such id
      {L"1100", RT_MENU},                    // a menu by id only
      {MAKEINTRESOURCEW(5), RT_DIALOG},      // templates by name only
      {L"GetComment", MAKEINTRESOURCEW(6)},  // a type the registry has not
      {L"GetComment", L"DIALOG"},
      {nullptr, RT_DIALOG},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(FindResourceW(nullptr, c.name, c.type), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  }
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  EXPECT_EQ(LockResource(reinterpret_cast<HGLOBAL>(uintptr_t{0x1234})), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, L"NoSuchBitmap"), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, nullptr), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(109)), nullptr);
}

TEST_F(ResourceTest, ANewTableReplacesTheOldAndItsHandlesGoStale) {
  HRSRC gps = FindResourceW(nullptr, L"GetGPSMessage", RT_DIALOG);
  ASSERT_NE(gps, nullptr);
  ResourceTableT menusOnly;
  menusOnly.menus = kMenus;
  menusOnly.menuCount = 1;
  menusOnly.dialogCount = 5;  // a count without its array means none
  plat::RegisterResources(menusOnly);
  EXPECT_EQ(LockResource(LoadResource(nullptr, gps)), nullptr);
  EXPECT_EQ(FindResourceW(nullptr, L"GetGPSMessage", RT_DIALOG), nullptr);
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1100), RT_MENU), nullptr);
  plat::test::Reset();
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1100), RT_MENU), nullptr);
}

COLORREF BitmapPixel(HBITMAP bm, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

int CountColour(HBITMAP bm, int cx, int cy, COLORREF colour) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  int n = 0;
  for (int y = 0; y < cy; ++y) {
    for (int x = 0; x < cx; ++x) n += GetPixel(dc, x, y) == colour;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return n;
}

TEST_F(ResourceTest, StandInBitmapsReportTheirSizesAndShowTheirText) {
  struct Case {
    LPCWSTR name;
    LONG cx, cy;
    WORD bits;
    COLORREF background, text;
  };
  const Case cases[] = {
      {L"sidestrip", 36, 240, 24, RGB(0, 0, 128), RGB(255, 255, 255)},
      {L"TITLE", 170, 44, 24, RGB(255, 255, 255), RGB(0, 0, 0)},
      {L"Logo", 128, 40, 24, RGB(128, 128, 128), RGB(255, 255, 255)},
      {L"Splash", 484, 271, 24, RGB(0, 128, 0), RGB(255, 255, 0)},
      {L"Plain", 20, 10, 32, RGB(1, 2, 3), CLR_INVALID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    HBITMAP bm = LoadBitmapW(nullptr, c.name);
    ASSERT_NE(bm, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bm, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, c.cx);
    EXPECT_EQ(info.bmHeight, c.cy);
    EXPECT_EQ(info.bmBitsPixel, c.bits);
    EXPECT_EQ(BitmapPixel(bm, 0, 0), c.background);
    EXPECT_EQ(BitmapPixel(bm, c.cx - 1, c.cy - 1), c.background);
    const int textPixels = CountColour(bm, c.cx, c.cy, c.text);
    if (c.text == CLR_INVALID) {
      EXPECT_EQ(CountColour(bm, c.cx, c.cy, c.background), c.cx * c.cy);
    } else {
      EXPECT_GT(textPixels, 10);
    }
    EXPECT_TRUE(DeleteObject(bm));
  }
  // Each load is a bitmap of its own, also through the 8-bit call.
  HBITMAP a = LoadBitmapA(nullptr, "Logo");
  HBITMAP b = LoadBitmapA(nullptr, "Logo");
  EXPECT_NE(a, nullptr);
  EXPECT_NE(a, b);
  DeleteObject(a);
  EXPECT_EQ(BitmapPixel(b, 0, 0), RGB(128, 128, 128));
  DeleteObject(b);
}

TEST_F(ResourceTest, IconsById) {
  HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(108));
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(reinterpret_cast<HINSTANCE>(uintptr_t{0x400000}), MAKEINTRESOURCEA(108)), icon);
  EXPECT_EQ(LoadIconW(nullptr, L"108"), nullptr);
}

// ---- Template checks ----

constexpr DWORD kDesktopStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

TEST(CheckTemplate, AGoodTemplatePasses) {
  // The combo boxes' dropped lists reach over the rows below and past the client area.
  static constexpr DlgItemT items[] = {
      DlgLText(600, L"RZ12 Mode", 10, 4, 50, 8),   DlgComboBox(620, 62, 2, 50, 60),
      DlgLText(601, L"Readings/s", 10, 17, 50, 8), DlgEdit(621, 62, 15, 50, 10),
      DlgLText(602, L"Component", 10, 30, 50, 8),  DlgComboBox(622, 62, 28, 50, 60),
      DlgCheckBox(5, L"&Ice", 10, 42, 40, 10),     DlgGroupBox(1, L"Box", 2, 0, 118, 54),
  };
  constexpr DlgTemplateT t = DlgDef(L"GetSurveySetup12", L"Survey Setup", kHandheldStyle, WS_EX_CAPTIONOKBTN, 0, 0,
                                    122, 56, L"MS Sans Serif", 9, items);
  EXPECT_EQ(plat::test::CheckTemplate(t, plat::Profile::Handheld), std::vector<std::string>{});
  EXPECT_EQ(plat::test::CheckTemplate(t, plat::Profile::Handheld, {240, 320}), std::vector<std::string>{});
}

TEST(CheckTemplate, FlagsItemsOutsideOverlappingRowsLabelsThatDoNotFitAndTooLargeDialogs) {
  struct Case {
    const char* what;
    DlgItemT items[2];
    int16_t cx, cy;
    plat::test::Screen screen;
    const char* expected;  // a part of the one problem reported
  };
  const Case cases[] = {
      {"right edge", {DlgEdit(1, 80, 2, 21, 10), DlgLText(2, L"a", 0, 0, 10, 8)}, 100, 40, {}, "item 1"},
      {"negative", {DlgEdit(1, -1, 2, 20, 10), DlgLText(2, L"a", 0, 20, 10, 8)}, 100, 40, {}, "outside"},
      {"bottom", {DlgLText(2, L"a", 0, 0, 10, 8), DlgLText(3, L"b", 0, 35, 10, 8)}, 100, 40, {}, "item 3"},
      {"closed combo", {DlgComboBox(4, 0, 30, 40, 80), DlgLText(2, L"a", 0, 0, 10, 8)}, 100, 40, {}, "item 4"},
      {"edits", {DlgEdit(1, 0, 0, 40, 12), DlgEdit(2, 30, 11, 40, 12)}, 100, 40, {}, "item 1 (\"\") overlaps item 2"},
      {"combo and button",
       {DlgComboBox(1, 0, 0, 40, 60), DlgPushButton(2, L"Go", 0, 12, 40, 12)},
       100,
       40,
       {},
       "overlaps"},
      {"long label", {DlgLText(7, L"Readings per second", 0, 0, 30, 8), DlgEdit(1, 40, 0, 20, 12)}, 100, 40, {},
       "item 7"},
      {"wrapped label too low",
       {DlgLText(7, L"Maximum 11 characters", 0, 0, 40, 8), DlgEdit(1, 50, 0, 20, 12)},
       100,
       40,
       {},
       "does not fit"},
      {"screen", {DlgEdit(1, 0, 0, 20, 12), DlgLText(2, L"a", 0, 20, 10, 8)}, 167, 116, {240, 320}, "screen 240x320"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DlgTemplateT t{L"T", L"T", kHandheldStyle, 0, 0, 0, c.cx, c.cy, L"MS Sans Serif", 9, c.items, 2};
    const std::vector<std::string> problems = plat::test::CheckTemplate(t, plat::Profile::Handheld, c.screen);
    ASSERT_EQ(problems.size(), 1u) << (problems.empty() ? "" : problems[0]);
    EXPECT_NE(problems[0].find(c.expected), std::string::npos) << problems[0];
    EXPECT_EQ(problems[0].rfind("T: ", 0), 0u);
  }
  // A wrapped label with room for its lines fits; the same template fits a landscape screen.
  static constexpr DlgItemT wrapped[] = {DlgCText(850, L"Maximum 11 characters", 5, 26, 50, 20)};
  const DlgTemplateT ok{L"W", L"W", kHandheldStyle, 0, 0, 0, 167, 116, L"MS Sans Serif", 9, wrapped, 1};
  EXPECT_TRUE(plat::test::CheckTemplate(ok, plat::Profile::Handheld, {320, 240}).empty());
  // The desktop frame is larger: 3 px borders and a 19 px caption around 10-pt units.
  const DlgTemplateT wide{L"D", L"D", kDesktopStyle, 0, 0, 0, 452, 70, L"MS Sans Serif", 10, wrapped, 1};
  EXPECT_TRUE(plat::test::CheckTemplate(wide, plat::Profile::Desktop, {800, 574}).empty());  // 797 px wide
  const DlgTemplateT wider{L"D", L"D", kDesktopStyle, 0, 0, 0, 454, 70, L"MS Sans Serif", 10, wrapped, 1};
  EXPECT_EQ(plat::test::CheckTemplate(wider, plat::Profile::Desktop, {800, 574}).size(), 1u);  // 801 px
}

}  // namespace
