#include "block_storage_write.h"

#include "parallel_run.h"
#include "storage_io.h"
#include "storage_names.h"

#include <string.h>
#include <wchar.h>

#include <vector>

namespace {

constexpr uint32_t kGatherPoints = 65536;

struct FileJob {
    int file;
    wchar_t path[kPathChars];
    uint64_t bytes; // the complete file's size, once written
    bool ok;
    wchar_t error[512];
};

// Copies the bytes of points order[first .. first + count) of one file's column into to.
void GatherColumn(const BlockWriteRequest& request, int file, uint64_t first, uint32_t count, uint8_t* to) {
    const OctreeInput& input = *request.input;
    const uint32_t* order = request.layout->order + first;
    switch (file) {
        case kBlockTree:
            for (uint32_t k = 0; k < count; ++k) memcpy(to + 12ull * k, input.xyz + 3ull * order[k], 12);
            break;
        case kBlockIntensity:
            for (uint32_t k = 0; k < count; ++k) memcpy(to + 2ull * k, input.intensity + order[k], 2);
            break;
        case kBlockClasses:
            for (uint32_t k = 0; k < count; ++k) to[k] = input.classification[order[k]];
            break;
        case kBlockColours:
            for (uint32_t k = 0; k < count; ++k) memcpy(to + 3ull * k, input.rgb + 3ull * order[k], 3);
            break;
        case kBlockReturns:
            for (uint32_t k = 0; k < count; ++k) to[k] = input.returnNumber[order[k]];
            break;
    }
}

bool Cancelled(const BlockWriteRequest& request) {
    return request.cancel && *request.cancel;
}

// Writes every node's points of one column, in node order, and their CRCs.
bool WriteNodeData(const BlockWriteRequest& request, int file, StorageWriter* writer, uint32_t* crcs) {
    const CloudBlock& block = request.layout->block;
    uint32_t bytesPerPoint = BytesPerPointOfBlockFile(file);
    std::vector<uint8_t> buffer(static_cast<size_t>(kGatherPoints) * bytesPerPoint);
    for (uint32_t n = 0; n < block.nodeCount; ++n) {
        uint32_t crc = 0;
        uint64_t first = request.layout->nodeFirst[n];
        uint32_t left = block.nodes[n].pointCount;
        while (left > 0) {
            if (Cancelled(request)) return false;
            uint32_t piece = left < kGatherPoints ? left : kGatherPoints;
            GatherColumn(request, file, first, piece, buffer.data());
            size_t bytes = static_cast<size_t>(piece) * bytesPerPoint;
            crc = Crc32(crc, buffer.data(), bytes);
            if (!StorageWrite(writer, buffer.data(), bytes)) return false;
            first += piece;
            left -= piece;
        }
        crcs[n] = crc;
    }
    return true;
}

void FillNodeRecords(const CloudBlock& block, const uint64_t* nodeFirst, const uint32_t* crcs,
                     std::vector<NodeRecord>& records) {
    records.assign(block.nodeCount, NodeRecord{});
    for (uint32_t n = 0; n < block.nodeCount; ++n) {
        const CloudNode& node = block.nodes[n];
        NodeRecord& r = records[n];
        memcpy(r.minimum, node.minimum, sizeof(r.minimum));
        memcpy(r.maximum, node.maximum, sizeof(r.maximum));
        r.spacing = node.spacing;
        r.firstPoint = nodeFirst[n];
        r.pointCount = node.pointCount;
        memcpy(r.children, node.children, sizeof(r.children));
        r.parent = node.parent;
        r.positionsCrc = crcs ? crcs[n] : 0;
        r.level = node.level;
    }
}

bool WriteTreeFile(const BlockWriteRequest& request, uint64_t channelMask, FileJob* job) {
    const CloudBlock& block = request.layout->block;
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, job->path, job->error, 512)) return false;
    BlockTreeHeader header{};
    memcpy(header.signature, kTreeSignature, 8);
    header.version = kStorageVersion;
    header.headerBytes = sizeof(header);
    header.storageId = request.storageId;
    header.pointCount = request.layout->count;
    header.channelMask = channelMask;
    header.nodeCount = block.nodeCount;
    header.nodeRecordBytes = sizeof(NodeRecord);
    header.nodeTableOffset = sizeof(header);
    header.positionsOffset =
        header.nodeTableOffset + static_cast<uint64_t>(block.nodeCount) * sizeof(NodeRecord);
    header.fileBytes = header.positionsOffset + header.pointCount * 12;
    memcpy(header.origin, block.origin, sizeof(header.origin));
    memcpy(header.scale, block.scale, sizeof(header.scale));
    memcpy(header.minimum, block.minimum, sizeof(header.minimum));
    memcpy(header.maximum, block.maximum, sizeof(header.maximum));
    header.intensityLow = block.intensityLow;
    header.intensityHigh = block.intensityHigh;
    TextCopy(header.blockName, kMaxBlockNameChars + 1, request.blockName);
    std::vector<uint32_t> crcs(block.nodeCount);
    std::vector<NodeRecord> records;
    bool ok = StorageWrite(&writer, nullptr, static_cast<size_t>(header.positionsOffset)) &&
              WriteNodeData(request, kBlockTree, &writer, crcs.data());
    if (ok) {
        FillNodeRecords(block, request.layout->nodeFirst, crcs.data(), records);
        size_t tableBytes = records.size() * sizeof(NodeRecord);
        header.nodeTableCrc = Crc32(0, records.data(), tableBytes);
        header.headerCrc = HeaderCrc(header);
        ok = StorageWriteAt(&writer, header.nodeTableOffset, records.data(), tableBytes) &&
             StorageWriteAt(&writer, 0, &header, sizeof(header));
    }
    job->bytes = header.fileBytes;
    return StorageWriterClose(&writer, ok && !Cancelled(request), job->error, 512);
}

bool WriteChannelFile(const BlockWriteRequest& request, FileJob* job) {
    const CloudBlock& block = request.layout->block;
    StorageWriter writer;
    if (!StorageWriterCreate(&writer, job->path, job->error, 512)) return false;
    ChannelFileHeader header{};
    memcpy(header.signature, kChannelSignature, 8);
    header.version = kStorageVersion;
    header.headerBytes = sizeof(header);
    header.storageId = request.storageId;
    header.pointCount = request.layout->count;
    header.nodeCount = block.nodeCount;
    header.channel = ChannelOfBlockFile(job->file);
    header.bytesPerPoint = BytesPerPointOfBlockFile(job->file);
    header.sourceBits = job->file == kBlockColours ? request.colourSourceBits : 0;
    header.crcTableOffset = sizeof(header);
    header.dataOffset = header.crcTableOffset + 4ull * block.nodeCount;
    header.fileBytes = header.dataOffset + header.pointCount * header.bytesPerPoint;
    std::vector<uint32_t> crcs(block.nodeCount);
    bool ok = StorageWrite(&writer, nullptr, static_cast<size_t>(header.dataOffset)) &&
              WriteNodeData(request, job->file, &writer, crcs.data());
    if (ok) {
        header.crcTableCrc = Crc32(0, crcs.data(), crcs.size() * 4);
        header.headerCrc = HeaderCrc(header);
        ok = StorageWriteAt(&writer, header.crcTableOffset, crcs.data(), crcs.size() * 4) &&
             StorageWriteAt(&writer, 0, &header, sizeof(header));
    }
    job->bytes = header.fileBytes;
    return StorageWriterClose(&writer, ok && !Cancelled(request), job->error, 512);
}

bool InputCarries(const OctreeInput& input, int file) {
    switch (file) {
        case kBlockIntensity:
            return input.intensity != nullptr;
        case kBlockClasses:
            return input.classification != nullptr;
        case kBlockColours:
            return input.rgb != nullptr;
        case kBlockReturns:
            return input.returnNumber != nullptr;
        default:
            return true;
    }
}

} // namespace

bool DeleteBlockStorage(const wchar_t* projectFolder, const wchar_t* blockName) {
    bool gone = true;
    for (int file = kBlockTree; file <= kBlockReturns; ++file) {
        wchar_t path[kPathChars];
        if (StoragePath(path, kPathChars, projectFolder, blockName, file)) gone = StorageDelete(path) && gone;
    }
    return gone;
}

bool WriteBlockStorage(const BlockWriteRequest& request, ProjectBlockEntry* entry, wchar_t* error,
                       size_t errorChars) {
    *entry = ProjectBlockEntry{};
    if (wcslen(request.blockName) > kMaxBlockNameChars) {
        TextCopy(error, errorChars, L"The block name is too long: ");
        TextAppend(error, errorChars, request.blockName);
        return false;
    }
    // Every file of the block first goes, so that a failure leaves none from an earlier conversion
    // beside new ones.
    if (!DeleteBlockStorage(request.projectFolder, request.blockName)) {
        wchar_t path[kPathChars];
        StoragePath(path, kPathChars, request.projectFolder, request.blockName, kBlockTree);
        StorageErrorText(error, errorChars, L"Could not replace the storage", path, ERROR_ACCESS_DENIED);
        return false;
    }
    FileJob jobs[kBlockFileCount] = {};
    uint64_t channelMask = 1ull << PcvChannelElevation;
    int jobCount = 0;
    for (int file = kBlockTree; file <= kBlockReturns; ++file) {
        uint32_t channel = ChannelOfBlockFile(file);
        if (file != kBlockTree && (!InputCarries(*request.input, file) || !(request.channels >> channel & 1)))
            continue;
        if (file != kBlockTree) channelMask |= 1ull << channel;
        FileJob& job = jobs[jobCount++];
        job.file = file;
        StoragePath(job.path, kPathChars, request.projectFolder, request.blockName, file);
    }
    // The positions on one core, the channel files on the other.
    ParallelRun(request.threads, [&](int part) {
        for (int j = 0; j < jobCount; ++j) {
            bool mine = request.threads < 2 || (j == 0) == (part == 0);
            if (!mine) continue;
            jobs[j].ok = jobs[j].file == kBlockTree ? WriteTreeFile(request, channelMask, &jobs[j])
                                                    : WriteChannelFile(request, &jobs[j]);
        }
    });
    for (int j = 0; j < jobCount; ++j) {
        if (jobs[j].ok) continue;
        DeleteBlockStorage(request.projectFolder, request.blockName);
        if (Cancelled(request)) {
            TextCopy(error, errorChars, L"The work was cancelled.");
        } else {
            TextCopy(error, errorChars, jobs[j].error);
        }
        return false;
    }
    const CloudBlock& block = request.layout->block;
    TextCopy(entry->name, kMaxBlockNameChars + 1, request.blockName);
    entry->storageId = request.storageId;
    entry->pointCount = request.layout->count;
    entry->channelMask = channelMask;
    entry->nodeCount = block.nodeCount;
    entry->colourSourceBits = channelMask >> PcvChannelRgb & 1 ? request.colourSourceBits : 0;
    for (int j = 0; j < jobCount; ++j) entry->fileBytes[jobs[j].file] = jobs[j].bytes;
    memcpy(entry->minimum, block.minimum, sizeof(entry->minimum));
    memcpy(entry->maximum, block.maximum, sizeof(entry->maximum));
    return true;
}
