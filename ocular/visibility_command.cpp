// "SetPointCloudVisibility": the channel and class visibility dialog, with class colours taken afresh
// from the active design file's colour table each time, since the user may have changed the table or
// the file since the last run.
#include "commands.h"
#include "display.h"
#include "plugin.h"
#include "projects.h"
#include "settings.h"
#include "view.h"

#include "dialogs/message_box.h"
#include "guidlg.h"
#include "orbisa_cadio.h"
#include "pcv.h"

#include <string.h>

unsigned int ClassColorTable[256][3];

namespace {

// Class 255 has no entry of its own in the host's table; it stays black, as does class 0 when the
// host has no colour for it.
constexpr int kClassesFromHostColors = 255;

void ClassColorTableFill() {
    memset(ClassColorTable, 0, sizeof ClassColorTable);
    // One buffer for all indices: an index the host has no colour for repeats the colour before it.
    unsigned char color[3] = {0, 0, 0};
    for (int index = 0; index < kClassesFromHostColors; ++index) {
        ColorFromIndex(color, CadFileGetActive(), index);
        for (int channel = 0; channel < 3; ++channel) ClassColorTable[index][channel] = color[channel];
    }
}

} // namespace

void CmdSetPointCloudVisibility(const wchar_t*) {
    if (!pcvIsProjectLoaded()) {
        MsgInfo(TopWindow, L"No project loaded - cannot set channel and visibility.\n", nullptr);
        return;
    }
    ClassColorTableFill();
    GuiDlg_updateClassificationColorTable(ClassColorTable);
    GuiDlg_setVisibility(&VisibilityMask, &CurrentChannel, &VisibilityOption, true,
                         OcularSettings.MaxChannelWidth);
    EngineWait();
    if (pcvChannelUsesGroups(CurrentChannel))
        pcvSetFlagsWithClassification(&VisibilityMask, &SessionClassMask, false);
}
