// The display options, readings scale and GPS port setup: live colours and widths put back on
// Cancel, the colour chooser and its custom colours, the one-visible-channel rule, the scale's
// widening and factors, the GPS line settings through to the next opened port, the settings lines
// each OK rewrites and the nothing a Cancel changes, and the sample button's pixels.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/setup_fields.h"
#include "dialog_fixture.h"
#include "engine/ports.h"
#include "ui/plot.h"
#include "ui/setup_rules.h"

namespace desktop {
namespace {

using plat::test::ModalContext;

constexpr int kChoiceList = 1200;
constexpr int kCheckIds[] = {1162, 1163, 1164, 1165, 3005, 3006, 3007, 3008};

class DisplayOptions : public test::DialogTest {
 protected:
  INT_PTR OpenDisplay(const test::Script& script) { return Open(ThisModel().displayDialog, DisplayOptionsDlgProc, script); }
};

// A colour and two widths change while the dialog is open (on the sample buttons too) and all
// three go back on Cancel; a cancelled chooser keeps the colour.
TEST_F(DisplayOptions, ChangesAreLiveAndCancelPutsThemBack) {
  SetUpBuild(kModelRz12);
  const std::string settings = SettingsBytes();
  const auto file = SettingsLines();
  plat::test::ExpectColour(RGB(10, 20, 30));
  plat::test::ExpectColour(plat::test::kCancel);
  OpenDisplay([&](ModalContext& ctx) {
    ctx.Click(1170);
    EXPECT_EQ(SurveySettings.traceColour[0], static_cast<int32_t>(RGB(10, 20, 30)));
    ctx.Click(1171);  // cancelled
    EXPECT_EQ(SurveySettings.traceColour[1], 65280);
    ctx.Select(1196, 3);
    ctx.Select(1199, 0);
    EXPECT_EQ(SurveySettings.traceThickness[0], 4);
    EXPECT_EQ(SurveySettings.traceThickness[3], 1);
    plat::test::PumpUntilIdle();
    // The first sample shows the new colour on its row, top + 10, from left + 3.
    const RECT r = plat::test::RectInParent(ctx.Control(1170));
    POINT p{r.left + 3 + 5, r.top + 10};
    ClientToScreen(ctx.Window(), &p);
    EXPECT_EQ(plat::test::ScreenPixel(p.x, p.y), RGB(10, 20, 30));
    ctx.Click(IDCANCEL);
  });
  EXPECT_EQ(SettingsBytes(), settings);
  EXPECT_EQ(SettingsLines(), file);
}

// Custom colours stored in one use of the chooser are offered at the next.
TEST_F(DisplayOptions, CustomColoursAreKeptBetweenUses) {
  SetUpBuild(kModelRz12);
  PlotState.customColours[5] = RGB(7, 8, 9);
  plat::test::ExpectColour(RGB(1, 2, 3));
  EXPECT_TRUE(PickColour(owner_, 2));
  EXPECT_EQ(PlotState.pickedColour[2], RGB(1, 2, 3));
  EXPECT_EQ(PlotState.customColours[5], RGB(7, 8, 9));
  plat::test::ExpectColour(plat::test::kCancel);
  EXPECT_FALSE(PickColour(owner_, 2));
  EXPECT_EQ(PlotState.pickedColour[2], RGB(1, 2, 3));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log.back().flags, CC_ANYCOLOR);
}

// Through the display options and the chooser itself: a colour stored with "Store as custom" in
// one use is offered as custom colour 1 at the next, where it is chosen by its swatch.
TEST_F(DisplayOptions, TheChooserOffersTheCustomColoursStoredAtItsLastUse) {
  SetUpBuild(kModelRz12);
  const COLORREF stored = RGB(64, 0, 64);  // the basic swatch above black, where the chooser starts
  OpenDisplay([&](ModalContext& ctx) {
    plat::test::OnModal(plat::test::ModalKind::Colour, L"Color", [](ModalContext& chooser) {
      chooser.Key(VK_UP);
      plat::test::Click(chooser.Control(plat::kStoreCustomId));
      plat::test::Click(chooser.Control(IDOK));
    });
    ctx.Click(1170);
    EXPECT_EQ(PlotState.customColours[0], stored);
    EXPECT_EQ(SurveySettings.traceColour[0], static_cast<int32_t>(stored));
    // Next use: down from black into the custom colours' last, then left to the first.
    plat::test::OnModal(plat::test::ModalKind::Colour, L"Color", [](ModalContext& chooser) {
      chooser.Key(VK_DOWN);
      for (int i = 0; i < 7; ++i) chooser.Key(VK_LEFT);
      plat::test::Click(chooser.Control(IDOK));
    });
    ctx.Click(1171);
    EXPECT_EQ(SurveySettings.traceColour[1], static_cast<int32_t>(stored));
    ctx.Click(IDCANCEL);
  });
  EXPECT_EQ(plat::test::ModalLog().size(), 3u);
}

// Every channel unticked: one stays visible by model; list 1200 stores the amplitude mode on the
// RZ56-MK2 and the grid scale elsewhere; OK saves and remakes the pens without leaking any.
TEST_F(DisplayOptions, OkKeepsOneChannelVisibleAndStoresTheList) {
  const struct {
    int32_t model;
    int channels;
    int visible;  // the channel left on
  } cases[] = {{kModelRz56Mk2, 4, 2}, {kModelRz12, 4, 0}, {kModelRz45, 6, 0}, {kModelRz27Mk2, 8, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    SetUpBuild(c.model);
    CreateTracePens(0);
    const size_t objects = plat::test::LiveGdiObjects();
    const auto before = SettingsLines();
    OpenDisplay([&](ModalContext& ctx) {
      for (int i = 0; i < c.channels; ++i) ctx.Check(kCheckIds[i], false);
      if (ctx.Control(kChoiceList) != nullptr) ctx.Select(kChoiceList, 1);
      ctx.Click(IDOK);
    });
    for (int i = 0; i < 8; ++i) EXPECT_EQ(SurveySettings.traceVisible[i], i == c.visible ? 1 : 0) << i;
    EXPECT_EQ(SurveySettings.rz56ScaleMode, c.model == kModelRz56Mk2 ? 1 : 0);
    EXPECT_EQ(SurveySettings.gridScale, c.model == kModelRz56Mk2 || c.model == kModelRz45 ? 0 : 1);
    EXPECT_EQ(plat::test::LiveGdiObjects(), objects);
    EXPECT_FALSE(ChangedSettings(before, SettingsLines()).empty());
    TearDown();
  }
}

// OK rewrites exactly the lines of the channels' visibility (0 for a channel without a box),
// widths and colours and of list 1200's setting, by model.
TEST_F(DisplayOptions, OkRewritesExactlyItsSettingsLines) {
  const std::vector<OkCase> cases = {
      {"RZ12", kModelRz12, nullptr,
       [](ModalContext& ctx) {
         plat::test::ExpectColour(RGB(1, 2, 3));
         ctx.Click(1170);
         ctx.Check(1163, false);
         ctx.Select(1199, 3);
         ctx.Select(kChoiceList, 1);
       },
       {"traceVisible[1]=0", "traceVisible[4]=0", "traceVisible[5]=0", "traceVisible[6]=0", "traceVisible[7]=0",
        "traceThickness[3]=4", "traceColour[0]=197121", "gridScale=1"}},
      {"RZ56-MK2", kModelRz56Mk2, nullptr,
       [](ModalContext& ctx) {
         ctx.Check(1162, false);
         ctx.Select(kChoiceList, 1);
       },
       {"traceVisible[0]=0", "traceVisible[4]=0", "traceVisible[5]=0", "traceVisible[6]=0", "traceVisible[7]=0",
        "rz56ScaleMode=1"}},
      {"RZ45-3: no list, the grid scale becomes 0", kModelRz45, [] { SurveySettings.gridScale = 1; },
       [](ModalContext& ctx) {
         ctx.Check(kCheckIds[4], false);
         ctx.Select(3002, 2);
       },
       {"traceVisible[4]=0", "traceVisible[6]=0", "traceVisible[7]=0", "traceThickness[5]=3", "gridScale=0"}},
      {"RZ27-MK2", kModelRz27Mk2, nullptr,
       [](ModalContext& ctx) {
         ctx.Check(kCheckIds[7], false);
         ctx.Select(3009, 3);
       },
       {"traceVisible[7]=0", "traceThickness[6]=4"}},
  };
  ExpectOkChanges(cases, [] { return ThisModel().displayDialog; }, DisplayOptionsDlgProc);
}

// OK on the RZ27-MK2-1 selects the channels again without the absent 0.5 m pair, whatever the
// check boxes say, and remakes the pens: the next segment of channel 0 has its new colour.
TEST_F(DisplayOptions, OkOnTheRz27Mk2OnePlotsNoChannel4To7AndTheNextSegmentHasTheNewColour) {
  SetUpBuild(kModelRz27Mk2);
  SurveySettings.mk2Type = 1;
  SurveySettings.surveyMode = kModeManual;
  SurveySettings.dipole = 2;  // both dipoles: every channel the build has
  ScreenLayout.drawWidth = 760;
  CreatePensAndBrushes();
  CreateTracePens(0);
  plat::test::ExpectColour(RGB(10, 20, 30));
  OpenDisplay([&](ModalContext& ctx) {
    for (int id : kCheckIds) ctx.Check(id, true);
    ctx.Click(1170);
    ctx.Click(IDOK);
  });
  for (int c = 0; c < 8; ++c) EXPECT_EQ(PlotState.traceShown[c], c < 4 ? 1 : 0) << c;

  // A reading with every channel: segments of channels 0 to 3 only, channel 0 in the new colour.
  int32_t rows[8] = {};
  for (int c = 0; c < 8; ++c) {
    TraceSet.traceValid[c] = 1;
    rows[c] = 10 + 20 * c;
  }
  plat::test::EnableDrawLog(true);
  HDC dc = GetDC(owner_);
  PlotReadingPoint(dc, rows);
  ReleaseDC(owner_, dc);
  plat::test::EnableDrawLog(false);
  std::vector<COLORREF> pens;
  for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
    if (e.op == plat::test::DrawOp::Line) pens.push_back(e.penColor);
  }
  const SurveySettingsData& s = SurveySettings;
  EXPECT_EQ(pens, (std::vector<COLORREF>{RGB(10, 20, 30), static_cast<COLORREF>(s.traceColour[1]),
                                         static_cast<COLORREF>(s.traceColour[2]),
                                         static_cast<COLORREF>(s.traceColour[3])}));
}

TEST(ColourSample, PixelsOfTheSampleLine) {
  const RECT r{10, 5, 70, 29};
  const survey::ColourButtonShapes up = survey::ColourButtonShapesFor(r, false, false);
  EXPECT_EQ(up.sampleFrom.x, 13);
  EXPECT_EQ(up.sampleFrom.y, 15);
  EXPECT_EQ(up.sampleTo.x, 65);
  EXPECT_EQ(up.sampleTo.y, 15);
  const survey::ColourButtonShapes down = survey::ColourButtonShapesFor(r, true, false);
  EXPECT_EQ(down.sampleFrom.y, 11);
  EXPECT_EQ(down.sampleTo.y, 19);
  EXPECT_EQ(down.sampleTo.x, 65);
}

// ---- Readings scale --------------------------------------------------------------------------

class ReadingsScale : public test::DialogTest {};

TEST_F(ReadingsScale, OkWidensAndGivesFiniteFactors) {
  const struct {
    int32_t model;
    const wchar_t *min1, *max1, *min2, *max2;
    float s1min, s1max, s2min, s2max;
  } cases[] = {
      {kModelRz12, L"500", L"100", L"5", L"5", 500, 600, 5, 15},
      {kModelRz12, L"1e20", L"inf", L"-3e9", L"0x10", 1e6f, 1e6f + 100, -1e6f, 0},
      {kModelRz12, L"abc", L"", L"-2", L"8", 0, 100, -2, 8},
      {kModelRz45, L"10", L"20", L"", L"", 10, 20, -25, 25},  // the second scale stays
      {kModelRz56Mk2, L"0", L"2000", L"", L"", 0, 2000, -25, 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    SetUpBuild(c.model);
    SurveySettings.scale2Min = -25;
    SurveySettings.scale2Max = 25;
    PlotState.havePrev[3] = 1;
    PlotState.started = 1;
    Open(ThisModel().scaleDialog, ProfileScaleDlgProc, [&](ModalContext& ctx) {
      EXPECT_EQ(ctx.ControlText(1174), L"0.0");
      ctx.SetText(1174, c.min1);
      ctx.SetText(1177, c.max1);
      if (ctx.Control(1180) != nullptr) {
        ctx.SetText(1180, c.min2);
        ctx.SetText(1181, c.max2);
      }
      ctx.Click(IDOK);
    });
    const SurveySettingsData& s = SurveySettings;
    EXPECT_FLOAT_EQ(s.scale1Min, c.s1min);
    EXPECT_FLOAT_EQ(s.scale1Max, c.s1max);
    EXPECT_FLOAT_EQ(s.scale2Min, c.s2min);
    EXPECT_FLOAT_EQ(s.scale2Max, c.s2max);
    EXPECT_TRUE(std::isfinite(PlotState.pxPerUnit0));
    EXPECT_GT(PlotState.pxPerUnit0, 0.0f);
    EXPECT_TRUE(std::isfinite(PlotState.pxPerUnit1));
    EXPECT_EQ(PlotState.havePrev[3], 0);
    EXPECT_EQ(PlotState.started, 0);
    if (c.s1min == 500) {
      EXPECT_FLOAT_EQ(PlotState.pxPerUnit0, 3.84f);
    }
    TearDown();
  }
}

// OK rewrites the lines of the scales the model's template shows.
TEST_F(ReadingsScale, OkRewritesExactlyItsSettingsLines) {
  const auto both = [](ModalContext& ctx) {
    ctx.SetText(1174, L"10");
    ctx.SetText(1177, L"20");
    if (ctx.Control(1180) != nullptr) {
      ctx.SetText(1180, L"-5");
      ctx.SetText(1181, L"5");
    }
  };
  const std::vector<OkCase> cases = {
      {"RZ12", kModelRz12, nullptr, both,
       {"scale1Min=10.000000", "scale1Max=20.000000", "scale2Min=-5.000000", "scale2Max=5.000000"}},
      {"RZ56-MK2", kModelRz56Mk2, nullptr, both, {"scale1Min=10.000000", "scale1Max=20.000000"}},
      {"RZ45-3", kModelRz45, nullptr, both, {"scale1Min=10.000000", "scale1Max=20.000000"}},
  };
  ExpectOkChanges(cases, [] { return ThisModel().scaleDialog; }, ProfileScaleDlgProc);
}

// Cancel and the close box, after every box of the readings scale and every list of the GPS port
// setup changed: the settings and the file stay byte for byte, the plot's factors too.
class ScaleAndGpsCancel : public test::DialogTest {};

TEST_F(ScaleAndGpsCancel, LeaveTheSettingsAndTheFileAlone) {
  const std::vector<std::function<void(ModalContext&)>> endings = {
      [](ModalContext& ctx) { ctx.Click(IDCANCEL); },
      [](ModalContext& ctx) { ctx.Close(); },
  };
  for (int32_t model : {kModelRz12, kModelRz56Mk2}) {
    for (size_t i = 0; i < endings.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "model " << model << " ending " << i);
      SetUpBuild(model);
      const std::string settings = SettingsBytes();
      const auto file = SettingsLines();
      const float factors[2] = {PlotState.pxPerUnit0, PlotState.pxPerUnit1};
      const INT_PTR scale = Open(ThisModel().scaleDialog, ProfileScaleDlgProc, [&](ModalContext& ctx) {
        for (int id : {1174, 1177, 1180, 1181}) {
          if (ctx.Control(id) != nullptr) ctx.SetText(id, L"7");
        }
        endings[i](ctx);
      });
      const INT_PTR gps = Open("GPSINPUT", GpsPortSetupDlgProc, [&](ModalContext& ctx) {
        for (int id : {1162, 1165, 1166, 1167, 1168, 1169}) ctx.Select(id, 0);
        endings[i](ctx);
      });
      EXPECT_EQ(scale, 0);
      EXPECT_EQ(gps, 0);
      EXPECT_EQ(SettingsBytes(), settings);
      EXPECT_EQ(SettingsLines(), file);
      EXPECT_EQ(PlotState.pxPerUnit0, factors[0]);
      EXPECT_EQ(PlotState.pxPerUnit1, factors[1]);
      TearDown();
    }
  }
}

// ---- GPS port setup --------------------------------------------------------------------------

class GpsPortSetup : public test::DialogTest {};

TEST_F(GpsPortSetup, ListsShowTheStoredPositionsAndOkReachesTheNextPort) {
  SetUpBuild(kModelRz12);
  SurveySettings.gpsPort = 1;
  ASSERT_TRUE(LoadSaveSettings(1));
  const auto before = SettingsLines();
  EXPECT_EQ(Open("GPSINPUT", GpsPortSetupDlgProc, [&](ModalContext& ctx) {
              EXPECT_EQ(SelectedText(ctx, 1162), L"Enabled");
              EXPECT_EQ(SelectedText(ctx, 1165), L"COM2:");
              EXPECT_EQ(SelectedText(ctx, 1166), L"9600");
              EXPECT_EQ(SelectedText(ctx, 1167), L"No");
              EXPECT_EQ(SelectedText(ctx, 1168), L"8");
              EXPECT_EQ(SelectedText(ctx, 1169), L"1");
              ctx.Select(1166, 2);
              ctx.Select(1168, 0);
              ctx.Select(1167, 1);
              ctx.Select(1169, 1);
              ctx.Click(IDOK);
            }),
            1);
  EXPECT_EQ(ChangedSettings(before, SettingsLines()),
            (std::vector<std::string>{"gpsBaudIndex=2", "gpsDataBitsIndex=0", "gpsParityIndex=1", "gpsStopBitsIndex=1"}));
  const auto port = plat::test::AttachVirtualPort(2);
  ASSERT_EQ(OpenGpsPort(), 1);
  DCB dcb{};
  ASSERT_TRUE(port->LastDcb(&dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  CloseHandle(LinkState.gpsPort.exchange(INVALID_HANDLE_VALUE));
}

TEST_F(GpsPortSetup, OkRewritesExactlyTheSixGpsLines) {
  const std::vector<OkCase> cases = {
      {"RZ12", kModelRz12, nullptr,
       [](ModalContext& ctx) {
         ctx.Select(1162, 0);
         ctx.Select(1165, 5);
         ctx.Select(1166, 2);
         ctx.Select(1167, 2);
         ctx.Select(1168, 0);
         ctx.Select(1169, 1);
       },
       {"gpsEnabled=0", "gpsPort=5", "gpsBaudIndex=2", "gpsDataBitsIndex=0", "gpsParityIndex=2",
        "gpsStopBitsIndex=1"}},
  };
  ExpectOkChanges(cases, [] { return "GPSINPUT"; }, GpsPortSetupDlgProc);
}

// A stored position its list does not offer shows no selection and survives OK.
TEST_F(GpsPortSetup, PositionsOutsideTheListsSurviveOk) {
  SetUpBuild(kModelRz12);
  SurveySettings.gpsBaudIndex = 9;
  Open("GPSINPUT", GpsPortSetupDlgProc, [&](ModalContext& ctx) {
    EXPECT_EQ(SelectionOf(ctx, 1166), -1);
    ctx.Click(IDOK);
  });
  EXPECT_EQ(SurveySettings.gpsBaudIndex, 9);
}

}  // namespace
}  // namespace desktop
