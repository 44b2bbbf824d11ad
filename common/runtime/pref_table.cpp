#include "runtime/pref_table.h"

#include "runtime/memory.h"
#include "runtime/out_file.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>

const wchar_t* const kPrefDefaultHeader = L"[Nimbo preferences]";

namespace {

// Numeric text beyond this many characters is cut before it is converted.
constexpr int kNumberChars = 99;
// Longest text a numeric setter produces.
constexpr int kFormattedChars = 100;
constexpr int kWriteBufferKb = 60;
const wchar_t* const kDefaultDoubleFormat = L"%.3f";

bool IsLineEnd(wchar_t c) {
    return c == L'\r' || c == L'\n';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool HasLineBreak(const wchar_t* text) {
    for (; *text; ++text)
        if (IsLineEnd(*text)) return true;
    return false;
}

// A key that the file format can hold and a lookup can find again: a key with "=" or a line break
// would split into other keys when the file is read back.
bool IsUsableKey(const wchar_t* key) {
    if (!key) return false;
    size_t length = wcsnlen(key, kPrefMaxKeyChars + 1);
    if (length == 0 || length > kPrefMaxKeyChars) return false;
    for (size_t i = 0; i < length; ++i)
        if (key[i] == L'=' || IsLineEnd(key[i])) return false;
    return true;
}

// ---- Header ----

struct HeaderBytes {
    char bytes[kPrefMaxHeaderChars];
    int count;
};

// The header as it stands in the file. Reading and writing both go through here, so that a header
// too long for the format is cut the same way on both sides and a written file reads back. The length
// is counted in bytes, not characters, so that a non-ASCII header is not compared half-read.
HeaderBytes HeaderAsUtf8(const wchar_t* header) {
    HeaderBytes result{};
    if (!header) header = kPrefDefaultHeader;
    int chars = static_cast<int>(wcsnlen(header, kPrefMaxHeaderChars));
    for (; chars > 0; --chars) {
        int count = WideCharToMultiByte(CP_UTF8, 0, header, chars, result.bytes, kPrefMaxHeaderChars, nullptr,
                                        nullptr);
        if (count > 0) {
            result.count = count;
            break;
        }
    }
    return result;
}

bool HeaderMatches(const char* found, const HeaderBytes& expected) {
    if (expected.count == 0) return true;
    wchar_t foundWide[kPrefMaxHeaderChars];
    wchar_t expectedWide[kPrefMaxHeaderChars];
    int foundChars = MultiByteToWideChar(CP_UTF8, 0, found, expected.count, foundWide, kPrefMaxHeaderChars);
    int expectedChars =
        MultiByteToWideChar(CP_UTF8, 0, expected.bytes, expected.count, expectedWide, kPrefMaxHeaderChars);
    if (foundChars <= 0 || foundChars != expectedChars) return false;
    for (int i = 0; i < foundChars; ++i)
        if (towupper(foundWide[i]) != towupper(expectedWide[i])) return false;
    return true;
}

// ---- Reading ----

bool ReadExactly(HANDLE file, void* bytes, int count) {
    char* next = static_cast<char*>(bytes);
    while (count > 0) {
        DWORD done = 0;
        if (!ReadFile(file, next, static_cast<DWORD>(count), &done, nullptr) || done == 0) return false;
        next += done;
        count -= static_cast<int>(done);
    }
    return true;
}

// The header's line end: the byte after the header is taken as it (as it always is in a file this
// library wrote); a carriage return takes its line feed along, but never a byte of the first key.
int HeaderLineEndLength(const char* rest, int count) {
    if (count >= 2 && rest[0] == '\r' && rest[1] == '\n') return 2;
    return 1;
}

int ConvertIntoTable(PrefTable* table, const char* bytes, int count) {
    if (count <= 0) return 1;
    int chars = MultiByteToWideChar(CP_UTF8, 0, bytes, count, nullptr, 0);
    if (chars <= 0) return -1;
    wchar_t* text = static_cast<wchar_t*>(MemAlloc(static_cast<size_t>(chars) * sizeof(wchar_t), "UpfTblW"));
    if (!text) return -1;
    if (MultiByteToWideChar(CP_UTF8, 0, bytes, count, text, chars) != chars) {
        MemFree(text);
        return -1;
    }
    table->text = text;
    table->length = chars;
    table->capacity = chars;
    return 1;
}

int ReadOpenFile(PrefTable* table, HANDLE file, const wchar_t* header) {
    HeaderBytes expected = HeaderAsUtf8(header);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return -1;
    if (size.QuadPart >= kPrefFileLimitBytes || size.QuadPart <= expected.count + 2) return -1;
    char found[kPrefMaxHeaderChars];
    if (!ReadExactly(file, found, expected.count) || !HeaderMatches(found, expected)) return -1;

    int restCount = static_cast<int>(size.QuadPart) - expected.count;
    char* rest = static_cast<char*>(MemAllocZero(static_cast<size_t>(restCount), "UpfMem"));
    if (!rest) return -1;
    int result = -1;
    if (ReadExactly(file, rest, restCount)) {
        int skip = HeaderLineEndLength(rest, restCount);
        result = ConvertIntoTable(table, rest + skip, restCount - skip);
    }
    MemFree(rest);
    return result;
}

// ---- Finding keys ----

bool LineHasKey(const wchar_t* line, const wchar_t* key, int keyLength) {
    for (int i = 0; i < keyLength; ++i)
        if (towupper(line[i]) != towupper(key[i])) return false;
    return line[keyLength] == L'=';
}

int NextLineStart(const PrefTable* table, int position) {
    while (position < table->length && !IsLineEnd(table->text[position])) ++position;
    if (position >= table->length) return table->length;
    if (table->text[position] == L'\r' && position + 1 < table->length && table->text[position + 1] == L'\n')
        return position + 2;
    return position + 1;
}

int ValueEnd(const PrefTable* table, int start) {
    int end = start;
    while (end < table->length && !IsLineEnd(table->text[end])) ++end;
    return end;
}

// Position of the first character of the key's value, or -1. Only line starts are tested, so a key
// never matches inside a value or as the front part of a longer key.
int FindValue(const PrefTable* table, const wchar_t* key) {
    if (!table || !table->text || !IsUsableKey(key)) return -1;
    int keyLength = static_cast<int>(wcslen(key));
    int lineStart = 0;
    while (table->length - lineStart >= keyLength + 1) {
        if (LineHasKey(table->text + lineStart, key, keyLength)) return lineStart + keyLength + 1;
        lineStart = NextLineStart(table, lineStart);
    }
    return -1;
}

// Copies the value into a buffer of maxChars + 1 characters.
bool CopyValue(wchar_t* out, const PrefTable* table, const wchar_t* key, int maxChars) {
    int start = FindValue(table, key);
    if (start < 0) return false;
    int count = ValueEnd(table, start) - start;
    if (count > maxChars) count = maxChars;
    memcpy(out, table->text + start, static_cast<size_t>(count) * sizeof(wchar_t));
    out[count] = 0;
    return true;
}

// ---- Numbers ----

// Hand-edited files put blanks and signs in front of numbers; anything else in front is not a number.
bool LooksNumeric(const wchar_t* text, bool acceptLeadingPoint) {
    if (IsDigit(text[0])) return true;
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t' || *p == L'+' || *p == L'-') ++p;
    if (IsDigit(*p)) return true;
    return acceptLeadingPoint && p[0] == L'.' && IsDigit(p[1]);
}

// Copies the decimal number at the front of text (as the C readers take it, but never hexadecimal,
// infinity or nan) into out as narrow characters; false when there is none.
bool DecimalPrefix(char* out, const wchar_t* text, bool withFraction) {
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t') ++p;
    int n = 0;
    if (*p == L'+' || *p == L'-') out[n++] = static_cast<char>(*p++);
    int digits = 0;
    for (; IsDigit(*p); ++p, ++digits) out[n++] = static_cast<char>(*p);
    if (withFraction && *p == L'.') {
        out[n++] = '.';
        for (++p; IsDigit(*p); ++p, ++digits) out[n++] = static_cast<char>(*p);
    }
    if (digits == 0) return false;
    if (withFraction && (*p == L'e' || *p == L'E')) {
        const wchar_t* exponent = p + 1;
        if (*exponent == L'+' || *exponent == L'-') ++exponent;
        if (IsDigit(*exponent)) {
            for (; p < exponent; ++p) out[n++] = static_cast<char>(*p);
            for (; IsDigit(*p); ++p) out[n++] = static_cast<char>(*p);
        }
    }
    out[n] = 0;
    return true;
}

// The numeric setters' formats must consume exactly one double: a caller's format with "%s" or two
// conversions would make the formatter read arguments that were never passed.
bool IsSingleDoubleFormat(const wchar_t* format) {
    int conversions = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') continue;
        while (*p && wcschr(L"-+ #0", *p)) ++p;
        while (IsDigit(*p)) ++p;
        if (*p == L'.')
            for (++p; IsDigit(*p);) ++p;
        if (*p == L'l') ++p;
        if (!*p || !wcschr(L"eEfgG", *p)) return false;
        ++conversions;
    }
    return conversions == 1;
}

// ---- Changing the text ----

long long Utf8Bytes(const wchar_t* text, int count) {
    if (!text || count <= 0) return 0;
    return WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
}

// Whether replacing the characters from start to end by addedChars characters (addedBytes in UTF-8)
// leaves a text that a written file can hold. A change that does not make the text longer is always
// allowed, so that a table read from a file near the limit can still be changed. Every UTF-16 unit
// takes at most three bytes, so small tables need no counting.
bool StaysReadable(const PrefTable* table, int start, int end, int addedChars, long long addedBytes) {
    long long bound = (static_cast<long long>(table->length) + addedChars) * 3;
    if (bound <= kPrefMaxTextBytes) return true;
    long long before = Utf8Bytes(table->text, table->length);
    long long after = before - Utf8Bytes(table->text + start, end - start) + addedBytes;
    return after <= kPrefMaxTextBytes || after <= before;
}

bool MakeRoom(PrefTable* table) {
    if (!table->text) {
        void* text = MemAlloc(static_cast<size_t>(kPrefGrowChars) * sizeof(wchar_t), "UpfTblW");
        if (!text) return false;
        table->text = static_cast<wchar_t*>(text);
        table->length = 0;
        table->capacity = kPrefGrowChars;
        return true;
    }
    if (table->capacity > table->length + kPrefSpareChars) return true;
    if (table->capacity > INT_MAX / 4 - kPrefGrowChars) return false;
    int capacity = table->capacity + kPrefGrowChars;
    void* text = MemRealloc(table->text, static_cast<size_t>(capacity) * sizeof(wchar_t));
    if (!text) return false;
    table->text = static_cast<wchar_t*>(text);
    table->capacity = capacity;
    return true;
}

void Insert(PrefTable* table, const wchar_t* chars, int count) {
    memcpy(table->text + table->length, chars, static_cast<size_t>(count) * sizeof(wchar_t));
    table->length += count;
}

int ReplaceValue(PrefTable* table, int start, const wchar_t* value, int valueLength) {
    int end = ValueEnd(table, start);
    int oldLength = end - start;
    if (valueLength > oldLength + kPrefSpareChars) return 0;
    if (!StaysReadable(table, start, end, valueLength, Utf8Bytes(value, valueLength))) return 0;
    if (valueLength > oldLength && !MakeRoom(table)) return 0;
    wchar_t* text = table->text;
    memmove(text + start + valueLength, text + end,
            static_cast<size_t>(table->length - end) * sizeof(wchar_t));
    memcpy(text + start, value, static_cast<size_t>(valueLength) * sizeof(wchar_t));
    table->length += valueLength - oldLength;
    return 1;
}

int AppendLine(PrefTable* table, const wchar_t* key, const wchar_t* value, int valueLength) {
    int keyLength = static_cast<int>(wcslen(key));
    if (keyLength + valueLength > kPrefMaxNewLineChars) return 0;
    // A hand-edited file may end without a line end; the new line must not be glued onto its last.
    int lineEnd = (table->length > 0 && !IsLineEnd(table->text[table->length - 1])) ? 2 : 0;
    long long bytes = lineEnd + Utf8Bytes(key, keyLength) + 1 + Utf8Bytes(value, valueLength) + 2;
    int chars = lineEnd + keyLength + 1 + valueLength + 2;
    if (!StaysReadable(table, table->length, table->length, chars, bytes)) return 0;
    if (!MakeRoom(table)) return 0;
    if (lineEnd) Insert(table, L"\r\n", 2);
    Insert(table, key, keyLength);
    Insert(table, L"=", 1);
    Insert(table, value, valueLength);
    Insert(table, L"\r\n", 2);
    return 1;
}

// ---- Writing ----

bool WriteText(OutFile* file, const PrefTable* table) {
    if (!table->text || table->length <= 0) return true;
    int count = WideCharToMultiByte(CP_UTF8, 0, table->text, table->length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return false;
    char* bytes = static_cast<char*>(MemAllocZero(static_cast<size_t>(count), "UpfWri"));
    if (!bytes) return false;
    bool ok = WideCharToMultiByte(CP_UTF8, 0, table->text, table->length, bytes, count, nullptr, nullptr) ==
                  count &&
              OutFileWrite(file, bytes, static_cast<size_t>(count)) == 1;
    MemFree(bytes);
    return ok;
}

} // namespace

void PrefInit(PrefTable* table) {
    if (!table) return;
    table->text = nullptr;
    table->length = 0;
    table->capacity = 0;
}

void PrefFree(PrefTable* table) {
    if (!table) return;
    MemFree(table->text);
    PrefInit(table);
}

int PrefRead(PrefTable* table, const wchar_t* path, const wchar_t* header) {
    if (!table) return 0;
    PrefFree(table);
    if (!path) return 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    int result = ReadOpenFile(table, file, header);
    CloseHandle(file);
    return result;
}

int PrefWrite(const PrefTable* table, const wchar_t* path, const wchar_t* header) {
    if (!table || !path) return 0;
    OutFile file;
    memset(&file, 0, sizeof file);
    // A write that fails halfway (a full disk) must not leave a shorter file that reads as valid.
    if (OutFileOpen(&file, kWriteBufferKb, path, kOutFileReplace) == kOutFileFailed) return 0;
    HeaderBytes headerBytes = HeaderAsUtf8(header);
    bool written = OutFileWrite(&file, headerBytes.bytes, static_cast<size_t>(headerBytes.count)) == 1 &&
                   OutFileWrite(&file, "\r\n", 2) == 1 && WriteText(&file, table);
    // Closing flushes the buffer, so it is where most write failures show.
    bool closed = OutFileClose(&file) == 1;
    return written && closed ? 1 : 0;
}

int PrefGetInt(int* value, const PrefTable* table, const wchar_t* key) {
    wchar_t text[kNumberChars + 1];
    if (!value || !CopyValue(text, table, key, kNumberChars) || !LooksNumeric(text, false)) return 0;
    char number[kNumberChars + 1];
    if (!DecimalPrefix(number, text, false)) return 0;
    long long parsed = strtoll(number, nullptr, 10);
    if (parsed > INT_MAX) parsed = INT_MAX;
    if (parsed < INT_MIN) parsed = INT_MIN;
    *value = static_cast<int>(parsed);
    return 1;
}

int PrefGetDouble(double* value, const PrefTable* table, const wchar_t* key) {
    wchar_t text[kNumberChars + 1];
    if (!value || !CopyValue(text, table, key, kNumberChars) || !LooksNumeric(text, true)) return 0;
    char number[kNumberChars + 1];
    if (!DecimalPrefix(number, text, true)) return 0;
    *value = strtod(number, nullptr);
    return 1;
}

int PrefGetString(wchar_t* value, const PrefTable* table, const wchar_t* key, int maxChars) {
    if (!value || maxChars < 0) return 0;
    return CopyValue(value, table, key, maxChars) ? 1 : 0;
}

int PrefSetString(PrefTable* table, const wchar_t* key, const wchar_t* value) {
    if (!table || !IsUsableKey(key) || !value || HasLineBreak(value)) return 0;
    size_t valueLength = wcslen(value);
    if (valueLength > static_cast<size_t>(INT_MAX / 4)) return 0;
    int start = FindValue(table, key);
    if (start >= 0) return ReplaceValue(table, start, value, static_cast<int>(valueLength));
    return AppendLine(table, key, value, static_cast<int>(valueLength));
}

int PrefSetInt(PrefTable* table, const wchar_t* key, int value) {
    wchar_t text[kFormattedChars + 1];
    int count = swprintf(text, kFormattedChars + 1, L"%d", value);
    if (count < 0 || count > kFormattedChars) return 0;
    return PrefSetString(table, key, text);
}

int PrefSetDouble(PrefTable* table, const wchar_t* key, double value, const wchar_t* format) {
    if (!format) format = kDefaultDoubleFormat;
    if (!IsSingleDoubleFormat(format)) return 0;
    wchar_t text[kFormattedChars + 1];
    int count = swprintf(text, kFormattedChars + 1, format, value);
    if (count < 0 || count > kFormattedChars) return 0;
    text[count] = 0;
    return PrefSetString(table, key, text);
}
