// Mini-app registration: event hooks, the active mini app, commands and key-ins.
#include "cface/call_log.h"
#include "cface/commands.h"
#include "cface/miniapps.h"

namespace {

std::string FormatApp(const OrbisaMiniApp* app) {
    return app ? QuoteText(app->name.c_str()) : "null";
}

std::string FormatCommandTable(const MAppCmdHook* table, int count) {
    std::string text = "[";
    for (int i = 0; i < count; ++i) {
        const MAppCmdHook& r = table[i];
        text += (i ? " {" : "{");
        text += "id=" + std::to_string(r.id) +
                " handler=" + FormatPointer(reinterpret_cast<const void*>(r.handler)) +
                " name=" + QuoteText(r.name) + " label=" + QuoteText(r.label) + "}";
    }
    return text + "]";
}

std::string FormatKeyinTable(const MAppSpaccel* table, int count) {
    std::string text = "[";
    for (int i = 0; i < count; ++i) {
        const MAppSpaccel& r = table[i];
        text += (i ? " {" : "{");
        text += "commandName=" + QuoteWide(r.commandName) + " keyin=" + QuoteWide(r.keyin) +
                " reserved=" + FormatPointer(r.reserved) + "}";
    }
    return text + "]";
}

} // namespace

extern "C" {

int MAppSetFunc(int eventCode, MAppEventFunc hook) {
    OrbisaMiniApp* app = ActiveApp();
    int result = -1;
    if (app && eventCode >= 0 && eventCode < kMaxEventCodes) {
        app->hooks[eventCode] = hook;
        result = 0;
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppSetFunc");
        LogInt(line, "eventCode", eventCode);
        LogPointer(line, "hook", reinterpret_cast<const void*>(hook));
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

MAppHandle MAppThis(int reserved) {
    OrbisaMiniApp* app = ActiveApp();
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppThis");
        LogInt(line, "reserved", reserved);
        LogResultText(line, FormatApp(app));
        CallLogWrite(line);
    }
    return app;
}

MAppHandle MAppByName(const char* name) {
    OrbisaMiniApp* app = name ? FindMiniApp(std::string(name, BoundedLength(name, 260))) : nullptr;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppByName");
        LogText(line, "name", name);
        LogResultText(line, FormatApp(app));
        CallLogWrite(line);
    }
    return app;
}

int MAppPushActive(MAppHandle handle) {
    OrbisaMiniApp* app = AppOfHandle(handle);
    int result = -1;
    if (app) {
        Host().activeStack.push_back(app);
        result = 0;
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppPushActive");
        LogRaw(line, "app", handle ? FormatApp(app) : "null");
        LogResult(line, result);
        LogAfter(line, "depth", std::to_string(Host().activeStack.size()));
        CallLogWrite(line);
    }
    return result;
}

int MAppPopActive(void) {
    auto& stack = Host().activeStack;
    int result = -1;
    if (stack.size() > 1) {
        stack.pop_back();
        result = 0;
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppPopActive");
        LogResult(line, result);
        LogAfter(line, "depth", std::to_string(stack.size()));
        CallLogWrite(line);
    }
    return result;
}

int MAppCmdHooksPublish(const MAppCmdHook* table) {
    OrbisaMiniApp* app = ActiveApp();
    int result = app ? PublishCommands(app, table) : -2;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppCmdHooksPublish");
        LogRaw(line, "table", table ? FormatCommandTable(table, result > 0 ? result : 0) : "null");
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

int MAppCmdSpaccelsPublish(const MAppSpaccel* table) {
    OrbisaMiniApp* app = ActiveApp();
    int result = app ? PublishKeyins(app, table) : -2;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "MAppCmdSpaccelsPublish");
        LogRaw(line, "table", table ? FormatKeyinTable(table, result > 0 ? result : 0) : "null");
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

} // extern "C"
