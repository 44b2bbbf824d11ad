// The common scale of three axes, the generated scene and the key-in arguments.
#include <gtest/gtest.h>

#include <math.h>

#include <string>

#include "command_arguments.h"
#include "common_scale.h"
#include "lidora_cloud.h"
#include "scene_generator.h"

namespace {

std::string Narrow(const wchar_t* text) {
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text < 128 ? *text : '?');
    return s;
}

} // namespace

TEST(ScaleAsFraction, DecimalAndOtherScales) {
    struct Case {
        double scale;
        int ok;
        int64_t numerator, denominator;
    } cases[] = {
        {0.01, 1, 1, 100},
        {0.001, 1, 1, 1000},
        {0.0001, 1, 1, 10000},
        {1e-7, 1, 1, 10000000},
        {0.5, 1, 1, 2},
        {0.3, 1, 3, 10},
        {0.25, 1, 1, 4},
        {1.0 / 3.0, 1, 1, 3},
        {2.0, 1, 2, 1},
        {10.0, 1, 10, 1},
        {0.025, 1, 1, 40},
        {0.0, 0, 0, 0},
        {-0.01, 0, 0, 0},
        {INFINITY, 0, 0, 0},
        {NAN, 0, 0, 0},
        // The per-axis scales of test1_4.las: decimals of ten digits, fractions of huge denominators.
        {1.16451354e-06, 0, 0, 0},
        {1.003143236e-06, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int64_t numerator = -1, denominator = -1;
        EXPECT_EQ(ScaleAsFraction(c.scale, &numerator, &denominator), c.ok) << c.scale;
        if (!c.ok) continue;
        EXPECT_EQ(numerator, c.numerator) << c.scale;
        EXPECT_EQ(denominator, c.denominator) << c.scale;
    }
}

TEST(CommonScale, TheCoarsestScaleUnderWhichEveryAxisIsExact) {
    struct Case {
        double scale[3];
        int32_t divisor;
        int64_t multiplier[3];
    } cases[] = {
        {{0.01, 0.01, 0.01}, 100, {1, 1, 1}},     {{0.01, 0.01, 0.001}, 1000, {10, 10, 1}},
        {{0.001, 0.01, 0.1}, 1000, {1, 10, 100}}, {{0.3, 0.5, 0.01}, 100, {30, 50, 1}},
        {{1.0 / 3.0, 0.25, 0.5}, 12, {4, 3, 6}},  {{2.0, 1.0, 0.5}, 2, {4, 2, 1}},
    };
    const double offset[3] = {637000, 849000, -5.5};
    const int32_t low[3] = {-1000, 0, -20}, high[3] = {100000, 5000, 300};
    for (const Case& c : cases) {
        CommonScale common{};
        wchar_t error[512] = L"";
        ASSERT_EQ(CommonScaleFind(c.scale, offset, low, high, &common, error, 512), 1) << Narrow(error);
        EXPECT_EQ(common.divisor, c.divisor);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(common.multiplier[axis], c.multiplier[axis]) << axis;
            EXPECT_EQ(common.shift[axis], 0);
            EXPECT_EQ(common.offset[axis], offset[axis]); // nothing to move: offsets as they were
            // Every raw integer lands on the same coordinate.
            for (int32_t raw : {low[axis], 0, 7, high[axis]}) {
                double before = raw * c.scale[axis] + offset[axis];
                double after = static_cast<double>(CommonScaleApply(common, axis, raw)) / common.divisor +
                               common.offset[axis];
                EXPECT_NEAR(after, before, 1e-9 * (1 + fabs(before))) << raw;
            }
        }
    }
}

TEST(CommonScale, OffsetsMoveByWholeUnitsWhenTheFinerScaleLeaves32Bits) {
    // Raw x integers near the 32-bit limit at 0.01, and z at 0.001: x needs ten times the range.
    const double scale[3] = {0.01, 0.01, 0.001}, offset[3] = {0, 100, 0};
    const int32_t low[3] = {250000000, -1000, 0}, high[3] = {260000000, 1000, 1000};
    CommonScale common{};
    wchar_t error[512] = L"";
    ASSERT_EQ(CommonScaleFind(scale, offset, low, high, &common, error, 512), 1) << Narrow(error);
    EXPECT_EQ(common.divisor, 1000);
    EXPECT_NE(common.shift[0], 0);
    EXPECT_EQ(common.shift[0] % 1000, 0);
    EXPECT_EQ(common.offset[0], static_cast<double>(common.shift[0] / 1000));
    EXPECT_EQ(common.shift[1], 0);
    for (int32_t raw : {low[0], 255000000, high[0]}) {
        int64_t stored = static_cast<int64_t>(raw) * 10 - common.shift[0];
        ASSERT_GE(stored, INT32_MIN);
        ASSERT_LE(stored, INT32_MAX);
        EXPECT_EQ(CommonScaleApply(common, 0, raw), stored);
        double after = static_cast<double>(CommonScaleApply(common, 0, raw)) / 1000 + common.offset[0];
        EXPECT_NEAR(after, raw * 0.01, 1e-7);
    }
}

TEST(CommonScale, RefusedWithAReason) {
    struct Case {
        double scale[3];
        double offset[3];
        int32_t low[3], high[3];
        const wchar_t* reasonPart;
    } cases[] = {
        {{0.01, 0.0, 0.01}, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, L"positive"},
        {{0.01, 0.01, NAN}, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, L"positive"},
        {{0.01, 0.01, 0.01}, {0, INFINITY, 0}, {0, 0, 0}, {1, 1, 1}, L"offset"},
        // Whole units of 1000 over the full 32-bit range: not even n = 1 keeps them inside.
        {{1000, 0.01, 0.01}, {0, 0, 0}, {INT32_MIN, 0, 0}, {INT32_MAX, 1, 1}, L"span"},
    };
    for (const Case& c : cases) {
        CommonScale common{};
        common.divisor = 77;
        wchar_t error[512] = L"";
        EXPECT_EQ(CommonScaleFind(c.scale, c.offset, c.low, c.high, &common, error, 512), 0);
        EXPECT_NE(std::wstring(error).find(c.reasonPart), std::wstring::npos) << Narrow(error);
        EXPECT_EQ(common.divisor, 77); // untouched
    }
}

TEST(CommonScale, RoundsToTheFinestFittingScaleWhereNoneIsExact) {
    struct Case {
        double scale[3];
        double offset[3];
        int32_t low[3], high[3];
        int32_t divisor;
    } cases[] = {
        // test1_4.las: ten-digit scales that are no fraction of a small denominator; the finest axis decides.
        {{1.16451354e-06, 1.164510015e-06, 1.003143236e-06},
         {-0.5, 12.25, 3},
         {0, -400000, 1000},
         {800000, 400000, 900000},
         996867},
        // Denominators whose least common multiple passes 2^31.
        {{1.0 / 65521, 1.0 / 65519, 1.0 / 65497}, {0, 0, 0}, {0, 0, 0}, {1000, 1000, 1000}, 65521},
        // x spans the whole 32-bit range at 0.01; 0.001 would need ten times that: 1/99 is the finest that
        // fits.
        {{0.01, 0.01, 0.001}, {637000, 849000, 0}, {INT32_MIN, 0, 0}, {INT32_MAX, 1, 1}, 99},
    };
    for (const Case& c : cases) {
        CommonScale common{};
        wchar_t error[512] = L"";
        ASSERT_EQ(CommonScaleFind(c.scale, c.offset, c.low, c.high, &common, error, 512), 1) << Narrow(error);
        EXPECT_EQ(common.exact, 0);
        EXPECT_EQ(common.divisor, c.divisor);
        for (int axis = 0; axis < 3; ++axis) {
            int64_t mid = (static_cast<int64_t>(c.low[axis]) + c.high[axis]) / 2;
            for (int64_t raw : {static_cast<int64_t>(c.low[axis]), mid, static_cast<int64_t>(c.high[axis])}) {
                double want = static_cast<double>(raw) * c.scale[axis] + c.offset[axis];
                double got = static_cast<double>(CommonScaleApply(common, axis, static_cast<int32_t>(raw))) /
                                 common.divisor +
                             common.offset[axis];
                EXPECT_NEAR(got, want, 0.5 / common.divisor + 1e-9 * (1 + fabs(want))) << axis << " " << raw;
            }
        }
    }
}

TEST(Scene, SameCountSamePointsAndPrefixesOfLargerScenes) {
    LidoraCloud a{}, b{};
    wchar_t error[kLidoraErrorChars];
    ASSERT_EQ(SceneGenerate(20000, &a, error), 1);
    ASSERT_EQ(SceneGenerate(30000, &b, error), 1);
    EXPECT_EQ(a.divisor, 1000);
    EXPECT_EQ(a.offset[0], 637000.0);
    EXPECT_EQ(a.offset[1], 849000.0);
    EXPECT_EQ(a.offset[2], 100.0);
    EXPECT_EQ(memcmp(a.points, b.points, 20000 * sizeof(Point3Di)), 0);
    EXPECT_EQ(memcmp(a.classes, b.classes, 20000), 0);
    EXPECT_EQ(memcmp(a.intensities, b.intensities, 20000 * 2), 0);
    EXPECT_EQ(memcmp(a.colours, b.colours, 20000 * 6), 0);
    CloudFree(&a);
    CloudFree(&b);
    EXPECT_EQ(a.points, nullptr);
    EXPECT_EQ(a.count, 0);
}

TEST(Scene, GroundBuildingsAndTreesWhereAndAsTheyShouldBe) {
    const int64_t count = 200000;
    LidoraCloud cloud{};
    wchar_t error[kLidoraErrorChars];
    ASSERT_EQ(SceneGenerate(count, &cloud, error), 1);
    int64_t perClass[256] = {};
    double sumIntensity[256] = {};
    double lowest = 1e9, highest = -1e9;
    int64_t greenTreePoints = 0;
    for (int64_t i = 0; i < count; ++i) {
        int c = cloud.classes[i];
        ++perClass[c];
        sumIntensity[c] += cloud.intensities[i];
        double x = CloudCoordinate(cloud, i, 0), y = CloudCoordinate(cloud, i, 1),
               z = CloudCoordinate(cloud, i, 2);
        ASSERT_LE(fabs(x - 637000), 201.0) << i;
        ASSERT_LE(fabs(y - 849000), 201.0) << i;
        lowest = fmin(lowest, z);
        highest = fmax(highest, z);
        double ground = SceneGroundHeight(x, y);
        if (c == SceneGround) {
            ASSERT_NEAR(z, ground, 0.2) << i;
        } else {
            ASSERT_GT(z, ground - 0.6) << i; // houses and trees stand on the ground
        }
        const unsigned short* rgb = cloud.colours + 3 * i;
        ASSERT_TRUE(rgb[0] || rgb[1] || rgb[2]) << i;
        if (c == SceneTree && rgb[1] > rgb[0]) ++greenTreePoints;
    }
    EXPECT_EQ(perClass[SceneGround] + perClass[SceneBuilding] + perClass[SceneTree], count);
    EXPECT_NEAR(perClass[SceneGround] / double(count), 0.55, 0.01);
    EXPECT_NEAR(perClass[SceneBuilding] / double(count), 0.25, 0.01);
    EXPECT_NEAR(perClass[SceneTree] / double(count), 0.20, 0.01);
    // Roofs reflect more than grass, grass more than leaves.
    EXPECT_GT(sumIntensity[SceneBuilding] / perClass[SceneBuilding],
              sumIntensity[SceneGround] / perClass[SceneGround]);
    EXPECT_GT(sumIntensity[SceneGround] / perClass[SceneGround],
              sumIntensity[SceneTree] / perClass[SceneTree]);
    EXPECT_GT(greenTreePoints, perClass[SceneTree] * 9 / 10); // leaves are green, trunks brown
    EXPECT_GT(lowest, 90.0);
    EXPECT_LT(highest, 140.0);
    EXPECT_GT(highest - lowest, 15.0); // roofs rise well above the ground
    CloudFree(&cloud);
}

TEST(Scene, CountsOutsideWhatFitsAreRefused) {
    LidoraCloud cloud{};
    wchar_t error[kLidoraErrorChars] = L"";
    EXPECT_EQ(SceneGenerate(0, &cloud, error), 0);
    EXPECT_EQ(SceneGenerate(kLidoraMaxPoints + 1, &cloud, error), 0);
    EXPECT_NE(std::wstring(error).find(L"more than Lidora can hold"), std::wstring::npos);
    EXPECT_EQ(cloud.points, nullptr);
    ASSERT_EQ(SceneGenerate(1, &cloud, error), 1);
    EXPECT_EQ(cloud.count, 1);
    CloudFree(&cloud);
}

TEST(Arguments, PointCounts) {
    struct Case {
        const wchar_t* text;
        int ok;
        int64_t count;
    } cases[] = {
        {nullptr, 1, 1000000},
        {L"", 1, 1000000},
        {L"   ", 1, 1000000},
        {L"1000", 1, 1000},
        {L" 42 ", 1, 42},
        {L"1,000,000", 1, 1000000},
        {L"50_000_000", 1, 50000000},
        {L"2147483647", 1, 2147483647},
        {L"2147483648", 0, 0},
        {L"99999999999999999999", 0, 0},
        {L"0", 0, 0},
        {L"-5", 0, 0},
        {L"1e6", 0, 0},
        {L"ten", 0, 0},
        {L"1,,000", 0, 0},
        {L",1000", 0, 0},
        {L"1000,", 0, 0},
        {L"12 34", 0, 0},
    };
    for (const Case& c : cases) {
        int64_t count = -1;
        wchar_t error[kLidoraErrorChars] = L"";
        EXPECT_EQ(ArgumentPointCount(c.text, 1000000, &count, error), c.ok)
            << (c.text ? Narrow(c.text) : "null");
        if (c.ok)
            EXPECT_EQ(count, c.count);
        else
            EXPECT_NE(std::wstring(error).find(L"is not a point count"), std::wstring::npos);
    }
}

TEST(Arguments, Paths) {
    struct Case {
        const wchar_t* text;
        int ok;
        const wchar_t* path;
    } cases[] = {
        {nullptr, 0, L""},
        {L"", 0, L""},
        {L"  ", 0, L""},
        {L"C:\\data\\a.las", 1, L"C:\\data\\a.las"},
        {L"  C:\\my data\\a b.las  ", 1, L"C:\\my data\\a b.las"},
        {L"\"C:\\my data\\a.las\"", 1, L"C:\\my data\\a.las"},
        {L"\"\"", 0, L""},
    };
    for (const Case& c : cases) {
        wchar_t path[64];
        wchar_t error[kLidoraErrorChars] = L"";
        EXPECT_EQ(ArgumentPath(c.text, path, 64, error), c.ok);
        EXPECT_STREQ(path, c.path);
        EXPECT_STREQ(error, L"");
    }
    std::wstring longPath(64, L'a');
    wchar_t path[64];
    wchar_t error[kLidoraErrorChars] = L"";
    EXPECT_EQ(ArgumentPath(longPath.c_str(), path, 64, error), 0);
    EXPECT_STREQ(path, L"");
    EXPECT_NE(std::wstring(error).find(L"longer than 63"), std::wstring::npos);
}
