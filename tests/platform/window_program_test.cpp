// A small window program run on its own UI thread: found, read, clicked, typed into, waited for,
// captured, and ended through its message loop.
// test-labels: threads
#include <sys/stat.h>

#include <atomic>

#include "window_test_util.h"

namespace {

constexpr int kStartId = 3;
constexpr int kEntryId = 4;
constexpr COLORREF kButtonColour = RGB(0, 0, 200);

std::atomic<DWORD> g_programThread{0};

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_LBUTTONUP:
      SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      HBRUSH b = CreateSolidBrush(kButtonColour);
      FillRect(dc, &rc, b);
      DeleteObject(b);
      EndPaint(h, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CREATE:
      CreateWindowExW(0, L"SmallButton", L"Start", WS_CHILD | WS_VISIBLE, 10, 10, 80, 30, h,
                      reinterpret_cast<HMENU>(uintptr_t{kStartId}), nullptr, nullptr);
      CreateWindowExW(0, L"SmallButton", L"", WS_CHILD | WS_VISIBLE, 10, 50, 80, 30, h,
                      reinterpret_cast<HMENU>(uintptr_t{kEntryId}), nullptr, nullptr);
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kStartId) SetWindowTextW(h, L"Started");
      return 0;
    case WM_CHAR: {
      wchar_t text[64];
      HWND entry = GetDlgItem(h, kEntryId);
      const int n = GetWindowTextW(entry, text, 62);
      text[n] = static_cast<wchar_t>(w);
      text[n + 1] = 0;
      SetWindowTextW(entry, text);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

int WINAPI SmallWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int show) {
  g_programThread = GetCurrentThreadId();
  WNDCLASSW wc{};
  wc.hInstance = inst;
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = L"SmallApp";
  if (!RegisterClassW(&wc)) return 1;
  wc.lpfnWndProc = ButtonProc;
  wc.lpszClassName = L"SmallButton";
  if (!RegisterClassW(&wc)) return 2;
  HWND main = CreateWindowExW(0, L"SmallApp", L"Small", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, inst, nullptr);
  if (!main) return 16;
  ShowWindow(main, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(ProgramTest, FoundReadClickedTypedIntoCapturedAndEnded) {
  HANDLE program = plat::test::RunProgram(SmallWinMain, plat::Profile::Handheld, {320, 240});
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(plat::test::WaitIdle());

  HWND main = plat::test::FindTop(L"Small");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(plat::test::FindTop(L"smallapp"), main);
  HWND start = plat::test::Child(main, kStartId);
  HWND entry = plat::test::Child(main, kEntryId);
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(plat::test::Text(start), L"Start");
  EXPECT_EQ(plat::test::WindowRect(main).right, 320);  // CW_USEDEFAULT fills the handheld screen
  EXPECT_EQ(plat::test::OnUiThread([] { return static_cast<LRESULT>(GetCurrentThreadId()); }),
            static_cast<LRESULT>(g_programThread.load()));

  plat::test::Click(start);
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(plat::test::Text(main), L"Started");

  plat::test::TypeText("Ab1?");
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(plat::test::Text(entry), L"Ab1?");

  const std::string shot = plat::test::OutputPath("window_program_screen.png");
  ASSERT_TRUE(plat::SaveScreenPng(shot.c_str()));
  struct stat st{};
  ASSERT_EQ(stat(shot.c_str(), &st), 0);
  EXPECT_GT(st.st_size, 100);
  const RECT button = plat::test::ClientRectScreen(start);
  EXPECT_EQ(plat::test::ScreenPixel(button.left + 5, button.top + 5), kButtonColour);
  EXPECT_EQ(plat::test::ScreenPixel(200, 200), RGB(192, 192, 192));

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(plat::test::Wait(program), 7);
  EXPECT_FALSE(IsWindow(main));
  CloseHandle(program);
}

TEST_F(ProgramTest, AnExitProcessOnTheUiThreadComesBackAsTheCode) {
  HANDLE program = plat::test::RunProgram(
      +[](HINSTANCE, HINSTANCE, LPWSTR, int) -> int { ExitProcess(255); }, plat::Profile::Handheld);
  EXPECT_EQ(plat::test::Wait(program), 255);
  CloseHandle(program);
}

}  // namespace
