// Window procedures of the desktop program look their message up in a constant table of
// (message, handler) pairs, in order; any other message goes to the default procedure.
#pragma once

#include <windows.h>

#include <cstddef>

namespace desktop {

struct MessageHandler {
  UINT message;
  LRESULT (*handler)(HWND, UINT, WPARAM, LPARAM);
};

template <std::size_t N>
LRESULT DispatchByTable(const MessageHandler (&table)[N], HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageHandler& entry : table) {
    if (entry.message == message) return entry.handler(hwnd, message, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace desktop
