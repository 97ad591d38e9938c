#include "engine/readers.h"

#include "common/frame_readers.h"
#include "common/framers.h"
#include "engine/ports.h"
#include "common/reader_port.h"
#include "engine/state.h"
#include "engine/timing.h"

namespace handheld {

using survey::AddMarkerBits;
using survey::CycleComplete;
using survey::kKeptFrameMax;
using survey::MeterFramer;
using survey::ReaderPort;
using survey::Rz27Mk2Framer;
using survey::Zol12Framer;

namespace {

static_assert(kKeptFrameMax <= LinkStateData::kFrameMax, "a kept frame fits LinkState.frame");

int32_t FramesPerReading() { return SurveyRun.framesPerReading.load(std::memory_order_relaxed); }

// Storing an accepted frame (RZ27-MK2 frames get their marker bits) with the watchdog's miss count
// cleared, then the reading message when the cycle is complete. The handler reads
// LinkState.frame while this thread waits in the send.
void HandOver(const unsigned char* kept, int length, UINT message) {
  survey::StoreFrame(LinkState.lastFrameTick, LinkState.frameCount, LinkState.frame, kept, length);
  Watchdog.missCount.store(0, std::memory_order_relaxed);
  if (message == WM_RZ27MK2_READING) {
    AddMarkerBits(LinkState.frame, LinkState.hardMarker.load(std::memory_order_relaxed),
                  SurveyRun.softMarkerHeld.load(std::memory_order_relaxed));
  }
  if (CycleComplete(LinkState.frameCount, FramesPerReading())) SendMessageW(AppWindows.loggingWnd, message, 0, 0);
}

void CountRejectedFrame() { survey::CountRejectedFrame(LinkState.frameCount, FramesPerReading()); }

void ReadMarkerLines(HANDLE h) { survey::ReadMarkerLines(h, LinkState.hardMarker); }

}  // namespace

DWORD WINAPI InstrumentReaderThread(LPVOID) {
  if (!BuildModel().probedFrameLength) LinkState.frameLength = 12;
  LinkState.frameCount.store(0, std::memory_order_relaxed);
  MeterFramer framer(LinkState.frameLength);
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  survey::ReadMeterFrames(port, framer, [](const unsigned char* kept, int n) { HandOver(kept, n, WM_READING); },
                          CountRejectedFrame);
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
    // The next frame is read without waiting for an event; a rejection or a silent start waits.
    const bool open = survey::ReadZol12Frames(
        port, framer, [](const unsigned char* kept, int n) { HandOver(kept, n, WM_ZOL12_READING); }, CountRejectedFrame);
    if (!open) return 0;
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
  survey::ReadRz27Mk2Frames(
      port, framer,
      [&] {
        if (markerOnThisPort) ReadMarkerLines(port.Handle());  // the switch is wired to the instrument cable
      },
      [](const unsigned char* kept, int n) { HandOver(kept, n, WM_RZ27MK2_READING); });
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
  const int length = survey::ProbeFrameLength(ReaderPort(LinkState.instrumentPort), t0);
  const double periodMs = survey::ProbedFramePeriodMs(length);
  if (periodMs == 0.0) return 0;
  const int clamp = length == 7 ? 14 : 11;
  LinkState.frameLength = length;
  LinkState.framePeriodMs = static_cast<float>(periodMs);
  ComputeSampleDivisorCore(periodMs, clamp, &LinkState.sampleDivisor, &LinkState.readingsPerSecond);
  return 1;
}

}  // namespace handheld
