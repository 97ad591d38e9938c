// A scripted survey on a handheld program that runs in this process on the real clock, with its
// instrument (and GPS receiver) streaming on pseudo-terminals: Monitor/Log, Create File, Go, a
// stretch of readings, pause, New Station, Go, a second stretch, pause, Exit answered Yes, and
// the main menu's Exit. Used by the demo driver and the end-to-end tests, which also use the
// steps one by one.
//
// A reader on a real descriptor never lets the program count as idle, so a step waits by polling
// the program's state on its UI thread, briskly for its first second and then every 50 ms, up to
// a limit. A logging stretch instead sleeps until the program has handled a reading, and its limit
// is on progress: it fails only when no reading comes for kReadingProgressLimitMs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/build_config.h"

namespace survey {

// The build switches of a handheld deliverable of apps/app_list.h by its name ("rz12wm", "zolwm",
// ...); false for a name that is none of them.
bool AppSwitches(const std::string& name, handheld::BuildSwitches* out);
// The names of the handheld deliverables, in the list's order.
std::vector<std::string> HandheldAppNames();

// ---- Steps. Each returns false when its outcome did not show within limitMs. -------------------

// The longest a logging stretch waits for its next reading.
constexpr DWORD kReadingProgressLimitMs = 10000;

// Fills BuildConfig, registers the build's resources and starts WinMain on its own UI thread on
// the layer's drive root and device folder; true once the main menu shows. `before`, when given,
// then runs on the UI thread, to adjust settings as the setup dialogs would.
bool StartProgram(const handheld::BuildSwitches& build, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before = nullptr);
// Polls `done` on the UI thread until it holds.
bool WaitFor(const std::function<bool()>& done, DWORD limitMs);
// Reading records in the program's open data file (call on the UI thread): the program's own
// count of what it recorded, whatever else it sent or wrote meanwhile.
int RecordedReadings();
// Monitor/Log from the main menu: the run is on and the logging window shows.
bool MonitorLog(DWORD limitMs);
// Create File with `name` typed into the save dialog (empty: the proposed name): Stand By. The
// data file's path as the program names it goes to *path.
bool CreateDataFile(const std::wstring& name, std::wstring* path, DWORD limitMs);
// Go; `recordedAtGo` gets RecordedReadings() before it, counted in the same piece of UI-thread
// work.
bool Go(int* recordedAtGo, DWORD limitMs);
// Go, `readings` readings, pause. The pause is pressed on the UI thread right after the handler
// that recorded the last of them, so no reading slips between the count and the state change.
// Returns the readings recorded while Logging, or -1, with what went wrong in *failure (when
// given): the run left Logging, or no reading came for kReadingProgressLimitMs. limitMs bounds
// Go and the pause.
int LoggingStretch(int readings, DWORD limitMs, std::string* failure = nullptr);
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
  DWORD stepLimitMs = 60000;  // the longest wait for a step that waits for no readings
};

struct ScriptOutcome {
  bool ok = false;
  // When !ok, one line: the step that did not happen and what the driver saw. The run has then
  // been ended as usual where it still could (pause, Exit answered Yes, the main menu's Exit).
  std::string failure;
  std::wstring dataFilePath;     // as the program names it
  std::string dataFileHostPath;  // under the drive root
  int recordedFirst = 0;         // readings recorded while Logging in each stretch
  int recordedSecond = 0;
  int exitCode = -1;             // WinMain's result
};

ScriptOutcome RunScriptedSurvey(const handheld::BuildSwitches& build, const ScriptOptions& options,
                                const std::function<void()>& before = nullptr);

}  // namespace survey
