// The GPS monitor window: the receiver's raw lines in a list, a command edit and the buttons "&Go",
// "&Pause", "&Send" and "E&xit". Its input decoder and the line it sends are pure functions.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

constexpr int kMonitorButtonIdBase = 750;  // "&Go" 750, "&Pause" 751, "&Send" 752, "E&xit" 753
constexpr int kMonitorListId = 760;
constexpr int kMonitorEditId = 770;
constexpr int kMonitorLinesMax = 10000;    // received lines kept; the oldest goes first

enum class MonitorAction : int32_t { kNone = -1, kGo = 0, kPause = 1, kSend = 2, kExit = 3 };

// What one WM_COMMAND or WM_CHAR of the monitor does.
struct MonitorStep {
  MonitorAction action = MonitorAction::kNone;
  int32_t selected = 1;  // the button with the default-button frame afterwards
  bool moved = false;    // the frame moves from the old selection to the new one
};
// A button's command gives its action; a character: Tab moves the frame to the next button (after
// "E&xit" comes "&Go"), skipping "&Go" while running and "&Pause" while paused; Enter performs the
// framed button's action; G, P, S and X (either case) actions 0 to 3; others nothing. "&Go" while
// running and "&Pause" while paused are refused, for keys as for the hidden buttons.
MonitorStep DecodeMonitorInput(bool character, WPARAM wParam, int32_t selected, bool running);

// The monitor's command with CR and LF, as it goes to the receiver: the whole command (at most 63
// characters) into out, which holds 66 bytes; the byte count.
int MonitorCommandLine(const char* command, char* out, int outSize);

}  // namespace desktop
