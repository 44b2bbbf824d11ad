// What the project and session tests share: the sample LAS files and their ranges, the plug-in's data
// folder, a watcher that records which files are removed in which order, a helper that answers the
// platform message boxes GuiDlg shows, the images the host saves, and the system file dialogs.
#pragma once

#include "support/ocular_host.h"
#include "support/png_reader.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace projecttest {

inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The shared sample files, beside the checkout or one folder further up.
inline std::wstring SampleLas(const std::wstring& name) {
    std::string source = NIMBO_SOURCE_DIR_UNIX;
    for (const std::string& unix : {source + "/../shared/data/las/", source + "/../../shared/data/las/"}) {
        std::wstring path = L"Z:" + Widen(unix) + name;
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
        wchar_t full[MAX_PATH];
        DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) continue;
        if (GetFileAttributesW(full) != INVALID_FILE_ATTRIBUTES) return full;
    }
    return {};
}

struct Range {
    double min[3];
    double max[3];
};

// The range a LAS header states (the same header offsets in every version, 1.0 to 1.4).
inline bool LasRange(const std::wstring& path, Range* range) {
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes) || bytes.size() < 227) return false;
    for (int axis = 0; axis < 3; ++axis) {
        memcpy(&range->max[axis], bytes.data() + 179 + 16 * axis, 8);
        memcpy(&range->min[axis], bytes.data() + 187 + 16 * axis, 8);
    }
    return true;
}

inline std::string FitLine(int view, const Range& range) {
    char line[256];
    snprintf(line, sizeof line, "view %d fit %.17g %.17g %.17g %.17g %.17g %.17g\n", view, range.min[0],
             range.min[1], range.min[2], range.max[0], range.max[1], range.max[2]);
    return line;
}

inline std::wstring DataFolder(const ocularhost::Install& install) {
    return install.settings + L"\\ocular\\data";
}

// The host preference file: one folder above the installation folder, as the plug-in derives it from
// the settings folder (root\settings), so that installations side by side share it.
inline std::wstring HostPreferencesFile(const ocularhost::Install& install) {
    return install.root.substr(0, install.root.find_last_of(L'\\')) + L"\\ocular\\ocularObx.upf";
}

inline bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    testenv::ReadFileBytes(path, bytes);
    return bytes;
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Records, in order, the files removed from a folder while it lives. Wine reports no changes in
// subfolders, so each folder needs a watcher of its own.
class RemovalWatcher {
public:
    explicit RemovalWatcher(const std::wstring& folder) {
        folder_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (folder_ != INVALID_HANDLE_VALUE) thread_ = std::thread([this] { Watch(); });
    }
    ~RemovalWatcher() { Stop(); }
    RemovalWatcher(const RemovalWatcher&) = delete;
    RemovalWatcher& operator=(const RemovalWatcher&) = delete;

    // Stops watching (after a moment for the last notifications) and gives the names, relative to the
    // folder.
    std::vector<std::wstring> Stop() {
        if (thread_.joinable()) {
            Sleep(300);
            SetEvent(stop_);
            thread_.join();
        }
        if (folder_ != INVALID_HANDLE_VALUE) CloseHandle(folder_);
        folder_ = INVALID_HANDLE_VALUE;
        std::lock_guard<std::mutex> guard(lock_);
        return removed_;
    }
    bool Watching() const { return folder_ != INVALID_HANDLE_VALUE; }

private:
    void Watch() {
        alignas(DWORD) static thread_local unsigned char buffer[64 * 1024];
        OVERLAPPED overlapped{};
        overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        for (;;) {
            ResetEvent(overlapped.hEvent);
            if (!ReadDirectoryChangesW(folder_, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME,
                                       nullptr, &overlapped, nullptr))
                break;
            HANDLE events[2] = {overlapped.hEvent, stop_};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIo(folder_);
                break;
            }
            DWORD bytes = 0;
            if (!GetOverlappedResult(folder_, &overlapped, &bytes, FALSE) || bytes == 0) continue;
            for (unsigned char* at = buffer;;) {
                auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(at);
                if (info->Action == FILE_ACTION_REMOVED) {
                    std::lock_guard<std::mutex> guard(lock_);
                    removed_.emplace_back(info->FileName, info->FileNameLength / sizeof(wchar_t));
                }
                if (!info->NextEntryOffset) break;
                at += info->NextEntryOffset;
            }
        }
        CloseHandle(overlapped.hEvent);
    }

    HANDLE folder_ = INVALID_HANDLE_VALUE;
    HANDLE stop_ = nullptr;
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::wstring> removed_;
};

// Answers the platform message boxes (class "#32770") with one of the captions by OK while it lives,
// and records "caption: text" of each.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<std::wstring> captions) : captions_(std::move(captions)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                for (const std::wstring& caption : captions_) {
                    HWND box = ui::FindTopWindow(caption, L"#32770");
                    if (!box) continue;
                    std::wstring text = ui::MessageBoxText(box);
                    if (ui::AnswerMessageBox(box, L"OK")) {
                        std::lock_guard<std::mutex> guard(lock_);
                        texts_.push_back(caption + L": " + text);
                    }
                }
                Sleep(50);
            }
        });
    }
    ~BoxAnswerer() { Stop(); }
    std::vector<std::wstring> Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        std::lock_guard<std::mutex> guard(lock_);
        return texts_;
    }

private:
    std::vector<std::wstring> captions_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::wstring> texts_;
};

// Pixels that differ between two saved views of the same size; -1 when either cannot be read.
inline long DifferingPixels(const std::wstring& a, const std::wstring& b) {
    pngread::Image first, second;
    std::string why;
    if (!pngread::Read(a, &first, &why) || !pngread::Read(b, &second, &why)) return -1;
    if (first.width != second.width || first.height != second.height) return -1;
    long differing = 0;
    for (size_t i = 0; i + 2 < first.rgb.size(); i += 3)
        if (memcmp(&first.rgb[i], &second.rgb[i], 3) != 0) ++differing;
    return differing;
}

// The system file dialog of the host with this title: waits for it, takes a screenshot, then either
// types name into its file-name field and confirms, or (name empty) cancels.
struct FileDialogUser {
    FileDialogUser(std::wstring dialogTitle, std::wstring typed, std::string picture)
        : title(std::move(dialogTitle)), name(std::move(typed)), screenshot(std::move(picture)) {}
    std::wstring title;
    std::wstring name;      // empty: cancel
    std::string screenshot; // testenv name
    bool found = false;
    bool closed = false;
    std::wstring offered; // the name the dialog started with
};

inline HWND FileNameField(HWND dialog) {
    HWND combo = ui::ChildById(dialog, 0x47C);
    if (combo) {
        HWND edit = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
        edit = edit ? FindWindowExW(edit, nullptr, L"Edit", nullptr)
                    : FindWindowExW(combo, nullptr, L"Edit", nullptr);
        if (edit) return edit;
    }
    return FindWindowExW(dialog, nullptr, L"Edit", nullptr);
}

inline void ActOnFileDialog(FileDialogUser* user) {
    HWND dialog = ui::WaitForWindow(user->title, 60000, L"#32770");
    if (!dialog) return;
    user->found = true;
    Sleep(500);
    HWND field = FileNameField(dialog);
    if (field) user->offered = ui::Text(field);
    if (!user->screenshot.empty()) testenv::SaveScreenshot(user->screenshot);
    if (!user->name.empty() && field) {
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user->name.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    } else {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
    user->closed = ui::WaitForWindowGone(dialog, 10000);
    if (!user->closed) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

inline std::string Joined(const std::vector<std::wstring>& texts) {
    std::string joined;
    for (const std::wstring& text : texts) joined += ocularhost::Narrow(text) + "\n";
    return joined;
}

} // namespace projecttest
