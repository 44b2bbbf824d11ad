#include "las_header_parse.h"

#include "las_error.h"
#include "las_format.h"

#include <math.h>
#include <string.h>

namespace {

using namespace las_header;

const wchar_t* const kAxisNames[3] = {L"X", L"Y", L"Z"};

void CopyIdentifier(char (&out)[33], const uint8_t* field) {
    memcpy(out, field, kIdentifierBytes);
    out[kIdentifierBytes] = '\0';
}

int CheckSignatureAndSize(const uint8_t* bytes, uint64_t available, wchar_t* error, int errorChars) {
    if (available < 4 || memcmp(bytes + kSignature, "LASF", 4) != 0)
        return LasFail(error, errorChars, L"Not a LAS file: it does not start with \"LASF\"");
    if (available < static_cast<uint64_t>(kSizeUpTo12))
        return LasFail(error, errorChars,
                       L"The LAS header is truncated: the file has %llu bytes, the header needs %d",
                       static_cast<unsigned long long>(available), kSizeUpTo12);
    return 1;
}

int ReadVersion(const uint8_t* bytes, uint64_t available, LasHeader* header, wchar_t* error, int errorChars) {
    header->versionMajor = bytes[kVersionMajor];
    header->versionMinor = bytes[kVersionMinor];
    if (header->versionMajor != 1 || header->versionMinor > kLasMaxVersionMinor)
        return LasFail(error, errorChars, L"Unknown LAS version %u.%u", header->versionMajor,
                       header->versionMinor);
    int needed = LasHeaderSizeOfVersion(header->versionMinor);
    if (available < static_cast<uint64_t>(needed))
        return LasFail(error, errorChars,
                       L"The LAS header is truncated: the file has %llu bytes, the header needs %d",
                       static_cast<unsigned long long>(available), needed);
    unsigned headerSize = LasLoad<uint16_t>(bytes + kHeaderSize);
    if (headerSize < static_cast<unsigned>(needed))
        return LasFail(error, errorChars,
                       L"The LAS header size %u is smaller than the %d bytes of version 1.%u", headerSize,
                       needed, header->versionMinor);
    return 1;
}

int ReadPointFormat(const uint8_t* bytes, LasHeader* header, wchar_t* error, int errorChars) {
    uint8_t format = bytes[kPointFormat];
    if (format & kLasCompressedFormatBit)
        return LasFail(error, errorChars, L"Compressed LAZ files are not supported");
    if (format > kLasMaxPointFormat)
        return LasFail(error, errorChars, L"Unknown LAS point format %u", format);
    header->pointFormat = format;
    header->recordLength = LasLoad<uint16_t>(bytes + kRecordLength);
    header->standardLength = kLasFormatLayouts[format].standardLength;
    if (header->recordLength < header->standardLength)
        return LasFail(error, errorChars,
                       L"The point record length %u is smaller than the %u bytes of point format %u",
                       header->recordLength, header->standardLength, format);
    const LasFormatLayout& layout = kLasFormatLayouts[format];
    header->hasGpsTime = layout.gpsTime >= 0;
    header->hasRgb = layout.rgb >= 0;
    header->hasNir = layout.nir >= 0;
    return 1;
}

int ReadScaleOffsetBounds(const uint8_t* bytes, LasHeader* header, wchar_t* error, int errorChars) {
    for (int axis = 0; axis < 3; ++axis) {
        header->scale[axis] = LasLoad<double>(bytes + kScale + 8 * axis);
        header->offset[axis] = LasLoad<double>(bytes + kOffset + 8 * axis);
        header->maximum[axis] = LasLoad<double>(bytes + kBounds + 16 * axis);
        header->minimum[axis] = LasLoad<double>(bytes + kBounds + 16 * axis + 8);
        if (header->scale[axis] == 0.0)
            return LasFail(error, errorChars, L"The %ls scale of the LAS header is zero", kAxisNames[axis]);
        if (!isfinite(header->scale[axis]) || !isfinite(header->offset[axis]))
            return LasFail(error, errorChars,
                           L"The %ls scale or offset of the LAS header is not a finite number",
                           kAxisNames[axis]);
    }
    return 1;
}

// LAS 1.4 keeps a 64-bit count beside the legacy 32-bit one, which must be 0 for formats 6 to 10
// and for more than 2^32 - 1 points. The 64-bit count wins whenever both are present and disagree,
// except when it is 0 while the legacy count is not: writers that fill only the legacy field exist,
// and the size check below still guards whatever count is taken.
uint64_t PointCountOf(const uint8_t* bytes, int versionMinor) {
    uint64_t legacy = LasLoad<uint32_t>(bytes + kLegacyPointCount);
    if (versionMinor < 4) return legacy;
    uint64_t extended = LasLoad<uint64_t>(bytes + kPointCount);
    if (extended == 0 && legacy != 0) return legacy;
    return extended;
}

void ReadCountsAndOffsets(const uint8_t* bytes, LasHeader* header) {
    header->pointDataOffset = LasLoad<uint32_t>(bytes + kPointDataOffset);
    header->vlrCount = LasLoad<uint32_t>(bytes + kVlrCount);
    header->pointCount = PointCountOf(bytes, header->versionMinor);
    if (header->versionMinor >= 4) {
        header->evlrOffset = LasLoad<uint64_t>(bytes + kEvlrOffset);
        header->evlrCount = LasLoad<uint32_t>(bytes + kEvlrCount);
    }
}

// The points lie between the point data offset and the extended records (or the end of the file).
int CheckPointsFitFile(const uint8_t* bytes, uint64_t fileSize, const LasHeader& header, wchar_t* error,
                       int errorChars) {
    unsigned headerSize = LasLoad<uint16_t>(bytes + kHeaderSize);
    unsigned long long offset = header.pointDataOffset;
    if (offset < headerSize)
        return LasFail(error, errorChars,
                       L"The point data offset %llu lies before the end of the %u-byte header", offset,
                       headerSize);
    if (offset > fileSize)
        return LasFail(error, errorChars, L"The point data offset %llu lies outside the file of %llu bytes",
                       offset, static_cast<unsigned long long>(fileSize));
    uint64_t end = fileSize;
    if (header.evlrCount > 0 && header.evlrOffset != 0) {
        if (header.evlrOffset < offset || header.evlrOffset > fileSize)
            return LasFail(
                error, errorChars,
                L"The extended records' offset %llu lies before the point data or outside the file",
                static_cast<unsigned long long>(header.evlrOffset));
        end = header.evlrOffset;
    }
    uint64_t holds = (end - offset) / header.recordLength;
    if (header.pointCount > holds)
        return LasFail(error, errorChars, L"The header announces %llu points, but the file holds only %llu",
                       static_cast<unsigned long long>(header.pointCount),
                       static_cast<unsigned long long>(holds));
    return 1;
}

} // namespace

int LasParseHeader(const uint8_t* bytes, uint64_t available, uint64_t fileSize, LasHeader* header,
                   wchar_t* error, int errorChars) {
    memset(header, 0, sizeof *header);
    if (!CheckSignatureAndSize(bytes, available, error, errorChars)) return 0;
    // A LAZ file of any version should hear that it is compressed, not that its version is odd.
    if (bytes[kPointFormat] & kLasCompressedFormatBit)
        return LasFail(error, errorChars, L"Compressed LAZ files are not supported");
    if (!ReadVersion(bytes, available, header, error, errorChars)) return 0;
    if (!ReadPointFormat(bytes, header, error, errorChars)) return 0;
    if (!ReadScaleOffsetBounds(bytes, header, error, errorChars)) return 0;
    ReadCountsAndOffsets(bytes, header);
    if (!CheckPointsFitFile(bytes, fileSize, *header, error, errorChars)) return 0;
    CopyIdentifier(header->systemIdentifier, bytes + kSystemIdentifier);
    CopyIdentifier(header->generatingSoftware, bytes + kGeneratingSoftware);
    return 1;
}
