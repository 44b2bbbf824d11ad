// Runs the real host (build/bin/orbisa.exe) with chosen mini apps on a script, while the test acts on
// its windows from another thread (answering message boxes, filling the open-file dialog).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace lidoratest {

struct HostResult {
    bool finished;   // the host ended within the time
    DWORD exitCode;  // 0 done, 2 a script line failed
    std::string out; // what the script printed
    std::string log; // the host's call log
};

// The folder of the host and the platform's DLLs.
std::wstring BinFolder();
// The probe mini app built beside the tests.
std::wstring ProbeModule();

// Writes the script into folder and runs the host on it with --exit, loading apps in order. during
// (when given) runs on its own thread while the host runs and must return by itself.
HostResult RunHostScript(const std::wstring& folder, const std::vector<std::wstring>& apps,
                         const std::vector<std::string>& lines, const std::function<void()>& during = {},
                         DWORD timeoutMs = 180000);

// A Windows path as a script line takes it (UTF-8).
std::string Utf8(const std::wstring& text);

} // namespace lidoratest
