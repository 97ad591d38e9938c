// The GPS monitor: its input decoder (buttons, Tab, Enter and the letters, with Go refused while
// running and Pause while paused) and the command line it sends.
#include "ui/gps_monitor.h"

#include <gtest/gtest.h>

#include <string>

namespace desktop {
namespace {

TEST(GpsMonitorInput, ButtonsKeysAndTheFrame) {
  using A = MonitorAction;
  const struct {
    bool character;
    WPARAM wParam;
    int32_t selected;
    bool running;
    A action;
    int32_t selectedAfter;
    bool moved;
  } cases[] = {
      {false, 751, 1, true, A::kPause, 1, false},  // buttons
      {false, 752, 1, true, A::kSend, 1, false},
      {false, 753, 1, true, A::kExit, 1, false},
      {false, 750, 0, false, A::kGo, 0, false},
      {false, 750, 1, true, A::kNone, 1, false},   // Go while running
      {false, 770, 1, true, A::kNone, 1, false},   // the edit's notifications
      {true, VK_TAB, 1, true, A::kNone, 2, true},  // Tab moves the frame by one
      {true, VK_TAB, 2, true, A::kNone, 3, true},
      {true, VK_TAB, 3, true, A::kNone, 1, true},  // from Exit: Pause while running
      {true, VK_TAB, 3, false, A::kNone, 0, true}, // and Go while paused
      {true, VK_TAB, 0, false, A::kNone, 2, true}, // Pause skipped while paused
      {true, VK_RETURN, 2, true, A::kSend, 2, false},
      {true, VK_RETURN, 0, false, A::kGo, 0, false},
      {true, 'g', 0, false, A::kGo, 0, false},
      {true, 'G', 1, true, A::kNone, 1, false},    // Go refused while running
      {true, 'p', 1, true, A::kPause, 1, false},
      {true, 'P', 0, false, A::kNone, 0, false},   // Pause refused while paused
      {true, 'S', 1, true, A::kSend, 1, false},
      {true, 's', 0, false, A::kSend, 0, false},
      {true, 'x', 1, true, A::kExit, 1, false},
      {true, 'X', 0, false, A::kExit, 0, false},
      {true, 'q', 1, true, A::kNone, 1, false},
      {true, 751, 1, true, A::kNone, 1, false},    // a character is never a button id
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.character ? "char " : "command ") << c.wParam << " selected " << c.selected
                                    << (c.running ? " running" : " paused"));
    const MonitorStep step = DecodeMonitorInput(c.character, c.wParam, c.selected, c.running);
    EXPECT_EQ(step.action, c.action);
    EXPECT_EQ(step.selected, c.selectedAfter);
    EXPECT_EQ(step.moved, c.moved);
  }
}

// The command goes out whole with CR and LF: the preset's 21 bytes, a 49-character command's 51,
// the edit's longest (63) in 65.
TEST(GpsMonitorInput, CommandLineHoldsTheWholeCommand) {
  for (const std::string& command : {std::string("$PASHS,NME,SAT,A,ON"), std::string(49, 'A'), std::string(63, 'B')}) {
    char line[66];
    const int n = MonitorCommandLine(command.c_str(), line, sizeof line);
    EXPECT_EQ(n, static_cast<int>(command.size()) + 2);
    EXPECT_EQ(std::string(line, static_cast<size_t>(n)), command + "\r\n");
  }
}

}  // namespace
}  // namespace desktop
