// The Lidora mini app: MiniAppMain registers the commands and key-ins; the commands load a LAS file,
// generate a scene or clear the points. Failures are told in a message box titled "Lidora";
// success says nothing, the points are simply there for the next caller of the entry points.
#include "command_arguments.h"
#include "miniapp_held_cloud.h"
#include "las_import.h"
#include "scene_generator.h"

#include "orbisa_cface.h"
#include "platform_export.h"

#include <commdlg.h>

namespace {

const wchar_t kCaption[] = L"Lidora";
constexpr size_t kPathChars = 1024;

void ShowError(const wchar_t* text) {
    MessageBoxW(WndGetTopWindowHandle(), text, kCaption, MB_OK | MB_ICONERROR);
}

// A wait cursor while a long command runs; the previous cursor comes back with the scope.
struct WaitCursor {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ~WaitCursor() { SetCursor(previous); }
};

bool AskForLasFile(wchar_t* path) {
    path[0] = 0;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = WndGetTopWindowHandle();
    dialog.lpstrFilter = L"LAS files (*.las)\0*.las\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathChars;
    dialog.lpstrTitle = L"Load LAS File into Lidora";
    dialog.lpstrDefExt = L"las";
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameW(&dialog) != 0;
}

// "lidora load [file]": without a file, the open-file dialog asks for one. A file that cannot be read
// leaves the points held before.
void LoadCommand(const wchar_t* argument) {
    wchar_t path[kPathChars];
    wchar_t error[kLidoraErrorChars];
    error[0] = 0;
    if (!ArgumentPath(argument, path, kPathChars, error)) {
        if (error[0]) {
            ShowError(error);
            return;
        }
        if (!AskForLasFile(path)) return;
    }
    LidoraCloud cloud{};
    {
        WaitCursor wait;
        if (!LasImport(path, &cloud, error)) {
            ShowError(error);
            return;
        }
    }
    HoldCloud(&cloud);
}

// "lidora generate [count]": the synthetic scene of count points, 1,000,000 without a count.
void GenerateCommand(const wchar_t* argument) {
    wchar_t error[kLidoraErrorChars];
    int64_t count = 0;
    if (!ArgumentPointCount(argument, kSceneDefaultPoints, &count, error)) {
        ShowError(error);
        return;
    }
    LidoraCloud cloud{};
    {
        WaitCursor wait;
        if (!SceneGenerate(count, &cloud, error)) {
            ShowError(error);
            return;
        }
    }
    HoldCloud(&cloud);
}

void ClearCommand(const wchar_t*) {
    ReleaseHeldCloud();
}

int UnloadHook() {
    ReleaseHeldCloud();
    return 0;
}

const MAppCmdHook kCommands[] = {
    {1, LoadCommand, "LidoraLoad", "Load LAS File"},
    {2, GenerateCommand, "LidoraGenerate", "Generate Scene"},
    {3, ClearCommand, "LidoraClear", "Clear Points"},
    {0, nullptr, nullptr, nullptr},
};

const MAppSpaccel kKeyins[] = {
    {L"LidoraLoad", L"lidora load", nullptr},
    {L"LidoraGenerate", L"lidora generate", nullptr},
    {L"LidoraClear", L"lidora clear", nullptr},
    {nullptr, nullptr, nullptr},
};

} // namespace

extern "C" PLATFORM_EXPORT int MiniAppMain(void) {
    MAppSetFunc(MAppEventUnload, UnloadHook);
    MAppCmdHooksPublish(kCommands);
    MAppCmdSpaccelsPublish(kKeyins);
    return 0;
}
