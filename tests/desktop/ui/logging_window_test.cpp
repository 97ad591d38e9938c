// The logging window in the running program: its children, buttons and layout, its paint per
// build, the run states by buttons and keys, the commands, the watchdog's bar and the end of a run.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstring>

#include "app_fixture.h"
#include "desktop_test_support.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/logging_commands.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Show;
using test::Switches;
namespace pt = plat::test;

class LoggingWindowTest : public DesktopAppTest {
 protected:
  // The program started and a run begun with the Logging key: the logging window in Monitoring.
  void StartRun(const BuildSwitches& build) {
    Start(build);
    Key('L');
    ASSERT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
    ASSERT_EQ(MainMenu.mode, 1);
  }
  void Paint() {
    OnUi([] {
      InvalidateRect(AppWindows.loggingWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.loggingWnd);
    });
  }
  std::vector<pt::DrawEntry> PaintLog() {
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
    Paint();
    pt::EnableDrawLog(false);
    return pt::DrawLog();
  }
  // Message boxes of that caption opened so far.
  static size_t Boxes(const std::wstring& caption) {
    size_t n = 0;
    for (const pt::ModalRecord& m : pt::ModalLog()) n += m.kind == pt::ModalKind::MessageBox && m.caption == caption;
    return n;
  }
  static bool Drawn(const std::vector<pt::DrawEntry>& log, const std::wstring& text) {
    for (const auto& e : log) {
      if (e.op == pt::DrawOp::Text && e.text == text) return true;
    }
    return false;
  }
  static const pt::DrawEntry* TextEntry(const std::vector<pt::DrawEntry>& log, const std::wstring& text) {
    for (const auto& e : log) {
      if (e.op == pt::DrawOp::Text && e.text == text) return &e;
    }
    return nullptr;
  }
};

TEST_F(LoggingWindowTest, ChildrenButtonsAndFieldsOfTheStandardWindow) {
  StartRun(Switches(kModelRz12));
  HWND curve = AppWindows.curveWnd;
  EXPECT_EQ(Show(pt::RectInParent(curve)), L"20,20,780,404");
  EXPECT_TRUE(pt::Style(curve) & WS_BORDER);
  RECT client{};
  GetClientRect(curve, &client);
  EXPECT_EQ(Show(client), L"0,0,758,382");
  EXPECT_TRUE(pt::IsVisible(curve));
  EXPECT_EQ(Show(pt::RectInParent(AppWindows.numbersWnd)), L"20,410,540,450");
  EXPECT_FALSE(pt::IsVisible(AppWindows.calibrateWnd));
  EXPECT_EQ(Show(pt::RectInParent(LoggingButtons.monitor[0])), L"564,424,778,458");
  EXPECT_EQ(Show(pt::RectInParent(LoggingButtons.standBy[6])), L"674,505,780,530");
  EXPECT_EQ(Show(pt::RectInParent(LoggingButtons.pause)), L"560,424,780,474");
  EXPECT_EQ(pt::Text(LoggingButtons.pause), L"P A U S E");
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.monitor[2]));
  EXPECT_FALSE(pt::IsVisible(LoggingButtons.standBy[0]));
  EXPECT_FALSE(pt::IsVisible(LoggingButtons.pause));
  EXPECT_EQ(pt::Style(LoggingButtons.monitor[0]) & 0x0F, DWORD{BS_DEFPUSHBUTTON});
  for (HWND b : AppWindows.menuButtons) EXPECT_FALSE(pt::IsVisible(b));
  EXPECT_EQ(LoggingLayout.rowY[0], 460);
  EXPECT_EQ(LoggingLayout.boxEdge[1], 367);
  EXPECT_EQ(LoggingLayout.valueRect[3].left, 424);
  EXPECT_EQ(ScreenLayout.drawWidth, 760);
}

TEST_F(LoggingWindowTest, PaintOfEachBuild) {
  const struct {
    const char* name;
    BuildSwitches build;
    const wchar_t* mode;      // null: none
    const wchar_t* caption1;  // null: no captions
    bool autoCal;
  } cases[] = {
      {"rz12xp", Switches(kModelRz12), L"Dipole Mode: Vertical", L"Conductivity", false},
      {"rz27ddxp", Switches(kModelRz27Dd), L"Component: Conductivity", L"Vertical", false},
      {"rz45xp", Switches(kModelRz45), L"Dipole Mode: Vertical-10 m", L"Conductivity", false},
      {"rz27mk2xp", Switches(kModelRz27Mk2), L"Dipole Mode: Vertical", L"Cond 1 m", true},
      {"rz56mk2xp", Switches(kModelRz56Mk2), nullptr, L"Ch1 [mV]", false},
      {"zol12xp", Switches(kModelZol12), nullptr, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    StartRun(c.build);
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
    OnUi([] {
      SurveySettings.component = 2;
      SurveySettings.dipole = 0;
      InvalidateRect(AppWindows.loggingWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.loggingWnd);
      InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.curveWnd);
    });
    pt::EnableDrawLog(false);
    const auto log = pt::DrawLog();
    EXPECT_TRUE(Drawn(log, L"Survey: Auto"));
    EXPECT_TRUE(Drawn(log, L"Monitoring"));
    EXPECT_TRUE(Drawn(log, L"File:        "));
    EXPECT_TRUE(Drawn(log, L"Positions: "));
    EXPECT_TRUE(Drawn(log, L"Line Parameters"));
    EXPECT_EQ(Drawn(log, L"Auto Cal:Off"), c.autoCal);
    if (c.mode != nullptr) {
      EXPECT_TRUE(Drawn(log, c.mode));
    }
    if (c.caption1 != nullptr) {
      const pt::DrawEntry* caption = TextEntry(log, c.caption1);
      ASSERT_NE(caption, nullptr);
      EXPECT_EQ(caption->window, AppWindows.numbersWnd);
      EXPECT_EQ(caption->textColor, RGB(0, 0, 255));
    }
    int boxes = 0;
    int frameLines = 0;
    bool whiteCaptionRow = false;
    for (const auto& e : log) {
      if (e.op == pt::DrawOp::RoundRect) ++boxes;
      if (e.op == pt::DrawOp::Line && e.window == AppWindows.loggingWnd && e.points.size() == 2 &&
          e.points[0].y == 10 && e.points[1].y == 532 && (e.points[0].x == 10 || e.points[0].x == 786)) {
        ++frameLines;
      }
      if (e.op == pt::DrawOp::FillRect && e.window == AppWindows.numbersWnd && e.brushColor == RGB(255, 255, 255) &&
          Show(e.rect) == L"2,4,519,18") {
        whiteCaptionRow = true;
      }
    }
    EXPECT_EQ(boxes, 3);
    EXPECT_EQ(frameLines, 2);
    EXPECT_TRUE(whiteCaptionRow);
    plat::SaveWindowPng(AppWindows.loggingWnd,
                        pt::OutputPath(std::string("desktop_logging_") + c.name + ".png").c_str(), false);
    EXPECT_EQ(End(), 0);
  }
}

TEST_F(LoggingWindowTest, BoxesScaleLabelsAndGpsBoxOfTheRz12) {
  StartRun(Switches(kModelRz12));
  auto log = PaintLog();
  std::vector<std::wstring> rounds;
  for (const auto& e : log) {
    if (e.op == pt::DrawOp::RoundRect) rounds.push_back(Show(e.rect));
  }
  EXPECT_EQ(rounds, (std::vector<std::wstring>{L"20,456,188,532", L"198,456,362,532", L"372,456,540,532"}));
  const pt::DrawEntry* max = TextEntry(log, L"500.0");
  const pt::DrawEntry* max2 = TextEntry(log, L" / 25.0");
  ASSERT_NE(max, nullptr);
  ASSERT_NE(max2, nullptr);
  EXPECT_EQ(max->fontWeight, FW_BOLD);
  EXPECT_EQ(max2->fontWeight, FW_NORMAL);
  EXPECT_EQ(max->rect.right, max2->x);                    // the bold part stands left of the normal one
  EXPECT_EQ(max2->rect.right, LoggingLayout.scaleMaxRect.right - 2);
  EXPECT_TRUE(Drawn(log, L"PDOP:"));
  EXPECT_FALSE(Drawn(log, L"GPS Disabled"));

  OnUi([] { SurveySettings.gpsEnabled = 0; });
  log = PaintLog();
  EXPECT_TRUE(Drawn(log, L"GPS Disabled"));
  EXPECT_FALSE(Drawn(log, L"PDOP:"));
}

// A hand-edited survey mode, dipole or pause key draws nothing in its field and keeps its value.
TEST_F(LoggingWindowTest, SettingsOutsideTheirChoicesDrawNothingInTheirField) {
  StartRun(Switches(kModelRz12));
  OnUi([] {
    SurveySettings.dipole = 9;
    SurveySettings.surveyMode = 7;
  });
  const auto log = PaintLog();
  for (const auto& e : log) {
    if (e.op != pt::DrawOp::Text) continue;
    EXPECT_EQ(e.text.find(L"Dipole Mode"), std::wstring::npos);
    EXPECT_EQ(e.text.find(L"Survey:"), std::wstring::npos);
  }
  EXPECT_EQ(SurveySettings.dipole, 9);
  EXPECT_EQ(SurveySettings.surveyMode, 7);
}

TEST_F(LoggingWindowTest, TabCyclesTheMonitorButtonsBackToTheFirst) {
  StartRun(Switches(kModelRz12));
  for (int expected : {1, 2, 0}) {
    Key(VK_TAB);
    EXPECT_EQ(LoggingButtons.selected, expected);
    EXPECT_EQ(pt::Style(LoggingButtons.monitor[expected]) & 0x0F, DWORD{BS_DEFPUSHBUTTON});
  }
}

TEST_F(LoggingWindowTest, GoShowsPauseWithItsPromptAndPauseReturnsToStandBy) {
  StartRun(Switches(kModelRz12));
  EnterStandBy();
  OnUi([] { SurveySettings.pauseKey = 1; });
  Key('G');
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.pause));
  EXPECT_FALSE(pt::IsVisible(LoggingButtons.standBy[0]));
  EXPECT_EQ(SurveyRun.framesPerReading.load(), LinkState.sampleDivisor);

  const auto log = PaintLog();
  const pt::DrawEntry* first = TextEntry(log, L"Click on PAUSE button or");
  const pt::DrawEntry* second = TextEntry(log, L"press <ENTER> to pause");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->y, 474);
  EXPECT_EQ(second->y, 490);
  for (const pt::DrawEntry* line : {first, second}) {
    EXPECT_EQ(line->x, 560 + (220 - (line->rect.right - line->x)) / 2);  // centred in the PAUSE column
  }
  EXPECT_TRUE(Drawn(log, L"Logging"));

  Key(VK_SPACE);  // not the pause key
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  Key(VK_RETURN);
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_FALSE(pt::IsVisible(LoggingButtons.pause));
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.standBy[0]));
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  EXPECT_FALSE(Drawn(PaintLog(), L"Click on PAUSE button or"));

  Click(LoggingButtons.standBy[0]);  // GO by its button
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  Click(LoggingButtons.pause);       // the button pauses whatever the key
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
}

// New Line sets the line time to 0; GO then PAUSE with no reading in between keeps it at 0.
TEST_F(LoggingWindowTest, GoThenPauseWithNoReadingKeepsTheTimesOfTheStandBy) {
  StartRun(Switches(kModelRz12));
  EnterStandBy();
  OnUi([] {
    SurveyRun.lineTimeMs = 0;  // as New Line leaves it
    SurveyRun.lineTimeNowMs = 3723000;  // the last reading of the line before
    SurveyRun.totalTimeMs = 5000;
    SurveyRun.totalTimeNowMs = 9000;
  });
  Key('G');
  Key(VK_SPACE);
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveyRun.lineTimeMs, 0);
  EXPECT_EQ(SurveyRun.totalTimeMs, 5000);
  const pt::DrawEntry* time = nullptr;
  const auto log = PaintLog();
  for (const auto& e : log) {
    if (e.op == pt::DrawOp::Text && e.y == LoggingLayout.lineTimeRect.top && e.x == LoggingLayout.lineTimeRect.left) {
      time = &e;
    }
  }
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->text, L"00:00:00");
}

// A whole rz12xp run with GPS off and frames streaming, on 5 March at 14:20: Data File, GO, PAUSE
// twice, Exit with Yes. The file holds 24-byte records, each ending in LF, in the run's order (no
// readings yet, and no connection breaks while the frames come), and is whole at the end.
TEST_F(LoggingWindowTest, AScriptedRunWritesItsRecordsInOrder) {
  Start(Switches(kModelRz12));
  OnUi([] { SurveySettings.gpsEnabled = 0; });
  sim::InstrumentOptions frames;
  frames.model = kModelRz12;
  frames.count = 200;  // 18 s of frames
  sim::InstrumentStream stream(frames);
  sim::FeedVirtualPort(*com1_, stream, GetTickCount());
  Key('L');
  EnterStandBy(L"");  // the proposal: month, day, hour and the first free letter
  for (int i = 0; i < 2; ++i) {
    Key('G');
    EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
    ASSERT_TRUE(pt::RunFor(1000));  // ticks of timer 1 while the frames come
    Key(VK_SPACE);  // pause key 0: any key
    EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
    EXPECT_TRUE(SurveyRun.dataFile.IsOpen());
  }
  EXPECT_LT(GetTickCount() - LinkState.lastFrameTick.load(), 300u);  // the reader took the frames
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Key('X');
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());

  const std::string file = test::RootFileBytes("C/030514A.R12");
  ASSERT_EQ(file.size() % 24, 0u) << file;
  std::vector<std::string> records;
  for (size_t at = 0; at < file.size(); at += 24) {
    EXPECT_EQ(file[at + 23], '\n') << at;
    records.push_back(file.substr(at, 23));
  }
  ASSERT_GE(records.size(), 8u);
  EXPECT_EQ(records[0].substr(0, 22), "RZ12    W106GRD0000   ");
  EXPECT_EQ(records[0].substr(22, 1), "1");
  EXPECT_EQ(records[1].substr(0, 21), "H 030514A    0.200   ");
  // The line block, then the time record.
  EXPECT_EQ(records[2].substr(0, 2), "L1");
  EXPECT_EQ(records[4], "AS            1.000    ");
  EXPECT_EQ(records[5].substr(0, 15), "Z05032026 14:20");
  EXPECT_EQ(records[6][0], '*');
  const std::vector<std::string> events = {"X$STARTED", "X$PAUSED", "X$STARTED", "X$PAUSED"};
  std::vector<std::string> seen;
  for (const std::string& r : records) {
    if (r[0] == 'X') seen.push_back(r.substr(0, r.find(' ')));
  }
  EXPECT_EQ(seen, events);
  EXPECT_EQ(records.back().substr(0, 9), "X$PAUSED ");
}

TEST_F(LoggingWindowTest, ExitInMonitoringAsksNothingAndASecondStopIsHarmless) {
  StartRun(Switches(kModelRz12));
  Key('X');
  EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(MainMenu.mode, 0);
  for (HWND b : AppWindows.menuButtons) EXPECT_TRUE(pt::IsVisible(b));
  EXPECT_TRUE(pt::ModalLog().empty());
  int second = -1;
  OnUiSettled([&] { second = StopLogging(); });
  EXPECT_EQ(second, 1);
  EXPECT_TRUE(pt::ModalLog().empty());
  EXPECT_EQ(End(), 0);
}

TEST_F(LoggingWindowTest, ExitInStandByAsksAndNoKeepsTheRun) {
  StartRun(Switches(kModelRz12));
  EnterStandBy();
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDNO});
  Key('X');
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_TRUE(pt::IsVisible(LoggingButtons.standBy[0]));
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Click(LoggingButtons.standBy[6]);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
  // The hidden window's sets are ready for the next run: the Monitor set on, the Stand By set off.
  EXPECT_TRUE(pt::Style(LoggingButtons.monitor[0]) & WS_VISIBLE);
  EXPECT_FALSE(pt::Style(LoggingButtons.standBy[0]) & WS_VISIBLE);
  EXPECT_EQ(MainMenu.mode, 0);
}

TEST_F(LoggingWindowTest, Rz27Mk2CalibrationNoRestoresAndExitMidCalibrationRestoresTheOffsets) {
  StartRun(Switches(kModelRz27Mk2));
  OnUi([] {
    for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = 1.5f * static_cast<float>(i + 1);
  });
  pt::ExpectMessageBox({L"Calibration", L"Place  RZ27-MK2  on  Monopod", IDNO});
  Key('A');
  EXPECT_EQ(SurveySettings.mk2Offset[5], 9.0f);
  EXPECT_EQ(Rz27Mk2Calibration.active, 0);

  pt::ExpectMessageBox({L"Calibration", L"Place  RZ27-MK2  on  Monopod", IDYES});
  Click(LoggingButtons.monitor[2]);
  EXPECT_EQ(Rz27Mk2Calibration.active, -1);
  EXPECT_EQ(SurveySettings.mk2Offset[5], 0.0f);
  Click(LoggingButtons.monitor[2]);  // a second Calibrate does nothing: the zeros never reach the backup
  EXPECT_EQ(Rz27Mk2Calibration.backup[5], 9.0f);
  EXPECT_EQ(pt::ModalLog().size(), 2u);

  Click(LoggingButtons.monitor[4]);  // Exit
  EXPECT_FALSE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(SurveySettings.mk2Offset[5], 9.0f);
  EXPECT_EQ(SurveySettings.mk2Offset[0], 1.5f);
  EXPECT_EQ(Rz27Mk2Calibration.active, 0);
  EXPECT_EQ(Rz27Mk2Calibration.phase, 0);
}

TEST_F(LoggingWindowTest, DeleteCalibrationYesZeroesTheOffsetsAndShowsAutoCalOff) {
  StartRun(Switches(kModelRz27Mk2));
  EnterStandBy();
  OnUi([] {
    SurveySettings.mk2Offset[0] = 10.0f;
    Rz27Mk2Calibration.step = 1;
  });
  EXPECT_TRUE(Drawn(PaintLog(), L"Auto Cal:On"));
  pt::ExpectMessageBox({L"Delete Calibration", L"remove Calibration factors?", IDYES});
  Key('E');
  EXPECT_EQ(SurveySettings.mk2Offset[0], 0.0f);
  EXPECT_EQ(Rz27Mk2Calibration.previous[0], 10.0f);
  EXPECT_TRUE(Drawn(PaintLog(), L"Auto Cal:Off"));
  // O1 to O6 close the file, each with the new and the replaced offset; the settings keep zeros.
  const std::string file = test::RootFileBytes("C/RUN1.N27");
  ASSERT_GE(file.size(), 6u * 26u);
  EXPECT_EQ(file.substr(file.size() - 6 * 26, 25), "O1     0.000     10.000  ");
  EXPECT_EQ(file.substr(file.size() - 26, 2), "O6");
  const std::string settings = test::RootFileBytes("C/RZ27MK2XP.INI");
  EXPECT_EQ(settings.find("10.0"), std::string::npos);
}

TEST_F(LoggingWindowTest, NullingInStandByAsksAndQcDisablesThePlotAndTheSet) {
  StartRun(Switches(kModelRz56Mk2));
  Normalise();
  EnterStandBy();
  pt::ExpectMessageBox({L"NULLING", L"DO YOU WANT TO PERFORM NULLING", IDNO});
  Key('U');
  EXPECT_EQ(SurveyRun.acquisitionState, 1);
  pt::ExpectMessageBox({L"NULLING", L"DO YOU WANT TO PERFORM NULLING", IDYES});
  Click(LoggingButtons.standBy[5]);
  EXPECT_EQ(SurveyRun.acquisitionState, -1);
  OnUi([] { SurveyRun.acquisitionState = 1; });

  Click(LoggingButtons.standBy[6]);  // Int. QC
  EXPECT_EQ(SurveyRun.acquisitionState, -2);
  EXPECT_EQ(Rz56Calibration.qcCode, 'I');
  EXPECT_FALSE(pt::IsEnabled(AppWindows.curveWnd));
  for (HWND b : LoggingButtons.standBy) EXPECT_FALSE(pt::IsEnabled(b));
  Key('X');  // nothing during the check
  EXPECT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_EQ(Boxes(L"NULLING"), 2u);
}

// The first 98 frames of an RZ56-MK2 run fill the current ring; until then keys and buttons that
// would disturb it do nothing, and at 100 % the Monitor set comes back.
TEST_F(LoggingWindowTest, Rz56Mk2NormalisationFillsTheRingThenEnablesTheButtons) {
  StartRun(Switches(kModelRz56Mk2));
  EXPECT_EQ(SurveyRun.acquisitionState, 0);
  for (int i : {0, 1, 3, 4, 5}) EXPECT_FALSE(pt::IsEnabled(LoggingButtons.monitor[i])) << i;
  EXPECT_TRUE(pt::IsEnabled(LoggingButtons.monitor[2]));  // E&xit
  Key('F');  // no data file while normalising
  Key('I');  // nor a QC check, which would spoil the mean current
  EXPECT_EQ(SurveyRun.acquisitionState, 0);
  EXPECT_TRUE(pt::ModalLog().empty());
  Normalise();
  EXPECT_EQ(SurveyRun.acquisitionState, 1);
  EXPECT_EQ(Rz56Calibration.currentIndex, 0);
  EXPECT_NE(Rz56Calibration.currentSum, 0.0f);
  for (HWND b : LoggingButtons.monitor) EXPECT_TRUE(pt::IsEnabled(b));
  // Running: each conversion moves the ring on, and its mean is the steady current.
  ASSERT_TRUE(pt::RunFor(500));
  EXPECT_GT(Rz56Calibration.currentIndex, 0);
  EXPECT_EQ(Rz56Calibration.currentMean, 1800.0f);
}

// CurveWnd's paint draws the grid rows in force across the plotting width, in grey; a last-row
// index past the grid's ten entries draws only the rows it has.
TEST_F(LoggingWindowTest, CurvePaintDrawsTheGridRowsAcrossThePlot) {
  StartRun(Switches(kModelRz12));
  const struct {
    int32_t grid[10];
    std::vector<LONG> rows;
  } cases[] = {
      {{5, 384, 307, 230, 153, 76}, {384, 307, 230, 153, 76}},
      {{42, 200, 150, 100, 50, 25, 12, 6, 3, 1}, {200, 150, 100, 50, 25, 12, 6, 3, 1}},
  };
  for (const auto& c : cases) {
    OnUi([&] { std::memcpy(PlotState.grid, c.grid, sizeof PlotState.grid); });
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
    OnUi([] {
      InvalidateRect(AppWindows.curveWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.curveWnd);
    });
    pt::EnableDrawLog(false);
    std::vector<LONG> rows;
    for (const auto& e : pt::DrawLog()) {
      if (e.op != pt::DrawOp::Line || e.window != AppWindows.curveWnd) continue;
      rows.push_back(e.points[0].y);
      EXPECT_EQ(e.penColor, RGB(192, 192, 192));
      EXPECT_EQ(e.points[0].x, 0);
      EXPECT_EQ(e.points[1].x, 760);
    }
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(pt::WindowPixel(AppWindows.curveWnd, 100, c.rows[1]), RGB(192, 192, 192));
  }
}

TEST_F(LoggingWindowTest, ScaleAndProfilesOpenTheirDialogsAndRedraw) {
  StartRun(Switches(kModelRz12));
  pt::OnModal(pt::ModalKind::Dialog, L"Readings Scale", [](pt::ModalContext& ctx) { ctx.Cancel(); });
  pt::OnModal(pt::ModalKind::Dialog, L"Setup Display Options", [](pt::ModalContext& ctx) { ctx.Cancel(); });
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  Click(LoggingButtons.monitor[1]);
  pt::EnableDrawLog(false);
  ASSERT_EQ(pt::ModalLog().size(), 1u);
  EXPECT_EQ(pt::ModalLog()[0].caption, L"Readings Scale");
  EXPECT_TRUE(Drawn(pt::DrawLog(), L"Monitoring"));
  Key('P');
  ASSERT_EQ(pt::ModalLog().size(), 2u);
  EXPECT_EQ(pt::ModalLog()[1].caption, L"Setup Display Options");
  EXPECT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
}

TEST_F(LoggingWindowTest, ALateTickShowsTheRedBarAndTheRunGoesOn) {
  StartRun(Switches(kModelRz12));
  EnterStandBy();
  OnUi([] {
    LinkState.lastFrameTick = GetTickCount() - 301;
    SendMessageA(AppWindows.loggingWnd, WM_TIMER, kWatchdogTimer, 0);
  });
  EXPECT_EQ(pt::WindowPixel(AppWindows.numbersWnd, 5, LoggingLayout.valueRowRect.top + 2), RGB(255, 0, 0));
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  OnUi([] {
    InvalidateRect(AppWindows.numbersWnd, nullptr, TRUE);
    UpdateWindow(AppWindows.numbersWnd);
    LinkState.lastFrameTick = GetTickCount() - 300;
    SendMessageA(AppWindows.loggingWnd, WM_TIMER, kWatchdogTimer, 0);
  });
  EXPECT_NE(pt::WindowPixel(AppWindows.numbersWnd, 5, LoggingLayout.valueRowRect.top + 2), RGB(255, 0, 0));
}

// A record write that failed is told once; the run goes on.
TEST_F(LoggingWindowTest, AFailedWriteIsToldOnceAndTheRunGoesOn) {
  StartRun(Switches(kModelRz12));
  EnterStandBy();
  pt::FailWritesAfter(0);
  const char record[24] = {'X'};
  EXPECT_FALSE(SurveyRun.dataFile.Append(record, sizeof record));
  pt::ExpectMessageBox({L"WARNING", L"Data file could not be saved", IDOK});
  auto tickWithAFrame = [] {
    LinkState.lastFrameTick = GetTickCount();  // no late link: nothing else is written
    SendMessageA(AppWindows.loggingWnd, WM_TIMER, kWatchdogTimer, 0);
  };
  OnUi(tickWithAFrame);
  OnUi(tickWithAFrame);
  EXPECT_EQ(Boxes(L"WARNING"), 1u);
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
}

}  // namespace
}  // namespace desktop
