// Reading the settings folder from settings_path.txt, in the program's and the installer's way.
#include "runtime/settings_path.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Test programs may run at the same time: each test gets a folder of its own.
std::wstring FolderForThisTest() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

// A path buffer with a guard behind it, so that a reader that writes past its 400 characters shows.
struct GuardedPath {
    GuardedPath() {
        wmemset(chars, L'#', kSettingsPathChars + kGuard);
        wcscpy_s(chars, kSettingsPathChars, L"c:\\nimbo64");
    }
    bool GuardIntact() const {
        for (int i = kSettingsPathChars; i < kSettingsPathChars + kGuard; ++i)
            if (chars[i] != L'#') return false;
        return true;
    }
    static constexpr int kGuard = 16;
    wchar_t chars[kSettingsPathChars + kGuard];
};

// An installation: <root>\settings_path.txt beside <root>\app\ocular.ix.
class SettingsPathProgram : public ::testing::Test {
protected:
    void SetUp() override {
        root = FolderForThisTest();
        CreateDirectoryW((root + L"\\app").c_str(), nullptr);
        module = root + L"\\app\\ocular.ix";
    }
    int ReadWith(const std::string& content) {
        EXPECT_TRUE(testenv::WriteFileBytes(root + L"\\settings_path.txt", content));
        return SettingsPathRead(path.chars, module.c_str());
    }
    std::wstring root;
    std::wstring module;
    GuardedPath path;
};

TEST_F(SettingsPathProgram, FirstLineWithoutLineEndsIsTheFolder) {
    EXPECT_EQ(1, ReadWith("D:\\nimbo\\settings\n"));
    EXPECT_STREQ(L"D:\\nimbo\\settings", path.chars);
    EXPECT_EQ(1, ReadWith("E:\\data\r\nF:\\second\r\n"));
    EXPECT_STREQ(L"E:\\data", path.chars);
    EXPECT_EQ(1, ReadWith("G:\\no line end"));
    EXPECT_STREQ(L"G:\\no line end", path.chars);
}

TEST_F(SettingsPathProgram, BlanksAndBackslashesAtTheEndAreKept) {
    EXPECT_EQ(1, ReadWith("D:\\nimbo\\ \r\n"));
    EXPECT_STREQ(L"D:\\nimbo\\ ", path.chars);
}

TEST_F(SettingsPathProgram, ThreeCharactersAreNoFolderButAreStillHandedBack) {
    EXPECT_EQ(0, ReadWith("C:\\\r\n"));
    EXPECT_STREQ(L"C:\\", path.chars);
    EXPECT_EQ(0, ReadWith("\r\n"));
    EXPECT_STREQ(L"", path.chars);
    EXPECT_EQ(1, ReadWith("C:\\a\r\n"));
}

TEST_F(SettingsPathProgram, MissingFileLeavesTheBufferAlone) {
    EXPECT_EQ(0, SettingsPathRead(path.chars, module.c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
    // The file is looked for above the program's folder, not beside the program.
    ASSERT_TRUE(testenv::WriteFileBytes(root + L"\\app\\settings_path.txt", "D:\\wrong\r\n"));
    EXPECT_EQ(0, SettingsPathRead(path.chars, module.c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
}

TEST_F(SettingsPathProgram, OverLongLineIsCutTo399Characters) {
    std::string line = "D:\\" + std::string(2000, 'a');
    EXPECT_EQ(1, ReadWith(line + "\r\n"));
    EXPECT_EQ(std::wstring(line.begin(), line.begin() + kSettingsPathChars - 1), path.chars);
    EXPECT_TRUE(path.GuardIntact());
}

TEST_F(SettingsPathProgram, BytesBecomeCharactersOfTheSameNumber) {
    EXPECT_EQ(1, ReadWith("D:\\Gr\xf6\xdf"
                          "e\r\n"));
    EXPECT_STREQ(L"D:\\Gr\u00f6\u00dfe", path.chars);
}

class SettingsPathInstaller : public ::testing::Test {
protected:
    void SetUp() override { folder = FolderForThisTest(); }
    int ReadWith(const std::string& content, const std::wstring& folderArgument) {
        EXPECT_TRUE(testenv::WriteFileBytes(folder + L"\\settings_path.txt", content));
        return SettingsPathReadFolder(path.chars, folderArgument.c_str());
    }
    std::wstring folder;
    GuardedPath path;
};

TEST_F(SettingsPathInstaller, TrailingBlanksAndBackslashesAreRemoved) {
    EXPECT_EQ(1, ReadWith("C:\\Nimbo\\Settings\\\\ \t\r\n", folder));
    EXPECT_STREQ(L"C:\\Nimbo\\Settings", path.chars);
    EXPECT_EQ(1, ReadWith("C:\\Nimbo\\Settings\n", folder + L"\\"));
    EXPECT_STREQ(L"C:\\Nimbo\\Settings", path.chars);
}

TEST_F(SettingsPathInstaller, NothingLeftMeansNoFolder) {
    EXPECT_EQ(0, ReadWith("\\\\ \t\r\n", folder));
    EXPECT_STREQ(L"", path.chars);
    EXPECT_EQ(1, ReadWith("abc\r\n", folder));
    EXPECT_STREQ(L"abc", path.chars);
}

TEST_F(SettingsPathInstaller, MissingFileLeavesTheBufferAlone) {
    EXPECT_EQ(0, SettingsPathReadFolder(path.chars, folder.c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
    EXPECT_EQ(0, SettingsPathReadFolder(path.chars, (folder + L"\\none").c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
}

TEST_F(SettingsPathInstaller, OverLongLineIsCutTo398Characters) {
    std::string line = "D:\\" + std::string(2000, 'b');
    EXPECT_EQ(1, ReadWith(line + "\r\n", folder));
    EXPECT_EQ(std::wstring(line.begin(), line.begin() + kSettingsPathChars - 2), path.chars);
    EXPECT_TRUE(path.GuardIntact());
}

TEST_F(SettingsPathInstaller, OverLongFolderIsRefusedSafely) {
    std::wstring deep = folder + L"\\" + std::wstring(1100, L'x');
    EXPECT_EQ(0, SettingsPathReadFolder(path.chars, deep.c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
    std::wstring deepModule = deep + L"\\app\\ocular.ix";
    EXPECT_EQ(0, SettingsPathRead(path.chars, deepModule.c_str()));
    EXPECT_STREQ(L"c:\\nimbo64", path.chars);
    EXPECT_TRUE(path.GuardIntact());
}

} // namespace
