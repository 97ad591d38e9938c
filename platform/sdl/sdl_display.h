// The SDL2 display backend: the virtual screen in one window, scaled nearest-neighbour, with the
// left mouse button as stylus input and the keyboard mapped onto virtual keys. Every SDL call is
// made on the UI thread, whose message waits wait for SDL events; other threads wake it.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace plat::detail::sdl {

// Opens the window for the current virtual screen on the calling thread, which becomes the
// display's UI thread. False (reported on stderr) when SDL or the window cannot be had.
bool Start(int scale);
// Closes the window and shuts SDL down; on the UI thread.
void Stop();
bool Running();

// Handles the SDL events already queued (at most one batch) without waiting, then presents when a
// frame is due and the screen changed. On the UI thread.
void Pump();

// The virtual-key code for an SDL key, or 0 for a key the layer does not know.
int VirtualKey(SDL_Keycode key);

// The SDL window's id, for events made up by tests.
uint32_t WindowId();
// Frames shown so far, and when the last one was shown (steady clock, microseconds).
uint64_t PresentCount();
int64_t LastPresentUs();
// The folder PrintScreen writes to: PLAT_SHOTS, else <drive root>/shots.
std::string ShotsFolder();
// The descriptor of the X connection the window is on, or -1 under another video driver.
int X11ConnectionFd(SDL_Window* window);

}  // namespace plat::detail::sdl
