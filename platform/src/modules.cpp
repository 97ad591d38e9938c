// Loadable modules: a table of the modules the layer knows and their exports. The handheld loads
// COMMDLG.DLL and looks up "ChooseColor"; a test may remove an export to reach the "no chooser"
// path.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "commdlg_internal.h"
#include "core.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

struct Export {
  std::string name;
  FARPROC proc;
};

struct ModuleDef {
  std::wstring name;
  std::vector<Export> exports;
  HMODULE handle = nullptr;  // given out by LoadLibrary; made again once a reset retired it
};

struct ModuleObject : Object {
  explicit ModuleObject(size_t i) : Object(Kind::Module), index(i) {}
  size_t index;
};

FARPROC AsFarProc(BOOL (*f)(LPCHOOSECOLORW)) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

std::vector<ModuleDef> DefaultModules() {
  return {ModuleDef{L"COMMDLG.DLL", {Export{"ChooseColor", AsFarProc(&ChooseColorW)}}, nullptr}};
}

std::mutex g_mu;
std::vector<ModuleDef>& g_modules = *new std::vector<ModuleDef>(DefaultModules());

HMODULE LoadCore(const std::wstring& name) {
  std::lock_guard<std::mutex> lock(g_mu);
  for (size_t i = 0; i < g_modules.size(); ++i) {
    ModuleDef& m = g_modules[i];
    if (!EqualsIgnoringCase(m.name, name)) continue;
    Kind kind;
    if (!m.handle || !HandleKind(m.handle, &kind) || kind != Kind::Module) {
      m.handle = static_cast<HMODULE>(InsertHandle(std::make_shared<ModuleObject>(i)));
    }
    return m.handle;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

// name NULL: an ordinal, which names no export (exports are looked up by name only).
FARPROC ProcCore(HMODULE module, const std::string* name) {
  std::shared_ptr<ModuleObject> m = Lookup<ModuleObject>(module, Kind::Module);
  if (!m) return nullptr;
  std::lock_guard<std::mutex> lock(g_mu);
  if (name && m->index < g_modules.size()) {
    for (const Export& e : g_modules[m->index].exports) {
      if (e.name == *name) return e.proc;
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

}  // namespace

void RemoveModuleExport(const std::wstring& module, const std::string& name) {
  std::lock_guard<std::mutex> lock(g_mu);
  for (ModuleDef& m : g_modules) {
    if (!EqualsIgnoringCase(m.name, module)) continue;
    std::erase_if(m.exports, [&name](const Export& e) { return e.name == name; });
  }
}

void ResetModules() {
  std::lock_guard<std::mutex> lock(g_mu);
  g_modules = DefaultModules();
}

}  // namespace plat::detail

HMODULE LoadLibraryW(LPCWSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return plat::detail::LoadCore(name);
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return plat::detail::LoadCore(plat::detail::WidenText(name));
}

FARPROC GetProcAddressW(HMODULE module, LPCWSTR name) {
  if (!name || IS_INTRESOURCE(name)) return plat::detail::ProcCore(module, nullptr);
  const std::string narrow = plat::detail::NarrowText(name);
  return plat::detail::ProcCore(module, &narrow);
}

FARPROC GetProcAddressA(HMODULE module, LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) return plat::detail::ProcCore(module, nullptr);
  const std::string narrow = name;
  return plat::detail::ProcCore(module, &narrow);
}

BOOL FreeLibrary(HMODULE module) {
  return plat::detail::Lookup<plat::detail::ModuleObject>(module, plat::detail::Kind::Module) ? TRUE : FALSE;
}
