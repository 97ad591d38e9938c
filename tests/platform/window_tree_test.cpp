// Windows: creation and destruction, z-order and hit-testing, frames by profile, focus,
// activation and the bare modal engine.
#include "../../platform/src/modal.h"
#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::Profile;
using plat::test::PumpUntilIdle;

class TreeTest : public WindowTest {};

TEST_F(TreeTest, CreateRunsWmCreateInsideTheCallThenSizeMoveAndShow) {
  HWND inCreate = nullptr;
  CREATESTRUCTW seen{};
  std::wstring cls, title;
  On(WM_CREATE, [&](HWND h, WPARAM, LPARAM l, LRESULT*) {
    inCreate = h;
    seen = *reinterpret_cast<CREATESTRUCTW*>(l);
    cls = seen.lpszClass;
    title = seen.lpszName;
    return false;
  });
  int param = 0;
  HWND h = CreateWindowExW(0, L"testwnd", L"Main", WS_VISIBLE, 5, 6, 70, 50, nullptr, nullptr, nullptr, &param);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(inCreate, h);
  EXPECT_EQ(seen.lpCreateParams, &param);
  EXPECT_EQ(seen.cx, 70);
  EXPECT_EQ(seen.cy, 50);
  EXPECT_EQ(cls, L"testwnd");
  EXPECT_EQ(title, L"Main");
  const std::vector<UINT> msgs = rec.Messages(h);
  ASSERT_GE(msgs.size(), 4u);
  EXPECT_EQ(std::vector<UINT>(msgs.begin(), msgs.begin() + 4),
            (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
  EXPECT_EQ(rec.Of(WM_SIZE)[0].lParam, MAKELPARAM(70, 50));
  EXPECT_EQ(rec.Of(WM_MOVE)[0].lParam, MAKELPARAM(5, 6));
  EXPECT_EQ(GetActiveWindow(), h);
}

TEST_F(TreeTest, AHugeWindowIsMadeAndDrawnWithoutExhaustingMemory) {
  // Sizes from data (a damaged template) can be absurd; the window still works.
  HWND h = CreateWindowExW(0, L"testwnd", L"Huge", WS_POPUP | WS_VISIBLE, 0, 0, 1000000, 1000000, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  HDC dc = GetDC(h);
  RECT all{0, 0, 1000000, 1000000};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_TRUE(FillRect(dc, &all, red));
  ReleaseDC(h, dc);
  DeleteObject(red);
  EXPECT_EQ(plat::test::WindowPixel(h, 10, 10), RGB(255, 0, 0));
  EXPECT_TRUE(SetWindowPos(h, nullptr, 0, 0, 2000000, 3000000, SWP_NOMOVE | SWP_NOZORDER));
  EXPECT_EQ(plat::test::WindowPixel(h, 10, 10), RGB(255, 0, 0));
  EXPECT_TRUE(DestroyWindow(h));
}

TEST_F(TreeTest, ChildrenMadeEarlierLieAboveLaterSiblings) {
  HWND first = nullptr;
  On(WM_CREATE, [&](HWND h, WPARAM, LPARAM l, LRESULT*) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
    if (!cs->hwndParent) first = Kid(h, 1, {0, 0, 40, 40});  // made inside the parent's WM_CREATE
    return false;
  });
  HWND top = Top(WS_VISIBLE, {0, 0, 100, 100});
  HWND later = Kid(top, 2, {20, 20, 60, 60});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(plat::test::Children(top), (std::vector<HWND>{first, later}));
  PumpUntilIdle();
  rec.Clear();
  plat::test::ClickScreen(30, 30);  // where both lie
  plat::test::ClickScreen(50, 50);  // only the later one
  PumpUntilIdle();
  auto downs = rec.Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].hwnd, first);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(30, 30));
  EXPECT_EQ(downs[1].hwnd, later);
  EXPECT_EQ(downs[1].lParam, MAKELPARAM(30, 30));  // client coordinates of the later child
  EXPECT_EQ(downs[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
}

TEST_F(TreeTest, CreateFailsWhenWmCreateRefusesOrDestroys) {
  struct Case {
    const char* what;
    std::function<bool(HWND, WPARAM, LPARAM, LRESULT*)> onCreate;
  };
  HWND parent = Top(0);
  const std::vector<Case> cases{
      {"returns -1", [](HWND, WPARAM, LPARAM, LRESULT* r) { *r = -1; return true; }},
      {"destroys itself", [](HWND h, WPARAM, LPARAM, LRESULT*) { DestroyWindow(h); return false; }},
      {"destroys its parent", [&](HWND h, WPARAM, LPARAM, LRESULT*) { DestroyWindow(GetParent(h)); return false; }},
  };
  for (const Case& c : cases) {
    if (!IsWindow(parent)) parent = Top(0);
    rec.Clear();
    On(WM_CREATE, c.onCreate);
    HWND h = Kid(parent, 1, {0, 0, 10, 10});
    EXPECT_EQ(h, nullptr) << c.what;
    On(WM_CREATE, nullptr);
    auto creates = rec.Of(WM_CREATE);
    ASSERT_EQ(creates.size(), 1u) << c.what;
    EXPECT_FALSE(IsWindow(creates[0].hwnd)) << c.what;
    EXPECT_EQ(rec.Of(WM_SIZE).size(), 0u) << c.what;
  }
  EXPECT_FALSE(IsWindow(parent));  // the last case took the parent too
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExW(0, L"TestWnd", L"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(Kid(parent, 1, {0, 0, 1, 1}), nullptr);  // a destroyed parent
}

TEST_F(TreeTest, DestroySendsWmDestroyParentFirstAndIsSafeInsideAHandler) {
  HWND top = Top(0);
  HWND a = Kid(top, 1, {0, 0, 10, 10});
  HWND a1 = Kid(a, 11, {0, 0, 5, 5});
  HWND b = Kid(top, 2, {0, 0, 10, 10});
  bool alive = false;
  On(WM_USER, [&](HWND h, WPARAM, LPARAM, LRESULT* r) {
    DestroyWindow(h);
    alive = IsWindow(h) != FALSE;
    *r = 3;  // the handler goes on after its window is gone
    return true;
  });
  rec.Clear();
  EXPECT_EQ(SendMessageW(top, WM_USER, 0, 0), 3);
  EXPECT_FALSE(alive);
  std::vector<HWND> order;
  for (const Seen& s : rec.Of(WM_DESTROY)) order.push_back(s.hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{top, a, a1, b}));
  for (HWND h : {top, a, a1, b}) EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(DestroyWindow(top));
}

struct FrameCase {
  Profile profile;
  DWORD style;
  RECT window;  // x, y, right, bottom as created
  RECT client;  // GetClientRect
  POINT origin;  // client origin on the screen
};
// Test names and failures show the case, not its bytes.
void PrintTo(const FrameCase& c, std::ostream* os) {
  *os << (c.profile == Profile::Handheld ? "handheld" : "desktop") << " style 0x" << std::hex << c.style;
}

class FrameTest : public WindowTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, ClientAreaFollowsTheProfileMetrics) {
  const FrameCase c = GetParam();
  plat::test::Reset(c.profile);
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"TestWnd";
  RegisterClassW(&wc);
  HWND h = c.window.left == CW_USEDEFAULT
               ? CreateWindowExW(0, L"TestWnd", L"", c.style | WS_VISIBLE, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                 nullptr, nullptr, nullptr, nullptr)
               : Top(c.style | WS_VISIBLE, c.window);
  ASSERT_NE(h, nullptr);
  RECT rc;
  GetClientRect(h, &rc);
  EXPECT_EQ(rc.right, c.client.right);
  EXPECT_EQ(rc.bottom, c.client.bottom);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  EXPECT_EQ(o.x, c.origin.x);
  EXPECT_EQ(o.y, c.origin.y);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, FrameTest,
    ::testing::Values(FrameCase{Profile::Handheld, WS_CAPTION, {0, 0, 100, 80}, {0, 0, 98, 58}, {1, 21}},
                      FrameCase{Profile::Desktop, WS_CAPTION, {0, 0, 800, 574}, {0, 0, 794, 549}, {3, 22}},
                      FrameCase{Profile::Handheld, WS_BORDER, {9, 19, 30, 40}, {0, 0, 19, 19}, {10, 20}},
                      FrameCase{Profile::Desktop, WS_BORDER, {9, 19, 30, 40}, {0, 0, 19, 19}, {10, 20}},
                      FrameCase{Profile::Handheld, 0, {CW_USEDEFAULT, 0, CW_USEDEFAULT, 0}, {0, 0, 240, 320}, {0, 0}},
                      FrameCase{Profile::Desktop, 0, {CW_USEDEFAULT, 0, CW_USEDEFAULT, 0}, {0, 0, 640, 480}, {0, 0}},
                      FrameCase{Profile::Handheld, 0, {5, 5, -10, -20}, {0, 0, 0, 0}, {5, 5}}));

TEST_F(TreeTest, SystemMetricsByProfile) {
  struct Case {
    Profile profile;
    plat::test::Screen screen;
    int values[7];  // SM_CXSCREEN .. SM_CYFIXEDFRAME in index order 0,1,4,5,6,7,8
  };
  const int indices[7] = {SM_CXSCREEN, SM_CYSCREEN, SM_CYCAPTION, SM_CXBORDER, SM_CYBORDER, SM_CXFIXEDFRAME,
                          SM_CYFIXEDFRAME};
  for (const Case& c : {Case{Profile::Handheld, {}, {240, 320, 20, 1, 1, 1, 1}},
                        Case{Profile::Handheld, {320, 240}, {320, 240, 20, 1, 1, 1, 1}},
                        Case{Profile::Desktop, {}, {800, 574, 19, 1, 1, 3, 3}},
                        Case{Profile::Desktop, {1024, 768}, {1024, 768, 19, 1, 1, 3, 3}}}) {
    plat::test::Reset(c.profile, c.screen);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(GetSystemMetrics(indices[i]), c.values[i]) << i;
  }
}

TEST_F(TreeTest, FindingAndReading) {
  HWND hidden = Top(0, {0, 0, 10, 10}, L"Confirm Exit");
  HWND shown = Top(WS_VISIBLE, {0, 0, 10, 10}, L"Main");
  HWND kid = Kid(shown, 780, {0, 0, 5, 5});
  EXPECT_EQ(FindWindowW(L"TESTWND", nullptr), shown);  // topmost first, class ignoring case
  EXPECT_EQ(FindWindowW(nullptr, L"Confirm Exit"), hidden);
  EXPECT_EQ(FindWindowW(nullptr, L"confirm exit"), nullptr);  // the title compares exactly
  EXPECT_EQ(FindWindowA("testwnd", "Main"), shown);
  EXPECT_EQ(FindWindowW(L"Other", nullptr), nullptr);
  EXPECT_EQ(GetDlgItem(shown, 780), kid);
  EXPECT_EQ(GetDlgItem(shown, 781), nullptr);
  EXPECT_EQ(GetDlgCtrlID(kid), 780);
  EXPECT_EQ(GetParent(kid), shown);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(kid, GWL_STYLE)), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(GetWindowLongW(kid, GWL_ID), 780);
  EXPECT_EQ(plat::test::FindTop(L"Main"), shown);
  EXPECT_EQ(plat::test::FindTop(L"testwnd"), shown);
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"TESTWND";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  plat::test::FailRegisterClass(L"Other");
  wc.lpszClassName = L"other";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  plat::test::FailCreateWindow(L"TestWnd");
  EXPECT_EQ(Top(0), nullptr);
}

TEST_F(TreeTest, VisibilityIncludesTheAncestors) {
  HWND top = Top(0);
  HWND kid = Kid(top, 1, {0, 0, 5, 5});
  EXPECT_FALSE(IsWindowVisible(kid));
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));  // was hidden
  EXPECT_TRUE(IsWindowVisible(kid));
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(ShowWindow(kid, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(kid));
  EXPECT_TRUE(IsWindowVisible(top));
}

TEST_F(TreeTest, MoveAndResizeSendSizeAndMove) {
  HWND top = Top();
  rec.Clear();
  MoveWindow(top, 10, 20, 50, 40, TRUE);
  EXPECT_EQ(rec.Of(WM_SIZE).at(0).lParam, MAKELPARAM(50, 40));
  EXPECT_EQ(rec.Of(WM_MOVE).at(0).lParam, MAKELPARAM(10, 20));
  rec.Clear();
  SetWindowPos(top, nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_TRUE(rec.Of(WM_SIZE).empty());
  EXPECT_EQ(rec.Of(WM_MOVE).size(), 1u);
  RECT r = plat::test::WindowRect(top);
  EXPECT_EQ(r.right - r.left, 50);
  EXPECT_EQ(r.left, 30);
}

TEST_F(TreeTest, FarCoordinatesAreClampedWithoutOverflow) {
  HWND top = Top(WS_VISIBLE, {0, 0, 100, 100});
  HWND far = Kid(top, 1, {1000000000, -1000000000, 2000000000, 1000000000});
  HWND deeper = Kid(far, 2, {1000000000, 1000000000, 1000000001, 1000000001});
  ASSERT_NE(deeper, nullptr);
  RECT r = plat::test::WindowRect(deeper);
  EXPECT_GT(r.left, 0);
  EXPECT_LE(r.left, 1 << 26);
  RECT huge{-1000000000, -1000000000, 1000000000, 1000000000};
  EXPECT_TRUE(InvalidateRect(far, &huge, TRUE));
  RECT inverted{50, 50, 10, 10};
  EXPECT_TRUE(InvalidateRect(top, &inverted, TRUE));
  POINT p{INT32_MAX - 10, INT32_MIN + 10};
  EXPECT_TRUE(ClientToScreen(deeper, &p));
  EXPECT_EQ(p.x, INT32_MAX);
  EXPECT_TRUE(ScreenToClient(deeper, &p));
  PumpUntilIdle();
  EXPECT_EQ(plat::test::ScreenPixel(50, 50), RGB(255, 255, 255));
  MoveWindow(far, -2000000000, 0, 2000000000, -5, TRUE);
  PumpUntilIdle();
  RECT c;
  GetClientRect(far, &c);
  EXPECT_EQ(c.bottom, 0);
}

// ---- Focus ----

TEST_F(TreeTest, SetFocusSendsKillThenSetAndIsRefusedOnDisabledWindows) {
  HWND top = Top();
  HWND a = Kid(top, 1, {0, 0, 10, 10});
  HWND b = Kid(top, 2, {10, 0, 20, 10});
  SetFocus(a);
  rec.Clear();
  EXPECT_EQ(SetFocus(b), a);
  auto kills = rec.Of(WM_KILLFOCUS);
  auto sets = rec.Of(WM_SETFOCUS);
  ASSERT_EQ(kills.size(), 1u);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(kills[0].hwnd, a);
  EXPECT_EQ(kills[0].wParam, reinterpret_cast<WPARAM>(b));
  EXPECT_EQ(sets[0].hwnd, b);
  EXPECT_EQ(sets[0].wParam, reinterpret_cast<WPARAM>(a));

  EnableWindow(a, FALSE);
  EXPECT_EQ(SetFocus(a), nullptr);  // disabled target
  EXPECT_EQ(GetFocus(), b);
  EnableWindow(a, TRUE);
  EnableWindow(top, FALSE);  // as a modal UI does: the focus leaves the disabled window
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EnableWindow(top, TRUE);
  SetFocus(b);
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(SetFocus(a), b);  // a hidden target is allowed
  EXPECT_EQ(GetFocus(), a);
}

TEST_F(TreeTest, TheFocusMovesOffHiddenDisabledAndDestroyedWindows) {
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
  };
  const std::vector<Case> cases{
      {"hidden", [](HWND h) { ShowWindow(h, SW_HIDE); }},
      {"disabled", [](HWND h) { EnableWindow(h, FALSE); }},
      {"destroyed", [](HWND h) { DestroyWindow(h); }},
      {"parent hidden", [](HWND h) { ShowWindow(GetParent(h), SW_HIDE); }},
  };
  for (const Case& c : cases) {
    HWND top = Top();
    HWND mid = Kid(top, 1, {0, 0, 50, 50});
    HWND leaf = Kid(mid, 2, {0, 0, 10, 10});
    SetFocus(leaf);
    ASSERT_EQ(GetFocus(), leaf);
    c.act(leaf);
    EXPECT_EQ(GetFocus(), std::string(c.what) == "parent hidden" ? top : mid) << c.what;
    DestroyWindow(top);
  }
}

TEST_F(TreeTest, AfterAPaintCycleTheLastSetFocusWins) {
  HWND top = Top(WS_VISIBLE, {0, 0, 100, 100});
  HWND plot = Kid(top, 1, {10, 10, 60, 60});
  HWND menu = Kid(top, 2, {60, 60, 90, 90});
  On(WM_PAINT, [&](HWND h, WPARAM, LPARAM, LRESULT*) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    if (h == top) SetFocus(menu);
    if (h == plot) SetFocus(plot);  // the child paints after its parent
    return true;
  });
  PumpUntilIdle();
  EXPECT_EQ(GetFocus(), plot);
}

TEST_F(TreeTest, ActivationAndForeground) {
  HWND one = Top(WS_VISIBLE, {0, 0, 50, 50}, L"one");
  HWND two = Top(WS_VISIBLE, {60, 0, 110, 50}, L"two");
  EXPECT_EQ(GetActiveWindow(), two);
  PumpUntilIdle();
  plat::test::Click(one);
  PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), one);
  EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(two) | 1)));
  EXPECT_EQ(GetForegroundWindow(), two);
  // An owned popup stays above its owner when the owner comes to the top.
  HWND popup = CreateWindowExW(0, L"TestWnd", L"pop", WS_POPUP | WS_VISIBLE, 0, 0, 30, 30, one, nullptr, nullptr,
                               nullptr);
  SetForegroundWindow(one);
  PumpUntilIdle();
  rec.Clear();
  plat::test::ClickScreen(10, 10);
  PumpUntilIdle();
  ASSERT_EQ(rec.Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(rec.Of(WM_LBUTTONDOWN)[0].hwnd, popup);
}

TEST_F(TreeTest, MouseMotionOnlyWhileHeldAndToTheWindowThatTookTheButton) {
  HWND top = Top(WS_VISIBLE, {0, 0, 100, 100});
  HWND a = Kid(top, 1, {0, 0, 50, 50});
  HWND b = Kid(top, 2, {50, 0, 100, 50});
  PumpUntilIdle();
  rec.Clear();
  plat::test::MoveMouse(10, 10);  // not pressed: nothing
  plat::test::Press(10, 10);
  plat::test::MoveMouse(60, 10);
  plat::test::Release(70, 10);
  PumpUntilIdle();
  EXPECT_TRUE(rec.Of(WM_LBUTTONDOWN).size() == 1 && rec.Of(WM_LBUTTONDOWN)[0].hwnd == a);
  ASSERT_EQ(rec.Of(WM_MOUSEMOVE).size(), 1u);
  EXPECT_EQ(rec.Of(WM_MOUSEMOVE)[0].hwnd, a);
  EXPECT_EQ(rec.Of(WM_MOUSEMOVE)[0].lParam, MAKELPARAM(60, 10));
  ASSERT_EQ(rec.Of(WM_LBUTTONUP).size(), 1u);
  EXPECT_EQ(rec.Of(WM_LBUTTONUP)[0].hwnd, a);
  EXPECT_EQ(rec.Of(WM_LBUTTONUP)[0].wParam, 0u);
  EXPECT_TRUE(rec.Messages(b).empty());
}

TEST_F(TreeTest, CaptionBoxesByProfile) {
  // Desktop: the close box of WS_SYSMENU sends WM_CLOSE.
  plat::test::Reset(Profile::Desktop);
  WindowTest::SetUp();
  HWND d = Top(WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {0, 0, 200, 100}, L"Display Options");
  PumpUntilIdle();
  EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("window_desktop_caption.png").c_str()));
  plat::test::ClickScreen(200 - 3 - 8, 3 + 9);
  PumpUntilIdle();
  EXPECT_FALSE(IsWindow(d));
  EXPECT_EQ(rec.Of(WM_CLOSE).size(), 1u);
  // Handheld: the caption OK box sends WM_COMMAND(IDOK).
  plat::test::Reset(Profile::Handheld);
  WindowTest::SetUp();
  HWND h = CreateWindowExW(WS_EX_CAPTIONOKBTN, L"TestWnd", L"Setup", WS_VISIBLE | WS_CAPTION, 0, 0, 200, 100,
                           nullptr, nullptr, nullptr, nullptr);
  PumpUntilIdle();
  EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("window_handheld_caption.png").c_str()));
  plat::test::ClickScreen(200 - 1 - 10, 1 + 10);
  PumpUntilIdle();
  auto commands = rec.Of(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].hwnd, h);
  EXPECT_EQ(commands[0].wParam, static_cast<WPARAM>(MAKEWPARAM(IDOK, BN_CLICKED)));
  plat::test::ClickScreen(100, 10);  // the caption elsewhere: nothing
  PumpUntilIdle();
  EXPECT_EQ(rec.Of(WM_COMMAND).size(), 1u);
  EXPECT_TRUE(rec.Of(WM_LBUTTONDOWN).empty());
}

// ---- Modal engine ----

class ModalTest : public WindowTest {
 protected:
  HWND Popup(HWND owner) {
    return CreateWindowExW(0, L"TestWnd", L"modal", WS_POPUP | WS_CAPTION, 20, 20, 60, 60, owner, nullptr,
                           nullptr, nullptr);
  }
};

TEST_F(ModalTest, OwnerDisabledInputDroppedFocusKeptAndRestored) {
  HWND main = Top(WS_VISIBLE, {0, 0, 200, 200});
  HWND child = Kid(main, 5, {0, 0, 100, 100});
  HWND other = Kid(main, 6, {100, 100, 150, 150});
  SetFocus(child);
  HWND modal = Popup(child);  // a child as owner: the top-level ancestor is disabled
  ASSERT_NE(modal, nullptr);
  bool stolen = false;
  int step = 0;
  std::vector<plat::test::ModalInfo> stack;
  plat::test::OnModalStart([&](HWND h, plat::test::ModalKind kind) {
    stack = plat::test::ModalStack();
    EXPECT_EQ(h, modal);
    EXPECT_EQ(kind, plat::test::ModalKind::Dialog);
    plat::test::ClickScreen(150 - 5, 150 - 5);  // on the disabled owner's child: dropped
    PostMessageW(main, WM_USER, 0, 0);
  });
  On(WM_USER, [&](HWND, WPARAM, LPARAM, LRESULT*) {
    // A paint or timer handler of the owner that wants the focus cannot pull it out.
    stolen = SetFocus(other) != nullptr || GetFocus() != modal;
    step = 1;
    return true;
  });
  const auto end = plat::detail::RunModalLoop(modal, plat::detail::ModalKind::Dialog, [&] { return step == 1; });
  EXPECT_EQ(end, plat::detail::ModalEnd::Ended);
  EXPECT_FALSE(stolen);
  ASSERT_EQ(stack.size(), 1u);
  EXPECT_EQ(stack[0].owner, main);
  EXPECT_TRUE(rec.Of(WM_LBUTTONDOWN).empty());
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_FALSE(IsWindow(modal));
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(plat::test::ModalStack().empty());
}

TEST_F(ModalTest, QuitCancelsAndIsPostedAgain) {
  HWND main = Top();
  HWND modal = Popup(nullptr);  // no owner: the active window is disabled
  plat::test::OnModalStart([&](HWND, plat::test::ModalKind) {
    EXPECT_FALSE(IsWindowEnabled(main));
    PostQuitMessage(4);
  });
  EXPECT_EQ(plat::detail::RunModalLoop(modal, plat::detail::ModalKind::MessageBox, [] { return false; }),
            plat::detail::ModalEnd::Quit);
  EXPECT_TRUE(IsWindowEnabled(main));
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 4u);
}

TEST_F(ModalTest, NestsAndEndsWhenTheWindowIsDestroyed) {
  HWND main = Top();
  HWND outer = Popup(main);
  int depth = 0;
  plat::test::OnModalStart([&](HWND h, plat::test::ModalKind) {
    ++depth;
    if (depth == 1) {
      HWND inner = Popup(h);
      plat::test::OnModalStart([&](HWND in, plat::test::ModalKind) {
        EXPECT_EQ(plat::test::ModalStack().size(), 2u);
        EXPECT_FALSE(IsWindowEnabled(outer));
        PostMessageW(in, WM_CLOSE, 0, 0);  // DefWindowProc destroys it
      });
      EXPECT_EQ(plat::detail::RunModalLoop(inner, plat::detail::ModalKind::MessageBox, [] { return false; }),
                plat::detail::ModalEnd::Destroyed);
      EXPECT_TRUE(IsWindowEnabled(outer));
      PostMessageW(h, WM_CLOSE, 0, 0);
    }
  });
  EXPECT_EQ(plat::detail::RunModalLoop(outer, plat::detail::ModalKind::Dialog, [] { return false; }),
            plat::detail::ModalEnd::Destroyed);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(plat::test::ModalStack().empty());
}

}  // namespace
