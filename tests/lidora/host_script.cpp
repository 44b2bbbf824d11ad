#include "host_script.h"

#include <thread>

#include "support/test_environment.h"

namespace lidoratest {

namespace {

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::string ReadText(const std::wstring& path) {
    std::string bytes;
    testenv::ReadFileBytes(path, bytes);
    return bytes;
}

} // namespace

std::wstring BinFolder() {
    return testenv::BuildFolder() + L"\\bin";
}

std::wstring ProbeModule() {
    return testenv::BuildFolder() + L"\\tests\\lidora\\lidora_probe.ix";
}

std::string Utf8(const std::wstring& text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes,
                            nullptr, nullptr);
    return out;
}

HostResult RunHostScript(const std::wstring& folder, const std::vector<std::wstring>& apps,
                         const std::vector<std::string>& lines, const std::function<void()>& during,
                         DWORD timeoutMs) {
    HostResult result{false, 0, {}, {}};
    std::string script;
    for (const std::string& line : lines) script += line + "\r\n";
    std::wstring scriptPath = folder + L"\\script.txt", outPath = folder + L"\\out.txt",
                 logPath = folder + L"\\log.txt";
    DeleteFileW(outPath.c_str());
    DeleteFileW(logPath.c_str());
    if (!testenv::WriteFileBytes(scriptPath, script)) return result;
    std::wstring program = BinFolder() + L"\\orbisa.exe";
    std::wstring command = Quoted(program);
    for (const std::wstring& app : apps) command += L" --app " + Quoted(app);
    command += L" --script " + Quoted(scriptPath) + L" --exit --out " + Quoted(outPath) + L" --log " +
               Quoted(logPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring mutableCommand = command;
    if (!CreateProcessW(program.c_str(), mutableCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        BinFolder().c_str(), &startup, &process))
        return result;
    std::thread helper;
    if (during) helper = std::thread(during);
    DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    } else {
        result.finished = true;
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (helper.joinable()) helper.join();
    result.out = ReadText(outPath);
    result.log = ReadText(logPath);
    return result;
}

} // namespace lidoratest
