#include "plugin.h"

#include "commands.h"
#include "engine_start.h"
#include "folders.h"
#include "view.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/message_box.h"
#include "runtime/settings_path.h"

#include <windows.h>

#include <wchar.h>

HWND TopWindow = nullptr;
PrefTable HostPreferences = {};
wchar_t HostPreferencesPath[kHostPreferencesPathChars] = L"";
MAppHandle ThisMiniApp = nullptr;
unsigned int* EngineHandle = nullptr;

namespace {

constexpr const char* kModuleName = "ocular.ix";
constexpr const char* kApplicationName = "Ocularis";
constexpr int kApplicationNameChars = 80;
constexpr const wchar_t* kClassIconName = L"korvane";
constexpr const wchar_t* kHostPreferencesHeader = L"[Ocularis for Orbisa]";

HINSTANCE ModuleInstance = nullptr;

// The host runs an event-0 hook after every command; the plug-in has nothing to do then.
int IdleHook(void) {
    return 0;
}

// The toolkit calls these around every callback it dispatches from a plug-in dialog, so that host
// calls made from a button act for the plug-in and not for whichever mini app the host ran last.
void MakeActiveBeforeCallback() {
    MAppPushActive(MAppByName("ocular"));
}

void RestoreActiveAfterCallback() {
    MAppPopActive();
}

void StartToolkit() {
    TopWindow = WndGetTopWindowHandle();
    wchar_t applicationName[kApplicationNameChars] = L"";
    MultiByteToWideChar(CP_ACP, 0, kApplicationName, -1, applicationName, kApplicationNameChars - 1);
    applicationName[kApplicationNameChars - 1] = L'\0';
    AppStart(ModuleInstance, 0, 0, applicationName, kClassIconName);
    AppSetCommandHooks(MakeActiveBeforeCallback, RestoreActiveAfterCallback);
}

void LocateFolders() {
    GetModuleFileNameW(ModuleInstance, ModulePath, static_cast<DWORD>(kModulePathChars));
    ModulePath[kModulePathChars - 1] = L'\0';
    // A missing settings-path file keeps the built-in root; nothing to tell the user.
    SettingsPathRead(SettingsFolder, ModulePath);
}

void ReadHostPreferences() {
    if (!HostPreferencePath(HostPreferencesPath, kHostPreferencesPathChars)) return;
    PrefRead(&HostPreferences, HostPreferencesPath, kHostPreferencesHeader);
}

// The folder of the host preference file lies outside the plug-in's own tree, where no installer puts
// it; without it the remembered file-dialog values would be lost at every unload.
void CreateHostPreferencesFolder() {
    wchar_t folder[kHostPreferencesPathChars];
    wmemcpy(folder, HostPreferencesPath, kHostPreferencesPathChars);
    folder[kHostPreferencesPathChars - 1] = L'\0';
    wchar_t* lastSeparator = wcsrchr(folder, L'\\');
    if (!lastSeparator || lastSeparator == folder) return;
    *lastSeparator = L'\0';
    CreateDirectoryW(folder, nullptr);
}

void WriteHostPreferences() {
    if (HostPreferencesPath[0] == L'\0') return;
    CreateHostPreferencesFolder();
    PrefWrite(&HostPreferences, HostPreferencesPath, kHostPreferencesHeader);
}

void CloseEveryDialog() {
    for (int index = DlgTableSize - 1; index >= 0; --index) {
        Dialog* dialog = DlgTableAt(index);
        if (dialog && dialog->window) DlgClose(&dialog);
    }
    AboutWindowForget();
}

// Steps 1 to 5 of the unload; each is harmless when its part is already gone.
void TearDown() {
    ViewHookRemove();
    CloseEveryDialog();
    AppEnd();
    EngineStop();
    EngineHandle = nullptr;
    WriteHostPreferences();
}

} // namespace

int PluginStart(void) {
    MAppSetFunc(MAppEventUnload, PluginUnload);
    MAppSetFunc(MAppEventIdle, IdleHook);
    ThisMiniApp = MAppThis(0);
    CommandsPublish();
    ModuleInstance = GetModuleHandleA(kModuleName);
    StartToolkit();
    LocateFolders();
    ReadHostPreferences();
    ToolBarCreate();
    MainMenuBuild();
    EngineHandle = EngineStart();
    if (EngineHandle) {
        ViewHookInstall();
        return 0;
    }
    // The engine start told the user why; the commands stay registered and refuse to run.
    TearDown();
    return 0;
}

int PluginUnload(void) {
    TearDown();
    return 0;
}

bool EngineRequired() {
    if (EngineHandle) return true;
    // After a failed start the teardown has ended the toolkit, whose message dialogs need its window
    // classes: start it again for the message and end it after, as the teardown left it.
    bool restarted = !AppClassRegistered(APP_CLASS_DIALOG);
    if (restarted) StartToolkit();
    MsgInfo(TopWindow, L"The viewing engine is not running.", nullptr);
    if (restarted) AppEnd();
    return false;
}
