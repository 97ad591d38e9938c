// End to end on a pseudo-terminal, on the real clock: gps-sim plays the GPS receiver on COM4 at
// 4800 baud 7E2 while a run logs, and the UI thread writes event records into the same file.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <termios.h>
#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "common/nmea.h"
#include "desktop_test_support.h"
#include "engine/gps_reader.h"
#include "engine/messages.h"
#include "engine/ports.h"
#include "engine/records.h"
#include "engine/state.h"
#include "link_windows.h"
#include "sim/gps.h"

namespace desktop {
namespace {

class GpsE2e : public ::testing::TestWithParam<int32_t> {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }
};

// Every sentence lands as whole pieces with the tags of its verdict, each sentence followed by its
// '!' record, and no event record comes between them; every sentence is announced once, in order.
TEST_P(GpsE2e, LoggingGivesWholePiecesEachFollowedByItsTickBesideUiThreadEvents) {
  test::UseBuild(GetParam());
  const size_t length = static_cast<size_t>(RecordLength());
  SurveySettings.gpsPort = 3;  // COM4
  SurveySettings.gpsBaudIndex = 0;
  SurveySettings.gpsDataBitsIndex = 0;
  SurveySettings.gpsParityIndex = 1;
  SurveySettings.gpsStopBitsIndex = 1;
  sim::GpsOptions o;
  o.rateHz = 2;
  o.count = 6;
  o.badChecksumRate = 0.3;
  o.garbageRate = 0.5;
  o.seed = 2;
  test_support::Child sim({GPS_SIM_PATH, "--com", "4", "--devdir", plat::DeviceDir(), "--rate", "2", "--count", "6",
                           "--bad-checksums", "0.3", "--garbage", "0.5", "--seed", "2", "--paced", "--baud", "4800",
                           "--bits", "11"});
  const std::string link = sim.Line();
  ASSERT_EQ(link.rfind("COM4 -> /dev/pts/", 0), 0u) << link;

  test::LinkWindows windows;
  ASSERT_TRUE(SurveyRun.dataFile.Create("\\GPS.R12"));
  SurveyRun.state = kRunLogging;
  ASSERT_EQ(OpenGpsPort(), 1);  // the simulator starts streaming now
  termios t{};
  ASSERT_TRUE(plat::test::LastAppliedTermios(4, &t));
  EXPECT_EQ(cfgetispeed(&t), speed_t{B4800});
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), tcflag_t{CS7 | PARENB | CSTOPB});

  // The sentences the simulator sends, without their CR LF.
  std::vector<std::string> sent;
  int bad = 0, garbage = 0;
  sim::NmeaStream stream(o);
  for (sim::Chunk c; stream.Next(&c);) {
    if (c.bytes[0] != '$') {
      ++garbage;
      continue;
    }
    sent.push_back(c.bytes.substr(0, c.bytes.size() - 2));
    bad += 1 - survey::NmeaChecksumVerdict(sent.back().c_str(), sent.back().size());
  }
  ASSERT_EQ(sent.size(), 18u);
  EXPECT_GT(bad, 0);
  EXPECT_GT(garbage, 0);

  int events = 0;
  windows.timerMs = 13;
  windows.onTimer = [&] {
    if (WriteEventRecord("$TEST", 'X')) ++events;
  };
  HANDLE reader = test::StartThread(GpsReaderThread);
  EXPECT_TRUE(windows.PumpUntil([&] { return windows.announced().size() >= sent.size(); }, 15000));
  windows.onTimer = nullptr;
  EXPECT_EQ(sim.Wait(), 0);
  windows.PumpFor(100);
  test::ClosePortField(LinkState.gpsPort);
  EXPECT_TRUE(test::JoinThread(reader));

  ASSERT_EQ(windows.announced().size(), sent.size());
  for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(windows.announced()[i].bytes, sent[i]) << i;
  EXPECT_GT(events, 100);

  SurveyRun.dataFile.Flush();
  const std::string file = test::RootFileBytes("GPS.R12");
  ASSERT_EQ(file.size() % length, 0u);
  size_t next = 0;
  std::string text;
  char first = 0;
  int seenEvents = 0;
  for (size_t at = 0; at < file.size(); at += length) {
    const std::string rec = file.substr(at, length);
    ASSERT_EQ(rec.back(), '\n') << at;
    if (rec[0] == 'X') {
      ASSERT_TRUE(text.empty()) << "an event inside sentence " << next;
      ++seenEvents;
    } else if (rec[0] != '!') {
      if (text.empty()) {
        first = rec[0];
        ASSERT_TRUE(first == '@' || first == '?') << at;
      } else {
        ASSERT_EQ(rec[0], survey::GpsNextTag(first == '@')) << at;
      }
      text += rec.substr(1, length - 2);
    } else {
      ASSERT_LT(next, sent.size());
      const std::string& s = sent[next];
      EXPECT_EQ(text.substr(0, s.size()), s) << next;
      EXPECT_EQ(text.find_first_not_of(' ', s.size()), std::string::npos) << next;  // blank-padded
      EXPECT_EQ(first, survey::GpsFirstTag(survey::NmeaChecksumVerdict(s.c_str(), s.size()))) << next;
      EXPECT_EQ(std::stoul(rec.substr(length - 11, 10)), windows.announced()[next].sentenceTick) << next;
      text.clear();
      ++next;
    }
  }
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(next, sent.size());
  EXPECT_EQ(seenEvents, events);
}

INSTANTIATE_TEST_SUITE_P(RecordLengths, GpsE2e, ::testing::Values(kModelRz12, kModelRz27Mk2),
                         [](const auto& info) { return info.param == kModelRz12 ? "L24" : "L26"; });

}  // namespace
}  // namespace desktop
