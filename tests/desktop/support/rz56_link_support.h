// Test stand-ins for the RZ56 link: a logging window that records every WM_RZ56_READING with the
// kept frame and can run a handler and a timer, and the port steps of an RZ56-MK2 run (start, GO
// in wheel mode, PAUSE from wheel mode, end) as the run states perform them, with a bounded wait
// that serves sends for the old reader before each reopen.
#pragma once

#include <windows.h>
#include <plat/kernel.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "common/timing.h"
#include "engine/ports.h"
#include "engine/rz56_frames.h"
#include "engine/rz56_link.h"
#include "engine/state.h"
#include "link_windows.h"

namespace desktop::test {

// The link tests' logging window (link_windows.h) with the kept frame of every WM_RZ56_READING at
// hand, oldest first, and a handler run after each is recorded.
class Rz56Window : public LinkWindows {
 public:
  Rz56Window() {
    timerMs = 100;
    onMessage = [this](UINT msg) {
      if (msg != WM_RZ56_READING) return;
      frames.push_back(announced().back().bytes);
      if (onReading) onReading();
    };
  }

  std::vector<std::string> frames;
  std::function<void()> onReading;
};

// The port steps of an RZ56-MK2 run. Each switch closes the port, waits up to 1000 ms (serving
// sends) for the old reader, and only then reopens it.
class Rz56RunSteps {
 public:
  static constexpr DWORD kReaderWaitMs = 1000;

  ~Rz56RunSteps() { End(); }

  // 'H' 'X' with a reopen must give "OK"; then the request event and the request reader.
  bool Start() {
    if (SendInstrumentCommand('H', 'X', 1) != 1) return false;
    survey::DelayMs(100);
    LinkState.requestEvent.store(CreateEventA(nullptr, TRUE, FALSE, nullptr), std::memory_order_release);
    StartReader(Rz56ReaderThread);
    survey::DelayMs(200);
    LinkState.lastRz56Tick.store(GetTickCount());
    LinkState.rz56Ready.store(1);
    return true;
  }
  // GO in wheel mode: true when the request reader had ended before the reopen and the
  // instrument answered 'H' 'W'.
  bool ToWheel() {
    LinkState.rz56Ready.store(0);
    ClosePortField(LinkState.instrumentPort);
    SetEvent(LinkState.requestEvent.load());
    const bool ended = StopReader();
    if (OpenInstrumentPort() != 1) return false;
    const bool ok = SendInstrumentCommand('H', 'W', 0) == 1;
    survey::DelayMs(100);
    StartReader(Rz56WheelReaderThread);
    survey::DelayMs(200);
    return ended && ok;
  }
  // PAUSE from wheel mode: true when the wheel reader had ended before the reopen and the
  // instrument answered 'H' 'X'.
  bool ToRequest() {
    ClosePortField(LinkState.instrumentPort);
    const bool ended = StopReader();
    survey::DelayMs(100);
    if (OpenInstrumentPort() != 1) return false;
    const bool ok = SendInstrumentCommand('H', 'X', 0) == 1;
    survey::DelayMs(100);
    StartReader(Rz56ReaderThread);
    survey::DelayMs(200);
    LinkState.rz56Ready.store(1);
    LinkState.lastRz56Tick.store(GetTickCount());
    return ended && ok;
  }
  // The end of the run: true when the reader ended within the wait. The event is closed once
  // the reader has ended.
  bool End() {
    ClosePortField(LinkState.instrumentPort);
    const HANDLE event = LinkState.requestEvent.exchange(nullptr);
    if (event) SetEvent(event);
    const bool ended = StopReader();
    if (event) CloseHandle(event);
    LinkState.instrumentReaderState.store(0);
    return ended;
  }

  HANDLE reader() const { return reader_; }
  // Readers started while another was still alive (never, when the switches wait as they should).
  int overlaps = 0;
  DWORD lastReaderEndMs = 0;  // how long the last reader took to end after its wait began

 private:
  void StartReader(LPTHREAD_START_ROUTINE proc) {
    if (reader_ != nullptr && WaitForSingleObject(reader_, 0) != WAIT_OBJECT_0) ++overlaps;
    if (reader_ != nullptr) CloseHandle(reader_);
    reader_ = StartThread(proc);
  }
  bool StopReader() {
    if (reader_ == nullptr) return true;
    const DWORD start = GetTickCount();
    const bool ended = plat::WaitServicingSends(reader_, kReaderWaitMs) == WAIT_OBJECT_0;
    lastReaderEndMs = GetTickCount() - start;
    if (ended) {
      CloseHandle(reader_);
      reader_ = nullptr;
    }
    return ended;
  }

  HANDLE reader_ = nullptr;
};

}  // namespace desktop::test
