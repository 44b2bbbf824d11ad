#include "las_encode_points.h"

#include "las_format.h"

namespace {

// Formats 0 to 5 hold whole degrees from -128 to 127 in one signed byte.
inline int8_t LegacyScanAngle(int16_t angle) {
    return static_cast<int8_t>(angle < -128 ? -128 : angle > 127 ? 127 : angle);
}

inline void EncodeLegacyCore(const LasPoint& point, uint8_t* record) {
    record[14] = static_cast<uint8_t>((point.returnNumber & 0x07) | ((point.numberOfReturns & 0x07) << 3));
    record[15] = static_cast<uint8_t>((point.classification & 0x1F) | ((point.classFlags & 0x07) << 5));
    record[16] = static_cast<uint8_t>(LegacyScanAngle(point.scanAngle));
    record[17] = point.userData;
    LasStore(record + 18, point.pointSourceId);
}

inline void EncodeExtendedCore(const LasPoint& point, uint8_t* record) {
    record[14] = static_cast<uint8_t>((point.returnNumber & 0x0F) | ((point.numberOfReturns & 0x0F) << 4));
    record[15] = point.classFlags & 0x0F; // scanner channel, scan direction and edge stay 0
    record[16] = point.classification;
    record[17] = point.userData;
    LasStore(record + 18, point.scanAngle);
    LasStore(record + 20, point.pointSourceId);
}

inline void AddToBounds(LasWriter* writer, const LasPoint& point) {
    const int32_t values[3] = {point.x, point.y, point.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (writer->pointCount == 0 || values[axis] < writer->minimum[axis])
            writer->minimum[axis] = values[axis];
        if (writer->pointCount == 0 || values[axis] > writer->maximum[axis])
            writer->maximum[axis] = values[axis];
    }
}

// The return number as the record stores it, so that the header's counts describe the file.
inline int StoredReturn(int format, uint8_t returnNumber) {
    return LasIsExtendedFormat(format) ? (returnNumber & 0x0F) : (returnNumber & 0x07);
}

template <int Format>
void EncodeRecords(LasWriter* writer, const LasPoint* points, uint32_t count, uint8_t* records) {
    constexpr LasFormatLayout layout = kLasFormatLayouts[Format];
    const uint32_t stride = writer->recordLength;
    for (uint32_t i = 0; i < count; ++i) {
        const LasPoint& point = points[i];
        uint8_t* record = records + static_cast<size_t>(i) * stride;
        LasStore(record, point.x);
        LasStore(record + 4, point.y);
        LasStore(record + 8, point.z);
        LasStore(record + 12, point.intensity);
        if constexpr (LasIsExtendedFormat(Format))
            EncodeExtendedCore(point, record);
        else
            EncodeLegacyCore(point, record);
        if constexpr (layout.gpsTime >= 0) LasStore(record + layout.gpsTime, point.gpsTime);
        if constexpr (layout.rgb >= 0) {
            LasStore(record + layout.rgb, point.red);
            LasStore(record + layout.rgb + 2, point.green);
            LasStore(record + layout.rgb + 4, point.blue);
        }
        if constexpr (layout.nir >= 0) LasStore(record + layout.nir, point.nir);
        AddToBounds(writer, point);
        int stored = StoredReturn(Format, point.returnNumber);
        if (stored >= 1) ++writer->returnCounts[stored - 1];
        ++writer->pointCount;
    }
}

} // namespace

void LasEncodePoints(LasWriter* writer, const LasPoint* points, uint32_t count, uint8_t* records) {
    switch (writer->options.pointFormat) {
        case 0:
            EncodeRecords<0>(writer, points, count, records);
            break;
        case 1:
            EncodeRecords<1>(writer, points, count, records);
            break;
        case 2:
            EncodeRecords<2>(writer, points, count, records);
            break;
        case 3:
            EncodeRecords<3>(writer, points, count, records);
            break;
        case 4:
            EncodeRecords<4>(writer, points, count, records);
            break;
        case 5:
            EncodeRecords<5>(writer, points, count, records);
            break;
        case 6:
            EncodeRecords<6>(writer, points, count, records);
            break;
        case 7:
            EncodeRecords<7>(writer, points, count, records);
            break;
        case 8:
            EncodeRecords<8>(writer, points, count, records);
            break;
        case 9:
            EncodeRecords<9>(writer, points, count, records);
            break;
        case 10:
            EncodeRecords<10>(writer, points, count, records);
            break;
    }
}
