// The byte layout of LAS files that reader and writer share: where the header keeps its fields in
// each version, and where each point format keeps its fields within a record.
#pragma once

#include <stdint.h>
#include <string.h>

constexpr int kLasMaxPointFormat = 10;
constexpr int kLasMaxVersionMinor = 4;

// A point format's own bytes, and the record offset of its optional fields (-1 when it has none).
// Formats 4, 5, 9 and 10 end with a 29-byte waveform packet that neither side interprets.
struct LasFormatLayout {
    uint16_t standardLength;
    int8_t gpsTime;
    int8_t rgb;
    int8_t nir;
};

constexpr LasFormatLayout kLasFormatLayouts[kLasMaxPointFormat + 1] = {
    {20, -1, -1, -1}, // 0
    {28, 20, -1, -1}, // 1
    {26, -1, 20, -1}, // 2
    {34, 20, 28, -1}, // 3
    {57, 20, -1, -1}, // 4
    {63, 20, 28, -1}, // 5
    {30, 22, -1, -1}, // 6
    {36, 22, 30, -1}, // 7
    {38, 22, 30, 36}, // 8
    {59, 22, -1, -1}, // 9
    {67, 22, 30, 36}, // 10
};

// Formats 6 to 10 widen the return fields to 4 bits, classification to a byte and the scan angle to
// 16 bits; only LAS 1.4 defines them.
constexpr bool LasIsExtendedFormat(int format) {
    return format >= 6;
}

// Compressed (LAZ) files mark the point format byte with bit 7.
constexpr uint8_t kLasCompressedFormatBit = 0x80;

// Offsets of the public header block's fields; the first block is the same in every version.
namespace las_header {
constexpr int kSignature = 0;
constexpr int kGlobalEncoding = 6;
constexpr int kVersionMajor = 24;
constexpr int kVersionMinor = 25;
constexpr int kSystemIdentifier = 26;
constexpr int kGeneratingSoftware = 58;
constexpr int kCreationDay = 90;
constexpr int kCreationYear = 92;
constexpr int kHeaderSize = 94;
constexpr int kPointDataOffset = 96;
constexpr int kVlrCount = 100;
constexpr int kPointFormat = 104;
constexpr int kRecordLength = 105;
constexpr int kLegacyPointCount = 107;
constexpr int kLegacyReturnCounts = 111; // 5 x uint32
constexpr int kScale = 131;              // x, y, z doubles
constexpr int kOffset = 155;
constexpr int kBounds = 179; // max x, min x, max y, min y, max z, min z
// LAS 1.3 and later.
constexpr int kWaveformOffset = 227;
// LAS 1.4.
constexpr int kEvlrOffset = 235;
constexpr int kEvlrCount = 243;
constexpr int kPointCount = 247;
constexpr int kReturnCounts = 255; // 15 x uint64

constexpr int kIdentifierBytes = 32;
constexpr int kLegacyReturns = 5;
constexpr int kReturns = 15;
constexpr int kSizeUpTo12 = 227;
constexpr int kSize13 = 235;
constexpr int kSize14 = 375;
constexpr int kMaxSize = kSize14;
} // namespace las_header

// The smallest header a version may have.
constexpr int LasHeaderSizeOfVersion(int minor) {
    return minor >= 4 ? las_header::kSize14 : minor == 3 ? las_header::kSize13 : las_header::kSizeUpTo12;
}

// Variable-length record headers before the points, extended ones after them (LAS 1.4).
constexpr int kLasVlrHeaderBytes = 54;
constexpr int kLasEvlrHeaderBytes = 60;

// LAS 1.0 puts two signature bytes between the variable-length records and the points.
constexpr uint8_t kLasPointDataSignature10[2] = {0xDD, 0xCC};

// Little-endian loads and stores at any alignment; the compiler turns them into plain moves.
template <typename T> inline T LasLoad(const uint8_t* bytes) {
    T value;
    memcpy(&value, bytes, sizeof value);
    return value;
}
template <typename T> inline void LasStore(uint8_t* bytes, T value) {
    memcpy(bytes, &value, sizeof value);
}
