// The commands as the host knows them: ids, names and labels, and the phrases users type. The host
// matches key-ins blank for blank, so the two blanks of "high  contrast" are part of its phrase.
#include "commands.h"

#include "plugin.h"

namespace {

// Commands that work on the engine refuse to run, with a message, while it is not running.
template <MAppCommandFunc handler> void NeedsEngine(const wchar_t* argument) {
    if (EngineRequired()) handler(argument);
}

} // namespace

const MAppCmdHook kCommandTable[] = {
    {kCmdLoadProject, NeedsEngine<CmdLoadProject>, "LoadProject", "Load Project"},
    {kCmdReload, NeedsEngine<CmdReload>, "Reload", "Reload"},
    {kCmdUpdateLoaded, NeedsEngine<CmdUpdateLoaded>, "UpdateLoaded", "Update Loaded"},
    {kCmdSaveSession, NeedsEngine<CmdSaveSession>, "SaveSession", "Save Session"},
    {kCmdSnapSettings, CmdSnapSettings, "SnapSettings", "Snap Settings"},
    {kCmdAboutOcularis, CmdAboutOcularis, "AboutOcularis", "About Ocularis"},
    {kCmdPlainPoints, CmdPlainPoints, "PlainPoints", "Plain Points"},
    {kCmdHighContrast, CmdHighContrast, "HighContrast", "High  Contrast"},
    {kCmdMediumContrast, CmdMediumContrast, "MediumContrast", "Medium Contrast"},
    {kCmdNoContrast, CmdNoContrast, "NoContrast", "No Contrast"},
    {kCmdAdjustPointSize, CmdAdjustPointSize, "AdjustPointSize", "Adjust Point Size"},
    {kCmdSetPointCloudVisibility, NeedsEngine<CmdSetPointCloudVisibility>, "SetPointCloudVisibility",
     "Set Point Cloud Visibility"},
    {0, nullptr, nullptr, nullptr},
};

const MAppSpaccel kKeyinTable[] = {
    {L"LoadProject", L"load project", nullptr},
    {L"Reload", L"reload", nullptr},
    {L"UpdateLoaded", L"update loaded", nullptr},
    {L"SaveSession", L"save session", nullptr},
    {L"SnapSettings", L"snap settings", nullptr},
    {L"AboutOcularis", L"about ocularis", nullptr},
    {L"PlainPoints", L"plain points", nullptr},
    {L"HighContrast", L"high  contrast", nullptr},
    {L"MediumContrast", L"medium contrast", nullptr},
    {L"NoContrast", L"no contrast", nullptr},
    {L"AdjustPointSize", L"adjust point size", nullptr},
    {L"SetPointCloudVisibility", L"set point cloud visibility", nullptr},
    {nullptr, nullptr, nullptr},
};

void CommandsPublish() {
    MAppCmdHooksPublish(kCommandTable);
    MAppCmdSpaccelsPublish(kKeyinTable);
}

void CommandRun(int id, const wchar_t* argument) {
    for (const MAppCmdHook* command = kCommandTable; command->handler; ++command)
        if (command->id == id) command->handler(argument);
}
