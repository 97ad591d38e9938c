#include "logging/dialog_support.h"

#include <aygshell.h>

#include "engine/state.h"

namespace handheld {

void ShowSipButton(int show) {
  if (BuildConfig.storageRoot != 1) return;
  if (show != 0 && ScreenLayout.portrait != 1) return;
  ShowWindow(FindWindowW(L"MS_SIPBUTTON", L"MS_SIPBUTTON"), show != 0 ? SW_SHOW : SW_HIDE);
}

void SetSipPreference(HWND window, int up) {
  if (BuildConfig.storageRoot != 1 || ScreenLayout.portrait != 1) return;
  SHSipPreference(window, up != 0 ? SIP_UP : SIP_FORCEDOWN);
}

INT_PTR RunDialogByName(HWND owner, const wchar_t* name, DLGPROC proc) {
  HRSRC res = FindResourceW(AppWindows.instance, name, RT_DIALOG);
  if (res == nullptr) return 0;
  HGLOBAL mem = LoadResource(AppWindows.instance, res);
  auto* tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(mem));
  if (tmpl == nullptr) return 0;
  const INT_PTR result = DialogBoxIndirectParamW(AppWindows.instance, tmpl, owner, proc, 0);
  return result == -1 ? 0 : result;
}

}  // namespace handheld
