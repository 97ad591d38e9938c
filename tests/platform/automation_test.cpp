// Scripted modal UI: handlers and expectations inside the modal loop, the policy for modal UI that
// nothing answers, the modal log, and the checks Reset makes.
// test-labels: threads
#include <gtest/gtest-spi.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../../platform/src/boxes_internal.h"
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

// The messages of every test failure fn reports, from any thread, instead of failing the test.
std::vector<std::string> FailuresOf(const std::function<void()>& fn) {
  ::testing::TestPartResultArray results;
  {
    ::testing::ScopedFakeTestPartResultReporter spy(::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS,
                                                    &results);
    fn();
  }
  std::vector<std::string> out;
  for (int i = 0; i < results.size(); ++i) out.push_back(results.GetTestPartResult(i).message());
  return out;
}

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
  const std::vector<std::string> failures = FailuresOf([&] { end = RunLoop(modal); });
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
  ModalEnd end{};
  const std::vector<std::string> failures =
      FailuresOf([&] { end = RunLoop(Modal(main, L"Quiet"), ModalKind::MessageBox); });
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
  const std::vector<std::string> failures = FailuresOf([] { plat::test::Reset(); });
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

// ---- Driving each kind ----

INT_PTR CALLBACK OkCancelProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    EndDialog(h, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

constexpr DlgTemplateT kSetup{L"Setup", L"Setup", WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
                              WS_EX_CAPTIONOKBTN, 0, 0, 100, 60, L"MS Sans Serif", 9, nullptr, 0};

TEST_F(AutomationTest, DialogsEndByTheContextsActions) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
  struct Case {
    const char* name;
    std::function<void(ModalContext&)> act;
    INT_PTR result;
  };
  const Case cases[] = {
      {"End", [](ModalContext& c) { c.End(5); }, 5},
      {"ClickCaptionOk", [](ModalContext& c) { c.ClickCaptionOk(); }, IDOK},
      {"Key Escape", [](ModalContext& c) { c.Key(VK_ESCAPE); }, IDCANCEL},
      {"Key Enter", [](ModalContext& c) { c.Key(VK_RETURN); }, IDOK},
      {"Close", [](ModalContext& c) { c.Close(); }, IDCANCEL},
      {"Cancel", [](ModalContext& c) { c.Cancel(); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::test::ExpectDialog(L"Setup", c.act);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &kSetup, main, OkCancelProc, 0), c.result);
    const auto log = plat::test::ModalLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().kind, ModalKind::Dialog);
    EXPECT_EQ(log.back().caption, L"Setup");
    EXPECT_EQ(log.back().owner, main);
    EXPECT_EQ(log.back().handledBy, ModalHandledBy::Expectation);
    EXPECT_EQ(log.back().ending, ModalEnding::Ended);
    EXPECT_TRUE(log.back().hasResult);
    EXPECT_EQ(log.back().result, c.result);
  }
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  // Unscripted, by policy: OK is IDOK, a cancel goes through WM_CLOSE to the procedure's IDCANCEL.
  plat::test::AllowUnscripted(plat::test::Unscripted::AnswerOk);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &kSetup, main, OkCancelProc, 0), IDOK);
  plat::test::AllowUnscripted(plat::test::Unscripted::Cancel);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &kSetup, main, OkCancelProc, 0), IDCANCEL);
}

TEST_F(AutomationTest, MessageBoxesAreAnsweredCheckedAndLogged) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
  HWND monitor = Kid(main, 7, {0, 0, 50, 50}, WS_CHILD);  // a hidden child owns the box
  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit the", IDYES});
  EXPECT_EQ(MessageBoxW(monitor, L"Exit the program?", L"Confirm Exit", MB_YESNO | MB_ICONQUESTION), IDYES);
  auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, ModalKind::MessageBox);
  EXPECT_EQ(log[0].caption, L"Confirm Exit");
  EXPECT_EQ(log[0].text, L"Exit the program?");
  EXPECT_EQ(log[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(log[0].owner, monitor);
  EXPECT_EQ(log[0].topOwner, main);
  EXPECT_EQ(log[0].result, IDYES);

  // A text that does not match fails, and the box is still answered.
  plat::test::ExpectMessageBox({L"Port Error", L"COM2", IDOK});
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(MessageBoxW(main, L"COM1 is busy", L"Port Error", MB_OK), IDOK),
                          "does not contain \"COM2\"");
  // An answer the box has no button for fails, and the box is closed with its non-Yes result.
  plat::test::ExpectMessageBox({L"", L"", IDYES});
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(MessageBoxW(main, L"Saved", L"Note", MB_OKCANCEL), IDCANCEL),
                          "has no button 6");
  // Unscripted: the default fails and closes (non-Yes); AnswerOk gives the first button silently.
  int unexpected = 0;
  EXPECT_NONFATAL_FAILURE(unexpected = MessageBoxW(main, L"Really?", L"Stray", MB_YESNO),
                          "unexpected modal UI: message box \"Stray\" with text \"Really?\"");
  EXPECT_EQ(unexpected, IDNO);
  plat::test::AllowUnscripted(plat::test::Unscripted::AnswerOk);
  EXPECT_EQ(MessageBoxW(main, L"Really?", L"Stray", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(main, L"Go on?", L"Stray", MB_OKCANCEL), IDOK);
  log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[3].handledBy, ModalHandledBy::Unexpected);
  EXPECT_EQ(log[3].result, IDNO);
  EXPECT_EQ(log[5].handledBy, ModalHandledBy::Policy);
}

std::vector<std::pair<int, int>> g_notes;  // (id, code) of the form's WM_COMMANDs

INT_PTR CALLBACK FormProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  if (msg == WM_INITDIALOG) {
    for (const wchar_t* mode : {L"Walk", L"Drive", L"Fixed"}) {
      SendDlgItemMessageW(h, 13, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
      SendDlgItemMessageW(h, 14, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    }
    SendDlgItemMessageW(h, 13, CB_SETCURSEL, 0, 0);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  g_notes.emplace_back(LOWORD(w), HIWORD(w));
  if (LOWORD(w) == IDCANCEL || LOWORD(w) == 12) EndDialog(h, LOWORD(w));
  return TRUE;
}

constexpr DlgItemT kFormItems[] = {DlgLText(-1, L"Line", 5, 5, 30, 10), DlgEdit(10, 40, 5, 50, 12),
                                   DlgCheckBox(11, L"Ice", 5, 22, 60, 10),
                                   DlgPushButton(12, L"Apply", 5, 38, 40, 14), DlgComboBox(13, 50, 22, 45, 50),
                                   DlgListBox(14, 50, 40, 45, 30, WS_BORDER | WS_VSCROLL),
                                   DlgEdit(15, 5, 55, 40, 12, ES_READONLY)};
constexpr DlgTemplateT kForm = DlgDef(L"Form", L"Survey Form", WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT,
                                      WS_EX_CAPTIONOKBTN, 0, 0, 100, 70, L"MS Sans Serif", 9, kFormItems);

TEST_F(AutomationTest, HandlersFillInDialogControlsAsAUserWould) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
  g_notes.clear();
  std::wstring typed;
  bool checked = false;
  size_t notesBeforeClick = 0;
  plat::test::ExpectDialog(L"Survey Form", [&](ModalContext& ctx) {
    EXPECT_TRUE(ctx.SetText(10, L"L-12"));
    typed = ctx.ControlText(10);
    EXPECT_TRUE(ctx.Check(11, true));
    EXPECT_TRUE(ctx.Check(11, true));  // already checked: no second click
    checked = IsDlgButtonChecked(ctx.Window(), 11) == BST_CHECKED;
    EXPECT_NONFATAL_FAILURE(ctx.Check(10, true), "did not take the state");  // an edit is no check box
    EXPECT_TRUE(ctx.Select(13, 2));
    EXPECT_TRUE(ctx.Select(13, 2));  // no change: no notification
    EXPECT_NONFATAL_FAILURE(ctx.Select(13, 7), "combo box 13 has no item 7");
    EXPECT_TRUE(ctx.Select(14, 1));
    EXPECT_NONFATAL_FAILURE(ctx.Select(10, 0), "control 10 is no combo or list box");
    // What the reading calls see.
    EXPECT_EQ(plat::test::Items(ctx.Control(13)), (std::vector<std::wstring>{L"Walk", L"Drive", L"Fixed"}));
    EXPECT_EQ(plat::test::Items(ctx.Control(14)).size(), 3u);
    EXPECT_EQ(plat::test::Selection(ctx.Control(13)), 2);  // the failed Select left it
    EXPECT_EQ(plat::test::Selection(ctx.Control(14)), 1);
    EXPECT_EQ(plat::test::TopIndex(ctx.Control(14)), 0);
    EXPECT_EQ(plat::test::TopIndex(ctx.Control(13)), -1);
    EXPECT_EQ(plat::test::CheckState(ctx.Control(11)), BST_CHECKED);
    EXPECT_TRUE(plat::test::IsReadOnly(ctx.Control(15)));
    EXPECT_FALSE(plat::test::IsReadOnly(ctx.Control(10)));
    notesBeforeClick = g_notes.size();
    EXPECT_TRUE(ctx.Click(12));
  });
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, &kForm, main, FormProc, 0), 12);
  EXPECT_EQ(typed, L"L-12");
  EXPECT_TRUE(checked);
  const std::vector<std::pair<int, int>> before(g_notes.begin(), g_notes.begin() + notesBeforeClick);
  auto count = [&](int id, int code) { return std::count(before.begin(), before.end(), std::make_pair(id, code)); };
  EXPECT_EQ(count(10, EN_UPDATE), 1);
  EXPECT_EQ(count(10, EN_CHANGE), 1);
  EXPECT_EQ(count(11, BN_CLICKED), 1);
  EXPECT_EQ(count(13, CBN_SELCHANGE), 1);
  EXPECT_EQ(std::count_if(before.begin(), before.end(), [](const auto& n) { return n.first == 14; }), 0);
  ASSERT_GT(g_notes.size(), notesBeforeClick);
  EXPECT_EQ(g_notes[notesBeforeClick], std::make_pair(12, BN_CLICKED));
}

TEST_F(AutomationTest, ColourChoosersAreAnsweredAndLogged) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
  COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = main;
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR | CC_RGBINIT;
  cc.rgbResult = RGB(0, 0, 255);
  plat::test::ExpectColour(RGB(255, 0, 0));
  EXPECT_TRUE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(255, 0, 0));
  plat::test::ExpectColour(plat::test::kCancel);
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(255, 0, 0));
  // Answered OK by the policy: the colour it came with.
  plat::test::AllowUnscripted(plat::test::Unscripted::AnswerOk);
  cc.rgbResult = RGB(0, 128, 0);
  EXPECT_TRUE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(0, 128, 0));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, ModalKind::Colour);
  EXPECT_EQ(log[0].caption, L"Color");
  EXPECT_EQ(log[0].owner, main);
  EXPECT_EQ(log[0].flags, static_cast<UINT>(CC_ANYCOLOR | CC_RGBINIT));
  EXPECT_EQ(log[0].result, TRUE);
  EXPECT_EQ(log[0].detail, L"RGB(255,0,0)");
  EXPECT_EQ(log[1].result, FALSE);
  EXPECT_EQ(log[2].handledBy, ModalHandledBy::Policy);
}

TEST_F(AutomationTest, FileDialogsAreAnsweredInTurnAndLogged) {
  plat::test::UseTempRoot();
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
  wchar_t file[MAX_PATH] = L"030514A.R12";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = main;
  ofn.lpstrFilter = L"RZ12 Files (*.R12)\0*.R12\0\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = L"Create Data File";
  ofn.lpstrDefExt = L"R12";
  plat::test::ExpectSaveFile(L"\\Line7");
  EXPECT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_STREQ(file, L"\\Line7.R12");
  plat::test::ExpectSaveFile(plat::test::kCancel);
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  // An open dialog is expected, a save dialog comes: it is unexpected and cancelled, and the
  // expectation waits for its own dialog.
  plat::test::ExpectOpenFile(L"\\Line7.R12");
  BOOL saved = TRUE;
  EXPECT_NONFATAL_FAILURE(saved = GetSaveFileNameW(&ofn),
                          "file dialog \"Create Data File\" with text \"\\Line7.R12\"; expected an open dialog next");
  EXPECT_FALSE(saved);
  ofn.lpstrTitle = nullptr;
  EXPECT_TRUE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  // Answered OK by the policy: the name it came with.
  plat::test::AllowUnscripted(plat::test::Unscripted::AnswerOk);
  wcscpy(file, L"\\Other.R12");
  EXPECT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_STREQ(file, L"\\Other.R12");
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, ModalKind::OpenSave);
  EXPECT_EQ(log[0].caption, L"Create Data File");
  EXPECT_EQ(log[0].text, L"030514A.R12");
  EXPECT_EQ(log[0].owner, main);
  EXPECT_EQ(log[0].result, TRUE);
  EXPECT_EQ(log[0].detail, L"\\Line7.R12");
  EXPECT_EQ(log[1].result, FALSE);
  EXPECT_EQ(log[2].handledBy, ModalHandledBy::Unexpected);
  EXPECT_EQ(log[3].caption, L"Open");
  EXPECT_EQ(log[3].handledBy, ModalHandledBy::Expectation);
  EXPECT_EQ(log[4].handledBy, ModalHandledBy::Policy);
}

constexpr MenuItemT kLogItems[] = {MenuString(L"&Start", 1101), MenuSeparator(), MenuString(L"&Pause", 1102, MF_GRAYED),
                                   MenuString(L"E&xit", 1103)};
constexpr MenuItemT kLogTop[] = {MenuPopup(L"Log", kLogItems)};
constexpr MenuT kLogMenu = MenuDef(1100, kLogTop);

TEST_F(AutomationTest, PopupMenusAreChosenOrCancelled) {
  HWND main = Top(WS_VISIBLE, {0, 0, 320, 240}, L"main");
  HMENU menu = plat::detail::LoadMenuFromTree(kLogMenu);
  HMENU sub = GetSubMenu(menu, 0);
  ASSERT_NE(sub, nullptr);
  plat::test::ExpectMenu(1103);
  EXPECT_EQ(TrackPopupMenuEx(sub, TPM_RETURNCMD | TPM_RIGHTALIGN, 220, 10, main, nullptr), 1103);
  plat::test::ExpectMenu(plat::test::kCancel);
  EXPECT_EQ(TrackPopupMenuEx(sub, TPM_RETURNCMD, 20, 10, main, nullptr), 0);
  // Without TPM_RETURNCMD the choice is posted after the call returns.
  plat::test::ExpectMenu(1101);
  EXPECT_TRUE(TrackPopupMenuEx(sub, 0, 20, 10, main, nullptr));
  EXPECT_TRUE(rec.Of(WM_COMMAND).empty());
  plat::test::PumpUntilIdle();
  ASSERT_EQ(rec.Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(LOWORD(rec.Of(WM_COMMAND)[0].wParam), 1101);
  // A grayed item cannot be chosen: the test fails and the menu is cancelled.
  plat::test::ExpectMenu(1102);
  BOOL chosen = TRUE;
  EXPECT_NONFATAL_FAILURE(chosen = TrackPopupMenuEx(sub, TPM_RETURNCMD, 20, 10, main, nullptr),
                          "no enabled item 1102");
  EXPECT_EQ(chosen, 0);
  EXPECT_NONFATAL_FAILURE(chosen = TrackPopupMenuEx(sub, TPM_RETURNCMD, 20, 10, main, nullptr),
                          "unexpected modal UI: popup menu");
  EXPECT_EQ(chosen, 0);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, ModalKind::Menu);
  EXPECT_EQ(log[0].result, 1103);
  EXPECT_EQ(log[1].result, 0);
  EXPECT_EQ(log[2].result, 1101);
  DestroyMenu(menu);
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
  int code = -1;
  const std::vector<std::string> failures =
      FailuresOf([&] { code = plat::test::Wait(plat::test::RunProgram(ModalProgram), 5000); });
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
