// The tool bar "OcularisToolBar": one button per command in id order, the icons from the module's
// resource collection, the commands that load and save in one group and the display ones in another.
#include "commands.h"

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kRendering = "Rendering";

const DlgToolBarItem kToolBarItems[] = {
    {":/icons/load_project.ico", "Load Project", kCmdLoadProject, nullptr, kGeneral},
    {":/icons/reload.ico", "Reload", kCmdReload, nullptr, kGeneral},
    {":/icons/update_loaded.ico", "Update Loaded", kCmdUpdateLoaded, nullptr, kGeneral},
    {":/icons/save_session.ico", "Save Session", kCmdSaveSession, nullptr, kGeneral},
    {":/icons/settings_snap.ico", "Snap Settings", kCmdSnapSettings, nullptr, kGeneral},
    {":/icons/about_ocularis.ico", "About Ocularis", kCmdAboutOcularis, nullptr, kGeneral},
    {":/icons/contrast_plain.ico", "Plain Points", kCmdPlainPoints, nullptr, kRendering},
    {":/icons/contrast_high.ico", "High  Contrast", kCmdHighContrast, nullptr, kRendering},
    {":/icons/contrast_medium.ico", "Medium Contrast", kCmdMediumContrast, nullptr, kRendering},
    {":/icons/contrast_none.ico", "No Contrast", kCmdNoContrast, nullptr, kRendering},
    {":/icons/pointsize.ico", "Adjust Point Size", kCmdAdjustPointSize, nullptr, kRendering},
    {":/icons/visibility.ico", "Set Point Cloud Visibility", kCmdSetPointCloudVisibility, nullptr,
     kRendering},
    {nullptr, nullptr, 0, nullptr, nullptr},
};

} // namespace

// The host gives 2 and 1 their meaning (docked, shown at once); the plug-in only passes them.
const DlgToolBarDesc kToolBar = {"OcularisToolBar", nullptr, nullptr, 2, 1, kToolBarItems};

void ToolBarCreate() {
    DlgToolBarCreate(&kToolBar);
}
