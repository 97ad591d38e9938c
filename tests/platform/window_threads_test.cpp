// Windows and other threads: drawing through GetDC while the UI thread composes, invalidation
// and posts from workers, UpdateWindow marshalled to the UI thread, and repaints that free every
// GDI object they make.
// test-labels: threads
#include <atomic>

#include "../../bench/window_scene.h"
#include "window_test_util.h"

namespace {

using namespace wintest;

class ThreadsTest : public WindowTest {};

TEST_F(ThreadsTest, AWorkerDrawsThroughGetDcWhileTheUiThreadComposes) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  const scene::Windows w = scene::Make();
  plat::test::PumpUntilIdle();
  struct Shared {
    HWND plot;
    std::atomic<bool> stop{false};
    std::atomic<int> drawn{0};
  } shared{w.plot};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* s = static_cast<Shared*>(p);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        for (int i = 0; i < 300 && !s->stop; ++i) {
          HDC dc = GetDC(s->plot);
          RECT r{i % 200, 10, i % 200 + 4, 40};
          FillRect(dc, &r, red);
          MoveToEx(dc, 0, i % 150, nullptr);
          LineTo(dc, 260, i % 150);
          ReleaseDC(s->plot, dc);
          InvalidateRect(s->plot, nullptr, FALSE);
          ++s->drawn;
        }
        DeleteObject(red);
        return 0;
      },
      &shared, 0, nullptr);
  while (WaitForSingleObject(t, 0) == WAIT_TIMEOUT) {
    plat::test::ScreenPixel(100, 100);
    scene::Repaint(w);
    plat::test::PumpUntilIdle();
  }
  EXPECT_EQ(shared.drawn.load(), 300);
  CloseHandle(t);
}

TEST_F(ThreadsTest, UpdateWindowFromAWorkerWaitsForTheUiThreadsPaint) {
  HWND h = Top();
  HWND hidden = Top(0);
  plat::test::PumpUntilIdle();
  const DWORD ui = GetCurrentThreadId();
  std::atomic<bool> paintedOnUi{false};
  On(WM_PAINT, [&](HWND hwnd, WPARAM, LPARAM, LRESULT*) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    if (GetCurrentThreadId() == ui) paintedOnUi = true;
    return true;
  });
  struct Job {
    HWND h;
    HWND hidden;
    std::atomic<bool>* painted;
    std::atomic<bool> sawPaint{false};
    std::atomic<bool> hiddenReturned{false};
  } job{h, hidden, &paintedOnUi};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* j = static_cast<Job*>(p);
        // Nothing to paint, or hidden: at once, although the UI thread does not retrieve.
        UpdateWindow(j->h);
        InvalidateRect(j->hidden, nullptr, TRUE);
        UpdateWindow(j->hidden);
        j->hiddenReturned = true;
        InvalidateRect(j->h, nullptr, TRUE);
        PostMessageW(j->h, WM_USER, 0, 0);
        UpdateWindow(j->h);
        j->sawPaint = j->painted->load();
        return 0;
      },
      &job, 0, nullptr);
  // The first part needs no UI retrieval: a non-servicing wait sees it through.
  for (int i = 0; i < 500 && !job.hiddenReturned; ++i) WaitForSingleObject(t, 2);
  EXPECT_TRUE(job.hiddenReturned);
  EXPECT_EQ(plat::WaitServicingSends(t, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(job.sawPaint);
  EXPECT_TRUE(rec.Of(WM_USER).empty());  // the post waits for the message loop
  plat::test::PumpUntilIdle();
  EXPECT_EQ(rec.Of(WM_USER).size(), 1u);
  CloseHandle(t);
}

TEST_F(ThreadsTest, RepaintsReleaseEveryGdiObjectTheyMake) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  const scene::Windows w = scene::Make();
  plat::test::PumpUntilIdle();
  const size_t live = plat::test::LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    scene::Repaint(w);
    plat::test::ScreenPixel(0, 0);
  }
  EXPECT_EQ(plat::test::LiveGdiObjects(), live);
  EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("window_scene.png").c_str()));
  // The scene really drew: text in the fields, the separator and a curve in the plot.
  EXPECT_EQ(plat::test::ScreenPixel(100, 49), RGB(0, 0, 0));
  EXPECT_EQ(plat::test::ScreenPixel(scene::kPlotX - 1, scene::kPlotY + 5), RGB(0, 0, 0));  // border
  EXPECT_GT(plat::test::CountPixels(w.log, {0, 0, 320, 48}, RGB(0, 0, 0)), 100u);
  EXPECT_GT(plat::test::CountPixels(w.plot, {0, 0, 269, 179}, RGB(192, 192, 192)), 100u);
}

}  // namespace
