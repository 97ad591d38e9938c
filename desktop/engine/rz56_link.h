// The RZ56 link: the commands the program sends, the request reader and the wheel reader.
//
// In request mode the requester (timer 1 of the logging window, through RequestRz56Reading) sends
// 'A' and sets LinkState.requestEvent; Rz56ReaderThread waits for the event, reads the answer and
// sends WM_RZ56_READING. In wheel mode Rz56WheelReaderThread reads on its own. 'H' 'X' and 'H' 'W'
// switch the instrument between the two, through SendInstrumentCommand.
//
// Every reader and every command works on the port handle it took at its start and stops as soon
// as LinkState.instrumentPort holds another: an old reader never reads, recovers or answers on the
// port of its replacement, and a command whose port is replaced gives 0 at once.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/messages.h"
#include "engine/rz56_handshake.h"

namespace desktop {

constexpr DWORD kRz56RecoveryPauseMs = 250;

// 1 when the instrument answered "OK" to first and second, else 0. With reopen above 0 the
// instrument port is closed and opened again first. UI thread.
int32_t SendInstrumentCommand(char first, char second, int32_t reopen);
// The same exchange (its waits, the two bytes, the reply) on a given handle, without reopening:
// 0 as soon as LinkState.instrumentPort stops being that handle.
int32_t SendInstrumentCommandOn(HANDLE port, char first, char second);

DWORD WINAPI Rz56ReaderThread(LPVOID);
DWORD WINAPI Rz56WheelReaderThread(LPVOID);

// The requester of timer 1 outside wheel logging: sends the next request when the reader is ready,
// or marks the link lost when the request is overdue. True (1) when it is overdue; the caller then
// shows the lost connection (and writes "$CONN BREAK" while logging).
bool RequestRz56Reading();

}  // namespace desktop
