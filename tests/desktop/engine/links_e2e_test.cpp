// End to end on a pseudo-terminal: instrument-sim plays the instrument on COM12, which the desktop
// opens as "\\.\COM12", and the reader threads announce its frames to the test logging window, on
// the real clock.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "desktop_test_support.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "reader_windows.h"
#include "sim/instrument.h"

namespace desktop {
namespace {

using test::Reading;

struct Stage {
  const char* model;  // as instrument-sim names it
  int modelIndex;
  LPTHREAD_START_ROUTINE reader;
  UINT msg;
  long frames;
  double periodMs;
  uint64_t seed;
};

class DesktopLinksE2e : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  // Runs the simulator for one stage and returns what the logging window was handed.
  std::vector<Reading> Run(const Stage& s) {
    test::UseBuild(s.modelIndex);
    SurveySettings.instrumentPort = 11;  // COM12
    test_support::Child sim({INSTRUMENT_SIM_PATH, "--model", s.model, "--com", "12", "--devdir", plat::DeviceDir(),
                             "--count", std::to_string(s.frames), "--period", std::to_string(s.periodMs),
                             "--garbage", "0.5", "--partial", "0.5", "--ramp", "--seed", std::to_string(s.seed)});
    const std::string link = sim.Line();
    EXPECT_EQ(link.rfind("COM12 -> /dev/pts/", 0), 0u) << link;
    test::ReaderWindow window;
    EXPECT_EQ(OpenInstrumentPort(), 1);  // the simulator starts streaming now
    LinkState.instrumentReaderState = 1;
    HANDLE reader = test::StartThread(s.reader);
    const auto limit = static_cast<DWORD>(s.periodMs * static_cast<double>(s.frames)) + 5000;
    sim::InstrumentOptions o;
    o.model = s.modelIndex;
    o.ramp = true;
    const std::string last =
        sim::InstrumentStream(o).Frame(s.frames - 1).substr(0, static_cast<size_t>(sim::KeptLength(o)));
    window.PumpUntil([&] { return !window.readings().empty() && window.readings().back().bytes == last; }, limit);
    EXPECT_EQ(sim.Wait(), 0);  // it has sent everything and lingered
    window.PumpFor(100);
    test::ClosePortField(LinkState.instrumentPort);
    EXPECT_TRUE(test::JoinThread(reader));
    EXPECT_EQ(LinkState.instrumentReaderState.load(), 1);
    return window.readings();
  }
};

// 50 RZ12 frames at 91 ms, then 50 RZ27-MK2 frames at 47 ms, with garbage and partial frames
// between them: every frame sent is announced once, in order, with its bytes and ticks that never
// fall, and nothing else is announced.
TEST_F(DesktopLinksE2e, EveryFrameOfBothModelsIsAnnouncedOnceInOrderOnCom12) {
  const Stage stages[] = {{"RZ12", kModelRz12, InstrumentReaderThread, WM_READING, 50, 91, 3},
                          {"RZ27MK2", kModelRz27Mk2, Rz27Mk2ReaderThread, WM_RZ27MK2_READING, 50, 47, 4}};
  for (const Stage& s : stages) {
    SCOPED_TRACE(s.model);
    const std::vector<Reading> got = Run(s);
    sim::InstrumentOptions o;
    o.model = s.modelIndex;
    o.ramp = true;
    sim::InstrumentStream expected(o);
    const size_t kept = static_cast<size_t>(sim::KeptLength(o));
    ASSERT_EQ(got.size(), static_cast<size_t>(s.frames));
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].msg, s.msg);
      EXPECT_EQ(got[i].bytes, expected.Frame(static_cast<long>(i)).substr(0, kept)) << i;
      // A reader that was held up reads two buffered frames within one millisecond, so ticks
      // never fall but may tie.
      if (i > 0) {
        EXPECT_GE(got[i].frameTick, got[i - 1].frameTick) << i;
      }
    }
  }
}

}  // namespace
}  // namespace desktop
