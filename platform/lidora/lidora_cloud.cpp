#include "lidora_cloud.h"

#include <windows.h>

#include <stdio.h>

namespace {

// Large arrays come straight from the system: zeroed, and returned whole when the cloud goes.
void* Reserve(size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void Release(void* block) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

} // namespace

int CloudAllocate(LidoraCloud* cloud, int64_t count, wchar_t* error) {
    *cloud = LidoraCloud{};
    if (count < 1 || count > kLidoraMaxPoints) {
        swprintf(error, kLidoraErrorChars,
                 L"%lld points are more than Lidora can hold (at most 2,147,483,647).",
                 static_cast<long long>(count));
        return 0;
    }
    size_t n = static_cast<size_t>(count);
    cloud->points = static_cast<Point3Di*>(Reserve(n * sizeof(Point3Di)));
    cloud->classes = static_cast<unsigned char*>(Reserve(n));
    cloud->intensities = static_cast<unsigned short*>(Reserve(n * sizeof(unsigned short)));
    cloud->colours = static_cast<unsigned short*>(Reserve(n * 3 * sizeof(unsigned short)));
    if (!cloud->points || !cloud->classes || !cloud->intensities || !cloud->colours) {
        CloudFree(cloud);
        swprintf(error, kLidoraErrorChars, L"There is not enough memory for %lld points (%.1f MB).",
                 static_cast<long long>(count), count * 21.0 / (1024 * 1024));
        return 0;
    }
    cloud->count = count;
    cloud->divisor = 1;
    return 1;
}

void CloudFree(LidoraCloud* cloud) {
    Release(cloud->points);
    Release(cloud->classes);
    Release(cloud->intensities);
    Release(cloud->colours);
    *cloud = LidoraCloud{};
}

double CloudCoordinate(const LidoraCloud& cloud, int64_t index, int axis) {
    const Point3Di& p = cloud.points[index];
    int32_t value = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
    return static_cast<double>(value) / cloud.divisor + cloud.offset[axis];
}
