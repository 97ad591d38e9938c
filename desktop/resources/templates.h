// The desktop program's dialog templates: the setup dialogs of the start screen, the logging
// window's display options and readings scale, and the GPS monitor's message dialog. A build's
// table holds the templates its windows open (the model's row names them).
#pragma once

#include <plat/resources.h>

#include <cstdint>
#include <vector>

namespace desktop {

// The setup templates a build of `model` opens: its survey and system setup (when it has them), its
// display options from the start screen and the logging window, its readings scale, "GPSINPUT"
// and "GETGPSMESSAGE"; each once, in that order.
std::vector<DlgTemplateT> SetupTemplates(int32_t model);

}  // namespace desktop
