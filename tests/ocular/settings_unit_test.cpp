// ocular.upf as users and other versions meet it: what a file turns into in OcularSettings, the exact
// bytes written back, and that an unchanged record leaves the file alone.
#include "folders.h"
#include "settings.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include <string>

namespace {

const char* const kHeader = "[Nimbo preferences]\r\n";

// Every key of a default record, in the order and formats the file has.
const char* const kDefaultFile = "[Nimbo preferences]\r\n"
                                 "DepthIncrement_mm=20\r\n"
                                 "SnappingMask=127\r\n"
                                 "CrossColor=255;255;255;255\r\n"
                                 "CrossInvColor=255;0;0;0\r\n"
                                 "CrossHairRadius_100=30\r\n"
                                 "RotationSpeedZ_100=50\r\n"
                                 "RotationSpeedX_100=50\r\n"
                                 "PointSize=0.00\r\n"
                                 "PointSizeCross=3000.00\r\n"
                                 "PointSizeParallel=3000.00\r\n"
                                 "RenderingMode=5\r\n"
                                 "CrossSectionThicknessAdjust=100\r\n"
                                 "SnapType=0\r\n"
                                 "SnapRadius_m=0.100\r\n"
                                 "DefaultPtcFile=\r\n"
                                 "wheelSpeed_100=50\r\n"
                                 "CursorMask=127\r\n"
                                 "FollowMask=255\r\n"
                                 "PassiveCrossColor=255;128;128;128\r\n"
                                 "PassiveCrossInvColor=255;0;0;0\r\n"
                                 "SynchCameraDistance_m=20.000\r\n"
                                 "MaxChannelWidth=4\r\n"
                                 "StaticStereoLimit_m=0.000\r\n"
                                 "PredictNextPoint=0\r\n"
                                 "RgbInputBitWidth_bits=16\r\n"
                                 "ScreenHeight_cm=40.0\r\n"
                                 "ImageMem_Gb=0.00\r\n"
                                 "lastActiveZx_m=0.000\r\n"
                                 "lastActiveZy_m=0.000\r\n"
                                 "lastActiveZz_m=0.000\r\n"
                                 "LastSessionFile=\r\n";

// Every key with a value unlike its default, in the order and formats the file is written in, so that
// reading and writing it back must reproduce it byte for byte.
const char* const kEveryKeyFile = "[Nimbo preferences]\r\n"
                                  "DepthIncrement_mm=7\r\n"
                                  "SnappingMask=3\r\n"
                                  "CrossColor=1;2;3;4\r\n"
                                  "CrossInvColor=5;6;7;8\r\n"
                                  "CrossHairRadius_100=31\r\n"
                                  "RotationSpeedZ_100=51\r\n"
                                  "RotationSpeedX_100=52\r\n"
                                  "PointSize=1250.50\r\n"
                                  "PointSizeCross=2000.25\r\n"
                                  "PointSizeParallel=4000.75\r\n"
                                  "RenderingMode=7\r\n"
                                  "CrossSectionThicknessAdjust=101\r\n"
                                  "SnapType=2\r\n"
                                  "SnapRadius_m=0.250\r\n"
                                  "DefaultPtcFile=C:\\clouds\\site.prj\r\n"
                                  "wheelSpeed_100=53\r\n"
                                  "CursorMask=15\r\n"
                                  "FollowMask=31\r\n"
                                  "PassiveCrossColor=9;10;11;12\r\n"
                                  "PassiveCrossInvColor=13;14;15;16\r\n"
                                  "SynchCameraDistance_m=12.500\r\n"
                                  "MaxChannelWidth=2\r\n"
                                  "StaticStereoLimit_m=1.125\r\n"
                                  "PredictNextPoint=1\r\n"
                                  "RgbInputBitWidth_bits=8\r\n"
                                  "ScreenHeight_cm=35.5\r\n"
                                  "ImageMem_Gb=1.50\r\n"
                                  "lastActiveZx_m=1.000\r\n"
                                  "lastActiveZy_m=-2.500\r\n"
                                  "lastActiveZz_m=3.750\r\n"
                                  "LastSessionFile=C:\\sessions\\last.tss\r\n";

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::ScratchFolder(L"ocular_settings_unit");
        swprintf(SettingsFolder, kSettingsFolderChars, L"%ls", folder_.c_str());
        CreateDirectoryW((folder_ + L"\\ocular").c_str(), nullptr);
        file_ = folder_ + L"\\ocular\\ocular.upf";
        memset(&OcularSettings, 0, sizeof OcularSettings);
    }

    void Write(const std::string& bytes) { ASSERT_TRUE(testenv::WriteFileBytes(file_, bytes)); }
    std::string Read() {
        std::string bytes;
        testenv::ReadFileBytes(file_, bytes);
        return bytes;
    }
    bool Exists() { return GetFileAttributesW(file_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring folder_;
    std::wstring file_;
};

void ExpectDefaults(const OcularSettingsRecord& s) {
    EXPECT_EQ(s.DepthIncrement_mm, 20);
    EXPECT_EQ(s.CrossInvColor, 0xFF000000u);
    EXPECT_EQ(s.CrossColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.SnappingMask, 127);
    EXPECT_EQ(s.CrossHairRadius_100, 30);
    EXPECT_EQ(s.RotationSpeedZ_100, 50);
    EXPECT_EQ(s.RotationSpeedX_100, 50);
    EXPECT_EQ(s.PointSize, 0.0);
    EXPECT_EQ(s.PointSizeCross, 3000.0);
    EXPECT_EQ(s.PointSizeParallel, 3000.0);
    EXPECT_EQ(s.RenderingMode, 5);
    EXPECT_EQ(s.CrossSectionThicknessAdjust, 100);
    EXPECT_EQ(s.SnapType, 0);
    EXPECT_EQ(s.SnapRadius_m, 0.1);
    EXPECT_STREQ(s.DefaultPtcFile, L"");
    EXPECT_EQ(s.wheelSpeed_100, 50);
    EXPECT_EQ(s.CursorMask, 127);
    EXPECT_EQ(s.FollowMask, 255);
    EXPECT_EQ(s.PassiveCrossInvColor, 0xFF000000u);
    EXPECT_EQ(s.PassiveCrossColor, 0xFF808080u);
    EXPECT_EQ(s.SynchCameraDistance_m, 20.0);
    EXPECT_EQ(s.MaxChannelWidth, 4);
    EXPECT_EQ(s.StaticStereoLimit_m, 0.0);
    EXPECT_EQ(s.PredictNextPoint, 0);
    EXPECT_EQ(s.RgbInputBitWidth_bits, 16);
    EXPECT_EQ(s.ScreenHeight_cm, 40.0);
    EXPECT_EQ(s.CpuMemoryLimit_Gb, 20.0);
    EXPECT_EQ(s.GpuMemoryAllocation_Gb, 0.0);
    EXPECT_EQ(s.ImageMem_Gb, 0.0);
    EXPECT_EQ(s.CpuMode, 0);
    EXPECT_EQ(s.lastActiveZx_m, 0.0);
    EXPECT_EQ(s.lastActiveZy_m, 0.0);
    EXPECT_EQ(s.lastActiveZz_m, 0.0);
    EXPECT_STREQ(s.LastSessionFile, L"");
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndIsNotCreatedWhenNothingChanged) {
    SettingsLoad();
    ExpectDefaults(OcularSettings);
    EXPECT_EQ(memcmp(&OcularSettings, &SavedSettings, sizeof OcularSettings), 0);
    EXPECT_EQ(SettingsSave(), 1);
    EXPECT_FALSE(Exists());
}

TEST_F(SettingsFile, ForeignOrDamagedFilesGiveDefaults) {
    const char* const files[] = {
        "[Other preferences]\r\nRenderingMode=1\r\n", // another program's header
        "RenderingMode=1\r\n",                        // no header at all
        "[Nimbo preferences]\r\n",                    // nothing after the header
    };
    for (const char* bytes : files) {
        Write(bytes);
        SettingsLoad();
        EXPECT_EQ(OcularSettings.RenderingMode, 5) << bytes;
        EXPECT_EQ(SettingsSave(), 1) << bytes;
        EXPECT_EQ(Read(), bytes) << "an unchanged record must not touch the file";
    }
}

TEST_F(SettingsFile, ChangedDefaultsAreWrittenWithEveryKeyInOrderAndFormat) {
    SettingsLoad();
    OcularSettings.RenderingMode = 1;
    EXPECT_EQ(SettingsSave(), 1);
    std::string expected = kDefaultFile;
    expected.replace(expected.find("RenderingMode=5"), 15, "RenderingMode=1");
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsFile, EveryKeyIsReadAndWrittenBackByteForByte) {
    Write(kEveryKeyFile);
    SettingsLoad();
    const OcularSettingsRecord& s = OcularSettings;
    EXPECT_EQ(s.DepthIncrement_mm, 7);
    EXPECT_EQ(s.SnappingMask, 3);
    EXPECT_EQ(s.CrossColor, 0x01020304u);
    EXPECT_EQ(s.CrossInvColor, 0x05060708u);
    EXPECT_EQ(s.PointSize, 1250.5);
    EXPECT_EQ(s.PointSizeParallel, 4000.75);
    EXPECT_EQ(s.RenderingMode, 7);
    EXPECT_EQ(s.SnapRadius_m, 0.25);
    EXPECT_STREQ(s.DefaultPtcFile, L"C:\\clouds\\site.prj");
    EXPECT_EQ(s.PassiveCrossColor, 0x090A0B0Cu);
    EXPECT_EQ(s.PassiveCrossInvColor, 0x0D0E0F10u);
    EXPECT_EQ(s.MaxChannelWidth, 2);
    EXPECT_EQ(s.ScreenHeight_cm, 35.5);
    EXPECT_EQ(s.ImageMem_Gb, 1.5);
    EXPECT_EQ(s.lastActiveZy_m, -2.5);
    EXPECT_STREQ(s.LastSessionFile, L"C:\\sessions\\last.tss");
    EXPECT_EQ(s.CpuMemoryLimit_Gb, 20.0) << "not a key of the file";

    // A change and its undoing leave the record equal to the snapshot: nothing is written.
    OcularSettings.SnapType = 9;
    OcularSettings.SnapType = 2;
    Write(std::string(kEveryKeyFile) + "Foreign=1\r\n");
    EXPECT_EQ(SettingsSave(), 1);
    EXPECT_EQ(Read(), std::string(kEveryKeyFile) + "Foreign=1\r\n");

    // A real change rewrites the whole file from the record; keys it does not know are dropped.
    OcularSettings.PredictNextPoint = 0;
    EXPECT_EQ(SettingsSave(), 1);
    std::string expected = kEveryKeyFile;
    expected.replace(expected.find("PredictNextPoint=1"), 18, "PredictNextPoint=0");
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsFile, KeysAreFoundInAnyOrderAndLetterCase) {
    Write(std::string(kHeader) + "renderingmode=3\r\nPOINTSIZE=12.5\r\nSnapType=4\r\n");
    SettingsLoad();
    EXPECT_EQ(OcularSettings.RenderingMode, 3);
    EXPECT_EQ(OcularSettings.PointSize, 12.5);
    EXPECT_EQ(OcularSettings.SnapType, 4);
    EXPECT_EQ(OcularSettings.SnappingMask, 127);
}

TEST_F(SettingsFile, NumbersThatAreNotNumbersKeepTheirDefaults) {
    struct Case {
        const char* line;
        int renderingMode;
        double pointSizeCross;
    } const cases[] = {
        {"RenderingMode=abc\r\nPointSizeCross=abc", 5, 3000.0},
        {"RenderingMode=\r\nPointSizeCross=", 5, 3000.0},
        {"RenderingMode=.5\r\nPointSizeCross=.5", 5, 0.5}, // a valid real, not a valid integer
        {"RenderingMode= 12\r\nPointSizeCross= -2.25", 12, -2.25},
        {"RenderingMode=3 pixels\r\nPointSizeCross=1.5e3 units", 3, 1500.0},
    };
    for (const Case& c : cases) {
        Write(std::string(kHeader) + c.line + "\r\n");
        SettingsLoad();
        EXPECT_EQ(OcularSettings.RenderingMode, c.renderingMode) << c.line;
        EXPECT_EQ(OcularSettings.PointSizeCross, c.pointSizeCross) << c.line;
    }
}

TEST_F(SettingsFile, ColourStringsAreCombinedWithoutMasking) {
    struct Case {
        const char* text;
        uint32_t colour;
    } const cases[] = {
        {"255;128;128;128", 0xFF808080u},
        {"0;256;0;0", 0x01000000u}, // the second number reaches into the first byte
        {"0;0;0;511", 0x000001FFu},
        {" 1; 2; 3; 4", 0x01020304u},
        {"1;2;3", 0xFFFFFFFFu}, // fewer than four numbers: the colour stays as it was
        {"red", 0xFFFFFFFFu},
        {"", 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        Write(std::string(kHeader) + "CrossColor=" + c.text + "\r\n");
        SettingsLoad();
        EXPECT_EQ(OcularSettings.CrossColor, c.colour) << c.text;
        EXPECT_EQ(OcularSettings.CrossInvColor, 0xFF000000u) << c.text;
    }
}

TEST_F(SettingsFile, ColoursAreWrittenByteByByteMostSignificantFirst) {
    struct Case {
        uint32_t colour;
        const char* text;
    } const cases[] = {
        {0xFF808080u, "PassiveCrossColor=255;128;128;128\r\n"},
        {0x01000000u, "PassiveCrossColor=1;0;0;0\r\n"},
        {0x00000000u, "PassiveCrossColor=0;0;0;0\r\n"},
        {0x0A141E28u, "PassiveCrossColor=10;20;30;40\r\n"},
    };
    for (const Case& c : cases) {
        DeleteFileW(file_.c_str());
        SettingsLoad();
        OcularSettings.PassiveCrossColor = c.colour;
        OcularSettings.SnapType = 1; // a change even when the colour is its default
        EXPECT_EQ(SettingsSave(), 1);
        EXPECT_NE(Read().find(c.text), std::string::npos) << c.text << Read();
    }
}

TEST_F(SettingsFile, LongStringsAreCutToFitTheirField) {
    std::string longPath(1500, 'p');
    Write(std::string(kHeader) + "LastSessionFile=" + longPath + "\r\nDefaultPtcFile=" + longPath + "\r\n");
    SettingsLoad();
    EXPECT_EQ(wcslen(OcularSettings.LastSessionFile), 1023u);
    EXPECT_EQ(wcslen(OcularSettings.DefaultPtcFile), 1023u);
    EXPECT_EQ(OcularSettings.LastSessionFile[1022], L'p');
    EXPECT_EQ(OcularSettings.RenderingMode, 5) << "the long lines must not disturb the keys around them";
}

TEST_F(SettingsFile, DefaultsLeaveTheImageMemoryAlone) {
    OcularSettings.ImageMem_Gb = 2.5;
    OcularSettings.RenderingMode = 99;
    SettingsDefaults();
    EXPECT_EQ(OcularSettings.ImageMem_Gb, 2.5);
    EXPECT_EQ(OcularSettings.RenderingMode, 5);
}

TEST_F(SettingsFile, AMissingSettingsFolderGivesDefaultsAndAFailedWrite) {
    swprintf(SettingsFolder, kSettingsFolderChars, L"%ls\\absent", folder_.c_str());
    SettingsLoad();
    ExpectDefaults(OcularSettings);
    OcularSettings.RenderingMode = 1;
    EXPECT_EQ(SettingsSave(), 0);
}

TEST(PointSizeForView, EachViewIndexHasItsField) {
    struct Case {
        int viewIndex;
        double expected;
    } const cases[] = {
        {-1, 3.0}, {0, 3.0}, {3, 3.0}, {4, 2.0}, {5, 2.0}, {6, 1.0}, {7, 1.0}, {8, 1.0},
    };
    for (const Case& c : cases) {
        OcularSettings.PointSize = 1.0;
        OcularSettings.PointSizeCross = 2.0;
        OcularSettings.PointSizeParallel = 3.0;
        EXPECT_EQ(PointSizeForView(c.viewIndex), c.expected) << c.viewIndex;
        SetPointSizeForView(42.0, c.viewIndex);
        EXPECT_EQ(PointSizeForView(c.viewIndex), 42.0) << c.viewIndex;
        double sum =
            OcularSettings.PointSize + OcularSettings.PointSizeCross + OcularSettings.PointSizeParallel;
        EXPECT_EQ(sum, 42.0 + 6.0 - c.expected) << "only one field changes for view " << c.viewIndex;
    }
}

} // namespace
