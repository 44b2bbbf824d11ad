// The host's life: command line, design, windows, mini apps, script, message loop, unload.
#include "cface/host_main.h"

#include "cface/call_log.h"
#include "cface/design_files.h"
#include "cface/host.h"
#include "cface/host_options.h"
#include "cface/host_output.h"
#include "cface/main_window.h"
#include "cface/miniapps.h"
#include "cface/script.h"
#include "cface/views.h"
#include "cadio/cadio_host.h"

#include <shellapi.h>

namespace {

constexpr int kExitBadInput = 1;

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
    LocalFree(list);
    return arguments;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, length < MAX_PATH * 4 ? length : 0);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
}

// A problem with what the user gave: standard error, and a message box for a person at the screen.
int Refuse(const std::string& why, bool interactive) {
    PrintProblem("orbisa: " + why);
    if (interactive) MessageBoxW(nullptr, Utf8ToWideText(why).c_str(), L"Orbisa", MB_OK | MB_ICONERROR);
    return kExitBadInput;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

bool PrepareDesign(const HostOptions& options, std::string* why) {
    if (options.noDesign) {
        CadHostSetDesign(nullptr);
        return true;
    }
    DesignModel model;
    DesignDefault(&model);
    if (!options.design.empty() && !ReadDesignDescription(options.design, &model, why)) return false;
    CadHostSetDesign(&model);
    return true;
}

void LoadMiniApps(const HostOptions& options) {
    if (options.noApps) return;
    if (!options.apps.empty()) {
        for (const std::wstring& path : options.apps) LoadMiniApp(path, false);
        return;
    }
    std::wstring folder = ProgramFolder();
    LoadMiniApp(folder + L"\\lidor.ix", true);
    LoadMiniApp(folder + L"\\ocular.ix", true);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return Host().exitCode;
}

} // namespace

extern "C" int OrbisaHostMain(HINSTANCE, int showCommand) {
    HostOptions options;
    std::string why;
    bool parsed = ParseHostOptions(Arguments(), &options, &why);
    bool interactive = options.script.empty() && !options.exitAfterScript;
    if (!parsed) return Refuse(why + "\n" + HostUsage(), interactive);
    if (options.help) {
        PrintLine(HostUsage());
        return 0;
    }
    // A mini app that crashes must not leave the host waiting on a crash dialog in script runs.
    UINT errorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    if (!interactive) errorMode |= SEM_NOGPFAULTERRORBOX;
    SetErrorMode(errorMode);
    if (!options.out.empty() && !OutputOpenCopy(options.out.c_str()))
        return Refuse("cannot create the output file " + WideToUtf8Text(options.out.c_str()), interactive);
    if (!options.log.empty()) {
        if (!CallLogOpen(options.log.c_str()))
            return Refuse("cannot create the log file " + WideToUtf8Text(options.log.c_str()), interactive);
        CadHostSetLogSink(CallLogSink);
    }
    if (!PrepareDesign(options, &why)) return Refuse(why, interactive);
    if (!options.script.empty() && !ScriptLoad(options.script.c_str(), &why))
        return Refuse(WideToUtf8Text(options.script.c_str()) + ": " + why, interactive);

    HostState& host = Host();
    host.instance = ThisModule();
    host.scriptMode = !interactive;
    host.scriptPointerOnly = options.scriptPointer;
    host.activeStack.assign(1, nullptr);
    InitViews();
    if (!CreateMainWindow(showCommand)) return Refuse("cannot create the main window", interactive);
    LoadMiniApps(options);
    if (!host.quitting) {
        if (!options.script.empty())
            ScriptBegin(options.exitAfterScript);
        else if (options.exitAfterScript)
            RequestHostExit(0);
    }
    int code = RunMessageLoop();
    if (!host.quitting) UnloadAllMiniApps();
    CadHostSetLogSink(nullptr);
    CallLogClose();
    FlushOutput();
    OutputClose();
    return code;
}
