// Every deliverable and its build switches, one line each. This file is the one list of apps:
// CMake builds a program per line (apps/app_list.cmake), the survey driver runs the handheld
// ones by name (HANDHELD_APP lines, included with the macros defined), and the survey demo reads
// the handheld names and models from it. A line added here is built, named in the demo's and
// the driver's usage, and runs with `./scripts/demo --model NAME`.
//
// Keep one entry a line, in the form below; the name is in double quotes and the switches are
// whole numbers.
//   HANDHELD_APP("name", model, zol_option, storage_root, rz27_scale10, rz27mk2_diagnostics)
//   DESKTOP_APP("name", model, gps_simulator, small_layout, monitor_variant)
#ifndef HANDHELD_APP
#define HANDHELD_APP(name, model, zolOption, storageRoot, rz27Scale10, rz27Mk2Diagnostics)
#define APP_LIST_DEFAULT_HANDHELD
#endif
#ifndef DESKTOP_APP
#define DESKTOP_APP(name, model, gpsSimulator, smallLayout, monitorVariant)
#define APP_LIST_DEFAULT_DESKTOP
#endif

HANDHELD_APP("rz12wm", 0, 0, 1, 0, 0)
HANDHELD_APP("zolwm", 0, 1, 1, 0, 0)
HANDHELD_APP("rz27bwm", 1, 0, 1, 0, 0)
HANDHELD_APP("rz27ddwm", 2, 0, 1, 0, 0)
HANDHELD_APP("rz27wm", 3, 0, 1, 0, 0)
HANDHELD_APP("rz45wm", 4, 0, 1, 0, 0)
HANDHELD_APP("rz89wm", 5, 0, 1, 0, 0)
HANDHELD_APP("zol12wm", 6, 0, 1, 0, 0)
HANDHELD_APP("rz27mk2wm", 7, 0, 1, 0, 0)

DESKTOP_APP("rz12xp", 0, 0, 0, 0)
DESKTOP_APP("rz27bxp", 1, 0, 0, 0)
DESKTOP_APP("rz27ddxp", 2, 0, 0, 0)
DESKTOP_APP("rz27xp", 3, 0, 0, 0)
DESKTOP_APP("rz45xp", 4, 0, 0, 0)
DESKTOP_APP("rz89xp", 5, 0, 0, 0)
DESKTOP_APP("zol12xp", 6, 0, 0, 0)
DESKTOP_APP("rz27mk2xp", 7, 0, 0, 0)
DESKTOP_APP("rz56mk2xp", -1, 0, 0, 0)
DESKTOP_APP("rz56xp", -2, 0, 0, 0)
DESKTOP_APP("rz12xp-gpssim", 0, 1, 0, 0)
DESKTOP_APP("rz12xp-small", 0, 0, 1, 0)
DESKTOP_APP("rz27mk2xp-monitor", 7, 0, 0, 1)

#ifdef APP_LIST_DEFAULT_HANDHELD
#undef HANDHELD_APP
#undef APP_LIST_DEFAULT_HANDHELD
#endif
#ifdef APP_LIST_DEFAULT_DESKTOP
#undef DESKTOP_APP
#undef APP_LIST_DEFAULT_DESKTOP
#endif
