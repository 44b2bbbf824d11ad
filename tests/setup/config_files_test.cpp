#include "config_files.h"
#include "host_detect.h"
#include "setup_state.h"
#include "setup_text.h"

#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <string>

namespace {

using setuptest::Exists;
using setuptest::ReadAll;

const char* const kExpectedCfg = "#-------------------------------------------------------------------\r\n"
                                 "#\r\n"
                                 "#  NIMBO.CFG - Configuration for Nimbo Applications\r\n"
                                 "#\r\n"
                                 "#-------------------------------------------------------------------\r\n"
                                 "\r\n"
                                 "NIMBODIR=D:/Set/\r\n"
                                 "NIMBOEXEDIR=C:/Apps/Nimbo/\r\n"
                                 "NIMBOCFG=$(NIMBODIR)config/\r\n"
                                 "\r\n"
                                 "MS_MDLAPPS < $(NIMBOEXEDIR)ma/\r\n"
                                 "MS_HELPPATH < $(NIMBODIR)docs/\r\n"
                                 "MS_LIBRARY_PATH < $(NIMBOEXEDIR)ma/\r\n"
                                 "\r\n"
                                 "%if exists ($(NIMBOCFG)*.cfg)\r\n"
                                 "%   include $(NIMBOCFG)*.cfg\r\n"
                                 "%endif\r\n";

TEST(ConfigWriteSettingsPath, WritesTheSettingsFolderAsOneLine) {
    std::wstring exe = testenv::ScratchFolder(L"settings_path");
    ASSERT_TRUE(ConfigWriteSettingsPath(exe.c_str(), L"D:\\Set"));
    EXPECT_EQ("D:\\Set\r\n", ReadAll(exe + L"\\settings_path.txt"));
    ASSERT_TRUE(ConfigWriteSettingsPath((exe + L"\\").c_str(), L"D:\\Set\\"));
    EXPECT_EQ("D:\\Set\\\r\n", ReadAll(exe + L"\\settings_path.txt"));
    ASSERT_TRUE(ConfigWriteSettingsPath(exe.c_str(), L"C:\\M\u00FCller"));
    EXPECT_EQ("C:\\M\xFCller\r\n", ReadAll(exe + L"\\settings_path.txt"));
}

TEST(ConfigWriteSettingsPath, FailsRatherThanWritingAnotherFolder) {
    std::wstring exe = testenv::ScratchFolder(L"settings_path_fails");
    EXPECT_FALSE(ConfigWriteSettingsPath((exe + L"\\missing").c_str(), L"D:\\Set"));
    // A character that one byte cannot hold would name a different folder.
    EXPECT_FALSE(ConfigWriteSettingsPath(exe.c_str(), L"D:\\\u65E5"));
    EXPECT_FALSE(Exists(exe + L"\\settings_path.txt"));
}

TEST(ConfigWriteCfg, WritesSeventeenLinesWithForwardSlashFolders) {
    std::wstring folder = testenv::ScratchFolder(L"nimbo_cfg");
    std::wstring path = folder + L"\\nimbo.cfg";
    ASSERT_TRUE(ConfigWriteCfg(path.c_str(), L"C:\\Apps\\Nimbo", L"D:\\Set"));
    EXPECT_EQ(kExpectedCfg, ReadAll(path));
    ASSERT_TRUE(ConfigWriteCfg(path.c_str(), L"C:\\Apps\\Nimbo\\", L"D:\\Set\\"));
    EXPECT_EQ(kExpectedCfg, ReadAll(path));
    EXPECT_FALSE(ConfigWriteCfg((folder + L"\\missing\\nimbo.cfg").c_str(), L"C:\\A", L"D:\\S"));
}

class MicroStationConfigTest : public testing::Test {
protected:
    std::wstring settings, station;

    void SetUp() override {
        SetupStateReset();
        settings = testenv::ScratchFolder(L"ms_settings");
        station = testenv::ScratchFolder(L"ms_station");
    }
};

TEST_F(MicroStationConfigTest, WritesNothingWithoutAMicroStationFolder) {
    EXPECT_TRUE(ConfigWriteMicroStation(nullptr, L"C:\\Apps\\Nimbo", settings.c_str()));
    EXPECT_FALSE(Exists(settings + L"\\nimbo.cfg"));
}

TEST_F(MicroStationConfigTest, WritesBothCopiesWhenTheApplFolderExists) {
    ASSERT_TRUE(CreateDirectoryW((station + L"\\config").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((station + L"\\config\\appl").c_str(), nullptr));
    SetupTextCopy(g_setup.microStationFolder, kSetupPathChars, station.c_str());
    EXPECT_TRUE(ConfigWriteMicroStation(nullptr, L"C:\\Apps\\Nimbo", settings.c_str()));
    std::string local = ReadAll(settings + L"\\nimbo.cfg");
    EXPECT_NE(std::string::npos, local.find("NIMBOEXEDIR=C:/Apps/Nimbo/\r\n"));
    EXPECT_EQ(local, ReadAll(station + L"\\config\\appl\\nimbo.cfg"));
}

TEST_F(MicroStationConfigTest, OnlyWarnsWhenTheApplFolderIsMissing) {
    SetupTextCopy(g_setup.microStationFolder, kSetupPathChars, station.c_str());
    EXPECT_TRUE(ConfigWriteMicroStation(nullptr, L"C:\\Apps\\Nimbo", settings.c_str()));
    EXPECT_TRUE(Exists(settings + L"\\nimbo.cfg"));
    EXPECT_FALSE(Exists(station + L"\\config"));
}

TEST(ConfigExpandTemplate, ReplacesBothPlaceholdersInAnyCaseAndDropsTrailingBlanks) {
    std::wstring folder = testenv::ScratchFolder(L"template");
    std::wstring source = folder + L"\\in.cfg", target = folder + L"\\out.cfg";
    ASSERT_TRUE(testenv::WriteFileBytes(source, "ROOT=%NIMBODIR%data   \r\n"
                                                "\r\n"
                                                "bin=%exedir%;%NimboDir%\t\n"
                                                "100% sure %EXE% %NIMBODIR\n"
                                                "last line without end"));
    ASSERT_TRUE(ConfigExpandTemplate(target.c_str(), source.c_str(), L"D:\\Set", L"C:\\Apps\\Nimbo\\"));
    EXPECT_EQ("ROOT=D:/Set/data\r\n"
              "\r\n"
              "bin=C:/Apps/Nimbo/;D:/Set/\r\n"
              "100% sure %EXE% %NIMBODIR\r\n"
              "last line without end\r\n",
              ReadAll(target));
}

TEST(ConfigExpandTemplate, ExpandsLongLinesWhole) {
    std::wstring folder = testenv::ScratchFolder(L"template_long");
    std::wstring source = folder + L"\\in.cfg", target = folder + L"\\out.cfg";
    std::string line, expected;
    for (int i = 0; i < 120; ++i) {
        line += "%NIMBODIR%;";
        expected += "D:/Settings/Folder/;";
    }
    std::string longPlain(2000, 'x');
    ASSERT_TRUE(testenv::WriteFileBytes(source, line + "\n" + longPlain + "\n"));
    ASSERT_TRUE(ConfigExpandTemplate(target.c_str(), source.c_str(), L"D:\\Settings\\Folder", L"C:\\A"));
    EXPECT_EQ(expected + "\r\n" + longPlain + "\r\n", ReadAll(target));
}

TEST(ConfigExpandTemplate, FailsWhenEitherFileCannotBeOpened) {
    std::wstring folder = testenv::ScratchFolder(L"template_fails");
    std::wstring source = folder + L"\\in.cfg";
    EXPECT_FALSE(ConfigExpandTemplate((folder + L"\\out.cfg").c_str(), source.c_str(), L"D:\\S", L"C:\\A"));
    EXPECT_FALSE(Exists(folder + L"\\out.cfg"));
    ASSERT_TRUE(testenv::WriteFileBytes(source, "x\n"));
    EXPECT_FALSE(
        ConfigExpandTemplate((folder + L"\\no\\out.cfg").c_str(), source.c_str(), L"D:\\S", L"C:\\A"));
}

class OrbisaTemplateTest : public testing::Test {
protected:
    std::wstring media, includes;

    void SetUp() override {
        SetupStateReset();
        media = testenv::ScratchFolder(L"orbisa_media");
        SetupTextCopy(g_setup.moduleFolder, kSetupPathChars, (media + L"\\").c_str());
        SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, L"D:\\Set");
        SetupTextCopy(g_setup.exeFolder, kSetupPathChars, L"C:\\Apps");
        wchar_t folder[kSetupPathChars];
        ASSERT_TRUE(ConfigOrbisaIncludesFolder(folder, kSetupPathChars));
        includes = folder;
        wchar_t profile[MAX_PATH];
        ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile));
        EXPECT_EQ(std::wstring(profile) + L"\\Orbisa\\config\\includes\\", includes);
        CreateDirectoryW((std::wstring(profile) + L"\\Orbisa").c_str(), nullptr);
        CreateDirectoryW((std::wstring(profile) + L"\\Orbisa\\config").c_str(), nullptr);
        CreateDirectoryW(includes.c_str(), nullptr);
    }

    void TearDown() override {
        DeleteFileW((includes + L"nimbo_host.cfg").c_str());
        RemoveDirectoryW(includes.c_str());
    }
};

TEST_F(OrbisaTemplateTest, ExpandsIntoTheIncludesFolderUnderTheBareFileName) {
    ASSERT_TRUE(CreateDirectoryW((media + L"\\host").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\host\\nimbo_host.cfg", "DIR=%NIMBODIR%\nEXE=%EXEDIR%\n"));
    EXPECT_TRUE(ConfigInstallTemplate(L"host\\nimbo_host.cfg"));
    EXPECT_EQ("DIR=D:/Set/\r\nEXE=C:/Apps/\r\n", ReadAll(includes + L"nimbo_host.cfg"));
}

TEST_F(OrbisaTemplateTest, WritesNothingWhenTheIncludesFolderIsMissing) {
    // The folder may hold other products' includes: it is moved aside for the test, not emptied.
    std::wstring folder = includes.substr(0, includes.size() - 1);
    std::wstring aside = folder + L".nimbo-test";
    ASSERT_TRUE(MoveFileW(folder.c_str(), aside.c_str()));
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\nimbo_host.cfg", "DIR=%NIMBODIR%\n"));
    bool written = ConfigInstallTemplate(L"nimbo_host.cfg");
    bool created = Exists(folder);
    MoveFileW(aside.c_str(), folder.c_str());
    EXPECT_FALSE(written);
    EXPECT_FALSE(created);
}

class HostCommandTest : public testing::Test {
protected:
    const wchar_t* key = L"NimboTest File\\shell\\open\\command";

    void TearDown() override { RegDeleteTreeW(HKEY_CLASSES_ROOT, L"NimboTest File"); }

    void SetCommand(const void* bytes, DWORD size, DWORD type = REG_SZ) {
        HKEY handle;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr,
                                                 &handle, nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(handle, nullptr, 0, type, static_cast<const BYTE*>(bytes), size));
        RegCloseKey(handle);
    }

    void SetCommandText(const std::string& text) {
        SetCommand(text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
};

TEST_F(HostCommandTest, TakesTheFolderOfTheQuotedProgram) {
    SetCommandText("\"C:\\Program Files\\Bentley\\ustation.exe\" \"%1\"");
    wchar_t folder[kSetupPathChars] = L"";
    ASSERT_TRUE(HostReadCommand(key, folder));
    EXPECT_STREQ(L"C:\\Program Files\\Bentley", folder);
    SetCommandText("C:\\Orbisa\\orbisa.exe %1");
    ASSERT_TRUE(HostReadCommand(key, folder));
    EXPECT_STREQ(L"C:\\Orbisa", folder);
    SetCommandText("orbisa.exe");
    ASSERT_TRUE(HostReadCommand(key, folder));
    EXPECT_STREQ(L"orbisa.exe", folder);
}

TEST_F(HostCommandTest, NeedsALowerCaseExeAndAKey) {
    wchar_t folder[kSetupPathChars] = L"unchanged";
    EXPECT_FALSE(HostReadCommand(key, folder));
    SetCommandText("C:\\HOST\\HOST.EXE %1");
    EXPECT_FALSE(HostReadCommand(key, folder));
    EXPECT_STREQ(L"unchanged", folder);
}

TEST_F(HostCommandTest, AFullValueWithoutATerminatorIsReadSafely) {
    std::string bytes = "C:\\Host\\host.exe ";
    bytes.resize(400, 'x');
    SetCommand(bytes.data(), 400, REG_BINARY);
    wchar_t folder[kSetupPathChars] = L"";
    ASSERT_TRUE(HostReadCommand(key, folder));
    EXPECT_STREQ(L"C:\\Host", folder);
}

TEST_F(HostCommandTest, DetectionPresetsTheFolderOfTheKindOnly) {
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Orbisa File\\shell\\open\\command", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr));
    const char command[] = "\"C:\\Orbisa\\bin\\orbisa.exe\" \"%1\"";
    RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    RegCloseKey(handle);
    SetupStateReset();
    HostDetect(InstallKind::None);
    EXPECT_STREQ(L"", g_setup.orbisaFolder);
    HostDetect(InstallKind::Orbisa);
    EXPECT_STREQ(L"C:\\Orbisa\\bin", g_setup.orbisaFolder);
    EXPECT_STREQ(L"", g_setup.microStationFolder);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Orbisa File");
}

} // namespace
