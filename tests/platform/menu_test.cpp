// Popup menus: handles from constant trees and their destruction, placement inside the screen,
// keys and clicks, the choice posted after the call returns (or returned), cancelling by another
// modal UI, and the loop serving sends and timers.
// test-labels: threads
#include "boxes_test_util.h"

namespace {

using boxtest::ModalUiTest;
using plat::test::ModalKind;

constexpr MenuItemT kFileItems[] = {
    MenuString(L"&Scale", 1101),           MenuString(L"&Display Options", 1102),
    MenuSeparator(),                       MenuString(L"&Grey", 1107, MF_GRAYED),
    MenuString(L"&Hide Menu", 1106),
};
constexpr MenuItemT kTop[] = {MenuPopup(L"&File", kFileItems)};
constexpr MenuT kMenu = MenuDef(1100, kTop);

class MenuTest : public ModalUiTest {
 protected:
  void SetUp() override {
    ModalUiTest::SetUp();
    ResourceTableT table;
    table.menus = &kMenu;
    table.menuCount = 1;
    plat::RegisterResources(table);
  }
  void TearDown() override {
    if (menu) DestroyMenu(menu);
    ModalUiTest::TearDown();
  }
  // Loads the test menu and returns its popup.
  HMENU Popup() {
    menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(1100));
    return GetSubMenu(menu, 0);
  }
  // The wParam of every WM_COMMAND the main window has seen.
  std::vector<WPARAM> Commands() {
    std::vector<WPARAM> out;
    for (const auto& s : rec.Of(WM_COMMAND)) out.push_back(s.wParam);
    return out;
  }
  static int ItemHeight() {
    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight + 4;
  }
  // The client point in the middle of row i (items, then the separator's 8 px after row 1).
  static POINT RowCentre(int i) {
    const int h = ItemHeight();
    const int top = i < 2 ? i * h : i == 2 ? 2 * h : 2 * h + 8 + (i - 3) * h;
    return POINT{20, top + (i == 2 ? 4 : h / 2)};
  }

  HMENU menu = nullptr;
};

TEST_F(MenuTest, DestroyedInEitherOrderEachMenuIsFreedOnce) {
  for (bool parentFirst : {true, false}) {
    SCOPED_TRACE(parentFirst ? "parent first" : "submenu first");
    HMENU top = parentFirst ? LoadMenuW(nullptr, MAKEINTRESOURCEW(1100)) : LoadMenuA(nullptr, MAKEINTRESOURCEA(1100));
    HMENU sub = GetSubMenu(top, 0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetSubMenu(top, 1), nullptr);
    EXPECT_EQ(GetSubMenu(top, -1), nullptr);
    EXPECT_EQ(GetSubMenu(sub, 0), nullptr);  // a command item
    HMENU first = parentFirst ? top : sub;
    HMENU second = parentFirst ? sub : top;
    EXPECT_TRUE(DestroyMenu(first));
    if (!parentFirst) {
      EXPECT_EQ(GetSubMenu(top, 0), nullptr);  // detached
    }
    // The parent took its submenu along; a detached submenu left its parent alone.
    EXPECT_EQ(DestroyMenu(second), parentFirst ? FALSE : TRUE);
    EXPECT_FALSE(DestroyMenu(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(DestroyMenu(second));
  }
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(4242)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadMenuA(nullptr, "nothing"), nullptr);
  EXPECT_EQ(LoadMenuW(nullptr, nullptr), nullptr);
  EXPECT_FALSE(TrackPopupMenuEx(reinterpret_cast<HMENU>(0x4444), 0, 0, 0, main, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

TEST_F(MenuTest, IsAlignedAtThePointAndKeptInsideTheScreen) {
  constexpr int kAny = -1000;
  struct Case {
    int cx, cy;  // screen
    UINT flags;
    int x, y;
    int left, right, top;  // expected, or kAny
    const char* name;
  };
  const Case cases[] = {
      {320, 240, TPM_RIGHTALIGN | TPM_TOPALIGN, 220, 10, kAny, 220, 10, "landscape, right-aligned"},
      {240, 320, TPM_LEFTALIGN | TPM_TOPALIGN, 20, 10, 20, kAny, 10, "portrait, left-aligned"},
      {320, 240, TPM_RIGHTALIGN, 10, 10, 0, kAny, 10, "pushed right"},
      {320, 240, TPM_LEFTALIGN, 310, 235, kAny, 320, kAny, "pushed left and up"},
      {320, 240, TPM_LEFTALIGN, -50, -50, 0, kAny, 0, "pushed right and down"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::test::Reset(plat::Profile::Handheld, {c.cx, c.cy});
    SetUp();
    RECT r{};
    bool ownerEnabled = false;
    Then([&](HWND m, ModalKind kind) {
      EXPECT_EQ(kind, ModalKind::Menu);
      r = plat::test::WindowRect(m);
      ownerEnabled = IsWindowEnabled(main) != FALSE;
      boxtest::Keys({VK_ESCAPE});
    });
    EXPECT_TRUE(TrackPopupMenuEx(Popup(), c.flags, c.x, c.y, main, nullptr));
    EXPECT_TRUE(ownerEnabled);  // a menu leaves its owner enabled
    EXPECT_GT(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 4 * ItemHeight() + 8 + 2);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, c.cx);
    EXPECT_LE(r.bottom, c.cy);
    EXPECT_EQ(c.left == kAny ? r.left : c.left, r.left);
    EXPECT_EQ(c.right == kAny ? r.right : c.right, r.right);
    EXPECT_EQ(c.top == kAny ? r.top : c.top, r.top);
    DestroyMenu(menu);
    menu = nullptr;
  }
}

TEST_F(MenuTest, TheChoiceIsPostedAfterTheCallReturnsAndACancelPostsNothing) {
  Then([&](HWND, ModalKind) { boxtest::Keys({VK_DOWN, VK_DOWN, VK_RETURN}); });
  EXPECT_NE(TrackPopupMenuEx(Popup(), TPM_RIGHTALIGN, 220, 10, main, nullptr), 0);
  EXPECT_TRUE(Commands().empty());  // not yet: it is posted
  plat::test::PumpUntilIdle();
  ASSERT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(1102, 0)});
  EXPECT_EQ(rec.Of(WM_COMMAND)[0].lParam, 0);

  rec.Clear();
  Then([&](HWND, ModalKind) { boxtest::Keys({VK_DOWN, VK_ESCAPE}); });
  EXPECT_NE(TrackPopupMenuEx(GetSubMenu(menu, 0), 0, 20, 10, main, nullptr), 0);
  plat::test::PumpUntilIdle();
  EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuTest, KeysAndClicksChooseOrCancel) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    int clickRow;  // -1: none; 99: a click on the owner outside the menu
    UINT result;
  };
  const Case cases[] = {
      {"Down Enter", {VK_DOWN, VK_RETURN}, -1, 1101},
      {"Up wraps to the last", {VK_UP, VK_RETURN}, -1, 1106},
      {"Down skips the separator", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, -1, 1106},
      {"Down wraps to the first", {VK_UP, VK_DOWN, VK_RETURN}, -1, 1101},
      {"a mnemonic", {'D'}, -1, 1102},
      {"a grey item's mnemonic does nothing", {'G', 'H'}, -1, 1106},
      {"Enter on a grey item does nothing", {VK_UP, VK_UP, VK_RETURN, VK_ESCAPE}, -1, 0},
      {"Enter with nothing highlighted does nothing", {VK_RETURN, 'S'}, -1, 1101},
      {"Escape", {VK_ESCAPE}, -1, 0},
      {"a click on an item", {}, 1, 1102},
      {"a click on the separator does nothing", {VK_ESCAPE}, 2, 0},
      {"a click outside cancels", {}, 99, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec.Clear();
    Then([&](HWND m, ModalKind) {
      if (c.clickRow == 99) {
        plat::test::Click(main, 5, 300);
      } else if (c.clickRow >= 0) {
        const POINT p = RowCentre(c.clickRow);
        plat::test::Click(m, p.x, p.y);
      }
      boxtest::Keys(c.keys);
    });
    const UINT got = static_cast<UINT>(
        TrackPopupMenuEx(menu ? GetSubMenu(menu, 0) : Popup(), TPM_LEFTALIGN | TPM_RETURNCMD, 20, 10, main, nullptr));
    EXPECT_EQ(got, c.result);
    plat::test::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());  // TPM_RETURNCMD posts nothing
    EXPECT_TRUE(rec.Of(WM_LBUTTONDOWN).empty());  // the click outside was consumed
    EXPECT_TRUE(rec.Of(WM_KEYDOWN).empty());
  }
}

TEST_F(MenuTest, DrawsRowsOfTextHeightPlusFourWithTheHighlight) {
  Then([&](HWND m, ModalKind) {
    boxtest::Keys({VK_DOWN});
    plat::test::PumpUntilIdle();
    const int h = ItemHeight();
    EXPECT_EQ(plat::test::WindowPixel(m, 3, h / 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(plat::test::WindowPixel(m, 3, h + h / 2), GetSysColor(COLOR_WINDOW));
    auto scale = plat::test::FindText(L"Scale");
    auto hide = plat::test::FindText(L"Hide Menu");
    ASSERT_TRUE(scale && hide);
    EXPECT_EQ(scale->textColor, GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(hide->rect.top - scale->rect.top, 3 * h + 8);
    EXPECT_EQ(plat::test::FindText(L"Grey")->textColor, GetSysColor(COLOR_GRAYTEXT));
    boxtest::Keys({VK_ESCAPE});
  });
  plat::test::EnableDrawLog(true);
  EXPECT_EQ(TrackPopupMenuEx(Popup(), TPM_RETURNCMD, 20, 10, main, nullptr), 0);
}

// The watchdog's box opening while the logging menu tracks: the menu goes first and posts nothing.
TEST_F(MenuTest, ABoxOpeningDuringTrackingCancelsTheMenu) {
  StartClock();
  for (UINT flags : {0u, static_cast<UINT>(TPM_RETURNCMD)}) {
    SCOPED_TRACE(flags);
    rec.Clear();
    HWND menuWnd = nullptr;
    On(WM_TIMER, [&](HWND h, WPARAM id, LPARAM, LRESULT*) {
      KillTimer(h, id);
      EXPECT_EQ(MessageBoxW(main, L"NO CONNECTION Press <ENTER> to STOP", L"NO CONNECTION", MB_OK), IDOK);
      return true;
    });
    Then([&](HWND m, ModalKind) {
      menuWnd = m;
      boxtest::Keys({VK_DOWN});  // highlighted, not chosen
      SetTimer(main, 1, 300, nullptr);
    });
    Then([&](HWND box, ModalKind kind) {
      EXPECT_EQ(kind, ModalKind::MessageBox);
      EXPECT_FALSE(IsWindow(menuWnd));
      EXPECT_EQ(plat::detail::TrackingMenuWindow(), nullptr);
      EXPECT_FALSE(plat::detail::ScriptChooseMenuItem(menuWnd, 1101));
      plat::detail::ScriptAnswerBox(box, IDOK);
    });
    const BOOL r = TrackPopupMenuEx(menu ? GetSubMenu(menu, 0) : Popup(), flags | TPM_RIGHTALIGN, 220, 10, main,
                                    nullptr);
    EXPECT_EQ(r, flags ? 0 : TRUE);
    plat::test::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(plat::test::ModalStack().empty());
  }
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 4u);
  for (size_t i : {0u, 2u}) {
    EXPECT_EQ(log[i].kind, ModalKind::Menu);
    EXPECT_TRUE(log[i].hasResult);
    EXPECT_EQ(log[i].result, 0);  // cancelled: no item
  }
}

TEST_F(MenuTest, ScriptedChoicesFollowTheSameRules) {
  Then([&](HWND m, ModalKind) {
    std::vector<plat::detail::MenuRow> rows;
    ASSERT_TRUE(plat::detail::TrackingMenuRows(m, &rows));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2].flags, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(rows[4].text, L"&Hide Menu");
    EXPECT_EQ(plat::detail::TrackingMenuWindow(), m);
    EXPECT_FALSE(plat::detail::ScriptChooseMenuItem(m, 1107));  // grey
    EXPECT_FALSE(plat::detail::ScriptChooseMenuItem(m, 4242));
    EXPECT_TRUE(plat::detail::ScriptChooseMenuItem(m, 1106));
  });
  EXPECT_TRUE(TrackPopupMenuEx(Popup(), 0, 20, 10, main, nullptr));
  plat::test::PumpUntilIdle();
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(1106, 0)});

  Then([&](HWND m, ModalKind) { EXPECT_TRUE(plat::detail::ScriptCancelMenu(m)); });
  EXPECT_EQ(TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RETURNCMD, 20, 10, main, nullptr), 0);
}

TEST_F(MenuTest, InsideAMenuAWorkersSendCompletesAndATimerKeepsTicking) {
  ExpectSendsAndTicksInside([](HWND m) { plat::detail::ScriptChooseMenuItem(m, 1101); }, [&] {
    EXPECT_EQ(TrackPopupMenuEx(Popup(), TPM_RETURNCMD, 20, 10, main, nullptr), 1101);
  });
}

}  // namespace
