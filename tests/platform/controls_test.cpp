// BUTTON and STATIC in ordinary windows: clicks and keys, the notifications, BM_* messages, the
// owner-draw states, and how they look.
#include "controls_test_util.h"

namespace {

using namespace ctltest;
using plat::test::Click;
using plat::test::KeyPress;
using plat::test::WindowPixel;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

using ButtonTest = ControlTest;

TEST_F(ButtonTest, APushButtonClicksOnReleaseInsideAndTakesTheFocusOnPress) {
  HWND b = Make(L"button", L"&Go", BS_PUSHBUTTON | WS_TABSTOP | BS_NOTIFY, 7);
  ASSERT_NE(b, nullptr);
  PumpUntilIdle();
  Click(b);
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(Codes(7), std::vector<WORD>{BN_CLICKED});

  // Pressed, dragged out and released outside: no click.
  rec.Clear();
  POINT p{10, 10};
  ClientToScreen(b, &p);
  plat::test::Press(p.x, p.y);
  plat::test::MoveMouse(p.x + 200, p.y);
  plat::test::Release(p.x + 200, p.y);
  PumpUntilIdle();
  EXPECT_TRUE(Codes(7).empty());

  // Space clicks; Enter outside a dialog does nothing. Only BN_CLICKED is ever sent, BS_NOTIFY or
  // not, and the lParam is the button.
  KeyPress(VK_SPACE);
  KeyPress(VK_RETURN);
  PumpUntilIdle();
  SetFocus(parent);
  EXPECT_EQ(Codes(7), std::vector<WORD>{BN_CLICKED});
  for (const wintest::Seen& s : rec.Of(WM_COMMAND)) EXPECT_EQ(reinterpret_cast<HWND>(s.lParam), b);
}

TEST_F(ButtonTest, ADisabledButtonIgnoresClicksAndDrawsItsCaptionGrey) {
  plat::test::EnableDrawLog(true);
  HWND b = Make(L"BUTTON", L"Off", BS_PUSHBUTTON | WS_DISABLED, 7);
  PumpUntilIdle();
  Click(b);
  SendMessageW(b, BM_CLICK, 0, 0);
  PumpUntilIdle();
  EXPECT_TRUE(Codes(7).empty());
  EXPECT_NE(GetFocus(), b);
  auto text = plat::test::FindText(L"Off");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->textColor, GetSysColor(COLOR_GRAYTEXT));
}

TEST_F(ButtonTest, BmSetStyleSwitchesTheDefaultFrameAndReadsBackThroughTheStyle) {
  const DWORD extra = WS_TABSTOP | BS_CENTER;
  HWND b = Make(L"Button", L"OK", BS_PUSHBUTTON | extra, 3);
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  EXPECT_NE(WindowPixel(b, 0, 0), kBlack);

  // Without redraw the style changes but nothing is repainted or even invalidated.
  SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(b, GWL_STYLE)), WS_CHILD | WS_VISIBLE | extra | BS_DEFPUSHBUTTON);
  EXPECT_TRUE(plat::test::UpdateRegion(b).empty());
  EXPECT_NE(WindowPixel(b, 0, 0), kBlack);
  EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);

  // With redraw it repaints at once: the 1-px black outer frame of the default button.
  SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(WindowPixel(b, 0, 0), kBlack);
  EXPECT_EQ(WindowPixel(b, 50, 23), kBlack);

  SendMessageW(b, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(b, GWL_STYLE)), WS_CHILD | WS_VISIBLE | extra);
  EXPECT_NE(WindowPixel(b, 0, 0), kBlack);
  EXPECT_TRUE(Codes(3).empty());

  // Other types do not change through BM_SETSTYLE.
  HWND c = Make(L"Button", L"x", BS_AUTOCHECKBOX, 4, {10, 40, 110, 60});
  SendMessageW(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
}

struct CheckCase {
  DWORD style;
  bool boxAtRight;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const CheckCase& c, std::ostream* os) { *os << "style 0x" << std::hex << c.style; }

class CheckBoxTest : public ControlTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckBoxTest, TogglesOnAClickAndOnSpaceThenNotifies) {
  HWND c = Make(L"Button", L"Show", BS_AUTOCHECKBOX | WS_TABSTOP | GetParam().style, 5, {10, 10, 110, 30});
  std::vector<LRESULT> seenInHandler;
  On(WM_COMMAND, [&](HWND, WPARAM, LPARAM lp, LRESULT*) {
    seenInHandler.push_back(SendMessageW(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0));
    return false;
  });
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Click(c);
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetFocus(), c);
  KeyPress(VK_SPACE);
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // The state has changed by the time the parent hears of it.
  EXPECT_EQ(seenInHandler, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED}));
  EXPECT_EQ(Codes(5), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));

  // A programmatic set sends nothing; the box is drawn where the style puts it.
  rec.Clear();
  SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
  PumpUntilIdle();
  EXPECT_TRUE(Codes(5).empty());
  EXPECT_EQ(SendMessageW(c, BM_GETSTATE, 0, 0) & BST_CHECKED, BST_CHECKED);
  const int boxLeft = GetParam().boxAtRight ? 100 - 13 : 0;
  EXPECT_EQ(WindowPixel(c, boxLeft, 3), GetSysColor(COLOR_BTNSHADOW));    // the box's outer edge
  EXPECT_EQ(WindowPixel(c, boxLeft + 2, 12), kWhite);                     // its inside
  EXPECT_EQ(WindowPixel(c, boxLeft + 5, 10), kBlack);                     // the tick
  EXPECT_EQ(SendMessageW(c, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
}

INSTANTIATE_TEST_SUITE_P(TextSide, CheckBoxTest,
                         ::testing::Values(CheckCase{0, false}, CheckCase{BS_LEFTTEXT, true}));

TEST_F(ButtonTest, BmClickAndBmSetStateActWithoutMovingTheFocus) {
  HWND c = Make(L"Button", L"x", BS_AUTOCHECKBOX, 5);
  HWND p = Make(L"Button", L"p", BS_PUSHBUTTON, 6, {10, 40, 110, 60});
  SetFocus(parent);
  SendMessageW(c, BM_CLICK, 0, 0);
  SendMessageW(p, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetFocus(), parent);
  EXPECT_EQ(Codes(5), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(Codes(6), std::vector<WORD>{BN_CLICKED});

  SendMessageW(p, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(SendMessageW(p, BM_GETSTATE, 0, 0), BST_PUSHED);
  SendMessageW(p, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(SendMessageW(p, BM_GETSTATE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(p, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // not a check box
  EXPECT_EQ(Codes(6).size(), 1u);
}

class OwnerDrawTest : public ControlTest {
 protected:
  struct Draw {
    UINT action;
    UINT state;
  };
  void SetUp() override {
    ControlTest::SetUp();
    On(WM_DRAWITEM, [this](HWND, WPARAM wp, LPARAM lp, LRESULT* r) {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      EXPECT_EQ(d->CtlType, static_cast<UINT>(ODT_BUTTON));
      EXPECT_EQ(d->CtlID, wp);
      EXPECT_EQ(d->hwndItem, button);
      EXPECT_EQ(d->rcItem.right, 60);
      EXPECT_EQ(d->rcItem.bottom, 20);
      draws.push_back(Draw{d->itemAction, d->itemState});
      HBRUSH b = CreateSolidBrush(kRed);
      FillRect(d->hDC, &d->rcItem, b);
      DeleteObject(b);
      *r = TRUE;
      return true;
    });
    button = Make(L"Button", L"", BS_OWNERDRAW | WS_TABSTOP, 758, {20, 20, 80, 40});
    PumpUntilIdle();
  }
  HWND button = nullptr;
  std::vector<Draw> draws;
};

TEST_F(OwnerDrawTest, PressReleaseAndFocusEachReportTheirState) {
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(draws[0].state, 0u);
  EXPECT_EQ(WindowPixel(button, 30, 10), kRed);  // the owner drew on the button through hDC

  draws.clear();
  RECT r;
  GetWindowRect(button, &r);
  plat::test::Press(r.left + 5, r.top + 5);
  PumpUntilIdle();
  // The press takes the focus first, then shows the selection.
  ASSERT_GE(draws.size(), 2u);
  EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_FOCUS));
  EXPECT_EQ(draws[0].state, static_cast<UINT>(ODS_FOCUS));
  EXPECT_EQ(draws[1].action, static_cast<UINT>(ODA_SELECT));
  EXPECT_EQ(draws[1].state, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS));
  EXPECT_TRUE(Codes(758).empty());

  draws.clear();
  rec.Clear();
  plat::test::Release(r.left + 5, r.top + 5);
  PumpUntilIdle();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_SELECT));
  EXPECT_EQ(draws[0].state, static_cast<UINT>(ODS_FOCUS));
  // WM_DRAWITEM for the release comes before the click.
  std::vector<UINT> order;
  for (const wintest::Seen& s : rec.log) {
    if (s.msg == WM_DRAWITEM || s.msg == WM_COMMAND) order.push_back(s.msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_DRAWITEM, WM_COMMAND}));
  EXPECT_EQ(Codes(758), std::vector<WORD>{BN_CLICKED});

  draws.clear();
  SetFocus(parent);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].action, static_cast<UINT>(ODA_FOCUS));
  EXPECT_EQ(draws[0].state, 0u);

  // A repaint draws it entire; disabled it says so.
  draws.clear();
  EnableWindow(button, FALSE);
  PumpUntilIdle();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().action, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(draws.back().state, static_cast<UINT>(ODS_DISABLED));
  EXPECT_EQ(SendMessageW(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
}

TEST_F(ButtonTest, AGroupBoxNeverTakesTheFocusAndSendsNothing) {
  HWND g = Make(L"Button", L"Group", BS_GROUPBOX, 9, {10, 10, 200, 100});
  SetFocus(parent);
  PumpUntilIdle();
  Click(g);
  KeyPress(VK_SPACE);
  SendMessageW(g, BM_CLICK, 0, 0);
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), parent);
  EXPECT_TRUE(Codes(9).empty());
  EXPECT_EQ(SendMessageW(g, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  EXPECT_EQ(WindowPixel(g, 0, 60), GetSysColor(COLOR_BTNSHADOW));  // the etched frame
  EXPECT_EQ(WindowPixel(g, 1, 60), kWhite);
}

TEST_F(ButtonTest, ControlsInsideAGroupBoxMadeBeforeThemShowAndTakeClicks) {
  HWND g = Make(L"Button", L"Group", BS_GROUPBOX, 9, {10, 10, 200, 100});
  HWND b = Make(L"Button", L"In", BS_PUSHBUTTON, 10, {40, 40, 100, 60});
  PumpUntilIdle();
  EXPECT_EQ(plat::test::Children(parent).back(), g);
  Click(b);
  PumpUntilIdle();
  EXPECT_EQ(Codes(10), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(plat::test::ScreenPixel(45, 45), GetSysColor(COLOR_BTNFACE));  // the button, not the group
}

// ---- STATIC ----

class StaticTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    // A parent background the statics show through.
    On(WM_ERASEBKGND, [](HWND h, WPARAM wp, LPARAM, LRESULT* r) {
      RECT rc;
      GetClientRect(h, &rc);
      HBRUSH b = CreateSolidBrush(kRed);
      FillRect(reinterpret_cast<HDC>(wp), &rc, b);
      DeleteObject(b);
      *r = 1;
      return true;
    });
    plat::test::EnableDrawLog(true);
  }
};

TEST_F(StaticTest, TextIsPlacedByTheStyleOverTheParentsBackground) {
  struct Case {
    DWORD style;
    const wchar_t* text;
    const wchar_t* drawn;
  };
  const Case cases[] = {{SS_LEFT, L"Left", L"Left"},
                        {SS_CENTER, L"Mid", L"Mid"},
                        {SS_RIGHT, L"Right", L"Right"},
                        {SS_LEFT | SS_NOPREFIX, L"A&B", L"A&B"},
                        {SS_LEFT, L"&Rate", L"Rate"}};
  int id = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << c.style);
    HWND s = Make(L"Static", c.text, c.style, id++, {10, 10, 110, 30});
    PumpUntilIdle();
    auto hit = plat::test::FindText(c.drawn);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->window, s);
    const int width = hit->rect.right - hit->rect.left;
    const int expected = (c.style & SS_TYPEMASK) == SS_CENTER ? (100 - width) / 2
                         : (c.style & SS_TYPEMASK) == SS_RIGHT ? 100 - width
                                                                : 0;
    EXPECT_EQ(hit->x, expected);
    EXPECT_EQ(hit->bkMode, TRANSPARENT);
    EXPECT_EQ(WindowPixel(s, 99, 19), kRed);  // no glyph there: the parent's background
    DestroyWindow(s);
  }
}

TEST_F(StaticTest, SetWindowTextRepaintsAndNothingElseHappens) {
  HWND s = Make(L"STATIC", L"one", SS_LEFT, 30, {10, 10, 63, 60});
  SetFocus(parent);
  PumpUntilIdle();
  SetWindowTextW(s, L"two words wrap");
  EXPECT_FALSE(plat::test::UpdateRegion(s).empty());
  PumpUntilIdle();
  EXPECT_EQ(TextOf(s), L"two words wrap");
  // Wrapped at a word boundary inside its 53-px width ("two words" is 53 px).
  auto first = plat::test::FindText(L"two words");
  auto second = plat::test::FindText(L"wrap");
  ASSERT_TRUE(first.has_value() && second.has_value());
  EXPECT_GT(second->y, first->y);
  Click(s);
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), parent);
  EXPECT_TRUE(Codes(30).empty());
  EXPECT_EQ(SendMessageW(s, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(ButtonTest, ControlsAnswerTheirFontAndWorkThroughTheNarrowCalls) {
  LOGFONTW lf{};
  lf.lfHeight = 13;
  HFONT f = CreateFontIndirectW(&lf);
  HWND b = CreateWindowExA(0, "BUTTON", "Caf\xE9", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                           reinterpret_cast<HMENU>(8), nullptr, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SendMessageW(b, WM_GETFONT, 0, 0), 0);
  SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(b, WM_GETFONT, 0, 0)), f);
  EXPECT_EQ(TextOf(b), L"Caf\u00E9");
  char narrow[8];
  EXPECT_EQ(GetWindowTextA(b, narrow, 8), 4);
  EXPECT_STREQ(narrow, "Caf\xE9");
  PumpUntilIdle();
  DestroyWindow(b);
  DeleteObject(f);
}

}  // namespace
