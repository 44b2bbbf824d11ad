#include "engine_text.h"

#include <windows.h>

#include <wchar.h>

bool TextCopy(wchar_t* to, size_t capacity, const wchar_t* from) {
    if (capacity == 0) return false;
    if (!from) from = L"";
    size_t i = 0;
    for (; from[i] && i + 1 < capacity; ++i) to[i] = from[i];
    to[i] = 0;
    return from[i] == 0;
}

bool TextAppend(wchar_t* to, size_t capacity, const wchar_t* tail) {
    size_t used = wcsnlen(to, capacity);
    if (used >= capacity) return false;
    return TextCopy(to + used, capacity - used, tail);
}

bool PathJoin(wchar_t* to, size_t capacity, const wchar_t* folder, const wchar_t* name) {
    if (!TextCopy(to, capacity, folder)) return false;
    size_t used = wcslen(to);
    if (used > 0 && to[used - 1] != L'\\' && to[used - 1] != L'/' && !TextAppend(to, capacity, L"\\"))
        return false;
    return TextAppend(to, capacity, name);
}

namespace {

const wchar_t* LastSeparator(const wchar_t* path) {
    const wchar_t* last = nullptr;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') last = p;
    return last;
}

} // namespace

void PathFolder(wchar_t* to, size_t capacity, const wchar_t* path) {
    if (capacity == 0) return;
    to[0] = 0;
    if (!path) return;
    const wchar_t* last = LastSeparator(path);
    if (!last) return;
    size_t length = static_cast<size_t>(last - path);
    if (length >= capacity) length = capacity - 1;
    wmemcpy(to, path, length);
    to[length] = 0;
}

void PathStem(wchar_t* to, size_t capacity, const wchar_t* path) {
    if (capacity == 0) return;
    const wchar_t* last = path ? LastSeparator(path) : nullptr;
    TextCopy(to, capacity, last ? last + 1 : (path ? path : L""));
    wchar_t* dot = wcsrchr(to, L'.');
    if (dot && dot != to) *dot = 0;
}

bool TextEqualNoCase(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a ? a : L"", -1, b ? b : L"", -1, TRUE) == CSTR_EQUAL;
}

bool PathHasExtension(const wchar_t* path, const wchar_t* extension) {
    if (!path) return false;
    const wchar_t* last = LastSeparator(path);
    const wchar_t* dot = wcsrchr(last ? last : path, L'.');
    return dot && TextEqualNoCase(dot, extension);
}

bool PathIsAbsolute(const wchar_t* path) {
    if (!path) return false;
    if (path[0] == L'\\' && path[1] == L'\\') return true;
    return ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

bool TextAppendUnsigned(wchar_t* to, size_t capacity, uint64_t value) {
    wchar_t digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value);
    wchar_t text[24];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = 0;
    return TextAppend(to, capacity, text);
}

bool TextAppendHex(wchar_t* to, size_t capacity, uint64_t value) {
    wchar_t text[17];
    for (int i = 0; i < 16; ++i) text[i] = L"0123456789abcdef"[(value >> (60 - 4 * i)) & 15];
    text[16] = 0;
    return TextAppend(to, capacity, text);
}

bool TextFromFileBytes(wchar_t* to, size_t capacity, const char* bytes, size_t count) {
    if (capacity == 0) return false;
    to[0] = 0;
    if (count == 0) return true;
    if (count > 0x7FFFFFFF) return false;
    int length = static_cast<int>(count);
    UINT codePage = CP_UTF8;
    int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (needed <= 0) {
        codePage = CP_ACP;
        needed = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
    }
    if (needed <= 0 || static_cast<size_t>(needed) >= capacity) return false;
    MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, bytes, length, to, needed);
    to[needed] = 0;
    return true;
}

bool TextToUtf8(char* to, size_t capacity, const wchar_t* from) {
    if (capacity == 0) return false;
    to[0] = 0;
    if (!from || !*from) return true;
    int needed = WideCharToMultiByte(CP_UTF8, 0, from, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0 || static_cast<size_t>(needed) > capacity) return false;
    WideCharToMultiByte(CP_UTF8, 0, from, -1, to, needed, nullptr, nullptr);
    return true;
}
