// State commands, the snap filter, the input listener and the host's version, as mini apps see them.
#include "cface/call_log.h"
#include "cface/state_commands.h"
#include "cface/status_line.h"

extern "C" {

int StateCmd(StateFunc dataPoint, StateFunc reset, const char* name, const char* prompt) {
    StartStateCommand(ActiveApp(), dataPoint, reset, name, prompt);
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "StateCmd");
        LogPointer(line, "dataPoint", reinterpret_cast<const void*>(dataPoint));
        LogPointer(line, "reset", reinterpret_cast<const void*>(reset));
        LogText(line, "name", name);
        LogText(line, "prompt", prompt);
        LogResult(line, 0);
        CallLogWrite(line);
    }
    return 0;
}

int StateCmdUseCurrentTransform(int use) {
    int result = Host().state.running ? 0 : -1;
    if (result == 0) Host().state.useCurrentTransform = use != 0;
    LogIntCall("StateCmdUseCurrentTransform", "use", use, result);
    return result;
}

int StateSetFunc(int kind, StateFunc function) {
    int result = -1;
    if (kind == StateFuncMotion && Host().state.running) {
        Host().state.motion = function;
        result = 0;
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "StateSetFunc");
        LogInt(line, "kind", kind);
        LogPointer(line, "function", reinterpret_cast<const void*>(function));
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

int StateCmdStop(void) {
    int result = Host().state.running ? 0 : 1;
    StopStateCommand();
    LogIntCall("StateCmdStop", nullptr, 0, result);
    return result;
}

int SnapSetFilterFunction(SnapFilterFunc filter, intptr_t context) {
    HostState& host = Host();
    host.snapFilter = filter;
    host.snapContext = context;
    host.snapOwner = filter ? ActiveApp() : nullptr;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "SnapSetFilterFunction");
        LogPointer(line, "filter", reinterpret_cast<const void*>(filter));
        LogInt(line, "context", context);
        LogResult(line, 0);
        CallLogWrite(line);
    }
    return 0;
}

int SetInputQueueEventListener(InputQueueListenerFunc listener, intptr_t context) {
    HostState& host = Host();
    host.listener = listener;
    host.listenerContext = context;
    host.listenerOwner = listener ? ActiveApp() : nullptr;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "SetInputQueueEventListener");
        LogPointer(line, "listener", reinterpret_cast<const void*>(listener));
        LogInt(line, "context", context);
        LogResult(line, 0);
        CallLogWrite(line);
    }
    return 0;
}

int OrbisaVersionGetInfo(int* major, int* minor, void* reserved1, void* reserved2, void* reserved3,
                         void* reserved4) {
    const int kMajor = 8, kMinor = 1;
    if (major) *major = kMajor;
    if (minor) *minor = kMinor;
    int result = (major || minor) ? 0 : -1;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "OrbisaVersionGetInfo");
        LogPointer(line, "major", major);
        LogPointer(line, "minor", minor);
        LogPointer(line, "reserved1", reserved1);
        LogPointer(line, "reserved2", reserved2);
        LogPointer(line, "reserved3", reserved3);
        LogPointer(line, "reserved4", reserved4);
        LogResult(line, result);
        LogAfter(line, "out", "(" + std::to_string(kMajor) + "," + std::to_string(kMinor) + ")");
        CallLogWrite(line);
    }
    return result;
}

HWND WndGetTopWindowHandle(void) {
    HWND window = Host().main;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "WndGetTopWindowHandle");
        LogResultText(line, FormatPointer(window));
        CallLogWrite(line);
    }
    return window;
}

} // extern "C"
