// main() of every program: hands over to the layer's start-up.
#include <windows.h>

#ifdef PLAT_HAVE_SDL
#include <plat/display.h>
#endif

int main() {
#ifdef PLAT_HAVE_SDL
  plat::RegisterSdlDisplay();
#endif
  plat::RunMain(PlatAppEntry());
}
