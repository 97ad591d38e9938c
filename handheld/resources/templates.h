// The handheld program's dialog templates, in groups by the windows that open them. Each group
// adds to a build's resource table the templates that build uses.
#pragma once

#include <plat/resources.h>

#include <cstdint>
#include <vector>

namespace handheld {

// One build of the program as the resource tables tell them apart.
struct ResourceBuild {
  int32_t model = 0;
  int32_t iceOption = 0;    // the RZ12's ice-thickness option
  int32_t storageRoot = 1;  // 1: "\Storage\" builds, 0: "\C_DRIVE\" builds
};

using TemplateList = std::vector<DlgTemplateT>;

// The dialogs of a survey run: comment, new station, new line and the GPS message.
void AddRunDialogTemplates(const ResourceBuild& build, TemplateList& out);

// The setup dialogs of the main menu, the profile scale dialog and the GPS monitor's message.
void AddSetupDialogTemplates(const ResourceBuild& build, TemplateList& out);

// Every template of every build, each build's list in table order (for the template checks).
std::vector<DlgTemplateT> BuildTemplates(const ResourceBuild& build);

}  // namespace handheld
