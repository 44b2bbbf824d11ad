#include "cface/host_options.h"

#include "parts/log_format.h"

namespace {

enum OptionKind { kFlag, kValue };

struct OptionSpec {
    const wchar_t* name;
    OptionKind kind;
    void (*apply)(HostOptions&, const std::wstring&);
};

const OptionSpec kOptions[] = {
    {L"--app", kValue, [](HostOptions& o, const std::wstring& v) { o.apps.push_back(v); }},
    {L"--no-apps", kFlag, [](HostOptions& o, const std::wstring&) { o.noApps = true; }},
    {L"--script", kValue, [](HostOptions& o, const std::wstring& v) { o.script = v; }},
    {L"--exit", kFlag, [](HostOptions& o, const std::wstring&) { o.exitAfterScript = true; }},
    {L"--log", kValue, [](HostOptions& o, const std::wstring& v) { o.log = v; }},
    {L"--out", kValue, [](HostOptions& o, const std::wstring& v) { o.out = v; }},
    {L"--design", kValue, [](HostOptions& o, const std::wstring& v) { o.design = v; }},
    {L"--no-design", kFlag, [](HostOptions& o, const std::wstring&) { o.noDesign = true; }},
    {L"--script-pointer", kFlag, [](HostOptions& o, const std::wstring&) { o.scriptPointer = true; }},
    {L"--help", kFlag, [](HostOptions& o, const std::wstring&) { o.help = true; }},
};

} // namespace

bool ParseHostOptions(const std::vector<std::wstring>& arguments, HostOptions* options, std::string* why) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : kOptions)
            if (argument == candidate.name) option = &candidate;
        if (!option) {
            *why = "unknown option " + WideToUtf8Text(argument.substr(0, 200).c_str());
            return false;
        }
        std::wstring value;
        if (option->kind == kValue) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                *why = WideToUtf8Text(option->name) + " needs a value";
                return false;
            }
            value = arguments[++i];
            if (value.size() > kArgumentLimit) {
                *why = WideToUtf8Text(option->name) + " value is too long";
                return false;
            }
        }
        option->apply(*options, value);
    }
    if (options->noApps && !options->apps.empty()) {
        *why = "--no-apps and --app exclude each other";
        return false;
    }
    if (options->noDesign && !options->design.empty()) {
        *why = "--no-design and --design exclude each other";
        return false;
    }
    return true;
}

const char* HostUsage() {
    return "Usage: orbisa.exe [options]\n"
           "  --app PATH      load this mini app (repeatable, in order; replaces the default lidor.ix, "
           "ocular.ix)\n"
           "  --no-apps       load no mini app\n"
           "  --script FILE   run the script's lines once the mini apps are loaded\n"
           "  --exit          end after the script (or at once without one), running every unload hook\n"
           "  --log FILE      write the call log: one line per host operation a mini app calls\n"
           "  --out FILE      copy the script's output into FILE as well as standard output\n"
           "  --design FILE   open this design description (units, origin, colours)\n"
           "  --no-design     start with no active design file\n"
           "  --script-pointer  views take mouse input from the script only, not from the real mouse\n"
           "  --help          print this text\n"
           "Exit codes: 0 done, 1 bad command line or input file, 2 a script line failed.\n";
}
