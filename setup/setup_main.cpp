#include "setup_main.h"

#include "command_line.h"
#include "host_detect.h"
#include "inf_reader.h"
#include "install_steps.h"
#include "pages.h"
#include "prompts.h"
#include "setup_message.h"
#include "setup_state.h"
#include "setup_text.h"

#include "dialogs/app.h"

#include <cwchar>

namespace {

bool FindModuleFolder(wchar_t* folder) {
    DWORD length = GetModuleFileNameW(nullptr, folder, kSetupPathChars);
    if (length == 0 || length >= kSetupPathChars) return false;
    wchar_t* backslash = wcsrchr(folder, L'\\');
    if (backslash == nullptr) return false;
    backslash[1] = 0;
    return true;
}

bool ReadDescription() {
    wchar_t path[kSetupPathChars];
    return FindModuleFolder(g_setup.moduleFolder) &&
           SetupTextCopy(path, kSetupPathChars, g_setup.moduleFolder) &&
           SetupTextAppend(path, kSetupPathChars, L"setup.inf") && InfRead(path);
}

bool TakeFoldersFromCommandLine(const char* commandLine) {
    wchar_t* hostFolder =
        (g_setup.kind == InstallKind::Orbisa) ? g_setup.orbisaFolder : g_setup.microStationFolder;
    return SetupParseCommandLine(g_setup.exeFolder, g_setup.settingsFolder, hostFolder, commandLine,
                                 g_setup.kind == InstallKind::Slave);
}

void StartToolkit(HINSTANCE instance) {
    AppStart(instance, 0, 0, L"setup", L"korvane", nullptr, 12);
}

bool AskUser(HINSTANCE instance) {
    HostDetect(g_setup.kind);
    StartToolkit(instance);
    if (!PageAgreement()) return false;
    StartToolkit(instance);
    return PageMain();
}

// The steps work with absolute folders; a relative one would depend on where setup happened to be started.
void MakeFoldersAbsolute() {
    SetupMakeFolderAbsolute(g_setup.exeFolder, kSetupPathChars);
    SetupMakeFolderAbsolute(g_setup.settingsFolder, kSetupPathChars);
    SetupMakeFolderAbsolute(g_setup.microStationFolder, kSetupPathChars);
}

} // namespace

int SetupExitCodeOf(bool completed) {
    if (completed) return SetupExitCompleted;
    return g_setup.userEnded ? SetupExitUserEnded : SetupExitStepFailed;
}

void SetupRestrictDllSearch() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine, int) {
    if (previousInstance != nullptr) return SetupExitNotStarted;
    if (!ReadDescription()) {
        SetupMessage(nullptr, L"Could not read setup.inf file.", kSetupStyleTaskModal, nullptr);
        return SetupExitNotStarted;
    }
    SetupTextCopy(g_setup.exeFolder, kSetupPathChars, g_setup.defaultFolder);
    SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, g_setup.defaultFolder);
    g_setup.silent = TakeFoldersFromCommandLine(commandLine);
    if (g_setup.silent) {
        MakeFoldersAbsolute();
        return SetupExitCodeOf(SetupRunSteps(nullptr));
    }
    if (!AskUser(instance)) {
        AppEnd();
        return SetupExitDeclined;
    }
    MakeFoldersAbsolute();
    Dialog* status = PromptStatusOpen();
    bool completed = SetupRunSteps(status);
    SetupMessage(PromptStatusHandle(status), completed ? L"Setup is complete." : L"Setup was not completed.",
                 kSetupStyleTaskModal, nullptr);
    PromptStatusClose(&status);
    AppEnd();
    return SetupExitCodeOf(completed);
}
