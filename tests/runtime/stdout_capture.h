// Collects what the code under test prints to standard output while an instance is alive.
#pragma once

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "support/test_environment.h"

class StdoutCapture {
public:
    explicit StdoutCapture(const std::wstring& folder) : path_(folder + L"\\stdout.txt") {
        fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        int target = _wopen(path_.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
        _dup2(target, _fileno(stdout));
        _close(target);
    }
    ~StdoutCapture() { Restore(); }

    // Ends the capture and returns everything printed meanwhile.
    std::string Text() {
        Restore();
        std::string bytes;
        testenv::ReadFileBytes(path_, bytes);
        return bytes;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        fflush(stdout);
        _dup2(saved_, _fileno(stdout));
        _close(saved_);
        saved_ = -1;
    }

    std::wstring path_;
    int saved_ = -1;
};
