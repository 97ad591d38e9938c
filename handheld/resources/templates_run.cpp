// Templates of the dialogs the logging window opens during a run. Every handheld template uses the
// 9-point dialog font and the caption's OK box, with no buttons in the client area.
#include <cstddef>

#include "resources/templates.h"

namespace handheld {
namespace {

constexpr uint32_t kCentred = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr uint32_t kPlaced = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
constexpr const wchar_t* kFace = L"MS Sans Serif";

// ---- New station -----------------------------------------------------------------------------
constexpr DlgItemT kNewStationItems[] = {
    DlgLText(860, L"Start Station:", 4, 6, 52, 10),
    DlgLText(863, L"", 58, 6, 48, 10),
    DlgLText(861, L"Last  Station:", 4, 20, 52, 10),
    DlgLText(864, L"", 58, 20, 48, 10),
    DlgLText(862, L"New  Station:", 4, 36, 52, 10),
    DlgEdit(865, 58, 34, 48, 12),
};
constexpr DlgTemplateT kGetNewStation = DlgDef(L"GetNewStation", L"New Station", kCentred, WS_EX_CAPTIONOKBTN, 0, 0,
                                               110, 60, kFace, 9, kNewStationItems);
// Landscape on the storage-root builds: left of the centre, clear of the soft keyboard.
constexpr DlgTemplateT kGetNewStationWm6 = DlgDef(L"GetNewStationwm6", L"New Station", kPlaced,
                                                  WS_EX_CAPTIONOKBTN, 35, 10, 110, 60, kFace, 9, kNewStationItems);

}  // namespace

void AddRunDialogTemplates(const ResourceBuild& build, TemplateList& out) {
  out.push_back(kGetNewStation);
  if (build.storageRoot == 1) out.push_back(kGetNewStationWm6);
}

}  // namespace handheld
