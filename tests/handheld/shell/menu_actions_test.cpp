// The main menu in the running program: the selection frame on the buttons, the setup dialogs
// with the soft input panel around them, "Monitor GPS Output", View Files and Exit.
// test-labels: threads
#include <gtest/gtest.h>
#include <aygshell.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include "app_test_support.h"
#include "engine/state.h"
#include "shell/file_review.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using test::AppTest;

// Stand-in templates: the real ones come with their dialogs.
constexpr DlgItemT kItems[] = {DlgLText(100, L"stand-in", 4, 4, 60, 10)};
constexpr DlgTemplateT kDialogs[] = {
    DlgDef(L"GetSurveySetup12V", L"Survey Setup", WS_POPUP | WS_CAPTION, 0, 0, 0, 100, 60, L"MS Sans Serif", 8,
           kItems),
    DlgDef(L"GetGPSPortSetup", L"GPS Port", WS_POPUP | WS_CAPTION, 0, 0, 0, 100, 60, L"MS Sans Serif", 8, kItems),
};
const ResourceTableT kTable{kDialogs, 2, nullptr, 0, nullptr, 0, nullptr, 0};
const ResourceTableT kNoDialogs{};

class MenuActions : public AppTest {
 protected:
  // Starts the build with the stand-in templates (or none); settings changed before come into the
  // new file.
  void StartWith(int model, plat::test::Screen screen, void (*settings)() = nullptr, bool standIns = true) {
    test::UseApp(model);
    plat::RegisterResources(standIns ? kTable : kNoDialogs);
    if (settings) settings();
    program_ = test::StartApp(screen);
  }

  static DWORD ButtonType(int i) { return plat::test::Style(AppWindows.menuButtons[i]) & BS_TYPEMASK; }
  // The index of the one button with the default-button frame; -1 when none or several have it.
  static int Framed() {
    int found = -1;
    for (int i = 0; i < 7; ++i) {
      if (ButtonType(i) != BS_DEFPUSHBUTTON) continue;
      if (found != -1) return -1;
      found = i;
    }
    return found;
  }
  static void Key(int vk) {
    plat::test::KeyPress(vk);
    EXPECT_TRUE(plat::test::WaitIdle());
  }
};

// The frame follows the selection keys around both ends, and Enter on a fresh start opens the
// survey setup with the panel button shown for the dialog and the panel forced down after it.
TEST_F(MenuActions, SelectionKeysMoveTheFrameAndEnterPressesTheFramedButton) {
  StartWith(kModelRz12, {240, 320});
  HWND main = test::MainWindow();
  EXPECT_EQ(Framed(), 1);
  Key(VK_UP);
  Key(VK_LEFT);
  EXPECT_EQ(MainMenu.selected, 6);
  EXPECT_EQ(Framed(), 6);
  Key(VK_TAB);
  EXPECT_EQ(Framed(), 0);
  Key(VK_DOWN);
  EXPECT_EQ(Framed(), 1);
  EXPECT_TRUE(plat::test::ModalLog().empty());  // moving performed nothing

  ASSERT_FALSE(plat::test::SipButtonVisible());
  bool sipShown = false;
  plat::test::ExpectDialog(L"Survey Setup", [&](plat::test::ModalContext& d) {
    sipShown = plat::test::SipButtonVisible();
    d.End(IDOK);
  });
  Key(VK_RETURN);
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_TRUE(sipShown);
  EXPECT_FALSE(plat::test::SipButtonVisible());
  const auto prefs = plat::test::SipPreferences();
  ASSERT_FALSE(prefs.empty());
  EXPECT_EQ(prefs.back().hwnd, main);
  EXPECT_EQ(prefs.back().state, SIP_FORCEDOWN);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].owner, main);
  EXPECT_EQ(ExitByKey(), 0);
}

// The RZ89 has no survey setup: 'S' leaves the menu, the panel and everything else alone.
TEST_F(MenuActions, Rz89SurveySetupOpensNothing) {
  StartWith(kModelRz89, {240, 320});
  Key('S');
  Key(115);
  EXPECT_TRUE(plat::test::ModalLog().empty());
  EXPECT_TRUE(plat::test::SipPreferences().empty());
  EXPECT_FALSE(plat::test::SipButtonVisible());
  EXPECT_EQ(Framed(), 1);
  EXPECT_EQ(ExitByKey(), 0);
}

// A template that is not there opens nothing, and the menu goes on taking keys.
TEST_F(MenuActions, MissingTemplatesOpenNothing) {
  StartWith(kModelRz27B, {320, 240}, nullptr, false);
  for (int vk : {'S', 'O', 'G', 'D'}) Key(vk);
  EXPECT_TRUE(plat::test::ModalLog().empty());
  Key(VK_TAB);
  EXPECT_EQ(Framed(), 2);
  EXPECT_EQ(ExitByKey(), 0);
}

// A thread that has ended, its handle still held (what the GPS monitor left in WorkerThreads.gps).
HANDLE EndedThread() {
  HANDLE h = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  return h;
}

// "Monitor GPS Output" (the GPS port dialog ending with 1) opens the GPS port, closes the handle
// left from an earlier monitor before it starts the new reader, and shows the monitor window.
TEST_F(MenuActions, MonitorGpsOutputStartsTheMonitorReader) {
  auto gpsPort = plat::test::AttachVirtualPort(2);
  StartWith(kModelRz12, {320, 240}, [] {
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 1;
  });
  const HANDLE stale = EndedThread();
  plat::test::OnUiThread([stale] {
    WorkerThreads.gps = stale;
    return LRESULT{0};
  });
  plat::test::ExpectDialog(L"GPS Port", [](plat::test::ModalContext& d) { d.End(1); });
  Key('G');
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_TRUE(gpsPort->IsOpen());
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.monitorGpsWnd));
  ASSERT_NE(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_NE(WorkerThreads.gps, stale);
  EXPECT_EQ(WaitForSingleObject(WorkerThreads.gps, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // reading
  EXPECT_FALSE(CloseHandle(stale));  // closed once already
}

TEST_F(MenuActions, MonitorGpsOutputWithGpsInputOffOpensNoPort) {
  auto gpsPort = plat::test::AttachVirtualPort(2);
  StartWith(kModelRz12, {320, 240});
  plat::test::ExpectDialog(L"GPS Port", [](plat::test::ModalContext& d) { d.End(1); });
  Key('g');  // 103, the lower-case code
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(gpsPort->OpenAttempts(), 0);
  EXPECT_EQ(WorkerThreads.gps, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.monitorGpsWnd));
}

TEST_F(MenuActions, GpsPortDialogCancelledStartsNoMonitor) {
  auto gpsPort = plat::test::AttachVirtualPort(2);
  StartWith(kModelRz12, {320, 240}, [] { SurveySettings.gpsEnabled = 1; });
  plat::test::ExpectDialog(L"GPS Port", [](plat::test::ModalContext& d) { d.End(IDCANCEL); });
  Key('G');
  EXPECT_EQ(gpsPort->OpenAttempts(), 0);
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.monitorGpsWnd));
  EXPECT_EQ(ExitByKey(), 0);
}

// View Files shows the review window with the focus; the review's Exit (the character 'x', or a
// click on "E&xit") hides it again and the menu takes the keys once more. Other keys leave it up.
TEST_F(MenuActions, ViewFilesComesBackToTheMenu) {
  StartWith(kModelRz12, {320, 240});
  Key('V');
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.viewFilesWnd);
  Key('A');
  EXPECT_TRUE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  Key('X');
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  Key(118);  // 'v'
  ASSERT_TRUE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  plat::test::Click(FileReview.buttons[8]);
  EXPECT_TRUE(plat::test::WaitIdle());
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  Key(VK_TAB);
  EXPECT_EQ(Framed(), 2);
  EXPECT_EQ(ExitByKey(), 0);
}

// Exit shows the panel button again (portrait), stops the keep-alive thread and ends with 0; a
// click on the button does the same as the key.
TEST_F(MenuActions, ExitButtonEndsTheProgram) {
  StartWith(kModelRz12, {240, 320});
  plat::test::Click(AppWindows.menuButtons[6]);
  test::Run(200);
  EXPECT_TRUE(test::Ended(program_));
  EXPECT_TRUE(plat::test::SipButtonVisible());
  EXPECT_EQ(WorkerThreads.keepAliveRun.load(), 0);
  EXPECT_EQ(End(), 0);
}

}  // namespace
}  // namespace handheld
