// The RZ56 link end to end on a pseudo-terminal and the real clock: the simulated RZ56-MK2 on
// COM1, a test timer as the requester, the test handler converting and recording every reading,
// and the run's mode switches through the test helper's port steps.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <windows.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "desktop_test_support.h"
#include "engine/ports.h"
#include "engine/records.h"
#include "engine/rz56_convert.h"
#include "engine/rz56_link.h"
#include "engine/state.h"
#include "rz56_link_support.h"
#include "sim/rz56_pty.h"

namespace desktop {
namespace {

class Rz56PtyRun : public test::EngineTest {};

TEST_F(Rz56PtyRun, RequestsWheelAndRequestsIntoTheDataFile) {
  test::UseDesktopRoot("C:\\RZ56");
  test::UseBuild(kModelRz56Mk2);
  const int master = plat::test::CreatePtyPort(1);
  ASSERT_GE(master, 0);
  std::string capturePath = testing::TempDir() + "rz56_capture_XXXXXX";
  const int captureFd = mkstemp(capturePath.data());
  ASSERT_GE(captureFd, 0);
  sim::Rz56Options o;
  o.wheelPeriodMs = 0;  // wheel frames only when triggered
  sim::Rz56PtyThread served(master, o, captureFd);
  sim::Rz56PtyServer& rz56 = served.Server();
  SurveyRun.dataFileName = "RUN";
  ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RZ56\\RUN.R56"));
  ASSERT_TRUE(WriteFileHeader());

  // The test handler in place of the RZ56 reading handler: the ring as the normalisation leaves
  // it at 98 x 1800, then convert and record.
  for (float& s : Rz56Calibration.currentSamples) s = 1800;
  Rz56Calibration.currentSum = 1800 * kRz56RingSize;
  Rz56Calibration.currentMean = 1800;
  test::Rz56Window window;
  int written = 0;
  window.onReading = [&] {
    float ch[4], current;
    int32_t battery, tag;
    int16_t gain;
    ConvertRz56Frame(ch[0], ch[1], ch[2], ch[3], current, battery, gain, tag);
    written += WriteRz56Reading() ? 1 : 0;
  };
  // The requester: `requests` more 'A's, one per 100 ms tick while the reader is ready.
  int requests = 0;
  window.timerMs = 100;
  window.onTimer = [&] {
    if (requests > 0 && LinkState.rz56Ready.load() == 1) {
      --requests;
      RequestRz56Reading();
    }
  };

  ASSERT_EQ(OpenInstrumentPort(), 1);
  test::Rz56RunSteps run;
  ASSERT_TRUE(run.Start());
  requests = 30;
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 30; }, 10000));
  ASSERT_TRUE(run.ToWheel());
  for (size_t i = 31; i <= 50; ++i) {
    rz56.Trigger();
    ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == i; }, 2000)) << i;
  }
  ASSERT_TRUE(run.ToRequest());
  requests = 10;
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 60; }, 5000));
  window.PumpFor(150);
  EXPECT_TRUE(run.End());
  EXPECT_EQ(run.overlaps, 0);
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
  EXPECT_EQ(written, 60);
  SurveyRun.dataFile.Close();
  served.Stop();

  // What the instrument received, as its capture file logged it (time, hex byte, character).
  std::string received;
  std::ifstream capture(capturePath);
  for (std::string line; std::getline(capture, line);) {
    double atMs = 0;
    unsigned byte = 0;
    ASSERT_EQ(sscanf(line.c_str(), "%lf %x", &atMs, &byte), 2) << line;
    received.push_back(static_cast<char>(byte));
  }
  close(captureFd);
  unlink(capturePath.c_str());
  EXPECT_EQ(received, "HX" + std::string(30, 'A') + "HW" + "HX" + std::string(10, 'A'));

  // The RZ56-MK2 header, then 60 readings: the frame's tag and bytes 1-9, the mean 1800.00
  // (0x07 0x08 0x00), a rising tick, LF.
  char header[16 * kRecordMax];
  const size_t headerSize = FormatFileHeader(header);
  const std::string file = test::RootFileBytes("C/RZ56/RUN.R56");
  ASSERT_EQ(file.size(), headerSize + 60u * 24);
  EXPECT_EQ(file.substr(0, headerSize), std::string(header, headerSize));
  long last = -1;
  for (long i = 0; i < 60; ++i) {
    SCOPED_TRACE(i);
    const std::string rec = file.substr(headerSize + static_cast<size_t>(i) * 24, 24);
    EXPECT_EQ(rec.substr(0, 10), rz56.Frame(i).substr(0, 10));
    EXPECT_EQ(rec.substr(10, 3), std::string("\x07\x08\x00", 3));
    EXPECT_EQ(rec[23], '\n');
    const long tick = strtol(rec.substr(13, 10).c_str(), nullptr, 10);
    EXPECT_GT(tick, last);
    last = tick;
  }
}

}  // namespace
}  // namespace desktop
