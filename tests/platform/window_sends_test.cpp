// Cross-thread SendMessage: blocking until handled, serviced only while the target retrieves
// messages (modal loops and its own sends included, never in Sleep or busy waits), released with
// 0 when the target goes, and WaitServicingSends.
// test-labels: threads
#include <atomic>

#include "../../platform/src/modal.h"
#include "window_test_util.h"

namespace {

using namespace wintest;

class SendsTest : public WindowTest {
 protected:
  struct Job {
    HWND target;
    UINT msg;
    std::atomic<LRESULT> result{-7};
    std::atomic<DWORD> endTick{0};
  };
  static DWORD WINAPI Sender(LPVOID p) {
    auto* job = static_cast<Job*>(p);
    job->result = SendMessageW(job->target, job->msg, 0, 0);
    job->endTick = GetTickCount();
    return 0;
  }
  HANDLE StartSender(Job* job) {
    HANDLE t = CreateThread(nullptr, 0, Sender, job, 0, nullptr);
    EXPECT_NE(t, nullptr);
    return t;
  }
};

// What the readers hand over: a buffer filled before the send and read by the handler.
int g_frame[4];

TEST_F(SendsTest, BlocksUntilTheHandlerOnTheUiThreadHasRun) {
  HWND h = Top();
  const DWORD ui = GetCurrentThreadId();
  std::atomic<bool> handledOnUi{false};
  On(WM_USER + 10, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    handledOnUi = GetCurrentThreadId() == ui && g_frame[3] == 4;
    *r = 77;
    return true;
  });
  struct Reader {
    HWND h;
    LRESULT got;
  } reader{h, 0};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* r = static_cast<Reader*>(p);
        for (int i = 0; i < 4; ++i) g_frame[i] = i + 1;
        r->got = SendMessageW(r->h, WM_USER + 10, 0, 0);
        return 0;
      },
      &reader, 0, nullptr);
  ASSERT_EQ(plat::WaitServicingSends(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(handledOnUi);
  EXPECT_EQ(reader.got, 77);
  ASSERT_EQ(plat::test::Sends().size(), 1u);
  EXPECT_EQ(plat::test::Sends()[0].msg, static_cast<UINT>(WM_USER + 10));
  CloseHandle(t);
}

// The hook after each handled cross-thread send: on the receiving thread, after the handler and
// before the sender goes on; not for a send from the thread itself, and gone once removed.
TEST_F(SendsTest, TheHandledHookRunsBeforeTheSenderGoesOn) {
  HWND h = Top();
  const DWORD ui = GetCurrentThreadId();
  struct Seen {
    UINT msg;
    bool onUi;
    bool handled;
    bool senderWaiting;
  };
  std::vector<Seen> seen;
  bool handled = false;
  On(WM_USER + 16, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    handled = true;
    *r = 5;
    return true;
  });
  Job job{h, WM_USER + 16};
  plat::test::OnSendHandled([&](HWND hwnd, UINT msg) {
    if (hwnd == h) seen.push_back({msg, GetCurrentThreadId() == ui, handled, job.result.load() == -7});
  });
  SendMessageW(h, WM_USER + 17, 0, 0);  // the thread's own send is a call
  HANDLE t = StartSender(&job);
  ASSERT_EQ(plat::WaitServicingSends(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(t);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, static_cast<UINT>(WM_USER + 16));
  EXPECT_TRUE(seen[0].onUi);
  EXPECT_TRUE(seen[0].handled);
  EXPECT_TRUE(seen[0].senderWaiting);
  EXPECT_EQ(job.result.load(), 5);

  plat::test::OnSendHandled(nullptr);
  Job again{h, WM_USER + 16};
  t = StartSender(&again);
  ASSERT_EQ(plat::WaitServicingSends(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(t);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(SendsTest, NotHandledDuringSleepOrABusyWait) {
  plat::test::UseVirtualClock(5000, plat::test::MakeSystemTime(2024, 1, 1), plat::test::ClockMode::Auto);
  HWND h = Top();
  Job job{h, WM_USER + 11};
  HANDLE t = StartSender(&job);
  plat::test::WaitIdle();  // the sender is blocked in its send
  Sleep(500);
  WaitForSingleObject(t, 300);
  const DWORD start = GetTickCount();
  while (static_cast<int32_t>(GetTickCount() - start) < 200) plat::SpinPause();
  EXPECT_TRUE(plat::test::Sends().empty());
  EXPECT_EQ(job.endTick.load(), 0u);
  plat::test::PumpUntilIdle();
  WaitForSingleObject(t, INFINITE);
  ASSERT_EQ(plat::test::Sends().size(), 1u);
  EXPECT_GE(plat::test::Sends()[0].tick - 5000, 1000u);
  EXPECT_GE(job.endTick.load() - 5000, 1000u);
  CloseHandle(t);
}

TEST_F(SendsTest, HandledInsideANestedModalLoop) {
  HWND owner = Top();
  HWND modal = CreateWindowExW(0, L"TestWnd", L"modal", WS_POPUP | WS_CAPTION, 10, 10, 50, 40, owner, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(modal, nullptr);
  bool ownerDisabledDuringSend = false;
  bool done = false;
  On(WM_USER + 12, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    ownerDisabledDuringSend = !IsWindowEnabled(owner) && plat::test::ModalStack().size() == 1;
    done = true;
    *r = 5;
    return true;
  });
  plat::test::OnModalStart([](HWND, plat::test::ModalKind) {});  // the test drives the loop itself
  Job job{owner, WM_USER + 12};
  HANDLE t = StartSender(&job);
  const auto end = plat::detail::RunModalLoop(modal, plat::detail::ModalKind::Dialog, [&] { return done; });
  EXPECT_EQ(end, plat::detail::ModalEnd::Ended);
  WaitForSingleObject(t, INFINITE);
  EXPECT_EQ(job.result.load(), 5);
  EXPECT_TRUE(ownerDisabledDuringSend);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(modal));
  CloseHandle(t);
}

TEST_F(SendsTest, HandledWhileTheUiThreadWaitsInItsOwnSend) {
  HWND ui = Top();
  struct Peer {
    HWND ui;
    HANDLE ready;
    std::atomic<HWND> window{nullptr};
  } peer{ui, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // The peer's window answers WM_USER+1 by sending WM_USER+2 back to the UI window.
  On(WM_USER + 1, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    *r = SendMessageW(peer.ui, WM_USER + 2, 0, 0) + 1;
    return true;
  });
  On(WM_USER + 2, [](HWND, WPARAM, LPARAM, LRESULT* r) {
    *r = 5;
    return true;
  });
  On(WM_DESTROY, [](HWND, WPARAM, LPARAM, LRESULT*) {
    PostQuitMessage(0);
    return false;
  });
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* peer = static_cast<Peer*>(p);
        peer->window = CreateWindowExW(0, L"TestWnd", L"peer", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetEvent(peer->ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return 0;
      },
      &peer, 0, nullptr);
  WaitForSingleObject(peer.ready, INFINITE);
  EXPECT_EQ(SendMessageW(peer.window, WM_USER + 1, 0, 0), 6);
  PostMessageW(peer.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(t);
  CloseHandle(peer.ready);
}

TEST_F(SendsTest, ADestroyedTargetReleasesTheSenderWithZero) {
  bool handled = false;
  On(WM_USER + 13, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    handled = true;
    *r = 9;
    return true;
  });
  // Destroyed before the send.
  HWND gone = Top();
  DestroyWindow(gone);
  Job before{gone, WM_USER + 13};
  HANDLE t1 = StartSender(&before);
  EXPECT_EQ(WaitForSingleObject(t1, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(before.result.load(), 0);

  // Destroyed while the send waits: the UI thread never retrieves it.
  HWND h = Top();
  Job during{h, WM_USER + 13};
  HANDLE t2 = StartSender(&during);
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(during.result.load(), -7);
  DestroyWindow(h);
  EXPECT_EQ(WaitForSingleObject(t2, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(during.result.load(), 0);
  plat::test::PumpUntilIdle();
  EXPECT_FALSE(handled);
  CloseHandle(t1);
  CloseHandle(t2);
}

TEST_F(SendsTest, TheTargetThreadEndingReleasesTheSender) {
  struct Owner {
    HANDLE ready;
    HANDLE go;
    std::atomic<HWND> window{nullptr};
  } owner{CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* o = static_cast<Owner*>(p);
        o->window = CreateWindowExW(0, L"TestWnd", L"owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetEvent(o->ready);
        WaitForSingleObject(o->go, INFINITE);  // ends without retrieving anything
        return 0;
      },
      &owner, 0, nullptr);
  WaitForSingleObject(owner.ready, INFINITE);
  Job job{owner.window, WM_USER + 14};
  HANDLE sender = StartSender(&job);
  ASSERT_TRUE(plat::test::WaitIdle());
  SetEvent(owner.go);
  EXPECT_EQ(WaitForSingleObject(sender, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(job.result.load(), 0);
  EXPECT_TRUE(rec.Of(WM_USER + 14).empty());
  WaitForSingleObject(t, INFINITE);
  for (HANDLE x : {t, sender, owner.ready, owner.go}) CloseHandle(x);
}

TEST_F(SendsTest, WaitServicingSendsHandlesSendsButNothingElse) {
  plat::test::UseVirtualClock(0, plat::test::MakeSystemTime(2024, 1, 1), plat::test::ClockMode::Auto);
  HWND h = Top();
  plat::test::PumpUntilIdle();
  rec.Clear();
  PostMessageW(h, WM_USER + 3, 0, 0);
  InvalidateRect(h, nullptr, TRUE);
  SetTimer(h, 1, 10, nullptr);
  Job job{h, WM_USER + 15};
  HANDLE t = StartSender(&job);
  EXPECT_EQ(plat::WaitServicingSends(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(rec.Of(WM_USER + 15).size(), 1u);
  EXPECT_TRUE(rec.Of(WM_USER + 3).empty());
  EXPECT_TRUE(rec.Of(WM_PAINT).empty());
  EXPECT_TRUE(rec.Of(WM_TIMER).empty());

  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const DWORD start = GetTickCount();
  EXPECT_EQ(plat::WaitServicingSends(never, 250), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(GetTickCount() - start, 250u);
  EXPECT_EQ(plat::WaitServicingSends(nullptr, 10), static_cast<DWORD>(WAIT_FAILED));
  EXPECT_EQ(plat::WaitServicingSends(reinterpret_cast<HANDLE>(h), 10), static_cast<DWORD>(WAIT_FAILED));
  CloseHandle(never);
  CloseHandle(t);
}

}  // namespace
