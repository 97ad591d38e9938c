// Every dialog template of every handheld build keeps the layout rules (items inside the client
// area, no overlapping input rows, labels that fit) and fits the screen with its frame in each
// orientation in which the program opens it; a build holds exactly the templates it opens; and
// every template's dialog procedure ends the dialog on Escape (IDCANCEL).
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "engine/state.h"
#include "logging/dialogs.h"
#include "resources/templates.h"
#include "setup_dialog_fixture.h"
#include "shell/gps_monitor.h"
#include "shell/shell.h"

namespace handheld {
namespace {

struct Use {
  std::wstring name;
  DLGPROC proc;
};

// The templates a build opens in one orientation, with their procedures: the main menu's setup
// dialogs, the logging window's dialogs (with the ice option off and on), the file review's scale
// and the GPS monitor's message.
std::vector<Use> UsedTemplates(const ResourceBuild& b, int portrait) {
  std::vector<Use> out;
  for (int action = 1; action <= 4; ++action) {
    const MenuDialog d = MenuDialogFor(action, b.model, portrait, b.storageRoot, b.iceOption);
    if (d.name != nullptr) out.push_back({d.name, d.proc});
  }
  for (int zolEnabled = 0; zolEnabled <= b.iceOption; ++zolEnabled) {
    const DialogBuild db{b.model, portrait, b.storageRoot, zolEnabled, b.iceOption};
    out.push_back({LoggingDialogTemplate(LoggingDialog::kProfileScale, db), ProfileScaleDlgProc});
    out.push_back({LoggingDialogTemplate(LoggingDialog::kDisplayOptions, db), DisplayOptionsDlgProc});
    out.push_back({LoggingDialogTemplate(LoggingDialog::kNewStation, db), NewStationDlgProc});
    out.push_back({LoggingDialogTemplate(LoggingDialog::kNewLine, db), NewLineDlgProc});
    out.push_back({LoggingDialogTemplate(LoggingDialog::kComment, db), CommentDlgProc});
  }
  out.push_back({b.model == kModelRz45 ? L"GetNewProfileScale45" : L"GetNewProfileScale12", ProfileScaleDlgProc});
  out.push_back({L"GetGPSMessage", GpsMessageDlgProc});
  return out;
}

std::vector<ResourceBuild> AllBuilds() {
  std::vector<ResourceBuild> builds;
  for (int32_t model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    for (int32_t ice = 0; ice <= (model == kModelRz12 ? 1 : 0); ++ice) {
      for (int32_t root = 0; root <= 1; ++root) builds.push_back(ResourceBuild{model, ice, root});
    }
  }
  return builds;
}

const DlgTemplateT* Held(const std::vector<DlgTemplateT>& held, const std::wstring& name) {
  for (const DlgTemplateT& t : held) {
    if (name == t.name) return &t;
  }
  return nullptr;
}

TEST(Templates, EveryBuildHoldsWhatItOpensAndItFitsEachOrientationItOpensIn) {
  for (const ResourceBuild& b : AllBuilds()) {
    SCOPED_TRACE(testing::Message() << "model " << b.model << " ice " << b.iceOption << " root " << b.storageRoot);
    const std::vector<DlgTemplateT> held = BuildTemplates(b);
    std::set<std::wstring> opened;
    for (int portrait = 0; portrait <= 1; ++portrait) {
      const plat::test::Screen screen = portrait ? plat::test::Screen{240, 320} : plat::test::Screen{320, 240};
      for (const Use& use : UsedTemplates(b, portrait)) {
        opened.insert(use.name);
        const DlgTemplateT* t = Held(held, use.name);
        if (t == nullptr) {
          ADD_FAILURE() << "missing " << std::string(use.name.begin(), use.name.end());
          continue;
        }
        for (const std::string& problem : plat::test::CheckTemplate(*t, plat::Profile::Handheld, screen)) {
          ADD_FAILURE() << problem << (portrait ? " (portrait)" : " (landscape)");
        }
      }
    }
    std::set<std::wstring> names;
    for (const DlgTemplateT& t : held) {
      EXPECT_TRUE(names.insert(t.name).second) << "held twice";
      EXPECT_EQ(opened.count(t.name), 1u) << "held but never opened";
    }
  }
}

// The run's dialogs are in every build; the landscape new-station template only where it is used.
TEST(Templates, NewStationTemplatesByStorageRoot) {
  auto holds = [](const ResourceBuild& b, const wchar_t* name) { return Held(BuildTemplates(b), name) != nullptr; };
  for (int32_t model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    EXPECT_TRUE(holds({model, 0, 1}, L"GetNewStation"));
    EXPECT_TRUE(holds({model, 0, 1}, L"GetNewStationwm6"));
    EXPECT_TRUE(holds({model, 0, 0}, L"GetNewStation"));
    EXPECT_FALSE(holds({model, 0, 0}, L"GetNewStationwm6"));
  }
}

class TemplateDialogs : public test::DialogFixture {};

// Every template opens with its procedure in every build and orientation that opens it, shows its
// title, and ends with 0 on Escape; each is kept once per orientation as a screenshot.
TEST_F(TemplateDialogs, EveryTemplateOpensAndItsProcedureEndsOnEscape) {
  std::set<std::wstring> shot;
  for (const ResourceBuild& b : AllBuilds()) {
    for (int portrait = 0; portrait <= 1; ++portrait) {
      SetUpDialogs({b.model, b.iceOption, b.storageRoot, portrait == 1});
      const std::vector<DlgTemplateT> held = BuildTemplates(b);
      std::set<std::wstring> done;
      for (const Use& use : UsedTemplates(b, portrait)) {
        const DlgTemplateT* t = Held(held, use.name);
        if (t == nullptr || !done.insert(use.name).second) continue;
        const std::string name(use.name.begin(), use.name.end());
        SCOPED_TRACE(testing::Message() << name << " model " << b.model << " ice " << b.iceOption << " root "
                                        << b.storageRoot << " portrait " << portrait);
        const std::string png = name + (portrait ? "_portrait.png" : "_landscape.png");
        const bool first = shot.insert(std::wstring(png.begin(), png.end())).second;
        std::wstring caption;
        const INT_PTR result = Open(use.name.c_str(), use.proc, [&](plat::test::ModalContext& ctx) {
          caption = ctx.Caption();
          plat::test::PumpUntilIdle();  // the controls painted
          if (first) {
            EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath("template_" + png).c_str()));
          }
          ctx.Key(VK_ESCAPE);
        });
        EXPECT_EQ(caption, t->title);
        EXPECT_EQ(result, 0);
        const auto log = plat::test::ModalLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().ending, plat::test::ModalEnding::Ended);
      }
      TearDown();
    }
  }
}

}  // namespace
}  // namespace handheld
