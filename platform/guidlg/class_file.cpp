#include "class_file.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

struct Span {
    const wchar_t* begin;
    const wchar_t* end;
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

Span Trim(Span s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}

bool IsEmpty(Span s) {
    return s.begin == s.end;
}

void SetError(ClassFileError* error, int line, const wchar_t* reason) {
    if (!error) return;
    error->line = line;
    swprintf(error->reason, kClassErrorChars, L"%ls", reason);
}

// A whole number of at most three digits and at most 255; blanks around it are the caller's.
bool ParseByte(Span s, int* value) {
    if (IsEmpty(s) || s.end - s.begin > 3) return false;
    int v = 0;
    for (const wchar_t* p = s.begin; p < s.end; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        v = v * 10 + (*p - L'0');
    }
    if (v > 255) return false;
    *value = v;
    return true;
}

// Three bytes separated by blanks.
bool ParseColour(Span s, int rgb[3]) {
    const wchar_t* p = s.begin;
    for (int i = 0; i < 3; ++i) {
        while (p < s.end && IsBlank(*p)) ++p;
        const wchar_t* start = p;
        while (p < s.end && !IsBlank(*p)) ++p;
        if (!ParseByte({start, p}, &rgb[i])) return false;
    }
    while (p < s.end && IsBlank(*p)) ++p;
    return p == s.end;
}

bool HasControlCharacter(Span s) {
    for (const wchar_t* p = s.begin; p < s.end; ++p)
        if (*p < 0x20 && *p != L'\t') return true;
    return false;
}

// Splits at commas into exactly four fields.
bool SplitFields(Span line, Span fields[4]) {
    int count = 0;
    const wchar_t* start = line.begin;
    for (const wchar_t* p = line.begin; p <= line.end; ++p) {
        if (p != line.end && *p != L',') continue;
        if (count == 4) return false;
        fields[count++] = Trim({start, p});
        start = p + 1;
    }
    return count == 4;
}

// firstLine[c]: the line that defined class c, for the duplicate message.
bool ParseClassLine(Span line, int lineNumber, PointClassTable* table, int firstLine[kClassCount],
                    ClassFileError* error) {
    Span fields[4];
    if (!SplitFields(line, fields)) {
        SetError(error, lineNumber,
                 L"expected four fields separated by commas: number, name, colour, visible");
        return false;
    }
    int number = 0;
    if (!ParseByte(fields[0], &number)) {
        SetError(error, lineNumber, L"the class number must be a whole number from 0 to 255");
        return false;
    }
    size_t nameLength = static_cast<size_t>(fields[1].end - fields[1].begin);
    if (nameLength == 0 || nameLength >= kClassNameChars || HasControlCharacter(fields[1])) {
        SetError(error, lineNumber, L"the class name must have 1 to 63 printable characters");
        return false;
    }
    int rgb[3];
    if (!ParseColour(fields[2], rgb)) {
        SetError(error, lineNumber, L"the colour must be three whole numbers from 0 to 255 (red green blue)");
        return false;
    }
    Span visible = fields[3];
    if (visible.end - visible.begin != 1 || (*visible.begin != L'0' && *visible.begin != L'1')) {
        SetError(error, lineNumber, L"visible must be 1 (shown) or 0 (hidden)");
        return false;
    }
    if (firstLine[number]) {
        wchar_t reason[kClassErrorChars];
        swprintf(reason, kClassErrorChars, L"class %d is already defined on line %d", number,
                 firstLine[number]);
        SetError(error, lineNumber, reason);
        return false;
    }
    firstLine[number] = lineNumber;
    PointClass& entry = table->classes[number];
    entry.defined = true;
    entry.visible = *visible.begin == L'1';
    entry.red = static_cast<uint8_t>(rgb[0]);
    entry.green = static_cast<uint8_t>(rgb[1]);
    entry.blue = static_cast<uint8_t>(rgb[2]);
    memcpy(entry.name, fields[1].begin, nameLength * sizeof(wchar_t));
    entry.name[nameLength] = 0;
    ++table->definedCount;
    return true;
}

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
bool Decode(const char* text, size_t length, std::vector<wchar_t>* wide) {
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    wide->clear();
    if (length == 0) return true;
    int bytes = static_cast<int>(length);
    int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, bytes, nullptr, 0);
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    if (chars <= 0) {
        codePage = 1252;
        flags = 0;
        chars = MultiByteToWideChar(codePage, flags, text, bytes, nullptr, 0);
        if (chars <= 0) return false;
    }
    wide->resize(static_cast<size_t>(chars));
    return MultiByteToWideChar(codePage, flags, text, bytes, wide->data(), chars) == chars;
}

} // namespace

int ClassFileParse(const char* text, size_t length, PointClassTable* table, ClassFileError* error) {
    if (!table || (!text && length)) {
        SetError(error, 0, L"no text");
        return 0;
    }
    if (length > kClassFileBytes) {
        SetError(error, 0, L"the file is too large for a class file (more than 1 MB)");
        return 0;
    }
    std::vector<wchar_t> wide;
    if (!Decode(text, length, &wide)) {
        SetError(error, 0, L"the text cannot be decoded");
        return 0;
    }
    // Built aside, so that a refused file leaves the caller's table as it was.
    std::vector<PointClassTable> parsed(1);
    PointClassTable& result = parsed[0];
    memset(&result, 0, sizeof result);
    std::vector<int> firstLine(kClassCount, 0);

    const wchar_t* p = wide.data();
    const wchar_t* end = p + wide.size();
    int lineNumber = 0;
    while (p < end) {
        ++lineNumber;
        const wchar_t* lineEnd = p;
        while (lineEnd < end && *lineEnd != L'\n') ++lineEnd;
        Span line{p, lineEnd};
        p = lineEnd < end ? lineEnd + 1 : end;
        if (line.end > line.begin && line.end[-1] == L'\r') --line.end;
        if (line.end - line.begin > kClassLineChars) {
            SetError(error, lineNumber, L"the line is longer than 256 characters");
            return 0;
        }
        if (HasControlCharacter(line)) {
            SetError(error, lineNumber, L"the line holds control characters");
            return 0;
        }
        line = Trim(line);
        if (IsEmpty(line) || *line.begin == L'#' || *line.begin == L';') continue;
        if (!ParseClassLine(line, lineNumber, &result, firstLine.data(), error)) return 0;
    }
    *table = result;
    return 1;
}

ClassFileStatus ClassFileLoad(const wchar_t* path, PointClassTable* table, ClassFileError* error) {
    if (!path || !*path) {
        SetError(error, 0, L"no class file named");
        return ClassFileMissing;
    }
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        SetError(error, 0, missing ? L"the file does not exist" : L"the file cannot be opened");
        return missing ? ClassFileMissing : ClassFileUnreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        SetError(error, 0, L"the file cannot be read");
        return ClassFileUnreadable;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kClassFileBytes) {
        CloseHandle(file);
        SetError(error, 0, L"the file is too large for a class file (more than 1 MB)");
        return ClassFileMalformed;
    }
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    BOOL ok = bytes.empty() || ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size()) {
        SetError(error, 0, L"the file cannot be read");
        return ClassFileUnreadable;
    }
    return ClassFileParse(bytes.data(), bytes.size(), table, error) ? ClassFileOk : ClassFileMalformed;
}
