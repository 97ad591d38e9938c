// The whole desktop program in-process: a build with its resources, started on its own UI thread
// under the manual virtual clock on a fresh drive root, and ended and reset after each test.
#pragma once

#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "engine/build_config.h"
#include "engine/state.h"
#include "resources/resources.h"
#include "sim/rz56_virtual.h"
#include "ui/logging.h"
#include "ui/main_window.h"
#include "ui/run_start.h"

namespace desktop::test {

constexpr uint32_t kAppStartTick = 100000;

inline void ResetAppState() {
  ResetEngineState();
  ResetLoggingState();
}

inline BuildSwitches Switches(int32_t model, int32_t gpsSimulator = 0, int32_t smallLayout = 0,
                              int32_t monitorVariant = 0) {
  BuildSwitches s;
  s.modelIndex = model;
  s.gpsSimulator = gpsSimulator;
  s.smallLayout = smallLayout;
  s.monitorVariant = monitorVariant;
  return s;
}

// A rectangle as "left,top,right,bottom", for comparisons that print well.
inline std::wstring Show(const RECT& r) {
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
         std::to_wstring(r.bottom);
}

// Polls `done` on the UI thread until it holds or limitMs of real time have passed: for runs on the
// real clock, where readers on real descriptors never let the program look idle.
inline bool UntilOnUi(const std::function<bool()>& done, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (std::chrono::steady_clock::now() < end) {
    if (plat::test::OnUiThread([&] { return LRESULT{done() ? 1 : 0}; }) == 1) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The whole program on the real clock, for runs on pseudo-terminals (the simulators link their
// ports before it starts): a build started as its main() starts it, and ended with its main window.
inline HANDLE StartOnRealClock(const BuildSwitches& switches) {
  FillBuildConfig(switches);
  RegisterDesktopResources();
  HANDLE program = plat::test::RunProgram(desktop::WinMain, plat::Profile::Desktop, {800, 574});
  EXPECT_TRUE(plat::test::WaitIdle());
  return program;
}
// WinMain's result; the platform and the program's state reset after it.
inline int EndOnRealClock(HANDLE program) {
  plat::test::OnUiThread([] {
    DestroyWindow(AppWindows.mainWnd);
    return LRESULT{0};
  });
  const int code = plat::test::Wait(program);
  CloseHandle(program);
  plat::test::Reset(plat::Profile::Desktop);
  ResetAppState();
  return code;
}

class DesktopAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset(plat::Profile::Desktop);
    plat::test::UseTempRoot();
    ResetAppState();
  }
  void TearDown() override {
    if (program_ != nullptr) End();
    rz56_.reset();
    plat::test::Reset(plat::Profile::Desktop);
    ResetAppState();
  }

  // Fills BuildConfig and the resources as the build's main() does, then starts WinMain. COM1 (the
  // instrument's port) and COM4 (the GPS port) are virtual ports; an RZ56-MK2 answers on COM1
  // (rz56_, as rz56Options_ say), the other instruments send nothing.
  void Start(const BuildSwitches& switches, plat::test::Screen screen = {800, 574}, uint32_t tick = kAppStartTick) {
    ResetAppState();
    FillBuildConfig(switches);
    RegisterDesktopResources();
    com1_ = plat::test::AttachVirtualPort(1);
    com4_ = plat::test::AttachVirtualPort(4);
    plat::test::UseVirtualClock(tick, plat::test::MakeSystemTime(2026, 3, 5, 14, 20, 0), plat::test::ClockMode::Manual);
    if (switches.modelIndex == kModelRz56Mk2) rz56_ = std::make_unique<sim::Rz56OnVirtualPort>(com1_, rz56Options_);
    program_ = plat::test::RunProgram(desktop::WinMain, plat::Profile::Desktop, screen);
    ASSERT_TRUE(plat::test::WaitIdle());
  }

  bool Ended() const { return WaitForSingleObject(program_, 0) == WAIT_OBJECT_0; }

  // The links of a run or of the GPS monitor that is still up, ended as the end of a run ends them
  // (the program itself leaves them to the end of its process).
  void EndLinks() {
    if (MainMenu.mode == 1) {
      OnUiSettled([] {
        KillTimer(AppWindows.loggingWnd, kWatchdogTimer);
        StopInstrumentLink(false);
        SurveyRun.dataFile.Close();
        StopOtherLinks();
      });
    } else if (MainMenu.mode == 2) {
      OnUiSettled([] {
        const HANDLE port = LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE);
        if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
        if (WorkerThreads.gps != INVALID_HANDLE_VALUE) {
          plat::WaitServicingSends(WorkerThreads.gps, 2000);
          CloseHandle(WorkerThreads.gps);
          WorkerThreads.gps = INVALID_HANDLE_VALUE;
        }
      });
    }
  }

  // WinMain's result: the links and then the main window go first when the program still runs.
  int End() {
    if (!Ended()) {
      EndLinks();
      plat::test::OnUiThread([] {
        DestroyWindow(AppWindows.mainWnd);
        return LRESULT{0};
      });
    }
    const int code = plat::test::Wait(program_);
    CloseHandle(program_);
    program_ = nullptr;
    return code;
  }

  // RZ56-MK2: timer 1's requests until the answers have filled the normalisation.
  void Normalise() {
    for (int i = 0; i < 300 && SurveyRun.acquisitionState != 1; ++i) ASSERT_TRUE(plat::test::RunFor(100));
    ASSERT_EQ(SurveyRun.acquisitionState, 1);
  }
  // Data File with the save dialog answered (an empty name takes the proposal): Stand By with the
  // file open.
  void EnterStandBy(const std::wstring& name = L"RUN1") {
    if (name.empty()) {
      plat::test::OnModal(plat::test::ModalKind::OpenSave, L"Create Data File", [](plat::test::ModalContext& c) { c.ChooseFile(c.Text()); });
    } else {
      plat::test::ExpectSaveFile(name);
    }
    Key('F');
    ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
    ASSERT_TRUE(SurveyRun.dataFile.IsOpen());
  }
  // Runs fn on the UI thread and waits until the program is idle again.
  template <typename F>
  void OnUi(F fn) {
    plat::test::OnUiThread([&] {
      fn();
      return LRESULT{0};
    });
    ASSERT_TRUE(plat::test::WaitIdle());
  }

  // Waits until the program is idle again. While its UI thread sits in a busy wait (DelayMs), the
  // virtual clock is stepped a millisecond at a time, so the wait ends after the time it asks for
  // and the clock has moved no further.
  static bool Settle(uint32_t maxMs = 5000) {
    for (uint32_t i = 0; i < maxMs; ++i) {
      if (plat::test::WaitIdle(1)) return true;
      plat::test::Advance(1);
    }
    return plat::test::WaitIdle();
  }

  // Runs fn on the UI thread, stepping the clock through the busy waits it makes, and waits until
  // the program is idle again.
  template <typename F>
  void OnUiSettled(F fn) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      plat::test::OnUiThread([&] {
        fn();
        return LRESULT{0};
      });
      done = true;
    });
    // Bounded by real time, not by turns: while the send has not reached the UI thread the program
    // looks idle, and turns that only find it idle must leave the worker room to take the lock.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done && std::chrono::steady_clock::now() < limit) {
      if (plat::test::WaitIdle(1)) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      } else {
        plat::test::Advance(1);
      }
    }
    worker.join();
    ASSERT_TRUE(Settle());
  }

  void Key(int vk) {
    plat::test::KeyPress(vk);
    ASSERT_TRUE(Settle());
  }
  void Click(HWND h) {
    plat::test::Click(h);
    ASSERT_TRUE(Settle());
  }

  HANDLE program_ = nullptr;
  std::shared_ptr<plat::test::VirtualPort> com1_;
  std::shared_ptr<plat::test::VirtualPort> com4_;
  std::unique_ptr<sim::Rz56OnVirtualPort> rz56_;
  sim::Rz56Options rz56Options_;  // what the simulated RZ56-MK2 of the next Start sends
};

}  // namespace desktop::test
