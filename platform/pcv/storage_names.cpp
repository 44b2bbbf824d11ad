#include "storage_names.h"

#include "cloud_source.h"
#include "engine_text.h"

namespace {

struct StorageFileName {
    int file;
    const wchar_t* suffix;
    bool besideProject; // in the project's folder rather than in its octree folder
    uint32_t channel;   // block channel files: the channel they hold
    uint32_t bytesPerPoint;
};

constexpr StorageFileName kNames[kStorageFileCount] = {
    {kBlockTree, L".oct", false, 0, 12},
    {kBlockIntensity, L".c01", false, PcvChannelIntensity, 2},
    {kBlockClasses, L".c05", false, PcvChannelClassification, 1},
    {kBlockColours, L".c07", false, PcvChannelRgb, 3},
    {kBlockReturns, L".c28", false, PcvChannelReturnNumber, 1},
    {kProjectIndex, L".oct", false, 0, 0},
    {kProjectSummary, L".inf", false, 0, 0},
    {kProjectIntensity, L".c01", false, 0, 0},
    {kProjectClasses, L".c05", false, 0, 0},
    {kProjectClassColours, L"_LUT.c05", false, 0, 0},
    {kProjectColours, L".c07", false, 0, 0},
    {kProjectReturns, L".c28", false, 0, 0},
    {kProjectElevation, L".c08", false, 0, 0},
    {kProjectStatistics, L"_STATS.c08", false, 0, 0},
    {kProjectRecord, L"_shadow.prj", true, 0, 0},
};

} // namespace

int BlockChannelFile(uint32_t channel) {
    for (int file = kBlockIntensity; file <= kBlockReturns; ++file)
        if (kNames[file].channel == channel) return file;
    return -1;
}

uint32_t ChannelOfBlockFile(int file) {
    return file >= kBlockTree && file <= kBlockReturns ? kNames[file].channel : 0;
}

uint32_t BytesPerPointOfBlockFile(int file) {
    return file >= kBlockTree && file <= kBlockReturns ? kNames[file].bytesPerPoint : 0;
}

bool StorageFolder(wchar_t* path, size_t capacity, const wchar_t* projectFolder) {
    return PathJoin(path, capacity, projectFolder, L"octree");
}

bool StoragePath(wchar_t* path, size_t capacity, const wchar_t* projectFolder, const wchar_t* name,
                 int file) {
    if (file < 0 || file >= kStorageFileCount) return false;
    bool ok = kNames[file].besideProject ? TextCopy(path, capacity, projectFolder)
                                         : StorageFolder(path, capacity, projectFolder);
    ok = ok && PathJoin(path, capacity, path, name);
    return ok && TextAppend(path, capacity, kNames[file].suffix);
}
