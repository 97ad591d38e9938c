// SDL keys onto the layer's virtual-key codes (US layout). SDL key codes are unshifted, so Shift
// and Caps Lock reach TranslateMessage through the key state, as on a device.
#include <windows.h>

#include "sdl_display.h"

namespace plat::detail::sdl {

int VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD1 + (key - SDLK_KP_1);
  struct Pair {
    SDL_Keycode key;
    int vk;
  };
  static constexpr Pair kKeys[] = {
      {SDLK_KP_0, VK_NUMPAD0},
      {SDLK_KP_MULTIPLY, VK_MULTIPLY},
      {SDLK_KP_PLUS, VK_ADD},
      {SDLK_KP_MINUS, VK_SUBTRACT},
      {SDLK_KP_PERIOD, VK_DECIMAL},
      {SDLK_KP_DIVIDE, VK_DIVIDE},
      {SDLK_KP_ENTER, VK_RETURN},
      {SDLK_RETURN, VK_RETURN},
      {SDLK_RETURN2, VK_RETURN},
      {SDLK_ESCAPE, VK_ESCAPE},
      {SDLK_BACKSPACE, VK_BACK},
      {SDLK_TAB, VK_TAB},
      {SDLK_SPACE, VK_SPACE},
      {SDLK_LEFT, VK_LEFT},
      {SDLK_UP, VK_UP},
      {SDLK_RIGHT, VK_RIGHT},
      {SDLK_DOWN, VK_DOWN},
      {SDLK_HOME, VK_HOME},
      {SDLK_END, VK_END},
      {SDLK_PAGEUP, VK_PRIOR},
      {SDLK_PAGEDOWN, VK_NEXT},
      {SDLK_INSERT, VK_INSERT},
      {SDLK_DELETE, VK_DELETE},
      {SDLK_LSHIFT, VK_SHIFT},
      {SDLK_RSHIFT, VK_SHIFT},
      {SDLK_LCTRL, VK_CONTROL},
      {SDLK_RCTRL, VK_CONTROL},
      {SDLK_LALT, VK_MENU},
      {SDLK_RALT, VK_MENU},
      {SDLK_CAPSLOCK, VK_CAPITAL},
      {SDLK_SEMICOLON, VK_OEM_1},
      {SDLK_EQUALS, VK_OEM_PLUS},
      {SDLK_COMMA, VK_OEM_COMMA},
      {SDLK_MINUS, VK_OEM_MINUS},
      {SDLK_PERIOD, VK_OEM_PERIOD},
      {SDLK_SLASH, VK_OEM_2},
      {SDLK_BACKQUOTE, VK_OEM_3},
      {SDLK_LEFTBRACKET, VK_OEM_4},
      {SDLK_BACKSLASH, VK_OEM_5},
      {SDLK_RIGHTBRACKET, VK_OEM_6},
      {SDLK_QUOTE, VK_OEM_7},
  };
  for (const Pair& p : kKeys) {
    if (p.key == key) return p.vk;
  }
  return 0;
}

}  // namespace plat::detail::sdl
