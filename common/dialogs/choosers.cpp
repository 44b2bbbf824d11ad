#include "dialogs/choosers.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "runtime/memory.h"
#include "runtime/text.h"

namespace {

int Length(const wchar_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// Preselects the caller's folder once the chooser window exists; before that there is nothing to send
// the selection to.
int CALLBACK BrowseStarted(HWND window, UINT message, LPARAM, LPARAM start) {
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(start);
    if (message == BFFM_INITIALIZED && folder && *folder)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder));
    return 0;
}

// Appends text and a terminator when both fit with room left for the list's final terminator.
bool AppendEntry(wchar_t* output, int capacity, int* used, const wchar_t* folder, const wchar_t* name) {
    int folderLength = folder ? Length(folder) : 0;
    bool needsSeparator = folderLength > 0 && folder[folderLength - 1] != L'\\';
    int length = folderLength + (needsSeparator ? 1 : 0) + Length(name);
    if (*used + length + 2 > capacity) return false;
    for (int i = 0; i < folderLength; ++i) output[(*used)++] = folder[i];
    if (needsSeparator) output[(*used)++] = L'\\';
    for (const wchar_t* p = name; *p; ++p) output[(*used)++] = *p;
    output[(*used)++] = 0;
    return true;
}

} // namespace

int BrowseFolder(wchar_t* path, HWND owner, const wchar_t* title) {
    if (!path) return 0;
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = BrowseStarted;
    info.lParam = reinterpret_cast<LPARAM>(path);
    int chosen = 0;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    if (list) {
        // The shell writes up to MAX_PATH characters; the caller's buffer is checked before it is touched.
        wchar_t folder[MAX_PATH + 1] = {};
        if (SHGetPathFromIDListW(list, folder) && Length(folder) < kChooserPathCapacity) {
            TextCopyMax(path, kChooserPathCapacity - 1, folder);
            chosen = 1;
        }
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

int SaveFileChooser(wchar_t* path, HWND owner, const wchar_t* title, const wchar_t* filters,
                    const wchar_t* defaultExtension) {
    if (!path) return 0;
    path[kChooserPathCapacity - 1] = 0;
    OPENFILENAMEW chooser = {};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = owner;
    chooser.lpstrFilter = filters;
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = path;
    chooser.nMaxFile = kChooserPathCapacity;
    chooser.lpstrTitle = title;
    chooser.lpstrDefExt = defaultExtension;
    // A save chooser that insisted on an existing file could never create one, so only the folder must
    // exist.
    chooser.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    return GetSaveFileNameW(&chooser) ? 1 : 0;
}

int OpenFilesCollect(wchar_t* output, int capacity, const wchar_t* answer) {
    if (!output || capacity <= 0) return 0;
    int used = 0;
    int count = 0;
    const wchar_t* first = answer ? answer : L"";
    const wchar_t* name = first + Length(first) + 1;
    if (!*first) {
        // nothing chosen
    } else if (!*name) {
        count += AppendEntry(output, capacity, &used, nullptr, first) ? 1 : 0;
    } else {
        for (; *name; name += Length(name) + 1)
            count += AppendEntry(output, capacity, &used, first, name) ? 1 : 0;
    }
    // The list ends with an empty entry; with a single path that makes the two terminators callers expect,
    // and an empty list reads as two terminators as well.
    if (used < capacity) output[used++] = 0;
    if (count == 0 && used < capacity) output[used] = 0;
    return count;
}

int OpenFilesChooser(wchar_t* output, int capacity, HWND owner, const wchar_t* title, const wchar_t* filters,
                     const wchar_t* defaultExtension) {
    if (!output || capacity <= 0) return 0;
    output[0] = 0;
    if (capacity > 1) output[1] = 0;
    wchar_t* work = static_cast<wchar_t*>(MemAllocZero(kOpenFilesWorkBytes, "DlgMem"));
    if (!work) return 0;
    OPENFILENAMEW chooser = {};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = owner;
    chooser.lpstrFilter = filters;
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = work;
    // One character short of the block, so that the answer always ends in two zeros.
    chooser.nMaxFile = kOpenFilesWorkBytes / sizeof(wchar_t) - 1;
    chooser.lpstrTitle = title;
    chooser.lpstrDefExt = defaultExtension;
    chooser.Flags =
        OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    int written = GetOpenFileNameW(&chooser) ? OpenFilesCollect(output, capacity, work) : 0;
    MemFree(work);
    return written > 0 ? 1 : 0;
}
