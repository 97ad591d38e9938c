// The desktop's channel selection by model and settings: the rows it shares with the handheld and
// the desktop's own (readings per station kept in Auto and Wheel, one per station for the RZ27-MK2
// in Manual, no channels 4 to 7 on the RZ27-MK2-1, nothing for the RZ56 builds).
#include "engine/plot_traces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace desktop {
namespace {

TEST(PlanTraces, ChannelsReadingsPerStationAndGridByModelAndSettings) {
  const struct {
    const char* name;
    int32_t model;
    int32_t mode, dipole, component;
    int32_t mk2Type;
    std::string shown;  // traceShown 0 to 7 as digits
    int32_t perStation;
    int32_t grid;
  } cases[] = {
      // On the way in: 3 readings per station and the grid on scale 2, so a row that sets neither
      // shows both kept.
      {"RZ12 Auto vertical", kModelRz12, kModeAuto, 0, 0, 2, "10100000", 3, 1},
      {"RZ12 Auto horizontal inphase: grid on scale 2", kModelRz12, kModeAuto, 1, 1, 2, "00010000", 3, 1},
      {"RZ12 Manual both", kModelRz12, kModeManual, 2, 0, 2, "11110000", 2, 1},
      {"RZ12 Manual vertical", kModelRz12, kModeManual, 0, 0, 2, "10100000", 1, 1},
      {"RZ27B Wheel conductivity: grid on scale 1", kModelRz27B, kModeWheel, 0, 2, 2, "10100000", 3, 0},
      {"RZ27-DD Manual both components", kModelRz27Dd, kModeManual, 2, 0, 2, "11110000", 2, 1},
      {"RZ27 Manual both and both", kModelRz27, kModeManual, 2, 0, 2, "11110000", 4, 1},
      {"RZ27 Auto inphase horizontal", kModelRz27, kModeAuto, 1, 1, 2, "00010000", 3, 1},
      {"RZ45 Manual 3 readings", kModelRz45, kModeManual, 2, 2, 2, "11111100", 3, 1},
      {"RZ45 Auto dipole 4", kModelRz45, kModeAuto, 4, 2, 2, "00001000", 3, 1},
      {"RZ89", kModelRz89, kModeAuto, 0, 0, 2, "10100000", 3, 1},
      {"ZOL12 Manual", kModelZol12, kModeManual, 0, 0, 2, "10100000", 1, 1},
      {"RZ27-MK2 Auto vertical", kModelRz27Mk2, kModeAuto, 0, 0, 2, "10101010", 3, 1},
      {"RZ27-MK2 Manual both: one reading per station", kModelRz27Mk2, kModeManual, 2, 0, 2, "11111111", 1, 1},
      {"RZ27-MK2-1 Auto vertical", kModelRz27Mk2, kModeAuto, 0, 0, 1, "10100000", 3, 1},
      {"RZ27-MK2-1 Manual both", kModelRz27Mk2, kModeManual, 2, 0, 1, "11110000", 1, 1},
      {"RZ56", kModelRz56, kModeAuto, 0, 0, 2, "00000000", 3, 1},
      {"RZ56-MK2 Manual", kModelRz56Mk2, kModeManual, 2, 0, 2, "00000000", 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SurveySettingsData s;
    s.surveyMode = c.mode;
    s.dipole = c.dipole;
    s.component = c.component;
    s.mk2Type = c.mk2Type;
    s.gridScale = 1;
    const TracePlan plan = PlanTraces(c.model, s, 3);
    std::string shown;
    for (int32_t v : plan.traceShown) shown += static_cast<char>('0' + v);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(plan.groupsPerStation, c.perStation);
    EXPECT_EQ(plan.gridScale, c.grid);
  }
}

TEST(PlanTraces, AnUntickedChannelIsNotShown) {
  SurveySettingsData s;
  s.surveyMode = kModeManual;
  s.dipole = 2;
  s.traceVisible[1] = 0;
  s.traceVisible[6] = 0;
  const TracePlan plan = PlanTraces(kModelRz27Mk2, s, 1);
  const std::vector<int32_t> shown(plan.traceShown, plan.traceShown + 8);
  EXPECT_EQ(shown, (std::vector<int32_t>{1, 0, 1, 1, 1, 1, 0, 1}));
}

}  // namespace
}  // namespace desktop
