// Runs the real Orbisa host (build/bin/orbisa.exe) with a script, for tests of the host and of mini
// apps under Wine. The script goes into a fresh scratch folder; the host's standard output, standard
// error, --out copy and --log call log are files there, read back when it has ended.
//
//   hostrun::Options options;
//   options.apps = {hostrun::BuildPath(L"tests\\host\\testapp.ix")};
//   hostrun::Result run = hostrun::Run(L"my_test", "keyin tm echo x\n", options);
//   EXPECT_EQ(run.exitCode, 0);  // run.output holds "echo \"x\""
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostrun {

struct Options {
    // Mini apps for --app, in order. Empty: --no-apps, unless defaultApps (then neither is given and the
    // host loads lidor.ix and ocular.ix from its folder when they are there).
    std::vector<std::wstring> apps;
    bool defaultApps = false;
    bool exitAfterScript = true; // --exit
    // --script-pointer: the views ignore the real mouse, which other tests on the display move. Off
    // for a test that drives the views with mouse messages as a person would.
    bool scriptPointer = true;
    std::vector<std::wstring> extraArguments; // given after the others, as they stand
    DWORD timeoutMs = 120000;                 // then the host is killed and the run fails
};

struct Result {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;
    std::vector<std::string> output; // standard output: script output and the mini apps' printing
    std::vector<std::string> errors; // standard error
    std::vector<std::string> copy;   // the --out file
    std::vector<std::string> log;    // the --log call log
    std::wstring folder;             // the scratch folder of the run
};

// A path below the build folder ("bin\\orbisa.exe", "tests\\host\\testapp.ix").
std::wstring BuildPath(const std::wstring& relative);

// A host started and not yet waited for, so that a test can act on its windows meanwhile.
struct Running {
    PROCESS_INFORMATION process{};
    std::wstring folder;
    bool started = false;
};

Running Start(const std::wstring& scratchName, const std::string& script, const Options& options = {});
// Waits (at most the timeout, then kills the host) and reads the files of the run.
Result Finish(Running& running, DWORD timeoutMs = 120000);
// Start and Finish.
Result Run(const std::wstring& scratchName, const std::string& script, const Options& options = {});

// The lines that begin with prefix, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);
// The first line that begins with prefix, or "".
std::string FirstLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix);
// All lines joined with line feeds, for failure messages.
std::string Joined(const std::vector<std::string>& lines);
// The value of key=value in a line of words ("size=300,200" gives "300,200"), or "".
std::string ValueOf(const std::string& line, const std::string& key);

} // namespace hostrun
