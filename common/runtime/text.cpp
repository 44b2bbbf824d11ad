#include "runtime/text.h"

#include <windows.h>

#include <climits>
#include <cwctype>

namespace {

bool IsLineSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The system converters count in int; larger inputs are converted up to that limit.
int SystemCount(size_t count) {
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The system converters refuse to fill a buffer that is too small, so an output that must be cut
// is converted whole into a scratch block first.
void* ScratchBlock(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void FreeScratch(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}

} // namespace

size_t TextLength(const wchar_t* text) {
    size_t length = 0;
    if (text)
        while (text[length]) ++length;
    return length;
}

int TextCompareNoCase(const wchar_t* a, const wchar_t* b) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (;; ++a, ++b) {
        wint_t left = towupper(*a);
        wint_t right = towupper(*b);
        if (left != right) return left < right ? -1 : 1;
        if (!*a) return 0;
    }
}

int TextStartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
    if (!prefix) return 1;
    if (!text) text = L"";
    for (; *prefix; ++prefix, ++text)
        if (!*text || towupper(*text) != towupper(*prefix)) return 0;
    return 1;
}

void TextCopyMax(wchar_t* dest, size_t maximum, const wchar_t* source) {
    size_t i = 0;
    if (source)
        for (; i < maximum && source[i]; ++i) dest[i] = source[i];
    dest[i] = 0;
}

void TextTrimEnd(wchar_t* text) {
    size_t length = TextLength(text);
    while (length > 0 && IsLineSpace(text[length - 1])) --length;
    if (text) text[length] = 0;
}

void TextTrimStart(wchar_t* text) {
    if (!text) return;
    size_t skip = 0;
    while (IsLineSpace(text[skip])) ++skip;
    if (skip == 0) return;
    size_t i = 0;
    for (; text[skip + i]; ++i) text[i] = text[skip + i];
    text[i] = 0;
}

void TextStripTrailing(wchar_t* text, wchar_t character) {
    size_t length = TextLength(text);
    while (length > 0 && text[length - 1] == character) --length;
    if (text) text[length] = 0;
}

void TextRemoveAll(wchar_t* text, wchar_t character) {
    if (!text) return;
    size_t kept = 0;
    for (size_t i = 0; text[i]; ++i)
        if (text[i] != character) text[kept++] = text[i];
    text[kept] = 0;
}

int TextSplitCommas(TextField fields[kTextFieldCount], const wchar_t* text) {
    for (int i = 0; i < kTextFieldCount; ++i) fields[i][0] = 0;
    if (!text || !*text) return 0;
    int count = 0;
    const wchar_t* start = text;
    while (count < kTextFieldCount) {
        const wchar_t* end = start;
        while (*end && *end != L',') ++end;
        size_t length = static_cast<size_t>(end - start);
        if (length > kTextFieldLength) length = kTextFieldLength;
        for (size_t i = 0; i < length; ++i) fields[count][i] = start[i];
        fields[count][length] = 0;
        ++count;
        if (!*end) break;
        start = end + 1;
    }
    return count;
}

void TextColumn(wchar_t* dest, size_t width, const wchar_t* text, int mode, wchar_t fill) {
    size_t length = TextLength(text);
    if (length > width) length = width;
    size_t before = 0;
    if (mode == kTextAlignCentre)
        before = (width - length) / 2;
    else if (mode == kTextAlignRight)
        before = width - length;
    size_t at = 0;
    for (; at < before; ++at) dest[at] = fill;
    for (size_t i = 0; i < length; ++i) dest[at++] = text[i];
    for (; at < width; ++at) dest[at] = fill;
    dest[width] = 0;
}

size_t Utf8ToWideLength(const char* source, size_t bytes) {
    if (!source || bytes == 0) return 0;
    int length = MultiByteToWideChar(CP_UTF8, 0, source, SystemCount(bytes), nullptr, 0);
    return length > 0 ? static_cast<size_t>(length) : 0;
}

int Utf8ToWideCount(wchar_t* dest, size_t capacity, const char* source, size_t bytes) {
    if (capacity == 0) return 0;
    dest[0] = 0;
    size_t needed = Utf8ToWideLength(source, bytes);
    if (needed == 0) return 0;
    int count = SystemCount(bytes);
    if (needed < capacity) {
        int written = MultiByteToWideChar(CP_UTF8, 0, source, count, dest, static_cast<int>(needed));
        dest[written > 0 ? written : 0] = 0;
        return written > 0 ? written : 0;
    }
    wchar_t* whole = static_cast<wchar_t*>(ScratchBlock(needed * sizeof(wchar_t)));
    if (!whole) return 0;
    MultiByteToWideChar(CP_UTF8, 0, source, count, whole, static_cast<int>(needed));
    size_t kept = capacity - 1;
    if (kept > 0 && IsHighSurrogate(whole[kept - 1])) --kept;
    for (size_t i = 0; i < kept; ++i) dest[i] = whole[i];
    dest[kept] = 0;
    FreeScratch(whole);
    return static_cast<int>(kept);
}

int Utf8ToWide(wchar_t* dest, size_t capacity, const char* source) {
    size_t bytes = 0;
    if (source)
        while (source[bytes]) ++bytes;
    return Utf8ToWideCount(dest, capacity, source, bytes);
}

size_t WideToUtf8Length(const wchar_t* source, size_t chars) {
    if (!source || chars == 0) return 0;
    int length = WideCharToMultiByte(CP_UTF8, 0, source, SystemCount(chars), nullptr, 0, nullptr, nullptr);
    return length > 0 ? static_cast<size_t>(length) : 0;
}

int WideToUtf8Count(char* dest, size_t capacity, const wchar_t* source, size_t chars) {
    if (capacity == 0) return 0;
    dest[0] = 0;
    size_t needed = WideToUtf8Length(source, chars);
    if (needed == 0) return 0;
    int count = SystemCount(chars);
    if (needed < capacity) {
        int written =
            WideCharToMultiByte(CP_UTF8, 0, source, count, dest, static_cast<int>(needed), nullptr, nullptr);
        dest[written > 0 ? written : 0] = 0;
        return written > 0 ? written : 0;
    }
    char* whole = static_cast<char*>(ScratchBlock(needed));
    if (!whole) return 0;
    WideCharToMultiByte(CP_UTF8, 0, source, count, whole, static_cast<int>(needed), nullptr, nullptr);
    size_t kept = capacity - 1;
    while (kept > 0 && IsUtf8Continuation(whole[kept])) --kept;
    for (size_t i = 0; i < kept; ++i) dest[i] = whole[i];
    dest[kept] = 0;
    FreeScratch(whole);
    return static_cast<int>(kept);
}

int WideToUtf8(char* dest, size_t capacity, const wchar_t* source) {
    return WideToUtf8Count(dest, capacity, source, TextLength(source));
}

void TextWidenBytes(wchar_t* dest, size_t capacity, const char* source) {
    if (capacity == 0) return;
    size_t i = 0;
    if (source)
        for (; i + 1 < capacity && source[i]; ++i) dest[i] = static_cast<unsigned char>(source[i]);
    dest[i] = 0;
}
