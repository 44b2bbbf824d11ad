// The binary layout of the storage files (little-endian, as written by x86-64). Every file starts
// with an 8-byte signature, a version and its header size; the header ends with a CRC-32 of the
// header bytes before it, and the file size it records must be the file's size. Every file of one
// conversion of a block carries the same storage id, so that a file left from another conversion is
// refused even when its counts happen to match.
#pragma once

#include "crc32.h"

#include <stddef.h>
#include <stdint.h>

constexpr uint32_t kStorageVersion = 1;
constexpr uint32_t kMaxBlockNameChars = 120; // a block's name, without terminator

// B.oct: header, node table (nodeCount records), then positions: three int32 offsets per point in
// the block's integer grid (coordinate = origin + offset * scale), node after node.
struct BlockTreeHeader {
    char signature[8]; // "PCVTREE\x1a"
    uint32_t version;
    uint32_t headerBytes; // sizeof(BlockTreeHeader)
    uint64_t fileBytes;
    uint64_t storageId;
    uint64_t pointCount;
    uint64_t channelMask; // channels stored for the block (bit 0, elevation, always)
    uint32_t nodeCount;
    uint32_t nodeRecordBytes; // sizeof(NodeRecord)
    uint64_t nodeTableOffset;
    uint64_t positionsOffset;
    double origin[3];
    double scale[3];
    double minimum[3];
    double maximum[3];
    uint16_t intensityLow; // the block's own grey range (the project's tables override it)
    uint16_t intensityHigh;
    uint32_t nodeTableCrc;
    wchar_t blockName[kMaxBlockNameChars + 1]; // terminated; wchar_t is 16 bits on Windows
    uint16_t reserved;
    uint32_t headerCrc;
};

struct NodeRecord {
    double minimum[3];
    double maximum[3];
    double spacing;
    uint64_t firstPoint; // index of the node's first point in every file of the block
    uint32_t pointCount;
    int32_t children[8];
    int32_t parent;
    uint32_t positionsCrc; // of the node's positions
    uint8_t level;
    uint8_t reserved[3];
};

// B.c01, B.c05, B.c07, B.c28: header, one CRC per node, then bytesPerPoint bytes per point in the
// same order as the positions.
struct ChannelFileHeader {
    char signature[8]; // "PCVCHAN\x1a"
    uint32_t version;
    uint32_t headerBytes;
    uint64_t fileBytes;
    uint64_t storageId;
    uint64_t pointCount;
    uint32_t nodeCount;
    uint32_t channel;
    uint32_t bytesPerPoint;
    uint32_t sourceBits; // colours: 8 or 16, the depth of the source's values; else 0
    uint64_t crcTableOffset;
    uint64_t dataOffset;
    uint32_t crcTableCrc;
    uint32_t headerCrc;
};

// P.oct: header, then one entry per block.
struct ProjectIndexHeader {
    char signature[8]; // "PCVPROJ\x1a"
    uint32_t version;
    uint32_t headerBytes;
    uint64_t fileBytes;
    uint64_t projectId; // the tables of the same conversion carry it
    uint64_t pointCount;
    uint64_t convertedAt; // FILETIME, UTC
    uint32_t blockCount;
    uint32_t entryBytes; // sizeof(ProjectBlockEntry)
    uint32_t tableCrc;
    uint32_t headerCrc;
};

// The file sizes of a block: tree and the four channel files (0 for channels not stored).
constexpr int kBlockFileCount = 5;

struct ProjectBlockEntry {
    wchar_t name[kMaxBlockNameChars + 1];
    uint16_t reserved;
    uint32_t reserved2;
    uint64_t storageId;
    uint64_t pointCount;
    uint64_t channelMask;
    uint32_t nodeCount;
    uint32_t colourSourceBits;
    uint64_t fileBytes[kBlockFileCount];
    double minimum[3];
    double maximum[3];
};

// P.c01 .. P_STATS.c08: header, then the table's payload.
struct ProjectTableHeader {
    char signature[8]; // "PCVTABL\x1a"
    uint32_t version;
    uint32_t headerBytes;
    uint64_t fileBytes;
    uint64_t projectId;
    uint32_t table; // the StorageFile number of the table
    uint32_t payloadCrc;
    uint64_t payloadBytes;
    uint32_t reserved;
    uint32_t headerCrc;
};

constexpr char kTreeSignature[8] = {'P', 'C', 'V', 'T', 'R', 'E', 'E', 0x1a};
constexpr char kChannelSignature[8] = {'P', 'C', 'V', 'C', 'H', 'A', 'N', 0x1a};
constexpr char kProjectSignature[8] = {'P', 'C', 'V', 'P', 'R', 'O', 'J', 0x1a};
constexpr char kTableSignature[8] = {'P', 'C', 'V', 'T', 'A', 'B', 'L', 0x1a};

static_assert(sizeof(wchar_t) == 2, "storage files hold 16-bit characters");
static_assert(sizeof(BlockTreeHeader) == 424, "BlockTreeHeader layout");
static_assert(sizeof(NodeRecord) == 112, "NodeRecord layout");
static_assert(sizeof(ChannelFileHeader) == 80, "ChannelFileHeader layout");
static_assert(sizeof(ProjectIndexHeader) == 64, "ProjectIndexHeader layout");
static_assert(sizeof(ProjectBlockEntry) == 368, "ProjectBlockEntry layout");
static_assert(sizeof(ProjectTableHeader) == 56, "ProjectTableHeader layout");

// The CRC of a header: of its bytes before the headerCrc field, which is its last 4 bytes.
template <typename Header> uint32_t HeaderCrc(const Header& header) {
    static_assert(offsetof(Header, headerCrc) + 4 == sizeof(Header), "headerCrc ends the header");
    return Crc32(0, &header, offsetof(Header, headerCrc));
}
