// The conversion record (P_shadow.prj beside the project file): for each block, what its storage
// was converted from and when, so that a later conversion converts again only the blocks whose
// source has changed since. 8-bit text:
//
//     [Ocularis conversion record]
//     Project=D:\scans\site.prj
//     Engine=pcv storage 1; product 10, host 8.1
//
//     Block north                       one section per block, keys as below
//     Source=D:\scans\site\north.las    or "memory" for points handed over in memory
//     SourceBytes=123456                the source's size when it was converted
//     SourceTime=133591234567890000     its last write time then (FILETIME, UTC)
//     Storage=5f3a9c01d2e4b786          the storage id of the block's files
//     Channels=100000a3                 the channels asked for (hexadecimal mask; 0: all)
//     Points=2048
//     Converted=133591234999990000      when (FILETIME, UTC); ConvertedText says it for people
#pragma once

#include "engine_text.h"
#include "storage_format.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct RecordedBlock {
    wchar_t name[kMaxBlockNameChars + 1];
    wchar_t source[kPathChars]; // "memory" for points handed over in memory
    uint64_t sourceBytes;
    uint64_t sourceTime;
    uint64_t storageId;
    uint64_t channels;
    uint64_t points;
    uint64_t convertedAt;
};

struct ConversionRecord {
    std::vector<RecordedBlock> blocks;
};

// Reads the record; false (with an empty record) when there is none or it is not one.
bool ConversionRecordRead(const wchar_t* projectFolder, const wchar_t* projectName, ConversionRecord* record);
bool ConversionRecordWrite(const wchar_t* projectFolder, const wchar_t* projectName,
                           const wchar_t* projectFile, const wchar_t* engine, const ConversionRecord& record,
                           wchar_t* error, size_t errorChars);
const RecordedBlock* ConversionRecordFind(const ConversionRecord& record, const wchar_t* blockName);

// A file's size and last write time; false when it does not exist.
bool SourceFileStamp(const wchar_t* path, uint64_t* bytes, uint64_t* time);
// "2024-05-03 10:22:33 UTC" for a FILETIME.
void FileTimeText(wchar_t* text, size_t chars, uint64_t time);
uint64_t FileTimeNow();
