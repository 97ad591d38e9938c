// The start of a survey run from the start screen, and the GPS monitor's start.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace desktop {

// Thread handles of a run and of the GPS monitor (owner: the start-up module; the GPS simulator
// reads gpsRun).
struct WorkerThreadsData {
  HANDLE reader = INVALID_HANDLE_VALUE;       // the instrument reader of the run
  HANDLE marker = INVALID_HANDLE_VALUE;       // the RZ27-MK2 marker watcher
  HANDLE gps = INVALID_HANDLE_VALUE;          // the run's GPS reader or simulator, or the GPS monitor's
  HANDLE wheelReader = INVALID_HANDLE_VALUE;  // the RZ56-MK2 wheel reader
  std::atomic<int32_t> gpsRun{0};             // 1 while the run's GPS thread is to run
};
extern WorkerThreadsData WorkerThreads;
void ResetWorkerThreads();  // tests

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
// Closes what the run's start opened: timer, ports, reader handles (and after the file: GPS and
// marker). fileOpen: the run had a data file (the waits and order differ).
void StopRunLinks(bool fileOpen);
// Timer 1 of the RZ56-MK2: the reading request or the lost link.
void Rz56TimerTick();

}  // namespace desktop
