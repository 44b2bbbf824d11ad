// The command line of orbisa.exe.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
    std::vector<std::wstring> apps; // --app PATH, in order
    bool noApps = false;            // --no-apps
    std::wstring script;            // --script FILE
    bool exitAfterScript = false;   // --exit
    std::wstring log;               // --log FILE
    std::wstring out;               // --out FILE
    std::wstring design;            // --design FILE
    bool noDesign = false;          // --no-design
    bool scriptPointer = false;     // --script-pointer
    bool help = false;              // --help
};

constexpr size_t kArgumentLimit = 32767;

// False (and why) for an unknown option, a missing or over-long value, or options that exclude each other.
bool ParseHostOptions(const std::vector<std::wstring>& arguments, HostOptions* options, std::string* why);
// The text --help prints.
const char* HostUsage();
