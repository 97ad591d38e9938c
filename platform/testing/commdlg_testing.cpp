// Test API of the module table, the shell stand-ins and the single-instance check.
#include <plat/testing.h>

#include "commdlg_internal.h"
#include "foreign_windows.h"

namespace plat::test {

void RemoveModuleExport(const std::wstring& module, const std::string& name) {
  detail::RemoveModuleExport(module, name);
}

bool TaskBarVisible() { return detail::TaskBarVisibleNow(); }
bool SipButtonVisible() { return detail::SipButtonVisibleNow(); }

std::vector<SipPreference> SipPreferences() {
  std::vector<SipPreference> out;
  for (const detail::SipCall& c : detail::SipCallLog()) out.push_back(SipPreference{c.hwnd, c.state});
  return out;
}

int SipPanelState() { return detail::SipPanelState(); }

std::vector<std::wstring> ActivateRequests() { return detail::ActivateRequestLog(); }

uint64_t IgnoredActivateRequests() { return detail::IgnoredActivateRequests(); }

std::string InstanceSocketName(const std::wstring& cls) { return detail::InstanceName(cls); }

}  // namespace plat::test
