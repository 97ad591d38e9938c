// The GPS monitor window: the receiver's raw lines outside a survey run, and commands typed to it
// through the GPS message dialog.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

// Buttons 440 to 443; action = id - 440.
constexpr int kMonitorButtonIdBase = 440;
constexpr int kMonitorGo = 0;
constexpr int kMonitorPause = 1;
constexpr int kMonitorSend = 2;
constexpr int kMonitorExit = 3;
constexpr int kMonitorListId = 222;
constexpr int kMonitorEditId = 452;
// Lines the list keeps: the oldest goes before a new one beyond this.
constexpr int kMonitorMaxLines = 1000;
// Characters of a command; it goes out as narrow text followed by CR LF.
constexpr int kGpsCommandMax = 27;

// The monitor's state (owner: this module).
struct GpsMonitorData {
  HWND buttons[4] = {};   // "&Go", "&Pause", "&Send", "E&xit"
  HWND list = nullptr;    // one line per received sentence
  HWND edit = nullptr;    // the command text
  wchar_t command[kGpsCommandMax + 1] = L"";
  int32_t running = 1;    // 1: "&Pause" offered; 0: paused, "&Go" offered
  int32_t paused = 0;     // 1 while Pause holds the reader suspended
  int32_t selected = 1;   // the button with the default-button frame
};
extern GpsMonitorData GpsMonitor;
void ResetGpsMonitor();

// The monitor's view of itself: offered buttons and the frame.
struct MonitorState {
  int32_t running = 1;
  int32_t paused = 0;
  int32_t selected = 1;
};

// One WM_CHAR: Tab moves the frame to the next offered button (after Exit comes the first) and acts
// on nothing; Enter acts on the framed button; G, P, S and X in either case act on theirs. Go while
// running and Pause while paused are not offered and do nothing. Returns the action (0 to 3), or -1;
// *selected is the frame afterwards.
int MonitorCharAction(WPARAM ch, const MonitorState& state, int32_t* selected);
// Whether an action is offered in a state: Go only while paused, Pause only while running.
bool MonitorActionOffered(int action, const MonitorState& state);
// The state after Go, Pause, a confirmed Send or Exit: every one but Pause leaves the monitor
// running with the frame moved off "&Go"; Pause puts the frame from "&Pause" onto "&Go".
MonitorState MonitorStateAfter(int action, const MonitorState& state);

// The line a command goes out as: the narrow text, CR and LF, no terminator. Returns its length.
int GpsCommandLine(const wchar_t* command, char* out, int outSize);

// GPS Message ("GetGPSMessage"): edits GpsMonitor.command, cut to 27 characters at OK. Ends with 1
// after OK and 0 after Cancel.
INT_PTR CALLBACK GpsMessageDlgProc(HWND, UINT, WPARAM, LPARAM);

LRESULT MonitorGpsOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT MonitorGpsOnPaint(HWND, UINT, WPARAM, LPARAM);
LRESULT MonitorGpsOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT MonitorGpsOnSize(HWND, UINT, WPARAM, LPARAM);

}  // namespace handheld
