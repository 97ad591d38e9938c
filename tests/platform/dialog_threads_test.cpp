// A dialog's loop keeps the thread's other work going: a worker's SendMessage to the owner
// completes, the owner's 300 ms timer keeps ticking on the virtual clock, and the timer handler's
// SetFocus cannot pull the focus out of the dialog; EndDialog from a worker ends the loop.
// test-labels: threads
#include <atomic>

#include "dialog_test_util.h"

namespace {

using namespace dlgtest;

constexpr DWORD kStart = 50000;

class DialogThreadsTest : public DialogTest {
 protected:
  void StartClock() {
    plat::test::UseVirtualClock(kStart, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  }
};

struct Worker {
  HWND target;
  UINT msg;
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
};

DWORD WINAPI SendFromWorker(LPVOID p) {
  auto* w = static_cast<Worker*>(p);
  w->result = SendMessageW(w->target, w->msg, 7, 0);
  w->done = true;
  return 0;
}

TEST_F(DialogThreadsTest, InsideADialogAWorkersSendCompletesAndA300MsTimerTicks) {
  StartClock();
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HWND field = Kid(main, 4, {0, 0, 100, 20});
  static constexpr DlgTemplateT t{L"T", L"Survey Setup", kHandheldStyle | DS_CENTER, WS_EX_CAPTIONOKBTN, 0, 0,
                                  100, 60, L"MS Sans Serif", 9, nullptr, 0};
  Worker worker{main, WM_USER + 10};
  HANDLE thread = nullptr;
  HWND dlg = nullptr;
  std::vector<DWORD> ticks;
  std::atomic<bool> handledOnUi{false};
  const DWORD ui = GetCurrentThreadId();
  bool focusStolen = false;
  On(WM_USER + 10, [&](HWND, WPARAM w, LPARAM, LRESULT* r) {
    handledOnUi = GetCurrentThreadId() == ui;
    *r = static_cast<LRESULT>(w) * 6;
    return true;
  });
  On(WM_TIMER, [&](HWND, WPARAM, LPARAM, LRESULT*) {
    ticks.push_back(GetTickCount() - kStart);
    // The watchdog-like handler grabs the focus for its window: refused while the dialog is open.
    if (SetFocus(field) != nullptr || GetFocus() != dlg) focusStolen = true;
    if (ticks.size() == 10) EndDialog(dlg, IDOK);
    return true;
  });
  OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) {
    dlg = h;
    thread = CreateThread(nullptr, 0, SendFromWorker, &worker, 0, nullptr);
    return TRUE;
  });
  SetFocus(field);
  SetTimer(main, 1, 300, nullptr);
  plat::test::OnModalStart([](HWND, plat::test::ModalKind) {});  // the timer ends the dialog
  EXPECT_EQ(Run(t, main), IDOK);
  KillTimer(main, 1);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
  EXPECT_TRUE(worker.done);
  EXPECT_EQ(worker.result.load(), 42);
  EXPECT_TRUE(handledOnUi);
  EXPECT_EQ(ticks, (std::vector<DWORD>{300, 600, 900, 1200, 1500, 1800, 2100, 2400, 2700, 3000}));
  EXPECT_FALSE(focusStolen);
  EXPECT_EQ(GetFocus(), field);  // given back when the dialog ended
  EXPECT_TRUE(IsWindowEnabled(main));
}

DWORD WINAPI EndFromWorker(LPVOID p) {
  EndDialog(*static_cast<HWND*>(p), 9);
  return 0;
}

TEST_F(DialogThreadsTest, EndDialogFromAnotherThreadWakesTheLoop) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  static constexpr DlgTemplateT t{L"T", L"GPS Message", kHandheldStyle, 0, 0, 0, 100, 40, L"MS Sans Serif", 9,
                                  nullptr, 0};
  HWND dlg = nullptr;
  HANDLE thread = nullptr;
  WhenOpen([&](HWND h) {
    dlg = h;
    thread = CreateThread(nullptr, 0, EndFromWorker, &dlg, 0, nullptr);
  });
  EXPECT_EQ(Run(t, main), 9);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
  EXPECT_FALSE(IsWindow(dlg));
}

}  // namespace
