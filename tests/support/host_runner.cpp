#include "support/host_runner.h"

#include "support/test_environment.h"

namespace hostrun {
namespace {

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::string bytes;
    std::vector<std::string> lines;
    if (!testenv::ReadFileBytes(path, bytes)) return lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

HANDLE InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

std::wstring BuildPath(const std::wstring& relative) {
    return testenv::BuildFolder() + L"\\" + relative;
}

Running Start(const std::wstring& scratchName, const std::string& script, const Options& options) {
    Running running;
    running.folder = testenv::ScratchFolder(scratchName);
    std::wstring scriptPath = running.folder + L"\\script.txt";
    if (!testenv::WriteFileBytes(scriptPath, script)) return running;
    std::wstring command = Quoted(BuildPath(L"bin\\orbisa.exe"));
    command += L" --script " + Quoted(scriptPath);
    command += L" --out " + Quoted(running.folder + L"\\out.txt");
    command += L" --log " + Quoted(running.folder + L"\\log.txt");
    if (options.exitAfterScript) command += L" --exit";
    if (options.scriptPointer) command += L" --script-pointer";
    for (const std::wstring& app : options.apps) command += L" --app " + Quoted(app);
    if (options.apps.empty() && !options.defaultApps) command += L" --no-apps";
    for (const std::wstring& argument : options.extraArguments) command += L" " + argument;

    HANDLE out = InheritableFile(running.folder + L"\\stdout.txt");
    HANDLE err = InheritableFile(running.folder + L"\\stderr.txt");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    running.started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     BuildPath(L"bin").c_str(), &startup, &running.process) != 0;
    CloseHandle(out);
    CloseHandle(err);
    return running;
}

Result Finish(Running& running, DWORD timeoutMs) {
    Result result;
    result.folder = running.folder;
    result.started = running.started;
    if (!running.started) return result;
    if (WaitForSingleObject(running.process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        result.timedOut = true;
        TerminateProcess(running.process.hProcess, 99);
        WaitForSingleObject(running.process.hProcess, 10000);
    }
    DWORD code = 0;
    GetExitCodeProcess(running.process.hProcess, &code);
    result.exitCode = result.timedOut ? -1 : static_cast<int>(code);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    running.started = false;
    result.output = ReadLines(running.folder + L"\\stdout.txt");
    result.errors = ReadLines(running.folder + L"\\stderr.txt");
    result.copy = ReadLines(running.folder + L"\\out.txt");
    result.log = ReadLines(running.folder + L"\\log.txt");
    return result;
}

Result Run(const std::wstring& scratchName, const std::string& script, const Options& options) {
    Running running = Start(scratchName, script, options);
    return Finish(running, options.timeoutMs);
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

std::string FirstLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> found = LinesStartingWith(lines, prefix);
    return found.empty() ? std::string() : found.front();
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string ValueOf(const std::string& line, const std::string& key) {
    std::string marker = key + "=";
    size_t at = 0;
    while ((at = line.find(marker, at)) != std::string::npos) {
        if (at == 0 || line[at - 1] == ' ') {
            size_t start = at + marker.size(), end = line.find(' ', start);
            return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        at += marker.size();
    }
    return {};
}

} // namespace hostrun
