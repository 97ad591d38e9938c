// What the scripted surveys of both programs share: the waits on the UI thread, the keys that wait
// for their window's focus, the report of a box no step expected, the count of reading records in
// the data file, and the watch over a logging stretch. Includes neither program.
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

#include "common/data_file.h"

namespace survey {

// The longest a logging stretch waits for its next reading.
constexpr DWORD kReadingProgressLimitMs = 10000;

// Polls `done` on the UI thread until it holds; false when it did not within limitMs.
bool WaitFor(const std::function<bool()>& done, DWORD limitMs);
// Waits until `startScreen` shows; then runs `before`, when given, on the UI thread.
bool AwaitStartScreen(const std::function<HWND()>& startScreen, DWORD limitMs, const std::function<void()>& before);
// A key press for `window` once it has the keyboard focus; false when it never gets it.
bool KeyTo(const std::function<HWND()>& window, int vk, DWORD limitMs);
// "the program showed "CAPTION: TEXT"; " for the last box or dialog that no step expected (the
// layer cancelled it), on one line; empty when there was none.
std::string Shown();
// The Linux path of a path under the drive root.
std::string HostPath(const std::wstring& path);
// "nothing in N s", what a step that did not happen within limitMs saw.
std::string NothingIn(DWORD limitMs);
// Every box and dialog a step expected has been met and none is open.
bool ModalsSettled(DWORD limitMs);
// "COMn" of a port index 0 to 254.
std::string ComName(int port);

// Reading records (by their tag) in `file` from byte *from, a record boundary, to its end, which
// *from then holds. Call on the UI thread, where the reading records are written whole.
int ReadingsWrittenSince(DataFile& file, uint32_t recordLength, bool (*isReadingTag)(unsigned char), uint64_t* from);

// A program's side of a logging stretch, each called on its UI thread.
struct StretchHooks {
  std::function<bool(HWND, UINT)> isReading;  // the send just handled handed a reading over
  std::function<int()> recordedSince;         // reading records written since the last call
  std::function<void()> pause;                // PAUSE, as its button does
  std::function<bool()> logging;              // the run is Logging
  std::function<bool()> standBy;              // the run is in Stand By
  int port = 0;                               // the instrument's port index, for the messages
};
// Watches a stretch already started by Go until `readings` are recorded, and pauses on the UI
// thread right after the handler that recorded the last of them, so that no reading slips between
// the count and the state change. Returns the readings recorded while Logging, or -1 with what
// went wrong in *failure (when given): the run left Logging, or no reading came for
// kReadingProgressLimitMs. limitMs bounds the return to Stand By.
int WatchStretch(const StretchHooks& hooks, int readings, DWORD limitMs, std::string* failure);

// ---- The whole survey, as either program's driver scripts it --------------------------------

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

// A program's steps, as its driver names them (each as described there).
struct ProgramSteps {
  const char* runStart = "";  // the start screen's action that starts a run
  std::function<bool(HANDLE* program, DWORD limitMs)> start;
  std::function<bool(DWORD limitMs)> startRun;
  std::function<bool(const std::wstring& name, std::wstring* path, DWORD limitMs)> createDataFile;
  // What the instrument needs before the survey, with the data file open: empty when done, else
  // "the step that did not happen: what the driver saw". None: nothing to do.
  std::function<std::string(DWORD limitMs)> prepare;
  std::function<int(int readings, DWORD limitMs, std::string* failure)> stretch;
  std::function<bool(const std::wstring& station, DWORD limitMs)> newStation;
  std::function<bool(bool asked, DWORD limitMs)> exitRun;
  std::function<int(HANDLE program, DWORD limitMs)> exitProgram;
  // After a failed step: pause when Logging, Exit answered Yes while the run is on, then the start
  // screen's Exit.
  std::function<void(HANDLE program, DWORD limitMs)> endAfterFailure;
};

// Start, the run, Create File, the instrument's preparation, a stretch, New Station, a second
// stretch, the screenshot, Exit answered Yes and the start screen's Exit.
ScriptOutcome RunScript(const ProgramSteps& steps, const ScriptOptions& options);

}  // namespace survey
