// Measures the reader on a generated file of ten million points (the size the engine's conversion is
// judged on): writes it once with the writer, then reads it whole in batches and reports points per
// second. Usage: las_read_benchmark [file] [points] [format]; the file is kept for further runs.
#include "las_reader.h"
#include "las_writer.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

namespace {

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency) {
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteSample(const wchar_t* path, uint64_t count, int format) {
    LasWriteOptions options = {};
    options.versionMinor = 4;
    options.pointFormat = static_cast<uint8_t>(format);
    for (int axis = 0; axis < 3; ++axis) options.scale[axis] = 0.001;
    LasWriter writer;
    wchar_t error[kLasErrorChars] = L"";
    if (!LasCreate(&writer, path, options, error, kLasErrorChars)) {
        fwprintf(stderr, L"%ls\n", error);
        return false;
    }
    std::vector<LasPoint> batch(65536);
    for (uint64_t done = 0; done < count;) {
        uint32_t n = static_cast<uint32_t>(count - done < batch.size() ? count - done : batch.size());
        for (uint32_t i = 0; i < n; ++i) {
            uint64_t k = done + i;
            LasPoint& p = batch[i];
            p.x = static_cast<int32_t>(k % 100000), p.y = static_cast<int32_t>(k / 100000),
            p.z = static_cast<int32_t>(k % 977);
            p.intensity = static_cast<uint16_t>(k), p.returnNumber = 1 + k % 3, p.numberOfReturns = 3;
            p.classification = static_cast<uint8_t>(k % 20), p.gpsTime = k * 1e-5;
            p.red = p.green = p.blue = static_cast<uint16_t>(k * 7);
        }
        if (!LasWritePoints(&writer, batch.data(), n)) break;
        done += n;
    }
    return LasFinish(&writer) != 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* path = argc > 1 ? argv[1] : L"las_read_benchmark.las";
    uint64_t count = argc > 2 ? _wcstoui64(argv[2], nullptr, 10) : 10000000;
    int format = argc > 3 ? _wtoi(argv[3]) : 7;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);

    LasFile file;
    wchar_t error[kLasErrorChars] = L"";
    if (!LasOpen(&file, path, error, kLasErrorChars) || file.header.pointCount != count ||
        file.header.pointFormat != format) {
        LasClose(&file);
        QueryPerformanceCounter(&start);
        if (!WriteSample(path, count, format)) return 1;
        QueryPerformanceCounter(&end);
        wprintf(L"wrote %llu points in %.2f s\n", static_cast<unsigned long long>(count),
                Seconds(start, end, frequency));
        if (!LasOpen(&file, path, error, kLasErrorChars)) {
            fwprintf(stderr, L"%ls\n", error);
            return 1;
        }
    }
    std::vector<LasPoint> points(1 << 20);
    uint64_t total = 0, checksum = 0;
    QueryPerformanceCounter(&start);
    for (;;) {
        int64_t got =
            LasReadPoints(&file, points.data(), static_cast<uint32_t>(points.size()), error, kLasErrorChars);
        if (got < 0) {
            fwprintf(stderr, L"%ls\n", error);
            return 1;
        }
        if (got == 0) break;
        for (int64_t i = 0; i < got; ++i)
            checksum += static_cast<uint32_t>(points[i].x) + points[i].classification;
        total += static_cast<uint64_t>(got);
    }
    QueryPerformanceCounter(&end);
    LasClose(&file);
    double seconds = Seconds(start, end, frequency);
    wprintf(L"read %llu points of format %d in %.3f s: %.1f million points per second (checksum %llu)\n",
            static_cast<unsigned long long>(total), format, seconds, total / seconds / 1e6,
            static_cast<unsigned long long>(checksum));
    return total == count ? 0 : 1;
}
