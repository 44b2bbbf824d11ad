// Shared scaffolding of the tests that run the real host with the test mini app.
#pragma once

#include "support/host_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hosttest {

inline std::wstring TestApp() {
    return hostrun::BuildPath(L"tests\\host\\testapp.ix");
}

inline hostrun::Options WithTestApp() {
    hostrun::Options options;
    options.apps = {TestApp()};
    return options;
}

// Runs the script with the test mini app and expects a clean end.
inline hostrun::Result RunClean(const std::wstring& name, const std::string& script,
                                hostrun::Options options = WithTestApp()) {
    hostrun::Result run = hostrun::Run(name, script, options);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << hostrun::Joined(run.output) << hostrun::Joined(run.errors);
    return run;
}

// Expects each wanted line among the lines, in this order (other lines may come between).
inline void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    size_t at = 0;
    for (const std::string& line : wanted) {
        while (at < lines.size() && lines[at] != line) ++at;
        EXPECT_LT(at, lines.size()) << "missing or out of order: " << line << "\nin:\n"
                                    << hostrun::Joined(lines);
        if (at >= lines.size()) return;
        ++at;
    }
}

// Words of a line ("pixel 0 1 2 3 4 5" gives its six words after the first).
inline std::vector<std::string> WordsOf(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        size_t end = line.find(' ', at);
        if (end == std::string::npos) end = line.size();
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// Three numbers of "x,y,z".
inline std::vector<double> Triple(const std::string& text) {
    std::vector<double> values;
    size_t at = 0;
    while (at <= text.size() && values.size() < 16) {
        size_t end = text.find(',', at);
        values.push_back(std::stod(text.substr(at, end == std::string::npos ? std::string::npos : end - at)));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return values;
}

} // namespace hosttest
