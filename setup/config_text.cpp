#include "config_text.h"

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
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool complete = bytes.empty() ||
                    (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    complete = CloseHandle(file) && complete;
    if (!complete) DeleteFileW(path);
    return complete;
}
