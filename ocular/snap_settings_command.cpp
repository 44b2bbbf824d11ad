// "SnapSettings": which views snap data points to the cloud. The dialog edits the mask in place; the
// snap radius and type are the engine's business and not offered here.
#include "commands.h"
#include "settings.h"

#include "guidlg.h"

void CmdSnapSettings(const wchar_t*) {
    GuiDlg_openSnapSettings(&OcularSettings.SnappingMask, nullptr, nullptr);
}
