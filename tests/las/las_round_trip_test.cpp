// Files written by the writer read back point for point, in every version and format the writer
// accepts, with and without extra bytes and records around the points.
#include "las_test_support.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct RoundTripCase {
    int versionMinor;
    int pointFormat;
    uint16_t extraBytes;
    uint32_t vlrCount;
    uint32_t evlrCount;
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << "1." << c.versionMinor << " format " << c.pointFormat << " extra " << c.extraBytes << " vlr "
         << c.vlrCount << " evlr " << c.evlrCount;
}

// Every version with every format it can hold, once bare and once with extra bytes and records.
std::vector<RoundTripCase> AllCases() {
    std::vector<RoundTripCase> cases;
    for (int minor = 0; minor <= 4; ++minor) {
        for (int format = 0; format <= 10; ++format) {
            if (format >= 6 && minor < 4) continue;
            cases.push_back({minor, format, 0, 0, 0});
            cases.push_back({minor, format, static_cast<uint16_t>(3 + format), 3, minor == 4 ? 2u : 0u});
        }
    }
    return cases;
}

class RoundTrip : public testing::TestWithParam<RoundTripCase> {
protected:
    static constexpr uint32_t kPoints = 500;

    void SetUp() override {
        const RoundTripCase& c = GetParam();
        options = lastest::Options(c.versionMinor, c.pointFormat);
        options.extraBytes = c.extraBytes;
        options.vlrCount = c.vlrCount;
        options.evlrCount = c.evlrCount;
        written = lastest::GeneratePoints(kPoints, c.versionMinor * 11 + c.pointFormat);
        path = lastest::Scratch() + L"\\points.las";
        ASSERT_EQ(L"", lastest::WriteLas(path, options, written));
        read = lastest::ReadLas(path, 97);
        ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
    }

    LasWriteOptions options = {};
    std::vector<LasPoint> written;
    std::wstring path;
    lastest::ReadResult read;
};

TEST_P(RoundTrip, PointsReadBackAsTheFormatStoresThem) {
    ASSERT_EQ(written.size(), read.points.size());
    for (size_t i = 0; i < written.size(); ++i) {
        lastest::ExpectSamePoint(lastest::AsStoredIn(written[i], GetParam().pointFormat), read.points[i], i);
        if (HasFailure()) return;
    }
}

TEST_P(RoundTrip, HeaderDescribesTheFile) {
    const RoundTripCase& c = GetParam();
    const LasHeader& h = read.header;
    EXPECT_EQ(1, h.versionMajor);
    EXPECT_EQ(c.versionMinor, h.versionMinor);
    EXPECT_EQ(c.pointFormat, h.pointFormat);
    EXPECT_EQ(h.standardLength + c.extraBytes, h.recordLength);
    EXPECT_EQ(kPoints, h.pointCount);
    EXPECT_EQ(c.vlrCount, h.vlrCount);
    EXPECT_EQ(c.evlrCount, h.evlrCount);
    if (c.evlrCount > 0)
        EXPECT_EQ(h.pointDataOffset + uint64_t{kPoints} * h.recordLength, h.evlrOffset);
    else
        EXPECT_EQ(0u, h.evlrOffset);
    const bool gps[11] = {0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1}, rgb[11] = {0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1};
    EXPECT_EQ(gps[c.pointFormat], h.hasGpsTime);
    EXPECT_EQ(rgb[c.pointFormat], h.hasRgb);
    EXPECT_EQ(c.pointFormat == 8 || c.pointFormat == 10, h.hasNir);
    EXPECT_STREQ("Nimbo LAS writer", h.generatingSoftware);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(options.scale[axis], h.scale[axis]);
        EXPECT_EQ(options.offset[axis], h.offset[axis]);
        // The generated points include both ends of the integer range on X and Y.
        int32_t low = INT32_MAX, high = INT32_MIN;
        for (const LasPoint& p : written) {
            int32_t v = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
            low = v < low ? v : low;
            high = v > high ? v : high;
        }
        EXPECT_EQ(LasCoordinate(h, low, axis), h.minimum[axis]) << "axis " << axis;
        EXPECT_EQ(LasCoordinate(h, high, axis), h.maximum[axis]) << "axis " << axis;
    }
}

TEST_P(RoundTrip, LegacyAnd64BitCountsFollowTheVersionAndFormat) {
    const RoundTripCase& c = GetParam();
    lastest::RawCounts raw;
    ASSERT_TRUE(lastest::ReadRawCounts(path, &raw));
    std::vector<uint64_t> histogram = lastest::ReturnHistogram(read.points);
    // LAS 1.4 leaves the legacy fields 0 for formats 6 to 10; everything else keeps them.
    bool legacy = c.pointFormat < 6;
    EXPECT_EQ(legacy ? kPoints : 0u, raw.legacyCount);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(legacy ? histogram[r] : 0u, raw.legacyReturns[r]) << "return " << r + 1;
    if (c.versionMinor == 4) {
        EXPECT_EQ(kPoints, raw.count64);
        for (int r = 0; r < 15; ++r) EXPECT_EQ(histogram[r], raw.returns64[r]) << "return " << r + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Las, RoundTrip, testing::ValuesIn(AllCases()), [](const auto& info) {
    const RoundTripCase& c = info.param;
    return "v1" + std::to_string(c.versionMinor) + "_format" + std::to_string(c.pointFormat) +
           (c.extraBytes ? "_extra_records" : "");
});

// More points than the read buffer holds, read in uneven batches and from a sought position.
TEST(LasReader, LargeFileReadsInBatchesAndSeeks) {
    const uint32_t count = 120000; // about 8 MB in format 10, several read buffers
    std::vector<LasPoint> points = lastest::GeneratePoints(count, 7);
    LasWriteOptions options = lastest::Options(4, 10);
    options.extraBytes = 5;
    std::wstring path = lastest::Scratch() + L"\\large.las";
    ASSERT_EQ(L"", lastest::WriteLas(path, options, points));

    lastest::ReadResult read = lastest::ReadLas(path, 7777);
    ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
    ASSERT_EQ(count, read.points.size());
    for (uint32_t i = 0; i < count; i += 997)
        lastest::ExpectSamePoint(lastest::AsStoredIn(points[i], 10), read.points[i], i);
    lastest::ExpectSamePoint(lastest::AsStoredIn(points[count - 1], 10), read.points[count - 1], count - 1);

    LasFile file;
    wchar_t error[kLasErrorChars] = L"";
    ASSERT_EQ(1, LasOpen(&file, path.c_str(), error, kLasErrorChars)) << lastest::Narrow(error);
    std::vector<LasPoint> batch(count);
    ASSERT_EQ(1, LasSeekPoint(&file, 65432));
    EXPECT_EQ(3, LasReadPoints(&file, batch.data(), 3, error, kLasErrorChars));
    lastest::ExpectSamePoint(read.points[65434], batch[2], 65434);
    // One call may ask for far more than the buffer holds.
    ASSERT_EQ(1, LasSeekPoint(&file, 1));
    EXPECT_EQ(count - 1, LasReadPoints(&file, batch.data(), count, error, kLasErrorChars));
    lastest::ExpectSamePoint(read.points[count - 1], batch[count - 2], count - 1);
    EXPECT_EQ(0, LasReadPoints(&file, batch.data(), count, error, kLasErrorChars)) << "at the end";
    EXPECT_EQ(1, LasSeekPoint(&file, count)) << "the end is a valid position";
    EXPECT_EQ(0, LasSeekPoint(&file, count + 1));
    EXPECT_EQ(count, file.nextPoint) << "a refused seek keeps the position";
    LasClose(&file);
    LasClose(&file); // a closed file is ignored
    EXPECT_EQ(-1, LasReadPoints(&file, batch.data(), 1, error, kLasErrorChars));
    EXPECT_STREQ(L"The LAS file is not open", error);
}

// Formats 0 to 5 keep whole degrees in one signed byte; larger angles are held at its ends, and the
// return fields lose the bits they cannot hold, in the header's counts too.
TEST(LasWriter, LegacyFormatsClampScanAnglesAndMaskReturns) {
    std::vector<LasPoint> points = lastest::GeneratePoints(3, 1);
    points[0].scanAngle = 3000, points[0].returnNumber = 9;  // stored as return 1
    points[1].scanAngle = -3000, points[1].returnNumber = 8; // stored as return 0, counted nowhere
    points[2].scanAngle = -90, points[2].returnNumber = 7;
    std::wstring path = lastest::Scratch() + L"\\legacy.las";
    ASSERT_EQ(L"", lastest::WriteLas(path, lastest::Options(2, 1), points));
    lastest::ReadResult read = lastest::ReadLas(path);
    ASSERT_EQ(3u, read.points.size()) << lastest::Narrow(read.error);
    EXPECT_EQ(127, read.points[0].scanAngle);
    EXPECT_EQ(-128, read.points[1].scanAngle);
    EXPECT_EQ(-90, read.points[2].scanAngle);
    EXPECT_EQ(1, read.points[0].returnNumber);
    EXPECT_EQ(0, read.points[1].returnNumber);
    lastest::RawCounts raw;
    ASSERT_TRUE(lastest::ReadRawCounts(path, &raw));
    EXPECT_EQ(1u, raw.legacyReturns[0]);
    EXPECT_EQ(0u, raw.legacyReturns[1]);
    EXPECT_EQ(3u, raw.legacyCount);
}

TEST(LasWriter, EmptyFileHasZeroCountsAndBounds) {
    std::wstring path = lastest::Scratch() + L"\\empty.las";
    ASSERT_EQ(L"", lastest::WriteLas(path, lastest::Options(4, 7), {}));
    lastest::ReadResult read = lastest::ReadLas(path);
    ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
    EXPECT_EQ(0u, read.header.pointCount);
    EXPECT_TRUE(read.points.empty());
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_EQ(0.0, read.header.minimum[axis] + read.header.maximum[axis]);
}

// LAS 1.0 puts a two-byte signature between its records and the points.
TEST(LasWriter, Version10WritesThePointDataStartSignature) {
    std::wstring path = lastest::Scratch() + L"\\v10.las";
    LasWriteOptions options = lastest::Options(0, 0);
    options.vlrCount = 1;
    ASSERT_EQ(L"", lastest::WriteLas(path, options, lastest::GeneratePoints(2, 3)));
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    ASSERT_EQ(227u + 54 + 2 + 2 * 20, bytes.size());
    EXPECT_EQ('\xDD', bytes[227 + 54]);
    EXPECT_EQ('\xCC', bytes[227 + 54 + 1]);
}

struct BadOptionsCase {
    int versionMinor;
    int pointFormat;
    double scaleY;
    uint32_t evlrCount;
    uint16_t extraBytes;
    const wchar_t* error;
};

const BadOptionsCase kBadOptions[] = {
    {3, 6, 0.01, 0, 0, L"Point format 6 needs LAS version 1.4"},
    {2, 10, 0.01, 0, 0, L"Point format 10 needs LAS version 1.4"},
    {5, 0, 0.01, 0, 0, L"Unknown LAS version 1.5"},
    {4, 11, 0.01, 0, 0, L"Unknown LAS point format 11"},
    {3, 1, 0.01, 1, 0, L"Extended variable-length records need LAS version 1.4"},
    {4, 1, 0.0, 0, 0,
     L"The Y scale must be a finite number other than zero and the Y offset a finite number"},
    {4, 10, 0.01, 0, 65500, L"A record of 65567 bytes is longer than LAS allows (65535)"},
};

TEST(LasWriter, RefusesOptionsThatMakeNoValidFile) {
    std::wstring folder = lastest::Scratch();
    for (const BadOptionsCase& c : kBadOptions) {
        SCOPED_TRACE(lastest::Narrow(c.error));
        LasWriteOptions options = lastest::Options(c.versionMinor, c.pointFormat);
        options.scale[1] = c.scaleY;
        options.evlrCount = c.evlrCount;
        options.extraBytes = c.extraBytes;
        std::wstring path = folder + L"\\refused.las";
        LasWriter writer;
        wchar_t error[kLasErrorChars] = L"";
        EXPECT_EQ(0, LasCreate(&writer, path.c_str(), options, error, kLasErrorChars));
        EXPECT_STREQ(c.error, error);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "no file is left behind";
        EXPECT_EQ(0, LasWritePoints(&writer, nullptr, 0));
        EXPECT_EQ(0, LasFinish(&writer));
    }
}

TEST(LasWriter, ReportsAFileThatCannotBeCreated) {
    std::wstring path = lastest::Scratch() + L"\\missing\\points.las";
    LasWriter writer;
    wchar_t error[kLasErrorChars] = L"";
    EXPECT_EQ(0, LasCreate(&writer, path.c_str(), lastest::Options(2, 0), error, kLasErrorChars));
    EXPECT_STREQ(L"Cannot create the file (system error 3)", error);
}

} // namespace
