#include "command_line.h"
#include "setup_state.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

struct Folders {
    wchar_t exe[kSetupPathChars] = L"default-exe";
    wchar_t settings[kSetupPathChars] = L"default-set";
    wchar_t host[kSetupPathChars] = L"default-host";

    bool Parse(const char* commandLine, bool twoArguments = false) {
        return SetupParseCommandLine(exe, settings, host, commandLine, twoArguments);
    }
};

TEST(SetupParseCommandLine, ThreeArgumentsSelectSilentModeForEveryKindButSlave) {
    Folders folders;
    EXPECT_TRUE(folders.Parse("C:\\Apps D:\\Set E:\\Host"));
    EXPECT_STREQ(L"C:\\Apps", folders.exe);
    EXPECT_STREQ(L"D:\\Set", folders.settings);
    EXPECT_STREQ(L"E:\\Host", folders.host);
    Folders slave;
    EXPECT_TRUE(slave.Parse("C:\\Apps D:\\Set", true));
    EXPECT_STREQ(L"default-host", slave.host);
}

TEST(SetupParseCommandLine, MissingArgumentsKeepTheFolders) {
    Folders folders;
    EXPECT_FALSE(folders.Parse(nullptr));
    EXPECT_FALSE(folders.Parse(""));
    EXPECT_FALSE(folders.Parse("C:\\Apps D:\\Set"));
    EXPECT_FALSE(folders.Parse("C:\\Apps \"\" E:\\Host"));
    EXPECT_FALSE(folders.Parse("   "));
    EXPECT_STREQ(L"default-exe", folders.exe);
    EXPECT_STREQ(L"default-set", folders.settings);
}

TEST(SetupParseCommandLine, QuotesKeepBlanksAndBlanksSplitUnquotedPaths) {
    Folders folders;
    EXPECT_TRUE(folders.Parse("\"C:\\Program Files\\Nimbo\" \"D:\\My Settings\"\t\r\nE:\\x", false));
    EXPECT_STREQ(L"C:\\Program Files\\Nimbo", folders.exe);
    EXPECT_STREQ(L"D:\\My Settings", folders.settings);
    EXPECT_STREQ(L"E:\\x", folders.host);
    Folders split;
    EXPECT_TRUE(split.Parse("C:\\Program Files\\Nimbo", true));
    EXPECT_STREQ(L"C:\\Program", split.exe);
    EXPECT_STREQ(L"Files\\Nimbo", split.settings);
}

TEST(SetupParseCommandLine, AQuoteEndsAnUnquotedArgumentAndFurtherTextIsIgnored) {
    Folders folders;
    EXPECT_TRUE(folders.Parse("C:\\a\"D:\\b\" E:\\c F:\\ignored", false));
    EXPECT_STREQ(L"C:\\a", folders.exe);
    EXPECT_STREQ(L"D:\\b", folders.settings);
    EXPECT_STREQ(L"E:\\c", folders.host);
}

TEST(SetupParseCommandLine, TheProgramIsDroppedWhenExeOccursAnywhere) {
    Folders folders;
    EXPECT_TRUE(folders.Parse("setup.EXE C:\\a D:\\b", true));
    EXPECT_STREQ(L"C:\\a", folders.exe);
    // Also when the letters stand in a folder name: that folder is lost and two are too few.
    Folders lost;
    EXPECT_FALSE(lost.Parse("C:\\tools.exe\\x D:\\b E:\\c"));
    EXPECT_STREQ(L"default-exe", lost.exe);
}

TEST(SetupParseCommandLine, ArgumentsAreUtf8AndKeepATrailingBackslash) {
    Folders folders;
    EXPECT_TRUE(folders.Parse("C:\\M\xC3\xBCller\\ D:\\\xE6\x97\xA5\\", true));
    EXPECT_STREQ(L"C:\\M\u00FCller\\", folders.exe);
    EXPECT_STREQ(L"D:\\\u65E5\\", folders.settings);
}

TEST(SetupParseCommandLine, ALongestArgumentIsKeptWholeAndALongerOneIsRefused) {
    std::string longest = "C:\\" + std::string(396, 'a'); // 399 characters
    std::string line = longest + " D:\\b";
    Folders folders;
    EXPECT_TRUE(folders.Parse(line.c_str(), true));
    EXPECT_EQ(399u, wcslen(folders.exe));
    EXPECT_EQ(L'a', folders.exe[398]);
    std::string tooLong = "C:\\" + std::string(397, 'a') + " D:\\b E:\\c";
    Folders refused;
    EXPECT_FALSE(refused.Parse(tooLong.c_str()));
    EXPECT_STREQ(L"default-exe", refused.exe);
}

// The wide form the program reads; setup.exe's own tests cover the common cases, these the edges.
TEST(SetupReadCommandLine, TellsGivenMissingAndUnusableFolders) {
    std::wstring tooLong = L"C:\\" + std::wstring(397, L'a'); // 400 characters
    struct Case {
        std::wstring arguments;
        CommandLineFolders expected;
        const wchar_t* exe; // the executables folder afterwards
    };
    const Case cases[] = {
        {L"C:\\\u65E5\u672C D:\\b", CommandLineFolders::Given, L"C:\\\u65E5\u672C"},
        {tooLong + L" D:\\b", CommandLineFolders::Missing, L"default-exe"}, // two of three
        {L"\"" + tooLong + L" x\" D:\\b", CommandLineFolders::Unusable, L"default-exe"},
        {L"\"C:\\a\tb\" D:\\b", CommandLineFolders::Unusable, L"default-exe"},
        {L"\\\\?\\C:\\a D:\\b", CommandLineFolders::Given, L"\\\\?\\C:\\a"},
        {L"C:a D:\\b", CommandLineFolders::Given, L"C:a"},
    };
    for (const Case& c : cases) {
        Folders folders;
        bool two = c.expected != CommandLineFolders::Missing;
        EXPECT_EQ(c.expected,
                  SetupReadCommandLine(folders.exe, folders.settings, folders.host, c.arguments.c_str(), two))
            << testing::PrintToString(c.arguments);
        EXPECT_STREQ(c.exe, folders.exe);
    }
}

TEST(SetupCommandLineArguments, SkipsTheProgramAsWinMainDoes) {
    struct Case {
        const wchar_t* line;
        const wchar_t* arguments;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\setup.exe\" C:\\a \"D:\\b c\"", L"C:\\a \"D:\\b c\""},
        {L"setup.exe   C:\\a", L"C:\\a"},
        {L"setup.exe\tC:\\a", L"C:\\a"},
        {L"\"setup.exe\"C:\\a", L"C:\\a"},
        {L"setup.exe", L""},
        {L"\"unterminated", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.arguments, SetupCommandLineArguments(c.line)) << c.line;
    EXPECT_STREQ(L"", SetupCommandLineArguments(nullptr));
}

TEST(SetupMakeFolderAbsolute, RelativeFoldersFollowTheCurrentFolderAbsoluteOnesStay) {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    wchar_t folder[kSetupPathChars] = L"sub\\dir";
    ASSERT_TRUE(SetupMakeFolderAbsolute(folder, kSetupPathChars));
    std::wstring expected = current;
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_EQ(expected + L"sub\\dir", folder);
    wchar_t absolute[kSetupPathChars] = L"C:\\Apps\\..\\Nimbo\\";
    ASSERT_TRUE(SetupMakeFolderAbsolute(absolute, kSetupPathChars));
    EXPECT_STREQ(L"C:\\Apps\\..\\Nimbo\\", absolute);
    wchar_t network[kSetupPathChars] = L"\\\\server\\share\\";
    ASSERT_TRUE(SetupMakeFolderAbsolute(network, kSetupPathChars));
    EXPECT_STREQ(L"\\\\server\\share\\", network);
    wchar_t driveRelative[kSetupPathChars] = L"\\Nimbo";
    ASSERT_TRUE(SetupMakeFolderAbsolute(driveRelative, kSetupPathChars));
    EXPECT_EQ(L':', driveRelative[1]);
    EXPECT_STREQ(L"\\Nimbo", driveRelative + 2);
    wchar_t empty[kSetupPathChars] = L"";
    ASSERT_TRUE(SetupMakeFolderAbsolute(empty, kSetupPathChars));
    EXPECT_STREQ(L"", empty);
}

} // namespace
