// The instrument reader threads on virtual ports: framing and the N-th-frame rule as the threads
// run them, the ZOL12 purges and waits, the RZ27-MK2 marker bits, the marker watcher, the probe,
// every model at its period, the end of a reader by a close, and the two races: counter resets
// from the UI thread, and a close and reopen while the old reader is in its send.
// test-labels: threads
#include "engine/readers.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "link_test_support.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using test::Announcement;
using test::ClosePort;
using test::JoinThread;
using test::LinkWindows;
using test::StartThread;

constexpr uint32_t kStartTick = 500000;

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

// Frame i of a model as sent, with the ramp so that frames differ.
std::string Wire(int model, long i, bool shortFrames = false) {
  sim::InstrumentOptions o;
  o.model = model;
  o.shortFrames = shortFrames;
  o.ramp = true;
  return sim::InstrumentStream(o).Frame(i);
}
std::string Kept(int model, long i, bool shortFrames = false) {
  sim::InstrumentOptions o;
  o.model = model;
  o.shortFrames = shortFrames;
  return Wire(model, i, shortFrames).substr(0, static_cast<size_t>(sim::KeptLength(o)));
}

// The reader families: the model, the thread procedure and its message.
struct Family {
  const char* name;
  int model;
  LPTHREAD_START_ROUTINE proc;
  UINT msg;
};
void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }
const Family kMeter{"Meter", kModelRz12, InstrumentReaderThread, WM_READING};
const Family kZol12{"Zol12", kModelZol12, Zol12ReaderThread, WM_ZOL12_READING};
const Family kMk2{"Rz27Mk2", kModelRz27Mk2, Rz27Mk2ReaderThread, WM_RZ27MK2_READING};

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(kStartTick, plat::test::MakeSystemTime(2014, 5, 3, 9, 0, 0),
                                plat::test::ClockMode::Auto);
  }
  void TearDown() override {
    ClosePort(LinkState.instrumentPort);
    ClosePort(LinkState.markerPort);
    for (HANDLE t : threads_) EXPECT_TRUE(JoinThread(t));
    windows_.reset();
    ResetEngineState();
    plat::test::Reset();
  }

  // The build, the instrument on COM `com`, and the test windows.
  void Use(int model, int com = 1) {
    test::UseBuild(model);
    SurveySettings.instrumentPort = com - 1;
    port_ = plat::test::AttachVirtualPort(com);
    windows_ = std::make_unique<LinkWindows>();
  }
  HANDLE Start(LPTHREAD_START_ROUTINE proc) {
    HANDLE t = StartThread(proc);
    EXPECT_NE(t, nullptr);
    threads_.push_back(t);
    return t;
  }
  // Opens the instrument port and starts the reader.
  void OpenAndStart(LPTHREAD_START_ROUTINE proc) {
    ASSERT_EQ(OpenInstrumentPort(), 1);
    Start(proc);
  }
  // Pieces fed from `from` on, one every `spacing` ms; returns their arrival ticks.
  std::vector<DWORD> FeedEvery(const std::vector<std::string>& pieces, DWORD from, DWORD spacing) {
    std::vector<DWORD> ticks;
    for (size_t i = 0; i < pieces.size(); ++i) {
      ticks.push_back(from + static_cast<DWORD>(i) * spacing);
      port_->Feed(pieces[i], ticks.back());
    }
    return ticks;
  }
  std::vector<std::string> AnnouncedBytes() const {
    std::vector<std::string> out;
    for (const Announcement& a : windows_->announced()) out.push_back(a.bytes);
    return out;
  }
  bool PumpReadings(size_t n, DWORD limitMs) {
    return windows_->PumpUntil([&] { return windows_->Readings() >= n; }, limitMs);
  }

  std::shared_ptr<plat::test::VirtualPort> port_;
  std::unique_ptr<LinkWindows> windows_;
  std::vector<HANDLE> threads_;
};

// ---- Meter frames through InstrumentReaderThread ---------------------------------------------

struct MeterCase {
  const char* name;
  int model;
  int frameLength;  // as the probe leaves it (model 3); 0: the reader's own 12
  int framesPerReading;
  std::vector<std::string> pieces;  // fed 91 ms apart
  std::vector<int> announcedPieces;  // the pieces whose frames are announced
};
void PrintTo(const MeterCase& c, std::ostream* os) { *os << c.name; }

class MeterReader : public ReaderTest, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(MeterReader, AnnouncesTheFramesTheRuleAccepts) {
  const MeterCase& c = GetParam();
  Use(c.model);
  if (c.frameLength) LinkState.frameLength = c.frameLength;
  SurveyRun.framesPerReading = c.framesPerReading;
  Watchdog.missCount = 4;
  OpenAndStart(InstrumentReaderThread);
  const std::vector<DWORD> ticks = FeedEvery(c.pieces, GetTickCount() + 10, 91);
  windows_->PumpFor(91 * static_cast<DWORD>(c.pieces.size()) + 100);

  const auto& got = windows_->announced();
  ASSERT_EQ(got.size(), c.announcedPieces.size());
  for (size_t i = 0; i < got.size(); ++i) {
    const std::string& piece = c.pieces[static_cast<size_t>(c.announcedPieces[i])];
    const size_t length = c.frameLength ? static_cast<size_t>(c.frameLength) : 12;
    EXPECT_EQ(got[i].msg, WM_READING);
    EXPECT_EQ(got[i].bytes, piece.substr(piece.size() - length - 1, length)) << i;
    EXPECT_EQ(got[i].frameTick, ticks[static_cast<size_t>(c.announcedPieces[i])]) << i;
  }
  if (!got.empty()) {
    EXPECT_EQ(Watchdog.missCount.load(), 0);
  }
  EXPECT_EQ(port_->Purges(), (std::vector<DWORD>{PURGE_TXCLEAR, PURGE_RXCLEAR}));
}

const std::string kBadMeter = "x" + Wire(0, 9).substr(1);  // a CR with no 'T' 12 back

INSTANTIATE_TEST_SUITE_P(
    Streams, MeterReader,
    ::testing::Values(
        // The short CR is ignored, the candidate without its 'T' is rejected and counted, and the
        // next frame is accepted without a reset.
        MeterCase{"StartsMidFrame", 0, 0, 1, {"00500\r", Wire(0, 0).substr(1), Wire(0, 1), Wire(0, 2)}, {2, 3}},
        // The rejected frame takes the second place of the cycle of 3.
        MeterCase{"CycleOfThreeCountsTheRejected",
                  0,
                  0,
                  3,
                  {Wire(0, 0), kBadMeter, Wire(0, 1), Wire(0, 2), Wire(0, 3), Wire(0, 4), Wire(0, 5)},
                  {2, 5}},
        MeterCase{"AfterTwoHundredBytesWithoutCr", 0, 0, 1, {std::string(200, '5'), Wire(0, 0)}, {1}},
        MeterCase{"BinaryBytesAndEarlyCrs", 4, 0, 1, {Bytes({0, 0xFF, 0x80, 0x0D, 0x54, 0x0D}), Wire(4, 0)}, {1}},
        MeterCase{"OldSevenByteFrames", 3, 7, 1, {Wire(3, 0, true), Wire(3, 1, true)}, {0, 1}},
        MeterCase{"TwelveByteRz27AfterTheProbe", 3, 12, 2, {Wire(3, 0), Wire(3, 1), Wire(3, 2)}, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- ZOL12 -----------------------------------------------------------------------------------

TEST_F(ReaderTest, Zol12RejectsPurgesAndWaitsForTheNextEvent) {
  Use(kModelZol12);
  // With a cycle of 2 every rejection takes a place: each good frame below ends a cycle.
  SurveyRun.framesPerReading = 2;
  OpenAndStart(Zol12ReaderThread);
  const DWORD t = GetTickCount() + 10;
  port_->Feed("T123I45XT999I999", t);  // rejected at the X; the purge drops the frame behind it
  port_->Feed("T123I456", t + 1000);
  port_->Feed("T12", t + 2000);  // the fourth byte never comes
  port_->Feed("T123I457", t + 5000);
  windows_->PumpFor(8000);

  EXPECT_EQ(AnnouncedBytes(), (std::vector<std::string>{"T123I456", "T123I457"}));
  for (const Announcement& a : windows_->announced()) EXPECT_EQ(a.msg, WM_ZOL12_READING);
  EXPECT_EQ(port_->Purges(), (std::vector<DWORD>{PURGE_TXCLEAR, PURGE_RXCLEAR, PURGE_TXCLEAR, PURGE_RXCLEAR,
                                                 PURGE_TXCLEAR, PURGE_RXCLEAR}));
  const std::vector<DWORD> masks = port_->Masks();
  EXPECT_GE(masks.size(), 3u);
  for (DWORD m : masks) EXPECT_EQ(m, DWORD{EV_RXCHAR});
  EXPECT_EQ(LinkState.frameLength, 8);
}

// ---- RZ27-MK2 and the marker ---------------------------------------------------------------

struct MarkerCase {
  const char* name;
  int instrumentSetting;
  int markerSetting;
  DWORD lines;  // modem lines of the instrument port
  int softHeld;
  int added;    // to the status byte
};
void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.name; }

class Rz27Mk2Marker : public ReaderTest, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(Rz27Mk2Marker, AddsTheMarkerBitsToTheStatusByte) {
  const MarkerCase& c = GetParam();
  Use(kModelRz27Mk2, c.instrumentSetting + 1);
  SurveySettings.markerPort = c.markerSetting;
  SurveyRun.softMarkerHeld = c.softHeld;
  port_->SetLines(c.lines);
  OpenAndStart(Rz27Mk2ReaderThread);
  // Status 6 and a count of 0x81FF: a single 0xFF inside the frame ends nothing.
  const std::string kept = Bytes({'T', 6, 0x81, 0xFF, 0x81, 0, 0x82, 0, 0x82, 0, 0, 0xFA, 1, 0});
  port_->Feed(kept + Bytes({0xFF, 0xFF}), GetTickCount() + 10);
  ASSERT_TRUE(PumpReadings(1, 1000));
  std::string expected = kept;
  expected[1] = static_cast<char>(6 + c.added);
  EXPECT_EQ(windows_->announced()[0].bytes, expected);
  EXPECT_EQ(windows_->announced()[0].msg, WM_RZ27MK2_READING);
  EXPECT_EQ(SurveySettings.markerPort, c.markerSetting);  // the setting stays as it was
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Rz27Mk2Marker,
    ::testing::Values(MarkerCase{"Disabled", 0, 0, MS_CTS_ON, 0, 0},
                      MarkerCase{"SoftKeyHeld", 0, 0, 0, 1, 8},
                      // Marker setting 6 names COM7, the instrument's port: its lines are read.
                      MarkerCase{"SharedPortPressed", 6, 6, MS_CTS_ON, 0, 16},
                      MarkerCase{"SharedPortPressedAndSoftKey", 6, 6, MS_CTS_ON, 1, 24},
                      MarkerCase{"AlwaysAssertedLineReadsPressed", 0, 1, MS_DSR_ON, 0, 16},
                      // Marker setting 5 is COM5, not the instrument's COM6.
                      MarkerCase{"NumberingSkipsCom6", 5, 5, MS_CTS_ON, 0, 0},
                      MarkerCase{"OutOfRangeMarkerIsDisabled", 11, 12, MS_CTS_ON, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderTest, MarkerWatcherReadsTheLinesAtEachCtsChange) {
  Use(kModelRz27Mk2);
  auto marker = plat::test::AttachVirtualPort(3);
  SurveySettings.markerPort = 3;
  ASSERT_EQ(OpenMarkerPort(), 1);
  Start(MarkerPollThread);
  OpenAndStart(Rz27Mk2ReaderThread);
  ASSERT_TRUE(plat::test::WaitIdle());  // the watcher waits for its first event
  const std::string frame = Wire(kModelRz27Mk2, 0);
  auto step = [&](DWORD lines) {
    marker->SetLines(lines);
    windows_->PumpFor(20);
    return LinkState.hardMarker.load();
  };
  EXPECT_EQ(step(MS_CTS_ON), int32_t{MS_CTS_ON});
  port_->Feed(frame);
  ASSERT_TRUE(PumpReadings(1, 500));
  EXPECT_EQ(windows_->announced()[0].bytes[1], static_cast<char>(6 + 16));
  // No CTS edge, no read: the DSR change waits for the next CTS change.
  EXPECT_EQ(step(MS_CTS_ON | MS_DSR_ON), int32_t{MS_CTS_ON});
  EXPECT_EQ(step(MS_DSR_ON), int32_t{MS_DSR_ON});
  EXPECT_EQ(step(0), int32_t{MS_DSR_ON});
  EXPECT_EQ(step(MS_CTS_ON), int32_t{MS_CTS_ON});
  EXPECT_EQ(step(0), 0);
  port_->Feed(frame);
  ASSERT_TRUE(PumpReadings(2, 500));
  EXPECT_EQ(windows_->announced()[1].bytes[1], static_cast<char>(6));
  EXPECT_EQ(marker->Masks(), (std::vector<DWORD>{EV_CTS}));
}

// ---- The record-length probe -----------------------------------------------------------------

struct ProbeCase {
  const char* name;
  std::string first;  // fed 10 ms after the start, then `frame` every `period` ms
  std::string frame;
  DWORD period;
  int32_t result;
  int32_t frameLength;
  float periodMs;
  int32_t divisor;
  int32_t perSecond;
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class Probe : public ReaderTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(Probe, FindsTheFrameLengthAndTheTiming) {
  const ProbeCase& c = GetParam();
  Use(kModelRz27);
  SurveySettings.readingInterval = 0.2f;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  const DWORD t0 = GetTickCount();
  if (!c.first.empty()) port_->Feed(c.first, t0 + 10);
  for (DWORD i = 0; !c.frame.empty() && i < 40; ++i) port_->Feed(c.frame, t0 + 20 + i * c.period);
  EXPECT_EQ(ProbeRecordLength(), c.result);
  EXPECT_LE(GetTickCount() - t0, 4100u);  // it blocks for about 4 s at most
  EXPECT_EQ(LinkState.frameLength, c.frameLength);
  EXPECT_FLOAT_EQ(LinkState.framePeriodMs, c.periodMs);
  EXPECT_EQ(LinkState.sampleDivisor, c.divisor);
  EXPECT_EQ(LinkState.readingsPerSecond, c.perSecond);
}

const std::string kOld = "T\x74 -200\r";                    // 'T', 6 bytes, CR
const std::string kOldT = std::string("T\x54") + " -200\r";  // a status byte of 0x54 ('T')
const std::string kNew = Wire(kModelRz27, 0);                // 'T', 11 bytes, CR

INSTANTIATE_TEST_SUITE_P(
    Streams, Probe,
    ::testing::Values(ProbeCase{"SevenByteFrames", "", kOld, 72, 1, 7, 72.0f, 3, 4},
                      ProbeCase{"TwelveByteFrames", "", kNew, 91, 1, 12, 91.0f, 2, 4},
                      ProbeCase{"StartsAtAStatusByteT", kOldT.substr(1), kOldT, 72, 1, 7, 72.0f, 3, 4},
                      // Nothing recognised: the length stays 7, the rest as it was.
                      ProbeCase{"Silence", "", "", 0, 0, 7, 91.0f, 1, 5},
                      ProbeCase{"NoTWithin2000Ms", std::string(180, 'x'), std::string(60, 'x'), 50, 0, 7, 91.0f, 1, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Every model at its period on the virtual clock ------------------------------------------

struct ModelCase {
  const char* name;
  int model;
  bool shortFrames;
};
void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

class EveryModel : public ReaderTest, public ::testing::WithParamInterface<ModelCase> {};

// With garbage and partial frames between them, every frame is announced once, in order, with its
// bytes and the tick it arrived at, and nothing else is.
TEST_P(EveryModel, AnnouncesEachFrameAtItsExactPeriod) {
  const ModelCase& c = GetParam();
  Use(c.model);
  sim::InstrumentOptions o;
  o.model = c.model;
  o.shortFrames = c.shortFrames;
  o.count = 30;
  o.ramp = true;
  o.garbageRate = 0.5;
  o.partialRate = 0.5;
  o.seed = 11;
  if (c.shortFrames) LinkState.frameLength = 7;  // as the probe leaves it
  sim::InstrumentStream stream(o);
  OpenAndStart(sim::FindModel(c.model)->family == sim::Family::kMeter   ? InstrumentReaderThread
               : sim::FindModel(c.model)->family == sim::Family::kZol12 ? Zol12ReaderThread
                                                                        : Rz27Mk2ReaderThread);
  const DWORD start = GetTickCount() + 20;
  std::vector<sim::Chunk> fed;
  sim::FeedVirtualPort(*port_, stream, start, &fed);
  const double period = sim::PeriodMs(o);
  windows_->PumpFor(static_cast<DWORD>(period * 31) + 100);

  std::vector<sim::Chunk> frames;
  for (const sim::Chunk& ch : fed) {
    if (ch.kind == sim::ChunkKind::kFrame) frames.push_back(ch);
  }
  ASSERT_EQ(frames.size(), 30u);
  const auto& got = windows_->announced();
  ASSERT_EQ(got.size(), frames.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].bytes, frames[i].bytes.substr(0, static_cast<size_t>(sim::KeptLength(o)))) << i;
    EXPECT_EQ(got[i].frameTick, start + static_cast<DWORD>(std::llround(period * static_cast<double>(i)))) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModel,
                         ::testing::Values(ModelCase{"RZ12", 0, false}, ModelCase{"RZ27B", 1, false},
                                           ModelCase{"RZ27DD", 2, false}, ModelCase{"RZ27", 3, false},
                                           ModelCase{"RZ27Short", 3, true}, ModelCase{"RZ45", 4, false},
                                           ModelCase{"RZ89", 5, false}, ModelCase{"ZOL12", 6, false},
                                           ModelCase{"RZ27MK2", 7, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The end of a reader ---------------------------------------------------------------------

class ReaderEnd : public ReaderTest, public ::testing::WithParamInterface<Family> {};

// Closed while it waits inside its send, the reader finishes the send and ends.
TEST_P(ReaderEnd, ClosedInsideItsSendFinishesTheSendAndEnds) {
  const Family& f = GetParam();
  Use(f.model);
  ASSERT_EQ(OpenInstrumentPort(), 1);
  HANDLE reader = StartThread(f.proc);
  ASSERT_TRUE(plat::test::WaitIdle());  // past its purge, waiting for bytes
  port_->Feed(Wire(f.model, 0) + Wire(f.model, 1));
  ASSERT_TRUE(plat::test::WaitIdle());  // blocked in the send: nobody serves it yet
  ClosePort(LinkState.instrumentPort);
  EXPECT_TRUE(JoinThread(reader, 1000));
  EXPECT_EQ(AnnouncedBytes(), (std::vector<std::string>{Kept(f.model, 0)}));
}

// A close and a reopen while the old reader is in its send: the old reader ends without reading
// the new port, so the new reader gets every frame.
TEST_P(ReaderEnd, AnOldReaderNeverReadsTheNextRunsPort) {
  const Family& f = GetParam();
  Use(f.model);
  ASSERT_EQ(OpenInstrumentPort(), 1);
  HANDLE old = StartThread(f.proc);
  ASSERT_TRUE(plat::test::WaitIdle());
  port_->Feed(Wire(f.model, 0));
  ASSERT_TRUE(plat::test::WaitIdle());
  ClosePort(LinkState.instrumentPort);
  OpenAndStart(f.proc);
  const DWORD spacing = f.model == kModelZol12 ? 1000 : 60;
  std::vector<std::string> pieces;
  for (long i = 1; i <= 6; ++i) pieces.push_back(Wire(f.model, i));
  FeedEvery(pieces, GetTickCount() + 5, spacing);
  ASSERT_TRUE(PumpReadings(7, 7 * spacing + 500));
  EXPECT_TRUE(JoinThread(old, 100));
  std::vector<std::string> expected;
  for (long i = 0; i <= 6; ++i) expected.push_back(Kept(f.model, i));
  EXPECT_EQ(AnnouncedBytes(), expected);
}

INSTANTIATE_TEST_SUITE_P(Readers, ReaderEnd, ::testing::Values(kMeter, kZol12, kMk2),
                         [](const auto& info) { return std::string(info.param.name); });

// On the real clock: a close wakes a reader blocked in its read or event wait within 50 ms.
struct BlockedCase {
  const char* name;
  int model;
  LPTHREAD_START_ROUTINE proc;
  bool markerPort;
};
void PrintTo(const BlockedCase& c, std::ostream* os) { *os << c.name; }

class ReaderClose : public ::testing::TestWithParam<BlockedCase> {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }
};

TEST_P(ReaderClose, EndsWithin50MsOfTheClose) {
  const BlockedCase& c = GetParam();
  test::UseBuild(c.model);
  plat::test::AttachVirtualPort(1);
  std::atomic<HANDLE>& field = c.markerPort ? LinkState.markerPort : LinkState.instrumentPort;
  SurveySettings.markerPort = 1;
  ASSERT_EQ(c.markerPort ? OpenMarkerPort() : OpenInstrumentPort(), 1);
  HANDLE reader = StartThread(c.proc);
  ASSERT_TRUE(plat::test::WaitIdle());  // in ReadFile or WaitCommEvent
  const auto t = std::chrono::steady_clock::now();
  ClosePort(field);
  ASSERT_EQ(WaitForSingleObject(reader, 1000), DWORD{WAIT_OBJECT_0});
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t);
  EXPECT_LE(ms.count(), 50);
  EXPECT_TRUE(JoinThread(reader));
}

INSTANTIATE_TEST_SUITE_P(Readers, ReaderClose,
                         ::testing::Values(BlockedCase{"MeterInReadFile", 0, InstrumentReaderThread, false},
                                           BlockedCase{"Zol12InWaitCommEvent", 6, Zol12ReaderThread, false},
                                           BlockedCase{"Rz27Mk2", 7, Rz27Mk2ReaderThread, false},
                                           BlockedCase{"MarkerWatcher", 7, MarkerPollThread, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Counter resets from the UI thread -------------------------------------------------------

// Go and Pause reset the frame counter from the UI thread while the reader counts 47 ms frames,
// at the very ticks the frames arrive. However a reset meets an increment, the cycle in force
// goes on: no stretch of frames passes unannounced.
TEST_F(ReaderTest, GoAndPauseResetsNeverStallTheAnnouncements) {
  Use(kModelRz27Mk2);
  OpenAndStart(Rz27Mk2ReaderThread);
  constexpr long kFrames = 200;  // the ramp gives 200 distinct frames
  // Frames differ in their last count, so each announcement tells which frame it was.
  std::vector<std::string> pieces;
  for (long i = 0; i < kFrames; ++i) pieces.push_back(Wire(kModelRz27Mk2, i));
  // The timer starts with the pump below and ticks with every frame's arrival.
  FeedEvery(pieces, GetTickCount() + 47, 47);
  int tick = 0;
  windows_->timerMs = 47;
  windows_->onTimer = [&] {
    // Every fifth frame: Go (a cycle of 3) and Pause (every frame) in turn.
    if (++tick % 5) return;
    SurveyRun.framesPerReading = tick % 10 ? 3 : 1;
    LinkState.frameCount = 0;
  };
  windows_->PumpFor(47 * (kFrames + 2));
  windows_->onTimer = nullptr;

  std::map<std::string, long> index;
  for (long i = 0; i < kFrames; ++i) index[Kept(kModelRz27Mk2, i)] = i;
  ASSERT_EQ(index.size(), static_cast<size_t>(kFrames));
  std::vector<long> frames;
  for (const Announcement& a : windows_->announced()) frames.push_back(index.at(a.bytes));
  ASSERT_GT(frames.size(), 100u);
  long gap = 0;
  for (size_t i = 1; i < frames.size(); ++i) gap = std::max(gap, frames[i] - frames[i - 1]);
  EXPECT_LE(gap, 4);  // a cycle of 3 and the frame a reset may cost
  EXPECT_GE(frames.back(), kFrames - 4);
}

}  // namespace
}  // namespace handheld
