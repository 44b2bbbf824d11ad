// The names of the storage files. A project P (the project file P.prj) with blocks B keeps, in the
// folder "octree" beside the project file, per block B.oct and one file per stored channel, per
// project the index, the summary and the tables; beside the project file the conversion record.
// These are all the files a conversion writes.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum StorageFile {
    // Per block.
    kBlockTree,      // B.oct: the node table and every point's position
    kBlockIntensity, // B.c01
    kBlockClasses,   // B.c05
    kBlockColours,   // B.c07
    kBlockReturns,   // B.c28
    // Per project.
    kProjectIndex,        // P.oct: the blocks and their files; written last, it makes the storage valid
    kProjectSummary,      // P.inf: a text summary for people; the engine never reads it
    kProjectIntensity,    // P.c01: intensity histogram and the grey range of every block
    kProjectClasses,      // P.c05: points per class
    kProjectClassColours, // P_LUT.c05: the colour of each class
    kProjectColours,      // P.c07: colour histograms and the colour depth of each block's sources
    kProjectReturns,      // P.c28: points per return number
    kProjectElevation,    // P.c08: height histogram and the elevation ramp's range
    kProjectStatistics,   // P_STATS.c08: each block's statistics, kept for later partial conversions
    kProjectRecord,       // P_shadow.prj (beside the project file): what was converted from what, when
    kStorageFileCount
};

constexpr int kFirstProjectFile = kProjectIndex;

// The block file that holds channel, or -1 when the channel is not stored per point.
int BlockChannelFile(uint32_t channel);
// The channel a block channel file holds; 0 for kBlockTree.
uint32_t ChannelOfBlockFile(int file);
// Bytes per point in a block channel file (positions: 12).
uint32_t BytesPerPointOfBlockFile(int file);

// The path of one storage file: projectFolder\octree\<name><suffix>, or projectFolder\<name><suffix>
// for the conversion record. name is the block's name for block files, the project's for the others.
bool StoragePath(wchar_t* path, size_t capacity, const wchar_t* projectFolder, const wchar_t* name, int file);
// projectFolder\octree
bool StorageFolder(wchar_t* path, size_t capacity, const wchar_t* projectFolder);
