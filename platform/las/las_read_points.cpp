#include "las_reader.h"

#include "las_error.h"
#include "las_file_io.h"
#include "las_format.h"

namespace {

// The fields every format starts with, in the legacy layout of formats 0 to 5.
inline void DecodeLegacyCore(const uint8_t* record, LasPoint& point) {
    uint8_t returns = record[14];
    uint8_t classByte = record[15];
    point.returnNumber = returns & 0x07;
    point.numberOfReturns = (returns >> 3) & 0x07;
    point.classification = classByte & 0x1F;
    point.classFlags = classByte >> 5; // synthetic, key-point, withheld
    point.scanAngle = static_cast<int8_t>(record[16]);
    point.userData = record[17];
    point.pointSourceId = LasLoad<uint16_t>(record + 18);
}

// The same fields in the layout of formats 6 to 10.
inline void DecodeExtendedCore(const uint8_t* record, LasPoint& point) {
    uint8_t returns = record[14];
    point.returnNumber = returns & 0x0F;
    point.numberOfReturns = returns >> 4;
    point.classFlags = record[15] & 0x0F; // synthetic, key-point, withheld, overlap
    point.classification = record[16];
    point.userData = record[17];
    point.scanAngle = LasLoad<int16_t>(record + 18);
    point.pointSourceId = LasLoad<uint16_t>(record + 20);
}

// One loop per format, its layout fixed at compile time, so that the per-point work is straight-line
// loads and stores.
template <int Format>
void DecodeRecords(const uint8_t* records, uint32_t stride, LasPoint* points, uint32_t count) {
    constexpr LasFormatLayout layout = kLasFormatLayouts[Format];
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* record = records + static_cast<size_t>(i) * stride;
        LasPoint point = {};
        point.x = LasLoad<int32_t>(record);
        point.y = LasLoad<int32_t>(record + 4);
        point.z = LasLoad<int32_t>(record + 8);
        point.intensity = LasLoad<uint16_t>(record + 12);
        if constexpr (LasIsExtendedFormat(Format))
            DecodeExtendedCore(record, point);
        else
            DecodeLegacyCore(record, point);
        if constexpr (layout.gpsTime >= 0) point.gpsTime = LasLoad<double>(record + layout.gpsTime);
        if constexpr (layout.rgb >= 0) {
            point.red = LasLoad<uint16_t>(record + layout.rgb);
            point.green = LasLoad<uint16_t>(record + layout.rgb + 2);
            point.blue = LasLoad<uint16_t>(record + layout.rgb + 4);
        }
        if constexpr (layout.nir >= 0) point.nir = LasLoad<uint16_t>(record + layout.nir);
        points[i] = point;
    }
}

void DecodeBatch(int format, const uint8_t* records, uint32_t stride, LasPoint* points, uint32_t count) {
    switch (format) {
        case 0:
            DecodeRecords<0>(records, stride, points, count);
            break;
        case 1:
            DecodeRecords<1>(records, stride, points, count);
            break;
        case 2:
            DecodeRecords<2>(records, stride, points, count);
            break;
        case 3:
            DecodeRecords<3>(records, stride, points, count);
            break;
        case 4:
            DecodeRecords<4>(records, stride, points, count);
            break;
        case 5:
            DecodeRecords<5>(records, stride, points, count);
            break;
        case 6:
            DecodeRecords<6>(records, stride, points, count);
            break;
        case 7:
            DecodeRecords<7>(records, stride, points, count);
            break;
        case 8:
            DecodeRecords<8>(records, stride, points, count);
            break;
        case 9:
            DecodeRecords<9>(records, stride, points, count);
            break;
        case 10:
            DecodeRecords<10>(records, stride, points, count);
            break;
    }
}

// Fills the buffer with the next count records; 1 when all arrived.
int ReadRecords(LasFile* file, uint32_t count, wchar_t* error, int errorChars) {
    const LasHeader& header = file->header;
    uint64_t offset = header.pointDataOffset + file->nextPoint * header.recordLength;
    uint64_t bytes = static_cast<uint64_t>(count) * header.recordLength;
    DWORD systemError = 0;
    uint64_t got = LasReadAt(file->handle, offset, file->buffer, bytes, &systemError);
    if (systemError)
        return LasFail(error, errorChars, L"Cannot read the file (system error %lu)", systemError);
    // The size was checked at opening; a short read means the file shrank since.
    if (got < bytes)
        return LasFail(error, errorChars, L"The file ended before point %llu",
                       static_cast<unsigned long long>(file->nextPoint + got / header.recordLength + 1));
    return 1;
}

} // namespace

int64_t LasReadPoints(LasFile* file, LasPoint* points, uint32_t maxPoints, wchar_t* error, int errorChars) {
    if (!file || !file->handle || !file->buffer) {
        LasFail(error, errorChars, L"The LAS file is not open");
        return -1;
    }
    if (maxPoints > 0 && !points) {
        LasFail(error, errorChars, L"No point array was given");
        return -1;
    }
    const LasHeader& header = file->header;
    uint64_t remaining = header.pointCount - file->nextPoint;
    uint32_t wanted = remaining < maxPoints ? static_cast<uint32_t>(remaining) : maxPoints;
    uint32_t perBatch = file->bufferBytes / header.recordLength;
    uint32_t done = 0;
    while (done < wanted) {
        uint32_t batch = wanted - done < perBatch ? wanted - done : perBatch;
        if (!ReadRecords(file, batch, error, errorChars)) return -1;
        DecodeBatch(header.pointFormat, file->buffer, header.recordLength, points + done, batch);
        done += batch;
        file->nextPoint += batch;
    }
    return done;
}
