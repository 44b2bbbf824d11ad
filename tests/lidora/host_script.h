// Runs the real host on a script with chosen mini apps while the test acts on its windows from another
// thread (answering message boxes, filling the open-file dialog).
#pragma once

#include "support/host_runner.h"

#include <functional>
#include <string>
#include <vector>

namespace lidoratest {

// The folder of the host and the platform's DLLs.
std::wstring BinFolder();
// The probe mini app built beside the tests.
std::wstring ProbeModule();

// Runs the host on the lines, loading apps in order; during (when given) runs on its own thread while
// the host runs and must return by itself.
hostrun::Result RunHostScript(const std::wstring& scratchName, const std::vector<std::wstring>& apps,
                              const std::vector<std::string>& lines,
                              const std::function<void()>& during = {});

// A Windows path as a script line takes it (UTF-8).
std::string Utf8(const std::wstring& text);

} // namespace lidoratest
