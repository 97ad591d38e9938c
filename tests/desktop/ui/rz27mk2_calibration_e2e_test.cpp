// End to end on a pseudo-terminal and the real clock: instrument-sim plays an RZ27-MK2 on COM1 at
// 19200 baud, vertical and then horizontal, while the desktop program calibrates it in Stand By.
// The settings file and the data file take the offsets found; the run either goes on to the end
// of the calibration or is ended on its completed screen.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <termios.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app_fixture.h"
#include "child_process.h"
#include "common/rz27mk2_reading.h"
#include "desktop_test_support.h"
#include "engine/build_config.h"
#include "engine/state.h"
#include "resources/resources.h"
#include "ui/logging.h"
#include "ui/main_window.h"

namespace desktop {
namespace {

namespace pt = plat::test;
using Clock = std::chrono::steady_clock;

// Vertical (cond 0.5 m 0x8200, inph 0.5 m 0x8100, cond 1 m 0x8300, inph 1 m 0x8200) for 4 s from
// the port's opening, which the Yes follows within a second or two; then horizontal.
constexpr char kScript[] =
    "4000 6 0x8200 0x8100 0x8300 0x8200 0x00FA 0x0100;"
    "16000 2 0x8100 0x8080 0x8100 0x8080 0x00FA 0x0100";

const char* const kRecords =
    "O1    10.000      0.000  \n"
    "O2     0.000      0.000  \n"
    "O3     0.576      0.000  \n"
    "O4     0.072      0.000  \n"
    "O5     0.144      0.000  \n"
    "O6     0.036      0.000  \n";

template <typename T>
T OnUi(const std::function<T()>& fn) {
  T out{};
  pt::OnUiThread([&] {
    out = fn();
    return LRESULT{0};
  });
  return out;
}

// Polls the UI thread (a reader on a real descriptor never lets the program count as idle).
bool WaitUntil(const std::function<bool()>& done, int limitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (Clock::now() < end) {
    if (OnUi<bool>(done)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class Mk2CalibrationE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    test::ResetAppState();
  }
  void TearDown() override {
    pt::Reset(plat::Profile::Desktop);
    test::ResetAppState();
  }
};

TEST_F(Mk2CalibrationE2e, CalibratesInStandByOnAPseudoTerminal) {
  for (bool exitOnCompletedScreen : {false, true}) {
    SCOPED_TRACE(exitOnCompletedScreen ? "Exit on the completed screen" : "to the end");
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    test::ResetAppState();
    FillBuildConfig(test::Switches(kModelRz27Mk2));
    RegisterDesktopResources();
    test_support::Child sim({INSTRUMENT_SIM_PATH, "--model", "RZ27MK2", "--com", "1", "--devdir", plat::DeviceDir(),
                             "--script", kScript, "--paced"});
    const std::string link = sim.Line();
    ASSERT_EQ(link.rfind("COM1 -> /dev/pts/", 0), 0u) << link;
    HANDLE program = pt::RunProgram(desktop::WinMain, plat::Profile::Desktop, {800, 574});
    ASSERT_TRUE(pt::WaitIdle());
    OnUi<int>([] {
      SurveySettings.gpsEnabled = 0;
      return 0;
    });

    pt::KeyPress('L');  // the port opens and the simulator starts
    ASSERT_TRUE(WaitUntil([] { return MainMenu.mode == 1 && LinkState.instrumentReaderState.load() == 2; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the start's last wait
    termios t{};
    ASSERT_TRUE(pt::LastAppliedTermios(1, &t));
    EXPECT_EQ(cfgetispeed(&t), speed_t{B19200});
    pt::ExpectSaveFile(L"RUN1");
    pt::KeyPress('F');
    ASSERT_TRUE(WaitUntil([] { return SurveyRun.state.load() == kRunStandBy; }, 5000));
    pt::ExpectMessageBox({L"Calibration", L"Place  RZ27-MK2  on  Monopod", IDYES});
    pt::KeyPress('A');
    ASSERT_TRUE(WaitUntil([] { return Rz27Mk2Calibration.active == -1; }, 5000));
    pt::EnableDrawLog(true);

    ASSERT_TRUE(WaitUntil([] { return Rz27Mk2Calibration.stage == survey::kStageCompleted || Rz27Mk2Calibration.phase == 0; },
                          20000));
    ASSERT_EQ(OnUi<int32_t>([] { return Rz27Mk2Calibration.stage; }), survey::kStageCompleted)
        << "the calibration failed: the Yes came too late for the vertical window";
    if (exitOnCompletedScreen) {
      pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
      pt::KeyPress('X');
      ASSERT_TRUE(WaitUntil([] { return MainMenu.mode == 0; }, 5000));
    } else {
      ASSERT_TRUE(WaitUntil([] { return Rz27Mk2Calibration.active == 0; }, 5000));
      ASSERT_TRUE(WaitUntil([] { return pt::FindText(L"Auto Cal:On").has_value(); }, 2000));
      bool plotPainted = false;
      for (const pt::DrawEntry& e : pt::DrawLog()) plotPainted |= e.window == AppWindows.curveWnd;
      EXPECT_TRUE(plotPainted);
    }
    const float expected[6] = {10.0f, 0.0f, 0.576380f, 0.0720475f, 0.144095f, 0.0360238f};
    for (int i = 0; i < 6; ++i) {
      EXPECT_NEAR(OnUi<float>([i] { return SurveySettings.mk2Offset[i]; }), expected[i], 1e-4) << "O" << i + 1;
    }
    const std::string settings = test::RootFileBytes("C/RZ27MK2XP.INI");
    EXPECT_NE(settings.find("\r\n10.000000\r\n0.000000\r\n"), std::string::npos) << settings;
    OnUi<int>([] {
      if (SurveyRun.dataFile.IsOpen()) SurveyRun.dataFile.Flush();
      return 0;
    });
    const std::string file = test::RootFileBytes("C/RUN1.N27");
    const size_t at = file.find(kRecords);
    ASSERT_NE(at, std::string::npos) << file;
    EXPECT_EQ(at % 26, 0u);
    if (!exitOnCompletedScreen) {
      EXPECT_EQ(at + 6 * 26, file.size()) << "nothing recorded after them in Stand By";
      pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
      pt::KeyPress('X');
      ASSERT_TRUE(WaitUntil([] { return MainMenu.mode == 0; }, 5000));
    }
    pt::OnUiThread([] {
      DestroyWindow(AppWindows.mainWnd);
      return LRESULT{0};
    });
    EXPECT_EQ(pt::Wait(program), 0);
    CloseHandle(program);
  }
}

}  // namespace
}  // namespace desktop
