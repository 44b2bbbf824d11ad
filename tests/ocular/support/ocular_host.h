// Runs the real host with the plug-in installed as it would be: a scratch installation with
// app\ocular.ix (a copy of the built module), settings_path.txt one folder above it naming the
// installation's settings folder, and settings\ocular for ocular.ini and ocular.upf. Lidora (the
// built lidor.ix) is loaded before the plug-in unless a test says otherwise.
//
// While the host runs, a watcher answers the plug-in's message dialogs (toolkit dialogs titled
// "Ocularis" with an OK button) and records their texts, so that the start-up warning of the CPU
// fallback, which every start on a machine without a GPU renderer shows, does not block a script.
//
//   ocularhost::Install install = ocularhost::MakeInstall(L"contrast");
//   ocularhost::Result run = ocularhost::Run(install, "keyin plain points\n");
//   EXPECT_NE(ocularhost::ReadSettingsFile(install, L"ocular.upf").find("RenderingMode=1"), npos);
#pragma once

#include "support/host_runner.h"

#include <string>
#include <vector>

namespace ocularhost {

struct Install {
    std::wstring root;     // the installation folder
    std::wstring module;   // root\app\ocular.ix
    std::wstring settings; // root\settings: the folder settings_path.txt names
};

// A fresh installation below the build folder's scratch area.
Install MakeInstall(const std::wstring& name);
// Writes a file below settings\ocular (ocular.ini, ocular.upf, ...), replacing it.
bool WriteSettingsFile(const Install& install, const std::wstring& name, const std::string& bytes);
// A file below settings\ocular, or "" when there is none.
std::string ReadSettingsFile(const Install& install, const std::wstring& name);
bool SettingsFileExists(const Install& install, const std::wstring& name);

struct RunOptions {
    bool lidora = true;            // load lidor.ix before the plug-in
    bool answerMessages = true;    // the watcher described above
    std::vector<std::wstring> extraApps; // loaded after the plug-in (probes)
    hostrun::Options host;         // apps are filled in from the fields above
};

struct Result : hostrun::Result {
    std::vector<std::wstring> messages; // texts of the message dialogs the watcher answered, in order
};

// The script runs with --exit unless host.exitAfterScript is false.
Result Run(const Install& install, const std::string& script, const RunOptions& options = {});

// Starts the host and leaves it running (with the watcher, when asked) until Finish.
struct Running;
Running* Start(const Install& install, const std::string& script, const RunOptions& options = {});
Result Finish(Running* running, unsigned long timeoutMs = 120000);

// The scratch name of an installation's runs: one folder per run below the installation's name.
std::wstring ScratchName(const Install& install);

// The call-log lines of host operations whose name is one of the given (the text up to the first blank).
std::vector<std::string> CallsNamed(const std::vector<std::string>& log, const std::vector<std::string>& names);

// "Z:\..." as a narrow script argument (ASCII paths only, which is all the build folder holds).
std::string Narrow(const std::wstring& text);

} // namespace ocularhost
