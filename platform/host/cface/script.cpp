#include "cface/script.h"

#include "cface/host.h"
#include "cface/host_output.h"
#include "cface/main_window.h"
#include "cface/views.h"

namespace {

struct ScriptState {
    std::vector<std::string> lines;
    size_t next = 0;
    bool running = false;
    bool exitAfter = false;
};

ScriptState& Script() {
    static ScriptState state;
    return state;
}

bool IsSkipped(const std::string& line) {
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// Dispatches what is queued; true when there was something. A quit request is put back for the loop.
bool DrainMessages() {
    bool any = false;
    MSG msg;
    for (int count = 0; count < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++count) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (msg.message == ScriptStepMessage()) continue; // steps are posted only between lines
        any = true;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return any;
}

void Finish() {
    ScriptState& script = Script();
    script.running = false;
    FlushOutput();
    if (script.exitAfter) RequestHostExit(Host().exitCode);
}

} // namespace

bool ScriptLoad(const wchar_t* path, std::string* why) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "cannot open the script (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    if (size.QuadPart > static_cast<LONGLONG>(kScriptFileLimit)) {
        CloseHandle(file);
        *why = "the script is larger than 16 MiB";
        return false;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    BOOL read = text.empty() || ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    if (!read || got != text.size()) {
        *why = "cannot read the script";
        return false;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    ScriptState& script = Script();
    script.lines.clear();
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        script.lines.push_back(line);
        at = end + 1;
    }
    return true;
}

UINT ScriptStepMessage() {
    static UINT message = RegisterWindowMessageW(L"OrbisaScriptStep");
    return message;
}

void ScriptBegin(bool exitAfter) {
    ScriptState& script = Script();
    script.next = 0;
    script.running = true;
    script.exitAfter = exitAfter;
    PostMessageW(Host().main, ScriptStepMessage(), 0, 0);
}

void ScriptStop() {
    Script().running = false;
}

void SettleHost() {
    for (int round = 0; round < 1000; ++round) {
        bool any = DrainMessages();
        if (Host().quitting) break;
        any = FlushRedraws() || any;
        if (!any) break;
    }
    FlushOutput();
}

void ScriptStep() {
    ScriptState& script = Script();
    if (!script.running || Host().quitting) return;
    SettleHost();
    while (script.next < script.lines.size()) {
        size_t index = script.next++;
        const std::string& line = script.lines[index];
        if (IsSkipped(line)) continue;
        std::string error;
        ScriptLineResult result =
            line.size() > kScriptLineLimit ? kScriptLineFailed : RunScriptLine(line, 0, &error);
        if (line.size() > kScriptLineLimit)
            error = "line longer than " + std::to_string(kScriptLineLimit) + " bytes";
        if (Host().quitting) return;
        SettleHost();
        if (result == kScriptLineFailed) {
            std::string shown = line.size() > 200 ? line.substr(0, 200) + "..." : line;
            PrintProblem("script line " + std::to_string(index + 1) + ": " + error + ": " + shown);
            Host().exitCode = 2;
            Finish();
            return;
        }
        if (result == kScriptLineExit) {
            script.running = false;
            return;
        }
        PostMessageW(Host().main, ScriptStepMessage(), 0, 0);
        return;
    }
    Finish();
}
