// The logging command decoder by run state, model, orientation, pause key and soft marker; the
// keyboard selection; the soft-marker release; the pause buttons; the run's dialog templates.
#include "logging/commands.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/state.h"
#include "logging/dialogs.h"
#include "logging/screen.h"

namespace handheld {
namespace {

constexpr int32_t kMonitor = kRunMonitor;
constexpr int32_t kStandBy = kRunStandBy;
constexpr int32_t kLogging = kRunLogging;
constexpr int kNone = kNoAction;
using Move = SelectionMove;

struct DecodeCase {
  const char* name;
  LoggingCommandInput in;
  int action;
  UINT menu;
  Move move;
  bool hold;
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

LoggingCommandInput In(int32_t state, WPARAM w, int32_t model = kModelRz12, int32_t pauseKey = 0) {
  LoggingCommandInput in;
  in.state = state;
  in.model = model;
  in.pauseKey = pauseKey;
  in.wParam = w;
  return in;
}
LoggingCommandInput Selected(LoggingCommandInput in, int32_t selected) {
  in.selected = selected;
  return in;
}
LoggingCommandInput Marker(LoggingCommandInput in, int32_t held, int32_t portrait = 0) {
  in.softMarker = 1;
  in.softMarkerHeld = held;
  in.portrait = portrait;
  return in;
}

DecodeCase Act(const char* name, LoggingCommandInput in, int action) { return {name, in, action, 0, Move::kNone, false}; }
DecodeCase Menu(const char* name, LoggingCommandInput in, UINT menu) { return {name, in, kNone, menu, Move::kNone, false}; }
DecodeCase Moves(const char* name, LoggingCommandInput in, Move move) { return {name, in, kNone, 0, move, false}; }
DecodeCase Holds(const char* name, LoggingCommandInput in, bool hold) { return {name, in, kNone, 0, Move::kNone, hold}; }

class Decoder : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decoder, Decodes) {
  const DecodeCase& c = GetParam();
  const LoggingCommand got = DecodeLoggingCommand(c.in);
  EXPECT_EQ(got.action, c.action);
  EXPECT_EQ(got.menuCommand, c.menu);
  EXPECT_EQ(got.move, c.move);
  EXPECT_EQ(got.holdSoftMarker, c.hold);
}

std::string CaseName(const ::testing::TestParamInfo<DecodeCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    MonitorColumn, Decoder,
    ::testing::Values(Act("C", In(kMonitor, 'C'), 0), Act("c", In(kMonitor, 'c'), 0), Act("N", In(kMonitor, 'N'), 2),
                      Act("n", In(kMonitor, 'n'), 2), Act("M", In(kMonitor, 'M'), 4), Act("X", In(kMonitor, 'X'), 4),
                      Act("x", In(kMonitor, 'x'), 4), Act("U", In(kMonitor, 'U'), 1), Act("u", In(kMonitor, 'u'), 1),
                      Act("B", In(kMonitor, 'B'), 6), Act("G", In(kMonitor, 'G'), kNone),
                      Act("L", In(kMonitor, 'L'), kNone), Act("S", In(kMonitor, 'S'), kNone),
                      Act("AOnlyOnMk2", In(kMonitor, 'A'), kNone), Act("EOnlyOnMk2", In(kMonitor, 'E'), kNone),
                      Act("EnterPressesSelected", Selected(In(kMonitor, 13), 1), 1),
                      Act("CreateFileButton", In(kMonitor, 460), 0), Act("ExitButton", In(kMonitor, 461), 1),
                      Act("CodeInNoRow", In(kMonitor, 200), kNone), Act("Space", In(kMonitor, 32), kNone),
                      Moves("Tab", In(kMonitor, 9), Move::kNext), Moves("Right", In(kMonitor, 39), Move::kNext),
                      Moves("Down", In(kMonitor, 40), Move::kNext), Moves("Left", In(kMonitor, 37), Move::kPrevious),
                      Moves("Up", In(kMonitor, 38), Move::kPrevious),
                      Holds("DigitWithoutMarker", In(kMonitor, '5'), false)),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    StandByColumn, Decoder,
    ::testing::Values(Act("C", In(kStandBy, 'C'), 3), Act("G", In(kStandBy, 'G'), 0), Act("g", In(kStandBy, 'g'), 0),
                      Act("L", In(kStandBy, 'L'), 1), Act("l", In(kStandBy, 'l'), 1), Act("N", In(kStandBy, 'N'), 2),
                      Act("M", In(kStandBy, 'M'), 4), Act("m", In(kStandBy, 'm'), 4), Act("X", In(kStandBy, 'X'), 5),
                      Act("U", In(kStandBy, 'U'), 9), Act("B", In(kStandBy, 'B'), 6), Act("S", In(kStandBy, 'S'), 7),
                      Act("s", In(kStandBy, 's'), 7), Act("A", In(kStandBy, 'A', kModelRz27Mk2), kNone),
                      Act("E", In(kStandBy, 'E', kModelRz27Mk2), kNone),
                      Act("EnterPressesSelected", Selected(In(kStandBy, 13), 3), 3),
                      Act("GoButton", In(kStandBy, 460), 0), Act("ExitButton", In(kStandBy, 465), 5),
                      Moves("Tab", In(kStandBy, 9), Move::kNext), Moves("Left", In(kStandBy, 37), Move::kPrevious),
                      Menu("ScaleChoice", In(kStandBy, 1101), 1101), Menu("HideChoice", In(kStandBy, 1106), 1106),
                      Menu("CalibrateChoice", In(kStandBy, 1111, kModelRz27Mk2), 1111),
                      Menu("DeleteChoice", In(kStandBy, 1112, kModelRz27Mk2), 1112),
                      Act("UnusedMenuIdIsNothing", In(kStandBy, 1107), kNone)),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Rz27Mk2Monitor, Decoder,
    ::testing::Values(Menu("A", In(kMonitor, 'A', kModelRz27Mk2), 1111), Menu("a", In(kMonitor, 'a', kModelRz27Mk2), 1111),
                      Menu("U", In(kMonitor, 'U', kModelRz27Mk2), 1111), Menu("E", In(kMonitor, 'E', kModelRz27Mk2), 1112),
                      Menu("N", In(kMonitor, 'N', kModelRz27Mk2), 1112),
                      Menu("CalibrateButton", In(kMonitor, 461, kModelRz27Mk2), 1111),
                      Menu("DeleteButton", In(kMonitor, 462, kModelRz27Mk2), 1112),
                      Act("ExitButton", In(kMonitor, 463, kModelRz27Mk2), 1),
                      Act("EnterOnExit", Selected(In(kMonitor, 13, kModelRz27Mk2), 3), 1),
                      Menu("EnterOnCalibrate", Selected(In(kMonitor, 13, kModelRz27Mk2), 1), 1111),
                      Act("X", In(kMonitor, 'X', kModelRz27Mk2), 4), Act("C", In(kMonitor, 'C', kModelRz27Mk2), 0)),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    LoggingPauseKeys, Decoder,
    ::testing::Values(
        Act("Key0AnyCode", In(kLogging, 'S'), 0), Act("Key0Digit", In(kLogging, '5'), 0),
        Act("Key0Button", In(kLogging, 460), 0), Act("AnyButtonPauses", In(kLogging, 463, kModelRz12, 2), 0),
        Act("Mk2Key0DigitNeverPauses", In(kLogging, '0', kModelRz27Mk2), kNone),
        Act("Mk2Key0Digit9", In(kLogging, '9', kModelRz27Mk2), kNone),
        Act("Mk2Key0Letter", In(kLogging, 'A', kModelRz27Mk2), 0),
        Act("Mk2Key0Button", In(kLogging, 460, kModelRz27Mk2), 0),
        Holds("Mk2Key0DigitHoldsMarker", Marker(In(kLogging, '5', kModelRz27Mk2), 0), true),
        Holds("Mk2Key0DigitAlreadyHeld", Marker(In(kLogging, '5', kModelRz27Mk2), 1), false),
        Act("Key1Space", In(kLogging, 32, kModelRz12, 1), 0), Act("Key1Enter", In(kLogging, 13, kModelRz12, 1), kNone),
        Act("Key1Button", In(kLogging, 460, kModelRz12, 1), 0), Act("Key2Enter", In(kLogging, 13, kModelRz12, 2), 0),
        Act("Key2Space", In(kLogging, 32, kModelRz12, 2), kNone),
        Holds("Mk2PortraitKey2ArrowHolds", Marker(In(kLogging, 40, kModelRz27Mk2, 2), 0, 1), true),
        Holds("Mk2LandscapeKey2ArrowNothing", Marker(In(kLogging, 40, kModelRz27Mk2, 2), 0, 0), false),
        Act("Key3P", In(kLogging, 80, kModelRz12, 3), 0), Act("Key3p", In(kLogging, 112, kModelRz12, 3), 0),
        Act("Key3S", In(kLogging, 83, kModelRz12, 3), kNone), Act("Key3Enter", In(kLogging, 13, kModelRz12, 3), kNone),
        Act("Key9CountsAs0", In(kLogging, 83, kModelRz12, 9), 0),
        Act("KeyMinus1CountsAs0", In(kLogging, 13, kModelRz12, -1), 0),
        Act("MenuChoiceWhileLogging", In(kLogging, 1101, kModelRz12, 0), kNone)),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    SoftMarker, Decoder,
    ::testing::Values(
        Holds("DigitHolds", Marker(In(kStandBy, '3'), 0), true), Holds("DigitHeld", Marker(In(kStandBy, '3'), 1), false),
        Holds("Mk2PortraitTabFirstHolds", Marker(In(kStandBy, 9, kModelRz27Mk2), 0, 1), true),
        Moves("Mk2PortraitTabRepeatMoves", Marker(In(kStandBy, 9, kModelRz27Mk2), 1, 1), Move::kNext),
        Holds("Mk2PortraitUpFirstHolds", Marker(In(kMonitor, 38, kModelRz27Mk2), 0, 1), true),
        Moves("Mk2PortraitUpRepeatMoves", Marker(In(kMonitor, 38, kModelRz27Mk2), 1, 1), Move::kPrevious),
        Moves("Mk2LandscapeArrowMoves", Marker(In(kStandBy, 39, kModelRz27Mk2), 0, 0), Move::kNext),
        Moves("OtherModelPortraitMoves", Marker(In(kStandBy, 39), 0, 1), Move::kNext)),
    CaseName);

TEST(Decoder, NothingOutsideTheThreeStates) {
  const LoggingCommand c = DecodeLoggingCommand(In(5, 'G'));
  EXPECT_EQ(c.action, kNone);
  EXPECT_EQ(c.menuCommand, 0u);
}

TEST(Selection, WrapsInsideTheSet) {
  struct Case {
    int selected, count;
    Move move;
    int expected;
  };
  const Case cases[] = {
      {0, 2, Move::kPrevious, 1}, {1, 2, Move::kNext, 0},     {0, 2, Move::kNext, 1},
      {0, 6, Move::kPrevious, 5}, {5, 6, Move::kNext, 0},     {2, 6, Move::kNext, 3},
      {3, 6, Move::kPrevious, 2}, {0, 4, Move::kPrevious, 3}, {7, 6, Move::kNext, 0},
      {4, 6, Move::kNone, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoveSelection(c.selected, 0, c.count, c.move), c.expected) << c.selected << " of " << c.count;
  }
}

TEST(SoftMarkerRelease, ByTheKeysThatHoldIt) {
  EXPECT_TRUE(ReleasesSoftMarker(0, '0'));
  EXPECT_TRUE(ReleasesSoftMarker(0, '9'));
  EXPECT_FALSE(ReleasesSoftMarker(0, 37));
  EXPECT_FALSE(ReleasesSoftMarker(0, 9));
  for (WPARAM key : {WPARAM{37}, WPARAM{38}, WPARAM{39}, WPARAM{40}, WPARAM{9}, WPARAM{'5'}}) {
    EXPECT_TRUE(ReleasesSoftMarker(1, key)) << key;
  }
  EXPECT_FALSE(ReleasesSoftMarker(1, 13));
  EXPECT_FALSE(ReleasesSoftMarker(1, 'A'));
}

TEST(PauseButtons, IndexAndCaptions) {
  EXPECT_EQ(PauseButtonIndex(0, 0), 0);
  EXPECT_EQ(PauseButtonIndex(3, 1), 3);
  EXPECT_EQ(PauseButtonIndex(3, 2), 7);
  EXPECT_EQ(PauseButtonIndex(9, 0), 0);  // out of range: key 0
  EXPECT_EQ(PauseButtonIndex(9, 2), 4);
  EXPECT_EQ(PauseButtonIndex(-1, 1), 0);

  EXPECT_EQ(PauseCaptionRow(0, kModelRz12, 2), 2);
  EXPECT_EQ(PauseCaptionRow(0, kModelRz27Mk2, 2), 10);
  EXPECT_EQ(PauseCaptionRow(1, kModelRz12, 7), 23);
  EXPECT_EQ(PauseCaptionRow(1, kModelRz27Mk2, 4), 28);
  for (int row : {3, 11, 19, 27}) EXPECT_STREQ(PauseCaption(row), L"TAP ME or press P key to Pause") << row;
  for (int row : {7, 15}) EXPECT_STREQ(PauseCaption(row), L"Trigger to Log, Tap or press P key to Pause") << row;
  for (int row : {23, 31}) EXPECT_STREQ(PauseCaption(row), L"Trigger to Log, Tap/P to Pause") << row;
  EXPECT_STREQ(PauseCaption(8), L"TAP ME or press any non numeric key to Pause");
  EXPECT_STREQ(PauseCaption(28), L"Trigger to Log, Tap or press any non numeric key to Pause");
  EXPECT_STREQ(PauseCaption(32), L"");
}

struct TemplateCase {
  LoggingDialog dialog;
  DialogBuild build;
  const wchar_t* name;
};

DialogBuild Build(int32_t model, int32_t portrait = 0, int32_t storageRoot = 1, int32_t zolEnabled = 0,
                  int32_t zolOption = 0) {
  return DialogBuild{model, portrait, storageRoot, zolEnabled, zolOption};
}

TEST(DialogTemplates, ByModelOrientationAndBuild) {
  using D = LoggingDialog;
  const TemplateCase cases[] = {
      {D::kNewLine, Build(kModelRz12), L"GetNewLine"},
      {D::kNewLine, Build(kModelRz27Mk2, 1, 0), L"GetNewLine"},
      {D::kNewStation, Build(kModelRz12), L"GetNewStationwm6"},
      {D::kNewStation, Build(kModelRz12, 0, 0), L"GetNewStation"},
      {D::kNewStation, Build(kModelRz12, 1, 1), L"GetNewStation"},
      {D::kComment, Build(kModelRz45, 1), L"GetComment"},
      {D::kProfileScale, Build(kModelRz45), L"GetNewProfileScale45"},
      {D::kProfileScale, Build(kModelRz12, 0, 1, 1), L"GetNewProfileScaleZOL"},
      {D::kProfileScale, Build(kModelRz12), L"GetNewProfileScale12H"},
      {D::kProfileScale, Build(kModelRz12, 1), L"GetNewProfileScale12"},
      {D::kProfileScale, Build(kModelRz12, 0, 0), L"GetNewProfileScale12"},
      {D::kProfileScale, Build(kModelRz27, 0, 1, 1), L"GetNewProfileScale12H"},  // the ice option is the RZ12's
      {D::kDisplayOptions, Build(kModelRz45), L"GetOptions45"},
      {D::kDisplayOptions, Build(kModelZol12), L"GetOptionsZOL12"},
      {D::kDisplayOptions, Build(kModelRz27Mk2), L"GetOptions27mk2"},
      {D::kDisplayOptions, Build(kModelRz12, 0, 1, 0, 1), L"GetOptionsZOLNew"},
      {D::kDisplayOptions, Build(kModelRz12), L"GetOptions"},
      {D::kDisplayOptions, Build(kModelRz89), L"GetOptions"},
      {D::kDisplayOptions, Build(kModelRz27B, 1), L"GetOptions"},
  };
  for (const TemplateCase& c : cases) {
    EXPECT_STREQ(LoggingDialogTemplate(c.dialog, c.build), c.name) << "model " << c.build.model;
  }
}

}  // namespace
}  // namespace handheld
