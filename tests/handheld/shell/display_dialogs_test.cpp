// The display options and profile scale dialogs with their real templates: the channels and lists
// per model, colours and widths live while open and put back on Cancel, the grid following the
// ice profile, what OK stores and saves, the colour sample's drawing, and the scale corrections.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>
#include <vector>

#include "engine/settings.h"
#include "engine/state.h"
#include "logging/dialogs.h"
#include "setup_dialog_fixture.h"
#include "shell/setup_dialogs.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using W = std::vector<std::wstring>;

constexpr int kGridList = 775, kProfileList = 777;

class DisplayDialogs : public test::DialogFixture {
 protected:
  void Use(int32_t model, int32_t ice = 0, bool portrait = false, int32_t root = 1) {
    SetUpDialogs({model, ice, root, portrait});
  }
  INT_PTR OpenOptions(const std::function<void(ModalContext&)>& script) { return OpenMenuDialog(4, script); }
  // The logging window's scale dialog for the build and settings in force.
  INT_PTR OpenScale(const std::function<void(ModalContext&)>& script) {
    return Open(LoggingDialogTemplate(LoggingDialog::kProfileScale), ProfileScaleDlgProc, script);
  }
  static W Items(ModalContext& ctx, int id) { return plat::test::Items(ctx.Control(id)); }
  static int Sel(ModalContext& ctx, int id) { return plat::test::Selection(ctx.Control(id)); }
};

// What the display options show per build: the channels' names with their check boxes, the width
// lists at the widths in force, the grid list and the note lines.
TEST_F(DisplayDialogs, OptionsShowTheBuildsChannels) {
  struct Case {
    int32_t model, ice;
    std::vector<int> channels;
    W names;
    W grid;
    const wchar_t* note;
  } const cases[] = {
      {kModelRz12, 0, {0, 1, 2, 3}, {L"C/V", L"C/H", L"I/V", L"I/H"}, {L"Conductivity", L"Inphase"},
       L"for Conductivity or Inphase scale"},
      {kModelRz89, 0, {0, 1, 2, 3}, {L"C/V", L"C/H", L"I/V", L"I/H"}, {L"Conductivity", L"Inphase"},
       L"for Conductivity or Inphase scale"},
      {kModelRz12, 1, {0, 1, 2, 3, 4}, {L"C/V", L"C/H", L"I/V", L"I/H", L"Th"},
       {L"Conductivity", L"Inphase", L"Ice Thickness"}, L"for Cond., Inph., or Thickness scale"},
      {kModelRz45, 0, {0, 1, 2, 3, 4, 5}, {L"V-10m", L"V-20m", L"V-40m", L"H-10m", L"H-20m", L"H-40m"}, {}, L""},
      {kModelZol12, 0, {0, 2}, {L"Th", L"I/P"}, {L"Thickness", L"Inphase"}, L"for Thickness or Inphase scale"},
      {kModelRz27Mk2, 0, {0, 1, 2, 3, 4, 5, 6, 7},
       {L"C/V-1m", L"C/H-1m", L"I/V-1m", L"I/H-1m", L"C/V-0.5m", L"C/H-0.5m", L"I/V-0.5m", L"I/H-0.5m"},
       {L"Conductivity", L"Inphase"}, L""},
  };
  for (const Case& c : cases) {
    for (bool portrait : {false, true}) {
      SCOPED_TRACE(testing::Message() << "model " << c.model << " ice " << c.ice << (portrait ? " portrait" : ""));
      Use(c.model, c.ice, portrait);
      SurveySettings.traceVisible[2] = 0;
      SurveySettings.gridScale = 1;
      W names, grid;
      std::vector<int> checks, widths;
      std::vector<bool> samples;
      int gridSel = -2;
      std::wstring title, headings, note;
      OpenOptions([&](ModalContext& ctx) {
        title = ctx.Caption();
        headings = ctx.ControlText(744) + L"|" + ctx.ControlText(745) + L"|" + ctx.ControlText(746);
        for (int ch = 0; ch < 8; ++ch) {
          if (ctx.Control(750 + ch) == nullptr) continue;
          names.push_back(ctx.ControlText(750 + ch));
          checks.push_back(plat::test::CheckState(ctx.Control(750 + ch)));
          widths.push_back(Sel(ctx, 766 + ch));
          samples.push_back(ctx.Control(758 + ch) != nullptr);
          EXPECT_EQ(Items(ctx, 766 + ch), (W{L"1 pixel", L"2 pixels", L"3 pixels", L"4 pixels"}));
        }
        grid = Items(ctx, kGridList);
        gridSel = Sel(ctx, kGridList);
        note = ctx.ControlText(741);
        ctx.Cancel();
      });
      EXPECT_EQ(title, L"Display Options");
      EXPECT_EQ(headings, L"Display|Color|Thickness");
      EXPECT_EQ(names, c.names);
      std::vector<int> expectedChecks, expectedWidths;
      for (int ch : c.channels) {
        expectedChecks.push_back(ch == 2 ? BST_UNCHECKED : BST_CHECKED);
        expectedWidths.push_back(SurveySettings.traceThickness[ch] - 1);
      }
      EXPECT_EQ(checks, expectedChecks);
      EXPECT_EQ(widths, expectedWidths);
      EXPECT_EQ(samples, std::vector<bool>(c.channels.size(), true));
      EXPECT_EQ(grid, c.grid);
      EXPECT_EQ(gridSel, c.grid.empty() ? -1 : 1);
      EXPECT_EQ(note, c.note);
      TearDown();
    }
  }
}

// Colours and widths are live while the dialog is open; Cancel puts back one colour and two widths,
// and a cancelled chooser leaves its channel's colour alone.
TEST_F(DisplayDialogs, CancelPutsBackColoursAndWidths) {
  Use(kModelRz12);
  LoadSaveSettings(1);
  const std::string file = test::SettingsFileBytes();
  const SurveySettingsData before = SurveySettings;
  COLORREF liveColour = 0, keptColour = 0;
  int32_t liveWidths[2] = {};
  OpenOptions([&](ModalContext& ctx) {
    plat::test::ExpectColour(RGB(10, 20, 30));
    ctx.Click(758);
    liveColour = SurveySettings.traceColour[0];
    plat::test::ExpectColour(plat::test::kCancel);
    ctx.Click(759);
    keptColour = SurveySettings.traceColour[1];
    ctx.Select(766, 3);
    ctx.Select(767, 0);
    liveWidths[0] = SurveySettings.traceThickness[0];
    liveWidths[1] = SurveySettings.traceThickness[1];
    ctx.Cancel();
  });
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(liveColour, RGB(10, 20, 30));
  EXPECT_EQ(keptColour, before.traceColour[1]);
  EXPECT_EQ(liveWidths[0], 4);
  EXPECT_EQ(liveWidths[1], 1);
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(SurveySettings.traceColour[c], before.traceColour[c]) << c;
    EXPECT_EQ(SurveySettings.traceThickness[c], before.traceThickness[c]) << c;
  }
  EXPECT_EQ(test::SettingsFileBytes(), file);
}

// OK keeps the live colour and widths, stores the boxes and the grid, and rewrites exactly those
// lines of the settings file.
TEST_F(DisplayDialogs, OkStoresAndSaves) {
  Use(kModelRz12);
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  OpenOptions([&](ModalContext& ctx) {
    plat::test::ExpectColour(RGB(10, 20, 30));
    ctx.Click(760);
    ctx.Select(769, 3);
    ctx.Check(751, false);
    ctx.Select(kGridList, 1);
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(SurveySettings.traceColour[2], RGB(10, 20, 30));
  EXPECT_EQ(SurveySettings.traceThickness[3], 4);
  EXPECT_EQ(SurveySettings.traceVisible[1], 0);
  EXPECT_EQ(SurveySettings.traceVisible[4], 0);  // no box: not shown
  EXPECT_EQ(SurveySettings.gridScale, 1);
  EXPECT_EQ(PlotState.traceShown[1], 0);
  EXPECT_EQ(ChangedRz12Settings(before, SettingsLines()),
            (std::set<std::string>{"traceColour2", "traceThickness3", "traceVisible1", "traceVisible4",
                                   "traceVisible5", "traceVisible6", "traceVisible7", "gridScale"}));
}

// On the ice build the grid follows the profile shown: "Ice Thickness" selects the ice grid at
// once, and Cancel keeps the stored grid; opened with the ice profile shown, the grid is made the
// ice grid, which a Cancel keeps.
TEST_F(DisplayDialogs, IceGridFollowsTheProfile) {
  Use(kModelRz12, 1);
  SurveySettings.zolEnabled = 1;
  SurveySettings.showIceProfile = 0;
  SurveySettings.gridScale = 1;
  std::vector<int> grid;
  OpenOptions([&](ModalContext& ctx) {
    EXPECT_EQ(Items(ctx, kProfileList), (W{L"Cond./Inphase", L"Ice Thickness"}));
    grid.push_back(Sel(ctx, kGridList));
    ctx.Select(kProfileList, 1);
    grid.push_back(Sel(ctx, kGridList));
    ctx.Select(kProfileList, 0);
    grid.push_back(Sel(ctx, kGridList));
    ctx.Select(kProfileList, 1);
    ctx.Cancel();
  });
  EXPECT_EQ(grid, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(SurveySettings.gridScale, 1);
  EXPECT_EQ(SurveySettings.showIceProfile, 0);

  OpenOptions([&](ModalContext& ctx) {
    ctx.Select(kProfileList, 1);
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(SurveySettings.showIceProfile, 1);
  EXPECT_EQ(SurveySettings.gridScale, 2);
  EXPECT_EQ(PlotState.traceShown[4], 1);

  SurveySettings.gridScale = 0;
  OpenOptions([](ModalContext& ctx) { ctx.Cancel(); });
  EXPECT_EQ(SurveySettings.gridScale, 2);  // the consistency change at opening stays
}

// The RZ27-MK2 of type 1 plots none of its 0.5 m channels, ticked or not.
TEST_F(DisplayDialogs, Mk2Type1LeavesTheHalfMetreChannelsUnplotted) {
  for (int32_t type : {1, 2}) {
    SCOPED_TRACE(type);
    Use(kModelRz27Mk2);
    SurveySettings.mk2Type = type;
    OpenOptions([](ModalContext& ctx) { ctx.ClickCaptionOk(); });
    for (int c = 0; c < 8; ++c) EXPECT_EQ(SurveySettings.traceVisible[c], 1) << c;
    EXPECT_EQ(PlotState.traceShown[0], 1);
    EXPECT_EQ(PlotState.traceShown[4], type == 1 ? 0 : 1);  // C/V-0.5m
    EXPECT_EQ(PlotState.traceShown[6], type == 1 ? 0 : 1);
    TearDown();
  }
}

// The colour sample as drawn on its button: up, a level line at top + 10 from left + 3 to right - 5
// (its end pixel not drawn) in the channel's colour; pressed, slanted from (left + 3, top + 6) to
// (right - 5, top + 14); with the focus, the focus rectangle inset by 3, 3, 4, 4. Every pen and
// brush is freed.
TEST_F(DisplayDialogs, ColourSampleDrawing) {
  Use(kModelRz12);
  SurveySettings.traceThickness[1] = 1;
  SurveySettings.traceColour[1] = RGB(200, 0, 100);
  OpenOptions([&](ModalContext& ctx) {
    HWND button = ctx.Control(759);
    RECT r{};
    GetClientRect(button, &r);
    ASSERT_GE(r.bottom, 16);
    HDC dc = GetDC(button);
    const size_t objects = plat::test::LiveGdiObjects();
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 759;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = button;
    item.hDC = dc;
    item.rcItem = r;
    DrawColourButton(ctx.Window(), &item);
    EXPECT_EQ(plat::test::LiveGdiObjects(), objects);
    const COLORREF c = RGB(200, 0, 100);
    for (int x = r.left + 3; x <= r.right - 6; ++x) EXPECT_EQ(plat::test::WindowPixel(button, x, r.top + 10), c) << x;
    EXPECT_NE(plat::test::WindowPixel(button, r.right - 5, r.top + 10), c);
    EXPECT_NE(plat::test::WindowPixel(button, r.left + 3, r.top + 9), c);
    EXPECT_EQ(plat::test::WindowPixel(button, r.left + 5, r.top + 5), RGB(255, 255, 255));  // the white face

    plat::test::EnableDrawLog(true);
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    DrawColourButton(ctx.Window(), &item);
    plat::test::EnableDrawLog(false);
    ReleaseDC(button, dc);
    EXPECT_EQ(plat::test::WindowPixel(button, r.left + 3, r.top + 6), c);
    bool line = false, focus = false;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Line && e.penColor == c) {
        line = true;
        ASSERT_EQ(e.points.size(), 2u);
        EXPECT_EQ(e.points[0].x, r.left + 3);
        EXPECT_EQ(e.points[0].y, r.top + 6);
        EXPECT_EQ(e.points[1].x, r.right - 5);
        EXPECT_EQ(e.points[1].y, r.top + 14);
        EXPECT_EQ(e.penWidth, 1);
      }
      if (e.op == plat::test::DrawOp::FocusRect) {
        focus = true;
        EXPECT_EQ(e.rect.left, r.left + 3);
        EXPECT_EQ(e.rect.top, r.top + 3);
        EXPECT_EQ(e.rect.right, r.right - 4);
        EXPECT_EQ(e.rect.bottom, r.bottom - 4);
      }
    }
    EXPECT_TRUE(line);
    EXPECT_TRUE(focus);
    ctx.Cancel();
  });
}

// ---- Profile scale ---------------------------------------------------------------------------

// The scale dialog per build: what it shows, and the ranges OK stores with their pixels per unit.
TEST_F(DisplayDialogs, ScaleRangesByBuild) {
  struct Case {
    const char* name;
    int32_t model;
    bool portrait;
    const wchar_t* group;  // label 830
    W shown;               // 833, 834, 838, 839
    W typed;               // the same edits
    float min1, max1, min2, max2;
  } const cases[] = {
      {"RZ12 landscape", kModelRz12, false, L"Conductivity", {L"0", L"500", L"-25", L"25"},
       {L"500", L"100", L"-30", L"1e20"}, 500, 600, -30, 9000},
      {"RZ12 portrait", kModelRz12, true, L"Conductivity", {L"0", L"500", L"-25", L"25"},
       {L"12000", L"0", L"abc", L"-12000"}, 9000, 9100, 0, 100},
      {"ZOL12", kModelZol12, true, L"Thickness", {L"1.0", L"3.0", L"-25", L"25"}, {L"5", L"5", L"-5", L"5"}, 5, 6, -5,
       5},
      {"ZOL12 high", kModelZol12, false, L"Thickness", {L"1.0", L"3.0", L"-25", L"25"}, {L"12", L"3", L"0", L"0"}, 9,
       10, 0, 100},
      {"RZ45", kModelRz45, false, L"Conductivity", {L"0", L"500", L"", L""}, {L"-20", L"20", L"", L""}, -20, 20, -25,
       25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Use(c.model, 0, c.portrait);
    if (c.model == kModelZol12) {
      SurveySettings.scale1Min = 1.0f;
      SurveySettings.scale1Max = 3.0f;
    }
    for (int32_t& have : PlotState.havePrev) have = 1;
    std::wstring group;
    W shown;
    OpenScale([&](ModalContext& ctx) {
      group = ctx.ControlText(830);
      const int ids[] = {833, 834, 838, 839};
      for (int i = 0; i < 4; ++i) {
        shown.push_back(ctx.ControlText(ids[i]));
        if (ctx.Control(ids[i]) != nullptr) ctx.SetText(ids[i], c.typed[static_cast<size_t>(i)]);
      }
      ctx.ClickCaptionOk();
    });
    EXPECT_EQ(group, c.group);
    EXPECT_EQ(shown, c.shown);
    const SurveySettingsData& s = SurveySettings;
    EXPECT_EQ(s.scale1Min, c.min1);
    EXPECT_EQ(s.scale1Max, c.max1);
    EXPECT_EQ(s.scale2Min, c.min2);
    EXPECT_EQ(s.scale2Max, c.max2);
    EXPECT_FLOAT_EQ(PlotState.pxPerUnit0, static_cast<float>(ScreenLayout.plotHeight) / (c.max1 - c.min1));
    if (c.model != kModelRz45) {
      EXPECT_FLOAT_EQ(PlotState.pxPerUnit1, static_cast<float>(ScreenLayout.plotHeight) / (c.max2 - c.min2));
    }
    for (int32_t have : PlotState.havePrev) EXPECT_EQ(have, 0);
    TearDown();
  }
}

TEST_F(DisplayDialogs, ScaleOkSavesAndCancelKeeps) {
  Use(kModelRz12);
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  OpenScale([](ModalContext& ctx) {
    ctx.SetText(833, L"100");
    ctx.SetText(839, L"50");
    ctx.Key(VK_ESCAPE);
  });
  EXPECT_EQ(SettingsLines(), before);
  EXPECT_EQ(SurveySettings.scale1Min, 0.0f);
  OpenScale([](ModalContext& ctx) {
    ctx.SetText(833, L"100");
    ctx.SetText(839, L"50");
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(ChangedRz12Settings(before, SettingsLines()), (std::set<std::string>{"scale1Min", "scale2Max"}));
}

// The ice build with the option on: its own template with the ice group ("%.0f", 0 to 10, the +1
// rule). The file review's scale ("GetNewProfileScale12") has no ice edits, and keeps the ice scale
// in memory and in the file.
TEST_F(DisplayDialogs, IceScaleAndTheReviewsScale) {
  Use(kModelRz12, 1);
  SurveySettings.zolEnabled = 1;
  SurveySettings.iceScaleMin = 0.0f;
  SurveySettings.iceScaleMax = 5.0f;
  std::wstring title;
  W labels, shown;
  OpenScale([&](ModalContext& ctx) {
    title = ctx.Caption();
    for (int id : {831, 832, 836, 837, 841, 842}) labels.push_back(ctx.ControlText(id));
    shown = {ctx.ControlText(843), ctx.ControlText(844)};
    ctx.SetText(843, L"12");
    ctx.SetText(844, L"3");
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(title, L"Enter Profiles Scale");
  EXPECT_EQ(labels, (W{L"Conductivity Min:", L"Conductivity Max:", L"Inphase Minimum:", L"Inphase Maximum:",
                       L"Ice Thickness Min:", L"Ice Thickness Max:"}));
  EXPECT_EQ(shown, (W{L"0", L"5"}));
  EXPECT_EQ(SurveySettings.iceScaleMin, 9.0f);
  EXPECT_EQ(SurveySettings.iceScaleMax, 10.0f);
  EXPECT_FLOAT_EQ(PlotState.pxPerUnitIce, static_cast<float>(ScreenLayout.plotHeight));

  SurveySettings.iceScaleMin = 1.0f;
  SurveySettings.iceScaleMax = 4.0f;
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  const float pxIce = PlotState.pxPerUnitIce;
  Open(L"GetNewProfileScale12", ProfileScaleDlgProc, [](ModalContext& ctx) {
    ctx.SetText(834, L"400");
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(SurveySettings.scale1Max, 400.0f);
  EXPECT_EQ(SurveySettings.iceScaleMin, 1.0f);
  EXPECT_EQ(SurveySettings.iceScaleMax, 4.0f);
  EXPECT_EQ(PlotState.pxPerUnitIce, pxIce);
  const std::vector<std::string> after = SettingsLines();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[5], before[5]);  // the ice scale's lines
  EXPECT_EQ(after[6], before[6]);
  EXPECT_EQ(after[5], "1.000000\r");
}

}  // namespace
}  // namespace handheld
