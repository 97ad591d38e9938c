// The setup dialogs' rules as pure functions, by table: the survey-mode lists, the component and
// dipole rules of a mode switch, the typed-value corrections, the logger lists, the scale clamps,
// the colour sample's shapes, and the GPS monitor's keys and states.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "engine/state.h"
#include "shell/gps_monitor.h"
#include "shell/setup_dialogs.h"

namespace handheld {
namespace {

std::vector<std::wstring> Texts(const TextList& l) { return std::vector<std::wstring>(l.texts, l.texts + l.count); }
using W = std::vector<std::wstring>;

constexpr int32_t A = kSurveyModeAuto, Wh = kSurveyModeWheel, M = kSurveyModeManual;

TEST(SurveyRules, ModeListEntriesAndBack) {
  struct Case {
    int32_t model;
    W entries;
    std::vector<int32_t> modeOfEntry;  // entries 0.. and one past the end
    std::vector<int> entryOfMode;      // stored modes -1, 0, 1, 2, 3
  } const cases[] = {
      {kModelRz12, {L"Auto", L"Wheel", L"Manual"}, {A, Wh, M, -1}, {-1, 0, 1, 2, -1}},
      {kModelRz45, {L"Auto", L"Wheel", L"Manual"}, {A, Wh, M, -1}, {-1, 0, 1, 2, -1}},
      // The ZOL12's "Manual" is mode 1; a stored 2 is taken as 1.
      {kModelZol12, {L"Auto", L"Manual"}, {A, Wh, -1}, {-1, 0, 1, 1, -1}},
      // The RZ27-MK2's "Manual" is mode 2; a stored 1 shows (and is stored as) Auto.
      {kModelRz27Mk2, {L"Auto", L"Manual"}, {A, M, -1}, {-1, 0, 0, 1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    EXPECT_EQ(Texts(SurveyModeList(c.model)), c.entries);
    for (size_t e = 0; e < c.modeOfEntry.size(); ++e) EXPECT_EQ(SurveyModeOfEntry(c.model, static_cast<int>(e)), c.modeOfEntry[e]) << e;
    EXPECT_EQ(SurveyModeOfEntry(c.model, -1), -1);
    for (int mode = -1; mode <= 3; ++mode) EXPECT_EQ(SurveyModeEntryOf(c.model, mode), c.entryOfMode[mode + 1]) << mode;
  }
}

TEST(SurveyRules, ComponentListsAndTheIndexAcrossModeSwitches) {
  EXPECT_EQ(Texts(ComponentList(kModelRz12, A)), (W{L"Both", L"Inphase"}));
  EXPECT_EQ(Texts(ComponentList(kModelRz12, M)), (W{L"Both", L"Inphase"}));
  for (int32_t model : {kModelRz27Dd, kModelRz27}) {
    EXPECT_EQ(Texts(ComponentList(model, A)), (W{L"Inphase", L"Conductivity"}));
    EXPECT_EQ(Texts(ComponentList(model, Wh)), (W{L"Inphase", L"Conductivity"}));
    EXPECT_EQ(Texts(ComponentList(model, M)), (W{L"Both", L"Inphase", L"Conductivity"}));
  }
  for (int32_t model : {kModelRz27B, kModelRz45, kModelZol12, kModelRz27Mk2}) EXPECT_EQ(ComponentList(model, M).count, 0);

  struct Case {
    int32_t model, oldMode, newMode;
    int index, expected;
  } const switches[] = {
      {kModelRz27Dd, A, M, 1, 2},   // "Conductivity" stays "Conductivity"
      {kModelRz27Dd, M, A, 2, 1},
      {kModelRz27, A, M, 0, 1},     // "Inphase"
      {kModelRz27, M, A, 1, 0},
      {kModelRz27, M, Wh, 0, 0},    // "Both" becomes "Inphase"
      {kModelRz27, A, Wh, 1, 1},
      {kModelRz27, A, M, -1, 0},    // "Both" stored outside Manual (no entry) shows "Both" in Manual
      {kModelRz12, A, M, 1, 1},     // the RZ12's list does not change
      {kModelRz12, M, A, 0, 0},
  };
  for (const Case& c : switches) {
    EXPECT_EQ(ComponentIndexOnSwitch(c.model, c.oldMode, c.newMode, c.index), c.expected)
        << c.model << " " << c.oldMode << "->" << c.newMode << " " << c.index;
  }
  // Stored value and position, both ways.
  EXPECT_EQ(ComponentIndexOf(kModelRz27, A, 2), 1);
  EXPECT_EQ(ComponentIndexOf(kModelRz27, A, 0), -1);
  EXPECT_EQ(ComponentIndexOf(kModelRz27, M, 0), 0);
  EXPECT_EQ(ComponentOfIndex(kModelRz27Dd, Wh, 1), 2);
  EXPECT_EQ(ComponentOfIndex(kModelRz27Dd, M, 1), 1);
  EXPECT_EQ(ComponentOfIndex(kModelRz12, A, 1), 1);
}

TEST(SurveyRules, DipoleListsAndTheDipoleAcrossModeSwitches) {
  for (int32_t model : {kModelRz12, kModelRz27B, kModelRz27, kModelRz27Mk2}) {
    EXPECT_EQ(Texts(DipoleList(model, A)), (W{L"Vertical", L"Horizontal"}));
    EXPECT_EQ(Texts(DipoleList(model, Wh)), (W{L"Vertical", L"Horizontal"}));
    EXPECT_EQ(Texts(DipoleList(model, M)), (W{L"Vertical", L"Horizontal", L"Both"}));
    EXPECT_EQ(DipoleOnSwitch(model, A, 2), 0);
    EXPECT_EQ(DipoleOnSwitch(model, Wh, 2), 0);
    EXPECT_EQ(DipoleOnSwitch(model, M, 2), 2);
    EXPECT_EQ(DipoleOnSwitch(model, A, 1), 1);
  }
  EXPECT_EQ(Texts(DipoleList(kModelRz45, A)),
            (W{L"Vert-10m", L"Vert-20m", L"Vert-40m", L"Horiz-10m", L"Horiz-20m", L"Horiz-40m"}));
  EXPECT_EQ(Texts(DipoleList(kModelRz45, M)),
            (W{L"1 reading", L"2 readings", L"3 readings", L"4 readings", L"5 readings", L"6 readings"}));
  EXPECT_EQ(DipoleOnSwitch(kModelRz45, A, 2), 2);  // the RZ45's entries keep their positions
  EXPECT_EQ(DipoleList(kModelRz27Dd, M).count, 0);
  EXPECT_EQ(DipoleList(kModelZol12, M).count, 0);
}

TEST(SurveyRules, TypedValueCorrections) {
  struct Rate {
    double typed;
    float rate;
  } const rates[] = {{5.0, 5.0f}, {0.5, 0.5f}, {0.0, 1.0f}, {-3.0, 1.0f}, {1e20, 10000.0f}, {1e-9, 0.0001f}};
  for (const Rate& r : rates) EXPECT_FLOAT_EQ(TypedRate(r.typed), r.rate) << r.typed;

  struct Samples {
    double typed;
    int32_t typing, stored;
  } const samples[] = {{10.0, 10, 10}, {10.9, 10, 10}, {0.0, 1, 1},       {-2.0, 1, 1},
                       {0.5, 1, 1},    {150.0, 150, 100}, {1e20, INT_MAX, 100}};
  for (const Samples& s : samples) {
    EXPECT_EQ(TypedSamples(s.typed), s.typing) << s.typed;
    EXPECT_EQ(StoredSamples(s.typed), s.stored) << s.typed;
  }

  EXPECT_FLOAT_EQ(FloatValue(2.5), 2.5f);
  EXPECT_FLOAT_EQ(FloatValue(-1e300), -FLT_MAX);
  EXPECT_FLOAT_EQ(FloatValue(1e300), FLT_MAX);

  EXPECT_FLOAT_EQ(RateOfInterval(0.2f), 5.0f);
  EXPECT_FLOAT_EQ(RateOfInterval(2.0f), 0.5f);
  EXPECT_FLOAT_EQ(RateOfInterval(0.0f), 1.0f);
  EXPECT_FLOAT_EQ(RateOfInterval(-0.5f), 1.0f);
  EXPECT_FLOAT_EQ(RateOfInterval(1e-30f), 10000.0f);
}

TEST(LoggerRules, ListsByModelOrientationAndStorageRoot) {
  struct Case {
    int32_t model, portrait;
    W pause;
    std::vector<int> entryOfKey;  // stored keys -1, 0, 1, 2, 3, 4
  } const cases[] = {
      {kModelRz12, 0, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}, {-1, 0, 1, 2, 3, -1}},
      {kModelRz12, 1, {L"any key"}, {-1, 0, 0, 0, 0, -1}},  // a key the list lacks shows "any key"
      {kModelZol12, 1, {L"any key"}, {-1, 0, 0, 0, 0, -1}},
      {kModelRz27Mk2, 0, {L"any non numeric key", L"<Space Bar>", L"<Enter>", L"<P>"}, {-1, 0, 1, 2, 3, -1}},
      {kModelRz27Mk2, 1, {L"any non numeric key", L"<Space Bar>", L"<Enter>", L"<P>"}, {-1, 0, 1, 2, 3, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.model << " portrait " << c.portrait);
    EXPECT_EQ(Texts(PauseKeyList(c.model, c.portrait)), c.pause);
    for (int key = -1; key <= 4; ++key) EXPECT_EQ(PauseKeyEntryOf(c.model, c.portrait, key), c.entryOfKey[key + 1]) << key;
  }
  EXPECT_EQ(Texts(SoftMarkerList(0, 1)), (W{L"Disabled", L"any numeric key"}));
  EXPECT_EQ(Texts(SoftMarkerList(1, 0)), (W{L"Disabled", L"any numeric key"}));
  EXPECT_EQ(Texts(SoftMarkerList(1, 1)), (W{L"Disabled", L"any arrow key"}));

  const W marker = Texts(MarkerPortList());
  ASSERT_EQ(marker.size(), 12u);
  EXPECT_EQ(marker[0], L"Disabled");
  EXPECT_EQ(marker[5], L"COM5:");
  EXPECT_EQ(marker[6], L"COM7:");
  EXPECT_EQ(marker[11], L"COM12:");
  const W ports = Texts(ComPortList());
  ASSERT_EQ(ports.size(), 12u);
  EXPECT_EQ(ports[5], L"COM6:");

  struct Label {
    int32_t model;
    const wchar_t* text;  // null: the template's "RZ12 Port"
  } const labels[] = {{kModelRz12, nullptr},          {kModelRz27B, L"RZ27B Port"}, {kModelRz27Dd, L"RZ27-DD Port"},
                      {kModelRz27, L"RZ27 Port"},     {kModelRz45, L"RZ45-3 Port"}, {kModelRz89, nullptr},
                      {kModelZol12, L"ZOL12 Port"},   {kModelRz27Mk2, L"RZ27-MK2 Port"}};
  for (const Label& l : labels) {
    const wchar_t* got = InstrumentPortLabel(l.model);
    if (l.text == nullptr) {
      EXPECT_EQ(got, nullptr) << l.model;
    } else {
      EXPECT_STREQ(got, l.text);
    }
  }
}

TEST(DisplayRules, ChannelsGridAndProfile) {
  EXPECT_EQ(DisplayChannelCount(kModelRz12, 0), 4);
  EXPECT_EQ(DisplayChannelCount(kModelRz12, 1), 5);
  EXPECT_EQ(DisplayChannelCount(kModelRz27, 1), 4);  // the ice option is the RZ12's
  EXPECT_EQ(DisplayChannelCount(kModelRz45, 0), 6);
  EXPECT_EQ(DisplayChannelCount(kModelZol12, 0), 4);
  EXPECT_EQ(DisplayChannelCount(kModelRz27Mk2, 0), 8);
  EXPECT_EQ(Texts(GridList(kModelRz89, 0)), (W{L"Conductivity", L"Inphase"}));
  EXPECT_EQ(Texts(GridList(kModelZol12, 0)), (W{L"Thickness", L"Inphase"}));
  EXPECT_EQ(Texts(GridList(kModelRz12, 1)), (W{L"Conductivity", L"Inphase", L"Ice Thickness"}));
  EXPECT_EQ(GridList(kModelRz45, 0).count, 0);
  // The grid follows the profile: "Ice Thickness" selects grid 2; leaving it turns 2 into 0.
  EXPECT_EQ(GridForProfile(1, 0), 2);
  EXPECT_EQ(GridForProfile(1, 1), 2);
  EXPECT_EQ(GridForProfile(0, 2), 0);
  EXPECT_EQ(GridForProfile(0, 1), 1);
}

TEST(DisplayRules, ColourSampleShapes) {
  const RECT r{0, 0, 45, 21};
  const ColourButtonShapes up = ColourButtonShapesFor(r, false, false);
  auto eq = [](POINT a, POINT b) { return a.x == b.x && a.y == b.y; };
  EXPECT_TRUE(eq(up.sampleFrom, {3, 10}));
  EXPECT_TRUE(eq(up.sampleTo, {40, 10}));
  EXPECT_FALSE(up.innerDark);
  EXPECT_FALSE(up.pressedEdge);
  EXPECT_TRUE(eq(up.innerEdge[0], {1, 18}) && eq(up.innerEdge[1], {1, 1}) && eq(up.innerEdge[2], {42, 1}));
  EXPECT_TRUE(eq(up.outerEdge[0], {0, 20}) && eq(up.outerEdge[1], {44, 20}) && eq(up.outerEdge[2], {44, 0}));
  EXPECT_FALSE(up.focus);

  const ColourButtonShapes down = ColourButtonShapesFor(RECT{10, 5, 55, 26}, true, true);
  EXPECT_TRUE(eq(down.sampleFrom, {13, 11}));
  EXPECT_TRUE(eq(down.sampleTo, {50, 19}));
  EXPECT_TRUE(down.innerDark);
  EXPECT_TRUE(down.pressedEdge);
  EXPECT_TRUE(eq(down.innerLow[0], {11, 23}) && eq(down.innerLow[1], {52, 23}) && eq(down.innerLow[2], {52, 6}));
  EXPECT_TRUE(eq(down.outerEdge[0], {10, 25}) && eq(down.outerEdge[1], {10, 5}) && eq(down.outerEdge[2], {54, 5}));
  EXPECT_TRUE(down.focus);
  EXPECT_EQ(down.focusRect.left, 13);
  EXPECT_EQ(down.focusRect.top, 8);
  EXPECT_EQ(down.focusRect.right, 51);
  EXPECT_EQ(down.focusRect.bottom, 22);
}

TEST(ScaleRules, Clamps) {
  struct Case {
    bool tenMetre;
    double min, max, outMin, outMax;
  } const cases[] = {
      {false, 0, 500, 0, 500},        {false, 500, 100, 500, 600},     {false, 12000, 20000, 9000, 9100},
      {false, -12000, -9500, -9000, -8900}, {false, -25, 25, -25, 25},  {false, 1e300, 1e300, 9000, 9100},
      {true, 5, 5, 5, 6},             {true, 12, 5, 9, 10},             {true, -1, 20, 0, 10},
      {true, 0.5, 3.5, 0.5, 3.5},     {true, 10, 10, 10, 11},           {true, 3, -2, 3, 4},
  };
  for (const Case& c : cases) {
    const ScaleRange s = c.tenMetre ? TenMetreScale(c.min, c.max) : WideScale(c.min, c.max);
    EXPECT_DOUBLE_EQ(s.min, c.outMin) << c.min << " " << c.max;
    EXPECT_DOUBLE_EQ(s.max, c.outMax) << c.min << " " << c.max;
  }
}

TEST(MonitorRules, KeysByState) {
  const MonitorState running{1, 0, 1}, paused{0, 1, 0}, runningOnExit{1, 0, 3}, pausedOnExit{0, 1, 3};
  struct Case {
    WPARAM ch;
    MonitorState state;
    int action;
    int32_t selected;
  } const cases[] = {
      {'\t', runningOnExit, -1, 1},  // skips "&Go"
      {'\t', pausedOnExit, -1, 0},
      {'\t', running, -1, 2},
      {'\t', paused, -1, 2},         // skips "&Pause"
      {'\r', running, 1, 1},
      {'\r', pausedOnExit, 3, 3},
      {'G', paused, 0, 0},   {'g', paused, 0, 0},   {'G', running, -1, 1},  // Go is not offered while running
      {'P', running, 1, 1},  {'p', running, 1, 1},  {'p', paused, -1, 0},   // nor Pause while paused
      {'S', running, 2, 1},  {'s', paused, 2, 0},   {'X', running, 3, 1},  {'x', paused, 3, 0},
      {'q', running, -1, 1}, {' ', running, -1, 1}, {'1', paused, -1, 0},
  };
  for (const Case& c : cases) {
    int32_t selected = -7;
    EXPECT_EQ(MonitorCharAction(c.ch, c.state, &selected), c.action) << c.ch << " running " << c.state.running;
    EXPECT_EQ(selected, c.selected) << c.ch;
  }
}

TEST(MonitorRules, StatesAfterActions) {
  struct Case {
    int action;
    MonitorState before, after;
  } const cases[] = {
      {kMonitorPause, {1, 0, 1}, {0, 1, 0}},  // the frame follows "&Pause" onto "&Go"
      {kMonitorPause, {1, 0, 3}, {0, 1, 3}},
      {kMonitorGo, {0, 1, 0}, {1, 0, 1}},
      {kMonitorGo, {0, 1, 2}, {1, 0, 2}},
      {kMonitorSend, {0, 1, 0}, {1, 0, 1}},  // a Send while paused leaves the monitor running
      {kMonitorSend, {1, 0, 2}, {1, 0, 2}},
      {kMonitorExit, {0, 1, 0}, {1, 0, 1}},
      {kMonitorExit, {1, 0, 3}, {1, 0, 3}},
  };
  for (const Case& c : cases) {
    const MonitorState s = MonitorStateAfter(c.action, c.before);
    EXPECT_EQ(s.running, c.after.running) << c.action;
    EXPECT_EQ(s.paused, c.after.paused) << c.action;
    EXPECT_EQ(s.selected, c.after.selected) << c.action;
  }
  EXPECT_TRUE(MonitorActionOffered(kMonitorGo, {0, 1, 0}));
  EXPECT_FALSE(MonitorActionOffered(kMonitorGo, {1, 0, 1}));
  EXPECT_FALSE(MonitorActionOffered(4, {1, 0, 1}));
  EXPECT_FALSE(MonitorActionOffered(-1, {1, 0, 1}));
}

TEST(MonitorRules, CommandLine) {
  char line[kGpsCommandMax + 3];
  int n = GpsCommandLine(L"$PASHS,NME,SAT,A,ON", line, sizeof line);
  EXPECT_EQ(std::string(line, static_cast<size_t>(n)), "$PASHS,NME,SAT,A,ON\r\n");
  n = GpsCommandLine(std::wstring(27, L'A').c_str(), line, sizeof line);
  EXPECT_EQ(n, 29);
  n = GpsCommandLine(L"\u00e9\u4e00", line, sizeof line);  // Latin-1 narrows, the rest becomes '?'
  EXPECT_EQ(std::string(line, static_cast<size_t>(n)), "\xe9?\r\n");
  n = GpsCommandLine(L"", line, sizeof line);
  EXPECT_EQ(std::string(line, static_cast<size_t>(n)), "\r\n");
}

}  // namespace
}  // namespace handheld
