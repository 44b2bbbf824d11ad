// LAS files into a Lidora cloud: the three real sample files, generated files whose axes have
// different scales, and files that must be refused with their reason.
#include <gtest/gtest.h>

#include <string>

#include "las_import.h"
#include "lidora_test_support.h"
#include "support/test_environment.h"

using lidoratest::ExpectCloudMatchesLas;
using lidoratest::Narrow;

namespace {

struct Imported {
    LidoraCloud cloud{};
    int ok = 0;
    std::wstring error;
    ~Imported() { CloudFree(&cloud); }
};

void Import(const std::wstring& path, Imported* result) {
    wchar_t error[kLidoraErrorChars] = L"";
    result->ok = LasImport(path.c_str(), &result->cloud, error);
    result->error = error;
}

} // namespace

TEST(LasImport, RealSampleFilesWithOneScaleLoadExactly) {
    std::wstring folder = lidoratest::SampleFolder();
    ASSERT_FALSE(folder.empty()) << "the shared sample LAS files are missing";
    struct Case {
        const wchar_t* name;
        int64_t count;
        int32_t divisor;
        bool colours;
    } cases[] = {{L"simple.las", 1065, 100, true}, {L"vegetation_1_3.las", 10683, 1000, false}};
    for (const Case& c : cases) {
        std::wstring path = folder + L"\\" + c.name;
        Imported imported;
        Import(path, &imported);
        ASSERT_EQ(imported.ok, 1) << Narrow(imported.error);
        lidoratest::LasContent las = lidoratest::ReadWholeLas(path);
        ASSERT_TRUE(las.error.empty()) << Narrow(las.error);
        EXPECT_EQ(imported.cloud.count, c.count);
        EXPECT_EQ(imported.cloud.divisor, c.divisor);
        for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(imported.cloud.offset[axis], las.header.offset[axis]);
        EXPECT_TRUE(ExpectCloudMatchesLas(imported.cloud, las)) << Narrow(c.name);
        bool anyColour = false;
        for (int64_t i = 0; i < 3 * imported.cloud.count; ++i)
            anyColour = anyColour || imported.cloud.colours[i];
        EXPECT_EQ(anyColour, c.colours) << Narrow(c.name);
    }
}

TEST(LasImport, TheSampleWithTenDigitScalesLoadsRoundedToItsFinestAxis) {
    std::wstring path = lidoratest::SampleFolder() + L"\\test1_4.las";
    Imported imported;
    Import(path, &imported);
    ASSERT_EQ(imported.ok, 1) << Narrow(imported.error);
    lidoratest::LasContent las = lidoratest::ReadWholeLas(path);
    ASSERT_TRUE(las.error.empty());
    EXPECT_TRUE(lidoratest::ExpectCloudMatchesLas(imported.cloud, las, false));
}

TEST(LasImport, UnequalScalesConvertToTheFinestExactly) {
    std::wstring folder = testenv::ScratchFolder(L"lidora_unequal_scales");
    struct Case {
        const wchar_t* name;
        int minor, format;
        double scale[3];
        int32_t divisor;
    } cases[] = {
        {L"cm_cm_mm.las", 2, 3, {0.01, 0.01, 0.001}, 1000},
        {L"mm_cm_dm.las", 4, 7, {0.001, 0.01, 0.1}, 1000},
        {L"quarter_half_mm.las", 3, 2, {0.25, 0.5, 0.001}, 1000},
        {L"thirds.las", 0, 1, {1.0 / 3.0, 0.5, 0.25}, 12},
    };
    for (const Case& c : cases) {
        std::wstring path = folder + L"\\" + c.name;
        LasWriteOptions options =
            lidoratest::SceneOptions(c.minor, c.format, c.scale[0], c.scale[1], c.scale[2]);
        ASSERT_EQ(lidoratest::WriteSceneLas(path, options, 5000), L"");
        Imported imported;
        Import(path, &imported);
        ASSERT_EQ(imported.ok, 1) << Narrow(imported.error);
        EXPECT_EQ(imported.cloud.divisor, c.divisor) << Narrow(c.name);
        lidoratest::LasContent las = lidoratest::ReadWholeLas(path);
        EXPECT_TRUE(ExpectCloudMatchesLas(imported.cloud, las)) << Narrow(c.name);
    }
}

TEST(LasImport, OffsetsMoveWhenTheFinerScaleWouldLeave32Bits) {
    // x lies 25 km from the file's offset in centimetres: 2.5e6 raw steps, 2.5e9 millimetres.
    std::wstring path = testenv::ScratchFolder(L"lidora_shifted") + L"\\far.las";
    LasWriteOptions options = lidoratest::SceneOptions(2, 1, 0.01, 0.01, 0.001);
    options.offset[0] -= 2500000.0;
    ASSERT_EQ(lidoratest::WriteSceneLas(path, options, 3000), L"");
    Imported imported;
    Import(path, &imported);
    ASSERT_EQ(imported.ok, 1) << Narrow(imported.error);
    EXPECT_EQ(imported.cloud.divisor, 1000);
    EXPECT_NE(imported.cloud.offset[0], options.offset[0]);
    EXPECT_EQ(imported.cloud.offset[1], options.offset[1]);
    EXPECT_TRUE(ExpectCloudMatchesLas(imported.cloud, lidoratest::ReadWholeLas(path)));
}

TEST(LasImport, FilesThatCannotBeHeldAreRefusedAndSayWhy) {
    std::wstring folder = testenv::ScratchFolder(L"lidora_refused");
    // x spans 40,000,000 km in steps of 10 m: not even whole units keep it inside 32 bits.
    std::wstring wide = folder + L"\\wide.las";
    {
        LasWriter writer{};
        wchar_t error[kLasErrorChars];
        ASSERT_EQ(LasCreate(&writer, wide.c_str(), lidoratest::SceneOptions(2, 0, 10, 0.01, 0.001), error,
                            kLasErrorChars),
                  1);
        LasPoint points[2] = {};
        points[0].x = -2000000000;
        points[1].x = 2000000000;
        ASSERT_EQ(LasWritePoints(&writer, points, 2), 1);
        ASSERT_EQ(LasFinish(&writer), 1);
    }
    std::wstring empty = folder + L"\\empty.las";
    ASSERT_EQ(lidoratest::WriteSceneLas(empty, lidoratest::SceneOptions(2, 0, 0.01, 0.01, 0.01), 0), L"");
    std::wstring truncated = folder + L"\\truncated.las";
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(lidoratest::SampleFolder() + L"\\simple.las", bytes));
    ASSERT_TRUE(testenv::WriteFileBytes(truncated, bytes.substr(0, bytes.size() / 2)));
    std::wstring laz = folder + L"\\compressed.laz";
    ASSERT_TRUE(testenv::WriteFileBytes(laz, bytes));
    std::wstring text = folder + L"\\notes.las";
    ASSERT_TRUE(testenv::WriteFileBytes(text, "these are not points\n"));

    struct Case {
        std::wstring path;
        const wchar_t* reasonPart;
    } cases[] = {
        {wide, L"span"},
        {empty, L"no points"},
        {truncated, L""},
        {text, L""},
        {folder + L"\\missing.las", L""},
    };
    for (const Case& c : cases) {
        Imported imported;
        Import(c.path, &imported);
        EXPECT_EQ(imported.ok, 0) << Narrow(c.path);
        EXPECT_EQ(imported.cloud.points, nullptr);
        EXPECT_EQ(imported.error.find(c.path), 0u) << Narrow(imported.error); // the message names the file
        EXPECT_GT(imported.error.size(), c.path.size() + 5) << Narrow(imported.error);
        EXPECT_NE(imported.error.find(c.reasonPart), std::wstring::npos) << Narrow(imported.error);
    }
}
