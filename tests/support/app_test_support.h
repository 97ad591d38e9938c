// Test helpers for the whole handheld program in-process: the build and its resources, a start on
// its own UI thread under the manual virtual clock, and an end that leaves no thread behind.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/build_config.h"

namespace handheld::test {

constexpr uint32_t kAppStartTick = 100000;

// Puts every program-wide object of the program back to its initial values: the engine's, the
// shell's and the logging window's.
void ResetAppState();

// Prepares a start of the build as its deliverable's main() would: resets every object, fills
// BuildConfig and registers the build's resources.
void UseApp(const BuildSwitches& switches);
void UseApp(int modelIndex, int zolOptionAvailable = 0);

// Starts WinMain on its own UI thread under the manual virtual clock (started at startTick) and
// waits until the program is idle. The drive root must be set up already (UseTempRoot).
HANDLE StartApp(plat::test::Screen screen, uint32_t startTick = kAppStartTick);

// The main window ("RZ12"), or null.
HWND MainWindow();

// Whether the program's UI thread has ended.
bool Ended(HANDLE program);

// Lets ms pass on the virtual clock and waits until the program is idle again.
void Run(uint32_t ms);

// Tears down a survey run that is still active: the timer, the ports and the run's threads, each
// thread waited for and its handle closed. Nothing to do without a run.
void EndRun();

// Ends the program: the run (EndRun), the main window (as Exit closes it), then the keep-alive
// thread runs out. Returns WinMain's result; a program that has ended already gives its code.
int EndApp(HANDLE program);

// Presses 'X' in the main menu and returns the exit code once the program and its keep-alive
// thread have ended.
int ExitByKey(HANDLE program);

// The settings file of the build under the drive root ("" when missing), and its lines.
std::string SettingsFileBytes();

// A test of the whole program: a fresh drive root; the program, when one was started, is ended
// and every object reset afterwards.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // UseApp and StartApp.
  void Start(const BuildSwitches& switches, plat::test::Screen screen = {320, 240},
             uint32_t startTick = kAppStartTick);
  void Start(int modelIndex, plat::test::Screen screen = {320, 240});
  // EndApp, or ExitByKey, of the program started here.
  int End();
  int ExitByKey();

  HANDLE program_ = nullptr;
};

}  // namespace handheld::test
