#include "conversion_record.h"

#include "storage_names.h"
#include "text_lines.h"

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

namespace {

uint64_t ParseUnsigned(const wchar_t* text, int base) {
    wchar_t* end = nullptr;
    unsigned long long value = wcstoull(text, &end, base);
    return end && end != text ? value : 0;
}

bool WriteKey(StorageWriter* writer, const wchar_t* key, const wchar_t* value) {
    wchar_t line[kMaxLineChars + 1];
    TextCopy(line, kMaxLineChars + 1, key);
    TextAppend(line, kMaxLineChars + 1, L"=");
    TextAppend(line, kMaxLineChars + 1, value);
    return TextWriteLine(writer, line);
}

bool WriteNumber(StorageWriter* writer, const wchar_t* key, uint64_t value, bool hex) {
    wchar_t text[24] = L"";
    if (hex) {
        TextAppendHex(text, 24, value);
    } else {
        TextAppendUnsigned(text, 24, value);
    }
    return WriteKey(writer, key, text);
}

} // namespace

uint64_t FileTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

void FileTimeText(wchar_t* text, size_t chars, uint64_t time) {
    FILETIME file;
    file.dwLowDateTime = static_cast<DWORD>(time);
    file.dwHighDateTime = static_cast<DWORD>(time >> 32);
    SYSTEMTIME s{};
    if (!FileTimeToSystemTime(&file, &s)) {
        TextCopy(text, chars, L"unknown");
        return;
    }
    swprintf(text, chars, L"%04u-%02u-%02u %02u:%02u:%02u UTC", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute,
             s.wSecond);
}

bool SourceFileStamp(const wchar_t* path, uint64_t* bytes, uint64_t* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *bytes = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    *time =
        static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

const RecordedBlock* ConversionRecordFind(const ConversionRecord& record, const wchar_t* blockName) {
    for (const RecordedBlock& block : record.blocks)
        if (TextEqualNoCase(block.name, blockName)) return &block;
    return nullptr;
}

bool ConversionRecordRead(const wchar_t* projectFolder, const wchar_t* projectName,
                          ConversionRecord* record) {
    record->blocks.clear();
    wchar_t path[kPathChars];
    if (!StoragePath(path, kPathChars, projectFolder, projectName, kProjectRecord)) return false;
    TextLines lines;
    if (TextLinesOpen(&lines, path) != kTextOpened) return false;
    wchar_t line[kMaxLineChars + 1];
    int got = TextLinesNext(&lines, line);
    bool ok = got == 1 && wcscmp(line, L"[Ocularis conversion record]") == 0;
    RecordedBlock* block = nullptr;
    while (ok && (got = TextLinesNext(&lines, line)) != 0) {
        if (got < 0) continue;
        if (wcsncmp(line, L"Block ", 6) == 0) {
            record->blocks.push_back(RecordedBlock{});
            block = &record->blocks.back();
            TextCopy(block->name, kMaxBlockNameChars + 1, line + 6);
            continue;
        }
        wchar_t key[32];
        const wchar_t* value;
        if (!block || !TextSplitKey(line, key, 32, &value)) continue;
        if (wcscmp(key, L"Source") == 0) TextCopy(block->source, kPathChars, value);
        if (wcscmp(key, L"SourceBytes") == 0) block->sourceBytes = ParseUnsigned(value, 10);
        if (wcscmp(key, L"SourceTime") == 0) block->sourceTime = ParseUnsigned(value, 10);
        if (wcscmp(key, L"Storage") == 0) block->storageId = ParseUnsigned(value, 16);
        if (wcscmp(key, L"Channels") == 0) block->channels = ParseUnsigned(value, 16);
        if (wcscmp(key, L"Points") == 0) block->points = ParseUnsigned(value, 10);
        if (wcscmp(key, L"Converted") == 0) block->convertedAt = ParseUnsigned(value, 10);
    }
    TextLinesClose(&lines);
    if (!ok) record->blocks.clear();
    return ok;
}

bool ConversionRecordWrite(const wchar_t* projectFolder, const wchar_t* projectName,
                           const wchar_t* projectFile, const wchar_t* engine, const ConversionRecord& record,
                           wchar_t* error, size_t errorChars) {
    wchar_t path[kPathChars];
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectRecord);
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, path, error, errorChars)) return false;
    bool ok = TextWriteLine(&writer, L"[Ocularis conversion record]") &&
              WriteKey(&writer, L"Project", projectFile) && WriteKey(&writer, L"Engine", engine);
    for (const RecordedBlock& block : record.blocks) {
        wchar_t line[kMaxLineChars + 1];
        TextCopy(line, kMaxLineChars + 1, L"Block ");
        TextAppend(line, kMaxLineChars + 1, block.name);
        wchar_t when[64];
        FileTimeText(when, 64, block.convertedAt);
        ok = ok && TextWriteLine(&writer, L"") && TextWriteLine(&writer, line) &&
             WriteKey(&writer, L"Source", block.source) &&
             WriteNumber(&writer, L"SourceBytes", block.sourceBytes, false) &&
             WriteNumber(&writer, L"SourceTime", block.sourceTime, false) &&
             WriteNumber(&writer, L"Storage", block.storageId, true) &&
             WriteNumber(&writer, L"Channels", block.channels, true) &&
             WriteNumber(&writer, L"Points", block.points, false) &&
             WriteNumber(&writer, L"Converted", block.convertedAt, false) &&
             WriteKey(&writer, L"ConvertedText", when);
    }
    return StorageWriterClose(&writer, ok, error, errorChars);
}
