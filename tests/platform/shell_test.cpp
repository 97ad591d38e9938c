// Handheld shell stand-ins: the task bar and input-panel button windows, the panel preference
// recorder and the command-bar height.
#include <aygshell.h>
#include <commctrl.h>

#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::Profile;
using plat::test::PumpUntilIdle;

class ShellTest : public WindowTest {};

TEST_F(ShellTest, TaskBarAndPanelButtonAreFoundAndTheirVisibilityReadsBack) {
  HWND bar = FindWindowW(L"HHTaskBar", nullptr);
  HWND sip = FindWindowW(L"MS_SIPBUTTON", L"MS_SIPBUTTON");
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(sip, nullptr);
  EXPECT_NE(bar, sip);
  EXPECT_EQ(FindWindowA("hhtaskbar", nullptr), bar);  // the class ignoring case
  EXPECT_EQ(FindWindowW(nullptr, L"MS_SIPBUTTON"), sip);
  EXPECT_EQ(FindWindowW(L"MS_SIPBUTTON", L"ms_sipbutton"), nullptr);  // the title exactly
  EXPECT_TRUE(IsWindow(bar));
  // Both are visible at start.
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_TRUE(plat::test::TaskBarVisible());
  EXPECT_TRUE(plat::test::SipButtonVisible());

  EXPECT_TRUE(ShowWindow(bar, SW_HIDE));  // it was visible
  EXPECT_FALSE(ShowWindow(bar, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_FALSE(plat::test::TaskBarVisible());
  EXPECT_TRUE(plat::test::SipButtonVisible());
  EXPECT_TRUE(ShowWindow(sip, SW_HIDE));
  EXPECT_FALSE(plat::test::SipButtonVisible());
  EXPECT_FALSE(ShowWindow(bar, SW_SHOW));
  EXPECT_TRUE(plat::test::TaskBarVisible());

  // A reset brings both back.
  plat::test::Reset(Profile::Handheld);
  EXPECT_TRUE(plat::test::SipButtonVisible());
  EXPECT_TRUE(IsWindowVisible(FindWindowW(L"MS_SIPBUTTON", L"MS_SIPBUTTON")));
}

TEST_F(ShellTest, StandInsNeverTakeTheActivationTheFocusOrTheScreen) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HWND kid = Kid(main, 5, {10, 10, 50, 50});
  SetFocus(kid);
  PumpUntilIdle();
  const COLORREF before = plat::test::ScreenPixel(120, 300);
  HWND bar = FindWindowW(L"HHTaskBar", nullptr);
  ShowWindow(bar, SW_HIDE);
  ShowWindow(bar, SW_SHOW);
  ShowWindow(FindWindowW(L"MS_SIPBUTTON", L"MS_SIPBUTTON"), SW_SHOW);
  PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), kid);
  EXPECT_EQ(plat::test::ScreenPixel(120, 300), before);
  // Other window calls on them fail harmlessly.
  EXPECT_EQ(SendMessageW(bar, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(PostMessageW(bar, WM_CLOSE, 0, 0));
  EXPECT_FALSE(DestroyWindow(bar));
  wchar_t text[8] = L"x";
  EXPECT_EQ(GetWindowTextW(bar, text, 8), 0);
  EXPECT_EQ(text[0], L'\0');
  EXPECT_TRUE(IsWindow(bar));
  EXPECT_TRUE(IsWindowVisible(bar));
}

TEST_F(ShellTest, TheDesktopHasNoShellWindows) {
  plat::test::Reset(Profile::Desktop);
  EXPECT_EQ(FindWindowW(L"HHTaskBar", nullptr), nullptr);
  EXPECT_EQ(FindWindowA("MS_SIPBUTTON", "MS_SIPBUTTON"), nullptr);
  EXPECT_FALSE(ShowWindow(nullptr, SW_SHOW));
  EXPECT_FALSE(plat::test::TaskBarVisible());
}

TEST_F(ShellTest, PanelPreferencesAreRecordedAndKeepOneState) {
  HWND main = Top();
  EXPECT_TRUE(SHSipPreference(main, SIP_UP));
  EXPECT_EQ(plat::test::SipPanelState(), SIP_UP);
  EXPECT_TRUE(SHSipPreference(main, SIP_FORCEDOWN));
  EXPECT_TRUE(SHSipPreference(nullptr, SIP_DOWN));
  EXPECT_FALSE(SHSipPreference(main, static_cast<SIPSTATE>(7)));  // neither recorded nor applied
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  const auto calls = plat::test::SipPreferences();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].hwnd, main);
  EXPECT_EQ(calls[0].state, SIP_UP);
  EXPECT_EQ(calls[1].state, SIP_FORCEDOWN);
  EXPECT_EQ(calls[2].hwnd, nullptr);
  EXPECT_EQ(plat::test::SipPanelState(), SIP_DOWN);
  plat::test::Reset(Profile::Handheld);
  EXPECT_TRUE(plat::test::SipPreferences().empty());
}

TEST_F(ShellTest, ThereIsNoCommandBar) {
  HWND main = Top();
  EXPECT_EQ(CommandBar_Height(nullptr), 0);
  EXPECT_EQ(CommandBar_Height(GetDlgItem(main, 10)), 0);
  EXPECT_EQ(CommandBar_Height(main), 0);
}

}  // namespace
