// The decisions a load and a conversion take from text and numbers alone: what the argument asks for,
// which files are sessions, when Lidora's points are refused, and which cameras a session switches on.
#include "projects.h"
#include "sessions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(ProjectArgument, OnlyTheTwoExactKeywordsReloadAndOverlongPathsAreRefused) {
    struct Case {
        const wchar_t* argument;
        ProjectArgumentKind kind;
    };
    const Case cases[] = {
        {nullptr, kProjectArgumentAsk},        {L"", kProjectArgumentAsk},
        {L"RELOAD", kProjectArgumentReload},   {L"reload", kProjectArgumentReload},
        {L"Reload", kProjectArgumentPath},     {L"reLOAD", kProjectArgumentPath},
        {L"RELOAD ", kProjectArgumentPath},    {L" reload", kProjectArgumentPath},
        {L"reload.prj", kProjectArgumentPath}, {L"Z:\\data\\site.prj", kProjectArgumentPath},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProjectArgumentKindOf(c.argument), c.kind) << (c.argument ? c.argument : L"(null)");

    // 1023 characters and the terminator fill the load's buffer exactly; one more would be cut.
    std::wstring longest = L"Z:\\" + std::wstring(kProjectPathChars - 1 - 7, L'a') + L".prj";
    ASSERT_EQ(longest.size(), kProjectPathChars - 1);
    EXPECT_EQ(ProjectArgumentKindOf(longest.c_str()), kProjectArgumentPath);
    std::wstring tooLong = longest + L"x";
    EXPECT_EQ(ProjectArgumentKindOf(tooLong.c_str()), kProjectArgumentTooLong);
    std::wstring farTooLong(5000, L'b');
    EXPECT_EQ(ProjectArgumentKindOf(farTooLong.c_str()), kProjectArgumentTooLong);
}

TEST(ProjectArgument, ASessionIsNamedByItsLastExtensionInLowerCase) {
    struct Case {
        const wchar_t* file;
        bool session;
    };
    const Case cases[] = {
        {L"Z:\\work\\site.tss", true},
        {L"Z:\\work\\site.tssbak", true},
        {L"Z:\\work\\site.prj.tss", true},
        {L"Z:\\work\\site.old.tss", true},
        {L"Z:\\work\\site.TSS", false},
        {L"Z:\\work\\site.Tss", false},
        {L"Z:\\work\\site.prj", false},
        {L"Z:\\work\\site.las", false},
        {L"Z:\\work\\site.tss.prj", false},
        {L"Z:\\work.tss\\site", true}, // the last dot decides, wherever it is
        {L"Z:\\work.tss\\site.prj", false},
        {L"Z:\\work\\site", false},
        {L"tss", false},
        {L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSessionFile(c.file), c.session) << c.file;
}

TEST(MemoryPoints, TheSummaryCarriesCountScalesAndOffsetsAndUnusableSetUpsAreRefused) {
    const LidoraCoordSetup setup{637000.0, 849000.0, 100.0};
    struct Case {
        int64_t count;
        int32_t divisor;
        bool accepted;
        uint32_t pointCount;
        double scale;
    };
    const Case cases[] = {
        {1000000, 1000, true, 1000000u, 0.001},
        {1, 1, true, 1u, 1.0},
        {12345, 100, true, 12345u, 0.01},
        {4294967295ll, 100, true, 4294967295u, 0.01},
        {0, 1000, false, 0u, 0.001},
        {-1, 1000, false, 0xFFFFFFFFu, 0.001},
        {4294967296ll, 100, false, 0u, 0.01},     // would convert none of them
        {4294967296ll + 7, 100, false, 7u, 0.01}, // would convert 7 of them
        {1000, 0, false, 1000u, INFINITY},
        {1000, -1000, false, 1000u, -0.001},
    };
    for (const Case& c : cases) {
        PointCloudSummary summary{};
        summary.padding = 0xA5A5A5A5u;
        EXPECT_EQ(MemoryPointsSummary(c.count, c.divisor, setup, &summary), c.accepted)
            << c.count << " points, divisor " << c.divisor;
        EXPECT_EQ(summary.pointCount, c.pointCount) << c.count;
        EXPECT_EQ(summary.padding, 0xA5A5A5A5u) << "the four bytes after the count are not the plug-in's";
        EXPECT_EQ(summary.scaleX, c.scale) << c.divisor;
        EXPECT_EQ(summary.scaleY, c.scale) << c.divisor;
        EXPECT_EQ(summary.scaleZ, c.scale) << c.divisor;
        EXPECT_EQ(summary.offsetX, 637000.0);
        EXPECT_EQ(summary.offsetY, 849000.0);
        EXPECT_EQ(summary.offsetZ, 100.0);
    }
}

TEST(SessionCameras, MaskBitsRepeatEveryThirtyTwoCameras) {
    struct Case {
        int32_t mask;
        unsigned int camera;
        bool on;
    };
    const Case cases[] = {
        {2, 1, true},           {2, 33, true},           {2, 65, true},          {2, 0, false},
        {2, 32, false},         {2, 34, false},          {0, 5, false},          {-1, 39, true},
        {INT32_MIN, 31, true},  {INT32_MIN, 63, true},   {INT32_MIN, 30, false}, {0x00000101, 8, true},
        {0x00000101, 40, true}, {0x00000101, 41, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SessionCameraEnabled(c.mask, c.camera), c.on)
            << "mask " << c.mask << ", camera " << c.camera;
}

} // namespace
