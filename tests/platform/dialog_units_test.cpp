// Dialog units and frames: MulDiv, the base-unit table, MapDialogRect, the frame by profile, the
// caption's OK box and close box, and the placement of a dialog.
#include "dialog_test_util.h"

namespace {

using namespace dlgtest;
using plat::Profile;

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {167, 6, 4, 251},  // 250.5
      {165, 6, 4, 248},  // 247.5
      {166, 6, 4, 249},
      {104, 14, 8, 182},
      {-167, 6, 4, -251},
      {167, -6, 4, -251},
      {167, 6, -4, -251},
      {-167, -6, -4, -251},
      {5, 3, 7, 2},  // 2.14
      {0, 9, 2, 0},
      {INT32_MAX, 2, 2, INT32_MAX},  // the product may exceed 32 bits
      {7, 1, 0, -1},                 // no divisor
      {INT32_MAX, 2, 1, -1},         // the result does not fit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
  }
}

TEST(DialogUnits, FixedTableByPointSize) {
  struct Case {
    int pointSize;
    Profile profile;
    int baseX, baseY, cell;
  };
  const Case cases[] = {
      {8, Profile::Desktop, 6, 13, 13},  {9, Profile::Handheld, 6, 14, 14}, {10, Profile::Desktop, 7, 16, 16},
      {7, Profile::Desktop, 6, 13, 13},  {12, Profile::Desktop, 7, 16, 16},
      {0, Profile::Handheld, 6, 14, 14},  // the system font
      {0, Profile::Desktop, 7, 16, 16},
  };
  for (const Case& c : cases) {
    const plat::DialogUnits u = plat::DialogUnitsFor(c.pointSize, c.profile);
    EXPECT_EQ(u.baseX, c.baseX) << c.pointSize;
    EXPECT_EQ(u.baseY, c.baseY) << c.pointSize;
    EXPECT_EQ(u.cell, c.cell) << c.pointSize;
  }
}

struct Geometry {
  RECT window{};
  RECT client{};
  RECT mapped{};
  BOOL mappedOk = FALSE;
};

class UnitsTest : public DialogTest {
 protected:
  // Notes the dialog's rectangles and MapDialogRect of 167 x 16 DLU in WM_INITDIALOG, and clicks
  // the caption's right-hand box once the dialog shows.
  void MeasureThenClickCaptionBox(Geometry* g) {
    OnDlg(WM_INITDIALOG, [g](HWND h, WPARAM, LPARAM) {
      GetWindowRect(h, &g->window);
      GetClientRect(h, &g->client);
      g->mapped = RECT{0, 0, 167, 16};
      g->mappedOk = MapDialogRect(h, &g->mapped);
      return TRUE;
    });
    WhenOpen([](HWND h) {
      RECT r;
      GetWindowRect(h, &r);
      plat::test::ClickScreen(r.right - 10, r.top + 10);
    });
  }
};

TEST_F(UnitsTest, ACentredHandheldDialogGetsItsClientInsideTheFrame) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  static constexpr DlgTemplateT t{L"T", L"Survey", kHandheldStyle | DS_CENTER, WS_EX_CAPTIONOKBTN, 0, 0, 124, 104,
                                  L"MS Sans Serif", 9, nullptr, 0};
  Geometry g;
  MeasureThenClickCaptionBox(&g);  // the caption's OK box sends IDOK to the procedure
  EXPECT_EQ(Run(t, main), IDOK);
  EXPECT_EQ(g.client.right, 186);
  EXPECT_EQ(g.client.bottom, 182);
  EXPECT_EQ(g.window.left, 26);
  EXPECT_EQ(g.window.top, 58);
  EXPECT_EQ(g.window.right - g.window.left, 188);
  EXPECT_EQ(g.window.bottom - g.window.top, 204);
  EXPECT_TRUE(g.mappedOk);
  EXPECT_EQ(g.mapped.right, 251);
  EXPECT_EQ(g.mapped.bottom, 28);
  ASSERT_EQ(script.Commands(), (std::vector<std::pair<int, int>>{{IDOK, BN_CLICKED}}));
  EXPECT_EQ(script.Of(WM_COMMAND)[0].lParam, 0);
  RECT rc{};
  EXPECT_FALSE(MapDialogRect(main, &rc));  // not a dialog
}

TEST_F(UnitsTest, TheDesktopCloseBoxCancelsThroughTheProcedure) {
  ResetTo(Profile::Desktop);
  HWND main = Top(WS_VISIBLE | WS_CAPTION, {0, 0, 800, 574});
  static constexpr DlgTemplateT t{L"T", L"Display Options", kDesktopStyle | DS_CENTER, 0, 0, 0, 200, 100,
                                  L"MS Sans Serif", 10, nullptr, 0};
  Geometry g;
  MeasureThenClickCaptionBox(&g);  // the close box
  EXPECT_EQ(Run(t, main), IDCANCEL);
  EXPECT_EQ(g.client.right, 350);
  EXPECT_EQ(g.client.bottom, 200);
  EXPECT_EQ(g.window.right - g.window.left, 356);
  EXPECT_EQ(g.window.bottom - g.window.top, 225);
  EXPECT_EQ(g.window.left, (800 - 356) / 2);
  EXPECT_EQ(g.mapped.right, 292);  // 10 pt: 7/16 units
  EXPECT_EQ(g.mapped.bottom, 32);
  // The close box sent WM_CLOSE, which the procedure left: the dialog manager posted IDCANCEL.
  EXPECT_EQ(script.Of(WM_CLOSE).size(), 1u);
  EXPECT_EQ(script.Commands(), (std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}));
}

TEST_F(UnitsTest, PlacedAtTheTemplatePositionFromTheOwnersTopLevelClientThenPushedOnScreen) {
  ResetTo(Profile::Desktop);
  HWND main = Top(WS_VISIBLE | WS_CAPTION, {100, 50, 500, 350});  // client origin (103, 72)
  HWND child = Kid(main, 3, {10, 10, 50, 50});
  struct Case {
    int16_t x, y;
    HWND owner;
    POINT expected;
  };
  // 10 pt: 7/4 px per x unit, 2 px per y unit; the window is 356 x 225.
  const Case cases[] = {
      {10, 20, main, {103 + 18, 72 + 40}},
      {10, 20, child, {103 + 18, 72 + 40}},  // the owner's top-level window counts
      {10, 20, nullptr, {18, 40}},           // no owner: the screen origin
      {300, 20, main, {800 - 356, 72 + 40}},
      {10, 200, main, {103 + 18, 574 - 225}},
      {-100, -80, main, {0, 0}},
  };
  for (const Case& c : cases) {
    const DlgTemplateT t{L"T", L"New Line", kDesktopStyle, 0, c.x, c.y, 200, 100, L"MS Sans Serif", 10, nullptr, 0};
    RECT window{};
    OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) {
      GetWindowRect(h, &window);
      EndDialog(h, 5);
      return TRUE;
    });
    EXPECT_EQ(Run(t, c.owner), 5);
    EXPECT_EQ(window.left, c.expected.x) << c.x << "," << c.y;
    EXPECT_EQ(window.top, c.expected.y) << c.x << "," << c.y;
  }
}

TEST_F(UnitsTest, OnTheHandheldTheTemplatePositionCountsFromTheScreenOrigin) {
  ResetTo(Profile::Handheld, {320, 240});
  HWND main = Top(WS_VISIBLE);  // fills the screen, no frame
  static constexpr DlgTemplateT t{L"T", L"New Station", kHandheldStyle, WS_EX_CAPTIONOKBTN, 35, 10, 110, 60,
                                  L"MS Sans Serif", 9, nullptr, 0};
  RECT window{};
  OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) {
    GetWindowRect(h, &window);
    EndDialog(h, IDOK);
    return TRUE;
  });
  EXPECT_EQ(Run(t, main), IDOK);
  EXPECT_EQ(window.left, 53);  // 52.5
  EXPECT_EQ(window.top, 18);   // 17.5
  EXPECT_EQ(window.right - window.left, 165 + 2);
  EXPECT_EQ(window.bottom - window.top, 105 + 22);
}

}  // namespace
