// A disk that fills up, for tests of writes that fail halfway: a small tmpfs mounted from the Unix side
// over a folder (Wine passes the real "disk full" through), and a look at what a failed write left behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testenv {

// Z:\a\b as /a/b: Wine shows the Unix root as drive Z:.
inline std::string UnixPathOf(const std::wstring& windowsPath) {
    std::string path;
    for (size_t i = 2; i < windowsPath.size(); ++i)
        path += windowsPath[i] == L'\\' ? '/' : static_cast<char>(windowsPath[i]);
    return path;
}

// Runs a shell command on the Unix side and waits for it. Wine cannot wait on the handle of a Unix program,
// so the command leaves a marker file that is polled. False when it failed or did not end in 10 seconds.
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
        if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(marker.c_str());
            return true;
        }
        Sleep(20);
    }
    return false;
}

// Puts a file system of the given size (64 KiB unless said) on the folder, so that writing more into it
// fails halfway with "disk full". Needs the right to mount (root in the build container); tests skip
// without it.
inline bool MountTinyDisk(const std::wstring& folder, const std::wstring& markerFolder,
                          const char* size = "64k") {
    CreateDirectoryW(folder.c_str(), nullptr);
    return RunUnixCommand("mount -t tmpfs -o size=" + std::string(size) + " nimbo-tiny '" +
                              UnixPathOf(folder) + "'",
                          markerFolder);
}

inline void UnmountTinyDisk(const std::wstring& folder, const std::wstring& markerFolder) {
    RunUnixCommand("umount '" + UnixPathOf(folder) + "'", markerFolder);
}

// A tiny disk for the length of a scope, so that a failing test does not leave it mounted.
class TinyDisk {
public:
    TinyDisk(const std::wstring& folder, const std::wstring& markerFolder, const char* size = "64k")
        : folder_(folder), markerFolder_(markerFolder), mounted_(MountTinyDisk(folder, markerFolder, size)) {}
    ~TinyDisk() {
        if (mounted_) UnmountTinyDisk(folder_, markerFolder_);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    std::wstring folder_, markerFolder_;
    bool mounted_;
};

// Why a test cannot run here: said in its skip message.
#define TINY_DISK_SKIP_MESSAGE                                                                               \
    "mounting a small tmpfs from the Unix side failed (the test needs to run as root)"

// The names of the files below folder (in every subfolder) that start with prefix: what a write that
// promised to leave nothing behind left anyway.
inline std::vector<std::wstring> FilesStartingWith(const std::wstring& folder, const std::wstring& prefix) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::wstring& inner : FilesStartingWith(folder + L"\\" + name, prefix))
                found.push_back(name + L"\\" + inner);
        } else if (name.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return found;
}

} // namespace testenv
