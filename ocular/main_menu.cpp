// The "Ocularis" entry of the host's main menu. Its items run the same table entries as the key-ins,
// so a command that needs the engine refuses in the same way from either.
#include "commands.h"

namespace {

// "Ocularis Settings" has nothing to open: the settings are changed by the commands themselves.
void SettingsItem() {}
void LoadProjectItem() {
    CommandRun(kCmdLoadProject, nullptr);
}
void ReloadItem() {
    CommandRun(kCmdReload, nullptr);
}
void UpdateLoadedItem() {
    CommandRun(kCmdUpdateLoaded, nullptr);
}
void SaveSessionItem() {
    CommandRun(kCmdSaveSession, nullptr);
}
void AboutItem() {
    CommandRun(kCmdAboutOcularis, nullptr);
}

// A null label is a separator.
struct MenuItem {
    const char* label;
    WndMenuFunc callback;
};

const MenuItem kMenuItems[] = {
    {"Ocularis Settings", SettingsItem},
    {nullptr, nullptr},
    {"Load Project", LoadProjectItem},
    {"Reload", ReloadItem},
    {"Update Loaded", UpdateLoadedItem},
    {"Save Session", SaveSessionItem},
    {nullptr, nullptr},
    {"About Ocularis", AboutItem},
};

} // namespace

void MainMenuBuild() {
    intptr_t entry = WndMainMenuAddItem("Ocularis", nullptr, 0);
    if (entry == 0) return;
    for (const MenuItem& item : kMenuItems) {
        if (item.label)
            WndMainMenuAddItem(item.label, item.callback, entry);
        else
            WndMainMenuAddSeparator(entry);
    }
}
