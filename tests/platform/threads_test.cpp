// Threads, events, waits and suspension on the one clock, in its real and virtual modes.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/resource.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "../../platform/src/core.h"

namespace {

using plat::test::ClockMode;

const SYSTEMTIME kStart = plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9);

class ThreadsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(plat::detail::WaitThreadsEnded(2000)) << "a platform thread was still alive";
    plat::detail::RetireAllHandles();
    plat::detail::ResetThreads();
    plat::detail::ResetClock();
  }
  static void Manual() { plat::test::UseVirtualClock(0, kStart, ClockMode::Manual); }
  static void Auto() { plat::test::UseVirtualClock(0, kStart, ClockMode::Auto); }
};

// Runs fn on a CreateThread thread.
HANDLE Start(std::function<DWORD()> fn, DWORD* id = nullptr) {
  auto* arg = new std::function<DWORD()>(std::move(fn));
  HANDLE h = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        std::unique_ptr<std::function<DWORD()>> f(static_cast<std::function<DWORD()>*>(p));
        return (*f)();
      },
      arg, 0, id);
  if (!h) delete arg;
  return h;
}

DWORD ExitCode(HANDLE h) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(h, &code));
  return code;
}

constexpr DWORD kFailed = static_cast<DWORD>(-1);

TEST_F(ThreadsTest, EventsResetManuallyOrAutomatically) {
  struct Case {
    BOOL manual;
    BOOL initial;
    DWORD firstWait;
    DWORD secondWait;
  };
  const Case cases[] = {
      {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
      {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
      {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
      {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "manual " << c.manual << " initial " << c.initial);
    HANDLE e = CreateEventA(nullptr, c.manual, c.initial, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(e, 0), c.secondWait);
    // Set before the wait: the wait returns at once.
    EXPECT_TRUE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(e, 0), c.manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(e));
    EXPECT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(CloseHandle(e));
  }
}

TEST_F(ThreadsTest, BadHandlesFailHarmlessly) {
  HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  CloseHandle(closed);
  HANDLE other = plat::detail::InsertHandle(std::make_shared<plat::detail::Object>(plat::detail::Kind::File));
  HANDLE ended = Start([] { return DWORD{7}; });
  ASSERT_EQ(WaitForSingleObject(ended, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);

  for (HANDLE h : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, closed, other}) {
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(h));
    EXPECT_FALSE(ResetEvent(h));
  }
  for (HANDLE h : {static_cast<HANDLE>(nullptr), closed, other, event, ended}) {
    SetLastError(0);
    EXPECT_EQ(SuspendThread(h), kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ResumeThread(h), kFailed);
  }
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(event, &code));
  EXPECT_FALSE(GetExitCodeThread(ended, nullptr));
  EXPECT_FALSE(SetEvent(ended));

  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, CREATE_SUSPENDED, nullptr),
            nullptr);
}

TEST_F(ThreadsTest, ThreadHandleIsSignalledAtTheEndWithTheExitCode) {
  Manual();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> seenId{0};
  DWORD id = 0;
  HANDLE h = Start(
      [&] {
        seenId = GetCurrentThreadId();
        WaitForSingleObject(gate, INFINITE);
        return DWORD{42};
      },
      &id);
  ASSERT_NE(h, nullptr);
  plat::test::Advance(0);
  EXPECT_EQ(ExitCode(h), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(seenId.load(), id);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_NE(id, 0u);

  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_OBJECT_0));  // stays signalled
  EXPECT_EQ(ExitCode(h), 42u);
  EXPECT_EQ(GetTickCount(), 0u);  // nothing here needed time to pass
}

TEST_F(ThreadsTest, ClosingAThreadHandleNeitherStopsNorJoinsIt) {
  Manual();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> finished{false};
  HANDLE h = Start([&] {
    WaitForSingleObject(gate, INFINITE);
    finished = true;
    return DWORD{0};
  });
  plat::test::Advance(0);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(finished.load());
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
  SetEvent(gate);
  EXPECT_TRUE(plat::detail::WaitThreadsEnded(2000));
  EXPECT_TRUE(finished.load());
}

TEST_F(ThreadsTest, ThreadIdsAreUniqueAndNeverReused) {
  std::set<DWORD> ids{GetCurrentThreadId()};
  for (int i = 0; i < 50; ++i) {
    DWORD id = 0;
    HANDLE h = Start([] { return DWORD{0}; }, &id);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(ids.insert(id).second) << id;
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
  }
}

TEST_F(ThreadsTest, WaitersOnEventsAcrossThreads) {
  Manual();
  HANDLE autoEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE manualEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> woken{0};
  auto waitOn = [&](HANDLE e) {
    return Start([&woken, e] {
      if (WaitForSingleObject(e, INFINITE) == WAIT_OBJECT_0) ++woken;
      return DWORD{0};
    });
  };
  waitOn(autoEvent);
  waitOn(autoEvent);
  plat::test::Advance(0);
  SetEvent(autoEvent);  // an auto-reset event releases one waiter per set
  plat::test::Advance(0);
  EXPECT_EQ(woken.load(), 1);
  SetEvent(autoEvent);
  plat::test::Advance(0);
  EXPECT_EQ(woken.load(), 2);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  waitOn(manualEvent);
  waitOn(manualEvent);
  plat::test::Advance(0);
  SetEvent(manualEvent);  // a manual-reset event releases all of them
  plat::test::Advance(0);
  EXPECT_EQ(woken.load(), 4);

  // Closing an event that a thread waits on leaves the wait intact: it times out as set.
  HANDLE closing = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> result{0};
  Start([&] {
    result = WaitForSingleObject(closing, 100);
    return DWORD{0};
  });
  plat::test::Advance(0);
  CloseHandle(closing);
  plat::test::Advance(99);
  EXPECT_EQ(result.load(), 0u);
  plat::test::Advance(1);
  EXPECT_EQ(result.load(), static_cast<DWORD>(WAIT_TIMEOUT));
}

// Manual mode steps every deadline in order: four threads with interleaved periods log the same
// sequence on every run.
TEST_F(ThreadsTest, ManualClockStepsInterleavedDeadlinesInOrder) {
  Manual();
  constexpr uint32_t kSpan = 60;
  std::mutex logMutex;
  std::vector<std::pair<uint32_t, uint32_t>> log;  // (tick, period)
  auto record = [&](uint32_t period) {
    std::lock_guard<std::mutex> lock(logMutex);
    log.emplace_back(GetTickCount(), period);
  };
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto sleeper = [&](uint32_t period, bool useWait) {
    for (uint32_t t = period; t <= kSpan; t += period) {
      if (useWait) {
        WaitForSingleObject(never, period);
      } else {
        Sleep(period);
      }
      record(period);
    }
  };
  Start([&] { sleeper(7, false); return DWORD{0}; });
  Start([&] { sleeper(11, true); return DWORD{0}; });
  Start([&] { sleeper(13, false); return DWORD{0}; });
  // A thread the test starts itself, registered with the clock.
  std::atomic<bool> registered{false};
  std::thread own([&] {
    plat::test::RegisterTestThread();
    registered = true;
    sleeper(17, false);
    plat::test::UnregisterTestThread();
  });
  while (!registered) std::this_thread::yield();

  std::vector<std::pair<uint32_t, uint32_t>> expected;
  for (uint32_t period : {7u, 11u, 13u, 17u}) {
    for (uint32_t t = period; t <= kSpan; t += period) expected.emplace_back(t, period);
  }
  std::sort(expected.begin(), expected.end());
  const auto upTo = [&](uint32_t t) {
    return std::vector<std::pair<uint32_t, uint32_t>>(
        expected.begin(), std::upper_bound(expected.begin(), expected.end(), std::make_pair(t, UINT32_MAX)));
  };

  plat::test::Advance(25);
  {
    std::lock_guard<std::mutex> lock(logMutex);
    EXPECT_EQ(log, upTo(25));
  }
  EXPECT_EQ(GetTickCount(), 25u);
  plat::test::Advance(kSpan - 25);
  own.join();
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(plat::detail::WaitThreadsEnded(2000));
}

TEST_F(ThreadsTest, SuspendCountsRiseAndFall) {
  Manual();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE h = Start([&] {
    WaitForSingleObject(gate, INFINITE);
    return DWORD{0};
  });
  EXPECT_EQ(SuspendThread(h), 0u);
  EXPECT_EQ(SuspendThread(h), 1u);
  EXPECT_EQ(ResumeThread(h), 2u);
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_EQ(ResumeThread(h), 0u);  // already running: nothing changes
  EXPECT_EQ(ResumeThread(h), 0u);
  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(SuspendThread(h), kFailed);
  EXPECT_EQ(ResumeThread(h), kFailed);
}

// The target is blocked in a layer wait: SuspendThread returns at once, the target finishes that
// wait and parks at its exit, and only the resume lets it go on.
TEST_F(ThreadsTest, SuspendWhileBlockedParksAtTheNextLayerCall) {
  Manual();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> passed{false};
  HANDLE h = Start([&] {
    WaitForSingleObject(gate, INFINITE);
    passed = true;
    return DWORD{5};
  });
  plat::test::Advance(0);  // blocked in the wait
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(SuspendThread(h), 0u);
  EXPECT_EQ(SuspendThread(h), 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(100));
  SetEvent(gate);
  plat::test::Advance(1000);  // time passing does not release it either
  EXPECT_FALSE(passed.load());
  EXPECT_EQ(ExitCode(h), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(plat::detail::WaitThreadsEnded(20));  // the harness sees a parked thread as alive
  EXPECT_EQ(ResumeThread(h), 2u);
  plat::test::Advance(0);
  EXPECT_FALSE(passed.load());
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(passed.load());
  EXPECT_EQ(ExitCode(h), 5u);
}

// A target running outside the layer parks at the entry of its next layer call.
TEST_F(ThreadsTest, SuspendWhileRunningParksAtTheEntryOfSleep) {
  Manual();
  std::atomic<bool> go{false};
  std::atomic<bool> slept{false};
  HANDLE h = Start([&] {
    while (!go) std::this_thread::yield();
    Sleep(0);
    slept = true;
    return DWORD{0};
  });
  EXPECT_EQ(SuspendThread(h), 0u);
  go = true;
  plat::test::Advance(0);  // parked in Sleep's entry
  EXPECT_FALSE(slept.load());
  EXPECT_EQ(ResumeThread(h), 1u);
  plat::test::Advance(0);
  EXPECT_TRUE(slept.load());
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(ThreadsTest, AutoClockRunsMinutesOfSleepsAtOnce) {
  Auto();
  std::vector<DWORD> ticks;  // written by the worker only, read after its end
  HANDLE h = Start([&] {
    for (int i = 0; i < 3; ++i) {
      Sleep(59000);
      ticks.push_back(GetTickCount());
    }
    return DWORD{0};
  });
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(h, 100000), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(GetTickCount(), 100000u);
  // The harness's thread-end wait lets the clock run on as well.
  EXPECT_TRUE(plat::detail::WaitThreadsEnded(2000));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
  EXPECT_EQ(ticks, (std::vector<DWORD>{59000, 118000, 177000}));
  EXPECT_EQ(GetTickCount(), 177000u);
}

// Time stands still while any platform thread still runs, even if all others wait.
TEST_F(ThreadsTest, AutoClockWaitsForRunningThreads) {
  Auto();
  std::atomic<bool> go{false};
  std::atomic<DWORD> tickWhileRunning{1};
  HANDLE h = Start([&] {
    while (!go) std::this_thread::yield();
    return DWORD{0};
  });
  std::thread outsider([&] {  // not a platform thread: it does not hold the clock
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    tickWhileRunning = GetTickCount();
    go = true;
  });
  Sleep(100);
  outsider.join();
  EXPECT_EQ(tickWhileRunning.load(), 0u);
  EXPECT_EQ(GetTickCount(), 100u);
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

// Safety net: a thread spinning on the tick with no layer wait counts as waiting 1 ms per
// 10000 reads, so the clock can reach quiescence and step.
TEST_F(ThreadsTest, TickSpinnerCountsAsWaiting) {
  Manual();
  std::atomic<long> reads{0};
  HANDLE h = Start([&] {
    const DWORD start = GetTickCount();
    while (GetTickCount() == start) ++reads;
    return DWORD{0};
  });
  plat::test::Advance(0);
  EXPECT_GE(reads.load(), 9998);  // blocked inside its 10000th read
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  plat::test::Advance(1);
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

// The generic wait other modules plug into: a condition plus a deadline on the one clock.
TEST_F(ThreadsTest, KernelWaitEndsOnItsConditionOrItsDeadline) {
  Manual();
  bool flag = false;  // guarded by the kernel lock
  std::atomic<int> result{-1};
  std::atomic<uint64_t> at{0};
  auto waiter = [&] {
    return Start([&] {
      std::unique_lock<std::mutex> lk(plat::detail::KernelMutex());
      result = plat::detail::KernelWait(lk, plat::detail::NowMs() + 500, [&] { return flag; }) ? 1 : 0;
      at = plat::detail::NowMs();
      return DWORD{0};
    });
  };
  waiter();
  plat::test::Advance(100);
  {
    std::lock_guard<std::mutex> lock(plat::detail::KernelMutex());
    flag = true;
    plat::detail::Kick();
  }
  plat::test::Advance(0);
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(at.load(), 100u);

  {
    std::lock_guard<std::mutex> lock(plat::detail::KernelMutex());
    flag = false;
  }
  waiter();
  plat::test::Advance(499);
  EXPECT_EQ(result.load(), 1);  // still the first waiter's result
  plat::test::Advance(1);
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(at.load(), 600u);
}

// Real mode: a sleep ends at its deadline and nothing else wakes it, however busy the other
// threads are (each of their state changes would otherwise cost the sleeper a wake-up).
TEST_F(ThreadsTest, RealModeSleepIsNotWokenByOtherThreadsWork) {
  std::atomic<long> wakeups{-1};
  std::atomic<long> sleptMs{-1};
  std::atomic<bool> done{false};
  HANDLE sleeper = Start([&] {
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    const auto start = std::chrono::steady_clock::now();
    Sleep(300);
    sleptMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    wakeups = after.ru_nvcsw - before.ru_nvcsw;
    done = true;
    return DWORD{0};
  });
  HANDLE busy = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int changes = 0;
  while (!done) {
    SetEvent(busy);
    ResetEvent(busy);
    ++changes;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  EXPECT_EQ(WaitForSingleObject(sleeper, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_GE(sleptMs.load(), 299);
  EXPECT_LT(wakeups.load(), 20) << changes << " event changes meanwhile";
  CloseHandle(busy);
  CloseHandle(sleeper);
}

// Real mode: two threads hand a token back and forth through auto-reset events.
TEST_F(ThreadsTest, RealModePingPong) {
  constexpr int kRounds = 2000;
  HANDLE ping = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE pong = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  int counter = 0;  // handed over with the events
  HANDLE a = Start([&] {
    for (int i = 0; i < kRounds; ++i) {
      ++counter;
      SetEvent(ping);
      if (WaitForSingleObject(pong, 5000) != WAIT_OBJECT_0) return DWORD{1};
    }
    return DWORD{0};
  });
  HANDLE b = Start([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (WaitForSingleObject(ping, 5000) != WAIT_OBJECT_0) return DWORD{1};
      ++counter;
      SetEvent(pong);
    }
    return DWORD{0};
  });
  EXPECT_EQ(WaitForSingleObject(a, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(b, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(ExitCode(a), 0u);
  EXPECT_EQ(ExitCode(b), 0u);
  EXPECT_EQ(counter, 2 * kRounds);
  EXPECT_EQ(WaitForSingleObject(ping, 5), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
