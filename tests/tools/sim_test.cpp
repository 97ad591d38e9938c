// The simulators' streams: frames shaped as the decoders read them, garbage and partial frames
// that the framers pass over, NMEA sentences and replays, and timing on the virtual clock.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/framers.h"
#include "common/nmea.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace {

using survey::FrameStep;
using sim::Chunk;
using sim::ChunkKind;

std::vector<Chunk> All(sim::Stream& s) {
  std::vector<Chunk> out;
  Chunk c;
  while (s.Next(&c)) out.push_back(c);
  return out;
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

sim::InstrumentOptions Options(int model, bool shortFrames = false) {
  sim::InstrumentOptions o;
  o.model = model;
  o.shortFrames = shortFrames;
  return o;
}

// The kept bytes of a frame as sent.
std::string Kept(const sim::InstrumentOptions& o, const std::string& wire) {
  return wire.substr(0, static_cast<size_t>(sim::KeptLength(o)));
}

// Frames that a reader following the framing rules finds in the chunks, delivered in order. A
// rejected ZOL12 frame purges the port: the rest of the chunk that was arriving is lost.
std::vector<std::string> Framed(const sim::InstrumentOptions& o, const std::vector<Chunk>& chunks) {
  std::vector<std::string> frames;
  const sim::Family family = sim::FindModel(o.model)->family;
  survey::MeterFramer meter(sim::KeptLength(o));
  survey::Zol12Framer zol;
  survey::Rz27Mk2Framer mk2;
  for (const Chunk& c : chunks) {
    for (char ch : c.bytes) {
      const auto b = static_cast<unsigned char>(ch);
      FrameStep s = family == sim::Family::kMeter   ? meter.Push(b)
                    : family == sim::Family::kZol12 ? zol.Push(b)
                                                    : mk2.Push(b);
      if (s == FrameStep::kAccepted) {
        const unsigned char* f = family == sim::Family::kMeter   ? meter.Frame()
                                 : family == sim::Family::kZol12 ? zol.Frame()
                                                                 : mk2.Frame();
        frames.emplace_back(reinterpret_cast<const char*>(f), static_cast<size_t>(sim::KeptLength(o)));
      }
      if (s == FrameStep::kRejected && family == sim::Family::kZol12) break;
    }
  }
  return frames;
}

// ---- Frames of every model -------------------------------------------------------------------

struct ModelCase {
  const char* name;
  int model;
  bool shortFrames;
  double periodMs;
  std::string firstFrame;  // as sent
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

class ModelTable : public ::testing::TestWithParam<ModelCase> {};

const std::string kMeterWire = std::string("T\x74") + " -200" + "00500" + "\r";
const std::string kMk2Wire =
    Bytes({0x54, 0x06, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00, 0xFF, 0xFF});

TEST_P(ModelTable, SendsDecoderShapedFramesAtThePeriod) {
  const ModelCase& c = GetParam();
  sim::InstrumentOptions o = Options(c.model, c.shortFrames);
  o.count = 5;
  sim::InstrumentStream stream(o);
  const std::vector<Chunk> chunks = All(stream);
  ASSERT_EQ(chunks.size(), 5u);
  EXPECT_EQ(chunks[0].bytes, c.firstFrame);
  for (size_t i = 0; i < chunks.size(); ++i) {
    EXPECT_EQ(chunks[i].kind, ChunkKind::kFrame);
    EXPECT_DOUBLE_EQ(chunks[i].atMs, c.periodMs * static_cast<double>(i));
  }
  EXPECT_EQ(Framed(o, chunks), std::vector<std::string>(5, Kept(o, c.firstFrame)));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ModelTable,
    ::testing::Values(ModelCase{"RZ12", 0, false, 91.0, kMeterWire}, ModelCase{"RZ27B", 1, false, 91.0, kMeterWire},
                      ModelCase{"RZ27DD", 2, false, 91.0, kMeterWire}, ModelCase{"RZ27", 3, false, 91.0, kMeterWire},
                      ModelCase{"RZ27Short", 3, true, 72.0, "T\x74 -200\r"},
                      ModelCase{"RZ45", 4, false, 91.0, kMeterWire}, ModelCase{"RZ89", 5, false, 91.0, kMeterWire},
                      ModelCase{"ZOL12", 6, false, 1000.0, "T123I045"},
                      ModelCase{"RZ27MK2", 7, false, 47.0, kMk2Wire}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InstrumentSim, ModelsByName) {
  EXPECT_EQ(sim::FindModelByName("rz27-mk2")->model, 7);
  EXPECT_EQ(sim::FindModelByName("ZOL12")->model, 6);
  EXPECT_EQ(sim::FindModelByName("RZ27DD")->model, 2);
  EXPECT_EQ(sim::FindModelByName("4")->model, 4);
  EXPECT_EQ(sim::FindModelByName("RZ56"), nullptr);
  EXPECT_EQ(sim::FindModelByName("8"), nullptr);
  EXPECT_EQ(sim::FindModel(7)->baud, 19200);
  EXPECT_EQ(sim::FindModel(0)->baud, 9600);
}

TEST(InstrumentSim, ChosenValuesAndFields) {
  sim::InstrumentOptions o = Options(0);
  o.count = 1;
  o.status = 0x81;
  o.field1 = -12345;  // clamped to four digits and a sign
  o.field2 = 7;
  sim::InstrumentStream meter(o);
  EXPECT_EQ(All(meter)[0].bytes, std::string("T\x81-999900007\r"));

  o = Options(6);
  o.count = 1;
  o.thickness = 5;
  o.inphase = 1200;
  sim::InstrumentStream zol(o);
  EXPECT_EQ(All(zol)[0].bytes, "T005I999");

  o = Options(7);
  o.count = 1;
  o.lead = 't';
  o.mk2Status = 2;
  for (auto& c : o.counts) c = 0x1234;
  sim::InstrumentStream mk2(o);
  EXPECT_EQ(All(mk2)[0].bytes, Bytes({'t', 2, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12,
                                       0x34, 0xFF, 0xFF}));
}

TEST(InstrumentSim, TriggerMarksKOfEveryN) {
  sim::InstrumentOptions o = Options(0);
  o.count = 10;
  o.status = 0x30;
  o.triggerFrames = 2;
  o.triggerEvery = 4;
  sim::InstrumentStream stream(o);
  std::string marks;
  for (const Chunk& c : All(stream)) marks += (static_cast<unsigned char>(c.bytes[1]) & 0x40) ? 'M' : '.';
  EXPECT_EQ(marks, "MM..MM..MM");
}

TEST(InstrumentSim, RampVariesFramesAndKeepsCountsFreeOfFf) {
  sim::InstrumentOptions o = Options(7);
  o.count = 600;
  o.ramp = true;
  o.counts[5] = 0xFEF0;  // the ramp crosses bytes of 0xFF
  sim::InstrumentStream stream(o);
  const std::vector<Chunk> chunks = All(stream);
  for (const Chunk& c : chunks) {
    EXPECT_EQ(c.bytes.find('\xFF'), 14u) << c.index;
  }
  EXPECT_NE(chunks[0].bytes, chunks[1].bytes);
  EXPECT_EQ(Framed(o, chunks).size(), 600u);
}

// ---- Garbage and partial frames --------------------------------------------------------------

struct NoiseCase {
  const char* name;
  int model;
  bool shortFrames;
};

void PrintTo(const NoiseCase& c, std::ostream* os) { *os << c.name; }

class NoiseTable : public ::testing::TestWithParam<NoiseCase> {};

TEST_P(NoiseTable, EveryFrameIsFoundOnceAndNothingElse) {
  sim::InstrumentOptions o = Options(GetParam().model, GetParam().shortFrames);
  o.count = 400;
  o.ramp = true;
  o.garbageRate = 0.8;
  o.partialRate = 0.6;
  o.seed = 7;
  sim::InstrumentStream stream(o);
  const std::vector<Chunk> chunks = All(stream);
  const double period = sim::PeriodMs(o);
  std::vector<std::string> sent;
  int garbage = 0, partial = 0;
  size_t gapBytes = 0;
  for (size_t k = 0; k < chunks.size(); ++k) {
    const Chunk& c = chunks[k];
    if (c.kind == ChunkKind::kFrame) {
      sent.push_back(Kept(o, c.bytes));
      gapBytes = 0;
      continue;
    }
    // Extras go in the middle of the gap, stay under 160 bytes per gap, and hold no end mark
    // or frame start.
    EXPECT_DOUBLE_EQ(c.atMs, period * static_cast<double>(c.index) + period / 2);
    gapBytes += c.bytes.size();
    EXPECT_LT(gapBytes, 160u);
    if (c.kind == ChunkKind::kGarbage) {
      ++garbage;
      if (o.model == 7) {
        EXPECT_EQ(c.bytes.find('\xFF'), std::string::npos);
      } else {
        EXPECT_EQ(c.bytes.find_first_of("\rT"), std::string::npos);
      }
    } else {
      ++partial;
      EXPECT_EQ(c.bytes[0], 'T');
    }
  }
  EXPECT_GT(garbage, 200);
  EXPECT_GT(partial, 150);
  EXPECT_EQ(Framed(o, chunks), sent);
}

INSTANTIATE_TEST_SUITE_P(Families, NoiseTable,
                         ::testing::Values(NoiseCase{"RZ12", 0, false}, NoiseCase{"RZ27Short", 3, true},
                                           NoiseCase{"ZOL12", 6, false}, NoiseCase{"RZ27MK2", 7, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstrumentSim, AnyGarbageMayHoldEndMarks) {
  for (int model : {0, 7}) {
    sim::InstrumentOptions o = Options(model);
    o.count = 200;
    o.garbageRate = 1;
    o.anyGarbage = true;
    sim::InstrumentStream stream(o);
    std::string garbage;
    for (const Chunk& c : All(stream)) {
      if (c.kind == ChunkKind::kGarbage) garbage += c.bytes;
    }
    EXPECT_NE(garbage.find(model == 7 ? '\xFF' : '\r'), std::string::npos) << model;
  }
}

TEST(InstrumentSim, SameSeedSameStream) {
  sim::InstrumentOptions o = Options(0);
  o.count = 50;
  o.garbageRate = 0.5;
  o.partialRate = 0.5;
  o.seed = 3;
  sim::InstrumentStream a(o), b(o);
  std::string sa, sb;
  for (const Chunk& c : All(a)) sa += c.bytes;
  for (const Chunk& c : All(b)) sb += c.bytes;
  EXPECT_EQ(sa, sb);
  o.seed = 4;
  sim::InstrumentStream d(o);
  std::string sd;
  for (const Chunk& c : All(d)) sd += c.bytes;
  EXPECT_NE(sa, sd);
}

// ---- RZ27-MK2 scripts --------------------------------------------------------------------------

TEST(Mk2Script, ParsesSegmentsAndRefusesBadOnes) {
  std::vector<sim::Mk2Segment> segments;
  std::string error;
  ASSERT_TRUE(sim::ParseMk2Script("# vertical, then horizontal with the marker\n"
                                  "2500 6 0x8200 0x8100 0x8300 0x8200 250 256\n"
                                  " ; 1000 2 0x8100 0x8080 0x8100 0x8080 0xFA 0x100 1;",
                                  &segments, &error))
      << error;
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].durationMs, 2500.0);
  EXPECT_EQ(segments[0].status, 6u);
  EXPECT_EQ(segments[0].counts[2], 0x8300);
  EXPECT_EQ(segments[0].counts[5], 256);
  EXPECT_FALSE(segments[0].marker);
  EXPECT_EQ(segments[1].status, 2u);
  EXPECT_TRUE(segments[1].marker);
  EXPECT_TRUE(sim::ScriptUsesMarker(segments));

  for (const char* bad : {"", "# nothing", "100 6 1 2 3 4 5", "0 6 1 2 3 4 5 6", "100 256 1 2 3 4 5 6",
                          "100 6 1 2 3 4 5 0x10000", "100 6 1 2 3 4 5 6 2", "100 6 1 2 3 4 5 6 1 9", "100 6 -1 2 3 4 5 6",
                          "1e3 6 1 2 3 4 5 6"}) {
    error.clear();
    EXPECT_FALSE(sim::ParseMk2Script(bad, &segments, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

// Frames every period from the segment their time falls in; the marker line changes at the
// segment starts, before the frames due then; the stream ends with the last segment.
TEST(Mk2Script, FramesFollowTheSegmentsAndTheMarkerLine) {
  sim::Mk2Segment v, h;
  v.durationMs = 100;
  h.durationMs = 100;
  h.status = 2;
  h.counts[2] = 0x8100;
  h.marker = true;
  sim::Mk2Segment v2 = v;
  v2.durationMs = 94;
  sim::Mk2ScriptStream stream({v, h, v2}, 47, 47);
  EXPECT_EQ(stream.DurationMs(), 294.0);
  const std::vector<Chunk> chunks = All(stream);
  std::vector<std::string> seen;
  for (const Chunk& c : chunks) {
    char text[32];
    if (c.kind == ChunkKind::kLines) {
      snprintf(text, sizeof text, "L%u@%.0f", c.lines, c.atMs);
    } else {
      snprintf(text, sizeof text, "%c%02X@%.0f", c.bytes[1] == 6 ? 'V' : 'H', static_cast<unsigned char>(c.bytes[6]),
               c.atMs);
    }
    seen.push_back(text);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"V82@47", "V82@94", "L16@100", "H81@141", "H81@188", "L0@200",
                                            "V82@235", "V82@282"}));
  EXPECT_EQ(chunks[0].bytes, sim::Mk2Frame('T', 6, v.counts));
}

// On a virtual port the marker line changes at its tick, so a reader that reads the lines before
// each frame sees the marker with the frames of its segment.
TEST(Mk2Script, TheMarkerLineReachesAVirtualPortAtItsTick) {
  plat::test::UseTempRoot();
  plat::test::UseVirtualClock(50000, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9), plat::test::ClockMode::Auto);
  sim::Mk2Segment v, marked;
  v.durationMs = 100;
  marked.durationMs = 100;
  marked.marker = true;
  sim::Mk2ScriptStream stream({v, marked, v}, 47, 47);
  auto port = plat::test::AttachVirtualPort(1);
  const DWORD start = GetTickCount();
  sim::FeedVirtualPort(*port, stream, start);
  HANDLE h = CreateFileW(L"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS t{65535, 1000, 1000, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(h, &t));
  survey::Rz27Mk2Framer framer;
  std::vector<DWORD> linesAtFrames;
  DWORD lines = 0;
  for (;;) {
    GetCommModemStatus(h, &lines);
    unsigned char b = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, &b, 1, &got, nullptr));
    if (got == 0) break;
    if (framer.Push(b) == FrameStep::kAccepted) linesAtFrames.push_back(lines);
  }
  CloseHandle(h);
  EXPECT_EQ(linesAtFrames, (std::vector<DWORD>{0, 0, MS_CTS_ON, MS_CTS_ON, 0, 0}));
  plat::test::Reset();
}

// ---- Timing on the virtual clock -------------------------------------------------------------

class VirtualTiming : public ::testing::TestWithParam<ModelCase> {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(50000, plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9),
                                plat::test::ClockMode::Auto);
  }
  void TearDown() override { plat::test::Reset(); }
};

// The test thread reads the port one byte at a time with the instrument port's time-outs, as the
// readers do, and notes the tick of each frame it finds.
TEST_P(VirtualTiming, FramesArriveAtTheirExactPeriod) {
  const ModelCase& c = GetParam();
  sim::InstrumentOptions o = Options(c.model, c.shortFrames);
  o.count = 12;
  o.garbageRate = 0.5;
  o.partialRate = 0.5;
  sim::InstrumentStream stream(o);
  auto port = plat::test::AttachVirtualPort(1);
  const DWORD start = GetTickCount() + 10;
  std::vector<Chunk> fed;
  sim::FeedVirtualPort(*port, stream, start, &fed);

  HANDLE h = CreateFileW(L"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS t{65535, 1000, 1000, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(h, &t));
  const sim::Family family = sim::FindModel(c.model)->family;
  survey::MeterFramer meter(sim::KeptLength(o));
  survey::Zol12Framer zol;
  survey::Rz27Mk2Framer mk2;
  std::vector<DWORD> ticks;
  while (ticks.size() < 12) {
    unsigned char b = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, &b, 1, &got, nullptr));
    if (got == 0) break;
    const FrameStep s = family == sim::Family::kMeter   ? meter.Push(b)
                        : family == sim::Family::kZol12 ? zol.Push(b)
                                                        : mk2.Push(b);
    if (s == FrameStep::kAccepted) ticks.push_back(GetTickCount());
    if (s == FrameStep::kRejected && family == sim::Family::kZol12) PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR);
  }
  CloseHandle(h);
  ASSERT_EQ(ticks.size(), 12u);
  for (size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_EQ(ticks[i], start + static_cast<DWORD>(std::llround(c.periodMs * static_cast<double>(i)))) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, VirtualTiming,
                         ::testing::Values(ModelCase{"RZ12", 0, false, 91.0, ""},
                                           ModelCase{"RZ27Short", 3, true, 72.0, ""},
                                           ModelCase{"RZ45", 4, false, 91.0, ""},
                                           ModelCase{"ZOL12", 6, false, 1000.0, ""},
                                           ModelCase{"RZ27MK2", 7, false, 47.0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- NMEA ------------------------------------------------------------------------------------

struct Line {
  std::string text;
  int verdict;
};

// The lines a GPS reader cuts from the chunks, with their verdicts.
std::vector<Line> Lines(const std::vector<Chunk>& chunks) {
  survey::NmeaLineAssembler a;
  std::vector<Line> lines;
  for (const Chunk& c : chunks) {
    for (char ch : c.bytes) {
      if (a.Push(static_cast<unsigned char>(ch), 0)) {
        lines.push_back({a.Line(), survey::NmeaChecksumVerdict(a.Line(), static_cast<size_t>(a.Length()))});
      }
    }
  }
  return lines;
}

TEST(GpsSim, SynthesisedSentences) {
  sim::GpsOptions o;
  o.count = 4;
  o.rateHz = 5;
  sim::NmeaStream stream(o);
  const std::vector<Chunk> chunks = All(stream);
  ASSERT_EQ(chunks.size(), 12u);
  EXPECT_EQ(chunks[0].bytes, "$GPGGA,101530.00,5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,*43\r\n");
  EXPECT_EQ(chunks[1].bytes.rfind("$GPGSA,", 0), 0u);
  EXPECT_EQ(chunks[2].bytes.rfind("$GPRMC,101530.00,A,", 0), 0u);
  EXPECT_EQ(chunks[3].bytes.rfind("$GPGGA,101530.20,", 0), 0u);
  EXPECT_DOUBLE_EQ(chunks[3].atMs, 200.0);
  const std::vector<Line> lines = Lines(chunks);
  ASSERT_EQ(lines.size(), 12u);
  for (const Line& l : lines) EXPECT_EQ(l.verdict, 1) << l.text;
}

struct GpsCase {
  const char* name;
  void (*set)(sim::GpsOptions&);
  int lines;
  int good;
};

void PrintTo(const GpsCase& c, std::ostream* os) { *os << c.name; }

class GpsTable : public ::testing::TestWithParam<GpsCase> {};

TEST_P(GpsTable, LinesAndVerdicts) {
  sim::GpsOptions o;
  o.count = 20;
  o.seed = 5;
  GetParam().set(o);
  sim::NmeaStream stream(o);
  const std::vector<Line> lines = Lines(All(stream));
  int good = 0;
  for (const Line& l : lines) good += l.verdict;
  EXPECT_EQ(static_cast<int>(lines.size()), GetParam().lines);
  EXPECT_EQ(good, GetParam().good);
}

INSTANTIATE_TEST_SUITE_P(
    Options, GpsTable,
    ::testing::Values(GpsCase{"AllGood", [](sim::GpsOptions&) {}, 60, 60},
                      GpsCase{"AllSpoilt", [](sim::GpsOptions& o) { o.badChecksumRate = 1; }, 60, 0},
                      GpsCase{"LfOnlyIsBad", [](sim::GpsOptions& o) { o.lfOnly = true; }, 60, 0},
                      // Garbage holds no '$' or LF: the next '$' drops it.
                      GpsCase{"GarbageDropped", [](sim::GpsOptions& o) { o.garbageRate = 1; }, 60, 60},
                      // Cycles 5 to 9 (5 s to 9.999 s) fall silent.
                      GpsCase{"Silence",
                              [](sim::GpsOptions& o) {
                                o.silenceAtMs = 5000;
                                o.silenceMs = 5000;
                              },
                              45, 45}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GpsSim, SpoiltShareFollowsTheRate) {
  sim::GpsOptions o;
  o.count = 400;
  o.badChecksumRate = 0.25;
  sim::NmeaStream stream(o);
  int bad = 0;
  for (const Line& l : Lines(All(stream))) bad += 1 - l.verdict;
  EXPECT_GT(bad, 200);
  EXPECT_LT(bad, 400);
}

TEST(GpsSim, ReplaysFileLinesInCycles) {
  const std::string file =
      "$GPGGA,1*00\r\n$GPGSA,1*00\r\n$GPRMC,1*00\r\n"
      "$GPGGA,2*00\r\n$GPRMC,2*00";  // the last line without its end
  sim::GpsOptions o;
  o.rateHz = 2;
  sim::NmeaReplay once(file, o);
  std::vector<Chunk> chunks = All(once);
  ASSERT_EQ(chunks.size(), 5u);
  EXPECT_EQ(chunks[2].bytes, "$GPRMC,1*00\r\n");
  EXPECT_EQ(chunks[4].bytes, "$GPRMC,2*00");
  EXPECT_DOUBLE_EQ(chunks[2].atMs, 0.0);
  EXPECT_DOUBLE_EQ(chunks[3].atMs, 500.0);

  o.count = 5;  // round the file: cycles 0 to 4
  sim::NmeaReplay looped(file, o);
  chunks = All(looped);
  ASSERT_EQ(chunks.size(), 13u);
  EXPECT_EQ(chunks[5].bytes, "$GPGGA,1*00\r\n");
  EXPECT_EQ(chunks[5].index, 2);
  EXPECT_DOUBLE_EQ(chunks.back().atMs, 2000.0);
}

}  // namespace
