// Helpers shared by the installer's tests: file times, test payloads, Unix-side tricks under Wine.
#pragma once

#include "support/test_environment.h"

#include <windows.h>

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

// Z:\a\b as /a/b: Wine shows the Unix root as drive Z:.
inline std::string UnixPathOf(const std::wstring& windowsPath) {
    std::string path;
    for (size_t i = 2; i < windowsPath.size(); ++i)
        path += windowsPath[i] == L'\\' ? '/' : static_cast<char>(windowsPath[i]);
    return path;
}

// Runs a shell command on the Unix side and waits for it. Wine cannot wait on the handle of a Unix program,
// so the command leaves a marker file that is polled.
inline bool RunUnixCommand(const std::string& command, const std::wstring& markerFolder) {
    std::wstring marker = markerFolder + L"\\unix-command.done";
    DeleteFileW(marker.c_str());
    std::string line = "/bin/sh -c \"" + command + " && touch '" + UnixPathOf(marker) + "'\"";
    std::vector<wchar_t> wide(line.begin(), line.end());
    wide.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 10000; waited += 20) {
        if (Exists(marker)) {
            DeleteFileW(marker.c_str());
            return true;
        }
        Sleep(20);
    }
    return false;
}

// A file name that reads through a Unix device: /proc/self/mem fails every read at offset 0.
inline bool LinkToDevice(const std::wstring& link, const char* device, const std::wstring& markerFolder) {
    return RunUnixCommand("ln -sf " + std::string(device) + " '" + UnixPathOf(link) + "'", markerFolder);
}

// Wine neither shows nor deletes a link to a device, so it goes from the Unix side.
inline bool RemoveLink(const std::wstring& link, const std::wstring& markerFolder) {
    return RunUnixCommand("rm -f '" + UnixPathOf(link) + "'", markerFolder);
}

// Puts a file system of 64 KiB on the folder, so that writing more into it fails halfway with "disk full".
// Needs the right to mount (root in the build container); tests skip without it.
inline bool MountTinyDisk(const std::wstring& folder, const std::wstring& markerFolder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    return RunUnixCommand("mount -t tmpfs -o size=64k nimbo-tiny '" + UnixPathOf(folder) + "'", markerFolder);
}

inline void UnmountTinyDisk(const std::wstring& folder, const std::wstring& markerFolder) {
    RunUnixCommand("umount '" + UnixPathOf(folder) + "'", markerFolder);
}

} // namespace setuptest
