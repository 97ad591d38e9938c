// The one modal-loop engine that dialogs, message boxes, popup menus and the common dialogs run on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace plat::detail {

enum class ModalKind { Dialog, MessageBox, Menu, OpenSave, Colour };
enum class ModalEnd { Ended, Destroyed, Quit };

// Runs the modal loop of `modal`, a top-level window made hidden by the caller, with its owner as
// given at creation (NULL: the thread's active top-level window):
//   - disables the owner's top-level window (not for menus) and remembers the focus;
//   - cancels any popup menu that is tracking on this thread (not for menus);
//   - shows the modal window on top, activates it and gives it the focus;
//   - calls the automation hook, then retrieves and dispatches every message of the thread, after
//     `filter` (when given) had a chance to handle it, until `ended()` holds, the window is
//     destroyed, or WM_QUIT arrives (which it posts again);
//   - re-enables the owner, destroys the modal window if it still exists, gives the focus back.
// `focusBefore`, when given, is the focus to give back: the caller moved the focus into the modal
// window before the loop (a dialog's WM_INITDIALOG). Returns how it ended.
ModalEnd RunModalLoop(HWND modal, ModalKind kind, const std::function<bool()>& ended,
                      const std::function<bool(MSG&)>& filter = nullptr, HWND focusBefore = nullptr);

struct ModalEntry {
  HWND hwnd;
  ModalKind kind;
  HWND owner;
};
// The open modal windows of every thread, outermost first.
std::vector<ModalEntry> ModalStack();

// Called on the UI thread inside each loop once its window is shown.
using ModalHook = std::function<void(HWND modal, ModalKind kind)>;
void SetModalHook(ModalHook hook);

// Test automation's own hooks, apart from the one above: the scripted modal UI and the modal log.
// All run on the modal window's thread without the kernel lock.
struct ModalScriptHooks {
  // The window is shown, before SetModalHook's hook; `testHook` tells whether that one is set.
  std::function<void(HWND modal, ModalKind kind, bool testHook)> opened;
  // The loop has ended and the window is gone.
  std::function<void(HWND modal, ModalKind kind, ModalEnd how)> ended;
  // The call that ran the modal window reports what it returns (see ReportModalResult).
  std::function<void(HWND modal, ModalKind kind, INT_PTR result, const std::wstring& detail)> result;
};
// Kept across harness resets.
void SetModalScriptHooks(ModalScriptHooks hooks);

}  // namespace plat::detail
