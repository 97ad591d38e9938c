// Shared pieces of the control tests: a parent window that records what its controls tell it.
#pragma once

#include <string>
#include <vector>

#include "window_test_util.h"

namespace ctltest {

using plat::test::PumpUntilIdle;

struct Note {
  int id;
  WORD code;
};

class ControlTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent = Top(WS_VISIBLE, {0, 0, 240, 320}, L"parent");
    ASSERT_NE(parent, nullptr);
  }

  // Handlers may capture a test's locals: none runs once the test body has ended.
  void TearDown() override {
    {
      std::lock_guard<std::mutex> lock(rec.mutex);
      rec.handlers.clear();
    }
    WindowTest::TearDown();
  }

  HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int id, RECT r = {10, 10, 110, 34}) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr,
                           nullptr);
  }

  // The notifications the parent got, in order.
  std::vector<Note> Notes() {
    std::vector<Note> out;
    for (const wintest::Seen& s : rec.Of(WM_COMMAND)) out.push_back(Note{LOWORD(s.wParam), HIWORD(s.wParam)});
    return out;
  }
  // The codes one control sent, in order.
  std::vector<WORD> Codes(int id) {
    std::vector<WORD> out;
    for (const Note& n : Notes()) {
      if (n.id == id) out.push_back(n.code);
    }
    return out;
  }

  static std::wstring TextOf(HWND h) {
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
  }

  HWND parent = nullptr;
};

}  // namespace ctltest
