// The one piece of the SDL display that needs the X11 headers (kept apart: they define names such
// as Window, Bool and None that the layer's own headers use).
#include <SDL.h>
#include <SDL_syswm.h>

#include "sdl_display.h"

namespace plat::detail::sdl {

int X11ConnectionFd(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 && info.info.x11.display) {
    return ConnectionNumber(info.info.x11.display);
  }
#else
  (void)window;
#endif
  return -1;
}

}  // namespace plat::detail::sdl
