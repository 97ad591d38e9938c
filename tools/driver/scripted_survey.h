// A scripted survey on a handheld program that runs in this process on the real clock, with its
// instrument (and GPS receiver) streaming on pseudo-terminals: Monitor/Log, Create File, Go, a
// stretch of readings, pause, New Station, Go, a second stretch, pause, Exit answered Yes, and
// the main menu's Exit. Used by the demo driver and the end-to-end tests, which also use the
// steps one by one.
//
// Each step waits on the UI thread up to a limit (driver_steps.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/driver_steps.h"
#include "engine/build_config.h"

namespace survey {

// The build switches of a handheld deliverable of apps/app_list.h by its name ("rz12wm", "zolwm",
// ...); false for a name that is none of them.
bool AppSwitches(const std::string& name, handheld::BuildSwitches* out);
// The names of the handheld deliverables, in the list's order.
std::vector<std::string> HandheldAppNames();

// ---- Steps. Each returns false when its outcome did not show within limitMs. -------------------

// Fills BuildConfig, registers the build's resources and starts WinMain on its own UI thread on
// the layer's drive root and device folder; true once the main menu shows. `before`, when given,
// then runs on the UI thread, to adjust settings as the setup dialogs would.
bool StartProgram(const handheld::BuildSwitches& build, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before = nullptr);
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

// ---- The whole survey ------------------------------------------------------------------------

ScriptOutcome RunScriptedSurvey(const handheld::BuildSwitches& build, const ScriptOptions& options,
                                const std::function<void()>& before = nullptr);

}  // namespace survey
