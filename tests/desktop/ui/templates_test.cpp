// Every setup template of every desktop build keeps the layout rules (items inside the client
// area, no overlapping input rows, labels that fit) and fits the 800 x 600 screen with its frame;
// a build holds exactly the templates its windows open; each opens with its procedure under its
// title and ends on Escape (screenshots kept as test artefacts).
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <set>
#include <string>

#include "dialog_fixture.h"
#include "engine/models.h"
#include "resources/templates.h"

namespace desktop {
namespace {

std::string Narrow(const wchar_t* s) { return std::string(s, s + std::wcslen(s)); }

TEST(DesktopTemplates, EveryBuildHoldsWhatItOpensAndEachKeepsTheLayoutRules) {
  for (int32_t model = kModelFirst; model <= kModelLast; ++model) {
    SCOPED_TRACE(testing::Message() << "model " << model);
    const ModelRow& row = RowOf(model);
    std::set<std::string> opened{"GPSINPUT", "GETGPSMESSAGE", "COMMENT", "GETNEWLINE", "NEWSTATION"};
    for (const char* name : {row.surveySetupDialog, row.systemSetupDialog, row.profilesDialog, row.displayDialog,
                             row.scaleDialog}) {
      if (name != nullptr) opened.insert(name);
    }
    std::set<std::string> held;
    for (const DlgTemplateT& t : SetupTemplates(model)) {
      EXPECT_TRUE(held.insert(Narrow(t.name)).second) << "held twice: " << Narrow(t.name);
      for (const std::string& problem : plat::test::CheckTemplate(t, plat::Profile::Desktop, {800, 600})) {
        ADD_FAILURE() << problem;
      }
    }
    EXPECT_EQ(held, opened);
  }
}

struct Use {
  const char* prefix;
  DLGPROC proc;
  const wchar_t* title;
  INT_PTR escaped = 0;  // the result after Escape
};
constexpr Use kUses[] = {
    {"SURVEYSETUP", SurveySetupDlgProc, L"Survey Setup"},      {"SYSTEM", LoggerSetupDlgProc, L"System Setup"},
    {"DISPLAYSETUP", DisplayOptionsDlgProc, L"Setup Display Options"},
    {"READINGSCALE", ProfileScaleDlgProc, L"Readings Scale"}, {"GPSINPUT", GpsPortSetupDlgProc, L"GPS Port Setup"},
    {"GETGPSMESSAGE", GpsMessageDlgProc, L"Send Message to GPS Receiver"},
    {"COMMENT", CommentDlgProc, L"Enter Comment"},            {"GETNEWLINE", NewLineDlgProc, L"New Survey Line"},
    {"NEWSTATION", NewStationDlgProc, L"New Station", 1},
};

class TemplateDialogs : public test::DialogTest {};

TEST_F(TemplateDialogs, EveryTemplateOpensUnderItsTitleAndEndsOnEscape) {
  std::set<std::string> shot;
  for (int32_t model = kModelFirst; model <= kModelLast; ++model) {
    SetUpBuild(model);
    for (const DlgTemplateT& t : SetupTemplates(model)) {
      const std::string name = Narrow(t.name);
      SCOPED_TRACE(testing::Message() << name << " model " << model);
      const Use* use = nullptr;
      for (const Use& u : kUses) {
        if (name.rfind(u.prefix, 0) == 0) use = &u;
      }
      ASSERT_NE(use, nullptr);
      const bool first = shot.insert(name).second;
      std::wstring caption;
      const INT_PTR result = Open(name.c_str(), use->proc, [&](plat::test::ModalContext& ctx) {
        caption = ctx.Caption();
        plat::test::PumpUntilIdle();
        if (first) {
          EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("desktop_template_" + name + ".png").c_str()));
        }
        ctx.Key(VK_ESCAPE);
      });
      EXPECT_EQ(caption, use->title);
      EXPECT_EQ(result, use->escaped);
      const auto log = plat::test::ModalLog();
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back().ending, plat::test::ModalEnding::Ended);
    }
    TearDown();
  }
  // The monitor's name for the message template finds it whatever the case.
  SetUpBuild(kModelRz12);
  EXPECT_NE(FindResourceA(AppWindows.instance, "GetGPSMessage", RT_DIALOG), nullptr);
}

}  // namespace
}  // namespace desktop
