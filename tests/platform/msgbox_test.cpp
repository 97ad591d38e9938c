// Message boxes: the window and its layout, buttons, keys and clicks, the non-Yes result of
// closing or destroying, the call record, nesting, and the loop serving sends and timers.
// test-labels: threads
#include <string>

#include "boxes_test_util.h"

namespace {

using boxtest::kShiftTab;
using boxtest::ModalUiTest;
using plat::test::ModalKind;

class MessageBoxTest : public ModalUiTest {};

TEST_F(MessageBoxTest, IsACaptionedTopLevelWindowWithItsButtonsCentredUnderTheText) {
  RECT text{};
  Then([&](HWND box, ModalKind kind) {
    EXPECT_EQ(kind, ModalKind::MessageBox);
    EXPECT_EQ(FindWindowW(nullptr, L"Confirm Exit"), box);
    EXPECT_FALSE(IsWindowEnabled(main));
    ASSERT_EQ(plat::test::Children(box).size(), 2u);
    HWND yes = GetDlgItem(box, IDYES);
    HWND no = GetDlgItem(box, IDNO);
    EXPECT_EQ(plat::test::Text(yes), L"&Yes");
    EXPECT_EQ(plat::test::Text(no), L"&No");
    EXPECT_EQ(GetFocus(), yes);
    EXPECT_EQ(plat::test::Style(yes) & 0xF, 1u);  // the default push button
    EXPECT_EQ(plat::test::Style(no) & 0xF, 0u);

    const RECT w = plat::test::WindowRect(box);
    EXPECT_EQ(w.left, (240 - (w.right - w.left)) / 2);
    EXPECT_EQ(w.top, (320 - (w.bottom - w.top)) / 2);
    const RECT c = plat::test::ClientRectScreen(box);
    const RECT y = plat::test::WindowRect(yes);
    const RECT n = plat::test::WindowRect(no);
    EXPECT_EQ(y.right - y.left, 56);
    EXPECT_EQ(y.bottom - y.top, 20);
    EXPECT_EQ(n.right - n.left, 56);
    EXPECT_EQ(n.top, y.top);
    EXPECT_LE(std::abs((y.left - c.left) - (c.right - n.right)), 1);

    plat::test::PumpUntilIdle();  // paints the box
    auto drawn = plat::test::FindText(L"Exit Logging?");
    ASSERT_TRUE(drawn.has_value());
    EXPECT_EQ(drawn->window, box);
    text = drawn->rect;
    POINT p{text.left, text.bottom};
    ClientToScreen(box, &p);
    EXPECT_LE(p.y, y.top);  // the buttons sit under the text
    EXPECT_TRUE(plat::detail::ScriptAnswerBox(box, IDYES));
  });
  plat::test::EnableDrawLog(true);
  EXPECT_EQ(MessageBoxW(main, L"Exit Logging?", L"Confirm Exit", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(FindWindowW(nullptr, L"Confirm Exit"), nullptr);
  EXPECT_TRUE(plat::test::ModalStack().empty());
}

TEST_F(MessageBoxTest, WrapsTheTextWithinTheScreenWidthLessSixteen) {
  const std::wstring text =
      L"Place  RZ27-MK2  on  Monopod\r\nin  Vertical  Dipole  Mode\r\nand  press  YES  when  ready\r\n"
      L"then wait while the instrument settles, which can take a little while on a cold morning";
  Then([&](HWND box, ModalKind) {
    plat::test::PumpUntilIdle();
    std::vector<RECT> lines;
    for (const auto& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Text && e.window == box && e.text != L"i") lines.push_back(e.rect);  // not the icon
    }
    ASSERT_GE(lines.size(), 5u);  // three hard breaks and a paragraph of two lines or more
    for (const RECT& r : lines) {
      EXPECT_LE(r.right - r.left, 240 - 16);
      EXPECT_EQ(r.left, lines[0].left);
    }
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].top, lines[i - 1].bottom);
    const RECT w = plat::test::WindowRect(box);
    EXPECT_GE(w.left, 0);
    EXPECT_LE(w.right, 240);
    PostMessageW(box, WM_CLOSE, 0, 0);
  });
  plat::test::EnableDrawLog(true);
  EXPECT_EQ(MessageBoxW(main, text.c_str(), L"CALIBRATION", MB_YESNO | MB_ICONINFORMATION), IDNO);
}

// WM_CLOSE, a sent WM_DESTROY (the watchdog's way) and DestroyWindow all end the box with the
// result that is not Yes, and leave no window behind.
TEST_F(MessageBoxTest, ClosingOrDestroyingGivesTheNonYesResult) {
  struct Way {
    const char* name;
    void (*act)(HWND);
  };
  const Way ways[] = {
      {"WM_CLOSE", [](HWND b) { PostMessageW(b, WM_CLOSE, 0, 0); }},
      {"sent WM_DESTROY", [](HWND b) { SendMessageW(b, WM_DESTROY, 0, 0); }},
      {"DestroyWindow", [](HWND b) { DestroyWindow(b); }},
  };
  const struct {
    UINT type;
    int result;
  } types[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNO, IDNO}};
  for (const Way& way : ways) {
    for (const auto& t : types) {
      SCOPED_TRACE(testing::Message() << way.name << " type " << t.type);
      HWND seen = nullptr;
      Then([&](HWND box, ModalKind) {
        seen = box;
        way.act(box);
      });
      EXPECT_EQ(MessageBoxW(main, L"text", L"Box", t.type), t.result);
      EXPECT_FALSE(IsWindow(seen));
      EXPECT_TRUE(IsWindowEnabled(main));
      EXPECT_TRUE(plat::test::ModalStack().empty());
    }
  }
}

TEST_F(MessageBoxTest, KeysAndClicksPressTheButtons) {
  struct Case {
    UINT type;
    std::vector<int> keys;
    int clickId;  // clicked after the keys, when nonzero
    int result;
  };
  const Case cases[] = {
      {MB_OK, {VK_RETURN}, 0, IDOK},
      {MB_OK, {VK_ESCAPE}, 0, IDOK},
      {MB_OK, {'O'}, 0, IDOK},
      {MB_OKCANCEL, {VK_ESCAPE}, 0, IDCANCEL},
      {MB_OKCANCEL, {VK_RETURN}, 0, IDOK},
      {MB_OKCANCEL, {VK_TAB, VK_RETURN}, 0, IDCANCEL},
      {MB_OKCANCEL, {VK_TAB, VK_TAB, VK_RETURN}, 0, IDOK},  // Tab wraps
      {MB_OKCANCEL, {'C'}, 0, IDCANCEL},
      {MB_YESNO, {VK_RETURN}, 0, IDYES},
      {MB_YESNO, {'N'}, 0, IDNO},
      {MB_YESNO, {kShiftTab, VK_RETURN}, 0, IDNO},
      {MB_YESNO, {VK_TAB, VK_SPACE}, 0, IDNO},  // Space presses the focused button
      {MB_YESNO, {VK_ESCAPE, 'Y'}, 0, IDYES},   // Escape does nothing here
      {MB_YESNO, {}, IDNO, IDNO},
      {MB_OKCANCEL, {}, IDCANCEL, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " keys " << c.keys.size() << " click " << c.clickId);
    Then([&](HWND box, ModalKind) {
      boxtest::Keys(c.keys);
      if (c.clickId) plat::test::Click(GetDlgItem(box, c.clickId));
    });
    EXPECT_EQ(MessageBoxW(main, L"Question?", L"Box", c.type), c.result);
  }
  EXPECT_TRUE(rec.Of(WM_KEYDOWN).empty());  // nothing reached the owner
}

TEST_F(MessageBoxTest, EveryCallIsRecordedAndBadCallsOpenNothing) {
  HWND child = Kid(main, 7, {0, 0, 10, 10});
  Then([&](HWND box, ModalKind) {
    plat::detail::BoxRecord r;
    ASSERT_TRUE(plat::detail::BoxInfo(box, &r));
    EXPECT_EQ(r.owner, child);
    EXPECT_EQ(r.caption, L"Error");  // no caption given
    EXPECT_FALSE(plat::detail::ScriptAnswerBox(box, IDYES));  // no such button
    EXPECT_TRUE(plat::detail::ScriptAnswerBox(box, IDCANCEL));
  });
  EXPECT_EQ(MessageBoxW(child, L"Port error", nullptr, MB_OKCANCEL | MB_ICONHAND), IDCANCEL);
  HWND gone = Top();
  DestroyWindow(gone);
  EXPECT_EQ(MessageBoxW(gone, L"stale owner", L"Bad", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(MessageBoxA(main, "three buttons", "Bad", 0x3), 0);  // a button set the layer does not have
  plat::test::FailCreateWindow(L"BUTTON");
  EXPECT_EQ(MessageBoxW(main, L"no buttons", L"Bad", MB_OK), 0);
  EXPECT_EQ(FindWindowW(nullptr, L"Bad"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main));

  const auto calls = plat::detail::BoxCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].record.owner, child);
  EXPECT_EQ(calls[0].record.text, L"Port error");
  EXPECT_EQ(calls[0].record.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONHAND));
  EXPECT_EQ(calls[0].result, IDCANCEL);
  EXPECT_FALSE(calls[0].open);
  EXPECT_EQ(calls[1].record.owner, gone);
  EXPECT_EQ(calls[1].result, 0);
  EXPECT_EQ(calls[2].record.caption, L"Bad");
  EXPECT_EQ(calls[2].record.text, L"three buttons");
  EXPECT_EQ(calls[2].result, 0);
  EXPECT_EQ(calls[3].result, 0);
  EXPECT_FALSE(calls[3].open);
}

TEST_F(MessageBoxTest, ABoxOpenedFromATimerInsideADialogNests) {
  StartClock();
  HWND dialog = CreateWindowExW(0, L"TestWnd", L"New Line", WS_POPUP | WS_CAPTION, 20, 20, 200, 150, main, nullptr,
                                nullptr, nullptr);
  int boxResult = -1;
  On(WM_TIMER, [&](HWND h, WPARAM id, LPARAM, LRESULT*) {
    KillTimer(h, id);
    boxResult = MessageBoxW(dialog, L"NO CONNECTION Press <ENTER> to STOP", L"NO CONNECTION",
                            MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(IsWindowEnabled(dialog));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return true;
  });
  Then([&](HWND, ModalKind) { SetTimer(main, 1, 300, nullptr); });  // the dialog
  Then([&](HWND box, ModalKind kind) {
    EXPECT_EQ(kind, ModalKind::MessageBox);
    const auto stack = plat::test::ModalStack();
    ASSERT_EQ(stack.size(), 2u);
    EXPECT_EQ(stack[0].kind, ModalKind::Dialog);
    EXPECT_EQ(stack[1].hwnd, box);
    EXPECT_EQ(stack[1].owner, dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    boxtest::Keys({VK_RETURN});
  });
  EXPECT_EQ(plat::detail::RunModalLoop(dialog, plat::detail::ModalKind::Dialog, [] { return false; }),
            plat::detail::ModalEnd::Destroyed);
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(plat::test::ModalStack().empty());
}

// The watchdog: its timer fires under "Confirm Exit", shows its own box, then sends WM_DESTROY to
// "Confirm Exit". That box's loop ends with IDNO and leaves neither a window nor a loop behind.
TEST_F(MessageBoxTest, ConfirmExitDestroyedUnderItsLoopEndsCleanlyWithNo) {
  StartClock();
  HWND button = Kid(main, 460, {0, 0, 40, 20});
  SetFocus(button);
  On(WM_TIMER, [&](HWND h, WPARAM id, LPARAM, LRESULT*) {
    KillTimer(h, id);
    EXPECT_EQ(MessageBoxW(main, L"NO CONNECTION Press <ENTER> to STOP", L"NO CONNECTION", MB_OK), IDOK);
    HWND confirm = FindWindowW(nullptr, L"Confirm Exit");
    EXPECT_NE(confirm, nullptr);
    SendMessageW(confirm, WM_DESTROY, 0, 0);
    return true;
  });
  Then([&](HWND, ModalKind) { SetTimer(main, 1, 300, nullptr); });
  Then([&](HWND, ModalKind) { boxtest::Keys({VK_RETURN}); });
  EXPECT_EQ(MessageBoxW(main, L"Exit Logging?", L"Confirm Exit", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(FindWindowW(nullptr, L"Confirm Exit"), nullptr);
  EXPECT_TRUE(plat::test::ModalStack().empty());
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(GetFocus(), button);
  EXPECT_EQ(plat::test::Children(main).size(), 1u);
  EXPECT_TRUE(plat::test::FindTop(L"PlatMessageBox") == nullptr);
  const auto log = plat::test::ModalLog();  // both calls reported what they returned
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].caption, L"Confirm Exit");
  EXPECT_EQ(log[0].owner, main);
  EXPECT_TRUE(log[0].hasResult);
  EXPECT_EQ(log[0].result, IDNO);
  EXPECT_EQ(log[1].caption, L"NO CONNECTION");
  EXPECT_EQ(log[1].result, IDOK);
}

TEST_F(MessageBoxTest, InsideABoxAWorkersSendCompletesAndATimerKeepsTicking) {
  ExpectSendsAndTicksInside([](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); },
                            [&] { EXPECT_EQ(MessageBoxW(main, L"Waiting", L"Box", MB_OK), IDOK); });
}

}  // namespace
