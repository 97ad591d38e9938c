// The desktop program's dialog templates: the setup dialogs of the start screen, the logging
// window's display options, readings scale and survey-run dialogs, and the GPS monitor's message
// dialog. A build's table holds the templates its windows open (the model's row names them).
#pragma once

#include <plat/resources.h>

#include <cstdint>
#include <vector>

namespace desktop {

// The templates a build of `model` opens: its survey and system setup (when it has them), its
// display options from the start screen and the logging window, its readings scale, "GPSINPUT",
// "GETGPSMESSAGE" and the survey run's "COMMENT", "GETNEWLINE" and "NEWSTATION"; each once, in
// that order.
std::vector<DlgTemplateT> SetupTemplates(int32_t model);

}  // namespace desktop
