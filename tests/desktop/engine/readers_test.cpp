// The desktop instrument readers on virtual ports and the virtual clock: framing and the N-th-frame
// rule as the threads run them, the reader state, the ZOL12 without event waits, the RZ27-MK2
// marker bits and the marker poll, the probe, every model at its period, the end of a reader by a
// close, a close and reopen while the old reader is in its send, and the end of a run while a
// reader is held in its send.
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

#include "desktop_test_support.h"
#include "engine/ports.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "reader_windows.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace desktop {
namespace {

using test::ClosePortField;
using test::JoinThread;
using test::Reading;
using test::ReaderWindow;
using test::StartThread;

constexpr uint32_t kStartTick = 500000;

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

// Frame i of a model as sent, with the ramp so that frames differ, and its kept bytes.
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

TEST(ReaderMessages, Values) {
  EXPECT_EQ(WM_GPS_SENTENCE, 0x40Bu);
  EXPECT_EQ(WM_RZ56_READING, 0x40Cu);
  EXPECT_EQ(WM_READING, 0x40Du);
  EXPECT_EQ(WM_ZOL12_READING, 0x40Eu);
  EXPECT_EQ(WM_RZ27MK2_READING, 0x40Fu);
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(kStartTick, plat::test::MakeSystemTime(2026, 5, 3, 9, 0, 0),
                                plat::test::ClockMode::Auto);
  }
  void TearDown() override {
    ClosePortField(LinkState.instrumentPort);
    ClosePortField(LinkState.markerPort);
    for (HANDLE t : threads_) EXPECT_TRUE(JoinThread(t));
    window_.reset();
    ResetEngineState();
    plat::test::Reset();
  }

  // The build, the instrument on COM `com`, and the test window.
  void Use(int model, int com = 1) {
    test::UseBuild(model);
    SurveySettings.instrumentPort = com - 1;
    port_ = plat::test::AttachVirtualPort(com);
    window_ = std::make_unique<ReaderWindow>();
  }
  HANDLE Start(LPTHREAD_START_ROUTINE proc) {
    HANDLE t = StartThread(proc);
    EXPECT_NE(t, nullptr);
    threads_.push_back(t);
    return t;
  }
  // Opens the instrument port as the run start does (state 1) and starts the reader.
  void OpenAndStart(LPTHREAD_START_ROUTINE proc) {
    ASSERT_EQ(OpenInstrumentPort(), 1);
    LinkState.instrumentReaderState = 1;
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

  std::shared_ptr<plat::test::VirtualPort> port_;
  std::unique_ptr<ReaderWindow> window_;
  std::vector<HANDLE> threads_;
};

// ---- Meter frames through InstrumentReaderThread ---------------------------------------------

struct MeterCase {
  const char* name;
  int model;
  int frameLength;  // as the probe leaves it (model 3); 0: the reader's own 12
  int framesPerReading;
  std::vector<std::string> pieces;   // fed 91 ms apart
  std::vector<int> announcedPieces;  // the pieces whose frames are announced
};
void PrintTo(const MeterCase& c, std::ostream* os) { *os << c.name; }

class MeterReader : public ReaderTest, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(MeterReader, AnnouncesTheFramesTheRuleAccepts) {
  const MeterCase& c = GetParam();
  Use(c.model);
  if (c.frameLength) LinkState.frameLength = c.frameLength;
  SurveyRun.framesPerReading = c.framesPerReading;
  OpenAndStart(InstrumentReaderThread);
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
  const std::vector<DWORD> ticks = FeedEvery(c.pieces, GetTickCount() + 10, 91);
  window_->PumpFor(91 * static_cast<DWORD>(c.pieces.size()) + 100);

  const std::vector<Reading>& got = window_->readings();
  ASSERT_EQ(got.size(), c.announcedPieces.size());
  const size_t length = c.frameLength ? static_cast<size_t>(c.frameLength) : 12;
  for (size_t i = 0; i < got.size(); ++i) {
    const size_t k = static_cast<size_t>(c.announcedPieces[i]);
    const std::string& piece = c.pieces[k];
    EXPECT_EQ(got[i].msg, WM_READING);
    EXPECT_EQ(got[i].bytes, piece.substr(piece.size() - length - 1, length)) << i;
    EXPECT_TRUE(got[i].nulAfter) << i;
    EXPECT_EQ(got[i].frameTick, ticks[k]) << i;
  }
  EXPECT_EQ(port_->Purges(), (std::vector<DWORD>{PURGE_TXCLEAR, PURGE_RXCLEAR}));
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
  ClosePortField(LinkState.instrumentPort);
  EXPECT_TRUE(JoinThread(threads_.back()));
  threads_.pop_back();
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 1);
}

const std::string kMeterWire = Wire(kModelRz12, 0);
const std::string kBadMeter = "x" + Wire(kModelRz12, 9).substr(1);  // a CR with no 'T' 12 back

INSTANTIATE_TEST_SUITE_P(
    Streams, MeterReader,
    ::testing::Values(
        MeterCase{"OneFrame", 0, 0, 1, {kMeterWire}, {0}},
        // The short CR is ignored, the candidate without its 'T' is rejected and counted, and the
        // next frame is accepted without a reset.
        MeterCase{"StartsMidFrame", 0, 0, 1, {"00500\r", Wire(0, 0).substr(1), Wire(0, 1), Wire(0, 2)}, {2, 3}},
        MeterCase{"RejectedKeepsSearching", 0, 0, 1, {"xxxxxxxxxxxx\r", Wire(0, 1)}, {1}},
        // The rejected frame takes the second place of the cycle of 3.
        MeterCase{"CycleOfThreeCountsTheRejected",
                  0,
                  0,
                  3,
                  {Wire(0, 0), kBadMeter, Wire(0, 1), Wire(0, 2), Wire(0, 3), Wire(0, 4), Wire(0, 5)},
                  {2, 5}},
        // The 182nd byte empties the buffer; collection restarts with the 183rd.
        MeterCase{"AfterTwoHundredBytesWithoutCr", 0, 0, 1, {std::string(200, '5'), Wire(0, 0)}, {1}},
        MeterCase{"FrameRightAfterOverflow", 0, 0, 1, {std::string(181, '5') + "x", Wire(0, 1)}, {1}},
        MeterCase{"FrameEndingAtTheLastPosition", 0, 0, 1, {std::string(168, '5'), Wire(0, 1)}, {1}},
        MeterCase{"BinaryBytesAndEarlyCrs", 4, 0, 1, {Bytes({0, 0xFF, 0x80, 0x0D, 0x54, 0x0D, 0xFF}), Wire(4, 0)}, {1}},
        // A frame holding 0x00 is kept whole, with its length.
        MeterCase{"FrameHoldingNul", 0, 0, 1, {std::string("T\x74 -2\0\x30" "00500\r", 13)}, {0}},
        MeterCase{"OldSevenByteFrames", 3, 7, 1, {Wire(3, 0, true), Wire(3, 1, true)}, {0, 1}},
        MeterCase{"TwelveByteRz27AfterTheProbe", 3, 12, 2, {Wire(3, 0), Wire(3, 1), Wire(3, 2)}, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- ZOL12 -----------------------------------------------------------------------------------

// No event mask, no event wait: the reader reads on its 10 ms time-outs. A byte that fails its test
// or does not come rejects the frame, which counts and purges; each frame is stamped and kept, and
// the default procedure that receives the message returns 0.
TEST_F(ReaderTest, Zol12ReadsWithoutEventsRejectsAndPurges) {
  Use(kModelZol12);
  // With a cycle of 2 every rejection takes a place: each good frame below ends a cycle.
  SurveyRun.framesPerReading = 2;
  OpenAndStart(Zol12ReaderThread);
  const DWORD t = GetTickCount() + 10;
  port_->Feed("T123I45XT999I999", t);  // rejected at the X; the purge drops the frame behind it
  port_->Feed("T123I456", t + 1000);
  port_->Feed("T12", t + 2000);  // the fourth byte never comes: rejected and purged
  port_->Feed("T123I457", t + 5000);
  window_->PumpFor(8000);

  EXPECT_EQ(window_->Bytes(), (std::vector<std::string>{"T123I456", "T123I457"}));
  ASSERT_EQ(window_->readings().size(), 2u);
  for (const Reading& r : window_->readings()) {
    EXPECT_EQ(r.msg, WM_ZOL12_READING);
    EXPECT_TRUE(r.nulAfter);
  }
  EXPECT_EQ(window_->readings()[0].frameTick, t + 1000);
  EXPECT_EQ(window_->readings()[1].frameTick, t + 5000);
  EXPECT_EQ(window_->defaultResults, (std::vector<LRESULT>{0, 0}));
  EXPECT_EQ(port_->Purges(), (std::vector<DWORD>{PURGE_TXCLEAR, PURGE_RXCLEAR, PURGE_TXCLEAR, PURGE_RXCLEAR,
                                                 PURGE_TXCLEAR, PURGE_RXCLEAR}));
  EXPECT_TRUE(port_->Masks().empty());
  EXPECT_EQ(LinkState.frameLength.load(), 8);
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
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
  ASSERT_TRUE(window_->PumpReadings(1, 1000));
  std::string expected = kept;
  expected[1] = static_cast<char>(6 + c.added);
  EXPECT_EQ(window_->readings()[0].bytes, expected);
  EXPECT_EQ(window_->readings()[0].msg, WM_RZ27MK2_READING);
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
  EXPECT_EQ(SurveySettings.markerPort, c.markerSetting);  // the setting stays as it was
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Rz27Mk2Marker,
    ::testing::Values(MarkerCase{"Disabled", 0, 0, MS_CTS_ON, 0, 0},
                      MarkerCase{"SoftKeyHeld", 0, 0, 0, 1, 8},
                      // Marker 4 names COM4, the port of instrument setting 3: its lines are read.
                      MarkerCase{"SharedPortPressed", 3, 4, MS_CTS_ON, 0, 16},
                      MarkerCase{"SharedPortPressedAndSoftKey", 3, 4, MS_CTS_ON, 1, 24},
                      MarkerCase{"AlwaysAssertedLineReadsPressed", 5, 6, MS_DSR_ON, 0, 16},
                      // Marker 4 is COM4, not the instrument's COM5.
                      MarkerCase{"OtherPortIsNotRead", 4, 4, MS_CTS_ON, 0, 0},
                      MarkerCase{"OutOfRangeMarkerIsDisabled", 11, 13, MS_CTS_ON, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The poll reads the marker port's lines every 5 ms, without an event mask: each change, CTS or
// not, is in LinkState.hardMarker within 10 ms and marks the next frame.
TEST_F(ReaderTest, MarkerPollFollowsEachLineChangeWithin10Ms) {
  Use(kModelRz27Mk2);
  auto marker = plat::test::AttachVirtualPort(3);
  SurveySettings.markerPort = 3;
  ASSERT_EQ(OpenMarkerPort(), 1);
  Start(MarkerPollThread);
  OpenAndStart(Rz27Mk2ReaderThread);
  ASSERT_TRUE(plat::test::WaitIdle());
  const std::string frame = Wire(kModelRz27Mk2, 0);
  for (DWORD lines : {DWORD{MS_CTS_ON}, DWORD{MS_CTS_ON | MS_DSR_ON}, DWORD{MS_DSR_ON}, DWORD{0}, DWORD{MS_RLSD_ON}}) {
    SCOPED_TRACE(lines);
    marker->SetLines(lines);
    int waited = 0;
    for (; waited < 10 && LinkState.hardMarker.load() != static_cast<int32_t>(lines); ++waited) Sleep(1);
    EXPECT_EQ(LinkState.hardMarker.load(), static_cast<int32_t>(lines));
    EXPECT_LE(waited, 10);
  }
  port_->Feed(frame);
  ASSERT_TRUE(window_->PumpReadings(1, 500));
  EXPECT_EQ(window_->readings()[0].bytes[1], static_cast<char>(6 + 16));
  EXPECT_TRUE(marker->Masks().empty());
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
  int32_t divisor;  // at 0.2 s
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class Probe : public ReaderTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(Probe, FindsTheFrameLengthAndTheDivisor) {
  const ProbeCase& c = GetParam();
  Use(kModelRz27);
  SurveySettings.readingInterval = 0.2f;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  const DWORD t0 = GetTickCount();
  if (!c.first.empty()) port_->Feed(c.first, t0 + 10);
  for (DWORD i = 0; !c.frame.empty() && i < 40; ++i) port_->Feed(c.frame, t0 + 20 + i * c.period);
  EXPECT_EQ(ProbeRecordLength(), c.result);
  EXPECT_LE(GetTickCount() - t0, 3100u);  // 2000 ms, and 1000 for a count under way
  EXPECT_EQ(LinkState.frameLength.load(), c.frameLength);
  EXPECT_FLOAT_EQ(LinkState.framePeriodMs, c.periodMs);
  EXPECT_EQ(LinkState.sampleDivisor, c.divisor);
}

const std::string kOld = "T\x74 -200\r";                    // 'T', 6 bytes, CR
const std::string kOldT = std::string("T\x54") + " -200\r";  // a status byte of 0x54 ('T')
const std::string kNew = Wire(kModelRz27, 0);                // 'T', 11 bytes, CR

INSTANTIATE_TEST_SUITE_P(
    Streams, Probe,
    ::testing::Values(ProbeCase{"SevenByteFrames", "", kOld, 72, 1, 7, 72.0f, 3},
                      ProbeCase{"TwelveByteFrames", "", kNew, 91, 1, 12, 91.0f, 2},
                      ProbeCase{"StartsAtAStatusByteT", kOldT.substr(1), kOldT, 72, 1, 7, 72.0f, 3},
                      // A stray 'T' in noise counts 4 up to the CR: the search goes on.
                      ProbeCase{"StrayTGoesOnSearching", "xxTab\r", kNew, 91, 1, 12, 91.0f, 2},
                      // Nothing recognised: the length stays 7, the rest as it was.
                      ProbeCase{"Silence", "", "", 0, 0, 7, 91.0f, 1},
                      ProbeCase{"OnlyStrayTs", "", "T1\r", 50, 0, 7, 91.0f, 1},
                      ProbeCase{"NoTWithin2000Ms", std::string(180, 'x'), std::string(60, 'x'), 50, 0, 7, 91.0f, 1}),
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
  o.seed = 17;
  if (c.shortFrames) LinkState.frameLength = 7;  // as the probe leaves it
  sim::InstrumentStream stream(o);
  const sim::Family family = sim::FindModel(c.model)->family;
  OpenAndStart(family == sim::Family::kMeter   ? InstrumentReaderThread
               : family == sim::Family::kZol12 ? Zol12ReaderThread
                                               : Rz27Mk2ReaderThread);
  const DWORD start = GetTickCount() + 20;
  std::vector<sim::Chunk> fed;
  sim::FeedVirtualPort(*port_, stream, start, &fed);
  const double period = sim::PeriodMs(o);
  window_->PumpFor(static_cast<DWORD>(period * 31) + 100);

  std::vector<sim::Chunk> frames;
  for (const sim::Chunk& ch : fed) {
    if (ch.kind == sim::ChunkKind::kFrame) frames.push_back(ch);
  }
  ASSERT_EQ(frames.size(), 30u);
  const std::vector<Reading>& got = window_->readings();
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
  ClosePortField(LinkState.instrumentPort);
  EXPECT_TRUE(JoinThread(reader, 1000));
  EXPECT_EQ(window_->Bytes(), (std::vector<std::string>{Kept(f.model, 0)}));
  EXPECT_EQ(window_->readings()[0].msg, f.msg);
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 1);
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
  ClosePortField(LinkState.instrumentPort);
  OpenAndStart(f.proc);
  const DWORD spacing = f.model == kModelZol12 ? 1000 : 60;
  std::vector<std::string> pieces;
  for (long i = 1; i <= 6; ++i) pieces.push_back(Wire(f.model, i));
  FeedEvery(pieces, GetTickCount() + 5, spacing);
  ASSERT_TRUE(window_->PumpReadings(7, 7 * spacing + 500));
  EXPECT_TRUE(JoinThread(old, 100));
  std::vector<std::string> expected;
  for (long i = 0; i <= 6; ++i) expected.push_back(Kept(f.model, i));
  EXPECT_EQ(window_->Bytes(), expected);
}

// The end of a run closes the port, waits without serving sends, and sets the reader state 0
// while the old reader is still held in its send. When that reader ends it leaves the 0, so the
// next start (which opens the port only on state 0) opens it once and reads again.
TEST_P(ReaderEnd, AReaderHeldInItsSendAcrossTheRunsEndLeavesTheStateClosed) {
  const Family& f = GetParam();
  Use(f.model);
  OpenAndStart(f.proc);
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 2);
  port_->Feed(Wire(f.model, 0));
  ASSERT_TRUE(plat::test::WaitIdle());  // in its send
  HANDLE old = threads_.back();
  threads_.pop_back();
  // The end of the run.
  ClosePortField(LinkState.instrumentPort);
  DelayMs(500);
  LinkState.instrumentReaderState = 0;
  ASSERT_TRUE(JoinThread(old, 1000));  // its send is served now and it ends
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
  // The next start.
  if (LinkState.instrumentReaderState.load() == 0) OpenAndStart(f.proc);
  EXPECT_EQ(port_->Opens(), 2);
  port_->Feed(Wire(f.model, 1), GetTickCount() + 5);
  ASSERT_TRUE(window_->PumpReadings(2, 1500));
  EXPECT_EQ(window_->Bytes(), (std::vector<std::string>{Kept(f.model, 0), Kept(f.model, 1)}));
}

INSTANTIATE_TEST_SUITE_P(Readers, ReaderEnd, ::testing::Values(kMeter, kZol12, kMk2),
                         [](const auto& info) { return std::string(info.param.name); });

// On the real clock: a close ends a reader blocked in its read (or the poll in its sleep) within
// 50 ms.
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
  Sleep(30);  // in its reads
  const auto t = std::chrono::steady_clock::now();
  ClosePortField(field);
  ASSERT_EQ(WaitForSingleObject(reader, 1000), DWORD{WAIT_OBJECT_0});
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t);
  EXPECT_LE(ms.count(), 50);
  EXPECT_TRUE(JoinThread(reader));
}

INSTANTIATE_TEST_SUITE_P(Readers, ReaderClose,
                         ::testing::Values(BlockedCase{"Meter", 0, InstrumentReaderThread, false},
                                           BlockedCase{"Zol12", 6, Zol12ReaderThread, false},
                                           BlockedCase{"Rz27Mk2", 7, Rz27Mk2ReaderThread, false},
                                           BlockedCase{"MarkerPoll", 7, MarkerPollThread, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Counter resets from the UI thread -------------------------------------------------------

// A smoke for ThreadSanitizer: Go and Pause reset the frame counter from the UI thread while the
// reader counts 47 ms frames, at the very ticks the frames arrive; the announcements go on. (The
// rule itself, a reset lost or not, is the N-th-frame table of the framers' tests.)
TEST_F(ReaderTest, GoAndPauseResetsNeverStallTheAnnouncements) {
  Use(kModelRz27Mk2);
  OpenAndStart(Rz27Mk2ReaderThread);
  constexpr long kFrames = 120;
  std::vector<std::string> pieces;
  for (long i = 0; i < kFrames; ++i) pieces.push_back(Wire(kModelRz27Mk2, i));
  FeedEvery(pieces, GetTickCount() + 47, 47);
  int tick = 0;
  window_->timerMs = 47;
  window_->onTimer = [&] {
    // Every fifth frame: Go (a cycle of 3) and Pause (every frame) in turn.
    if (++tick % 5) return;
    SurveyRun.framesPerReading = tick % 10 ? 3 : 1;
    LinkState.frameCount = 0;
  };
  window_->PumpFor(47 * (kFrames + 2));
  window_->onTimer = nullptr;

  std::map<std::string, long> index;
  for (long i = 0; i < kFrames; ++i) index[Kept(kModelRz27Mk2, i)] = i;
  std::vector<long> frames;
  for (const Reading& r : window_->readings()) frames.push_back(index.at(r.bytes));
  ASSERT_GT(frames.size(), 50u);
  long gap = 0;
  for (size_t i = 1; i < frames.size(); ++i) gap = std::max(gap, frames[i] - frames[i - 1]);
  EXPECT_LE(gap, 4);  // a cycle of 3 and the frame a reset may cost
}

}  // namespace
}  // namespace desktop
