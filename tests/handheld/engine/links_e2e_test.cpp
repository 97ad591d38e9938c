// End to end on a pseudo-terminal: instrument-sim plays the instrument on COM1 and the reader
// threads announce its frames to the test logging window, on the real clock.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "link_test_support.h"
#include "sim/instrument.h"

namespace handheld {
namespace {

using test::Announcement;

struct Stage {
  const char* model;  // as instrument-sim names it
  int modelIndex;
  LPTHREAD_START_ROUTINE reader;
  long frames;
  double periodMs;
  uint64_t seed;
};

class LinksE2e : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  // Runs the simulator for one stage and returns what the logging window was handed.
  std::vector<Announcement> Run(const Stage& s) {
    test::UseBuild(s.modelIndex);
    SurveySettings.instrumentPort = 0;
    test_support::Child sim({INSTRUMENT_SIM_PATH, "--model", s.model, "--com", "1", "--devdir", plat::DeviceDir(),
                             "--count", std::to_string(s.frames), "--period", std::to_string(s.periodMs),
                             "--garbage", "0.5", "--partial", "0.5", "--ramp", "--seed", std::to_string(s.seed)});
    const std::string link = sim.Line();
    EXPECT_EQ(link.rfind("COM1 -> /dev/pts/", 0), 0u) << link;
    test::LinkWindows windows;
    EXPECT_EQ(OpenInstrumentPort(), 1);  // the simulator starts streaming now
    HANDLE reader = test::StartThread(s.reader);
    const auto limit = static_cast<DWORD>(s.periodMs * static_cast<double>(s.frames)) + 5000;
    sim::InstrumentOptions o;
    o.model = s.modelIndex;
    o.ramp = true;
    const std::string last = sim::InstrumentStream(o).Frame(s.frames - 1).substr(0, static_cast<size_t>(sim::KeptLength(o)));
    windows.PumpUntil([&] { return !windows.announced().empty() && windows.announced().back().bytes == last; }, limit);
    EXPECT_EQ(sim.Wait(), 0);  // it has sent everything and lingered
    windows.PumpFor(100);
    test::ClosePort(LinkState.instrumentPort);
    EXPECT_TRUE(test::JoinThread(reader));
    return windows.announced();
  }
};

// Every frame sent is announced once, in order, with its bytes and rising ticks, and nothing else
// is announced. The simulator sends its first frame one period after the port opens, after the
// reader's start-up purge.
TEST_F(LinksE2e, EveryFrameOfBothModelsIsAnnouncedOnceInOrder) {
  const Stage stages[] = {{"RZ12", kModelRz12, InstrumentReaderThread, 50, 91, 3},
                          {"RZ27MK2", kModelRz27Mk2, Rz27Mk2ReaderThread, 50, 47, 4}};
  for (const Stage& s : stages) {
    SCOPED_TRACE(s.model);
    const std::vector<Announcement> got = Run(s);
    sim::InstrumentOptions o;
    o.model = s.modelIndex;
    o.ramp = true;
    sim::InstrumentStream expected(o);
    const size_t kept = static_cast<size_t>(sim::KeptLength(o));
    ASSERT_EQ(got.size(), static_cast<size_t>(s.frames));
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].msg, s.modelIndex == kModelRz27Mk2 ? WM_RZ27MK2_READING : WM_READING);
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
}  // namespace handheld
