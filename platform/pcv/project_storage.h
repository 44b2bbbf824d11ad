// The project-level storage files: the index of blocks (P.oct), the tables of what the blocks hold
// (P.c01, P.c05, P_LUT.c05, P.c07, P.c28, P.c08, P_STATS.c08) and the summary for people (P.inf).
// The index is written last and deleted first: storage without a valid index is not a project.
#pragma once

#include "block_statistics.h"
#include "storage_format.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

// One block's statistics as the statistics file keeps them.
struct BlockStatisticsRecord {
    wchar_t name[kMaxBlockNameChars + 1];
    uint16_t reserved;
    uint32_t reserved2;
    uint64_t storageId;
    BlockStatistics statistics;
};

struct IntensityTable {
    uint64_t bins[kIntensityBins];
    uint16_t low, high; // the grey range every block is shown with
    uint32_t reserved;
};

struct ColourTable {
    uint64_t bins[3][256];
    uint32_t blocksFrom8Bits;  // blocks whose source colours were 8-bit values (kept as they are)
    uint32_t blocksFrom16Bits; // blocks whose 16-bit colours were cut to their high byte
};

struct ElevationTable {
    uint64_t bins[kElevationBins];
    double minimum, maximum; // the height range of the bins
    double low, high;        // the elevation ramp of every block
};

// What a loaded project takes from its tables.
struct ProjectTables {
    IntensityTable intensity;
    uint64_t classCounts[256];
    uint8_t classColours[256 * 3];
    ColourTable colours;
    uint64_t returnCounts[kReturnNumbers];
    ElevationTable elevation;
    std::vector<BlockStatisticsRecord> blocks;
};

struct ProjectIndex {
    ProjectIndexHeader header;
    std::vector<ProjectBlockEntry> blocks;
};

// What the summary names besides the blocks.
struct SummaryFacts {
    const wchar_t* projectFile;
    const wchar_t* engine; // product and host the engine was told of
};

// Writes every project file for blocks (entries and statistics in the same order), the index last.
// False with the reason in error; then no index is left, so the storage is not taken as valid.
bool WriteProjectStorage(const wchar_t* projectFolder, const wchar_t* projectName, uint64_t projectId,
                         const ProjectBlockEntry* entries, const BlockStatisticsRecord* statistics, int count,
                         const SummaryFacts& facts, wchar_t* error, size_t errorChars);

// Reads and checks the index. False with the reason in error.
bool ReadProjectIndex(const wchar_t* projectFolder, const wchar_t* projectName, ProjectIndex* index,
                      wchar_t* error, size_t errorChars);
// Reads and checks every table of the index's conversion. False with the reason in error.
bool ReadProjectTables(const wchar_t* projectFolder, const wchar_t* projectName, const ProjectIndex& index,
                       ProjectTables* tables, wchar_t* error, size_t errorChars);

// The blocks' statistics of whatever conversion wrote them last (each record names its block's
// storage id, so it is taken only for the block files it was made with). False when there are none.
bool ReadBlockStatisticsTable(const wchar_t* projectFolder, const wchar_t* projectName,
                              std::vector<BlockStatisticsRecord>* records);

// Deletes the index (making the storage invalid) or every project-level file.
bool DeleteProjectIndex(const wchar_t* projectFolder, const wchar_t* projectName);
bool DeleteProjectFiles(const wchar_t* projectFolder, const wchar_t* projectName);
