#include "support/ocular_host.h"

#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace ocularhost {

struct Running {
    hostrun::Running host;
    std::thread watcher;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<std::wstring> messages;
};

namespace {

std::wstring SettingsFile(const Install& install, const std::wstring& name) {
    return install.settings + L"\\ocular\\" + name;
}

// The texts of a message dialog: everything but its buttons, joined by line feeds.
std::wstring MessageText(HWND dialog) {
    std::wstring text;
    for (HWND child : ui::Children(dialog)) {
        if (ui::ClassName(child) == L"Button") continue;
        std::wstring part = ui::Text(child);
        if (part.empty()) continue;
        if (!text.empty()) text += L"\n";
        text += part;
    }
    return text;
}

void Watch(Running* running) {
    while (!running->stop) {
        HWND dialog = ui::FindTopWindow(L"Ocularis", L"NimboDialog");
        HWND ok = dialog ? ui::FindByText(dialog, L"OK", L"Button") : nullptr;
        if (ok) {
            std::wstring text = MessageText(dialog);
            ui::Click(ok);
            if (ui::WaitForWindowGone(dialog, 5000)) {
                std::lock_guard<std::mutex> guard(running->lock);
                running->messages.push_back(text);
            }
        }
        Sleep(50);
    }
}

} // namespace

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += static_cast<char>(c);
    return narrow;
}

std::wstring ScratchName(const Install& install) {
    size_t slash = install.root.find_last_of(L'\\');
    return install.root.substr(slash + 1) + L"_run";
}

Install MakeInstall(const std::wstring& name) {
    Install install;
    install.root = testenv::ScratchFolder(name);
    install.module = install.root + L"\\app\\ocular.ix";
    install.settings = install.root + L"\\settings";
    CreateDirectoryW((install.root + L"\\app").c_str(), nullptr);
    CreateDirectoryW(install.settings.c_str(), nullptr);
    CreateDirectoryW((install.settings + L"\\ocular").c_str(), nullptr);
    CopyFileW(hostrun::BuildPath(L"bin\\ocular.ix").c_str(), install.module.c_str(), FALSE);
    testenv::WriteFileBytes(install.root + L"\\settings_path.txt", Narrow(install.settings) + "\r\n");
    return install;
}

bool WriteSettingsFile(const Install& install, const std::wstring& name, const std::string& bytes) {
    return testenv::WriteFileBytes(SettingsFile(install, name), bytes);
}

std::string ReadSettingsFile(const Install& install, const std::wstring& name) {
    std::string bytes;
    testenv::ReadFileBytes(SettingsFile(install, name), bytes);
    return bytes;
}

bool SettingsFileExists(const Install& install, const std::wstring& name) {
    return GetFileAttributesW(SettingsFile(install, name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Running* Start(const Install& install, const std::string& script, const RunOptions& options) {
    hostrun::Options host = options.host;
    host.apps.clear();
    if (options.lidora) host.apps.push_back(hostrun::BuildPath(L"bin\\lidor.ix"));
    host.apps.push_back(install.module);
    for (const std::wstring& app : options.extraApps) host.apps.push_back(app);
    Running* running = new Running;
    running->host = hostrun::Start(ScratchName(install), script, host);
    if (options.answerMessages) running->watcher = std::thread(Watch, running);
    return running;
}

Result Finish(Running* running, unsigned long timeoutMs) {
    Result result;
    static_cast<hostrun::Result&>(result) = hostrun::Finish(running->host, timeoutMs);
    running->stop = true;
    if (running->watcher.joinable()) running->watcher.join();
    result.messages = running->messages;
    delete running;
    return result;
}

Result Run(const Install& install, const std::string& script, const RunOptions& options) {
    return Finish(Start(install, script, options), options.host.timeoutMs);
}

std::vector<std::string> CallsNamed(const std::vector<std::string>& log, const std::vector<std::string>& names) {
    std::vector<std::string> found;
    for (const std::string& line : log) {
        std::string name = line.substr(0, line.find(' '));
        for (const std::string& wanted : names)
            if (name == wanted) found.push_back(line);
    }
    return found;
}

} // namespace ocularhost
