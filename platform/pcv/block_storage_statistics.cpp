#include "block_storage_statistics.h"

#include "storage_names.h"

#include <string.h>

#include <algorithm>
#include <vector>

bool StatisticsOfStorage(BlockStorage* storage, BlockStatistics* s) {
    memset(s, 0, sizeof(*s));
    const BlockTreeHeader& tree = storage->tree;
    s->pointCount = tree.pointCount;
    s->channelMask = tree.channelMask;
    memcpy(s->minimum, tree.minimum, sizeof(s->minimum));
    memcpy(s->maximum, tree.maximum, sizeof(s->maximum));
    double height = tree.maximum[2] - tree.minimum[2];
    std::vector<uint8_t> column;
    for (uint32_t n = 0; n < tree.nodeCount; ++n) {
        uint32_t count = storage->nodes[n].pointCount;
        for (int file = kBlockTree; file <= kBlockReturns; ++file) {
            if (!storage->crcs[file]) continue;
            column.resize(static_cast<size_t>(count) * BytesPerPointOfBlockFile(file) + 1);
            if (!BlockStorageReadNode(storage, n, file, column.data())) return false;
            const uint8_t* c = column.data();
            for (uint32_t k = 0; k < count; ++k) {
                switch (file) {
                    case kBlockTree: {
                        int32_t z;
                        memcpy(&z, c + 12ull * k + 8, 4);
                        double absolute = tree.origin[2] + z * tree.scale[2];
                        int bin =
                            height > 0
                                ? static_cast<int>((absolute - tree.minimum[2]) / height * kElevationBins)
                                : 0;
                        ++s->elevationBins[std::clamp(bin, 0, kElevationBins - 1)];
                        break;
                    }
                    case kBlockIntensity: {
                        uint16_t v;
                        memcpy(&v, c + 2ull * k, 2);
                        ++s->intensityBins[v / kIntensityBinWidth];
                        break;
                    }
                    case kBlockClasses:
                        ++s->classCounts[c[k]];
                        break;
                    case kBlockColours:
                        for (int rgb = 0; rgb < 3; ++rgb) ++s->colourBins[rgb][c[3ull * k + rgb]];
                        break;
                    case kBlockReturns:
                        ++s->returnCounts[c[k] & (kReturnNumbers - 1)];
                        break;
                }
            }
        }
    }
    StatisticsOfLevels(storage->block, s);
    return true;
}

ProjectBlockEntry EntryOfStorage(const BlockStorage& storage) {
    ProjectBlockEntry entry{};
    const BlockTreeHeader& tree = storage.tree;
    memcpy(entry.name, tree.blockName, sizeof(entry.name));
    entry.storageId = tree.storageId;
    entry.pointCount = tree.pointCount;
    entry.channelMask = tree.channelMask;
    entry.nodeCount = tree.nodeCount;
    entry.colourSourceBits = storage.crcs[kBlockColours] ? storage.channels[kBlockColours].sourceBits : 0;
    for (int file = kBlockTree; file <= kBlockReturns; ++file)
        entry.fileBytes[file] = storage.crcs[file] ? storage.files[file].size : 0;
    memcpy(entry.minimum, tree.minimum, sizeof(entry.minimum));
    memcpy(entry.maximum, tree.maximum, sizeof(entry.maximum));
    return entry;
}
