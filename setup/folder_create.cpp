#include "folder_create.h"

#include "message_pump.h"
#include "prompts.h"
#include "setup_message.h"
#include "setup_text.h"

#include <windows.h>

#include <cwchar>

namespace {

bool IsFolder(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The prefix in front of one separator: a drive, the root, an existing folder, or one that can be made.
bool AcceptPrefix(wchar_t* prefix) {
    size_t length = wcslen(prefix);
    if (length == 0 || prefix[length - 1] == L':') return true;
    if (IsFolder(prefix)) return true;
    while (length > 0 && (prefix[length - 1] == L'\\' || prefix[length - 1] == L'/')) prefix[--length] = 0;
    return length > 0 && CreateDirectoryW(prefix, nullptr) != 0;
}

} // namespace

bool FolderCreatePath(const wchar_t* path) {
    if (path[0] == 0) return true;
    wchar_t walk[kSetupPathChars + 2];
    if (!SetupTextCopy(walk, kSetupPathChars + 2, path)) return false;
    size_t length = wcslen(walk);
    if (walk[length - 1] != L'\\') {
        walk[length++] = L'\\';
        walk[length] = 0;
    }
    wchar_t prefix[kSetupPathChars + 2];
    for (size_t i = 0; i < length; ++i) {
        if (walk[i] != L'\\' && walk[i] != L'/') continue;
        wmemcpy(prefix, walk, i);
        prefix[i] = 0;
        if (!AcceptPrefix(prefix)) return false;
    }
    return true;
}

bool FolderCreate(Dialog* status, const wchar_t* folder) {
    PromptStatusLine(status, 0, L"Creating folder...");
    PromptStatusLine(status, 1, folder);
    // An empty folder would put every file into the root of the current drive; it is no folder to install to.
    bool created = folder[0] != 0 && FolderCreatePath(folder);
    if (!created && status)
        SetupMessage(PromptStatusHandle(status),
                     L"Unable to create folder %s. You may need to run setup as administrator.",
                     kSetupStyleNotice, folder);
    return created;
}

bool FolderCreateList(Dialog* status, const wchar_t* base, const FolderEntry* list, int count) {
    PromptStatusLine(status, 0, L"Creating folder...");
    for (int i = 0; i < count; ++i) {
        SetupPumpMessages();
        wchar_t path[kSetupPathChars];
        bool fitted = SetupJoinPath(path, kSetupPathChars, base, list[i].name);
        PromptStatusLine(status, 1, path);
        if (!fitted || !FolderCreatePath(path)) {
            if (status)
                SetupMessage(PromptStatusHandle(status), L"Unable to create folder %s.", kSetupStyleNotice,
                             path);
            return false;
        }
    }
    return true;
}
