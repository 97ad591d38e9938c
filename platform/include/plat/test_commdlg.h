// Test API of the common dialogs' module table, the handheld shell stand-ins and the
// single-instance check (plat::test::).
#pragma once
#include "plat/testing.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat::test {

// ---- Modules --------------------------------------------------------------------------------
// Removes an export of a module the layer knows (e.g. L"COMMDLG.DLL", "ChooseColor") until Reset:
// GetProcAddress then gives NULL.
void RemoveModuleExport(const std::wstring& module, const std::string& name);

// ---- Shell stand-ins (handheld profile; false in the desktop profile) -----------------------
bool TaskBarVisible();
bool SipButtonVisible();
struct SipPreference {
  HWND hwnd;
  int state;  // SIP_UP, SIP_DOWN or SIP_FORCEDOWN
};
// Every SHSipPreference call since Reset, oldest first, and the panel state they left.
std::vector<SipPreference> SipPreferences();
int SipPanelState();

// ---- Single instance ------------------------------------------------------------------------
// Classes whose activation requests (SetForegroundWindow on a proxy in another process) this
// process received since Reset, oldest first.
std::vector<std::wstring> ActivateRequests();
// Datagrams the activation sockets read since Reset that were no valid request (ignored).
uint64_t IgnoredActivateRequests();
// The abstract socket name (without its leading NUL) that receives the activation requests of
// class cls on the current drive root; the lock file has the same base name.
std::string InstanceSocketName(const std::wstring& cls);

}  // namespace plat::test
