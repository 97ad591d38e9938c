// Test automation of the window layer (plat::test::): pumping, running a program on its own UI
// thread, finding and reading windows, input injection, capture and the send log.
#pragma once
#include "plat/testing.h"

#include <functional>
#include <string>
#include <vector>

namespace plat::test {

// ---- Harness --------------------------------------------------------------------------------
// Layer-level tests: the test thread is the UI thread. Retrieves and dispatches everything
// queued for it, paints and due timers included, until nothing is left. A WM_QUIT met on the way
// stays queued. Returns how many messages were dispatched.
int PumpUntilIdle();

// Program-level tests: starts winMain on a new UI thread (a platform thread) with the given
// profile and screen, and returns its thread handle. ExitProcess on that thread ends it with the
// code instead of the process.
HANDLE RunProgram(int (*winMain)(HINSTANCE, HINSTANCE, LPWSTR, int), Profile profile = Profile::Handheld,
                  Screen screen = {});
HANDLE RunProgram(int (*winMain)(HINSTANCE, HINSTANCE, LPSTR, int), Profile profile = Profile::Desktop,
                  Screen screen = {});
// Waits (in real time, bounded) for the program to end and returns its exit code; fails the test
// and returns -1 when it does not end in time.
int Wait(HANDLE program, DWORD realMs = 10000);
// Waits (in real time, bounded) until the UI thread sits in a message wait with nothing queued and
// every other platform thread is blocked. The auto clock does not step meanwhile. False on time-out.
bool WaitIdle(DWORD realMs = 5000);
// Advance(ms) followed by WaitIdle().
bool RunFor(uint32_t ms);
// Runs fn on the UI thread as sent work (serviced only while it retrieves messages), or directly
// when called on the UI thread. Returns fn's result; 0 when the UI thread has gone.
LRESULT OnUiThread(const std::function<LRESULT()>& fn);

// ---- Finding and reading --------------------------------------------------------------------
// The topmost top-level window whose title, or else class, equals s (class ignoring case).
HWND FindTop(const std::wstring& titleOrClass);
HWND Child(HWND parent, int id);
std::vector<HWND> Children(HWND parent);  // in z-order, topmost first
HWND FocusWindow();
HWND ActiveWindow();
std::wstring Text(HWND h);  // through WM_GETTEXT
bool IsVisible(HWND h);
bool IsEnabled(HWND h);
DWORD Style(HWND h);
DWORD ExStyle(HWND h);
RECT WindowRect(HWND h);  // screen coordinates
RECT ClientRectScreen(HWND h);
struct TimerInfo {
  UINT_PTR id;
  uint32_t period;
};
std::vector<TimerInfo> Timers(HWND h);
std::vector<RECT> UpdateRegion(HWND h);  // client coordinates
bool UpdateErase(HWND h);

enum class ModalKind { Dialog, MessageBox, Menu, OpenSave, Colour };
struct ModalInfo {
  HWND hwnd;
  ModalKind kind;
  HWND owner;
};
std::vector<ModalInfo> ModalStack();  // outermost first
// Called on the UI thread inside every modal loop once its window is shown; empty to remove.
void OnModalStart(std::function<void(HWND modal, ModalKind kind)> hook);

// ---- Input ----------------------------------------------------------------------------------
// All input goes through the input queue and is addressed at retrieval time.
void Click(HWND h);                    // the centre of the client area
void Click(HWND h, int x, int y);      // a client point
void ClickScreen(int x, int y);
void Press(int x, int y);              // screen coordinates
void MoveMouse(int x, int y);          // only while pressed
void Release(int x, int y);
void KeyDown(int vk);  // bit 30 is set when the key is already down
void KeyUp(int vk);
void KeyPress(int vk);
// n WM_KEYDOWN with the repeat bit (30) set, then one WM_KEYUP.
void KeyRepeat(int vk, int n);
// Key down, up for each character, with Shift around those that need it. Characters without a
// key on the US layout are skipped.
void TypeText(const std::string& text);

// ---- Capture --------------------------------------------------------------------------------
COLORREF ScreenPixel(int x, int y);            // CLR_INVALID outside
COLORREF WindowPixel(HWND h, int x, int y);    // the window's own surface, client coordinates
size_t CountPixels(HWND h, RECT rc, COLORREF colour);
// A path for a test artefact: $PLAT_TEST_OUTPUT/name, or test-output/name under the current
// folder (the build tree under CTest). The folder is made.
std::string OutputPath(const std::string& name);

// ---- Recorders and faults -------------------------------------------------------------------
struct SendInfo {
  HWND hwnd;
  UINT msg;
  DWORD tick;  // GetTickCount when the handler had run
};
// Cross-thread sends handled since the last Reset, oldest first.
std::vector<SendInfo> Sends();
// Runs on the receiving UI thread each time the handler of such a send has returned, while the
// sender still waits (a reader's hand-over is complete): the hook may act on what the handler did
// before the next message. Empty removes it; Reset does too.
void OnSendHandled(std::function<void(HWND hwnd, UINT msg)> hook);
// Registering this class (ignoring case) fails until Reset.
void FailRegisterClass(const std::wstring& name);
// Creating a window of this class fails until Reset.
void FailCreateWindow(const std::wstring& className);

}  // namespace plat::test
