// Helpers shared by the installer's tests: file times, test payloads, Unix-side tricks under Wine.
#pragma once

#include "support/test_environment.h"
#include "support/tiny_disk.h"

#include "runtime/file_replace.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace setuptest {

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    testenv::ReadFileBytes(path, bytes);
    return bytes;
}

inline FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

inline void SetWriteTime(const std::wstring& path, int year) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = 3;
    time.wDay = 4;
    time.wHour = 5;
    time.wMinute = 6;
    time.wSecond = 7;
    FILETIME fileTime;
    SystemTimeToFileTime(&time, &fileTime);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &fileTime);
    CloseHandle(file);
}

inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

using testenv::RunUnixCommand;
using testenv::UnixPathOf;

// A file name that reads through a Unix device: /proc/self/mem fails every read at offset 0.
inline bool LinkToDevice(const std::wstring& link, const char* device, const std::wstring& markerFolder) {
    return RunUnixCommand("ln -sf " + std::string(device) + " '" + UnixPathOf(link) + "'", markerFolder);
}

// Wine neither shows nor deletes a link to a device, so it goes from the Unix side.
inline bool RemoveLink(const std::wstring& link, const std::wstring& markerFolder) {
    return RunUnixCommand("rm -f '" + UnixPathOf(link) + "'", markerFolder);
}

using testenv::MountTinyDisk;
using testenv::UnmountTinyDisk;

// The temporary files that copies and replaced files are written into, left anywhere below folder.
inline std::vector<std::wstring> LeftoverTemporaryFiles(const std::wstring& folder) {
    return testenv::FilesStartingWith(folder, FILE_REPLACE_PREFIX);
}

// ---- setup.exe as a script runs it ----

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<std::wstring> windowTitles;
    std::vector<std::wstring> messages;
};

inline std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->windows.push_back(window);
    return TRUE;
}

// Answers whatever the program shows: a message box with OK, any other window by closing it, the way a
// user who wants out would. Everything seen is recorded, so that silent runs can be shown to show nothing.
inline void AnswerWindows(DWORD processId, RunResult* result) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.windows) {
        wchar_t className[64] = L"";
        GetClassNameW(window, className, 64);
        result->windowTitles.push_back(WindowText(window));
        if (std::wstring(className) == L"#32770") {
            HWND text = GetDlgItem(window, 0xFFFF);
            result->messages.push_back(text ? WindowText(text) : L"");
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
}

// Runs media\setup.exe with the arguments (UTF-16, as a script passes them) and waits for it.
inline RunResult RunSetup(const std::wstring& media, const std::wstring& arguments,
                          const std::wstring& currentFolder = L"") {
    RunResult result;
    std::wstring line = L"\"" + media + L"\\setup.exe\" " + arguments;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process))
        return result;
    for (int waited = 0; waited < 60000; waited += 100) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        AnswerWindows(process.dwProcessId, &result);
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

inline std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// What a file holds and when it was last written, in one line: equal lines before and after a failed step
// show that the step left the file exactly as it was.
inline std::string StateOf(const std::wstring& path) {
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes)) return "missing";
    FILETIME written = WriteTime(path);
    unsigned long long time =
        (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return std::to_string(bytes.size()) + " bytes, content " +
           std::to_string(std::hash<std::string>{}(bytes)) + ", written " + std::to_string(time);
}

} // namespace setuptest
