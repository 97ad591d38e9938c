// Shared pieces of the dialog tests: a scripted dialog procedure that logs what it sees, and a
// fixture with owner windows.
#pragma once

#include "window_test_util.h"

namespace dlgtest {

constexpr DWORD kHandheldStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kDesktopStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// The dialog procedure's behaviour: an answer may handle a message (its value is returned);
// without one, WM_INITDIALOG gives TRUE, IDOK and IDCANCEL end the dialog with their id, and
// everything else gives FALSE. Every message is logged, in order, from any thread.
struct DlgScript : wintest::Recorder {
  std::map<UINT, std::function<INT_PTR(HWND, WPARAM, LPARAM)>> answers;

  // The WM_COMMAND ids and codes seen, as (id, code) pairs.
  std::vector<std::pair<int, int>> Commands() {
    std::vector<std::pair<int, int>> out;
    for (const wintest::Seen& s : Of(WM_COMMAND)) out.emplace_back(LOWORD(s.wParam), HIWORD(s.wParam));
    return out;
  }
};

inline DlgScript*& CurrentScript() {
  static DlgScript* s = nullptr;
  return s;
}

inline INT_PTR CALLBACK ScriptedDlgProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  DlgScript* s = CurrentScript();
  if (!s) return FALSE;
  std::function<INT_PTR(HWND, WPARAM, LPARAM)> handler;
  {
    std::lock_guard<std::mutex> lock(s->mutex);
    s->log.push_back(wintest::Seen{h, msg, w, l});
    auto it = s->answers.find(msg);
    if (it != s->answers.end()) handler = it->second;
  }
  if (handler) return handler(h, w, l);
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    EndDialog(h, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

class DialogTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    wintest::WindowTest::SetUp();
    CurrentScript() = &script;
  }
  void TearDown() override {
    wintest::WindowTest::TearDown();
    plat::test::OnModalStart(nullptr);
    CurrentScript() = nullptr;
  }
  // Resets the layer to another profile or screen inside a test.
  void ResetTo(plat::Profile profile, plat::test::Screen screen = {}) {
    plat::test::Reset(profile, screen);
    wintest::WindowTest::SetUp();
  }
  void OnDlg(UINT msg, std::function<INT_PTR(HWND, WPARAM, LPARAM)> f) {
    std::lock_guard<std::mutex> lock(script.mutex);
    script.answers[msg] = std::move(f);
  }
  INT_PTR Run(const DlgTemplateT& t, HWND owner, LPARAM param = 0) {
    return DialogBoxIndirectParamW(nullptr, &t, owner, ScriptedDlgProc, param);
  }
  // Runs fn inside every modal loop that starts from now on, with its window.
  void WhenOpen(std::function<void(HWND)> fn) {
    plat::test::OnModalStart([fn](HWND h, plat::test::ModalKind) { fn(h); });
  }

  // Runs the steps one after another inside the dialog's loop, each once everything queued before
  // it (injected input included) has been handled, on a 10 ms timer of the dialog.
  void Steps(std::vector<std::function<void(HWND)>> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    OnDlg(WM_TIMER, [this](HWND h, WPARAM id, LPARAM) -> INT_PTR {
      if (id != kStepTimer) return FALSE;
      if (next_ < steps_.size()) steps_[next_++](h);
      if (next_ >= steps_.size()) KillTimer(h, kStepTimer);
      return TRUE;
    });
    WhenOpen([](HWND h) { SetTimer(h, kStepTimer, 10, nullptr); });
  }
  size_t StepsRun() const { return next_; }

  DlgScript script;

 private:
  static constexpr UINT_PTR kStepTimer = 0x5EED;
  std::vector<std::function<void(HWND)>> steps_;
  size_t next_ = 0;
};

}  // namespace dlgtest
