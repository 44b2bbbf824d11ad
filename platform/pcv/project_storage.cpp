#include "project_storage.h"

#include "class_colours.h"
#include "storage_io.h"
#include "storage_names.h"
#include "text_lines.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <memory>

namespace {

constexpr size_t kErrorChars = 512;

bool WriteTable(const wchar_t* path, int table, uint64_t projectId, const void* payload, size_t bytes,
                wchar_t* error, size_t errorChars) {
    ProjectTableHeader header{};
    memcpy(header.signature, kTableSignature, 8);
    header.version = kStorageVersion;
    header.headerBytes = sizeof(header);
    header.fileBytes = sizeof(header) + bytes;
    header.projectId = projectId;
    header.table = static_cast<uint32_t>(table);
    header.payloadBytes = bytes;
    header.payloadCrc = Crc32(0, payload, bytes);
    header.headerCrc = HeaderCrc(header);
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, path, error, errorChars)) return false;
    bool ok = StorageWrite(&writer, &header, sizeof(header)) && StorageWrite(&writer, payload, bytes);
    return StorageWriterClose(&writer, ok, error, errorChars);
}

void DamagedText(wchar_t* error, size_t errorChars, const wchar_t* path, const wchar_t* what) {
    TextCopy(error, errorChars, L"The storage file ");
    TextAppend(error, errorChars, path);
    TextAppend(error, errorChars, what);
}

// Reads a table of exactly bytes payload bytes (any size when bytes is 0; then payload is resized).
// A projectId of 0 accepts a table of any conversion.
bool ReadTable(const wchar_t* path, int table, uint64_t projectId, void* payload, size_t bytes,
               std::vector<uint8_t>* sized, wchar_t* error, size_t errorChars) {
    StorageReader reader;
    if (!StorageReaderOpen(&reader, path)) {
        DamagedText(error, errorChars, path, L" is missing.");
        return false;
    }
    ProjectTableHeader header{};
    bool ok = StorageReadAt(&reader, 0, &header, sizeof(header));
    const wchar_t* fault = L" is damaged or belongs to another conversion.";
    if (!ok) fault = L" is truncated.";
    ok = ok && memcmp(header.signature, kTableSignature, 8) == 0 && header.version == kStorageVersion &&
         header.headerBytes == sizeof(header) && header.headerCrc == HeaderCrc(header) &&
         (projectId == 0 || header.projectId == projectId) && header.table == static_cast<uint32_t>(table) &&
         header.fileBytes == sizeof(header) + header.payloadBytes &&
         (bytes == 0 || header.payloadBytes == bytes) && header.payloadBytes <= (256u << 20);
    if (ok && reader.size != header.fileBytes) {
        ok = false;
        if (reader.size < header.fileBytes) fault = L" is truncated.";
    }
    if (ok && sized) {
        sized->resize(static_cast<size_t>(header.payloadBytes));
        payload = sized->data();
    }
    ok = ok && StorageReadAt(&reader, sizeof(header), payload, static_cast<size_t>(header.payloadBytes)) &&
         Crc32(0, payload, static_cast<size_t>(header.payloadBytes)) == header.payloadCrc;
    StorageReaderClose(&reader);
    if (!ok) DamagedText(error, errorChars, path, fault);
    return ok;
}

void SumStatistics(const BlockStatisticsRecord* records, int count, BlockStatistics* sum) {
    memset(sum, 0, sizeof(*sum));
    for (int i = 0; i < count; ++i) StatisticsAdd(sum, records[i].statistics);
}

// The tables that follow from the blocks' statistics.
void BuildTables(const ProjectBlockEntry* entries, const BlockStatisticsRecord* records, int count,
                 const BlockStatistics& sum, ProjectTables* t) {
    memcpy(t->intensity.bins, sum.intensityBins, sizeof(t->intensity.bins));
    IntensityDisplayRange(sum, &t->intensity.low, &t->intensity.high);
    memcpy(t->classCounts, sum.classCounts, sizeof(t->classCounts));
    memcpy(t->classColours, DefaultClassColours(), sizeof(t->classColours));
    memcpy(t->colours.bins, sum.colourBins, sizeof(t->colours.bins));
    t->colours.blocksFrom8Bits = t->colours.blocksFrom16Bits = 0;
    for (int i = 0; i < count; ++i) {
        if (entries[i].colourSourceBits == 8) ++t->colours.blocksFrom8Bits;
        if (entries[i].colourSourceBits == 16) ++t->colours.blocksFrom16Bits;
    }
    memcpy(t->returnCounts, sum.returnCounts, sizeof(t->returnCounts));
    memcpy(t->elevation.bins, sum.elevationBins, sizeof(t->elevation.bins));
    t->elevation.minimum = sum.minimum[2];
    t->elevation.maximum = sum.maximum[2];
    ElevationDisplayRange(sum, &t->elevation.low, &t->elevation.high);
    t->blocks.assign(records, records + count);
}

void AppendNumberLine(wchar_t* line, size_t chars, const wchar_t* key, uint64_t value) {
    TextCopy(line, chars, key);
    TextAppendUnsigned(line, chars, value);
}

void AppendBounds(wchar_t* line, size_t chars, const double* minimum, const double* maximum) {
    wchar_t numbers[256];
    swprintf(numbers, 256, L"%.3f %.3f %.3f %.3f %.3f %.3f", minimum[0], minimum[1], minimum[2], maximum[0],
             maximum[1], maximum[2]);
    TextAppend(line, chars, numbers);
}

void AppendChannels(wchar_t* line, size_t chars, uint64_t mask) {
    bool first = true;
    for (uint32_t channel = 0; channel < 64; ++channel) {
        if (!(mask >> channel & 1)) continue;
        if (!first) TextAppend(line, chars, L" ");
        TextAppendUnsigned(line, chars, channel);
        first = false;
    }
}

bool WriteSummary(const wchar_t* path, const wchar_t* projectName, const ProjectBlockEntry* entries,
                  const BlockStatisticsRecord* records, int count, const BlockStatistics& sum,
                  const SummaryFacts& facts, wchar_t* error, size_t errorChars) {
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, path, error, errorChars)) return false;
    wchar_t line[kMaxLineChars + 1];
    bool ok = TextWriteLine(&writer, L"[Ocularis storage summary]");
    TextCopy(line, kMaxLineChars + 1, L"Project=");
    TextAppend(line, kMaxLineChars + 1, projectName);
    ok = ok && TextWriteLine(&writer, line);
    TextCopy(line, kMaxLineChars + 1, L"ProjectFile=");
    TextAppend(line, kMaxLineChars + 1, facts.projectFile);
    ok = ok && TextWriteLine(&writer, line);
    TextCopy(line, kMaxLineChars + 1, L"Engine=");
    TextAppend(line, kMaxLineChars + 1, facts.engine);
    ok = ok && TextWriteLine(&writer, line);
    AppendNumberLine(line, kMaxLineChars + 1, L"Points=", sum.pointCount);
    ok = ok && TextWriteLine(&writer, line);
    AppendNumberLine(line, kMaxLineChars + 1, L"Blocks=", static_cast<uint64_t>(count));
    ok = ok && TextWriteLine(&writer, line);
    TextCopy(line, kMaxLineChars + 1, L"Bounds=");
    AppendBounds(line, kMaxLineChars + 1, sum.minimum, sum.maximum);
    ok = ok && TextWriteLine(&writer, line);
    for (int i = 0; i < count && ok; ++i) {
        const BlockStatistics& s = records[i].statistics;
        ok = TextWriteLine(&writer, L"");
        TextCopy(line, kMaxLineChars + 1, L"Block ");
        TextAppend(line, kMaxLineChars + 1, entries[i].name);
        ok = ok && TextWriteLine(&writer, line);
        AppendNumberLine(line, kMaxLineChars + 1, L"Points=", entries[i].pointCount);
        ok = ok && TextWriteLine(&writer, line);
        AppendNumberLine(line, kMaxLineChars + 1, L"Nodes=", entries[i].nodeCount);
        ok = ok && TextWriteLine(&writer, line);
        TextCopy(line, kMaxLineChars + 1, L"Bounds=");
        AppendBounds(line, kMaxLineChars + 1, entries[i].minimum, entries[i].maximum);
        ok = ok && TextWriteLine(&writer, line);
        TextCopy(line, kMaxLineChars + 1, L"Channels=");
        AppendChannels(line, kMaxLineChars + 1, entries[i].channelMask);
        ok = ok && TextWriteLine(&writer, line);
        TextCopy(line, kMaxLineChars + 1, L"PointsPerLevel=");
        for (int level = 0; level < kOctreeLevels && s.levelNodes[level]; ++level) {
            if (level) TextAppend(line, kMaxLineChars + 1, L" ");
            TextAppendUnsigned(line, kMaxLineChars + 1, s.levelPoints[level]);
        }
        ok = ok && TextWriteLine(&writer, line);
        if (entries[i].channelMask >> 5 & 1) {
            TextCopy(line, kMaxLineChars + 1, L"Classes=");
            bool first = true;
            for (int c = 0; c < 256; ++c) {
                if (!s.classCounts[c]) continue;
                if (!first) TextAppend(line, kMaxLineChars + 1, L" ");
                TextAppendUnsigned(line, kMaxLineChars + 1, static_cast<uint64_t>(c));
                TextAppend(line, kMaxLineChars + 1, L":");
                TextAppendUnsigned(line, kMaxLineChars + 1, s.classCounts[c]);
                first = false;
            }
            ok = ok && TextWriteLine(&writer, line);
        }
    }
    return StorageWriterClose(&writer, ok, error, errorChars);
}

struct TableToWrite {
    int file;
    const void* payload;
    size_t bytes;
};

} // namespace

bool WriteProjectStorage(const wchar_t* projectFolder, const wchar_t* projectName, uint64_t projectId,
                         const ProjectBlockEntry* entries, const BlockStatisticsRecord* statistics, int count,
                         const SummaryFacts& facts, wchar_t* error, size_t errorChars) {
    DeleteProjectIndex(projectFolder, projectName);
    std::unique_ptr<BlockStatistics> sum(new (std::nothrow) BlockStatistics);
    std::unique_ptr<ProjectTables> tables(new (std::nothrow) ProjectTables);
    if (!sum || !tables) {
        TextCopy(error, errorChars, L"There is not enough memory to write the project's tables.");
        return false;
    }
    SumStatistics(statistics, count, sum.get());
    BuildTables(entries, statistics, count, *sum, tables.get());
    const TableToWrite toWrite[] = {
        {kProjectIntensity, &tables->intensity, sizeof(tables->intensity)},
        {kProjectClasses, tables->classCounts, sizeof(tables->classCounts)},
        {kProjectClassColours, tables->classColours, sizeof(tables->classColours)},
        {kProjectColours, &tables->colours, sizeof(tables->colours)},
        {kProjectReturns, tables->returnCounts, sizeof(tables->returnCounts)},
        {kProjectElevation, &tables->elevation, sizeof(tables->elevation)},
        {kProjectStatistics, statistics, sizeof(BlockStatisticsRecord) * static_cast<size_t>(count)},
    };
    wchar_t path[kPathChars];
    for (const TableToWrite& table : toWrite) {
        if (!StoragePath(path, kPathChars, projectFolder, projectName, table.file) ||
            !WriteTable(path, table.file, projectId, table.payload, table.bytes, error, errorChars)) {
            DeleteProjectFiles(projectFolder, projectName);
            return false;
        }
    }
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectSummary);
    if (!WriteSummary(path, projectName, entries, statistics, count, *sum, facts, error, errorChars)) {
        DeleteProjectFiles(projectFolder, projectName);
        return false;
    }
    ProjectIndexHeader header{};
    memcpy(header.signature, kProjectSignature, 8);
    header.version = kStorageVersion;
    header.headerBytes = sizeof(header);
    header.entryBytes = sizeof(ProjectBlockEntry);
    header.blockCount = static_cast<uint32_t>(count);
    header.fileBytes = sizeof(header) + sizeof(ProjectBlockEntry) * static_cast<uint64_t>(count);
    header.projectId = projectId;
    header.pointCount = sum->pointCount;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    header.convertedAt = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    header.tableCrc = Crc32(0, entries, sizeof(ProjectBlockEntry) * static_cast<size_t>(count));
    header.headerCrc = HeaderCrc(header);
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectIndex);
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, path, error, errorChars)) {
        DeleteProjectFiles(projectFolder, projectName);
        return false;
    }
    bool ok = StorageWrite(&writer, &header, sizeof(header)) &&
              StorageWrite(&writer, entries, sizeof(ProjectBlockEntry) * static_cast<size_t>(count));
    if (!StorageWriterClose(&writer, ok, error, errorChars)) {
        DeleteProjectFiles(projectFolder, projectName);
        return false;
    }
    return true;
}

bool ReadProjectIndex(const wchar_t* projectFolder, const wchar_t* projectName, ProjectIndex* index,
                      wchar_t* error, size_t errorChars) {
    wchar_t path[kPathChars];
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectIndex);
    StorageReader reader;
    if (!StorageReaderOpen(&reader, path)) {
        DamagedText(error, errorChars, path, L" is missing: the project has not been converted completely.");
        return false;
    }
    ProjectIndexHeader& h = index->header;
    bool ok = StorageReadAt(&reader, 0, &h, sizeof(h));
    const wchar_t* fault = ok ? L" is damaged or was not written by this engine." : L" is truncated.";
    ok = ok && memcmp(h.signature, kProjectSignature, 8) == 0 && h.version == kStorageVersion &&
         h.headerBytes == sizeof(h) && h.headerCrc == HeaderCrc(h) &&
         h.entryBytes == sizeof(ProjectBlockEntry) && h.blockCount > 0 && h.blockCount <= 100000 &&
         h.fileBytes == sizeof(h) + static_cast<uint64_t>(h.blockCount) * sizeof(ProjectBlockEntry);
    if (ok && reader.size != h.fileBytes) {
        ok = false;
        if (reader.size < h.fileBytes) fault = L" is truncated.";
    }
    if (ok) {
        index->blocks.resize(h.blockCount);
        ok = StorageReadAt(&reader, sizeof(h), index->blocks.data(),
                           h.blockCount * sizeof(ProjectBlockEntry)) &&
             Crc32(0, index->blocks.data(), h.blockCount * sizeof(ProjectBlockEntry)) == h.tableCrc;
    }
    StorageReaderClose(&reader);
    if (!ok) DamagedText(error, errorChars, path, fault);
    return ok;
}

bool ReadProjectTables(const wchar_t* projectFolder, const wchar_t* projectName, const ProjectIndex& index,
                       ProjectTables* t, wchar_t* error, size_t errorChars) {
    uint64_t id = index.header.projectId;
    wchar_t path[kPathChars];
    auto read = [&](int file, void* payload, size_t bytes) {
        StoragePath(path, kPathChars, projectFolder, projectName, file);
        return ReadTable(path, file, id, payload, bytes, nullptr, error, errorChars);
    };
    if (!read(kProjectIntensity, &t->intensity, sizeof(t->intensity)) ||
        !read(kProjectClasses, t->classCounts, sizeof(t->classCounts)) ||
        !read(kProjectClassColours, t->classColours, sizeof(t->classColours)) ||
        !read(kProjectColours, &t->colours, sizeof(t->colours)) ||
        !read(kProjectReturns, t->returnCounts, sizeof(t->returnCounts)) ||
        !read(kProjectElevation, &t->elevation, sizeof(t->elevation)))
        return false;
    std::vector<uint8_t> bytes;
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectStatistics);
    if (!ReadTable(path, kProjectStatistics, id, nullptr, 0, &bytes, error, errorChars)) return false;
    size_t count = bytes.size() / sizeof(BlockStatisticsRecord);
    bool consistent = bytes.size() % sizeof(BlockStatisticsRecord) == 0 && count == index.blocks.size();
    t->blocks.resize(consistent ? count : 0);
    if (consistent) memcpy(t->blocks.data(), bytes.data(), bytes.size());
    for (size_t i = 0; consistent && i < count; ++i)
        consistent = t->blocks[i].storageId == index.blocks[i].storageId &&
                     t->blocks[i].statistics.pointCount == index.blocks[i].pointCount;
    if (!consistent) DamagedText(error, errorChars, path, L" does not match the project's index.");
    return consistent;
}

bool ReadBlockStatisticsTable(const wchar_t* projectFolder, const wchar_t* projectName,
                              std::vector<BlockStatisticsRecord>* records) {
    records->clear();
    wchar_t path[kPathChars], error[kErrorChars];
    std::vector<uint8_t> bytes;
    StoragePath(path, kPathChars, projectFolder, projectName, kProjectStatistics);
    if (!ReadTable(path, kProjectStatistics, 0, nullptr, 0, &bytes, error, kErrorChars)) return false;
    if (bytes.size() % sizeof(BlockStatisticsRecord) != 0) return false;
    records->resize(bytes.size() / sizeof(BlockStatisticsRecord));
    if (!bytes.empty()) memcpy(records->data(), bytes.data(), bytes.size());
    for (const BlockStatisticsRecord& r : *records)
        if (r.name[kMaxBlockNameChars] != 0) return false;
    return true;
}

bool DeleteProjectIndex(const wchar_t* projectFolder, const wchar_t* projectName) {
    wchar_t path[kPathChars];
    return StoragePath(path, kPathChars, projectFolder, projectName, kProjectIndex) && StorageDelete(path);
}

bool DeleteProjectFiles(const wchar_t* projectFolder, const wchar_t* projectName) {
    bool gone = true;
    for (int file = kProjectIndex; file < kProjectRecord; ++file) {
        wchar_t path[kPathChars];
        if (StoragePath(path, kPathChars, projectFolder, projectName, file))
            gone = StorageDelete(path) && gone;
    }
    return gone;
}
