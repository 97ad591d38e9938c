#include "engine/readers.h"

#include <cstring>

#include "common/framers.h"
#include "engine/ports.h"
#include "common/reader_port.h"
#include "engine/state.h"
#include "engine/timing.h"

namespace handheld {

using survey::AddMarkerBits;
using survey::CountFrame;
using survey::CycleComplete;
using survey::FrameStep;
using survey::kKeptFrameMax;
using survey::MeterFramer;
using survey::Nothing;
using survey::ReaderPort;
using survey::Rz27Mk2Framer;
using survey::RunRecordLengthProbe;
using survey::Zol12Framer;

namespace {

static_assert(kKeptFrameMax <= LinkStateData::kFrameMax, "a kept frame fits LinkState.frame");

// Storing an accepted frame: its tick, its place in the cycle, its bytes with a NUL after them,
// and the watchdog's miss count cleared.
void StoreFrame(const unsigned char* kept, int length) {
  LinkState.lastFrameTick.store(GetTickCount(), std::memory_order_relaxed);
  CountFrame(LinkState.frameCount);
  memcpy(LinkState.frame, kept, static_cast<size_t>(length));
  LinkState.frame[length] = 0;
  Watchdog.missCount.store(0, std::memory_order_relaxed);
}

// The end of the N-th-frame rule for a stored frame: the reading message when the cycle is
// complete. The handler reads LinkState.frame while this thread waits in the send.
void AnnounceWhenDue(UINT message) {
  if (CycleComplete(LinkState.frameCount, SurveyRun.framesPerReading.load(std::memory_order_relaxed))) {
    SendMessageW(AppWindows.loggingWnd, message, 0, 0);
  }
}

// A rejected frame takes its place in the cycle but announces nothing.
void CountRejectedFrame() {
  CountFrame(LinkState.frameCount);
  CycleComplete(LinkState.frameCount, SurveyRun.framesPerReading.load(std::memory_order_relaxed));
}

// The modem status word of a marker line. Any set bit counts as pressed, so a line that is always
// asserted (a cable with DSR or carrier detect tied high) reads as always pressed.
void ReadMarkerLines(HANDLE h) {
  DWORD status = 0;
  if (GetCommModemStatus(h, &status)) LinkState.hardMarker.store(static_cast<int32_t>(status), std::memory_order_relaxed);
}

}  // namespace

DWORD WINAPI InstrumentReaderThread(LPVOID) {
  if (!BuildModel().probedFrameLength) LinkState.frameLength = 12;
  LinkState.frameCount.store(0, std::memory_order_relaxed);
  MeterFramer framer(LinkState.frameLength);
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  port.ReadLoop(Nothing,
                [&framer](unsigned char b) {
                  switch (framer.Push(b)) {
                    case FrameStep::kMore:
                      return true;
                    case FrameStep::kAccepted:
                      StoreFrame(framer.Frame(), framer.FrameLength());
                      AnnounceWhenDue(WM_READING);
                      return true;  // the next byte, without a handle check
                    case FrameStep::kRejected:
                      CountRejectedFrame();
                      return false;
                    default:
                      return false;  // overflow: back to the handle check
                  }
                },
                Nothing);
  return 0;
}

DWORD WINAPI Zol12ReaderThread(LPVOID) {
  LinkState.frameCount.store(0, std::memory_order_relaxed);
  LinkState.frameLength = Zol12Framer::kFrameLength;
  Zol12Framer framer;
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  SetCommMask(port.Handle(), EV_RXCHAR);
  for (;;) {
    if (!port.StillOurs()) return 0;
    DWORD events = 0;
    if (!WaitCommEvent(port.Handle(), &events, nullptr)) return 0;
    for (;;) {
      unsigned char b = 0;
      const int got = port.ReadByte(&b);
      if (got < 0) return 0;
      // A byte that does not come inside a frame rejects the frame; none at its start is idle.
      const FrameStep step = got ? framer.Push(b) : framer.Missing();
      if (step == FrameStep::kMore) continue;
      if (step == FrameStep::kAccepted) {
        StoreFrame(framer.Frame(), framer.FrameLength());
        AnnounceWhenDue(WM_ZOL12_READING);
        continue;  // the next frame is read without waiting for an event
      }
      if (step == FrameStep::kRejected) {
        CountRejectedFrame();
        port.Purge();  // whatever else has arrived is discarded
      }
      break;
    }
    SetCommMask(port.Handle(), EV_RXCHAR);
  }
}

DWORD WINAPI Rz27Mk2ReaderThread(LPVOID) {
  const bool markerOnThisPort =
      MarkerSharesPort(SurveySettings.markerPort, PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort));
  LinkState.frameLength = Rz27Mk2Framer::kFrameLength;
  Rz27Mk2Framer framer;
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  port.ReadLoop(
      [&] {
        if (markerOnThisPort) ReadMarkerLines(port.Handle());  // the switch is wired to the instrument cable
      },
      [&framer](unsigned char b) {
        const FrameStep step = framer.Push(b);
        if (step == FrameStep::kMore) return true;
        if (step == FrameStep::kAccepted) {
          StoreFrame(framer.Frame(), framer.FrameLength());
          AddMarkerBits(LinkState.frame, LinkState.hardMarker.load(std::memory_order_relaxed),
                        SurveyRun.softMarkerHeld.load(std::memory_order_relaxed));
          AnnounceWhenDue(WM_RZ27MK2_READING);
        }
        return false;  // accepted, overflow or an end mark that frames nothing: back to the check
      },
      Nothing);
  return 0;
}

DWORD WINAPI MarkerPollThread(LPVOID) {
  const ReaderPort port(LinkState.markerPort);
  SetCommMask(port.Handle(), EV_CTS);
  // One status read per reported change: a flapping line cannot make this loop spin.
  while (port.StillOurs()) {
    DWORD events = 0;
    if (!WaitCommEvent(port.Handle(), &events, nullptr)) return 0;
    ReadMarkerLines(port.Handle());
  }
  return 0;
}

int32_t ProbeRecordLength() {
  LinkState.frameLength = 7;
  const uint32_t t0 = GetTickCount();
  DelayMs(10);
  const ReaderPort port(LinkState.instrumentPort);
  const int length =
      RunRecordLengthProbe([&port](unsigned char* b) { return port.ReadByte(b); }, [] { return GetTickCount(); }, t0);
  double periodMs = 0;
  int clamp = 0;
  if (length == 7) {
    periodMs = 72.0;
    clamp = 14;
  } else if (length == 12) {
    periodMs = 91.0;
    clamp = 11;
  } else {
    return 0;
  }
  LinkState.frameLength = length;
  LinkState.framePeriodMs = static_cast<float>(periodMs);
  ComputeSampleDivisorCore(periodMs, clamp, &LinkState.sampleDivisor, &LinkState.readingsPerSecond);
  return 1;
}

}  // namespace handheld
