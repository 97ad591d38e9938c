// Handheld shell stand-ins: the soft-input-panel preference and the command-bar height. The task
// bar ("HHTaskBar") and the panel button ("MS_SIPBUTTON") are windows that FindWindow finds in the
// handheld profile; ShowWindow and IsWindowVisible work on them, and nothing draws them.
#pragma once

#include "plat/wintypes.h"

typedef enum {
  SIP_UP = 0,         // the panel up
  SIP_DOWN = 1,       // the panel down
  SIP_FORCEDOWN = 2,  // the panel forced down
} SIPSTATE;

// Records (hwnd, state) and sets the one panel state; no keyboard appears. FALSE with
// ERROR_INVALID_PARAMETER for a state outside the three, which is neither recorded nor applied.
BOOL SHSipPreference(HWND hwnd, SIPSTATE state);

// No command bar exists: 0 for NULL and for every window.
int CommandBar_Height(HWND hwndCB);
