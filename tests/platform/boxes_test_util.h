// Shared pieces of the message box and popup menu tests: a main window and a queue of scripts,
// one per modal UI in the order they open, run inside its loop once it is shown.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

#include "../../platform/src/boxes_internal.h"
#include "window_test_util.h"

namespace boxtest {

using Script = std::function<void(HWND modal, plat::test::ModalKind kind)>;

class ModalUiTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
    plat::test::OnModalStart([this](HWND h, plat::test::ModalKind kind) {
      if (scripts.empty()) {
        ADD_FAILURE() << "modal UI opened without a script";
        PostMessageW(h, WM_CLOSE, 0, 0);
        return;
      }
      Script s = std::move(scripts.front());
      scripts.pop_front();
      s(h, kind);
    });
  }
  void TearDown() override {
    EXPECT_TRUE(scripts.empty()) << "a scripted modal UI never opened";
    WindowTest::TearDown();
  }
  void Then(Script s) { scripts.push_back(std::move(s)); }
  void StartClock() {
    plat::test::UseVirtualClock(10000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  }

  // Runs `run`, which opens one modal UI. Inside it a worker thread sends to the main window and
  // the main window's 300 ms timer ticks (virtual clock); after the third tick `end(modal)` ends
  // the modal UI. Then checks that the send was handled inside the loop and when the ticks came.
  void ExpectSendsAndTicksInside(std::function<void(HWND)> end, std::function<void()> run) {
    StartClock();
    struct Job {
      HWND target;
      std::atomic<LRESULT> result{0};
    } job{main};
    HWND modal = nullptr;
    HANDLE worker = nullptr;
    std::atomic<bool> sentInside{false};
    std::vector<DWORD> ticks;
    On(WM_USER + 10, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
      sentInside = IsWindow(modal) != FALSE;
      *r = 77;
      return true;
    });
    On(WM_TIMER, [&](HWND, WPARAM, LPARAM, LRESULT*) {
      ticks.push_back(GetTickCount() - 10000);
      if (ticks.size() == 3) end(modal);
      return true;
    });
    Then([&](HWND m, plat::test::ModalKind) {
      modal = m;
      SetTimer(main, 1, 300, nullptr);
      worker = CreateThread(
          nullptr, 0,
          [](LPVOID p) -> DWORD {
            auto* j = static_cast<Job*>(p);
            j->result = SendMessageW(j->target, WM_USER + 10, 0, 0);
            return 0;
          },
          &job, 0, nullptr);
    });
    run();
    KillTimer(main, 1);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(worker);
    EXPECT_EQ(job.result, 77);
    EXPECT_TRUE(sentInside);
    EXPECT_EQ(ticks, (std::vector<DWORD>{300, 600, 900}));
  }

  HWND main = nullptr;
  std::deque<Script> scripts;
};

// Shift+Tab as one key of a table.
constexpr int kShiftTab = -VK_TAB;

inline void Keys(const std::vector<int>& keys) {
  for (int k : keys) {
    if (k == kShiftTab) {
      plat::test::KeyDown(VK_SHIFT);
      plat::test::KeyPress(VK_TAB);
      plat::test::KeyUp(VK_SHIFT);
    } else {
      plat::test::KeyPress(k);
    }
  }
}

}  // namespace boxtest
