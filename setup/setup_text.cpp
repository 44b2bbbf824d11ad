#include "setup_text.h"

#include <cwchar>

bool SetupTextCopy(wchar_t* target, size_t capacity, const wchar_t* source) {
    if (capacity == 0) return false;
    target[0] = 0;
    return SetupTextAppend(target, capacity, source);
}

bool SetupTextAppend(wchar_t* target, size_t capacity, const wchar_t* source) {
    if (capacity == 0) return false;
    size_t used = wcsnlen(target, capacity);
    if (used >= capacity) {
        target[capacity - 1] = 0;
        return false;
    }
    while (*source && used + 1 < capacity) target[used++] = *source++;
    target[used] = 0;
    return *source == 0;
}

bool SetupJoinPath(wchar_t* target, size_t capacity, const wchar_t* folder, const wchar_t* relative) {
    bool fitted = SetupTextCopy(target, capacity, folder);
    if (!SetupEndsWithBackslash(folder)) fitted = SetupTextAppend(target, capacity, L"\\") && fitted;
    return SetupTextAppend(target, capacity, relative) && fitted;
}

bool SetupIsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

void SetupTrimTrailingBlanks(wchar_t* text) {
    size_t length = wcslen(text);
    while (length > 0 && SetupIsBlank(text[length - 1])) text[--length] = 0;
}

void SetupTrimBlanks(wchar_t* text) {
    SetupTrimTrailingBlanks(text);
    size_t start = 0;
    while (SetupIsBlank(text[start])) ++start;
    if (start > 0) wmemmove(text, text + start, wcslen(text + start) + 1);
}

bool SetupEndsWithBackslash(const wchar_t* text) {
    size_t length = wcslen(text);
    return length > 0 && text[length - 1] == L'\\';
}

namespace {
wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
} // namespace

bool SetupEqualNoCase(const wchar_t* a, const wchar_t* b) {
    while (*a && UpperAscii(*a) == UpperAscii(*b)) ++a, ++b;
    return *a == 0 && *b == 0;
}

bool SetupStartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
    while (*prefix && UpperAscii(*text) == UpperAscii(*prefix)) ++text, ++prefix;
    return *prefix == 0;
}
