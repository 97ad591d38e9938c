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

// ---- Comment ---------------------------------------------------------------------------------
constexpr DlgItemT kCommentItems[] = {
    DlgEdit(851, 10, 10, 70, 12),
    DlgCText(850, L"Maximum 11 characters", 2, 30, 86, 10),
};
constexpr DlgTemplateT kGetComment =
    DlgDef(L"GetComment", L"Enter Comment", kCentred, WS_EX_CAPTIONOKBTN, 0, 0, 90, 60, kFace, 9, kCommentItems);

// ---- New line --------------------------------------------------------------------------------
constexpr DlgItemT kNewLineItems[] = {
    DlgLText(650, L"Current Line:", 4, 2, 52, 10),
    DlgLText(651, L"", 58, 2, 52, 10),
    DlgLText(652, L"Last Station:", 4, 13, 52, 10),
    DlgLText(653, L"", 58, 13, 52, 10),
    DlgLText(654, L"New Line", 4, 27, 52, 10),
    DlgEdit(674, 58, 25, 52, 12),
    DlgLText(655, L"Line Increment", 4, 39, 52, 10),
    DlgEdit(675, 58, 37, 52, 12),
    DlgLText(656, L"Sequence", 4, 51, 52, 10),
    DlgComboBox(676, 58, 49, 52, 40),
    DlgLText(657, L"Direction", 4, 64, 52, 10),
    DlgComboBox(677, 58, 62, 52, 48),
    DlgLText(658, L"Start Station", 4, 77, 52, 10),
    DlgEdit(678, 58, 75, 52, 12),
    DlgLText(659, L"Stn Increment", 4, 89, 52, 10),
    DlgEdit(679, 58, 87, 52, 12),
};
constexpr DlgTemplateT kGetNewLine =
    DlgDef(L"GetNewLine", L"New Line", kCentred, WS_EX_CAPTIONOKBTN, 0, 0, 114, 101, kFace, 9, kNewLineItems);

}  // namespace

void AddRunDialogTemplates(const ResourceBuild& build, TemplateList& out) {
  out.push_back(kGetComment);
  out.push_back(kGetNewLine);
  out.push_back(kGetNewStation);
  if (build.storageRoot == 1) out.push_back(kGetNewStationWm6);
}

}  // namespace handheld
