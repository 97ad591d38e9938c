// The logging window's decoder: what every button of every set does after the remap, the keys by
// state and pause key, the phases that refuse commands, and the meter watchdog's decision.
#include "ui/logging_commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/state.h"
#include "ui/logging_layout.h"

namespace desktop {
namespace {

using E = LoggingEffect;

struct Want {
  E effect;
  int32_t command;
};

LoggingStep Button(LoggingKind kind, int32_t state, int index) {
  LoggingInput in;
  in.kind = kind;
  in.state = state;
  in.message = WM_COMMAND;
  in.wParam = static_cast<WPARAM>(kLoggingButtonIdBase + index);
  return DecodeLoggingCommand(in);
}

LoggingStep Key(LoggingInput in, WPARAM key) {
  in.message = WM_KEYDOWN;
  in.wParam = key;
  return DecodeLoggingCommand(in);
}

// Every button of every set does what its caption says.
TEST(LoggingCommands, EveryButtonOfEverySetDoesWhatItsCaptionSays) {
  const struct {
    const char* name;
    LoggingKind kind;
    int32_t state;
    std::vector<Want> buttons;
  } cases[] = {
      {"rz56 monitor", LoggingKind::kRz56Mk2, kRunMonitor,
       {{E::kDataFile, 0}, {E::kCommand, 105}, {E::kExit, 0}, {E::kCommand, 104}, {E::kCommand, 111}, {E::kCommand, 112}}},
      {"rz56 stand by", LoggingKind::kRz56Mk2, kRunStandBy,
       {{E::kGo, 0}, {E::kCommand, 101}, {E::kCommand, 102}, {E::kCommand, 103}, {E::kExit, 0},
        {E::kCommand, 104}, {E::kCommand, 111}, {E::kCommand, 112}, {E::kCommand, 105}, {E::kCommand, 107}}},
      {"mk2 monitor", LoggingKind::kMk2, kRunMonitor,
       {{E::kDataFile, 0}, {E::kCommand, 105}, {E::kCommand, 113}, {E::kCommand, 114}, {E::kExit, 0}}},
      {"mk2 stand by", LoggingKind::kMk2, kRunStandBy,
       {{E::kGo, 0}, {E::kCommand, 101}, {E::kCommand, 102}, {E::kCommand, 103}, {E::kCommand, 105},
        {E::kCommand, 107}, {E::kCommand, 113}, {E::kCommand, 114}, {E::kExit, 0}}},
      {"meter monitor", LoggingKind::kMeter, kRunMonitor, {{E::kDataFile, 0}, {E::kCommand, 105}, {E::kExit, 0}}},
      {"meter stand by", LoggingKind::kMeter, kRunStandBy,
       {{E::kGo, 0}, {E::kCommand, 101}, {E::kCommand, 102}, {E::kCommand, 103}, {E::kCommand, 105},
        {E::kCommand, 107}, {E::kExit, 0}}},
      {"partial stand by", LoggingKind::kPartial, kRunStandBy,
       {{E::kGo, 0}, {E::kCommand, 101}, {E::kCommand, 102}, {E::kCommand, 103}, {E::kCommand, 105},
        {E::kCommand, 107}, {E::kExit, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t count = c.state == kRunMonitor ? MonitorButtonCount(c.kind) : StandByButtonCount(c.kind);
    ASSERT_EQ(count, static_cast<int32_t>(c.buttons.size()));
    for (int i = 0; i < count; ++i) {
      SCOPED_TRACE(i);
      const LoggingStep step = Button(c.kind, c.state, i);
      EXPECT_EQ(step.effect, c.buttons[i].effect);
      EXPECT_EQ(step.command, c.buttons[i].command);
    }
  }
}

TEST(LoggingCommands, KeysByStateAndBuild) {
  const struct {
    const char* name;
    LoggingKind kind;
    int32_t state;
    WPARAM key;
    Want want;
  } cases[] = {
      {"F monitor", LoggingKind::kMeter, kRunMonitor, 'F', {E::kDataFile, 0}},
      {"f monitor", LoggingKind::kMeter, kRunMonitor, 'f', {E::kDataFile, 0}},
      {"F stand by", LoggingKind::kMeter, kRunStandBy, 'F', {E::kNone, 0}},
      {"G stand by", LoggingKind::kMeter, kRunStandBy, 'G', {E::kGo, 0}},
      {"G monitor", LoggingKind::kMeter, kRunMonitor, 'g', {E::kNone, 0}},
      {"L", LoggingKind::kMeter, kRunStandBy, 'L', {E::kCommand, 101}},
      {"Q is New Line", LoggingKind::kMeter, kRunStandBy, 'q', {E::kCommand, 101}},
      {"N", LoggingKind::kMeter, kRunStandBy, 'N', {E::kCommand, 102}},
      {"C", LoggingKind::kMeter, kRunStandBy, 'c', {E::kCommand, 103}},
      {"R monitor", LoggingKind::kMeter, kRunMonitor, 'R', {E::kCommand, 105}},
      {"P stand by", LoggingKind::kMeter, kRunStandBy, 'P', {E::kCommand, 107}},
      {"X monitor", LoggingKind::kMeter, kRunMonitor, 'X', {E::kExit, 0}},
      {"X stand by", LoggingKind::kMk2, kRunStandBy, 'x', {E::kExit, 0}},
      {"U rz56", LoggingKind::kRz56Mk2, kRunMonitor, 'U', {E::kCommand, 104}},
      {"I rz56", LoggingKind::kRz56Mk2, kRunStandBy, 'i', {E::kCommand, 111}},
      {"E rz56", LoggingKind::kRz56Mk2, kRunMonitor, 'E', {E::kCommand, 112}},
      {"E mk2", LoggingKind::kMk2, kRunMonitor, 'E', {E::kCommand, 114}},
      {"A mk2", LoggingKind::kMk2, kRunStandBy, 'a', {E::kCommand, 113}},
      {"U meter", LoggingKind::kMeter, kRunMonitor, 'U', {E::kNone, 0}},
      {"I meter", LoggingKind::kMeter, kRunStandBy, 'I', {E::kNone, 0}},
      {"E plain rz56", LoggingKind::kPartial, kRunMonitor, 'E', {E::kNone, 0}},
      {"A rz56", LoggingKind::kRz56Mk2, kRunMonitor, 'A', {E::kNone, 0}},
      {"unknown", LoggingKind::kMeter, kRunStandBy, 'Z', {E::kNone, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingInput in;
    in.kind = c.kind;
    in.state = c.state;
    const LoggingStep step = Key(in, c.key);
    EXPECT_EQ(step.effect, c.want.effect);
    EXPECT_EQ(step.command, c.want.command);
  }
}

TEST(LoggingCommands, EnterPressesTheSelectedButtonAfterTheRemapAndTabMoves) {
  const struct {
    LoggingKind kind;
    int32_t state;
    int32_t selected;
    Want want;
  } cases[] = {
      {LoggingKind::kMeter, kRunMonitor, 2, {E::kExit, 0}},
      {LoggingKind::kMeter, kRunStandBy, 6, {E::kExit, 0}},
      {LoggingKind::kMeter, kRunStandBy, 4, {E::kCommand, 105}},
      {LoggingKind::kMk2, kRunMonitor, 2, {E::kCommand, 113}},
      {LoggingKind::kMk2, kRunMonitor, 4, {E::kExit, 0}},
      {LoggingKind::kRz56Mk2, kRunStandBy, 4, {E::kExit, 0}},
  };
  for (const auto& c : cases) {
    LoggingInput in;
    in.kind = c.kind;
    in.state = c.state;
    in.selected = c.selected;
    const LoggingStep step = Key(in, 13);
    EXPECT_EQ(step.effect, c.want.effect) << c.selected;
    EXPECT_EQ(step.command, c.want.command) << c.selected;
    const LoggingStep tab = Key(in, 9);
    EXPECT_TRUE(tab.nextButton);
    EXPECT_EQ(tab.effect, E::kNone);
  }
  LoggingInput elsewhere;
  elsewhere.mainMode = 0;  // keys count only while the logging screen is the main window's mode
  EXPECT_FALSE(Key(elsewhere, 9).nextButton);
  EXPECT_EQ(Key(elsewhere, 'X').effect, E::kNone);
}

TEST(LoggingCommands, WhileLoggingOnlyThePauseKeyOrThePauseButtonPauses) {
  const struct {
    const char* name;
    LoggingKind kind;
    int32_t pauseKey;
    UINT message;
    WPARAM wParam;
    bool pauses;
    bool holds;
  } cases[] = {
      {"any key", LoggingKind::kMeter, 0, WM_KEYDOWN, 'K', true, false},
      {"any key shift", LoggingKind::kMeter, 0, WM_KEYDOWN, 16, true, false},
      {"any key dead char", LoggingKind::kMeter, 0, WM_DEADCHAR, 'K', true, false},
      {"any key digit meter", LoggingKind::kMeter, 0, WM_KEYDOWN, '5', true, false},
      {"any key digit mk2 marks", LoggingKind::kMk2, 0, WM_KEYDOWN, '5', false, true},
      {"any key letter mk2", LoggingKind::kMk2, 0, WM_KEYDOWN, 'K', true, false},
      {"enter", LoggingKind::kMeter, 1, WM_KEYDOWN, 13, true, false},
      {"enter ignores space", LoggingKind::kMeter, 1, WM_KEYDOWN, 32, false, false},
      {"space", LoggingKind::kMeter, 2, WM_KEYDOWN, 32, true, false},
      {"space ignores enter", LoggingKind::kMeter, 2, WM_KEYDOWN, 13, false, false},
      {"P", LoggingKind::kMeter, 3, WM_KEYDOWN, 80, true, false},
      {"F1 under P", LoggingKind::kMeter, 3, WM_KEYDOWN, 112, true, false},
      {"P ignores Q", LoggingKind::kMeter, 3, WM_KEYDOWN, 'Q', false, false},
      {"key 7 is any key", LoggingKind::kMeter, 7, WM_KEYDOWN, 'Q', true, false},
      {"button under enter", LoggingKind::kMeter, 1, WM_COMMAND, 460, true, false},
      {"button under P", LoggingKind::kRz56Mk2, 3, WM_COMMAND, 460, true, false},
      {"other id", LoggingKind::kMeter, 0, WM_COMMAND, 461, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingInput in;
    in.kind = c.kind;
    in.state = kRunLogging;
    in.pauseKey = c.pauseKey;
    in.softMarker = 1;
    in.message = c.message;
    in.wParam = c.wParam;
    const LoggingStep step = DecodeLoggingCommand(in);
    EXPECT_EQ(step.effect == E::kPause, c.pauses);
    EXPECT_EQ(step.holdSoftMarker, c.holds);
    EXPECT_TRUE(step.effect == E::kPause || step.effect == E::kNone);
  }
}

TEST(LoggingCommands, DigitsHoldTheSoftMarkerOnceAndTheirReleaseClearsIt) {
  LoggingInput in;
  in.state = kRunStandBy;
  in.softMarker = 1;
  EXPECT_TRUE(Key(in, '0').holdSoftMarker);
  in.softMarkerHeld = 1;
  EXPECT_FALSE(Key(in, '9').holdSoftMarker);
  in.softMarker = 0;
  in.softMarkerHeld = 0;
  EXPECT_FALSE(Key(in, '3').holdSoftMarker);

  EXPECT_TRUE(ReleasesSoftMarker(1, 1, 1, '4'));
  EXPECT_FALSE(ReleasesSoftMarker(1, 1, 1, 'A'));
  EXPECT_FALSE(ReleasesSoftMarker(0, 1, 1, '4'));
  EXPECT_FALSE(ReleasesSoftMarker(1, 1, 0, '4'));
}

// Keys and buttons that the phase of the run refuses: a disabled button's key, the RZ56-MK2's
// normalisation, nulling and quality-control check, the RZ27-MK2 calibration and monitoring build.
TEST(LoggingCommands, ThePhaseOfTheRunRefusesWhatWouldHarmIt) {
  const uint32_t onlyExitOfRz56Monitor = 1u << 2;
  const uint32_t onlyExitOfRz56StandBy = 1u << 4;
  const struct {
    const char* name;
    LoggingKind kind;
    int32_t state;
    int32_t acquisition;
    bool calibrating;
    bool monitorVariant;
    uint32_t enabled;
    UINT message;
    WPARAM wParam;
    Want want;
  } cases[] = {
      {"F while normalising", LoggingKind::kRz56Mk2, kRunMonitor, 0, false, false, onlyExitOfRz56Monitor, WM_KEYDOWN,
       'F', {E::kNone, 0}},
      {"I while normalising", LoggingKind::kRz56Mk2, kRunMonitor, 0, false, false, onlyExitOfRz56Monitor, WM_KEYDOWN,
       'I', {E::kNone, 0}},
      {"R on a disabled Scale", LoggingKind::kRz56Mk2, kRunMonitor, 0, false, false, onlyExitOfRz56Monitor,
       WM_KEYDOWN, 'R', {E::kNone, 0}},
      {"X while normalising", LoggingKind::kRz56Mk2, kRunMonitor, 0, false, false, onlyExitOfRz56Monitor, WM_KEYDOWN,
       'X', {E::kExit, 0}},
      {"P has no Monitor button", LoggingKind::kRz56Mk2, kRunMonitor, 0, false, false, onlyExitOfRz56Monitor,
       WM_KEYDOWN, 'P', {E::kCommand, 107}},
      {"I while nulling", LoggingKind::kRz56Mk2, kRunStandBy, -1, false, false, ~0u, WM_KEYDOWN, 'I', {E::kNone, 0}},
      {"E while nulling", LoggingKind::kRz56Mk2, kRunStandBy, -1, false, false, ~0u, WM_KEYDOWN, 'E', {E::kNone, 0}},
      {"U while nulling", LoggingKind::kRz56Mk2, kRunStandBy, -1, false, false, ~0u, WM_KEYDOWN, 'U', {E::kNone, 0}},
      {"GO while nulling", LoggingKind::kRz56Mk2, kRunStandBy, -1, false, false, ~0u, WM_COMMAND, 460, {E::kNone, 0}},
      {"GO key while normalising", LoggingKind::kRz56Mk2, kRunStandBy, 0, false, false, onlyExitOfRz56StandBy,
       WM_KEYDOWN, 'G', {E::kNone, 0}},
      {"GO when running", LoggingKind::kRz56Mk2, kRunStandBy, 1, false, false, ~0u, WM_KEYDOWN, 'G', {E::kGo, 0}},
      {"X during a QC run", LoggingKind::kRz56Mk2, kRunStandBy, -2, false, false, 0, WM_KEYDOWN, 'X', {E::kNone, 0}},
      {"Exit button on the QC panel", LoggingKind::kRz56Mk2, kRunMonitor, -3, false, false, ~0u, WM_COMMAND, 462,
       {E::kNone, 0}},
      {"Calibrate again", LoggingKind::kMk2, kRunStandBy, 1, true, false, ~0u, WM_COMMAND, 466, {E::kNone, 0}},
      {"GO mid-calibration", LoggingKind::kMk2, kRunStandBy, 1, true, false, ~0u, WM_KEYDOWN, 'G', {E::kNone, 0}},
      {"New Line mid-calibration", LoggingKind::kMk2, kRunStandBy, 1, true, false, ~0u, WM_COMMAND, 461,
       {E::kNone, 0}},
      {"Exit mid-calibration", LoggingKind::kMk2, kRunStandBy, 1, true, false, ~0u, WM_COMMAND, 468, {E::kExit, 0}},
      {"monitoring build Data File", LoggingKind::kMk2, kRunMonitor, 1, false, true, ~0u & ~3u, WM_KEYDOWN, 'F',
       {E::kNone, 0}},
      {"monitoring build Calibrate", LoggingKind::kMk2, kRunMonitor, 1, false, true, ~0u, WM_COMMAND, 462,
       {E::kNone, 0}},
      {"monitoring build Exit", LoggingKind::kMk2, kRunMonitor, 1, false, true, ~0u, WM_COMMAND, 464, {E::kExit, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingInput in;
    in.kind = c.kind;
    in.state = c.state;
    in.acquisitionState = c.acquisition;
    in.calibrating = c.calibrating;
    in.monitorVariant = c.monitorVariant;
    in.enabledButtons = c.enabled;
    in.message = c.message;
    in.wParam = c.wParam;
    const LoggingStep step = DecodeLoggingCommand(in);
    EXPECT_EQ(step.effect, c.want.effect);
    EXPECT_EQ(step.command, c.want.command);
  }
  LoggingInput variant;
  variant.kind = LoggingKind::kMk2;
  variant.monitorVariant = true;
  EXPECT_TRUE(Key(variant, 9).nextButton);  // Tab still moves in the monitoring build
}

TEST(LoggingCommands, DialogTemplatesOfScaleAndProfilesByModel) {
  const struct {
    int32_t model;
    const char* scale;
    const char* profiles;
  } cases[] = {
      {kModelRz56Mk2, "READINGSCALE", "DISPLAYSETUP"},   {kModelRz56, "READINGSCALE12", "DISPLAYSETUP"},
      {kModelRz45, "READINGSCALE45", "DISPLAYSETUP45"},  {kModelRz27Mk2, "READINGSCALE12", "DISPLAYSETUP27MK2"},
      {kModelRz12, "READINGSCALE12", "DISPLAYSETUP12"},  {kModelZol12, "READINGSCALE12", "DISPLAYSETUP12"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(RowOf(c.model).scaleDialog, c.scale) << c.model;
    EXPECT_STREQ(RowOf(c.model).displayDialog, c.profiles) << c.model;
  }
}

TEST(Watchdog, AGapLongerThanThePeriodIsAMissAcrossTheTickWrap) {
  const struct {
    uint32_t now, last;
    bool late;
  } cases[] = {
      {1300, 1000, false}, {1301, 1000, true}, {1000, 1000, false}, {5, 0xFFFFFFF0u, false}, {300, 0xFFFFFFF0u, true},
  };
  for (const auto& c : cases) EXPECT_EQ(MeterLinkLate(c.now, c.last), c.late) << c.now << " " << c.last;
}

}  // namespace
}  // namespace desktop
