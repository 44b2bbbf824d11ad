// Real LAS files from other writers: the header as their documentation states it, and facts about the
// points that were established independently from the files' bytes.
#include "las_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace {

struct SampleCase {
    const wchar_t* file;
    int versionMinor;
    int pointFormat;
    int recordLength;
    uint64_t pointCount;
    uint32_t vlrCount;
    const char* generatingSoftware;
    std::map<int, uint64_t> classes; // classification -> points
    LasPoint first;                  // every field of the first record
};

LasPoint First(int32_t x, int32_t y, int32_t z, uint16_t intensity, uint8_t classification, uint8_t flags,
               int16_t scanAngle, uint8_t userData, uint16_t sourceId, double gpsTime, uint16_t red = 0,
               uint16_t green = 0, uint16_t blue = 0) {
    LasPoint p = {};
    p.x = x, p.y = y, p.z = z, p.intensity = intensity, p.returnNumber = 1, p.numberOfReturns = 1;
    p.classification = classification, p.classFlags = flags, p.scanAngle = scanAngle, p.userData = userData;
    p.pointSourceId = sourceId, p.gpsTime = gpsTime, p.red = red, p.green = green, p.blue = blue;
    return p;
}

const SampleCase kSamples[] = {
    {L"simple.las",
     2,
     3,
     34,
     1065,
     0,
     "TerraScan",
     {{1, 789}, {2, 276}},
     First(63701224, 84902831, 43166, 143, 1, 0, -9, 132, 7326, 245380.78254962614, 68, 77, 88)},
    {L"vegetation_1_3.las",
     3,
     1,
     28,
     10683,
     0,
     "RS Survey                       ",
     {{11, 10683}},
     First(-13688, 18447, -1594, 3341, 11, 0, 0, 0, 1, 552885.317758789)},
    // Every point of this file carries the overlap flag (bit 3 of the flags).
    {L"test1_4.las",
     4,
     6,
     30,
     1000,
     2,
     "Global Mapper",
     {{2, 1000}},
     First(1726072618, -860129774, -1746345863, 41, 2, 8, 3005, 0, 202, 83177420.53400505)},
};

void PrintTo(const SampleCase& sample, std::ostream* out) {
    *out << lastest::Narrow(sample.file);
}

class SampleFile : public testing::TestWithParam<SampleCase> {
protected:
    void SetUp() override {
        std::string where;
        std::wstring folder = lastest::SampleFolder(&where);
        ASSERT_FALSE(folder.empty()) << where;
        read = lastest::ReadLas(folder + L"\\" + GetParam().file, 333);
        ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
        path = folder + L"\\" + GetParam().file;
    }
    std::wstring path;
    lastest::ReadResult read;
};

TEST_P(SampleFile, HeaderMatchesTheFilesDocumentation) {
    const SampleCase& sample = GetParam();
    const LasHeader& h = read.header;
    EXPECT_EQ(1, h.versionMajor);
    EXPECT_EQ(sample.versionMinor, h.versionMinor);
    EXPECT_EQ(sample.pointFormat, h.pointFormat);
    EXPECT_EQ(sample.recordLength, h.recordLength);
    EXPECT_EQ(sample.recordLength, h.standardLength) << "none of the samples has extra bytes";
    EXPECT_EQ(sample.pointCount, h.pointCount);
    EXPECT_EQ(sample.vlrCount, h.vlrCount);
    EXPECT_STREQ(sample.generatingSoftware, h.generatingSoftware);
}

TEST_P(SampleFile, EveryPointIsReadAndLiesWithinTheHeadersBounds) {
    const LasHeader& h = read.header;
    ASSERT_EQ(GetParam().pointCount, read.points.size());
    double low[3] = {1e300, 1e300, 1e300}, high[3] = {-1e300, -1e300, -1e300};
    for (const LasPoint& p : read.points) {
        const int32_t values[3] = {p.x, p.y, p.z};
        for (int axis = 0; axis < 3; ++axis) {
            double c = LasCoordinate(h, values[axis], axis);
            low[axis] = c < low[axis] ? c : low[axis];
            high[axis] = c > high[axis] ? c : high[axis];
        }
    }
    // The writers rounded their bounds; one scale step is the tolerance.
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(h.minimum[axis], low[axis], h.scale[axis]) << "axis " << axis;
        EXPECT_NEAR(h.maximum[axis], high[axis], h.scale[axis]) << "axis " << axis;
        EXPECT_GE(low[axis], h.minimum[axis] - h.scale[axis]);
        EXPECT_LE(high[axis], h.maximum[axis] + h.scale[axis]);
    }
}

TEST_P(SampleFile, ReturnNumbersAddUpToTheHeadersPerReturnCounts) {
    lastest::RawCounts raw;
    ASSERT_TRUE(lastest::ReadRawCounts(path, &raw));
    std::vector<uint64_t> histogram = lastest::ReturnHistogram(read.points);
    uint64_t sum = 0;
    for (int r = 0; r < 15; ++r) {
        sum += histogram[r];
        uint64_t stated =
            GetParam().versionMinor >= 4 ? raw.returns64[r] : (r < 5 ? raw.legacyReturns[r] : 0);
        EXPECT_EQ(stated, histogram[r]) << "return " << r + 1;
    }
    EXPECT_EQ(GetParam().pointCount, sum) << "every point has a return number from 1 to 15";
    for (const LasPoint& p : read.points) ASSERT_LE(p.returnNumber, p.numberOfReturns);
}

TEST_P(SampleFile, ClassesAndTheFirstRecordDecodeToTheirBytes) {
    std::map<int, uint64_t> classes;
    for (const LasPoint& p : read.points) ++classes[p.classification];
    EXPECT_EQ(GetParam().classes, classes);
    lastest::ExpectSamePoint(GetParam().first, read.points.at(0), 0);
}

INSTANTIATE_TEST_SUITE_P(Las, SampleFile, testing::ValuesIn(kSamples), [](const auto& info) {
    std::string name = lastest::Narrow(info.param.file);
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

} // namespace
