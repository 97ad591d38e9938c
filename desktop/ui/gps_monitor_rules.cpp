#include <cstring>

#include "ui/gps_monitor.h"

namespace desktop {
namespace {

constexpr int kButtons = 4;

MonitorAction ActionOfCharacter(WPARAM c) {
  switch (c) {
    case 'G': case 'g': return MonitorAction::kGo;
    case 'P': case 'p': return MonitorAction::kPause;
    case 'S': case 's': return MonitorAction::kSend;
    case 'X': case 'x': return MonitorAction::kExit;
    default: return MonitorAction::kNone;
  }
}

// The button of an action is offered: "&Go" only while paused, "&Pause" only while running.
bool Offered(int32_t button, bool running) {
  if (button == static_cast<int32_t>(MonitorAction::kGo)) return !running;
  if (button == static_cast<int32_t>(MonitorAction::kPause)) return running;
  return button >= 0 && button < kButtons;
}

}  // namespace

MonitorStep DecodeMonitorInput(bool character, WPARAM wParam, int32_t selected, bool running) {
  MonitorStep step;
  step.selected = selected;
  MonitorAction action = MonitorAction::kNone;
  if (!character) {
    const int32_t button = static_cast<int32_t>(LOWORD(wParam)) - kMonitorButtonIdBase;
    if (button >= 0 && button < kButtons) action = static_cast<MonitorAction>(button);
  } else if (wParam == VK_TAB) {
    int32_t next = selected;
    do {
      next = next >= kButtons - 1 || next < 0 ? 0 : next + 1;
    } while (!Offered(next, running));
    step.selected = next;
    step.moved = true;
  } else if (wParam == VK_RETURN) {
    if (selected >= 0 && selected < kButtons) action = static_cast<MonitorAction>(selected);
  } else {
    action = ActionOfCharacter(wParam);
  }
  if (action != MonitorAction::kNone && !Offered(static_cast<int32_t>(action), running)) action = MonitorAction::kNone;
  step.action = action;
  return step;
}

int MonitorCommandLine(const char* command, char* out, int outSize) {
  if (outSize < 3) return 0;
  const int n = static_cast<int>(strnlen(command, static_cast<size_t>(outSize - 3)));
  std::memcpy(out, command, static_cast<size_t>(n));
  out[n] = '\r';
  out[n + 1] = '\n';
  out[n + 2] = '\0';
  return n + 2;
}

}  // namespace desktop
