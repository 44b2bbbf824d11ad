#include "shortcut.h"

#include "setup_state.h"
#include "setup_text.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>

namespace {

bool NameStaysInFolder(const wchar_t* name) {
    if (name[0] == 0 || wcspbrk(name, L"\\/:") != nullptr) return false;
    for (const wchar_t* p = name; *p; ++p)
        if (*p != L'.') return true;
    return false;
}

void SaveLink(const wchar_t* target, const wchar_t* workingFolder, const wchar_t* description,
              const wchar_t* linkPath) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return;
    link->SetPath(target);
    link->SetWorkingDirectory(workingFolder);
    link->SetDescription(description);
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Save(linkPath, TRUE)))
            SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, linkPath, nullptr);
        file->Release();
    }
    link->Release();
}

} // namespace

bool ShortcutLinkPath(const wchar_t* name, wchar_t* linkPath, size_t capacity) {
    if (!NameStaysInFolder(name)) return false;
    wchar_t programs[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs) != S_OK)
        return false;
    return SetupJoinPath(linkPath, capacity, programs, name) && SetupTextAppend(linkPath, capacity, L".lnk");
}

bool ShortcutCreate() {
    if (g_setup.exeFileCount == 0 || !(g_setup.exeFiles[0].flags & FileFlags::Shortcut)) return true;
    const FileEntry& entry = g_setup.exeFiles[0];
    wchar_t target[kSetupPathChars];
    if (!SetupJoinPath(target, kSetupPathChars, g_setup.exeFolder, entry.file)) return true;
    wchar_t workingFolder[kSetupPathChars];
    SetupTextCopy(workingFolder, kSetupPathChars, target);
    wchar_t* backslash = wcsrchr(workingFolder, L'\\');
    if (backslash) *backslash = 0;
    HRESULT com = CoInitialize(nullptr);
    wchar_t linkPath[kSetupPathChars];
    if (ShortcutLinkPath(entry.name, linkPath, kSetupPathChars))
        SaveLink(target, workingFolder, entry.name, linkPath);
    if (SUCCEEDED(com)) CoUninitialize();
    return true;
}
