#include "cface/call_log.h"

#include "cface/host.h"

#include <windows.h>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

void WriteBytes(const char* bytes, size_t size) {
    DWORD written = 0;
    while (size > 0 && g_log != INVALID_HANDLE_VALUE) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!WriteFile(g_log, bytes, chunk, &written, nullptr) || written == 0) {
            // A full disk or a lost file: stop logging rather than fail every call from now on.
            CloseHandle(g_log);
            g_log = INVALID_HANDLE_VALUE;
            return;
        }
        bytes += written;
        size -= written;
    }
}

} // namespace

bool CallLogOpen(const wchar_t* path) {
    CallLogClose();
    g_log = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    return g_log != INVALID_HANDLE_VALUE;
}

void CallLogClose() {
    if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
}

bool CallLogging() {
    return g_log != INVALID_HANDLE_VALUE;
}

void CallLogWrite(const LogLine& line) {
    if (!CallLogging()) return;
    std::string text = line.text + "\r\n";
    WriteBytes(text.data(), text.size());
}

void CallLogSink(const char* line) {
    if (!CallLogging() || !line) return;
    std::string text(line, BoundedLength(line, 1u << 20));
    text += "\r\n";
    WriteBytes(text.data(), text.size());
}

void LogIntCall(const char* name, const char* argument, long long value, long long result) {
    if (!CallLogging()) return;
    LogLine line;
    LogBegin(line, name);
    if (argument) LogInt(line, argument, value);
    LogResult(line, result);
    CallLogWrite(line);
}

void LogCallbackBegin(LogLine& line, const char* name, const OrbisaMiniApp* app) {
    LogBegin(line, "callback");
    line.text += ' ';
    line.text += name;
    LogText(line, "app", app ? app->name.c_str() : nullptr);
}
