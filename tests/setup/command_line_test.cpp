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

// The wide form the program reads: what a script typed, and whether it can be installed.
TEST(SetupReadCommandLine, TellsGivenMissingAndUnusableFolders) {
    std::wstring longest = L"C:\\" + std::wstring(396, L'a'); // 399 characters
    std::wstring tooLong = longest + L"a";
    struct Case {
        const char* name;
        std::wstring arguments;
        bool twoArguments;
        CommandLineFolders expected;
        const wchar_t* exe; // the executables folder afterwards
    };
    const Case cases[] = {
        {"outside 8 bits", L"C:\\\u65E5\u672C \"D:\\caf\u00E9 \u03A9\" E:\\h", false,
         CommandLineFolders::Given, L"C:\\\u65E5\u672C"},
        {"longest", longest + L" D:\\b", true, CommandLineFolders::Given, longest.c_str()},
        {"too few", L"C:\\a D:\\b", false, CommandLineFolders::Missing, L"default-exe"},
        {"too few, one too long", tooLong + L" D:\\b", false, CommandLineFolders::Missing, L"default-exe"},
        {"an empty one", L"C:\\a \"\" E:\\c", false, CommandLineFolders::Missing, L"default-exe"},
        {"first too long", tooLong + L" D:\\b E:\\c", false, CommandLineFolders::Unusable, L"default-exe"},
        {"last too long", L"C:\\a D:\\b " + tooLong, false, CommandLineFolders::Unusable, L"default-exe"},
        {"too long quoted", L"C:\\a \"" + tooLong + L" x\"", true, CommandLineFolders::Unusable,
         L"default-exe"},
        {"wildcard", L"C:\\a? D:\\b", true, CommandLineFolders::Unusable, L"default-exe"},
        {"pipe", L"C:\\a|b D:\\b", true, CommandLineFolders::Unusable, L"default-exe"},
        {"tab inside quotes", L"\"C:\\a\tb\" D:\\b", true, CommandLineFolders::Unusable, L"default-exe"},
        {"colon inside", L"C:\\a:b D:\\b", true, CommandLineFolders::Unusable, L"default-exe"},
        {"long-path prefix", L"\\\\?\\C:\\a D:\\b", true, CommandLineFolders::Given, L"\\\\?\\C:\\a"},
        {"drive-relative", L"C:a D:\\b", true, CommandLineFolders::Given, L"C:a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folders folders;
        EXPECT_EQ(c.expected, SetupReadCommandLine(folders.exe, folders.settings, folders.host,
                                                   c.arguments.c_str(), c.twoArguments));
        EXPECT_STREQ(c.exe, folders.exe);
    }
    Folders given;
    ASSERT_EQ(CommandLineFolders::Given,
              SetupReadCommandLine(given.exe, given.settings, given.host, cases[0].arguments.c_str(), false));
    EXPECT_STREQ(L"D:\\caf\u00E9 \u03A9", given.settings);
    EXPECT_STREQ(L"E:\\h", given.host);
}

TEST(SetupReadCommandLine, InvalidUtf8InThe8BitFormIsNoFolder) {
    Folders folders;
    EXPECT_FALSE(folders.Parse("C:\\caf\xE9 D:\\b", true)); // an ANSI byte, not UTF-8
    EXPECT_STREQ(L"default-exe", folders.exe);
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
