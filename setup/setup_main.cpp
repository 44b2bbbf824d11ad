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

CommandLineFolders TakeFoldersFromCommandLine(const wchar_t* arguments) {
    wchar_t* hostFolder =
        (g_setup.kind == InstallKind::Orbisa) ? g_setup.orbisaFolder : g_setup.microStationFolder;
    return SetupReadCommandLine(g_setup.exeFolder, g_setup.settingsFolder, hostFolder, arguments,
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
// False when a folder is too long once it is made absolute.
bool MakeFoldersAbsolute() {
    bool exe = SetupMakeFolderAbsolute(g_setup.exeFolder, kSetupPathChars);
    bool settings = SetupMakeFolderAbsolute(g_setup.settingsFolder, kSetupPathChars);
    bool host = SetupMakeFolderAbsolute(g_setup.microStationFolder, kSetupPathChars);
    return exe && settings && host;
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

int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* arguments, int) {
    if (previousInstance != nullptr) return SetupExitNotStarted;
    if (!ReadDescription()) {
        SetupMessage(nullptr, L"Could not read setup.inf file.", kSetupStyleTaskModal, nullptr);
        return SetupExitNotStarted;
    }
    SetupTextCopy(g_setup.exeFolder, kSetupPathChars, g_setup.defaultFolder);
    SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, g_setup.defaultFolder);
    // A script that names every folder waits for the exit code: a folder it cannot have ends the run at once,
    // before anything is touched, instead of opening pages that nobody will answer.
    CommandLineFolders folders = TakeFoldersFromCommandLine(arguments);
    if (folders == CommandLineFolders::Unusable) return SetupExitNotStarted;
    g_setup.silent = folders == CommandLineFolders::Given;
    if (g_setup.silent) {
        if (!MakeFoldersAbsolute()) return SetupExitNotStarted;
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
