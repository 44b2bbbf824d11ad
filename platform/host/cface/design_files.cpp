#include "cface/design_files.h"

#include "parts/log_format.h"

#include <windows.h>

bool ReadDesignDescription(const std::wstring& path, DesignModel* model, std::string* why) {
    std::string name = WideToUtf8Text(path.c_str());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "cannot open the design description " + name;
        return false;
    }
    std::string text(1u << 20, '\0');
    DWORD got = 0;
    BOOL ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    if (!ok) {
        *why = "cannot read the design description " + name;
        return false;
    }
    if (got == text.size()) {
        *why = "the design description " + name + " is larger than 1 MiB";
        return false;
    }
    int badLine = 0;
    std::string problem;
    if (!DesignParse(text.data(), got, model, &badLine, &problem)) {
        *why = name + " line " + std::to_string(badLine) + ": " + problem;
        return false;
    }
    return true;
}
