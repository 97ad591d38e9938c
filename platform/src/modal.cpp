// The modal-loop engine: owner disabled, every message of the thread dispatched, WM_QUIT cancels,
// the owner re-enabled before the modal window goes, the focus given back.
#include "modal.h"

#include "modal_script.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

std::vector<ModalEntry>& g_stack = *new std::vector<ModalEntry>;  // guarded by KernelMutex; never destroyed
ModalHook* g_hook = nullptr;      // guarded by KernelMutex
ModalScriptHooks* g_scripts = nullptr;  // guarded by KernelMutex; kept across resets

ModalScriptHooks ScriptHooks() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return g_scripts ? *g_scripts : ModalScriptHooks{};
}

}  // namespace

ModalEnd RunModalLoop(HWND modal, ModalKind kind, const std::function<bool()>& ended,
                      const std::function<bool(MSG&)>& filter, HWND focusBefore) {
  std::shared_ptr<Window> w = LookupWindow(modal);
  if (!w) return ModalEnd::Destroyed;
  std::shared_ptr<Queue> q = CurrentQueue();
  HWND owner = nullptr;
  HWND savedFocus = nullptr;
  std::vector<HWND> menus;
  ModalHook hook;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (std::shared_ptr<Window> o = FindWindowLocked(w->owner)) {
      owner = TopLevelOf(o.get())->hwnd;
    } else if (std::shared_ptr<Window> a = FindWindowLocked(ActiveLocked()); a && a != w) {
      // No owner: the active window, so that input cannot reach the windows beneath.
      owner = a->hwnd;
      w->owner = owner;
    }
    savedFocus = focusBefore ? focusBefore : FocusLocked();
    if (kind != ModalKind::Menu) {
      for (const ModalEntry& e : g_stack) {
        if (e.kind == ModalKind::Menu && FindWindowLocked(e.hwnd) && FindWindowLocked(e.hwnd)->queue == q) {
          menus.push_back(e.hwnd);
        }
      }
    }
  }
  // A popup menu that is tracking is cancelled first; nothing is posted for it.
  for (HWND m : menus) DestroyWindow(m);
  const bool disable = kind != ModalKind::Menu && owner && IsWindowEnabled(owner);
  if (disable) EnableWindow(owner, FALSE);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    g_stack.push_back(ModalEntry{modal, kind, owner});
    ++q->modalDepth;
    if (g_hook) hook = *g_hook;
  }
  ShowWindow(modal, SW_SHOW);
  ActivateWindow(modal);
  // The modal window takes the focus unless its activation already put it inside.
  bool inside;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> fw = FindWindowLocked(FocusLocked());
    inside = fw && IsAncestorOf(w.get(), fw.get());
  }
  if (!inside) SetFocus(modal);
  const ModalScriptHooks scripts = ScriptHooks();
  if (scripts.opened && IsWindow(modal)) scripts.opened(modal, kind, static_cast<bool>(hook));
  if (hook && IsWindow(modal)) hook(modal, kind);

  ModalEnd result = ModalEnd::Ended;
  for (;;) {
    if (ended && ended()) {
      result = ModalEnd::Ended;
      break;
    }
    if (!IsWindow(modal)) {
      result = ModalEnd::Destroyed;
      break;
    }
    MSG msg;
    {
      std::unique_lock<std::mutex> lk(KernelMutex());
      const uint64_t serviced = q->serviced;
      if (!PeekCoreLocked(lk, q.get(), &msg, true)) {
        // A send handled just now may have ended the loop: check before waiting.
        if (q->serviced == serviced) WaitForWorkLocked(lk, q.get());
        continue;
      }
    }
    if (msg.message == WM_QUIT) {
      // The quit is for the outer loop: cancel and post it again.
      PostQuitMessage(static_cast<int>(msg.wParam));
      result = ModalEnd::Quit;
      break;
    }
    if (filter && filter(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  if (disable && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(modal)) DestroyWindow(modal);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    for (auto it = g_stack.rbegin(); it != g_stack.rend(); ++it) {
      if (it->hwnd == modal) {
        g_stack.erase(std::next(it).base());
        break;
      }
    }
    --q->modalDepth;
  }
  if (owner && IsWindow(owner) && IsWindowVisible(owner)) ActivateWindow(owner);
  if (savedFocus && IsWindow(savedFocus)) {
    SetFocus(savedFocus);
  } else if (owner && IsWindow(owner)) {
    SetFocus(owner);
  }
  if (scripts.ended) scripts.ended(modal, kind, result);
  return result;
}

std::vector<ModalEntry> ModalStack() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return g_stack;
}

void SetModalHook(ModalHook hook) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  delete g_hook;
  g_hook = hook ? new ModalHook(std::move(hook)) : nullptr;
}

void SetModalScriptHooks(ModalScriptHooks hooks) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  delete g_scripts;
  g_scripts = new ModalScriptHooks(std::move(hooks));
}

void ReportModalResult(HWND modal, ModalKind kind, INT_PTR result, const std::wstring& detail) {
  const ModalScriptHooks scripts = ScriptHooks();
  if (scripts.result) scripts.result(modal, kind, result, detail);
}

void ResetModal() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  g_stack.clear();
  delete g_hook;
  g_hook = nullptr;
}

}  // namespace plat::detail
