// The single-line EDIT: change notifications (programmatic, nested, typed), read-only, the limit,
// the selection messages, the keys, focus notifications, the steady caret and bounded reads.
#include "controls_test_util.h"

namespace {

using namespace ctltest;
using plat::test::KeyDown;
using plat::test::KeyPress;
using plat::test::KeyUp;
using plat::test::TypeText;
using plat::test::WindowPixel;

constexpr int kId = 40;

class EditTest : public ControlTest {
 protected:
  HWND MakeEdit(const wchar_t* text = L"", DWORD style = 0) {
    HWND e = Make(L"Edit", text, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | style, kId, {10, 10, 110, 30});
    EXPECT_NE(e, nullptr);
    return e;
  }
  std::pair<DWORD, DWORD> Sel(HWND e) {
    DWORD a = 99, b = 99;
    const LRESULT r = SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(static_cast<DWORD>(r), static_cast<DWORD>(MAKELONG(a, b)));
    return {a, b};
  }
};

TEST_F(EditTest, EveryProgrammaticTextNotifiesUpdateThenChangeEvenWhenEqual) {
  HWND e = MakeEdit(L"12");
  EXPECT_TRUE(Codes(kId).empty());  // creation is not a change
  SetWindowTextW(e, L"12");
  SetWindowTextA(e, "12");
  SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
  EXPECT_EQ(Codes(kId), (std::vector<WORD>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  EXPECT_EQ(TextOf(e), L"7");
}

TEST_F(EditTest, AHandlerThatRewritesItsBoxGetsANestedChangeThatConverges) {
  HWND e = MakeEdit();
  // The correction rule of a rate box: values above 100 become 100.
  On(WM_COMMAND, [&](HWND, WPARAM wp, LPARAM, LRESULT*) {
    if (HIWORD(wp) == EN_CHANGE && _wtoi(TextOf(e).c_str()) > 100) SetWindowTextW(e, L"100");
    return false;
  });
  SetWindowTextW(e, L"500");
  EXPECT_EQ(TextOf(e), L"100");
  EXPECT_EQ(Codes(kId), (std::vector<WORD>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
}

TEST_F(EditTest, AHandlerThatNeverConvergesStillEndsWithItsLastText) {
  HWND e = MakeEdit();
  int n = 0;
  On(WM_COMMAND, [&](HWND, WPARAM wp, LPARAM, LRESULT*) {
    if (HIWORD(wp) == EN_CHANGE) SetWindowTextW(e, std::to_wstring(++n).c_str());
    return false;
  });
  SetWindowTextW(e, L"0");
  EXPECT_GT(n, 1);
  EXPECT_LT(n, 100);
  EXPECT_EQ(TextOf(e), std::to_wstring(n));
}

TEST_F(EditTest, TypingInsertsAtTheCaretAndReadOnlyBlocksIt) {
  HWND e = MakeEdit();
  SetFocus(e);
  TypeText("12a");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"12a");
  EXPECT_EQ(Codes(kId).size(), 1u + 2 * 3);  // EN_SETFOCUS, then a pair per character

  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  EXPECT_TRUE(GetWindowLongW(e, GWL_STYLE) & ES_READONLY);
  rec.Clear();
  TypeText("9");
  KeyPress(VK_BACK);
  KeyPress(VK_HOME);
  KeyPress(VK_DELETE);
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"12a");
  EXPECT_TRUE(Codes(kId).empty());
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{0}));  // the caret still moves
  PumpUntilIdle();
  EXPECT_EQ(WindowPixel(e, 90, 10), GetSysColor(COLOR_BTNFACE));

  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  EXPECT_FALSE(GetWindowLongW(e, GWL_STYLE) & ES_READONLY);
  TypeText("0");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"012a");
  EXPECT_EQ(WindowPixel(e, 90, 10), GetSysColor(COLOR_WINDOW));

  // Read-only from the template style too; a program may still set the text.
  HWND r = Make(L"Edit", L"x", ES_READONLY, kId + 1, {10, 40, 110, 60});
  SetFocus(r);
  TypeText("y");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(r), L"x");
  SetWindowTextW(r, L"z");
  EXPECT_EQ(TextOf(r), L"z");
}

TEST_F(EditTest, KeysMoveTheCaretEditAndExtendTheSelection) {
  HWND e = MakeEdit(L"abcd");
  SetFocus(e);
  struct Step {
    std::vector<int> keys;
    bool shift;
    const wchar_t* text;
    DWORD lo, hi;
  };
  const Step steps[] = {
      {{VK_END}, false, L"abcd", 4, 4},
      {{VK_LEFT, VK_LEFT}, true, L"abcd", 2, 4},
      {{'X'}, false, L"abX", 3, 3},  // typing replaces the selection
      {{VK_HOME, VK_DELETE}, false, L"bX", 0, 0},
      {{VK_RIGHT, VK_BACK}, false, L"X", 0, 0},
      {{VK_BACK}, false, L"X", 0, 0},  // nothing before the caret
      {{VK_END}, true, L"X", 0, 1},
      {{VK_RIGHT}, false, L"X", 1, 1},  // collapses to the end of the selection
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "step to " << testing::PrintToString(std::wstring(s.text)));
    if (s.shift) KeyDown(VK_SHIFT);
    for (int k : s.keys) {
      if (k == 'X') {
        TypeText("X");
      } else {
        KeyPress(k);
      }
    }
    if (s.shift) KeyUp(VK_SHIFT);
    PumpUntilIdle();
    EXPECT_EQ(TextOf(e), s.text);
    EXPECT_EQ(Sel(e), std::make_pair(s.lo, s.hi));
  }
}

TEST_F(EditTest, SetSelAndGetSelClampAndOrder) {
  HWND e = MakeEdit(L"hello");
  struct Case {
    intptr_t from, to;
    DWORD lo, hi;
  };
  const Case cases[] = {{0, -1, 0, 5}, {4, 1, 1, 4}, {2, 2, 2, 2}, {3, 900, 3, 5}, {900, 900, 5, 5}, {-1, 0, 5, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
    SendMessageW(e, EM_SETSEL, static_cast<WPARAM>(c.from), c.to);
    EXPECT_EQ(Sel(e), std::make_pair(c.lo, c.hi));
  }
  // NULL out-pointers are fine: the result carries both.
  SendMessageW(e, EM_SETSEL, 1, 3);
  EXPECT_EQ(static_cast<DWORD>(SendMessageW(e, EM_GETSEL, 0, 0)), static_cast<DWORD>(MAKELONG(1, 3)));
  // A new text leaves the caret at the start.
  SetWindowTextW(e, L"bye");
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{0}));
  EXPECT_EQ(SendMessageW(e, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL);
}

TEST_F(EditTest, TheLimitStopsTypingAndNoTextPassesTheHardLimit) {
  HWND e = MakeEdit();
  SendMessageW(e, EM_LIMITTEXT, 3, 0);
  SetFocus(e);
  TypeText("12345");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"123");
  // A program's text is not held to the typing limit, only to the hard one.
  SetWindowTextW(e, L"123456");
  EXPECT_EQ(GetWindowTextLengthW(e), 6);
  std::wstring huge(40000, L'x');
  SetWindowTextW(e, huge.c_str());
  EXPECT_EQ(GetWindowTextLengthW(e), 32767);
  SendMessageW(e, EM_LIMITTEXT, 0, 0);  // 0: the hard limit
  SendMessageW(e, EM_SETSEL, 0, -1);
  TypeText("a");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"a");
}

TEST_F(EditTest, NumberEditsTakeDigitsOnly) {
  HWND e = MakeEdit(L"", ES_NUMBER);
  SetFocus(e);
  TypeText("4a.2-");
  PumpUntilIdle();
  EXPECT_EQ(TextOf(e), L"42");
}

TEST_F(EditTest, FocusNotificationsAndAClickTakesTheFocus) {
  HWND e = MakeEdit(L"abc");
  HWND other = MakeEdit();
  SetWindowLongW(other, GWL_ID, kId + 5);
  PumpUntilIdle();
  plat::test::Click(e, 90, 10);  // right of the text: the caret goes to the end
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{3}, DWORD{3}));
  SetFocus(other);
  EXPECT_EQ(Codes(kId), (std::vector<WORD>{EN_SETFOCUS, EN_KILLFOCUS}));
  EXPECT_EQ(Codes(kId + 5), std::vector<WORD>{EN_SETFOCUS});
  plat::test::Click(e, 3, 10);
  PumpUntilIdle();
  EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{0}));
}

TEST_F(EditTest, TheCaretIsSteadyAndShowsOnlyWithTheFocus) {
  HWND e = MakeEdit();
  PumpUntilIdle();
  // The client starts inside the 1-px border; the caret sits at the 2-px margin.
  EXPECT_EQ(WindowPixel(e, 2, 9), RGB(255, 255, 255));
  SetFocus(e);
  PumpUntilIdle();
  EXPECT_EQ(WindowPixel(e, 2, 9), RGB(0, 0, 0));
  InvalidateRect(e, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(WindowPixel(e, 2, 9), RGB(0, 0, 0));
  SetFocus(parent);
  PumpUntilIdle();
  EXPECT_EQ(WindowPixel(e, 2, 9), RGB(255, 255, 255));
}

TEST_F(EditTest, ReadsAreBoundedAndNarrowReadsGiveQuestionMarks) {
  HWND e = MakeEdit(L"abc\u263A");
  wchar_t small[3] = {L'#', L'#', L'#'};
  EXPECT_EQ(GetWindowTextW(e, small, 3), 2);
  EXPECT_EQ(std::wstring(small), L"ab");
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(small)), 0);  // capacity 0
  EXPECT_EQ(std::wstring(small), L"ab");
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 10, 0), 0);  // NULL buffer
  char narrow[8];
  EXPECT_EQ(GetWindowTextA(e, narrow, 8), 4);
  EXPECT_STREQ(narrow, "abc?");
}

}  // namespace
