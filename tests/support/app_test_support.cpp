#include "app_test_support.h"

#include <gtest/gtest.h>

#include <atomic>

#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/gps_status.h"
#include "logging/logging.h"
#include "resources/resources.h"
#include "shell/file_review.h"
#include "shell/gps_monitor.h"
#include "shell/shell.h"

namespace handheld::test {

namespace {

constexpr uint32_t kKeepAliveMs = 59000;

bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

void ClosePortField(std::atomic<HANDLE>& field) {
  HANDLE h = field.exchange(INVALID_HANDLE_VALUE);
  if (Valid(h)) CloseHandle(h);
}

// Lets virtual time pass until the thread has ended; true when it did.
bool WaitEnded(HANDLE thread, uint32_t limitMs) {
  for (uint32_t waited = 0; waited <= limitMs; waited += 10) {
    if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
    plat::test::Advance(10);
  }
  return false;
}

}  // namespace

void ResetAppState() {
  ResetEngineState();
  ResetMainMenu();
  ResetGpsMonitor();
  ResetFileReview();
  ResetLoggingButtons();
  ResetLoggingLayout();
  ResetGpsStatus();
}

void UseApp(const BuildSwitches& switches) {
  UseBuild(switches);
  ResetMainMenu();
  ResetGpsMonitor();
  ResetFileReview();
  ResetLoggingButtons();
  ResetLoggingLayout();
  ResetGpsStatus();
  RegisterHandheldResources();
}

void UseApp(int modelIndex, int zolOptionAvailable) {
  BuildSwitches s;
  s.modelIndex = modelIndex;
  s.zolOptionAvailable = zolOptionAvailable;
  UseApp(s);
}

HANDLE StartApp(plat::test::Screen screen, uint32_t startTick) {
  plat::test::UseVirtualClock(startTick, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9),
                              plat::test::ClockMode::Manual);
  HANDLE program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, screen);
  EXPECT_TRUE(plat::test::WaitIdle());
  return program;
}

HWND MainWindow() { return FindWindowW(L"RZ56", nullptr); }

bool Ended(HANDLE program) { return WaitForSingleObject(program, 0) == WAIT_OBJECT_0; }

void Run(uint32_t ms) { EXPECT_TRUE(plat::test::RunFor(ms)); }

void EndRun() {
  plat::test::OnUiThread([] {
    KillTimer(AppWindows.loggingWnd, kWatchdogTimer);
    SurveyRun.runActive = 0;
    ShowWindow(AppWindows.loggingWnd, SW_HIDE);
    return LRESULT{0};
  });
  // The ports also after the program has ended: a reader may still be reading one.
  ClosePortField(LinkState.gpsPort);
  ClosePortField(LinkState.markerPort);
  ClosePortField(LinkState.instrumentPort);
  for (HANDLE* slot : {&WorkerThreads.reader, &WorkerThreads.gps, &WorkerThreads.marker}) {
    if (!Valid(*slot)) continue;
    EXPECT_TRUE(WaitEnded(*slot, 6000)) << "a run's thread did not end";
    CloseHandle(*slot);
    *slot = INVALID_HANDLE_VALUE;
  }
}

int EndApp(HANDLE program) {
  EndRun();
  if (!Ended(program)) {
    plat::test::OnUiThread([] {
      WorkerThreads.keepAliveRun = 0;
      DestroyWindow(MainWindow());
      return LRESULT{0};
    });
  }
  WorkerThreads.keepAliveRun = 0;
  const int code = plat::test::Wait(program);
  CloseHandle(program);
  if (WorkerThreads.keepAlive != nullptr) {
    EXPECT_TRUE(WaitEnded(WorkerThreads.keepAlive, kKeepAliveMs + 1000)) << "the keep-alive thread did not end";
  }
  return code;
}

int ExitByKey(HANDLE program) {
  plat::test::KeyPress('X');
  Run(200);  // the exit's 100 ms wait
  EXPECT_TRUE(Ended(program)) << "'X' did not end the program";
  return EndApp(program);
}

std::string SettingsFileBytes() {
  static const char* const kNames[] = {"RZ12.INI", "RZ27B.INI", "RZ27D.INI",  "RZ27.INI",
                                       "RZ45.INI", "RZ89.INI",  "ZOL12.INI", "RZ27MK2.INI"};
  const int model = BuildConfig.modelIndex;
  if (model < 0 || model > kModelRz27Mk2) return "";
  const bool storage = BuildConfig.storageRoot == 1 && model != kModelRz89;
  return RootFileBytes((std::string(storage ? "Storage/VLQINI/" : "C_DRIVE/VLQINI/") + kNames[model]).c_str());
}

void AppTest::SetUp() { plat::test::UseTempRoot(); }

void AppTest::TearDown() {
  if (program_ != nullptr) End();
  plat::test::Reset();
  ResetAppState();
}

void AppTest::Start(const BuildSwitches& switches, plat::test::Screen screen, uint32_t startTick) {
  UseApp(switches);
  program_ = StartApp(screen, startTick);
}

void AppTest::Start(int modelIndex, plat::test::Screen screen) {
  BuildSwitches s;
  s.modelIndex = modelIndex;
  Start(s, screen);
}

int AppTest::End() {
  const int code = EndApp(program_);
  program_ = nullptr;
  return code;
}

int AppTest::ExitByKey() {
  const int code = test::ExitByKey(program_);
  program_ = nullptr;
  return code;
}

}  // namespace handheld::test
