#include "command_line.h"

#include "setup_state.h"
#include "setup_text.h"

#include <windows.h>

namespace {

// Characters of one argument that fit a folder; a longer argument is not cut (that would install into
// a different folder than the one asked for) but refused.
constexpr size_t kArgumentChars = kSetupPathChars - 1;
constexpr int kMostArguments = 3;

template <typename Char> bool IsCommandBlank(Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

template <typename Char> bool ContainsExeNoCase(const Char* text) {
    for (const Char* p = text; *p; ++p) {
        if (p[0] == '.' && (p[1] == 'e' || p[1] == 'E') && (p[2] == 'x' || p[2] == 'X') &&
            (p[3] == 'e' || p[3] == 'E'))
            return true;
    }
    return false;
}

template <typename Char> struct Argument {
    Char text[kSetupPathChars];
    bool tooLong;
};

// One argument, quoted or not, read to its end whatever its length, so that the arguments behind a
// too long one are still counted.
template <typename Char> void ReadArgument(const Char** cursor, Argument<Char>* argument) {
    const Char* p = *cursor;
    bool quoted = (*p == '"');
    if (quoted) ++p;
    size_t length = 0;
    argument->tooLong = false;
    for (; *p && *p != '"' && (quoted || !IsCommandBlank(*p)); ++p) {
        if (length == kArgumentChars)
            argument->tooLong = true;
        else
            argument->text[length++] = *p;
    }
    argument->text[length] = 0;
    if (*p == '"') ++p;
    while (IsCommandBlank(*p)) ++p;
    *cursor = p;
}

// Reads the wanted arguments; false when one of them is missing or empty.
template <typename Char> bool ReadArguments(const Char* commandLine, Argument<Char>* arguments, int wanted) {
    if (commandLine == nullptr || commandLine[0] == 0) return false;
    const Char* p = commandLine;
    if (ContainsExeNoCase(commandLine)) {
        while (*p && !IsCommandBlank(*p)) ++p;
        while (IsCommandBlank(*p)) ++p;
    }
    for (int i = 0; i < wanted; ++i) {
        ReadArgument(&p, &arguments[i]);
        if (arguments[i].text[0] == 0) return false;
    }
    return true;
}

bool Decode(const Argument<char>& argument, wchar_t* folder) {
    if (argument.tooLong) return false;
    int made = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, argument.text, -1, folder, kSetupPathChars);
    if (made == 0) folder[0] = 0;
    return made > 0;
}

bool Decode(const Argument<wchar_t>& argument, wchar_t* folder) {
    return !argument.tooLong && SetupTextCopy(folder, kSetupPathChars, argument.text);
}

// Characters that no Windows path holds: control characters, wildcards, redirections, and a colon
// anywhere but behind the drive letter. The long-path prefix \\?\ is allowed in front.
bool IsUsableFolder(const wchar_t* folder) {
    const wchar_t* path = folder;
    if (path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' && path[3] == L'\\') path += 4;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p < 32 || *p == L'<' || *p == L'>' || *p == L'|' || *p == L'?' || *p == L'*') return false;
        if (*p == L':' && p != path + 1) return false;
    }
    return true;
}

template <typename Char>
CommandLineFolders ReadFolders(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                               const Char* commandLine, bool twoArguments) {
    Argument<Char> arguments[kMostArguments];
    int wanted = twoArguments ? 2 : 3;
    if (!ReadArguments(commandLine, arguments, wanted)) return CommandLineFolders::Missing;
    wchar_t decoded[kMostArguments][kSetupPathChars];
    for (int i = 0; i < wanted; ++i) {
        if (!Decode(arguments[i], decoded[i]) || !IsUsableFolder(decoded[i]))
            return CommandLineFolders::Unusable;
    }
    wchar_t* folders[kMostArguments] = {exeFolder, settingsFolder, hostFolder};
    for (int i = 0; i < wanted; ++i) SetupTextCopy(folders[i], kSetupPathChars, decoded[i]);
    return CommandLineFolders::Given;
}

bool IsAbsolute(const wchar_t* folder) {
    bool driveRoot = ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z')) &&
                     folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    bool network = (folder[0] == L'\\' && folder[1] == L'\\');
    return driveRoot || network;
}

} // namespace

CommandLineFolders SetupReadCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                                        const wchar_t* arguments, bool twoArguments) {
    return ReadFolders(exeFolder, settingsFolder, hostFolder, arguments, twoArguments);
}

bool SetupParseCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                           const char* commandLine, bool twoArguments) {
    return ReadFolders(exeFolder, settingsFolder, hostFolder, commandLine, twoArguments) ==
           CommandLineFolders::Given;
}

const wchar_t* SetupCommandLineArguments(const wchar_t* commandLine) {
    if (commandLine == nullptr) return L"";
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p > L' ') ++p;
    }
    while (*p && *p <= L' ') ++p;
    return p;
}

bool SetupMakeFolderAbsolute(wchar_t* folder, size_t capacity) {
    if (folder[0] == 0 || IsAbsolute(folder)) return true;
    wchar_t full[kSetupPathChars];
    DWORD length = GetFullPathNameW(folder, kSetupPathChars, full, nullptr);
    if (length == 0 || length >= kSetupPathChars) return false;
    return SetupTextCopy(folder, capacity, full);
}
