#include "engine/readers.h"

#include "common/frame_readers.h"
#include "common/framers.h"
#include "common/reader_port.h"
#include "common/timing.h"
#include "common/whole_numbers.h"
#include "engine/models.h"
#include "engine/ports.h"
#include "engine/state.h"

namespace desktop {

using survey::ReaderPort;

namespace {

static_assert(survey::kKeptFrameMax < LinkStateData::kFrameBytes, "a kept frame and its NUL fit LinkState.frame");

int32_t FramesPerReading() { return SurveyRun.framesPerReading.load(std::memory_order_relaxed); }

// An accepted frame: stored (RZ27-MK2 frames with their marker bits), and the message sent when
// the cycle is complete. The handler reads LinkState.frame while this thread waits in the send.
void HandOver(const unsigned char* kept, int length, UINT message) {
  survey::StoreFrame(LinkState.lastFrameTick, LinkState.frameCount, LinkState.frame, kept, length);
  if (message == WM_RZ27MK2_READING) {
    survey::AddMarkerBits(LinkState.frame, LinkState.hardMarker.load(), SurveyRun.softMarkerHeld.load());
  }
  if (survey::CycleComplete(LinkState.frameCount, FramesPerReading())) {
    SendMessageA(AppWindows.loggingWnd, message, 0, 0);
  }
}

void CountRejectedFrame() { survey::CountRejectedFrame(LinkState.frameCount, FramesPerReading()); }

}  // namespace

void MarkReaderRunning() { LinkState.instrumentReaderState.store(2); }

DWORD MarkReaderEnded() {
  int32_t running = 2;
  LinkState.instrumentReaderState.compare_exchange_strong(running, 1);
  return 0;
}

DWORD WINAPI InstrumentReaderThread(LPVOID) {
  MarkReaderRunning();
  if (ThisModel().reader != RunReader::kProbed) LinkState.frameLength = 12;
  LinkState.frameCount.store(0);
  survey::MeterFramer framer(LinkState.frameLength.load());
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  survey::ReadMeterFrames(port, framer, [](const unsigned char* kept, int n) { HandOver(kept, n, WM_READING); },
                          CountRejectedFrame);
  return MarkReaderEnded();
}

DWORD WINAPI Zol12ReaderThread(LPVOID) {
  MarkReaderRunning();
  LinkState.frameCount.store(0);
  LinkState.frameLength = survey::Zol12Framer::kFrameLength;
  survey::Zol12Framer framer;
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  // No event waits: an empty read (10 ms) leads back to the handle check and the next read.
  while (port.StillOurs()) {
    const bool open = survey::ReadZol12Frames(
        port, framer, [](const unsigned char* kept, int n) { HandOver(kept, n, WM_ZOL12_READING); }, CountRejectedFrame);
    if (!open) break;
  }
  return MarkReaderEnded();
}

DWORD WINAPI Rz27Mk2ReaderThread(LPVOID) {
  MarkReaderRunning();
  const bool markerOnThisPort = MarkerSharesInstrumentPort(SurveySettings.markerPort, SurveySettings.instrumentPort);
  LinkState.frameLength = survey::Rz27Mk2Framer::kFrameLength;
  survey::Rz27Mk2Framer framer;
  const ReaderPort port(LinkState.instrumentPort);
  port.Purge();
  survey::ReadRz27Mk2Frames(
      port, framer,
      [&] {
        // The switch is wired to the instrument cable.
        if (markerOnThisPort) survey::ReadMarkerLines(port.Handle(), LinkState.hardMarker);
      },
      [](const unsigned char* kept, int n) { HandOver(kept, n, WM_RZ27MK2_READING); });
  return MarkReaderEnded();
}

DWORD WINAPI MarkerPollThread(LPVOID) {
  const ReaderPort port(LinkState.markerPort);
  // A short sleep between the reads keeps the poll from occupying a processor.
  while (port.StillOurs()) {
    if (!survey::ReadMarkerLines(port.Handle(), LinkState.hardMarker)) break;
    Sleep(kMarkerPollMs);
  }
  return 0;
}

int32_t ProbeRecordLength() {
  LinkState.frameLength = 7;
  const uint32_t t0 = GetTickCount();
  survey::DelayMs(10);
  const int length = survey::ProbeFrameLength(ReaderPort(LinkState.instrumentPort), t0);
  const double periodMs = survey::ProbedFramePeriodMs(length);
  if (periodMs == 0.0) return 0;
  LinkState.frameLength = length;
  LinkState.framePeriodMs = static_cast<float>(periodMs);
  LinkState.sampleDivisor = survey::SampleDivisor(SurveySettings.readingInterval, periodMs);
  return 1;
}

}  // namespace desktop
