// The QC panel's step machine: buttons, keys and ticks to its next step, and its paint by step.
#include "ui/qc_panel_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace desktop {
namespace {

Rz56QcPanelState Panel(int32_t step, int32_t result = 0, int32_t seconds = 0, int32_t focused = 0) {
  Rz56QcPanelState p;
  p.qcStep = step;
  p.qcResult = result;
  p.qcSecondsOrOk = seconds;
  p.qcFocusedButton = focused;
  p.qcRecordsWritten = 1;
  return p;
}

// The step's flags as letters, in the order the window carries them out: stop, start, disable
// OK, default style, counter, repaint, close.
std::string Flags(const QcPanelStep& s) {
  std::string f;
  if (s.stopTimer) f += 'S';
  if (s.startTimer) f += 'T';
  if (s.disableOk) f += 'D';
  if (s.moveDefault) f += 'M';
  if (s.drawCounter) f += 'C';
  if (s.repaint) f += 'R';
  if (s.close) f += 'X';
  return f;
}

TEST(QcPanelRulesTest, ButtonsKeysAndTicks) {
  const struct {
    const char* name;
    Rz56QcPanelState before;
    QcInput input;
    WPARAM ch;
    const char* flags;
    int32_t step, result, seconds, focused;
  } cases[] = {
      {"OK at the instructions starts the wait", Panel(0), QcInput::kOkButton, 0, "TDMR", 1, 0, 0, 1},
      {"Enter at the instructions is OK", Panel(0), QcInput::kChar, '\r', "TDMR", 1, 0, 0, 1},
      {"'O' at the instructions is OK", Panel(0), QcInput::kChar, 'O', "TDMR", 1, 0, 0, 1},
      {"Enter while waiting cancels", Panel(1, 0, 5, 1), QcInput::kChar, '\r', "SX", 0, 0, 5, 1},
      {"'o' while waiting does nothing", Panel(1, 0, 5, 1), QcInput::kChar, 'o', "", 1, 0, 5, 1},
      {"OK while waiting does nothing", Panel(1, 0, 5, 1), QcInput::kOkButton, 0, "", 1, 0, 5, 1},
      {"Enter on OK while waiting does nothing", Panel(1, 0, 5, 0), QcInput::kChar, '\r', "", 1, 0, 5, 0},
      {"'c' cancels", Panel(1, 0, 5, 1), QcInput::kChar, 'c', "SX", 0, 0, 5, 1},
      {"'C' cancels the instructions", Panel(0), QcInput::kChar, 'C', "SX", 0, 0, 0, 0},
      {"Cancel closes the result", Panel(2, 1, 1, 0), QcInput::kCancelButton, 0, "SX", 0, 1, 1, 0},
      {"OK on the result closes", Panel(2, 1, 1, 0), QcInput::kOkButton, 0, "SX", 0, 1, 1, 0},
      {"'o' on the time out closes", Panel(2, 2, 60, 0), QcInput::kChar, 'o', "SX", 0, 2, 60, 0},
      {"Tab moves the mark to Cancel", Panel(0), QcInput::kChar, '\t', "M", 0, 0, 0, 1},
      {"Tab moves it back", Panel(1, 0, 3, 1), QcInput::kChar, '\t', "M", 1, 0, 3, 0},
      {"other characters do nothing", Panel(0), QcInput::kChar, 'x', "", 0, 0, 0, 0},
      {"a key down does nothing", Panel(0), QcInput::kKeyDown, VK_RETURN, "", 0, 0, 0, 0},
      {"a tick counts while waiting", Panel(1, 0, 3, 1), QcInput::kTick, 0, "C", 1, 0, 4, 1},
      {"the 60th tick times out", Panel(1, 0, 59, 1), QcInput::kTick, 0, "SCR", 2, 2, 60, 1},
      {"a tick after a verdict shows it", Panel(2, 1, 1, 1), QcInput::kTick, 0, "SR", 2, 1, 1, 1},
      {"a tick at the instructions does nothing", Panel(0), QcInput::kTick, 0, "", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Rz56QcPanelState p = c.before;
    const QcPanelStep step = StepQcPanel(p, c.input, c.ch);
    EXPECT_EQ(Flags(step), c.flags) << c.name;
    EXPECT_EQ(p.qcStep, c.step) << c.name;
    EXPECT_EQ(p.qcResult, c.result) << c.name;
    EXPECT_EQ(p.qcSecondsOrOk, c.seconds) << c.name;
    EXPECT_EQ(p.qcFocusedButton, c.focused) << c.name;
    EXPECT_EQ(p.qcRecordsWritten, step.close ? 0 : 1) << c.name;
  }
}

TEST(QcPanelRulesTest, AVerdictAtThreeAndAHalfSecondsShowsAtTheFourthTickWithTheCounterStopped) {
  Rz56QcPanelState p = Panel(0);
  StepQcPanel(p, QcInput::kOkButton);
  std::vector<std::string> flags;
  const float values[4] = {1, 1, 1, 1};
  float qcValue[4] = {};
  for (int tick = 1; tick <= 4; ++tick) {
    if (tick == 4) ApplyRz56QcVerdict(p, Rz56QcVerdict::kPassed, values, qcValue);  // at 3.4 s
    flags.push_back(Flags(StepQcPanel(p, QcInput::kTick)));
  }
  // Ticks 1 to 3 draw "1 of 60" to "3 of 60"; the 4th shows the verdict and stops the timer.
  EXPECT_EQ(flags, (std::vector<std::string>{"C", "C", "C", "SR"}));
  EXPECT_EQ(p.qcSecondsOrOk, 1);  // OK, no longer a count
}

struct Line {
  std::string text;
  int y;
  int x;
  bool bold;
  bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(const QcPaint& paint) {
  std::vector<Line> out;
  for (const QcText& t : paint.texts) out.push_back({t.text, t.y, t.x, t.bold});
  return out;
}

TEST(QcPanelRulesTest, PaintByStepAndResult) {
  const float values[4] = {96.67f, -1234.56f, 0.04f, 1e9f};
  const std::string anyButton = "click on any button or press <Enter>";
  auto Values = [&](const std::string& verdict) {
    return std::vector<Line>{{"Internal QC Coil Calibration", 2, -1, false},
                             {"Calibration values", 20, -1, false},
                             {"Channel 1:     96.7", 35, 56, false},
                             {"Channel 2:  -1234.6", 50, 56, false},
                             {"Channel 3:      0.0", 65, 56, false},
                             {"Channel 4: 1000000000.0", 80, 56, false},
                             {verdict, 95, -1, true},
                             {anyButton, 108, -1, false}};
  };
  const struct {
    const char* name;
    Rz56QcPanelState panel;
    int32_t external;
    std::vector<Line> lines;
    bool enableOk, stopTimer;
  } cases[] = {
      {"instructions",
       Panel(0, 0, 0, 1),
       0,
       {{"Internal QC Coil Calibration", 2, -1, false},
        {"Please click on OK button and", 20, -1, false},
        {"then press QC Coil button", 35, -1, false},
        {"and hold for 5 seconds", 50, -1, false}},
       true,
       false},
      {"waiting",
       Panel(1, 0, 12, 1),
       1,
       {{"External QC Coil Calibration", 2, -1, false},
        {"Waiting for Calibration values", 20, -1, false},
        {"(you may cancel at any time)", 35, -1, false},
        {" 0 of 60", 65, -1, true}},
       false,
       false},
      {"passed",
       Panel(2, 1, 1, 1),
       0,
       Values("CALIBRATION OK"),
       true,
       true},
      {"failed",
       Panel(2, 1, 0, 1),
       0,
       Values("CALIBRATION FAILED"),
       true,
       true},
      {"time out",
       Panel(2, 2, 60, 1),
       1,
       {{"External QC Coil Calibration", 2, -1, false},
        {"CALIBRATION TIME OUT", 50, -1, true},
        {anyButton, 80, -1, false}},
       true,
       true},
      {"no result yet", Panel(2, 0, 0, 1), 0, {{"Internal QC Coil Calibration", 2, -1, false}}, false, false},
  };
  for (const auto& c : cases) {
    Rz56QcPanelState p = c.panel;
    const QcPaint paint = PaintQcPanel(p, c.external, values);
    EXPECT_EQ(Lines(paint), c.lines) << c.name;
    EXPECT_EQ(paint.enableOk, c.enableOk) << c.name;
    EXPECT_EQ(paint.stopTimer, c.stopTimer) << c.name;
    EXPECT_EQ(p.qcFocusedButton, c.enableOk ? 0 : 1) << c.name;
  }
}

TEST(QcPanelRulesTest, AValuesResultWritesItsRecordsAtItsFirstPaintOnly) {
  const float values[4] = {1, 2, 3, 4};
  Rz56QcPanelState p = Panel(2, 1, 1);
  p.qcRecordsWritten = 0;
  EXPECT_TRUE(PaintQcPanel(p, 0, values).writeRecords);
  EXPECT_FALSE(PaintQcPanel(p, 0, values).writeRecords);  // covered and uncovered
  StepQcPanel(p, QcInput::kOkButton);                     // closed: the next result writes again
  EXPECT_EQ(p.qcRecordsWritten, 0);
  Rz56QcPanelState timeout = Panel(2, 2, 60);
  timeout.qcRecordsWritten = 0;
  EXPECT_FALSE(PaintQcPanel(timeout, 0, values).writeRecords);
}

}  // namespace
}  // namespace desktop
