// ocular.ini as existing files are read: value lines that look like keys, the two-line memory limit,
// long lines, and numbers that are not numbers. Each case starts from known values that are not the
// defaults, so a key that must be ignored shows by leaving its value alone.
#include "engine_start.h"
#include "folders.h"
#include "settings.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>
#include <wchar.h>

#include <string>

namespace {

constexpr double kAllocationBefore = 9;
constexpr double kImageBefore = 8;
constexpr double kLimitBefore = 7;

struct IniCase {
    const char* name;
    std::string file;
    double allocation;
    double image;
    double limit;
};

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::ScratchFolder(L"ocular_ini_unit");
        swprintf(SettingsFolder, kSettingsFolderChars, L"%ls", folder_.c_str());
        CreateDirectoryW((folder_ + L"\\ocular").c_str(), nullptr);
        memset(&OcularSettings, 0, sizeof OcularSettings);
        SettingsDefaults();
    }

    void Preset() {
        OcularSettings.GpuMemoryAllocation_Gb = kAllocationBefore;
        OcularSettings.ImageMem_Gb = kImageBefore;
        OcularSettings.CpuMemoryLimit_Gb = kLimitBefore;
    }

    std::wstring folder_;
};

TEST_F(IniFile, MissingFileIsReportedAndChangesNothing) {
    Preset();
    EXPECT_FALSE(IniRead());
    EXPECT_EQ(OcularSettings.GpuMemoryAllocation_Gb, kAllocationBefore);
    EXPECT_EQ(OcularSettings.ImageMem_Gb, kImageBefore);
    EXPECT_EQ(OcularSettings.CpuMemoryLimit_Gb, kLimitBefore);
}

TEST_F(IniFile, KeysAndValueLinesAsExistingFilesHaveThem) {
    const std::string x1023(1023, 'x');
    const IniCase cases[] = {
        {"all three", "[GPUMemoryAllocation]\n1.5\n[GPUImageMemory]\n0.25\n[CPUMemoryLimit]\n12\nrest\n", 1.5,
         0.25, 12},
        {"CR LF lines", "[GPUImageMemory]\r\n2\r\n[GPUMemoryAllocation]\r\n3\r\n", 3, 2, kLimitBefore},
        {"text after the key", "[GPUImageMemory] in GB\n4\n", kAllocationBefore, 4, kLimitBefore},
        {"letter case counts", "[gpuimagememory]\n4\n[GPUIMAGEMEMORY]\n5\n", kAllocationBefore, kImageBefore,
         kLimitBefore},
        {"indented key", " [GPUImageMemory]\n4\n", kAllocationBefore, kImageBefore, kLimitBefore},
        {"indented key, value line a key", " [GPUImageMemory]\n[GPUMemoryAllocation]\n2\n", 2, kImageBefore,
         kLimitBefore},
        {"value line then the next key", "[GPUMemoryAllocation]\n6\n[GPUImageMemory]\n5\n", 6, 5,
         kLimitBefore},
        {"value line is a later key",
         "[GPUMemoryAllocation]\n[CPUMemoryLimit]\n3\nlost\n[GPUImageMemory]\n1\n", 0, 1, 3},
        {"value line is an earlier key", "[GPUImageMemory]\n[GPUMemoryAllocation]\n5\n", kAllocationBefore, 0,
         kLimitBefore},
        {"memory limit takes two lines", "[CPUMemoryLimit]\n16\n[GPUImageMemory]\n3\n", kAllocationBefore,
         kImageBefore, 16},
        {"ignored key takes its value line", "[Stereo]\n[CPUMemoryLimit]\n3\nx\n", kAllocationBefore,
         kImageBefore, kLimitBefore},
        {"ignored key, value line an earlier key", "[Stereo]\n[GPUImageMemory]\n3\n", kAllocationBefore,
         kImageBefore, kLimitBefore},
        {"paths are read aside", "[SurvalisPath]\n[GPUImageMemory]\n3\n", kAllocationBefore, kImageBefore,
         kLimitBefore},
        {"recording folder read aside", "[RecordingDir]\n[CPUMemoryLimit]\n3\nx\n", kAllocationBefore,
         kImageBefore, kLimitBefore},
        {"long line in pieces", x1023 + "[GPUImageMemory]\n3\n", kAllocationBefore, 3, kLimitBefore},
        {"long key line", "[GPUImageMemory]" + x1023 + "\n3\n", kAllocationBefore, 0, kLimitBefore},
        {"not a number", "[GPUMemoryAllocation]\nabc\n[GPUImageMemory]\n\n", 0, 0, kLimitBefore},
        {"number with a unit", "[GPUMemoryAllocation]\n  2.5 GB\n", 2.5, kImageBefore, kLimitBefore},
        {"key at the end of the file", "[GPUImageMemory]", kAllocationBefore, 0, kLimitBefore},
        {"empty file", "", kAllocationBefore, kImageBefore, kLimitBefore},
    };
    for (const IniCase& c : cases) {
        ASSERT_TRUE(testenv::WriteFileBytes(folder_ + L"\\ocular\\ocular.ini", c.file));
        Preset();
        EXPECT_TRUE(IniRead()) << c.name;
        EXPECT_EQ(OcularSettings.GpuMemoryAllocation_Gb, c.allocation) << c.name;
        EXPECT_EQ(OcularSettings.ImageMem_Gb, c.image) << c.name;
        EXPECT_EQ(OcularSettings.CpuMemoryLimit_Gb, c.limit) << c.name;
        EXPECT_EQ(OcularSettings.RenderingMode, 5) << c.name << ": nothing else is touched";
    }
}

TEST(IniNumber, DecimalPrefixOrZero) {
    struct Case {
        const char* text;
        double value;
    } const cases[] = {
        {"2.5\n", 2.5}, {"  \t7", 7}, {"-1.25", -1.25}, {"+3", 3},  {".5", 0.5},  {"5.", 5},
        {"1e3", 1000},  {"1e", 1},    {"2E-1x", 0.2},   {"abc", 0}, {"", 0},      {".", 0},
        {"-", 0},       {"0x10", 0},  {"inf", 0},       {"nan", 0}, {"12,5", 12}, {"3 4", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(IniNumber(c.text), c.value) << c.text;
}

TEST(EngineBudgets, GigabytesBecomeTruncatedMegabytes) {
    struct Case {
        double gigabytes;
        unsigned long long megabytes;
    } const cases[] = {
        {0, 0}, {0.0004, 0}, {0.0019, 1}, {1.5, 1500}, {16, 16000}, {-2, 0}, {NAN, 0}, {1e300, UINT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(MegabytesFromGigabytes(c.gigabytes), c.megabytes) << c.gigabytes;
}

TEST(EngineBudgets, CpuLimitFromInstalledKibibytes) {
    struct Case {
        unsigned long long kibibytes;
        unsigned long long limit;
    } const cases[] = {
        {16777216, 16777}, {8388608, 8388}, {999, 0}, {1000, 1}, {0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CpuMemoryLimitFromInstalled(c.kibibytes), c.limit) << c.kibibytes;
}

} // namespace
