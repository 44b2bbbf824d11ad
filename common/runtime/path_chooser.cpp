#include "runtime/path_chooser.h"

#include "runtime/path.h"
#include "runtime/text.h"

#include <commdlg.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr int kExtensionChars = 32;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Explorer style and resizable like every chooser of the programs; the current folder of the process
// (the host's, for the plug-in) is not the chooser's business.
constexpr DWORD kCommonFlags =
    OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
// A save chooser exists to name new files, so only the folder must exist.
constexpr DWORD kSaveFlags = kCommonFlags | OFN_OVERWRITEPROMPT;
constexpr DWORD kOpenFlags = kCommonFlags | OFN_FILEMUSTEXIST;

BOOL ShowChooser(bool save, wchar_t* path, const wchar_t* filter, const wchar_t* extension,
                 const wchar_t* title, HWND owner) {
    OPENFILENAMEW request;
    memset(&request, 0, sizeof request);
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = kFileDialogPathChars;
    request.lpstrTitle = title;
    request.lpstrDefExt = extension[0] ? extension : nullptr;
    request.Flags = save ? kSaveFlags : kOpenFlags;
    return save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
}

int RunChooser(bool save, wchar_t* path, const wchar_t* filter, const wchar_t* defaultExtension,
               const wchar_t* title, PrefTable* table, const wchar_t* key, bool forceExtension, HWND owner) {
    if (!path) return 0;
    wchar_t extension[kExtensionChars];
    FileDialogExtension(extension, kExtensionChars, defaultExtension);
    wchar_t start[kFileDialogPathChars];
    FileDialogStartPath(start, path, table, key, forceExtension && extension[0] ? extension : nullptr);
    BOOL chosen = ShowChooser(save, start, filter, extension, title, owner);
    // A remembered path that the system refuses (a name with characters it forbids) must not lock the
    // user out of choosing at all: start again from an empty name.
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        start[0] = 0;
        chosen = ShowChooser(save, start, filter, extension, title, owner);
    }
    if (!chosen) return 0;
    TextCopyMax(path, kFileDialogPathChars - 1, start);
    if (table && key) PrefSetString(table, key, path);
    return 1;
}

} // namespace

void FileDialogRemoveDotSteps(wchar_t* path) {
    if (!path) return;
    size_t length = wcslen(path);
    size_t i = 0;
    while (i + 2 < length) {
        if (IsSeparator(path[i]) && path[i + 1] == L'.' && IsSeparator(path[i + 2])) {
            // Drop the dot and the separator after it; the next step may be a dot again.
            memmove(path + i + 1, path + i + 3, (length - i - 2) * sizeof(wchar_t));
            length -= 2;
        } else {
            ++i;
        }
    }
}

void FileDialogExtension(wchar_t* out, int capacity, const wchar_t* defaultExtension) {
    if (!out || capacity <= 0) return;
    out[0] = 0;
    if (!defaultExtension) return;
    while (*defaultExtension == L'*' || *defaultExtension == L'.') ++defaultExtension;
    int length = 0;
    while (defaultExtension[length] && defaultExtension[length] != L';') ++length;
    if (length >= capacity) return;
    for (int i = 0; i < length; ++i)
        if (defaultExtension[i] == L'*' || defaultExtension[i] == L'?' || IsSeparator(defaultExtension[i]))
            return;
    memcpy(out, defaultExtension, static_cast<size_t>(length) * sizeof(wchar_t));
    out[length] = 0;
}

void FileDialogStartPath(wchar_t* start, const wchar_t* path, const PrefTable* table, const wchar_t* key,
                         const wchar_t* newExtension) {
    if (!start) return;
    TextCopyMax(start, kFileDialogPathChars - 1, path ? path : L"");
    if (start[0] == 0 && table && key) PrefGetString(start, table, key, kFileDialogPathChars - 1);
    // An empty start stays empty: there is no name to give the extension to.
    if (start[0] != 0 && newExtension && newExtension[0])
        PathSetExtension(start, newExtension, kFileDialogPathChars);
    FileDialogRemoveDotSteps(start);
}

int FileSaveDialog(wchar_t* path, const wchar_t* filter, const wchar_t* defaultExtension,
                   const wchar_t* title, PrefTable* table, const wchar_t* key, int forceExtension,
                   HWND owner) {
    return RunChooser(true, path, filter, defaultExtension, title, table, key, forceExtension != 0, owner);
}

int FileOpenDialog(wchar_t* path, const wchar_t* filter, const wchar_t* defaultExtension,
                   const wchar_t* title, PrefTable* table, const wchar_t* key, HWND owner) {
    return RunChooser(false, path, filter, defaultExtension, title, table, key, false, owner);
}
