// Process entry and exit: the layer's start-up before WinMain, the module handle, ExitProcess.
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core.h"
#include "plat/display.h"

namespace plat {
namespace detail {
namespace {

// The program's instance handle. It lies below the handle table's range, so no other object can
// ever have this value and CloseHandle on it fails harmlessly.
const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(uintptr_t{0x0800});
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

StartConfig g_config;
// Why a program that did not ask for it runs headless, for the line that tells so; nullptr when
// PLAT_DISPLAY=headless asked for it (as every test does).
const char* g_headlessReason = nullptr;
std::atomic<ExitHook> g_exitHook{nullptr};
std::atomic<const DisplayBackend*> g_backend{nullptr};  // the build's window backend, if any

[[noreturn]] void FlushAndExit(UINT code) {
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(code & 0xFF));
}

// "WxH" with both sides within reason; false leaves the outputs alone.
bool ParseScreen(const char* s, int* cx, int* cy) {
  const char* p = s;
  auto number = [&p](int* out) {
    long v = 0;
    const char* start = p;
    while (*p >= '0' && *p <= '9' && p - start < 6) v = v * 10 + (*p++ - '0');
    if (p == start || v < 16 || v > 8192) return false;
    *out = static_cast<int>(v);
    return true;
  };
  int w, h;
  if (!number(&w) || (*p != 'x' && *p != 'X')) return false;
  ++p;
  if (!number(&h) || *p) return false;
  *cx = w;
  *cy = h;
  return true;
}

void Ignored(const char* name, const char* value) {
  std::fprintf(stderr, "platform: ignoring %s=\"%s\"; using the default\n", name, value);
}

// Reads the display settings from the environment; a value that does not parse keeps the default.
void ReadConfiguration(Profile profile) {
  StartConfig c;
  bool handheld = profile == Profile::Handheld;
  c.screenCx = handheld ? 240 : 800;
  c.screenCy = handheld ? 320 : 574;
  c.scale = handheld ? 2 : 1;
  if (const char* v = std::getenv("PLAT_SCREEN")) {
    if (!ParseScreen(v, &c.screenCx, &c.screenCy)) Ignored("PLAT_SCREEN", v);
  }
  if (const char* v = std::getenv("PLAT_SCALE")) {
    const char* end = nullptr;
    double s = ParseDecimal(v, &end);
    if (*end || s != static_cast<int>(s) || s < 1 || s > 16) {
      Ignored("PLAT_SCALE", v);
    } else {
      c.scale = static_cast<int>(s);
    }
  }
  const char* display = std::getenv("PLAT_DISPLAY");
  const bool haveSdl = g_backend.load() != nullptr;
  g_headlessReason = haveSdl ? "no display" : "this build has no SDL display";
  if (display && std::strcmp(display, "sdl") == 0) {
    if (haveSdl) c.display = DisplayMode::Sdl;
  } else if (display && std::strcmp(display, "headless") == 0) {
    g_headlessReason = nullptr;  // asked for: nothing to tell
  } else if (display) {
    Ignored("PLAT_DISPLAY", display);
    display = nullptr;
  }
  if (!display && haveSdl && (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))) {
    c.display = DisplayMode::Sdl;
  }
  g_config = c;
}

// Formatting and parsing assume '.' as the decimal point: the process must stay in the C locale.
void CheckLocale() {
  const char* point = std::localeconv()->decimal_point;
  if (!point || std::strcmp(point, ".") != 0) {
    std::fprintf(stderr, "platform: the decimal point is \"%s\", not \".\"; the C locale is required\n",
                 point ? point : "");
    std::abort();
  }
}

// The display backend starts after the root folders and shuts down after WinMain, both on the UI
// thread. Headless needs neither step. A backend that cannot open leaves the program headless.
bool g_displayStarted = false;

void StartDisplay(StartConfig& config) {
  const DisplayBackend* b = g_backend.load();
  if (config.display == DisplayMode::Sdl && b) {
    g_displayStarted = b->start(config.scale);
    if (g_displayStarted) return;
    config.display = DisplayMode::Headless;
    g_headlessReason = "the display did not open";
  }
  // Started from a terminal without a display, a program would otherwise run on unseen.
  if (g_headlessReason) {
    std::fprintf(stderr,
                 "platform: running headless (%s); drive root %s; a display or ./scripts/demo shows the "
                 "program\n",
                 g_headlessReason, DriveRoot());
  }
}

void StopDisplay() {
  if (!g_displayStarted) return;
  g_displayStarted = false;
  if (const DisplayBackend* b = g_backend.load()) b->stop();
}

}  // namespace

const StartConfig& StartupConfig() { return g_config; }

}  // namespace detail

void SetExitHook(ExitHook hook) { detail::g_exitHook.store(hook); }

void RegisterDisplayBackend(const DisplayBackend* backend) { detail::g_backend.store(backend); }

void RunMain(const AppEntry& app) {
  detail::CheckLocale();
  detail::ReadConfiguration(app.profile);
  detail::SetProfile(app.profile);
  detail::CreateRootFolders(app.profile);
  detail::StartDisplay(detail::g_config);

  // The command line is empty; WinMain gets its own writable copy, as on Windows.
  static wchar_t wideCmd[1] = {0};
  static char narrowCmd[1] = {0};
  bool wide = app.profile == Profile::Handheld ? app.winMainW != nullptr : app.winMainA == nullptr;
  int code;
  if (wide && app.winMainW) {
    code = app.winMainW(detail::kInstance, nullptr, wideCmd, detail::kShowNormal);
  } else if (app.winMainA) {
    code = app.winMainA(detail::kInstance, nullptr, narrowCmd, detail::kShowNormal);
  } else {
    std::fprintf(stderr, "platform: the program supplies no WinMain\n");
    code = 1;
  }

  std::fflush(nullptr);
  detail::StopDisplay();
  // No static destructors: detached worker threads may still be using program globals.
  std::_Exit(code & 0xFF);
}

}  // namespace plat

void ExitProcess(UINT code) {
  if (plat::ExitHook hook = plat::detail::g_exitHook.load()) hook(code);
  // A hook that returns still ends the process.
  plat::detail::FlushAndExit(code);
}

HMODULE GetModuleHandleW(LPCWSTR name) {
  if (!name) return plat::detail::kInstance;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) return plat::detail::kInstance;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}
