// After every load the shown channel is chosen anew: the one a session names when the project still
// carries it, else whatever GuiDlg falls back to for the project.
#include "projects.h"

#include "settings.h"
#include "view.h"

#include "guidlg.h"
#include "pcv.h"

namespace {

constexpr int kViewCount = 8;

} // namespace

void ApplyChannel(uint32_t channelMask) {
    unsigned int channelCount = 0;
    unsigned int lowestChannel = 0;
    pcvGetChannelFromChannelMask(&channelCount, &lowestChannel, channelMask);
    if (!pcvIsProjectLoaded()) return;
    CurrentChannel = lowestChannel;
    GuiDlg_setVisibility(&VisibilityMask, &CurrentChannel, &VisibilityOption, false,
                         OcularSettings.MaxChannelWidth);
    EngineWait();
    // Class masks mean something only for a channel whose values are classes.
    if (pcvChannelUsesGroups(CurrentChannel))
        pcvSetFlagsWithClassification(&VisibilityMask, &SessionClassMask, false);
    // Closed views as well: one opened later then shows the new project, not the old one.
    for (int index = 0; index < kViewCount; ++index) UpdateView(index);
}
