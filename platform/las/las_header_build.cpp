#include "las_header_build.h"

#include "las_format.h"

#include <string.h>

namespace {

using namespace las_header;

constexpr char kSystemName[] = "Nimbo";
constexpr char kSoftwareName[] = "Nimbo LAS writer";
constexpr char kRecordUser[] = "Nimbo";
constexpr char kRecordDescription[] = "Empty record";
// Global encoding bit 4: the coordinate system would be WKT, which formats 6 to 10 require.
constexpr uint16_t kWktEncoding = 0x10;

void PutText(uint8_t* field, const char* text) {
    memcpy(field, text, strlen(text));
}

// Day of the year (1 for January 1) and year of today, in GMT.
void CreationDate(uint16_t* day, uint16_t* year) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    static const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = (now.wYear % 4 == 0 && now.wYear % 100 != 0) || now.wYear % 400 == 0;
    int month = now.wMonth >= 1 && now.wMonth <= 12 ? now.wMonth : 1;
    *day = static_cast<uint16_t>(kDaysBefore[month - 1] + now.wDay + (leap && month > 2 ? 1 : 0));
    *year = now.wYear;
}

void PutBounds(const LasWriter& writer, uint8_t* bytes) {
    for (int axis = 0; axis < 3; ++axis) {
        double low = 0.0, high = 0.0;
        if (writer.pointCount > 0) {
            low = writer.minimum[axis] * writer.options.scale[axis] + writer.options.offset[axis];
            high = writer.maximum[axis] * writer.options.scale[axis] + writer.options.offset[axis];
            if (low > high) { // a negative scale turns the integer bounds round
                double swap = low;
                low = high;
                high = swap;
            }
        }
        LasStore(bytes + kBounds + 16 * axis, high);
        LasStore(bytes + kBounds + 16 * axis + 8, low);
    }
}

// The legacy 32-bit counts: in LAS 1.4 they stay 0 for formats 6 to 10 and for counts too large.
bool PutCounts(const LasWriter& writer, uint8_t* bytes) {
    const LasWriteOptions& options = writer.options;
    bool fitsLegacy = writer.pointCount <= UINT32_MAX;
    if (options.versionMinor < 4 && !fitsLegacy) return false;
    if (fitsLegacy && !LasIsExtendedFormat(options.pointFormat)) {
        LasStore(bytes + kLegacyPointCount, static_cast<uint32_t>(writer.pointCount));
        for (int r = 0; r < kLegacyReturns; ++r)
            LasStore(bytes + kLegacyReturnCounts + 4 * r, static_cast<uint32_t>(writer.returnCounts[r]));
    }
    if (options.versionMinor >= 4) {
        LasStore(bytes + kPointCount, writer.pointCount);
        for (int r = 0; r < kReturns; ++r) LasStore(bytes + kReturnCounts + 8 * r, writer.returnCounts[r]);
    }
    return true;
}

// The first extended record follows the last point.
void PutExtendedRecords(const LasWriter& writer, uint8_t* bytes) {
    if (writer.options.versionMinor < 4 || writer.options.evlrCount == 0) return;
    uint64_t first = LasWriterPointDataOffset(writer.options) + writer.pointCount * writer.recordLength;
    LasStore(bytes + kEvlrOffset, first);
    LasStore(bytes + kEvlrCount, writer.options.evlrCount);
}

void PutRecordText(uint8_t* bytes, uint16_t index) {
    PutText(bytes + 2, kRecordUser);
    LasStore(bytes + 18, index);
}

} // namespace

uint64_t LasWriterPointDataOffset(const LasWriteOptions& options) {
    uint64_t offset = LasHeaderSizeOfVersion(options.versionMinor) +
                      static_cast<uint64_t>(options.vlrCount) * kLasVlrHeaderBytes;
    if (options.versionMinor == 0) offset += sizeof kLasPointDataSignature10;
    return offset;
}

bool LasBuildHeader(const LasWriter& writer, uint8_t* bytes) {
    const LasWriteOptions& options = writer.options;
    int size = LasHeaderSizeOfVersion(options.versionMinor);
    memset(bytes, 0, static_cast<size_t>(size));
    memcpy(bytes + kSignature, "LASF", 4);
    if (LasIsExtendedFormat(options.pointFormat)) LasStore(bytes + kGlobalEncoding, kWktEncoding);
    bytes[kVersionMajor] = 1;
    bytes[kVersionMinor] = options.versionMinor;
    PutText(bytes + kSystemIdentifier, kSystemName);
    PutText(bytes + kGeneratingSoftware, kSoftwareName);
    uint16_t day = 0, year = 0;
    CreationDate(&day, &year);
    LasStore(bytes + kCreationDay, day);
    LasStore(bytes + kCreationYear, year);
    LasStore(bytes + kHeaderSize, static_cast<uint16_t>(size));
    LasStore(bytes + kPointDataOffset, static_cast<uint32_t>(LasWriterPointDataOffset(options)));
    LasStore(bytes + kVlrCount, options.vlrCount);
    bytes[kPointFormat] = options.pointFormat;
    LasStore(bytes + kRecordLength, writer.recordLength);
    for (int axis = 0; axis < 3; ++axis) {
        LasStore(bytes + kScale + 8 * axis, options.scale[axis]);
        LasStore(bytes + kOffset + 8 * axis, options.offset[axis]);
    }
    PutBounds(writer, bytes);
    PutExtendedRecords(writer, bytes);
    return PutCounts(writer, bytes);
}

void LasBuildVlrHeader(uint32_t index, uint8_t (&bytes)[kLasVlrHeaderBytes]) {
    memset(bytes, 0, sizeof bytes);
    PutRecordText(bytes, static_cast<uint16_t>(index));
    // Record length after the header (bytes 20..21) stays 0: the payload is empty.
    PutText(bytes + 22, kRecordDescription);
}

void LasBuildEvlrHeader(uint32_t index, uint8_t (&bytes)[kLasEvlrHeaderBytes]) {
    memset(bytes, 0, sizeof bytes);
    PutRecordText(bytes, static_cast<uint16_t>(index));
    // Record length after the header (bytes 20..27) stays 0: the payload is empty.
    PutText(bytes + 28, kRecordDescription);
}
