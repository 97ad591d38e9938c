#include "common/framers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace survey {
namespace {

// A 12-byte meter frame: 'T', status 0x74, " -200", "00500".
const std::string kMeterFrame = std::string("T\x74") + " -200" + "00500";
const std::string kMeterWire = kMeterFrame + "\r";

// What a framer said about a stream: the steps other than kMore, with the 0-based number of the
// byte that caused them, and the kept bytes of each accepted frame.
struct Event {
  long at;
  FrameStep step;
  std::string frame;
  bool operator==(const Event& o) const { return at == o.at && step == o.step && frame == o.frame; }
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
  return os << "{" << e.at << ", " << static_cast<int>(e.step) << ", \"" << e.frame << "\"}";
}

template <class Framer>
std::vector<Event> PushAll(Framer& f, const std::string& bytes) {
  std::vector<Event> events;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const FrameStep s = f.Push(static_cast<unsigned char>(bytes[i]));
    if (s == FrameStep::kMore) continue;
    std::string frame;
    if (s == FrameStep::kAccepted) frame.assign(reinterpret_cast<const char*>(f.Frame()), f.FrameLength());
    events.push_back({static_cast<long>(i), s, frame});
  }
  return events;
}

// ---- Meter framer ----------------------------------------------------------------------------

struct MeterCase {
  const char* name;
  int frameLength;
  std::string bytes;
  std::vector<Event> events;
};
void PrintTo(const MeterCase& c, std::ostream* os) { *os << c.name; }

class MeterFramerTable : public ::testing::TestWithParam<MeterCase> {};

TEST_P(MeterFramerTable, FindsFramesAsTheRuleSays) {
  const MeterCase& c = GetParam();
  MeterFramer f(c.frameLength);
  EXPECT_EQ(PushAll(f, c.bytes), c.events);
}

const std::string kTail = "00500\r";                    // CR at byte 5: fewer than 12 before it
const std::string kNoT = kMeterWire.substr(1);          // the 'T' lost: CR at byte 17
const std::string k200 = std::string(200, '5');

INSTANTIATE_TEST_SUITE_P(
    Streams, MeterFramerTable,
    ::testing::Values(
        MeterCase{"OneFrame", 12, kMeterWire, {{12, FrameStep::kAccepted, kMeterFrame}}},
        MeterCase{"OldSevenByteFrame", 7, "T\x74 -200\r", {{7, FrameStep::kAccepted, "T\x74 -200"}}},
        // Starts mid-frame: the short CR is ignored, the candidate 12 back from the next CR starts
        // with that CR and is rejected, and the following frame is accepted with no reset between.
        MeterCase{"StartsMidFrame",
                  12,
                  kTail + kNoT + kMeterWire,
                  {{17, FrameStep::kRejected, ""}, {30, FrameStep::kAccepted, kMeterFrame}}},
        // A rejected candidate leaves the buffer; the next CR is tested 12 back again.
        MeterCase{"RejectedKeepsSearching",
                  12,
                  "xxxxxxxxxxxx\r" + kMeterWire,
                  {{12, FrameStep::kRejected, ""}, {25, FrameStep::kAccepted, kMeterFrame}}},
        // The 182nd byte empties the buffer; collection restarts with the 183rd.
        MeterCase{"OverflowAtThe182ndByte", 12, k200, {{181, FrameStep::kOverflow, ""}}},
        MeterCase{"FrameRightAfterOverflow",
                  12,
                  std::string(181, '5') + "x" + kMeterWire,
                  {{181, FrameStep::kOverflow, ""}, {194, FrameStep::kAccepted, kMeterFrame}}},
        // A frame whose CR lands at position 180, the last one the buffer has.
        MeterCase{"FrameEndingAtTheLastPosition",
                  12,
                  std::string(168, '5') + kMeterWire,
                  {{180, FrameStep::kAccepted, kMeterFrame}}},
        MeterCase{"LengthOutOfRangeFramesTwelve", 99, kMeterWire, {{12, FrameStep::kAccepted, kMeterFrame}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeterFramer, AcceptedFrameEmptiesTheBufferAndEndsInNul) {
  MeterFramer f;
  PushAll(f, "garbage" + kMeterWire);
  EXPECT_EQ(f.Index(), -1);
  EXPECT_EQ(f.Frame()[12], 0);  // the CR's place
}

TEST(MeterFramer, TwoHundredBytesLeaveEighteen) {
  MeterFramer f;
  PushAll(f, k200);
  EXPECT_EQ(f.Index(), 17);  // bytes 183 to 200 at positions 0 to 17
}

// ---- The N-th-frame rule ---------------------------------------------------------------------

// A meter reader's counting: every accepted and rejected frame counts, only accepted ones send.
struct CycleCase {
  const char* name;
  int framesPerReading;
  int startCount;
  std::vector<std::string> frames;  // each as it comes on the wire
  std::vector<int> sentAfter;       // 0-based numbers of the frames that send
  int countAfter;
};
void PrintTo(const CycleCase& c, std::ostream* os) { *os << c.name; }

class NthFrameTable : public ::testing::TestWithParam<CycleCase> {};

TEST_P(NthFrameTable, SendsAtTheEndOfEachCycle) {
  const CycleCase& c = GetParam();
  std::atomic<int32_t> frameCount{c.startCount};
  MeterFramer f;
  std::vector<int> sent;
  for (size_t k = 0; k < c.frames.size(); ++k) {
    for (char ch : c.frames[k]) {
      const FrameStep s = f.Push(static_cast<unsigned char>(ch));
      if (s == FrameStep::kRejected) {
        CountFrame(frameCount);
        CycleComplete(frameCount, c.framesPerReading);
      } else if (s == FrameStep::kAccepted) {
        CountFrame(frameCount);
        if (CycleComplete(frameCount, c.framesPerReading)) sent.push_back(static_cast<int>(k));
      }
    }
  }
  EXPECT_EQ(sent, c.sentAfter);
  EXPECT_EQ(frameCount.load(), c.countAfter);
}

const std::string kBad = "x" + kMeterWire.substr(1);  // a rejected frame

INSTANTIATE_TEST_SUITE_P(
    Cycles, NthFrameTable,
    ::testing::Values(
        // The rejected frame takes the second place of the cycle.
        CycleCase{"GoodRejectedGoodGood", 3, 0, {kMeterWire, kBad, kMeterWire, kMeterWire}, {2}, 1},
        CycleCase{"EveryFrameWithOne", 1, 0, {kMeterWire, kBad, kMeterWire}, {0, 2}, 0},
        // A count already past the cycle (framesPerReading lowered without a reset) still ends it.
        CycleCase{"CountPastTheCycle", 3, 5, {kMeterWire, kMeterWire}, {0}, 1},
        CycleCase{"RejectedPastTheCycleResets", 2, 4, {kBad, kMeterWire, kMeterWire}, {2}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- ZOL12 framer ----------------------------------------------------------------------------

// Bytes to push; '~' stands for a read that returned nothing.
struct ZolCase {
  const char* name;
  std::string input;
  std::vector<Event> events;
};
void PrintTo(const ZolCase& c, std::ostream* os) { *os << c.name; }

class Zol12FramerTable : public ::testing::TestWithParam<ZolCase> {};

TEST_P(Zol12FramerTable, TestsEachByteAsItComes) {
  const ZolCase& c = GetParam();
  Zol12Framer f;
  std::vector<Event> events;
  for (size_t i = 0; i < c.input.size(); ++i) {
    const FrameStep s = c.input[i] == '~' ? f.Missing() : f.Push(static_cast<unsigned char>(c.input[i]));
    if (s == FrameStep::kMore) continue;
    std::string frame;
    if (s == FrameStep::kAccepted) frame.assign(reinterpret_cast<const char*>(f.Frame()), f.FrameLength());
    events.push_back({static_cast<long>(i), s, frame});
  }
  EXPECT_EQ(events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Zol12FramerTable,
    ::testing::Values(
        ZolCase{"Whole", "T123I456", {{7, FrameStep::kAccepted, "T123I456"}}},
        ZolCase{"RejectedAtTheX", "T123I45X", {{7, FrameStep::kRejected, ""}}},
        ZolCase{"NotAT", "5", {{0, FrameStep::kRejected, ""}}},
        ZolCase{"NoIInPlace", "T1234", {{4, FrameStep::kRejected, ""}}},
        ZolCase{"IWhereADigitBelongs", "T12I", {{3, FrameStep::kRejected, ""}}},
        ZolCase{"MissingByteRejects", "T12~", {{3, FrameStep::kRejected, ""}}},
        ZolCase{"NothingAtTheStartIsIdle", "~", {{0, FrameStep::kIdle, ""}}},
        ZolCase{"BackToBack",
                "T123I456T000I999",
                {{7, FrameStep::kAccepted, "T123I456"}, {15, FrameStep::kAccepted, "T000I999"}}},
        ZolCase{"AfterARejection", "TX~T123I045",
                {{1, FrameStep::kRejected, ""}, {2, FrameStep::kIdle, ""}, {10, FrameStep::kAccepted, "T123I045"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- RZ27-MK2 framer -------------------------------------------------------------------------

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

const std::string kMk2Kept =
    Bytes({0x54, 0x06, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00});
const std::string kMk2Wire = kMk2Kept + Bytes({0xFF, 0xFF});
// The same frame with a count of 0x81FF: a single 0xFF inside it.
const std::string kMk2FfKept =
    Bytes({0x74, 0x02, 0x81, 0xFF, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00});

struct Mk2Case {
  const char* name;
  std::string bytes;
  std::vector<Event> events;
};
void PrintTo(const Mk2Case& c, std::ostream* os) { *os << c.name; }

class Rz27Mk2FramerTable : public ::testing::TestWithParam<Mk2Case> {};

TEST_P(Rz27Mk2FramerTable, EndsFramesOnTwoFfWithTheirT) {
  Rz27Mk2Framer f;
  EXPECT_EQ(PushAll(f, GetParam().bytes), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Rz27Mk2FramerTable,
    ::testing::Values(
        Mk2Case{"OneFrame", kMk2Wire, {{15, FrameStep::kAccepted, kMk2Kept}}},
        // Behind 20 bytes the single 0xFF sits past position 14: it ends nothing.
        Mk2Case{"SingleFfInsideACount",
                std::string(20, 'a') + kMk2FfKept + Bytes({0xFF, 0xFF}),
                {{23, FrameStep::kNoFrame, ""}, {34, FrameStep::kNoFrame, ""}, {35, FrameStep::kAccepted, kMk2FfKept}}},
        // 0xFF 0xFF with no 'T' 15 back frames nothing and keeps the buffer.
        Mk2Case{"EndMarkWithoutT",
                std::string(20, 'a') + Bytes({0xFF, 0xFF}) + kMk2Wire,
                {{20, FrameStep::kNoFrame, ""},
                 {21, FrameStep::kNoFrame, ""},
                 {36, FrameStep::kNoFrame, ""},
                 {37, FrameStep::kAccepted, kMk2Kept}}},
        Mk2Case{"ShortRunOfFfEndsNothing", Bytes({0x54, 0xFF, 0xFF, 0xFF}), {}},
        Mk2Case{"OverflowAtThe182ndByte",
                std::string(181, 'a') + "a" + kMk2Wire,
                {{181, FrameStep::kOverflow, ""}, {197, FrameStep::kAccepted, kMk2Kept}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rz27Mk2Framer, MarkerBitsAddToTheStatusByte) {
  struct Case {
    int32_t hard, soft;
    unsigned char status, expected;
  } cases[] = {
      {0, 0, 6, 6}, {0x10, 0, 6, 22}, {0, 1, 2, 10}, {0x20, 1, 2, 26}, {-1, 0, 6, 6}, {1, 1, 250, 18},
  };
  for (const Case& c : cases) {
    unsigned char frame[14] = {'T', c.status};
    AddMarkerBits(frame, c.hard, c.soft);
    EXPECT_EQ(frame[1], c.expected) << c.hard << " " << c.soft << " " << int(c.status);
  }
}

// ---- The record-length probe -----------------------------------------------------------------

// A port on a fake clock: bytes arrive at given ticks; a one-byte read returns the next byte as
// soon as it is there, or nothing after 2000 ms.
class FakePort {
 public:
  explicit FakePort(uint32_t start) : now_(start) {}
  void At(uint32_t tick, const std::string& bytes, uint32_t spacingMs = 1) {
    for (char c : bytes) {
      arrivals_.push_back({tick, static_cast<unsigned char>(c)});
      tick += spacingMs;
    }
  }
  void FailAt(uint32_t tick) { failAt_ = tick; }
  int Read(unsigned char* b) {
    if (now_ >= failAt_) return -1;
    if (next_ < arrivals_.size() && arrivals_[next_].tick <= now_ + 2000) {
      if (arrivals_[next_].tick > now_) now_ = arrivals_[next_].tick;
      *b = arrivals_[next_++].byte;
      return 1;
    }
    now_ += 2000;
    return 0;
  }
  uint32_t Now() const { return now_; }

 private:
  struct Arrival {
    uint32_t tick;
    unsigned char byte;
  };
  std::vector<Arrival> arrivals_;
  size_t next_ = 0;
  uint32_t now_;
  uint32_t failAt_ = UINT32_MAX;
};

struct ProbeCase {
  const char* name;
  void (*stream)(FakePort&);  // arrivals after the start tick 1000
  int length;
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeTable : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTable, FindsTheRecordLength) {
  FakePort port(1000);
  GetParam().stream(port);
  const int length = RunRecordLengthProbe([&](unsigned char* b) { return port.Read(b); },
                                          [&] { return port.Now(); }, 1000);
  EXPECT_EQ(length, GetParam().length);
}

// Frames every `period` ms from `from`, the bytes 1 ms apart.
void Frames(FakePort& p, uint32_t from, uint32_t period, const std::string& frame, int n) {
  for (int i = 0; i < n; ++i) p.At(from + static_cast<uint32_t>(i) * period, frame);
}

const std::string kOld = "T\x74 -200\r";                   // 'T', 6 bytes, CR
const std::string kNew = kMeterWire;                       // 'T', 11 bytes, CR
const std::string kOldT = std::string("T\x54") + " -200\r";  // status 0x54 is a 'T'
const std::string kNewT = std::string("T\x54") + " -20000500\r";

INSTANTIATE_TEST_SUITE_P(
    Streams, ProbeTable,
    ::testing::Values(
        ProbeCase{"SevenByteFrames", [](FakePort& p) { Frames(p, 1010, 72, kOld, 20); }, 7},
        ProbeCase{"TwelveByteFrames", [](FakePort& p) { Frames(p, 1010, 91, kNew, 20); }, 12},
        ProbeCase{"StartsMidFrame",
                  [](FakePort& p) {
                    p.At(1010, "200\r");
                    Frames(p, 1040, 91, kNew, 20);
                  },
                  12},
        // The stream begins at a status byte of 0x54: its count is refused and the search goes on.
        ProbeCase{"StartsAtStatusTSeven",
                  [](FakePort& p) {
                    p.At(1010, kOldT.substr(1));
                    Frames(p, 1082, 72, kOldT, 20);
                  },
                  7},
        ProbeCase{"StartsAtStatusTTwelve",
                  [](FakePort& p) {
                    p.At(1010, kNewT.substr(1));
                    Frames(p, 1101, 91, kNewT, 20);
                  },
                  12},
        ProbeCase{"NoisyFrameFirst",
                  [](FakePort& p) {
                    p.At(1010, "T\x74 -20000\r");
                    Frames(p, 1101, 91, kNew, 20);
                  },
                  12},
        ProbeCase{"Silence", [](FakePort&) {}, 0},
        ProbeCase{"NoTWithin2000Ms", [](FakePort& p) { p.At(1010, std::string(3000, 'x')); }, 0},
        ProbeCase{"FramesAfter2000Ms", [](FakePort& p) { Frames(p, 3010, 91, kNew, 5); }, 0},
        // A count begun before the 2000 ms are up may finish after them.
        ProbeCase{"CountStartedInTime",
                  [](FakePort& p) {
                    p.At(1010, std::string(1980, 'x'));
                    p.At(2995, kNew, 2);
                  },
                  12},
        // 'T' and then no CR for 1000 ms: the search starts again and time runs out.
        ProbeCase{"NoCrWithin1000Ms",
                  [](FakePort& p) {
                    p.At(1010, "T");
                    p.At(1011, std::string(1200, '1'));
                  },
                  0},
        ProbeCase{"NoCrAtAll", [](FakePort& p) { Frames(p, 1010, 91, kNew.substr(0, 12), 30); }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordLengthProbe, AFailedReadEndsAtOnce) {
  FakePort port(1000);
  port.At(1010, "xT\x74");
  port.FailAt(1011);
  EXPECT_EQ(RunRecordLengthProbe([&](unsigned char* b) { return port.Read(b); }, [&] { return port.Now(); }, 1000), 0);
  EXPECT_EQ(port.Now(), 1011u);
}

TEST(RecordLengthProbe, CountsLongRunsWithoutOverflow) {
  RecordLengthProbe probe;
  probe.Push('T');
  for (int i = 0; i < 100000; ++i) probe.Push('1');
  EXPECT_EQ(probe.Push('\r'), RecordLengthProbe::Step::kSearching);
}

}  // namespace
}  // namespace survey
