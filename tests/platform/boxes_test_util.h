// Shared pieces of the message box and popup menu tests: a main window and a queue of scripts,
// one per modal UI in the order they open, run inside its loop once it is shown.
#pragma once

#include <deque>
#include <functional>

#include "../../platform/src/boxes_internal.h"
#include "window_test_util.h"

namespace boxtest {

using Script = std::function<void(HWND modal, plat::test::ModalKind kind)>;

class ModalUiTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    main = Top(WS_VISIBLE, {0, 0, 240, 320}, L"main");
    plat::test::OnModalStart([this](HWND h, plat::test::ModalKind kind) {
      if (scripts.empty()) {
        ADD_FAILURE() << "modal UI opened without a script";
        PostMessageW(h, WM_CLOSE, 0, 0);
        return;
      }
      Script s = std::move(scripts.front());
      scripts.pop_front();
      s(h, kind);
    });
  }
  void TearDown() override {
    EXPECT_TRUE(scripts.empty()) << "a scripted modal UI never opened";
    WindowTest::TearDown();
  }
  void Then(Script s) { scripts.push_back(std::move(s)); }
  void StartClock() {
    plat::test::UseVirtualClock(10000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  }

  HWND main = nullptr;
  std::deque<Script> scripts;
};

// Shift+Tab as one key of a table.
constexpr int kShiftTab = -VK_TAB;

inline void Keys(const std::vector<int>& keys) {
  for (int k : keys) {
    if (k == kShiftTab) {
      plat::test::KeyDown(VK_SHIFT);
      plat::test::KeyPress(VK_TAB);
      plat::test::KeyUp(VK_SHIFT);
    } else {
      plat::test::KeyPress(k);
    }
  }
}

}  // namespace boxtest
