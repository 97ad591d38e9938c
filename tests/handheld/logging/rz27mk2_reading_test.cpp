// The RZ27-MK2 reading handler: the record flag, the series, the record bytes and the texts as
// tables, and readings through the reader on a virtual port: the wire frame shown and recorded,
// the RZ27-MK2-1 and the diagnostic build, and a Manual-mode average started by the marker line.
// test-labels: threads
#include "logging/rz27mk2_reading.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <memory>
#include <string>
#include <vector>

#include "logging/screen.h"
#include "logging_fixture.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using test::LoggingFixture;
using test::LoggingSetup;

// ---- Pure rules --------------------------------------------------------------------------------

TEST(Mk2RecordFlag, Table) {
  struct Case {
    char marker;
    int32_t mode, flag, expected;
  } cases[] = {
      {'N', 0, 0, 1}, {'N', 1, -1, 1}, {'N', 2, 1, 0},  {'N', 2, -1, 0},  // released
      {'M', 0, 1, 1}, {'M', 1, -1, 1}, {'M', 2, 0, 1},  {'M', 2, 1, -1},  // pressed
      {'M', 2, -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextMk2RecordFlag(c.marker, c.mode, c.flag), c.expected) << c.marker << " mode " << c.mode << " flag " << c.flag;
  }
}

// Five samples: the values' means in single precision, the counts' means truncated, the first
// frame's two bytes kept, and the series cleared for the next press.
TEST(Mk2Series, TheFifthSampleGivesTheMeans) {
  SurveyRunData run;
  Mk2Reading r;
  for (int i = 0; i < 5; ++i) {
    r = Mk2Reading{};
    r.values[kCond1m] = 10.0f + static_cast<float>(i);
    r.values[kInph05m] = -1.0f;
    r.raw[2] = 0x8100 + 2 * i;  // conductivity 0.5 m
    r.raw[4] = 0xFFFF;          // temperature 1 at its top: the sum needs more than 16 bits
    r.raw[5] = i == 4 ? 1 : 0;  // a mean of 0.2 truncates to 0
    const unsigned char frame[2] = {static_cast<unsigned char>('T' + i), static_cast<unsigned char>(22 - i)};
    const bool complete = AddMk2Sample(run, r, frame, 5);
    EXPECT_EQ(complete, i == 4) << i;
  }
  EXPECT_FLOAT_EQ(r.values[kCond1m], 12.0f);
  EXPECT_FLOAT_EQ(r.values[kInph05m], -1.0f);
  EXPECT_EQ(r.raw[2], 0x8104);
  EXPECT_EQ(r.raw[4], 0xFFFF);
  EXPECT_EQ(r.raw[5], 0);
  EXPECT_EQ(run.mk2FirstBytes[0], 'T');
  EXPECT_EQ(run.mk2FirstBytes[1], 22);
  EXPECT_EQ(run.mk2SampleCount, 0);
  for (float v : run.mk2ValueSum) EXPECT_EQ(v, 0.0f);
  for (uint32_t v : run.mk2CountSum) EXPECT_EQ(v, 0u);
  const unsigned char frame[2] = {'T', 6};
  EXPECT_TRUE(AddMk2Sample(run, r, frame, 0)) << "fewer than one sample counts as one";
}

TEST(Mk2Record, Table) {
  const unsigned char wire[14] = {'T', 6, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00};
  Mk2Reading means;
  const int32_t raw[6] = {0x8306, 0x8201, 0x8104, 0x8003, 0x00FB, 0x0102};
  for (int k = 0; k < 6; ++k) means.raw[k] = raw[k];
  const unsigned char first[2] = {'T', 22};
  struct Case {
    const char* name;
    const unsigned char* firstBytes;
    int32_t atStation;
    std::vector<int> bytes;
  } cases[] = {
      {"as received", nullptr, 1, {'T', 6, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00}},
      {"second at the station", nullptr, 2, {'2', 6, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00}},
      {"third not tagged", nullptr, 3, {'T', 6, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00}},
      {"after a series", first, 1, {'T', 22, 0x81, 0x04, 0x80, 0x03, 0x83, 0x06, 0x82, 0x01, 0x00, 0xFB, 0x01, 0x02}},
      {"series, second", first, 2, {'2', 22, 0x81, 0x04, 0x80, 0x03, 0x83, 0x06, 0x82, 0x01, 0x00, 0xFB, 0x01, 0x02}},
  };
  for (const Case& c : cases) {
    unsigned char out[15];
    out[14] = '#';
    BuildMk2Record(wire, c.firstBytes, means, c.atStation, out);
    EXPECT_EQ(std::vector<int>(out, out + 14), c.bytes) << c.name;
    EXPECT_EQ(out[14], '#') << c.name;
  }
}

TEST(Mk2Texts, ByOrientationTypeAndBuild) {
  Mk2Reading r;
  r.values[kCond1m] = 20.0f;
  r.values[kInph1m] = -0.5f;
  r.values[kCond05m] = 12.25f;
  r.values[kInph05m] = 0.07f;
  r.temp1 = 30.5f;
  r.temp2 = -4.0f;
  struct Case {
    const char* name;
    char dipole;
    bool portrait;
    int32_t type;
    bool diagnostics;
    Mk2Texts t;
  } cases[] = {
      {"landscape", 'V', false, 2, false, {L"Ver", L"C:20.00   ", L"I:-0.50   ", L"c:12.25   ", L"i:0.07    ", L"", L""}},
      {"portrait", 'H', true, 2, false,
       {L"Hor", L"C:20.00   mS/m", L"I:-0.50   ppt", L"c:12.25   mS/m", L"i:0.07    ppt", L"", L""}},
      {"MK2-1", 'V', false, 1, false, {L"Ver", L"C:20.00   ", L"I:-0.50   ", L"", L"", L"", L""}},
      {"diagnostics", 'V', false, 1, true, {L"Ver", L"C:20.00   ", L"I:-0.50   ", L"", L"", L"T:30.50   ", L"t:-4.00   "}},
  };
  for (const Case& c : cases) {
    r.dipole = c.dipole;
    const Mk2Texts t = Mk2DisplayTexts(r, c.portrait, c.type, c.diagnostics);
    EXPECT_EQ(t.dipole, c.t.dipole) << c.name;
    EXPECT_EQ(t.value1, c.t.value1) << c.name;
    EXPECT_EQ(t.value2, c.t.value2) << c.name;
    EXPECT_EQ(t.range, c.t.range) << c.name;
    EXPECT_EQ(t.value4, c.t.value4) << c.name;
    EXPECT_EQ(t.temp1, c.t.temp1) << c.name;
    EXPECT_EQ(t.temp2, c.t.temp2) << c.name;
  }
}

// ---- Readings on a virtual port -----------------------------------------------------------------

const std::string kWireFrame("\x54\x06\x81\x00\x81\x00\x82\x00\x82\x00\x00\xFA\x01\x00\xFF\xFF", 16);

class Mk2OnPort : public LoggingFixture {
 protected:
  void Start(int32_t surveyMode = 0, int32_t mk2Type = 2, int32_t diagnostics = 0) {
    LoggingSetup s;
    s.model = kModelRz27Mk2;
    s.diagnostics = diagnostics;
    SetUpLogging(s);
    SurveySettings.surveyMode = SurveySettings.surveyModeChoice = surveyMode;
    SurveySettings.samplesPerReading = 5;
    SurveySettings.mk2Type = mk2Type;
    SurveySettings.stationIncrement = 2.5f;
    SurveySettings.instrumentPort = 0;
    SurveySettings.markerPort = 1;  // the marker switch on the instrument's own port, COM1
    SurveyRun.averaging = surveyMode == 2 ? 1 : 0;
    SelectTraces();
    LinkState.sampleDivisor = 1;  // every frame a reading, in Auto too
    StartReaderRun(Rz27Mk2ReaderThread);
    plat::test::EnableDrawLog(true);
  }
  void StartLogging() {
    ASSERT_TRUE(CreateFile(L"\\Storage\\MK2.R27"));
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }

  size_t Readings() const {
    size_t n = 0;
    for (const auto& s : plat::test::Sends()) n += s.hwnd == logging_ && s.msg == WM_RZ27MK2_READING ? 1 : 0;
    return n;
  }
  // Plays the stream through the reader; returns the ticks of the frames announced.
  std::vector<DWORD> Play(sim::Stream& stream) {
    std::vector<sim::Chunk> fed;
    const DWORD start = GetTickCount() + 20;
    sim::FeedVirtualPort(*port_, stream, start, &fed);
    std::vector<DWORD> ticks;
    for (const sim::Chunk& c : fed) {
      if (c.kind != sim::ChunkKind::kFrame) continue;
      const size_t before = Readings();
      PumpFor(sim::ArrivalTick(start, c) + 20 - GetTickCount());
      if (Readings() > before) ticks.push_back(LinkState.lastFrameTick.load());
    }
    return ticks;
  }
  std::vector<DWORD> PlayBytes(const std::string& frame) {
    struct One : sim::Stream {
      std::string bytes;
      bool done = false;
      bool Next(sim::Chunk* c) override {
        if (done) return false;
        done = true;
        c->bytes = bytes;
        return true;
      }
    } one;
    one.bytes = frame;
    return Play(one);
  }

  std::vector<std::string> Records() {
    SurveyRun.dataFile.Flush();
    const std::string file = FileOnDisk("Storage/MK2.R27");
    std::vector<std::string> out;
    for (size_t i = 0; i + 26 <= file.size(); i += 26) {
      if (file[i] == 'T' || file[i] == '2') out.push_back(file.substr(i, 26));
    }
    return out;
  }
  static std::string Record(const std::string& bytes14, DWORD tick) {
    char tail[16];
    snprintf(tail, sizeof tail, " %10u\n", static_cast<unsigned>(tick));
    return bytes14 + tail;
  }
};

TEST_F(Mk2OnPort, TheWireFrameIsShownAndRecorded) {
  Start();
  ASSERT_EQ(PlayBytes(kWireFrame).size(), 1u);
  EXPECT_TRUE(Drawn(L"C:20.00   "));
  EXPECT_TRUE(Drawn(L"Ver"));
  EXPECT_TRUE(Drawn(L"Mode:V"));
  StartLogging();
  const std::vector<DWORD> ticks = PlayBytes(kWireFrame);
  ASSERT_EQ(ticks.size(), 1u);
  const std::vector<std::string> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], Record(kWireFrame.substr(0, 14), ticks[0]));
  EXPECT_EQ(records[0].size(), 26u);
}

// The RZ27-MK2-1 leaves the 0.5 m fields erased and empty; only the diagnostic build shows the
// temperatures.
TEST_F(Mk2OnPort, TheSingleCoilModelAndTheDiagnosticBuild) {
  for (int32_t diagnostics : {0, 1}) {
    SCOPED_TRACE(diagnostics);
    Start(0, 1, diagnostics);
    ASSERT_EQ(PlayBytes(kWireFrame).size(), 1u);
    bool erased05 = false;
    for (const auto& e : plat::test::DrawLog()) {
      erased05 |= e.op == plat::test::DrawOp::FillRect && e.window == logging_ &&
                  e.rect.left == LoggingLayout.value4Rect.left && e.rect.top == LoggingLayout.value4Rect.top;
    }
    EXPECT_TRUE(erased05);
    for (const auto& e : DrawnTexts()) {
      EXPECT_NE(e.text.substr(0, 2), L"c:");
      EXPECT_NE(e.text.substr(0, 2), L"i:");
      if (diagnostics == 0) {
        EXPECT_NE(e.text.substr(0, 2), L"T:");
      }
    }
    EXPECT_EQ(Drawn(L"T:30.44   "), diagnostics == 1);  // 0x00FA / 3.108 - 50
    TearDown();
  }
}

// Manual with 5 samples: one press of the marker (CTS) starts a series; the next four frames are
// summed whatever the marker does; one record with the first frame's bytes 0-1 and the mean
// counts; the station moves on once. The reader reads the marker line after each frame, for the
// next one: the line held through frame 0 marks frame 1.
TEST_F(Mk2OnPort, OneMarkerPressInManualWritesOneAveragedRecord) {
  Start(2);
  StartLogging();
  const double station = SurveyRun.station;
  SurveyRun.stationHasReading = 1;
  std::vector<sim::Mk2Segment> segments;
  for (int i = 0; i < 8; ++i) {
    sim::Mk2Segment s;
    s.durationMs = 47;
    s.counts[0] = static_cast<uint16_t>(0x8100 + 2 * (i - 1));  // conductivity 0.5 m: 0x8100 in frame 1
    s.marker = i == 0;
    segments.push_back(s);
  }
  sim::Mk2ScriptStream stream(segments, 47, 0);
  const std::vector<DWORD> ticks = Play(stream);
  ASSERT_EQ(ticks.size(), 8u);
  const std::vector<std::string> records = Records();
  ASSERT_EQ(records.size(), 1u);
  const std::string& r = records[0];
  EXPECT_EQ(r[0], 'T');
  EXPECT_EQ(static_cast<unsigned char>(r[1]), 6 + 16) << "the first frame's status, marker added by the reader";
  EXPECT_EQ(static_cast<unsigned char>(r[2]), 0x81);
  EXPECT_EQ(static_cast<unsigned char>(r[3]), 0x04);
  EXPECT_EQ(r.substr(4, 10), kWireFrame.substr(4, 10));
  EXPECT_EQ(r.substr(14), Record("", ticks[5]));
  EXPECT_DOUBLE_EQ(SurveyRun.station, station + 2.5);
  EXPECT_EQ(SurveySettings.surveyMode, 2);
  for (const wchar_t* counter : {L"Sample 1   of 5  ", L"Sample 4   of 5  "}) EXPECT_TRUE(Drawn(counter)) << counter;
}

// A pause or an end of the run in the middle of a series drops it and gives the mode back.
TEST_F(Mk2OnPort, APauseOrAnEndDropsASeriesInProgress) {
  for (bool pause : {true, false}) {
    SCOPED_TRACE(pause ? "pause" : "end");
    Start(2);
    StartLogging();
    sim::Mk2Segment pressed;
    pressed.durationMs = 141;
    pressed.marker = true;
    sim::Mk2ScriptStream stream({pressed}, 47, 0);
    ASSERT_EQ(Play(stream).size(), 3u);
    ASSERT_EQ(SurveyRun.mk2SampleCount, 2);
    ASSERT_EQ(SurveySettings.surveyMode, 0);
    if (pause) {
      Press(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, 0)]);
      ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
    } else {
      StopLogging(1);
    }
    EXPECT_EQ(SurveyRun.mk2SampleCount, 0);
    EXPECT_EQ(SurveyRun.mk2CountSum[0], 0u);
    EXPECT_EQ(SurveySettings.surveyMode, 2);
    TearDown();
  }
}

}  // namespace
}  // namespace handheld
