#include "text_lines.h"

#include <string.h>
#include <wchar.h>

#include <new>

int TextLinesOpen(TextLines* lines, const wchar_t* path) {
    *lines = TextLines{};
    StorageReader reader;
    if (!StorageReaderOpen(&reader, path)) {
        DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME
                   ? kTextMissing
                   : kTextUnreadable;
    }
    if (reader.size > kMaxTextFileBytes) {
        StorageReaderClose(&reader);
        return kTextTooLarge;
    }
    lines->size = static_cast<size_t>(reader.size);
    lines->bytes = new (std::nothrow) char[lines->size + 1];
    bool ok = lines->bytes && StorageReadAt(&reader, 0, lines->bytes, lines->size);
    StorageReaderClose(&reader);
    if (!ok) {
        TextLinesClose(lines);
        return kTextUnreadable;
    }
    lines->bytes[lines->size] = 0;
    // A UTF-8 byte-order mark is not part of the first line.
    if (lines->size >= 3 && memcmp(lines->bytes, "\xEF\xBB\xBF", 3) == 0) lines->next = 3;
    return kTextOpened;
}

void TextLinesClose(TextLines* lines) {
    delete[] lines->bytes;
    *lines = TextLines{};
}

int TextLinesNext(TextLines* lines, wchar_t* line) {
    line[0] = 0;
    if (!lines->bytes || lines->next >= lines->size) return 0;
    size_t start = lines->next;
    size_t end = start;
    while (end < lines->size && lines->bytes[end] != '\n' && lines->bytes[end] != '\r') ++end;
    lines->next = end;
    if (lines->next < lines->size && lines->bytes[lines->next] == '\r') ++lines->next;
    if (lines->next < lines->size && lines->bytes[lines->next] == '\n') ++lines->next;
    ++lines->lineNumber;
    if (end - start > 4 * kMaxLineChars) return -1;
    if (!TextFromFileBytes(line, kMaxLineChars + 1, lines->bytes + start, end - start)) {
        line[0] = 0;
        return -1;
    }
    return 1;
}

bool TextWriteLine(StorageWriter* writer, const wchar_t* line) {
    char bytes[4 * (kMaxLineChars + 1) + 2];
    if (!TextToUtf8(bytes, sizeof(bytes) - 2, line)) return false;
    size_t length = strlen(bytes);
    bytes[length++] = '\r';
    bytes[length++] = '\n';
    return StorageWrite(writer, bytes, length);
}

bool TextSplitKey(const wchar_t* line, wchar_t* key, size_t keyChars, const wchar_t** value) {
    const wchar_t* equals = wcschr(line, L'=');
    if (!equals) return false;
    size_t length = static_cast<size_t>(equals - line);
    if (length >= keyChars) length = keyChars - 1;
    wmemcpy(key, line, length);
    key[length] = 0;
    *value = equals + 1;
    return true;
}

void TextTrim(wchar_t* text) {
    size_t length = wcslen(text);
    while (length > 0 && (text[length - 1] == L' ' || text[length - 1] == L'\t')) text[--length] = 0;
    size_t start = 0;
    while (text[start] == L' ' || text[start] == L'\t') ++start;
    if (start > 0) wmemmove(text, text + start, length - start + 1);
}
