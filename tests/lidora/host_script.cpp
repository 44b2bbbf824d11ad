#include "host_script.h"

#include <thread>

namespace lidoratest {

std::wstring BinFolder() {
    return hostrun::BuildPath(L"bin");
}

std::wstring ProbeModule() {
    return hostrun::BuildPath(L"tests\\lidora\\lidora_probe.ix");
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

hostrun::Result RunHostScript(const std::wstring& scratchName, const std::vector<std::wstring>& apps,
                              const std::vector<std::string>& lines, const std::function<void()>& during) {
    std::string script;
    for (const std::string& line : lines) script += line + "\n";
    hostrun::Options options;
    options.apps = apps;
    options.timeoutMs = 180000;
    hostrun::Running running = hostrun::Start(scratchName, script, options);
    std::thread helper;
    if (running.started && during) helper = std::thread(during);
    hostrun::Result result = hostrun::Finish(running, options.timeoutMs);
    if (helper.joinable()) helper.join();
    return result;
}

} // namespace lidoratest
