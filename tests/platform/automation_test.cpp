// Scripted modal UI: handlers and expectations inside the modal loop, the policy for modal UI that
// nothing answers, the modal log, and the checks Reset makes.
// test-labels: threads
#include <gtest/gtest-spi.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../../platform/src/modal.h"
#include "../../platform/src/modal_script.h"
#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::detail::ModalEnd;
using plat::detail::RunModalLoop;
using plat::test::ModalContext;
using plat::test::ModalEnding;
using plat::test::ModalHandledBy;
using plat::test::ModalKind;

// Collects every test failure reported meanwhile, from any thread, instead of failing the test.
struct FailureSpy {
  ::testing::TestPartResultArray results;
  ::testing::ScopedFakeTestPartResultReporter reporter{
      ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &results};

  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (int i = 0; i < results.size(); ++i) out.push_back(results.GetTestPartResult(i).message());
    return out;
  }
};

bool AnyContains(const std::vector<std::string>& messages, const std::string& part) {
  for (const std::string& m : messages) {
    if (m.find(part) != std::string::npos) return true;
  }
  return false;
}

class AutomationTest : public WindowTest {
 protected:
  // A hidden modal popup owned by owner, as the kinds make theirs before the loop.
  HWND Modal(HWND owner, const wchar_t* title) {
    return CreateWindowExW(0, L"TestWnd", title, WS_POPUP | WS_CAPTION, 20, 20, 120, 90, owner, nullptr, nullptr,
                           nullptr);
  }
  ModalEnd RunLoop(HWND modal, ModalKind kind = ModalKind::Dialog) {
    return RunModalLoop(modal, static_cast<plat::detail::ModalKind>(kind), [] { return false; });
  }
};

TEST_F(AutomationTest, UnexpectedModalUiFailsTheTestIsCancelledAndLogged) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  HWND child = Kid(main, 5, {0, 0, 50, 50});
  HWND modal = Modal(child, L"Stray");
  ModalEnd end{};
  // Nothing answers it: WM_CLOSE ends it (DefWindowProc destroys the window) and the loop returns.
  EXPECT_NONFATAL_FAILURE(end = RunLoop(modal), "unexpected modal UI: dialog \"Stray\"");
  EXPECT_EQ(end, ModalEnd::Destroyed);
  EXPECT_TRUE(IsWindowEnabled(main));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, ModalKind::Dialog);
  EXPECT_EQ(log[0].hwnd, modal);
  EXPECT_EQ(log[0].caption, L"Stray");
  EXPECT_EQ(log[0].owner, main);  // the disabled top-level window, not the child passed
  EXPECT_EQ(log[0].topOwner, main);
  EXPECT_EQ(log[0].handledBy, ModalHandledBy::Unexpected);
  EXPECT_EQ(log[0].ending, ModalEnding::Destroyed);
  EXPECT_FALSE(log[0].hasResult);
}

TEST_F(AutomationTest, AnUnexpectedWindowThatIgnoresTheCancelIsDestroyedWithinASecond) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  HWND modal = Modal(main, L"Stubborn");
  On(WM_CLOSE, [](HWND, WPARAM, LPARAM, LRESULT*) { return true; });  // refuses to close
  const auto start = std::chrono::steady_clock::now();
  ModalEnd end{};
  std::vector<std::string> failures;
  {
    FailureSpy spy;
    end = RunLoop(modal);
    failures = spy.Messages();
  }
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(end, ModalEnd::Destroyed);
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_TRUE(AnyContains(failures, "unexpected modal UI: dialog \"Stubborn\""));
  EXPECT_TRUE(AnyContains(failures, "did not end within 1 s of being cancelled"));
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(AutomationTest, AllowUnscriptedCancelsSilently) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  plat::test::AllowUnscripted(plat::test::Unscripted::Cancel);
  std::vector<std::string> failures;
  ModalEnd end{};
  {
    FailureSpy spy;
    end = RunLoop(Modal(main, L"Quiet"), ModalKind::MessageBox);
    failures = spy.Messages();
  }
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(end, ModalEnd::Destroyed);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, ModalKind::MessageBox);
  EXPECT_EQ(log[0].handledBy, ModalHandledBy::Policy);
}

TEST_F(AutomationTest, HandlersRunShownInsideTheLoopByTitleOnceOrAlways) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  std::vector<std::wstring> seen;
  auto close = [&](ModalContext& ctx) {
    seen.push_back(ctx.Caption());
    EXPECT_TRUE(IsWindowVisible(ctx.Window()));
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(ctx.Owner(), main);
    ctx.Close();
  };
  plat::test::OnModal(ModalKind::Dialog, L"Setup", close, plat::test::Repeat::Always);
  plat::test::OnModal(ModalKind::Dialog, L"", close);  // any title, once
  EXPECT_EQ(RunLoop(Modal(main, L"Setup")), ModalEnd::Destroyed);
  EXPECT_EQ(RunLoop(Modal(main, L"Other")), ModalEnd::Destroyed);
  EXPECT_EQ(RunLoop(Modal(main, L"Setup")), ModalEnd::Destroyed);
  EXPECT_NONFATAL_FAILURE(RunLoop(Modal(main, L"Other")), "unexpected modal UI: dialog \"Other\"");
  EXPECT_NONFATAL_FAILURE(RunLoop(Modal(main, L"Setup"), ModalKind::MessageBox), "unexpected modal UI: message box");
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Setup", L"Other", L"Setup"}));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].handledBy, ModalHandledBy::Script);
  EXPECT_EQ(log[3].handledBy, ModalHandledBy::Unexpected);
}

TEST_F(AutomationTest, TheContextReadsAndActsOnControls) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  HWND modal = Modal(main, L"Form");
  HWND field = Kid(modal, 10, {5, 5, 60, 20});
  Kid(modal, 11, {5, 25, 60, 40});
  plat::test::OnModal(ModalKind::Dialog, L"Form", [&](ModalContext& ctx) {
    EXPECT_EQ(ctx.Control(10), field);
    EXPECT_EQ(ctx.Control(99), nullptr);
    EXPECT_EQ(ctx.Controls().size(), 2u);
    EXPECT_TRUE(ctx.SetText(10, L"L-12"));
    EXPECT_EQ(ctx.ControlText(10), L"L-12");
    EXPECT_NONFATAL_FAILURE(ctx.SetText(99, L"x"), "has no control 99");
    EnableWindow(ctx.Control(11), FALSE);
    EXPECT_NONFATAL_FAILURE(ctx.Click(11), "control 11 of \"Form\" is disabled");
    EXPECT_NONFATAL_FAILURE(ctx.Answer(IDOK), "Answer does not apply to the dialog \"Form\"");
    EXPECT_NONFATAL_FAILURE(ctx.ClickCaptionOk(), "has no caption OK box");
    ctx.Close();
  });
  EXPECT_EQ(RunLoop(modal), ModalEnd::Destroyed);
  EXPECT_EQ(rec.Of(WM_SETTEXT).size(), 1u);
}

TEST_F(AutomationTest, ExpectationsAreMetInOrder) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200}, L"main");
  std::vector<std::wstring> seen;
  auto close = [&](ModalContext& ctx) {
    seen.push_back(ctx.Caption());
    ctx.Close();
  };
  plat::test::ExpectDialog(L"First", close);
  plat::test::ExpectDialog(L"Second", close);
  EXPECT_EQ(plat::test::PendingExpectations(), 2u);
  // Out of turn: the front expectation stays, and the failure says what was expected.
  EXPECT_NONFATAL_FAILURE(RunLoop(Modal(main, L"Second")), "expected the dialog \"First\" next");
  RunLoop(Modal(main, L"First"));
  RunLoop(Modal(main, L"Second"));
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"First", L"Second"}));
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].handledBy, ModalHandledBy::Expectation);
}

TEST_F(AutomationTest, ResetFailsATestWhoseExpectationsWereNotMet) {
  plat::test::ExpectMenu(plat::test::kCancel);
  plat::test::ExpectMessageBox({L"Confirm Exit", L"", IDOK});
  std::vector<std::string> failures;
  {
    FailureSpy spy;
    plat::test::Reset();
    failures = spy.Messages();
  }
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_TRUE(AnyContains(failures, "expected modal UI never opened: a popup menu"));
  EXPECT_TRUE(AnyContains(failures, "expected modal UI never opened: a message box \"Confirm Exit\""));
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
}

TEST_F(AutomationTest, ResetFailsATestThatLeavesAThreadAlive) {
  static std::atomic<bool> release{false};
  static std::atomic<bool> ended{false};
  auto loop = [](LPVOID) -> DWORD {
    while (!release.load()) Sleep(1);  // a reader nobody stops
    ended.store(true);
    return 0;
  };
  HANDLE t = CreateThread(nullptr, 0, loop, nullptr, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_NONFATAL_FAILURE(plat::test::Reset(), "a platform thread was still alive");
  release.store(true);
  while (!ended.load()) std::this_thread::yield();
}

// ---- On a program's own UI thread ----

ModalEnd g_programEnd;
DWORD g_programThread;
HWND g_programMain;

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcW(h, msg, w, l); }

int WINAPI ModalProgram(HINSTANCE, HINSTANCE, LPWSTR, int) {
  g_programThread = GetCurrentThreadId();
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = L"ProgramWnd";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, L"ProgramWnd", L"Program", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr,
                              nullptr);
  g_programMain = main;
  for (const wchar_t* title : {L"Port Error", L"Unasked"}) {
    HWND box = CreateWindowExW(0, L"ProgramWnd", title, WS_POPUP | WS_CAPTION, 20, 20, 150, 80, main, nullptr,
                               nullptr, nullptr);
    g_programEnd = RunModalLoop(box, plat::detail::ModalKind::MessageBox, [] { return false; });
    plat::detail::ReportModalResult(box, plat::detail::ModalKind::MessageBox, IDOK);
  }
  return 3;
}

TEST_F(AutomationTest, ScriptsRunOnTheProgramsUiThreadAndUnexpectedUiNeverHangsIt) {
  DWORD handlerThread = 0;
  plat::test::OnModal(ModalKind::MessageBox, L"Port Error", [&](ModalContext& ctx) {
    handlerThread = GetCurrentThreadId();
    ctx.Close();
  });
  std::vector<std::string> failures;
  int code;
  {
    FailureSpy spy;
    HANDLE program = plat::test::RunProgram(ModalProgram);
    code = plat::test::Wait(program, 5000);
    failures = spy.Messages();
  }
  EXPECT_EQ(code, 3);
  EXPECT_EQ(handlerThread, g_programThread);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(AnyContains(failures, "unexpected modal UI: message box \"Unasked\""));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].caption, L"Port Error");
  EXPECT_EQ(log[0].handledBy, ModalHandledBy::Script);
  EXPECT_EQ(log[1].handledBy, ModalHandledBy::Unexpected);
  for (const auto& r : log) {
    EXPECT_EQ(r.ending, ModalEnding::Destroyed);
    EXPECT_TRUE(r.hasResult);
    EXPECT_EQ(r.result, IDOK);
    EXPECT_EQ(r.owner, g_programMain);
  }
}

}  // namespace
