#include "las_test_support.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <ctype.h>
#include <string.h>

namespace lastest {
namespace {

std::wstring WindowsPathOfUnix(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

// A small deterministic generator, so that failures repeat.
struct Random {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
};

uint64_t LoadU64(const std::string& bytes, size_t at) {
    uint64_t value = 0;
    memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}
uint32_t LoadU32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

} // namespace

std::wstring Scratch() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("las_") + test->test_suite_name() + "_" + test->name();
    std::wstring folder;
    for (char c : name) folder += isalnum(static_cast<unsigned char>(c)) ? static_cast<wchar_t>(c) : L'_';
    return testenv::ScratchFolder(folder);
}

std::wstring SampleFolder(std::string* where) {
    // The samples lie beside the repository's checkout, which is either the main one or a worktree
    // one folder further down.
    const std::string source = NIMBO_SOURCE_DIR_UNIX;
    const std::string candidates[] = {source + "/../shared/data/las", source + "/../../shared/data/las"};
    std::string tried;
    for (const std::string& candidate : candidates) {
        std::wstring folder = WindowsPathOfUnix(candidate);
        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
        tried += (tried.empty() ? "" : ", ") + candidate;
    }
    if (where) *where = "the sample LAS folder is missing; looked in " + tried;
    return {};
}

std::vector<LasPoint> GeneratePoints(uint32_t count, uint32_t seed) {
    Random random{seed * 2654435761ull + 1};
    std::vector<LasPoint> points(count);
    for (uint32_t i = 0; i < count; ++i) {
        LasPoint& p = points[i];
        p.x = static_cast<int32_t>(random.Next());
        p.y = static_cast<int32_t>(random.Next());
        p.z = static_cast<int32_t>(random.Next());
        p.intensity = static_cast<uint16_t>(random.Next());
        p.returnNumber = static_cast<uint8_t>(1 + random.Next() % 15);
        p.numberOfReturns = static_cast<uint8_t>(random.Next() % 16);
        p.classification = static_cast<uint8_t>(random.Next());
        p.classFlags = static_cast<uint8_t>(random.Next() % 16);
        p.userData = static_cast<uint8_t>(random.Next());
        p.pointSourceId = static_cast<uint16_t>(random.Next());
        // Whole degrees within what formats 0 to 5 hold, so that both families keep the value.
        p.scanAngle = static_cast<int16_t>(static_cast<int>(random.Next() % 256) - 128);
        p.gpsTime = random.Next() * 0.001 + i;
        p.red = static_cast<uint16_t>(random.Next());
        p.green = static_cast<uint16_t>(random.Next());
        p.blue = static_cast<uint16_t>(random.Next());
        p.nir = static_cast<uint16_t>(random.Next());
    }
    // The extremes of the integer range must survive too.
    if (count >= 2) {
        points[0].x = INT32_MIN, points[0].y = INT32_MAX, points[0].z = 0;
        points[1].x = INT32_MAX, points[1].y = INT32_MIN, points[1].z = -1;
    }
    return points;
}

LasPoint AsStoredIn(const LasPoint& point, int format) {
    static const bool kGps[11] = {0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1};
    static const bool kRgb[11] = {0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1};
    static const bool kNir[11] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1};
    LasPoint stored = point;
    bool extended = format >= 6;
    stored.returnNumber = point.returnNumber & (extended ? 0x0F : 0x07);
    stored.numberOfReturns = point.numberOfReturns & (extended ? 0x0F : 0x07);
    stored.classification = point.classification & (extended ? 0xFF : 0x1F);
    stored.classFlags = point.classFlags & (extended ? 0x0F : 0x07);
    if (!kGps[format]) stored.gpsTime = 0;
    if (!kRgb[format]) stored.red = stored.green = stored.blue = 0;
    if (!kNir[format]) stored.nir = 0;
    return stored;
}

std::wstring WriteLas(const std::wstring& path, const LasWriteOptions& options,
                      const std::vector<LasPoint>& points) {
    LasWriter writer;
    wchar_t error[kLasErrorChars] = L"";
    if (!LasCreate(&writer, path.c_str(), options, error, kLasErrorChars))
        return error[0] ? error : L"(no text)";
    // Uneven pieces exercise the writer's buffering.
    size_t done = 0;
    while (done < points.size()) {
        uint32_t piece = static_cast<uint32_t>(points.size() - done < 1000 ? points.size() - done : 1000);
        if (!LasWritePoints(&writer, points.data() + done, piece)) {
            LasFinish(&writer);
            return L"LasWritePoints failed";
        }
        done += piece;
    }
    if (!LasFinish(&writer)) return L"LasFinish failed";
    return {};
}

ReadResult ReadLas(const std::wstring& path, uint32_t batchSize) {
    ReadResult result;
    LasFile file;
    wchar_t error[kLasErrorChars] = L"";
    if (!LasOpen(&file, path.c_str(), error, kLasErrorChars)) {
        result.error = error[0] ? error : L"(open failed without a text)";
        return result;
    }
    result.header = file.header;
    std::vector<LasPoint> batch(batchSize);
    for (;;) {
        int64_t got = LasReadPoints(&file, batch.data(), batchSize, error, kLasErrorChars);
        if (got < 0) {
            result.error = error[0] ? error : L"(read failed without a text)";
            break;
        }
        if (got == 0) break;
        result.points.insert(result.points.end(), batch.begin(), batch.begin() + got);
    }
    LasClose(&file);
    return result;
}

bool ReadRawCounts(const std::wstring& path, RawCounts* counts) {
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes) || bytes.size() < 227) return false;
    *counts = RawCounts();
    counts->legacyCount = LoadU32(bytes, 107);
    for (int r = 0; r < 5; ++r) counts->legacyReturns[r] = LoadU32(bytes, 111 + 4 * r);
    if (bytes[25] >= 4 && bytes.size() >= 375) {
        counts->count64 = LoadU64(bytes, 247);
        for (int r = 0; r < 15; ++r) counts->returns64[r] = LoadU64(bytes, 255 + 8 * r);
    }
    return true;
}

std::vector<uint64_t> ReturnHistogram(const std::vector<LasPoint>& points) {
    std::vector<uint64_t> histogram(15, 0);
    for (const LasPoint& p : points)
        if (p.returnNumber >= 1 && p.returnNumber <= 15) ++histogram[p.returnNumber - 1];
    return histogram;
}

void ExpectSamePoint(const LasPoint& want, const LasPoint& got, size_t index) {
    SCOPED_TRACE("point " + std::to_string(index));
    EXPECT_EQ(want.x, got.x);
    EXPECT_EQ(want.y, got.y);
    EXPECT_EQ(want.z, got.z);
    EXPECT_EQ(want.intensity, got.intensity);
    EXPECT_EQ(want.returnNumber, got.returnNumber);
    EXPECT_EQ(want.numberOfReturns, got.numberOfReturns);
    EXPECT_EQ(want.classification, got.classification);
    EXPECT_EQ(want.classFlags, got.classFlags);
    EXPECT_EQ(want.userData, got.userData);
    EXPECT_EQ(want.pointSourceId, got.pointSourceId);
    EXPECT_EQ(want.scanAngle, got.scanAngle);
    EXPECT_EQ(want.gpsTime, got.gpsTime);
    EXPECT_EQ(want.red, got.red);
    EXPECT_EQ(want.green, got.green);
    EXPECT_EQ(want.blue, got.blue);
    EXPECT_EQ(want.nir, got.nir);
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

LasWriteOptions Options(int minor, int format) {
    LasWriteOptions options = {};
    options.versionMinor = static_cast<uint8_t>(minor);
    options.pointFormat = static_cast<uint8_t>(format);
    for (int axis = 0; axis < 3; ++axis) {
        options.scale[axis] = 0.001 * (axis + 1);
        options.offset[axis] = 1000.0 * (axis + 1) - 0.5;
    }
    return options;
}

} // namespace lastest
