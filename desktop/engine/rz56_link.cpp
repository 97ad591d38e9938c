#include "engine/rz56_link.h"

#include <plat/kernel.h>

#include <cstring>

#include "common/reader_port.h"
#include "common/timing.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/rz56_frames.h"
#include "engine/state.h"

namespace desktop {
namespace {

constexpr int kCommandGapMs = 50;
constexpr int kReplyWaitMs = 500;
constexpr int32_t kReplyLimitMs = 2000;

// The reopen's close: the field is invalid before the handle is closed, so a reader never meets a
// closed handle that still looks current.
void CloseInstrumentPort() {
  const HANDLE h = LinkState.instrumentPort.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

bool IsOurs(HANDLE own) {
  return own != INVALID_HANDLE_VALUE && LinkState.instrumentPort.load(std::memory_order_acquire) == own;
}

// DelayMs that gives up as soon as the instrument port stops being `own`: false then.
bool DelayOn(HANDLE own, int ms) {
  const DWORD start = GetTickCount();
  while (static_cast<int32_t>(GetTickCount() - start) <= ms) {
    if (!IsOurs(own)) return false;
    plat::SpinPause();
  }
  return IsOurs(own);
}

// Steps 3 to 5 of a command on `own`: the two bytes 50 ms apart, 550 ms, then up to two reply
// bytes within 2000 ms, a read every 50 ms.
int32_t Exchange(HANDLE own, char first, char second) {
  if (!TransmitCommChar(own, first) || !DelayOn(own, kCommandGapMs)) return 0;
  if (!TransmitCommChar(own, second) || !DelayOn(own, kCommandGapMs) || !DelayOn(own, kReplyWaitMs)) return 0;
  char reply[2] = {};
  int got = 0;
  const DWORD start = GetTickCount();
  while (got < 2 && static_cast<int32_t>(GetTickCount() - start) < kReplyLimitMs) {
    if (!IsOurs(own)) return 0;
    char b = 0;
    DWORD n = 0;
    if (!ReadFile(own, &b, 1, &n, nullptr)) return 0;
    if (n == 1) reply[got++] = b;
    if (!DelayOn(own, kCommandGapMs)) return 0;
  }
  return got == 2 && reply[0] == 'O' && reply[1] == 'K' ? 1 : 0;
}

// The live hand-shake: LinkState and the reader's (or the requester's) port.
class LiveSignals final : public Rz56Signals {
 public:
  explicit LiveSignals(HANDLE port) : port_(port) {}
  void ResetRequest() override { ResetEvent(LinkState.requestEvent.load(std::memory_order_acquire)); }
  void SetRequest() override { SetEvent(LinkState.requestEvent.load(std::memory_order_acquire)); }
  void Ready(int32_t v) override { LinkState.rz56Ready.store(v); }
  void LinkLost(int32_t v) override { LinkState.linkLost.store(v); }
  void Tick(uint32_t tick) override { LinkState.lastRz56Tick.store(tick); }
  void Transmit(char c) override { TransmitCommChar(port_, c); }

 private:
  HANDLE port_;
};

// The kept frame: its 14 bytes and a NUL, by memcpy.
void KeepFrame(const unsigned char* frame) {
  memcpy(LinkState.frame, frame, kRz56KeptLength);
  LinkState.frame[kRz56KeptLength] = 0;
}

void ReaderStarts() {
  LinkState.rz56Ready.store(1);
  MarkReaderRunning();
}

}  // namespace

int32_t SendInstrumentCommandOn(HANDLE port, char first, char second) {
  if (!DelayOn(port, kCommandGapMs)) return 0;
  return Exchange(port, first, second);
}

int32_t SendInstrumentCommand(char first, char second, int32_t reopen) {
  if (reopen <= 0) return SendInstrumentCommandOn(LinkState.instrumentPort.load(std::memory_order_acquire), first, second);
  survey::DelayMs(kCommandGapMs);
  CloseInstrumentPort();
  survey::DelayMs(kCommandGapMs);
  if (OpenInstrumentPort() != 1) return 0;
  const HANDLE own = LinkState.instrumentPort.load(std::memory_order_acquire);
  if (!DelayOn(own, kCommandGapMs)) return 0;
  return Exchange(own, first, second);
}

bool RequestRz56Reading() {
  const uint32_t now = GetTickCount();
  LiveSignals live(LinkState.instrumentPort.load(std::memory_order_acquire));
  switch (DecideRz56Request(LinkState.rz56Ready.load(), LinkState.lastRz56Tick.load(), now)) {
    case Rz56Request::kSend:
      Rz56SendRequest(live, now);
      return false;
    case Rz56Request::kOverdue:
      live.LinkLost(1);
      return true;
    case Rz56Request::kWait:
      break;
  }
  return false;
}

namespace {

enum class Next : uint8_t { kRead, kCheck, kEnd };

// The reads both readers make after their handle check: beforeRead() first (kRead to read on),
// then one byte into the search, until a step sends the reader back to its check (kCheck) or ends
// it (kEnd). A rejected frame calls rejected(); an accepted one is kept, sent to the logging
// window, and then, while the port is still the reader's, passed to accepted(). The wheel reader
// stamps every end mark.
template <class BeforeRead, class Rejected, class Accepted>
Next ReadFrames(const survey::ReaderPort& port, Rz56FrameSearch& search, bool stampEndMarks, BeforeRead&& beforeRead,
                Rejected&& rejected, Accepted&& accepted) {
  for (;;) {
    const Next next = beforeRead();
    if (next != Next::kRead) return next;
    unsigned char b = 0;
    const int got = port.ReadByte(&b);
    if (got < 0) return Next::kEnd;
    if (got == 0) return Next::kCheck;
    const Rz56Push p = search.Push(b);
    if (stampEndMarks && p.endMark) LinkState.lastRz56Tick.store(GetTickCount());
    switch (p.step) {
      case Rz56Step::kMore:
        break;
      case Rz56Step::kOverflow:
      case Rz56Step::kLone:
        return Next::kCheck;
      case Rz56Step::kRejected:
        // The buffer stays as it is.
        rejected();
        return Next::kCheck;
      case Rz56Step::kAccepted:
        KeepFrame(search.Frame());
        SendMessageA(AppWindows.loggingWnd, WM_RZ56_READING, 0, 0);
        if (!port.StillOurs()) return Next::kEnd;
        accepted();
        break;
    }
  }
}

}  // namespace

DWORD WINAPI Rz56ReaderThread(LPVOID) {
  Rz56FrameSearch search;
  ReaderStarts();
  const survey::ReaderPort port(LinkState.instrumentPort);
  const HANDLE request = LinkState.requestEvent.load(std::memory_order_acquire);
  LiveSignals live(port.Handle());
  // The link recovery, only while the port is this reader's own.
  auto recover = [&] {
    if (LinkState.linkLost.load() != 1) return Next::kRead;
    if (!port.StillOurs()) return Next::kEnd;
    live.Ready(0);
    SendInstrumentCommandOn(port.Handle(), 'H', 'X');
    if (!port.StillOurs()) return Next::kEnd;
    Sleep(kRz56RecoveryPauseMs);
    if (!port.StillOurs()) return Next::kEnd;
    Rz56AnswerTaken(live);
    return Next::kCheck;
  };
  // Each answer, a rejected one included, counts as the request's answer.
  auto answered = [&] { Rz56AnswerTaken(live); };
  // The handle check, then the wait for a request (it returns at once while the request is still
  // outstanding), then the reads of its answer.
  while (port.StillOurs()) {
    WaitForSingleObject(request, INFINITE);
    if (ReadFrames(port, search, false, recover, answered, answered) == Next::kEnd) break;
  }
  return MarkReaderEnded();
}

DWORD WINAPI Rz56WheelReaderThread(LPVOID) {
  Rz56FrameSearch search;
  ReaderStarts();
  const survey::ReaderPort port(LinkState.instrumentPort);
  auto readOn = [] { return Next::kRead; };
  auto rejected = [] { LinkState.rz56Ready.store(1); };
  auto accepted = [] {};
  while (port.StillOurs()) {
    if (ReadFrames(port, search, true, readOn, rejected, accepted) == Next::kEnd) break;
  }
  return MarkReaderEnded();
}

}  // namespace desktop
