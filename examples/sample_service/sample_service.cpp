// NimboSlaveService: the smallest real Windows service. It reports itself running to the service control
// manager, writes a heartbeat file beside its program so that one can see it work, and ends on request.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

wchar_t g_serviceName[] = L"NimboSlaveService";
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;

void ReportState(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        (state == SERVICE_RUNNING) ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWaitHint = (state == SERVICE_RUNNING || state == SERVICE_STOPPED) ? 0 : 3000;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI HandleControl(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        ReportState(SERVICE_STOP_PENDING);
        SetEvent(g_stopEvent);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

// "<program folder>\heartbeat.txt" holds the state and the number of beats so far.
void WriteHeartbeat(const wchar_t* state, unsigned beats) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr || static_cast<size_t>(slash - path) + 15 >= MAX_PATH) return;
    wcsncpy(slash + 1, L"heartbeat.txt", MAX_PATH - static_cast<size_t>(slash + 1 - path));
    char text[64];
    int size = snprintf(text, sizeof text, "%ls %u\r\n", state, beats);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    g_statusHandle = RegisterServiceCtrlHandlerExW(g_serviceName, HandleControl, nullptr);
    if (g_statusHandle == nullptr) return;
    g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ReportState(SERVICE_RUNNING);
    unsigned beats = 0;
    WriteHeartbeat(L"running", beats);
    while (WaitForSingleObject(g_stopEvent, 1000) == WAIT_TIMEOUT) WriteHeartbeat(L"running", ++beats);
    WriteHeartbeat(L"stopped", beats);
    CloseHandle(g_stopEvent);
    ReportState(SERVICE_STOPPED);
}

} // namespace

int wmain() {
    SERVICE_TABLE_ENTRYW table[] = {{g_serviceName, ServiceMain}, {nullptr, nullptr}};
    // Started by hand instead of by the service manager, the dispatcher fails at once: say so and end.
    if (!StartServiceCtrlDispatcherW(table)) {
        fwprintf(stderr, L"NimboSlaveService runs as a Windows service; install it with setup.exe.\n");
        return 1;
    }
    return 0;
}
