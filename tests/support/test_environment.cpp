#include "support/test_environment.h"

#include <shlobj.h>

#include <cstring>

#include <vector>

namespace testenv {
namespace {

std::string EnvironmentVariable(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return {};
    return std::string(value, length);
}

// CTest hands the build folder over as a Unix path; Wine maps the Unix root to drive Z:.
std::wstring WindowsPathOfUnix(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::string UnixBuildFolder() {
    std::string folder = EnvironmentVariable("NIMBO_BUILD_DIR");
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder;
}

const char* VariantName() {
#if defined(NIMBO_TEST_VARIANT)
    return NIMBO_TEST_VARIANT;
#elif defined(NIMBO_PLUGIN)
    return "plugin";
#else
    return "installer";
#endif
}

bool RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return RemoveDirectoryW(folder.c_str()) != 0;
}

} // namespace

std::wstring BuildFolder() {
    std::string unixFolder = UnixBuildFolder();
    if (!unixFolder.empty()) return WindowsPathOfUnix(unixFolder);
    wchar_t temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    std::wstring folder(temp, length);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ScratchFolder(const std::wstring& name) {
    std::wstring root = BuildFolder() + L"\\test-scratch";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring variantRoot = root + L"\\" + std::wstring(VariantName(), VariantName() + strlen(VariantName()));
    CreateDirectoryW(variantRoot.c_str(), nullptr);
    std::wstring folder = variantRoot + L"\\" + name;
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool SaveScreenshot(const std::string& name) {
    std::string unixFolder = UnixBuildFolder();
    if (unixFolder.empty() || EnvironmentVariable("DISPLAY").empty()) return false;
    std::string folder = unixFolder + "/screenshots/" + VariantName();
    CreateDirectoryW(WindowsPathOfUnix(unixFolder + "/screenshots").c_str(), nullptr);
    CreateDirectoryW(WindowsPathOfUnix(folder).c_str(), nullptr);
    PumpMessages(150);
    // Wine starts Unix programs through CreateProcess, but their handles cannot be waited on:
    // the shell leaves a marker file when import has finished, and we poll for it.
    std::string target = folder + "/" + name + ".png";
    std::string marker = target + ".done";
    std::wstring markerPath = WindowsPathOfUnix(marker);
    DeleteFileW(markerPath.c_str());
    std::string command = "/bin/sh -c \"/usr/bin/import -window root '" + target + "' && touch '" + marker + "'\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Keep our windows painting while import reads the screen.
    for (int waited = 0; waited < 20000; waited += 50) {
        if (GetFileAttributesW(markerPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(markerPath.c_str());
            return true;
        }
        PumpMessages(50);
    }
    return false;
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return true;
}

} // namespace testenv
