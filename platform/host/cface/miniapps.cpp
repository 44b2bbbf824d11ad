#include "cface/miniapps.h"

#include "cface/call_log.h"
#include "cface/commands.h"
#include "cface/guarded_call.h"
#include "cface/host_output.h"
#include "cface/main_menu.h"
#include "cface/resources.h"
#include "cface/state_commands.h"
#include "cface/status_line.h"
#include "cface/toolbars.h"
#include "cface/views.h"

#include <cstdio>

namespace {

std::string ModuleName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) file.resize(dot);
    return WideToUtf8Text(file.c_str());
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                          int(b.size())) == CSTR_EQUAL;
}

void ImageRange(HMODULE module, uintptr_t* start, uintptr_t* end) {
    auto base = reinterpret_cast<const unsigned char*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    *start = reinterpret_cast<uintptr_t>(base);
    *end = *start + nt->OptionalHeader.SizeOfImage;
}

void Report(const std::string& text) {
    SetStatusMessage(Utf8ToWideText(text));
    PrintProblem(text);
}

std::string LoadErrorText(DWORD error) {
    if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_INVALID_EXE_SIGNATURE) return "it is not a DLL";
    if (error == ERROR_MOD_NOT_FOUND) return "a DLL it needs is missing";
    if (error == ERROR_DLL_INIT_FAILED) return "its start-up failed";
    return "error " + std::to_string(error);
}

// Everything the app registered; its resource collections too unless its module is still to be freed
// (whose own clean-up unregisters them).
void RemoveRegistrations(OrbisaMiniApp* app, bool resources = true) {
    RemoveAppCommands(app);
    RemoveAppMenus(app);
    RemoveAppToolBars(app);
    StopStateCommandOf(app);
    HostState& host = Host();
    if (host.snapOwner == app) host.snapFilter = nullptr, host.snapOwner = nullptr;
    if (host.listenerOwner == app) host.listener = nullptr, host.listenerOwner = nullptr;
    app->updateHook = nullptr;
    for (MAppEventFunc& hook : app->hooks) hook = nullptr;
    if (resources) RemoveAppResources(app);
    RequestRedrawAll();
}

OrbisaMiniApp* NewSlot(const std::wstring& path) {
    HostState& host = Host();
    if (host.appCount >= kMaxMiniApps) return nullptr;
    OrbisaMiniApp* app = &host.apps[host.appCount++];
    *app = OrbisaMiniApp{};
    app->used = true;
    app->path = path;
    app->name = ModuleName(path);
    return app;
}

bool StartMiniApp(OrbisaMiniApp* app, MiniAppMainFunc main) {
    LogLine line;
    LogCallbackBegin(line, "MiniAppMain", app);
    CallLogWrite(line);
    int result = 0;
    DWORD code = 0;
    bool returned;
    {
        ActiveScope scope(app);
        returned = GuardedCall(main, &result, &code);
    }
    if (returned) return true;
    char hex[16];
    snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(code));
    Report("Mini app " + app->name + " crashed in MiniAppMain (exception 0x" + hex + "); it is not used");
    // Its state is unknown: nothing of it is called again, and its module stays, since freeing it would
    // run more of its code.
    app->crashed = true;
    app->loaded = false;
    RemoveRegistrations(app);
    return false;
}

} // namespace

bool LoadMiniApp(const std::wstring& path, bool quietWhenMissing) {
    std::string utf8Path = WideToUtf8Text(path.c_str());
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!quietWhenMissing) Report("Mini app not found: " + utf8Path);
        return false;
    }
    if (FindMiniApp(ModuleName(path))) {
        Report("Mini app " + ModuleName(path) + " is loaded already: " + utf8Path);
        return false;
    }
    OrbisaMiniApp* app = NewSlot(path);
    if (!app) {
        Report("Too many mini apps loaded; not loaded: " + utf8Path);
        return false;
    }
    HMODULE module;
    {
        // Registrations made while the module starts (its static initialisation) belong to it.
        ActiveScope scope(app);
        app->loaded = true;
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!module) {
        DWORD error = GetLastError();
        app->loaded = false;
        RemoveRegistrations(app);
        Report("Mini app could not be loaded, " + LoadErrorText(error) + ": " + utf8Path);
        return false;
    }
    app->module = module;
    ImageRange(module, &app->imageStart, &app->imageEnd);
    auto main =
        reinterpret_cast<MiniAppMainFunc>(reinterpret_cast<void*>(GetProcAddress(module, MINIAPP_MAIN_NAME)));
    if (!main) {
        Report("Mini app has no " MINIAPP_MAIN_NAME ": " + utf8Path);
        app->loaded = false;
        RemoveRegistrations(app);
        ActiveScope scope(app);
        FreeLibrary(module);
        app->module = nullptr;
        return false;
    }
    return StartMiniApp(app, main);
}

void UnloadMiniApp(OrbisaMiniApp* app) {
    if (!app || !app->loaded) return;
    if (MAppEventFunc hook = app->hooks[MAppEventUnload]) {
        LogLine line;
        LogCallbackBegin(line, "MAppEvent", app);
        LogInt(line, "eventCode", MAppEventUnload);
        CallLogWrite(line);
        ActiveScope scope(app);
        hook();
    }
    app->loaded = false;
    RemoveRegistrations(app, false);
    {
        // The module's own clean-up (unregistering its resources) acts for it.
        ActiveScope scope(app);
        FreeLibrary(app->module);
    }
    // Whatever it left registered pointed into its image, which is gone now.
    RemoveAppResources(app);
    app->module = nullptr;
    FlushOutput();
}

void UnloadAllMiniApps() {
    HostState& host = Host();
    for (int i = host.appCount - 1; i >= 0; --i) UnloadMiniApp(&host.apps[i]);
}

OrbisaMiniApp* FindMiniApp(const std::string& name) {
    HostState& host = Host();
    for (int i = 0; i < host.appCount; ++i) {
        OrbisaMiniApp& app = host.apps[i];
        if (!app.loaded) continue;
        if (SameNameNoCase(app.name, name)) return &app;
        if (SameNameNoCase(app.name + ".ix", name)) return &app;
    }
    return nullptr;
}

OrbisaMiniApp* AppHoldingAddress(const void* address) {
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    HostState& host = Host();
    for (int i = 0; i < host.appCount; ++i) {
        OrbisaMiniApp& app = host.apps[i];
        if (app.module && at >= app.imageStart && at < app.imageEnd) return &app;
    }
    return nullptr;
}

void CallEventHooks(int eventCode) {
    if (eventCode < 0 || eventCode >= kMaxEventCodes) return;
    HostState& host = Host();
    for (int i = 0; i < host.appCount; ++i) {
        OrbisaMiniApp& app = host.apps[i];
        if (!app.loaded || !app.hooks[eventCode]) continue;
        LogLine line;
        LogCallbackBegin(line, "MAppEvent", &app);
        LogInt(line, "eventCode", eventCode);
        CallLogWrite(line);
        ActiveScope scope(&app);
        app.hooks[eventCode]();
    }
}
