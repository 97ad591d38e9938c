// LISTBOX: adding and deleting, the top index that keeps the last page full, bad input, clicks
// on items and on the scroll bar.
#include "controls_test_util.h"

namespace {

using namespace ctltest;
using plat::test::Click;

constexpr int kId = 222;

class ListTest : public ControlTest {
 protected:
  // 5 rows: the client is 5 cells high inside the border.
  HWND MakeList(int items) {
    HWND l = Make(L"ListBox", L"  ", WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL, kId, {2, 2, 102, 2 + 5 * cell + 2});
    EXPECT_NE(l, nullptr);
    for (int i = 0; i < items; ++i) {
      const std::wstring s = L"line " + std::to_wstring(i);
      EXPECT_EQ(SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())), i);
    }
    return l;
  }
  LRESULT Top(HWND l) { return SendMessageW(l, LB_GETTOPINDEX, 0, 0); }
  const int cell = 14;  // the handheld system font
};

TEST_F(ListTest, SetTopIndexClampsSoTheLastPageStaysFull) {
  HWND l = MakeList(20);
  struct Case {
    WPARAM index;
    LRESULT result;
    LRESULT top;
  };
  const Case cases[] = {{0, LB_OKAY, 0},   {5, LB_OKAY, 5},  {15, LB_OKAY, 15}, {16, LB_OKAY, 15},
                        {19, LB_OKAY, 15}, {1000, LB_OKAY, 15}, {static_cast<WPARAM>(-1), LB_ERR, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "index " << static_cast<intptr_t>(c.index));
    EXPECT_EQ(SendMessageW(l, LB_SETTOPINDEX, c.index, 0), c.result);
    EXPECT_EQ(Top(l), c.top);
  }
  // Fewer lines than rows: the top stays at 0.
  HWND few = MakeList(3);
  SendMessageW(few, LB_SETTOPINDEX, 2, 0);
  EXPECT_EQ(Top(few), 0);
  EXPECT_TRUE(Notes().empty());
}

TEST_F(ListTest, ACappedListThatDropsItsFirstLineKeepsShowingTheNewest) {
  // The monitors' pattern: at the cap, delete line 0, add the new line, scroll to it.
  HWND l = MakeList(0);
  constexpr int kCap = 12;
  for (int n = 0; n < 30; ++n) {
    if (SendMessageW(l, LB_GETCOUNT, 0, 0) >= kCap) {
      EXPECT_EQ(SendMessageW(l, LB_DELETESTRING, 0, 0), kCap - 1);
    }
    const std::wstring s = L"sentence " + std::to_wstring(n);
    const LRESULT i = SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    ASSERT_GE(i, 0);
    SendMessageW(l, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
  }
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), kCap);
  EXPECT_EQ(Top(l), kCap - 5);
  wchar_t buf[32];
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, kCap - 1, reinterpret_cast<LPARAM>(buf)), 11);
  EXPECT_STREQ(buf, L"sentence 29");
  // Deleting above the view keeps the lines in view where they are.
  SendMessageW(l, LB_SETTOPINDEX, 3, 0);
  SendMessageW(l, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(Top(l), 2);
  plat::test::EnableDrawLog(true);
  PumpUntilIdle();
  auto first = plat::test::FindText(L"sentence 21");  // item 2 now
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->y, 0);
}

TEST_F(ListTest, BadInputGivesAnErrorValueAndWritesNothing) {
  HWND l = MakeList(2);
  wchar_t buf[16] = L"untouched";
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(buf)), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buf)), LB_ERR);
  EXPECT_STREQ(buf, L"untouched");
  EXPECT_EQ(SendMessageW(l, LB_GETTEXT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETTEXTLEN, 7, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_ADDSTRING, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_INSERTSTRING, 3, reinterpret_cast<LPARAM>(L"x")), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_DELETESTRING, 2, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_SETCURSEL, 2, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(l, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"first")), 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTEXTLEN, 0, 0), 5);
  EXPECT_EQ(SendMessageW(l, LB_RESETCONTENT, 0, 0), LB_OKAY);
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Top(l), 0);

  // Narrow callers read and write their own character type.
  EXPECT_EQ(SendMessageA(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("$GPGGA,\xB0")), 0);
  char narrow[16];
  EXPECT_EQ(SendMessageA(l, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(narrow)), 8);
  EXPECT_STREQ(narrow, "$GPGGA,\xB0");
  EXPECT_EQ(SendMessageA(l, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(narrow)), LB_ERR);
}

TEST_F(ListTest, TheItemCountIsBounded) {
  HWND l = MakeList(0);
  ShowWindow(l, SW_HIDE);  // no paints meanwhile
  for (int i = 0; i < 32767; ++i) {
    if (SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x")) != i) {
      FAIL() << "add " << i;
    }
  }
  EXPECT_EQ(SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x")), LB_ERRSPACE);
  EXPECT_EQ(SendMessageW(l, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"x")), LB_ERRSPACE);
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), 32767);
}

TEST_F(ListTest, AClickSelectsWithoutNotifyingAndTheScrollBarScrolls) {
  HWND l = MakeList(20);
  PumpUntilIdle();
  Click(l, 20, 2 * cell + 3);
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), l);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(Notes().empty());
  // The selected line is drawn highlighted.
  EXPECT_EQ(plat::test::WindowPixel(l, 60, 2 * cell + 1), GetSysColor(COLOR_HIGHLIGHT));

  RECT r;
  GetClientRect(l, &r);
  const int x = r.right - 5;
  Click(l, x, r.bottom - 3);  // the down arrow
  PumpUntilIdle();
  EXPECT_EQ(Top(l), 1);
  Click(l, x, r.bottom - 20);  // the track below the thumb: a page
  PumpUntilIdle();
  EXPECT_EQ(Top(l), 6);
  Click(l, x, 3);  // the up arrow
  PumpUntilIdle();
  EXPECT_EQ(Top(l), 5);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 2);  // the bar does not change the selection

  // Arrows move the selection and bring it into view.
  plat::test::KeyPress(VK_END);
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 19);
  EXPECT_EQ(Top(l), 15);
  plat::test::KeyPress(VK_UP);
  PumpUntilIdle();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 18);
  EXPECT_TRUE(Notes().empty());
  EXPECT_EQ(SendMessageW(l, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

}  // namespace
