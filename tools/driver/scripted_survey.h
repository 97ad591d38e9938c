// A scripted survey on a handheld program that runs in this process on the real clock, with its
// instrument (and GPS receiver) streaming on pseudo-terminals: Monitor/Log, Create File, Go, a
// stretch of readings, pause, New Station, Go, a second stretch, pause, Exit answered Yes, and
// the main menu's Exit. Used by the demo driver and the end-to-end tests, which also use the
// steps one by one.
//
// A reader on a real descriptor never lets the program count as idle, so every step waits by
// polling the program's state on its UI thread, up to a limit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/build_config.h"

namespace survey {

// The build switches of a handheld deliverable by its name ("rz12wm", "zolwm", ...); false for a
// name that is none of them.
bool AppSwitches(const std::string& name, handheld::BuildSwitches* out);

// ---- Steps. Each returns false when its outcome did not show within limitMs. -------------------

// Fills BuildConfig, registers the build's resources and starts WinMain on its own UI thread on
// the layer's drive root and device folder; true once the main menu shows. `before`, when given,
// then runs on the UI thread, to adjust settings as the setup dialogs would.
bool StartProgram(const handheld::BuildSwitches& build, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before = nullptr);
// Polls `done` on the UI thread until it holds.
bool WaitFor(const std::function<bool()>& done, DWORD limitMs);
// Readings announced to the logging window so far (call on the UI thread).
int AnnouncedReadings();
// Monitor/Log from the main menu: the run is on and the logging window shows.
bool MonitorLog(DWORD limitMs);
// Create File with `name` typed into the save dialog (empty: the proposed name): Stand By. The
// data file's path as the program names it goes to *path.
bool CreateDataFile(const std::wstring& name, std::wstring* path, DWORD limitMs);
// Go; `announcedAtGo` gets the readings announced before it, counted in the same piece of
// UI-thread work.
bool Go(int* announcedAtGo, DWORD limitMs);
// Go, `readings` readings, pause. Go and the pause each run in one piece of UI-thread work with the
// count of announcements, so no reading slips between the count and the state change. Returns the
// readings announced while Logging, or -1.
int LoggingStretch(int readings, DWORD limitMs);
// New Station with `station` typed and the caption's OK; true once the dialog has ended.
bool NewStation(const std::wstring& station, DWORD limitMs);
// Exit on the logging window, answered Yes from Stand By or Logging: true once the run has ended.
bool ExitRun(bool asked, DWORD limitMs);
// Exit from the main menu; the program's exit code, or -1 when it did not end.
int ExitProgram(HANDLE program, DWORD limitMs);
// The Linux path of a path under the drive root.
std::string HostPath(const std::wstring& path);

// ---- The whole survey ------------------------------------------------------------------------

struct ScriptOptions {
  int firstReadings = 100;
  int secondReadings = 50;
  std::wstring newStation = L"125";
  std::wstring fileName;   // typed into the save dialog; empty: the proposed name
  std::string screenshot;  // PNG of the screen at the second pause; empty: none
  DWORD stepLimitMs = 60000;  // the longest wait for any one step
};

struct ScriptOutcome {
  bool ok = false;
  std::string failure;           // the step that did not happen, when !ok
  std::wstring dataFilePath;     // as the program names it
  std::string dataFileHostPath;  // under the drive root
  int recordedFirst = 0;         // readings announced while Logging in each stretch
  int recordedSecond = 0;
  int exitCode = -1;             // WinMain's result
};

ScriptOutcome RunScriptedSurvey(const handheld::BuildSwitches& build, const ScriptOptions& options,
                                const std::function<void()>& before = nullptr);

}  // namespace survey
