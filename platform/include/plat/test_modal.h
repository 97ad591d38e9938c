// Scripted modal UI and the modal log (plat::test::). Every dialog, message box, popup menu, file
// dialog and colour chooser that opens is logged, and is handled by, in this order:
//   1. the front of the expectation queue (Expect*), when it matches;
//   2. a handler registered with OnModal whose kind and title match (in registration order);
//   3. the hook of OnModalStart, when one is set (the test drives the window itself);
//   4. the unscripted policy: by default the test fails and the window is cancelled at once, and
//      destroyed if it is still open 1 s (real time) later, so a test never hangs on it.
// Handlers run on the window's UI thread, inside its modal loop, once the window is shown.
#pragma once

#include "plat/test_window.h"

#include <functional>
#include <string>
#include <vector>

namespace plat::test {

// What a handler sees of an open modal window, and what it can do to it. Actions that do not apply
// to the window (a missing control, Answer on a dialog, ChooseFile on a box, ...) fail the test and
// return false. Controls are addressed by id inside the modal window.
class ModalContext {
 public:
  ModalContext(HWND modal, ModalKind kind);

  HWND Window() const { return hwnd_; }
  ModalKind Kind() const { return kind_; }
  std::wstring Caption() const;
  // Message box: its text. File dialog: the proposed name it came with. Otherwise empty.
  std::wstring Text() const;
  // Message box: the MB_* type. File dialog: the OPENFILENAME flags. Colour: the CHOOSECOLOR flags.
  UINT Flags() const;
  // Message box: the owner as passed. Otherwise the owner's top-level window (the disabled one).
  HWND Owner() const;
  HWND Control(int id) const;  // NULL when missing
  std::vector<HWND> Controls() const;
  std::wstring ControlText(int id) const;

  // Generic actions, as a user would do them: each control gets its messages and the dialog its
  // notifications.
  bool SetText(int id, const std::wstring& s);  // WM_SETTEXT (the edit notifies)
  bool Select(int id, int index);               // combo: then CBN_SELCHANGE if it changed; list box: none
  bool Check(int id, bool checked);             // clicks the check box if its state differs
  bool Click(int id);                           // BM_CLICK
  void Key(int vk);                             // a key press through the input queue
  bool ClickCaptionOk();                        // a click on the caption's OK box (through the input queue)
  void Close();                                 // sends WM_CLOSE
  // Dialog: EndDialog(value). Message box: Answer(value). Menu: ChooseMenuItem(value), 0 cancels.
  bool End(INT_PTR value);

  // Per kind.
  bool Answer(int id);                          // message box: presses the button with that id
  bool ChooseFile(const std::wstring& name);    // file dialog: types the name and presses OK
  bool ChooseColour(COLORREF rgb);              // colour chooser: selects rgb and presses OK
  bool ChooseMenuItem(UINT id);                 // popup menu
  // Any kind: file dialog and colour chooser press Cancel, a menu is cancelled, a dialog or box
  // gets WM_CLOSE.
  bool Cancel();

 private:
  HWND hwnd_;
  ModalKind kind_;
};

using ModalHandler = std::function<void(ModalContext&)>;
enum class Repeat { Once, Always };
// An empty titleMatch matches every title; otherwise the caption must equal it.
void OnModal(ModalKind kind, const std::wstring& titleMatch, ModalHandler handler, Repeat repeat = Repeat::Once);

// ---- Queued expectations, met in order --------------------------------------------------------
// Reset fails the test when an expectation is left over.
struct CancelChoice {};
inline constexpr CancelChoice kCancel{};

struct BoxExpectation {
  std::wstring caption;       // empty: any caption
  std::wstring textContains;  // empty: any text
  int answer = IDOK;          // the button pressed
};
void ExpectMessageBox(const BoxExpectation& box);
void ExpectSaveFile(const std::wstring& name);
void ExpectSaveFile(CancelChoice);
void ExpectOpenFile(const std::wstring& name);
void ExpectOpenFile(CancelChoice);
void ExpectColour(COLORREF rgb);
void ExpectColour(CancelChoice);
void ExpectMenu(UINT id);
void ExpectMenu(CancelChoice);
void ExpectDialog(const std::wstring& title, ModalHandler handler);
size_t PendingExpectations();

// ---- Modal UI that nothing handles ------------------------------------------------------------
enum class Unscripted {
  Fail,      // the test fails; the window is cancelled (the default, again after Reset)
  AnswerOk,  // silently: a box's first button, a dialog's IDOK, a file dialog's proposal, the
             // chooser's initial colour; a menu is cancelled
  Cancel,    // silently cancelled
};
void AllowUnscripted(Unscripted policy);

// ---- Reading controls (in dialogs or ordinary windows) ---------------------------------------
// BST_CHECKED or BST_UNCHECKED; 0 for a missing window.
int CheckState(HWND button);
// The items of a combo or list box in their order; empty for anything else.
std::vector<std::wstring> Items(HWND comboOrList);
// The selected index of a combo or list box; -1 for none or anything else.
int Selection(HWND comboOrList);
// The list box's top index; -1 for anything else.
int TopIndex(HWND list);
// The edit's ES_READONLY (set by the style or EM_SETREADONLY).
bool IsReadOnly(HWND edit);

// ---- The modal log ----------------------------------------------------------------------------
enum class ModalHandledBy { Expectation, Script, TestHook, Policy, Unexpected };
enum class ModalEnding { Open, Ended, Destroyed, Quit };
struct ModalRecord {
  ModalKind kind;
  HWND hwnd;
  HWND owner;     // as ModalContext::Owner
  HWND topOwner;  // the owner's top-level window
  std::wstring caption;
  std::wstring text;  // as ModalContext::Text
  UINT flags;         // as ModalContext::Flags
  DWORD openTick;     // GetTickCount when the window was shown
  ModalHandledBy handledBy;
  ModalEnding ending;
  bool hasResult;    // the call reported what it returned
  INT_PTR result;    // EndDialog value, box button, menu id (0: none), TRUE/FALSE
  std::wstring detail;  // the chosen path, the chosen colour, or empty
};
// Every modal window opened since the last Reset, in opening order.
std::vector<ModalRecord> ModalLog();
const char* KindName(ModalKind kind);

}  // namespace plat::test
