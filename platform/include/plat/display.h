// Display backends: where the layer's main() shows the virtual screen. Headless needs none; a
// backend library (platform_sdl) registers itself before RunMain, and PLAT_DISPLAY chooses it.
#pragma once

namespace plat {

// The window backend, chosen by PLAT_DISPLAY=sdl.
struct DisplayBackend {
  // Runs on the UI thread before WinMain, with the zoom (PLAT_SCALE); the virtual screen is the
  // window layer's. False when the display cannot be opened (it has reported why); the program
  // then runs headless.
  bool (*start)(int scale);
  // Runs on the UI thread after WinMain returned.
  void (*stop)();
};

// Makes a backend available to RunMain; the default display when DISPLAY or WAYLAND_DISPLAY is set.
// Call before RunMain. The backend must outlive the process (a constant).
void RegisterDisplayBackend(const DisplayBackend* backend);

// Provided by platform_sdl: registers the SDL2 backend.
void RegisterSdlDisplay();

}  // namespace plat
