#include "install_steps.h"

#include "config_files.h"
#include "file_copy.h"
#include "folder_create.h"
#include "prompts.h"
#include "services.h"
#include "setup_message.h"
#include "setup_state.h"
#include "shortcut.h"

#include <windows.h>

namespace {

bool CreateFolders(Dialog* status) {
    return FolderCreate(status, g_setup.exeFolder) &&
           FolderCreateList(status, g_setup.exeFolder, g_setup.exeDirs, g_setup.exeDirCount) &&
           FolderCreate(status, g_setup.settingsFolder) &&
           FolderCreateList(status, g_setup.settingsFolder, g_setup.setDirs, g_setup.setDirCount);
}

bool WriteSettingsPath(Dialog* status) {
    if (ConfigWriteSettingsPath(g_setup.exeFolder, g_setup.settingsFolder)) return true;
    if (status)
        SetupMessage(PromptStatusHandle(status),
                     L"Unable to write to %s. You may need to run setup as administrator.", kSetupStyleNotice,
                     g_setup.exeFolder);
    return false;
}

// Running services hold their programs open, so they stop before their files are replaced. Their
// registrations are replaced only once every program is in place: an installation that ends here leaves
// the services as they were, running again if they ran.
bool CopyExecutables(Dialog* status) {
    ServiceStopRecord stopped;
    ServiceStopAll(g_setup.exeFiles, g_setup.exeFileCount, &stopped);
    if (FileCopyList(status, g_setup.exeFolder, g_setup.exeFiles, g_setup.exeFileCount)) return true;
    ServiceRestartStopped(g_setup.exeFiles, g_setup.exeFileCount, &stopped);
    return false;
}

bool InstallServices(Dialog* status) {
    ServiceRemoveAll(g_setup.exeFiles, g_setup.exeFileCount);
    if (ServiceInstallAll(status, g_setup.serviceUser, g_setup.servicePassword, g_setup.exeFiles,
                          g_setup.exeFileCount))
        return true;
    if (status) PromptInfo(GetFocus(), L"Failed to create service.", nullptr);
    return false;
}

} // namespace

bool SetupRunSteps(Dialog* status) {
    bool ok = CreateFolders(status) &&
              FileCopyList(status, g_setup.settingsFolder, g_setup.setFiles, g_setup.setFileCount) &&
              WriteSettingsPath(status) && CopyExecutables(status) && InstallServices(status);
    if (!ok) return false;
    if (g_setup.kind == InstallKind::MicroStation)
        ConfigWriteMicroStation(status, g_setup.exeFolder, g_setup.settingsFolder);
    if (g_setup.kind == InstallKind::None || g_setup.kind == InstallKind::Slave) ShortcutCreate();
    return true;
}
