// Windows that are not the program's own: the handheld shell stand-ins (task bar and input-panel
// button) and proxies for a program's main window in another process (the single-instance
// check). The window calls consult these hooks when a handle or a search is not one of the
// process's own windows. Every hook is called without KernelMutex held.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace plat::detail {

// ---- Hooks of the window calls (shell.cpp) ---------------------------------------------------
// FindWindow after a miss among the process's windows: a shell stand-in, or (class given, no
// title) a proxy for a window of that class in another process on the same root. NULL if none.
HWND FindForeignWindow(const std::wstring* cls, const std::wstring* title);
// IsWindow for a handle that is not a live window of the process.
bool IsForeignWindow(HWND h);
// ShowWindow / IsWindowVisible on a shell stand-in: true when h is one, with the call's result.
bool ShowForeignWindow(HWND h, int cmd, BOOL* previous);
bool ForeignWindowVisible(HWND h, BOOL* visible);
// SetForegroundWindow (low bit already masked): true when h is a proxy, with the call's result.
bool SetForegroundForeign(HWND h, BOOL* result);

// ---- Shell stand-ins (shell.cpp) -------------------------------------------------------------
struct SipCall {
  HWND hwnd;
  int state;
};
bool TaskBarVisibleNow();
bool SipButtonVisibleNow();
std::vector<SipCall> SipCallLog();
int SipPanelState();
void ResetShell();

// ---- Single instance across processes (instance.cpp) ----------------------------------------
// Top-level windows of program classes: the first of a class takes the class's lock for the
// current root (and binds its activation socket); the last one destroyed gives it back.
void InstanceWindowCreated(HWND h, const std::wstring& cls);
void InstanceWindowDestroyed(HWND h);
// A proxy when another process holds the lock of cls for the current root; else NULL.
HWND FindOtherInstance(const std::wstring& cls);
// A proxy handed out by FindOtherInstance whose instance still holds its lock.
bool IsLiveInstanceProxy(HWND h);
// Sends the activation datagram when h is a proxy: true then, with *sent.
bool ActivateInstanceProxy(HWND h, bool* sent);
// The base name of the lock file and of the abstract activation socket of cls on the current root.
std::string InstanceName(const std::wstring& cls);
// Classes whose activation requests arrived, oldest first (the latest 64).
std::vector<std::wstring> ActivateRequestLog();
// Datagrams read that were no valid request.
uint64_t IgnoredActivateRequests();
// Called on the listener thread for each valid request (the display backend raises its window).
void SetActivateRequestHook(std::function<void(const std::wstring& cls)> hook);
void ResetInstances();

}  // namespace plat::detail
