// A scripted survey on a desktop program that runs in this process on the real clock, with its
// instrument on COM1 and its GPS receiver on COM4 (the program's default ports) streaming on
// pseudo-terminals: Logging, Data File, what the instrument needs before a survey (the RZ56-MK2's
// nulling and QC check, the RZ27-MK2's calibration), GO, a stretch of readings, PAUSE, New
// Station, GO, a second stretch, PAUSE, Exit answered Yes, and the start screen's Exit. Used by
// the demo driver and the end-to-end tests, which also use the steps one by one (with New Line
// and Comment).
//
// Each step waits on the UI thread up to a limit (driver_steps.h). This header names no piece of
// the program, so that one driver can hold both programs' steps; the tests reach the program's
// state through its own headers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/driver_steps.h"

namespace survey::desktop_driver {

// The desktop deliverables of apps/app_list.h, in the list's order, and whether one is called so.
std::vector<std::string> AppNames();
bool IsApp(const std::string& name);
// Whether the app's instrument sends meter frames (WM_READING): the RZ12, RZ27 and RZ45 families
// and the RZ89.
bool IsMeterApp(const std::string& name);
// The app's model index (-2 to 7), or -99 for a name that is no app.
int AppModel(const std::string& name);

// GPS input on, on COM4, saved in the settings file as the GPS port setup would (UI thread).
void EnableGps();

// ---- Steps. Each returns false when its outcome did not show within limitMs. -------------------

// Fills BuildConfig, registers the build's resources and starts WinMain on its own UI thread on
// the layer's drive root and device folder; true once the start screen shows. `before`, when
// given, then runs on the UI thread, to adjust settings as the setup dialogs would.
bool StartProgram(const std::string& app, HANDLE* program, DWORD limitMs,
                  const std::function<void()>& before = nullptr);
// Logging on the start screen: the run is on (Monitoring) and the logging window has the focus;
// on the RZ56-MK2 also its normalisation has ended (its buttons work again).
bool StartRun(DWORD limitMs);
// Data File with `name` typed into the save dialog (empty: the proposed name): Stand By. The data
// file's path as the program names it goes to *path.
bool CreateDataFile(const std::wstring& name, std::wstring* path, DWORD limitMs);
// Reading records in the program's open data file (call on the UI thread).
int RecordedReadings();
// Null in Stand By, answered Yes (RZ56-MK2): true once the nulling has ended, its four null
// records written.
bool Null(DWORD limitMs);
// The internal QC check (RZ56-MK2): its nulling, OK on the panel, `pressCoil` (when given: the
// instrument's QC coil button) once the panel waits for values, and OK on the verdict, which
// closes the panel. Empty when the check passed, its records written; else what went wrong.
std::string InternalQcCheck(const std::function<void()>& pressCoil, DWORD limitMs);
// Calibrate answered Yes (RZ27-MK2), with the instrument vertical: empty once the calibration has
// completed and its screen closed, its records written; else what went wrong.
std::string CalibrateRz27Mk2(DWORD limitMs);
// What the build's instrument needs in Stand By before a survey: the RZ56-MK2's nulling and
// internal QC check, the RZ27-MK2's calibration, nothing for the others. Empty when done, else
// "the step that did not happen: what the driver saw".
std::string PrepareInstrument(const std::function<void()>& pressCoil, DWORD limitMs);
// GO: Logging.
bool Go(DWORD limitMs);
// PAUSE: Stand By.
bool Pause(DWORD limitMs);
// GO, `readings` readings recorded, PAUSE pressed on the UI thread right after the handler that
// recorded the last of them. The readings recorded while Logging, or -1 with what went wrong in
// *failure (when given).
int LoggingStretch(int readings, DWORD limitMs, std::string* failure = nullptr);
// New Station with `station` typed and OK; true once the dialog has ended.
bool NewStation(const std::wstring& station, DWORD limitMs);
// New Line with the proposal taken as it stands (OK).
bool NewLine(DWORD limitMs);
// Comment with `text` typed and OK.
bool Comment(const std::wstring& text, DWORD limitMs);
// Exit on the logging window, answered Yes when `asked` (a data file is open): true once the run
// has ended and the start screen is back.
bool ExitRun(bool asked, DWORD limitMs);
// Exit on the start screen; the program's exit code, or -1 when it did not end.
int ExitProgram(HANDLE program, DWORD limitMs);

// The demo's survey (RunScript of driver_steps.h), with PrepareInstrument after Create File.
ScriptOutcome RunScriptedSurvey(const std::string& app, const ScriptOptions& options,
                                const std::function<void()>& before = nullptr,
                                const std::function<void()>& pressCoil = nullptr);

}  // namespace survey::desktop_driver
