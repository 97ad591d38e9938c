// The start of a survey run from the start screen, and the GPS monitor's start.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/state.h"

namespace desktop {

// WorkerThreads back to its initial values (engine/state.h; ResetEngineState does the same). Tests.
void ResetWorkerThreads();

// The port refusal of a run start, or none: instrument and GPS on one port, or (RZ27-MK2) the
// hard marker and GPS on one port. The text names the GPS port.
std::optional<std::string> PortConflict(int32_t model, int32_t gpsEnabled, int32_t instrumentPort, int32_t gpsPort,
                                        int32_t markerPort);

// Action 0: checks the ports, prepares the run, starts its links and shows the logging window.
void StartSurveyRun(HWND main);
// Action 4: the GPS monitor, with its reader when GPS input is enabled.
void StartGpsMonitoring(HWND main);
void ResetLoggingCounters();

// Starts the run's ports, reader, watchdog timer and GPS thread; false when the start failed (its
// message shown, everything it opened closed again).
bool StartRunLinks(HWND main);
// The end of a run's links, around the closing of its data file: first the instrument port, the
// RZ56-MK2's request event and the readers (each waited for, up to 1000 ms, while its sends are
// served), then 500 ms with a data file open (else 100 ms before the readers and 200 ms after);
// then the GPS port and thread and the marker port and watcher that the run started, and both
// reader states 0. Only open handles are closed, and each is invalid afterwards.
void StopInstrumentLink(bool fileOpen);
void StopOtherLinks();
// RZ56-MK2 in Wheel mode, at GO: the request reader ends (waited for) before the port reopens and
// the instrument is switched to wheel reading with its own reader; no timer meanwhile. At PAUSE
// the way back: the request reader and the 100 ms timer. A port that does not reopen gets the
// opener's message and the link-lost bar.
void SwitchRz56ToWheel(HWND logging);
void SwitchRz56ToRequests(HWND logging);
// Timer 1 of the RZ56-MK2 outside wheel logging: the reading request, or the lost link (the bar,
// and "$CONN BREAK" while logging).
void Rz56TimerTick();
// GPS Monitoring's link: the GPS port and the monitor's reader when GPS input is enabled, then
// 200 ms.
void StartGpsMonitorLink();

}  // namespace desktop
