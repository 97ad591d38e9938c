// The start of a run: the port refusals, and the run state a start leaves.
// test-labels: threads
#include "ui/run_start.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include "app_fixture.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Show;
using test::Switches;
namespace pt = plat::test;

TEST(RunStartPorts, RefusalsNameTheGpsPort) {
  const struct {
    int32_t model, gpsEnabled, instrument, gps, marker;
    const char* refusal;  // null: none
  } cases[] = {
      {kModelRz12, 1, 0, 0, 0, "Com1 Assigned to Instrument and GPS"},
      {kModelRz12, 2, 5, 5, 0, "Com6 Assigned to Instrument and GPS"},  // any value above 0 is enabled
      {kModelRz12, 0, 0, 0, 0, nullptr},                                 // GPS off: no conflict
      {kModelRz12, 1, 0, 3, 4, nullptr},                                 // the marker only counts on the RZ27-MK2
      {kModelRz27Mk2, 1, 0, 3, 4, "Com4 Assigned to Hard Marker and GPS"},  // marker setting 4 names COM4
      {kModelRz27Mk2, 1, 0, 3, 3, nullptr},
      {kModelRz27Mk2, 0, 0, 3, 4, nullptr},
      {kModelRz27Mk2, 1, 0, 3, 0, nullptr},                              // marker disabled
  };
  for (const auto& c : cases) {
    const auto refusal = PortConflict(c.model, c.gpsEnabled, c.instrument, c.gps, c.marker);
    EXPECT_EQ(refusal.has_value(), c.refusal != nullptr) << c.model << " " << c.instrument << " " << c.gps;
    if (refusal && c.refusal) {
      EXPECT_EQ(*refusal, c.refusal);
    }
  }
}

TEST_F(DesktopAppTest, ARefusedStartLeavesTheStartScreen) {
  Start(Switches(kModelRz12));
  OnUi([] { SurveySettings.gpsPort = SurveySettings.instrumentPort; });
  pt::ExpectMessageBox({L"Serial Port", L"Com1 Assigned to Instrument and GPS", IDOK});
  Key('L');
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
  for (HWND b : AppWindows.menuButtons) EXPECT_TRUE(pt::IsVisible(b));
}

TEST_F(DesktopAppTest, AStartShowsTheMonitorSetInMonitoring) {
  Start(Switches(kModelRz12));
  OnUi([] {
    SurveyRun.state = kRunStandBy;
    SurveyRun.softMarkerHeld = 1;
    SurveySettings.surveyMode = kModeManual;
    SurveySettings.samplesPerReading = 4;
  });
  Key('L');
  EXPECT_EQ(MainMenu.mode, 1);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 0);
  EXPECT_EQ(SurveyRun.averaging, 1);
  EXPECT_EQ(SurveyRun.modeAtStart, kModeManual);
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.monitor[0]));
  EXPECT_EQ(pt::Style(LoggingButtons.monitor[0]) & 0x0F, DWORD{BS_DEFPUSHBUTTON});
  // The six fields the GPS reader turns red are the layout's.
  const LoggingLayoutData& l = LoggingLayout;
  const RECT fields[] = {l.gpsMarkRect[0], l.gpsMarkRect[1], l.gpsLatRect, l.gpsLonRect, l.gpsPdopRect, l.gpsSatRect};
  for (int i = 0; i < GpsBoxFieldsData::kFields; ++i) {
    EXPECT_NE(fields[i].right, 0) << i;
    EXPECT_EQ(Show(GpsBoxFields.field[i]), Show(fields[i])) << i;
  }
}

}  // namespace
}  // namespace desktop
