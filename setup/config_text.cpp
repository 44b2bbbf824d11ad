#include "config_text.h"

#include "runtime/file_replace.h"

#include <windows.h>

bool ConfigNarrow(const wchar_t* text, std::string* bytes) {
    for (const wchar_t* p = text; *p; ++p) {
        if (*p > 0xFF) return false;
        bytes->push_back(static_cast<char>(*p));
    }
    return true;
}

bool ConfigSlashForm(const wchar_t* folder, std::string* form) {
    form->clear();
    if (!ConfigNarrow(folder, form)) return false;
    for (char& c : *form)
        if (c == '\\') c = '/';
    if (form->empty() || form->back() != '/') form->push_back('/');
    return true;
}

bool ConfigWriteWholeFile(const wchar_t* path, const std::string& bytes) {
    // Written beside and moved into place whole: a full disk must not cost the host the configuration it
    // had, nor the installed programs the settings path they read.
    FileReplacement replacement;
    if (!FileReplaceBegin(&replacement, path)) return false;
    DWORD written = 0;
    bool complete = bytes.empty() || (WriteFile(replacement.handle, bytes.data(),
                                                static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                      written == bytes.size());
    if (!complete) {
        FileReplaceAbandon(&replacement);
        return false;
    }
    return FileReplaceCommit(&replacement) != 0;
}
