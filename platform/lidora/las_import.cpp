#include "las_import.h"

#include "common_scale.h"
#include "las_reader.h"

#include <stdio.h>

#include <vector>

namespace {

constexpr uint32_t kBatchPoints = 65536;

struct RawBounds {
    int32_t minimum[3];
    int32_t maximum[3];
};

void Widen(RawBounds* bounds, const LasPoint& p) {
    const int32_t values[3] = {p.x, p.y, p.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (values[axis] < bounds->minimum[axis]) bounds->minimum[axis] = values[axis];
        if (values[axis] > bounds->maximum[axis]) bounds->maximum[axis] = values[axis];
    }
}

void Refuse(const wchar_t* path, const wchar_t* reason, wchar_t* error) {
    swprintf(error, kLidoraErrorChars, L"%ls:\n%ls", path, reason);
}

// Reads every point with its raw integers into the cloud and finds their bounds.
bool ReadPoints(LasFile* file, LidoraCloud* cloud, RawBounds* bounds, wchar_t* reason) {
    std::vector<LasPoint> batch(kBatchPoints);
    *bounds = {{INT32_MAX, INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN, INT32_MIN}};
    int64_t at = 0;
    while (at < cloud->count) {
        int64_t left = cloud->count - at;
        uint32_t want = left < kBatchPoints ? static_cast<uint32_t>(left) : kBatchPoints;
        int64_t read = LasReadPoints(file, batch.data(), want, reason, kLasErrorChars);
        if (read < 0) return false;
        if (read == 0) {
            swprintf(reason, kLasErrorChars, L"The file ends after %lld of its %lld points.",
                     static_cast<long long>(at), static_cast<long long>(cloud->count));
            return false;
        }
        for (int64_t i = 0; i < read; ++i, ++at) {
            const LasPoint& p = batch[static_cast<size_t>(i)];
            Widen(bounds, p);
            cloud->points[at] = {p.x, p.y, p.z};
            cloud->classes[at] = p.classification;
            cloud->intensities[at] = p.intensity;
            unsigned short* rgb = cloud->colours + 3 * at;
            rgb[0] = p.red;
            rgb[1] = p.green;
            rgb[2] = p.blue;
        }
    }
    return true;
}

void ConvertToCommonScale(LidoraCloud* cloud, const CommonScale& common) {
    cloud->divisor = common.divisor;
    for (int axis = 0; axis < 3; ++axis) cloud->offset[axis] = common.offset[axis];
    bool identity = common.exact;
    for (int axis = 0; axis < 3; ++axis)
        identity = identity && common.multiplier[axis] == 1 && common.shift[axis] == 0;
    if (identity) return;
    for (int64_t i = 0; i < cloud->count; ++i) {
        Point3Di& p = cloud->points[i];
        p.x = CommonScaleApply(common, 0, p.x);
        p.y = CommonScaleApply(common, 1, p.y);
        p.z = CommonScaleApply(common, 2, p.z);
    }
}

} // namespace

int LasImport(const wchar_t* path, LidoraCloud* cloud, wchar_t* error) {
    *cloud = LidoraCloud{};
    wchar_t reason[kLidoraErrorChars];
    LasFile file{};
    if (!LasOpen(&file, path, reason, kLasErrorChars)) {
        Refuse(path, reason, error);
        return 0;
    }
    const LasHeader header = file.header; // a copy: closing the file clears its record
    if (header.pointCount == 0) {
        LasClose(&file);
        Refuse(path, L"The file holds no points.", error);
        return 0;
    }
    if (header.pointCount > static_cast<uint64_t>(kLidoraMaxPoints) ||
        !CloudAllocate(cloud, static_cast<int64_t>(header.pointCount), reason)) {
        if (header.pointCount > static_cast<uint64_t>(kLidoraMaxPoints))
            swprintf(reason, kLidoraErrorChars,
                     L"The file holds %llu points, more than Lidora can hold (at most %lld).",
                     static_cast<unsigned long long>(header.pointCount),
                     static_cast<long long>(kLidoraMaxPoints));
        LasClose(&file);
        Refuse(path, reason, error);
        return 0;
    }
    RawBounds bounds{};
    bool read = ReadPoints(&file, cloud, &bounds, reason);
    LasClose(&file);
    CommonScale common{};
    if (!read || !CommonScaleFind(header.scale, header.offset, bounds.minimum, bounds.maximum, &common,
                                  reason, kLidoraErrorChars)) {
        CloudFree(cloud);
        Refuse(path, reason, error);
        return 0;
    }
    ConvertToCommonScale(cloud, common);
    return 1;
}
