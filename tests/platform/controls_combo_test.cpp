// The drop-down list COMBOBOX: geometry, the item messages and their bad input, keys on the closed
// box, and the fixed notification order of opening, accepting and cancelling.
#include "controls_test_util.h"

namespace {

using namespace ctltest;
using plat::test::Click;
using plat::test::ComboList;
using plat::test::KeyPress;

constexpr int kId = 50;
const std::vector<std::wstring> kItems = {L"one", L"two", L"three", L"four", L"five"};

// The cell height of a control's font.
int Cell(HWND h) {
  HDC dc = GetDC(h);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  if (old) SelectObject(dc, old);
  ReleaseDC(h, dc);
  return tm.tmHeight;
}

// Clicks item i of the open list (counted from its top).
void ClickItem(HWND c, int i) {
  HWND list = ComboList(c);
  ASSERT_NE(list, nullptr);
  Click(list, 10, i * Cell(c) + Cell(c) / 2);
  PumpUntilIdle();
}

class ComboTest : public ControlTest {
 protected:
  HWND MakeCombo(RECT r = {10, 10, 110, 110}, DWORD style = WS_VSCROLL, size_t items = kItems.size()) {
    HWND c = Make(L"ComboBox", L"", CBS_DROPDOWNLIST | WS_TABSTOP | style, kId, r);
    EXPECT_NE(c, nullptr);
    for (size_t i = 0; i < items; ++i) {
      const std::wstring s = i < kItems.size() ? kItems[i] : L"item " + std::to_wstring(i);
      EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())), static_cast<LRESULT>(i));
    }
    return c;
  }
  static RECT Rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
  }
  LRESULT Sel(HWND c) { return SendMessageW(c, CB_GETCURSEL, 0, 0); }
};

TEST_F(ComboTest, TheClosedBoxIsTheCellPlusEightAndTheListTakesTheRest) {
  HWND c = MakeCombo({10, 10, 110, 110}, WS_VSCROLL, 12);
  const int cell = Cell(c);
  EXPECT_EQ(Rect(c).bottom - Rect(c).top, cell + 8);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = ComboList(c);
  ASSERT_NE(list, nullptr);
  // Below the box, as wide, and as many whole rows as fit in the rest of the 100 px.
  const int rows = (100 - (cell + 8) - 2) / cell;
  EXPECT_EQ(Rect(list).top, Rect(c).bottom);
  EXPECT_EQ(Rect(list).left, Rect(c).left);
  EXPECT_EQ(Rect(list).right, Rect(c).right);
  EXPECT_EQ(Rect(list).bottom - Rect(list).top, rows * cell + 2);
  PumpUntilIdle();
  // More items than rows with WS_VSCROLL: the scroll bar's face at the right.
  EXPECT_EQ(plat::test::WindowPixel(list, 95, 3 * cell), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetActiveWindow(), parent);  // the list never takes the activation
  SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(ComboList(c), nullptr);

  // A smaller font makes a smaller box; a program's height is again box plus list.
  LOGFONTW lf{};
  lf.lfHeight = 13;
  HFONT f = CreateFontIndirectW(&lf);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  EXPECT_EQ(Rect(c).bottom - Rect(c).top, 13 + 8);
  MoveWindow(c, 10, 10, 100, 21 + 2 + 2 * 13, TRUE);
  EXPECT_EQ(Rect(c).bottom - Rect(c).top, 21);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_NE(ComboList(c), nullptr);
  EXPECT_EQ(Rect(ComboList(c)).bottom - Rect(ComboList(c)).top, 2 * 13 + 2);
  DestroyWindow(c);
  DeleteObject(f);
}

TEST_F(ComboTest, TheListOpensAboveWhenThereIsNoRoomBelowAndShrinksToItsItems) {
  HWND c = MakeCombo({10, 280, 110, 380}, 0, 2);  // 320-px screen
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_NE(ComboList(c), nullptr);
  EXPECT_EQ(Rect(ComboList(c)).bottom, Rect(c).top);
  EXPECT_EQ(Rect(ComboList(c)).bottom - Rect(ComboList(c)).top, 2 * Cell(c) + 2);
}

TEST_F(ComboTest, SetCurSelOutOfRangeClearsTheSelectionAndNeverNotifies) {
  HWND c = MakeCombo();
  struct Case {
    WPARAM index;
    LRESULT result;
    LRESULT after;
  };
  const Case cases[] = {{2, 2, 2}, {static_cast<WPARAM>(-1), CB_ERR, CB_ERR}, {4, 4, 4},
                        {5, CB_ERR, CB_ERR}, {0, 0, 0}, {100000, CB_ERR, CB_ERR}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "index " << static_cast<intptr_t>(k.index));
    EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, k.index, 0), k.result);
    EXPECT_EQ(Sel(c), k.after);
  }
  SendMessageW(c, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(TextOf(c), L"two");
  SendMessageW(c, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(Sel(c), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(TextOf(c), L"");
  EXPECT_TRUE(Notes().empty());
}

TEST_F(ComboTest, ItemMessagesRejectBadInputAndWriteNothing) {
  HWND c = MakeCombo({10, 10, 110, 110}, CBS_SORT);
  wchar_t buf[16] = L"untouched";
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(buf)), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buf)), CB_ERR);
  EXPECT_STREQ(buf, L"untouched");
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXTLEN, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(L"x")), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_STREQ(buf, L"untouched");
  EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 5);

  // Never sorted, CBS_SORT or not: positions are what was added and inserted.
  EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"zero")), 0);
  EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"last")), 6);
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buf)), 4);
  EXPECT_STREQ(buf, L"zero");
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXTLEN, 6, 0), 4);
  // The selection follows its item through inserts and deletes.
  SendMessageW(c, CB_SETCURSEL, 3, 0);  // "three"
  EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 0, 0), 6);
  EXPECT_EQ(Sel(c), 2);
  EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 2, 0), 5);
  EXPECT_EQ(Sel(c), CB_ERR);

  // Narrow callers get their own character type, both ways.
  EXPECT_EQ(SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Caf\xE9")), 5);
  wchar_t wide[8];
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(wide)), 4);
  EXPECT_STREQ(wide, L"Caf\u00E9");
  char narrow[8];
  EXPECT_EQ(SendMessageA(c, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(narrow)), 4);
  EXPECT_STREQ(narrow, "Caf\xE9");
  EXPECT_EQ(SendMessageA(c, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(narrow)), CB_ERR);
  EXPECT_TRUE(Notes().empty());
}

TEST_F(ComboTest, ANarrowBoxTakesWideCallersToo) {
  HWND c = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 100, 100, parent,
                           reinterpret_cast<HMENU>(kId), nullptr, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"\u00B0C")), 0);
  EXPECT_EQ(SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("m")), 1);
  wchar_t wide[8];
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(wide)), 2);
  EXPECT_STREQ(wide, L"\u00B0C");
  SendMessageW(c, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(TextOf(c), L"m");
}

TEST_F(ComboTest, TheOpenListScrollsByItsBar) {
  plat::test::EnableDrawLog(true);
  HWND c = MakeCombo({10, 10, 110, 110}, WS_VSCROLL, 12);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = ComboList(c);
  ASSERT_NE(list, nullptr);
  RECT r;
  GetClientRect(list, &r);
  Click(list, r.right - 4, r.bottom - 3);  // the down arrow
  PumpUntilIdle();
  auto first = plat::test::FindText(L"two");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->window, list);
  EXPECT_EQ(first->y, 0);  // item 1 is at the top now
  EXPECT_NE(ComboList(c), nullptr);  // still open, nothing chosen
  EXPECT_TRUE(Codes(kId) == std::vector<WORD>{CBN_DROPDOWN});
}

TEST_F(ComboTest, KeysOnAClosedBoxChangeTheSelectionAtOnce) {
  HWND c = MakeCombo();
  SetFocus(c);
  rec.Clear();
  struct Step {
    int vk;
    LRESULT sel;
    bool notified;
  };
  const Step steps[] = {{VK_DOWN, 0, true},  {VK_DOWN, 1, true}, {VK_UP, 0, true}, {VK_UP, 0, false},
                        {VK_END, 4, true},   {VK_DOWN, 4, false}, {VK_HOME, 0, true}, {VK_NEXT, 4, true},
                        {'T', 1, true},      {'T', 2, true},     {'T', 1, true}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "key " << s.vk);
    rec.Clear();
    KeyPress(s.vk);
    PumpUntilIdle();
    EXPECT_EQ(Sel(c), s.sel);
    EXPECT_EQ(Codes(kId), s.notified ? std::vector<WORD>{CBN_SELCHANGE} : std::vector<WORD>{});
    EXPECT_EQ(ComboList(c), nullptr);
  }
}

struct Sequence {
  const char* name;
  std::function<void(HWND combo, HWND other)> act;
  std::vector<WORD> codes;
  LRESULT sel;  // afterwards, from 1 before
};
// Test names and failures show the case's name, not its bytes.
void PrintTo(const Sequence& s, std::ostream* os) { *os << s.name; }

class ComboSequenceTest : public ComboTest, public ::testing::WithParamInterface<Sequence> {};

TEST_P(ComboSequenceTest, NotificationsComeInTheFixedOrder) {
  HWND c = MakeCombo();
  HWND other = Make(L"Button", L"b", BS_PUSHBUTTON, 60, {150, 10, 200, 30});
  SendMessageW(c, CB_SETCURSEL, 1, 0);
  SetFocus(c);
  PumpUntilIdle();
  // What each step sees of the state.
  struct Seen {
    WORD code;
    LRESULT sel;
    LRESULT dropped;
  };
  std::vector<Seen> seen;
  On(WM_COMMAND, [&](HWND, WPARAM wp, LPARAM lp, LRESULT*) {
    if (LOWORD(wp) == kId) {
      HWND h = reinterpret_cast<HWND>(lp);
      seen.push_back(Seen{HIWORD(wp), SendMessageW(h, CB_GETCURSEL, 0, 0), SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0)});
    }
    return false;
  });
  rec.Clear();
  GetParam().act(c, other);
  PumpUntilIdle();
  std::vector<WORD> codes;
  for (const Seen& s : seen) codes.push_back(s.code);
  EXPECT_EQ(codes, GetParam().codes);
  EXPECT_EQ(Sel(c), GetParam().sel);
  EXPECT_EQ(ComboList(c), nullptr);
  EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  for (const Seen& s : seen) {
    SCOPED_TRACE(testing::Message() << "code " << s.code);
    if (s.code == CBN_DROPDOWN) {
      EXPECT_EQ(s.sel, 1);
    }
    if (s.code == CBN_SELCHANGE || s.code == CBN_SELENDOK) {
      EXPECT_EQ(s.sel, GetParam().sel);
    }
    // The list is still open at SELCHANGE, SELENDOK and SELENDCANCEL, and closed by CLOSEUP.
    if (s.code == CBN_SELCHANGE || s.code == CBN_SELENDOK || s.code == CBN_SELENDCANCEL) {
      EXPECT_TRUE(s.dropped);
    }
    if (s.code == CBN_CLOSEUP) {
      EXPECT_FALSE(s.dropped);
    }
  }
}

void Keys(std::initializer_list<int> keys) {
  for (int k : keys) KeyPress(k);
}

const WORD kAcceptChanged[] = {CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP};

INSTANTIATE_TEST_SUITE_P(
    AcceptAndCancel, ComboSequenceTest,
    ::testing::Values(
        Sequence{"F4DownEnter", [](HWND, HWND) { Keys({VK_F4, VK_DOWN, VK_DOWN, VK_RETURN}); },
                 {std::begin(kAcceptChanged), std::end(kAcceptChanged)}, 3},
        Sequence{"AltDownThenAltUp",
                 [](HWND, HWND) {
                   plat::test::KeyDown(VK_MENU);
                   Keys({VK_DOWN});
                   plat::test::KeyUp(VK_MENU);
                   Keys({VK_DOWN});
                   plat::test::KeyDown(VK_MENU);
                   Keys({VK_UP});
                   plat::test::KeyUp(VK_MENU);
                 },
                 {std::begin(kAcceptChanged), std::end(kAcceptChanged)}, 2},
        Sequence{"ClickBoxThenItem",
                 [](HWND c, HWND) {
                   Click(c);
                   PumpUntilIdle();
                   ClickItem(c, 4);
                 },
                 {std::begin(kAcceptChanged), std::end(kAcceptChanged)}, 4},
        Sequence{"AcceptTheSameItem", [](HWND, HWND) { Keys({VK_F4, VK_RETURN}); },
                 {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}, 1},
        Sequence{"Escape", [](HWND, HWND) { Keys({VK_F4, VK_DOWN, VK_ESCAPE}); },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
        Sequence{"ClickOutside",
                 [](HWND c, HWND) {
                   Click(c);
                   PumpUntilIdle();
                   Click(GetParent(c), 200, 200);
                 },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
        Sequence{"ClickTheBoxAgain",
                 [](HWND c, HWND) {
                   Click(c);
                   PumpUntilIdle();
                   Click(c);
                 },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
        Sequence{"FocusLost",
                 [](HWND, HWND other) {
                   Keys({VK_F4, VK_DOWN});
                   PumpUntilIdle();
                   SetFocus(other);
                 },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}, 1},
        Sequence{"ClickAnotherControl",
                 [](HWND c, HWND other) {
                   Click(c);
                   PumpUntilIdle();
                   Click(other);
                 },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}, 1},
        Sequence{"ShowDropDownMessages",
                 [](HWND c, HWND) {
                   SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
                   SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
                 },
                 {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1}),
    [](const testing::TestParamInfo<Sequence>& i) { return std::string(i.param.name); });

TEST_F(ComboTest, AnOpenListWantsEveryKeyButTabFromTheDialogManager) {
  HWND c = MakeCombo();
  MSG enter{c, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  MSG tab{c, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(SendMessageW(c, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)), DLGC_WANTARROWS | DLGC_WANTCHARS);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(SendMessageW(c, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)),
            DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS);
  EXPECT_EQ(SendMessageW(c, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&tab)), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(ComboTest, AHandlerMayDestroyTheBoxInTheMiddleOfASequence) {
  HWND c = MakeCombo();
  On(WM_COMMAND, [&](HWND, WPARAM wp, LPARAM lp, LRESULT*) {
    if (HIWORD(wp) == CBN_SELCHANGE) DestroyWindow(reinterpret_cast<HWND>(lp));
    return false;
  });
  SetFocus(c);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = ComboList(c);
  KeyPress(VK_DOWN);
  KeyPress(VK_RETURN);
  PumpUntilIdle();
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(IsWindow(list));
  // Going, it loses the focus: that is all it still says.
  EXPECT_EQ(Codes(kId), (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE, CBN_KILLFOCUS}));
}

TEST_F(ComboTest, ADisabledBoxIsGreyAndDoesNotOpen) {
  plat::test::EnableDrawLog(true);
  HWND c = MakeCombo();
  SendMessageW(c, CB_SETCURSEL, 0, 0);
  EnableWindow(c, FALSE);
  PumpUntilIdle();
  Click(c);
  PumpUntilIdle();
  EXPECT_EQ(ComboList(c), nullptr);
  EXPECT_TRUE(Notes().empty());
  auto text = plat::test::FindText(L"one");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->textColor, GetSysColor(COLOR_GRAYTEXT));
  // Disabling an open box cancels it.
  EnableWindow(c, TRUE);
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  rec.Clear();
  EnableWindow(c, FALSE);
  EXPECT_EQ(ComboList(c), nullptr);
  EXPECT_EQ(Codes(kId), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

}  // namespace
