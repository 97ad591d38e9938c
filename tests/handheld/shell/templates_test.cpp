// Every dialog template of every handheld build keeps the layout rules (items inside the client
// area, no overlapping input rows, labels that fit) and fits both screens with its frame.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>

#include "engine/state.h"
#include "resources/templates.h"

namespace handheld {
namespace {

TEST(Templates, EveryBuildsTemplatesKeepTheLayoutRules) {
  for (int32_t model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    for (int32_t ice = 0; ice <= (model == kModelRz12 ? 1 : 0); ++ice) {
      for (int32_t root = 0; root <= 1; ++root) {
        for (const DlgTemplateT& t : BuildTemplates(ResourceBuild{model, ice, root})) {
          SCOPED_TRACE(testing::Message() << "model " << model << " ice " << ice << " root " << root);
          for (plat::test::Screen screen : {plat::test::Screen{320, 240}, plat::test::Screen{240, 320}}) {
            for (const std::string& problem : plat::test::CheckTemplate(t, plat::Profile::Handheld, screen)) {
              ADD_FAILURE() << problem;
            }
          }
        }
      }
    }
  }
}

// The run's dialogs are in every build; the landscape new-station template only where it is used.
TEST(Templates, NewStationTemplatesByStorageRoot) {
  auto holds = [](const ResourceBuild& b, const wchar_t* name) {
    for (const DlgTemplateT& t : BuildTemplates(b)) {
      if (std::wstring(t.name) == name) return true;
    }
    return false;
  };
  for (int32_t model = kModelRz12; model <= kModelRz27Mk2; ++model) {
    EXPECT_TRUE(holds({model, 0, 1}, L"GetNewStation"));
    EXPECT_TRUE(holds({model, 0, 1}, L"GetNewStationwm6"));
    EXPECT_TRUE(holds({model, 0, 0}, L"GetNewStation"));
    EXPECT_FALSE(holds({model, 0, 0}, L"GetNewStationwm6"));
  }
}

}  // namespace
}  // namespace handheld
