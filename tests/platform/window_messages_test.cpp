// The message queue on one thread: retrieval priority, posts and quit, text messages, stale
// handles, keys addressed at retrieval time, TranslateMessage and auto-repeat.
#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::test::PumpUntilIdle;

class MessagesTest : public WindowTest {};

TEST_F(MessagesTest, RetrievalFollowsThePriorityOrder) {
  plat::test::UseVirtualClock(1000, plat::test::MakeSystemTime(2024, 1, 1));
  HWND h = Top();
  ASSERT_NE(h, nullptr);
  PumpUntilIdle();
  ASSERT_EQ(GetFocus(), h);

  // Queued in the reverse of their priority.
  ASSERT_EQ(SetTimer(h, 7, 50, nullptr), 7u);
  plat::test::Advance(60);
  InvalidateRect(h, nullptr, FALSE);
  PostQuitMessage(3);
  plat::test::KeyDown('Q');
  PostMessageW(h, WM_USER + 1, 0, 0);
  PostMessageW(h, WM_USER + 2, 0, 0);

  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 3u);
      continue;
    }
    DispatchMessageW(&msg);
    if (msg.message == WM_TIMER) break;
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_KEYDOWN, WM_QUIT, WM_PAINT, WM_TIMER}));
}

TEST_F(MessagesTest, GetMessageReturnsZeroForQuitWithTheCode) {
  PostQuitMessage(42);
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(MessagesTest, PeekWithoutRemoveLeavesTheMessage) {
  HWND h = Top(0);
  PostMessageW(h, WM_USER, 5, 6);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, TextReadsTruncateAndAlwaysTerminate) {
  HWND h = Top(0, {0, 0, 10, 10}, L"abcdef");
  struct Case {
    int size;
    int result;
    std::wstring text;
  };
  for (const Case& c : {Case{1, 0, L""}, Case{4, 3, L"abc"}, Case{7, 6, L"abcdef"}, Case{64, 6, L"abcdef"}}) {
    wchar_t buf[64];
    std::fill(std::begin(buf), std::end(buf), L'#');
    EXPECT_EQ(GetWindowTextW(h, buf, c.size), c.result) << c.size;
    EXPECT_EQ(std::wstring(buf), c.text) << c.size;
  }
  wchar_t untouched[2] = {L'#', 0};
  EXPECT_EQ(GetWindowTextW(h, untouched, 0), 0);
  EXPECT_EQ(untouched[0], L'#');
  char narrow[4];
  EXPECT_EQ(GetWindowTextA(h, narrow, sizeof narrow), 3);
  EXPECT_STREQ(narrow, "abc");
  EXPECT_EQ(GetWindowTextLengthW(h), 6);
}

TEST_F(MessagesTest, EightBitTextIsCp1252OnAWideWindow) {
  HWND h = Top(0);
  ASSERT_TRUE(SetWindowTextA(h, "20\xB0"));
  EXPECT_EQ(plat::test::Text(h), L"20\u00B0");
  char back[8];
  GetWindowTextA(h, back, sizeof back);
  EXPECT_STREQ(back, "20\xB0");
}

TEST_F(MessagesTest, StaleAndNullHandlesFailHarmlessly) {
  HWND h = Top(0);
  HWND kid = Kid(h, 5, {0, 0, 10, 10});
  HDC dc = GetDC(kid);
  ASSERT_NE(dc, nullptr);
  ASSERT_TRUE(DestroyWindow(h));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(IsWindow(kid));

  for (HWND bad : {static_cast<HWND>(nullptr), h, kid}) {
    SetLastError(0);
    EXPECT_EQ(SendMessageW(bad, WM_USER, 0, 0), 0);
    EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
    EXPECT_EQ(SetTimer(bad, 1, 100, nullptr), 0u);
    EXPECT_FALSE(InvalidateRect(bad, nullptr, TRUE));
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_EQ(GetDlgItem(bad, 5), nullptr);
    EXPECT_EQ(SetFocus(bad), nullptr);
    RECT rc;
    EXPECT_FALSE(GetClientRect(bad, &rc));
    EXPECT_FALSE(UpdateWindow(bad));
    EXPECT_EQ(GetDC(bad) != nullptr, bad == nullptr);  // NULL is the screen
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    if (bad) {
      EXPECT_FALSE(PostMessageW(bad, WM_USER, 0, 0));
    }
  }
  // The DC of the destroyed window was retired with it.
  RECT r{0, 0, 5, 5};
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(ReleaseDC(kid, dc), 0);
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, h, 0, 0), -1);
  HWND live = Top(0);
  EXPECT_FALSE(KillTimer(live, 99));
}

TEST_F(MessagesTest, MessagesForADestroyedWindowAreDropped) {
  HWND h = Top(0);
  PostMessageW(h, WM_USER, 0, 0);
  SetTimer(h, 1, 10, nullptr);
  DestroyWindow(h);
  rec.Clear();
  PumpUntilIdle();
  EXPECT_TRUE(rec.Of(WM_USER).empty());
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());
}

TEST_F(MessagesTest, DefaultProcessing) {
  HWND h = Top(0);
  EXPECT_EQ(SendMessageW(h, WM_USER + 14, 0, 0), 0);  // a private message nobody handles
  EXPECT_EQ(SendMessageW(h, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(h));
  ASSERT_EQ(rec.Of(WM_DESTROY).size(), 1u);
}

TEST_F(MessagesTest, KeysGoToTheFocusWindowAtRetrievalTime) {
  HWND top = Top();
  HWND a = Kid(top, 1, {0, 0, 10, 10});
  HWND b = Kid(top, 2, {20, 0, 30, 10});
  SetFocus(a);
  PumpUntilIdle();
  plat::test::KeyPress(VK_F1);
  SetFocus(b);  // before the key is retrieved
  rec.Clear();
  PumpUntilIdle();
  auto downs = rec.Of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, b);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_F1));
}

// TranslateMessage's character for a key with Shift, Ctrl or Caps Lock; 0: none.
struct CharCase {
  int vk;
  int modifier;  // 0, VK_SHIFT, VK_CONTROL or VK_CAPITAL (toggled on first)
  wchar_t expected;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const CharCase& c, std::ostream* os) { *os << "vk " << c.vk << " with " << c.modifier; }

class TranslateTest : public WindowTest, public ::testing::WithParamInterface<CharCase> {};

TEST_P(TranslateTest, MakesTheCharacterOfTheKeyState) {
  const CharCase c = GetParam();
  HWND h = Top();
  PumpUntilIdle();
  if (c.modifier == VK_CAPITAL) {
    plat::test::KeyPress(VK_CAPITAL);
  } else if (c.modifier) {
    plat::test::KeyDown(c.modifier);
  }
  plat::test::KeyPress(c.vk);
  if (c.modifier && c.modifier != VK_CAPITAL) plat::test::KeyUp(c.modifier);
  rec.Clear();
  PumpUntilIdle();
  auto chars = rec.Of(WM_CHAR);
  if (c.expected == 0) {
    EXPECT_TRUE(chars.empty()) << "vk " << c.vk;
  } else {
    ASSERT_EQ(chars.size(), 1u) << "vk " << c.vk;
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(c.expected)) << "vk " << c.vk;
    EXPECT_EQ(chars[0].hwnd, h);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TranslateTest,
    ::testing::Values(CharCase{VK_LEFT, 0, 0}, CharCase{VK_F1, 0, 0}, CharCase{VK_DELETE, 0, 0},
                      CharCase{VK_SHIFT, 0, 0}, CharCase{VK_OEM_2, VK_SHIFT, L'?'}, CharCase{VK_OEM_2, 0, L'/'},
                      CharCase{'A', VK_CONTROL, 1}, CharCase{'Z', VK_CONTROL, 26}, CharCase{'A', 0, L'a'},
                      CharCase{'A', VK_SHIFT, L'A'}, CharCase{'A', VK_CAPITAL, L'A'}, CharCase{'1', VK_SHIFT, L'!'},
                      CharCase{'7', 0, L'7'}, CharCase{VK_NUMPAD5, 0, L'5'}, CharCase{VK_DECIMAL, 0, L'.'},
                      CharCase{VK_RETURN, 0, 13}, CharCase{VK_SPACE, 0, 32}, CharCase{VK_BACK, 0, 8},
                      CharCase{VK_ESCAPE, 0, 27}, CharCase{VK_TAB, 0, 9}, CharCase{VK_OEM_MINUS, VK_SHIFT, L'_'}));

TEST_F(MessagesTest, CharactersComeBeforeLaterInput) {
  Top();
  PumpUntilIdle();
  plat::test::TypeText("aB");
  rec.Clear();
  PumpUntilIdle();
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const Seen& s : rec.log) {
    if (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR) keys.emplace_back(s.msg, s.wParam);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected{
      {WM_KEYDOWN, 'A'},      {WM_CHAR, 'a'},        {WM_KEYUP, 'A'},        {WM_KEYDOWN, VK_SHIFT},
      {WM_KEYDOWN, 'B'},      {WM_CHAR, 'B'},        {WM_KEYUP, 'B'},        {WM_KEYUP, VK_SHIFT}};
  EXPECT_EQ(keys, expected);
}

TEST_F(MessagesTest, AutoRepeatSetsBit30AndReleaseSetsBit31) {
  Top();
  PumpUntilIdle();
  plat::test::KeyDown('M');
  plat::test::KeyRepeat('M', 3);
  rec.Clear();
  MSG msg;
  std::vector<SHORT> stateDuringDowns;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_KEYDOWN) stateDuringDowns.push_back(GetKeyState('M'));
    DispatchMessageW(&msg);
  }
  auto downs = rec.Of(WM_KEYDOWN);
  auto ups = rec.Of(WM_KEYUP);
  ASSERT_EQ(downs.size(), 4u);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(downs[0].lParam & (1 << 30), 0);
  for (size_t i = 1; i < downs.size(); ++i) EXPECT_NE(downs[i].lParam & (1 << 30), 0) << i;
  for (const Seen& d : downs) EXPECT_EQ(d.lParam & 0xFFFF, 1);
  EXPECT_NE(static_cast<uint32_t>(ups[0].lParam) & 0x80000000u, 0u);
  for (SHORT s : stateDuringDowns) EXPECT_LT(s, 0);
  EXPECT_GE(GetKeyState('M'), 0);
}

TEST_F(MessagesTest, ThreadMessagesAreRetrievedButNotDispatched) {
  ASSERT_TRUE(PostMessageW(nullptr, WM_APP, 1, 2));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(DispatchMessageW(&msg), 0);
}

}  // namespace
