#include "inf_path_check.h"
#include "inf_reader.h"
#include "setup_state.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class InfReaderTest : public testing::Test {
protected:
    void SetUp() override { SetupStateReset(); }

    bool ReadText(const std::string& text) {
        std::wstring folder = testenv::ScratchFolder(L"inf_reader");
        std::wstring path = folder + L"\\setup.inf";
        EXPECT_TRUE(testenv::WriteFileBytes(path, text));
        return InfRead(path.c_str());
    }
};

TEST_F(InfReaderTest, ReadsAllSectionsOfATypicalDescription) {
    ASSERT_TRUE(
        ReadText("[Application]\r\nAppName=Photo\r\nDefDir=C:\\Nimbo\r\nTarget=NONE\r\n"
                 "[Versions]\r\nPhoto=1.0\r\n"
                 "[ExeDirs]\r\nbin\r\nbin\\plugins\r\n[SetDirs]\r\nconfig\r\n"
                 "[ExeFiles]\r\nPhoto, bin\\photo.exe, M\r\nSlave, bin\\slave.exe, S\r\n"
                 "[SetFiles]\r\nDefaults, config\\photo.upf, L\r\nHost, config\\photo.cfg, C\r\n[End]\r\n"));
    EXPECT_STREQ(L"Photo", g_setup.appName);
    EXPECT_STREQ(L"C:\\Nimbo", g_setup.defaultFolder);
    EXPECT_EQ(InstallKind::None, g_setup.kind);
    ASSERT_EQ(2, g_setup.exeDirCount);
    EXPECT_STREQ(L"bin\\plugins", g_setup.exeDirs[1].name);
    ASSERT_EQ(1, g_setup.setDirCount);
    ASSERT_EQ(2, g_setup.exeFileCount);
    EXPECT_STREQ(L"Photo", g_setup.exeFiles[0].name);
    EXPECT_STREQ(L"bin\\photo.exe", g_setup.exeFiles[0].file);
    EXPECT_EQ(FileFlags::Shortcut, g_setup.exeFiles[0].flags);
    EXPECT_EQ(FileFlags::Service, g_setup.exeFiles[1].flags);
    ASSERT_EQ(2, g_setup.setFileCount);
    EXPECT_EQ(FileFlags::KeepExisting, g_setup.setFiles[0].flags);
    EXPECT_EQ(FileFlags::ConfigTemplate, g_setup.setFiles[1].flags);
}

TEST_F(InfReaderTest, MissingFileFailsButEmptyOrUnrecognisedFilesGiveAnEmptyDescription) {
    EXPECT_FALSE(InfRead(L"Z:\\no\\such\\folder\\setup.inf"));
    ASSERT_TRUE(ReadText(""));
    EXPECT_EQ(InstallKind::None, g_setup.kind);
    EXPECT_EQ(0, g_setup.exeFileCount);
    // UTF-16 text: nothing is recognised.
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("[Application]\r\nTarget=ORBX\r\n[ExeDirs]\r\nbin\r\n"))
        utf16 += std::string{c, '\0'};
    ASSERT_TRUE(ReadText(utf16));
    EXPECT_EQ(InstallKind::None, g_setup.kind);
    EXPECT_EQ(0, g_setup.exeDirCount);
}

TEST_F(InfReaderTest, HeadersMustStandAloneAndTheirCaseDoesNotMatter) {
    EXPECT_EQ(InfSectionExeFiles, InfSection(L"[exefiles]"));
    EXPECT_EQ(InfSectionEnd, InfSection(L"[END]"));
    EXPECT_EQ(InfSectionNone, InfSection(L"[ExeFiles] ; programs"));
    EXPECT_EQ(InfSectionNone, InfSection(L"[ Application]"));
    ASSERT_TRUE(
        ReadText("[ExeFiles] ; programs\na, a.exe, X\n[exefiles]\nb, b.exe, X\n  [SetFiles]\nc, c.exe, X\n"));
    ASSERT_EQ(2, g_setup.exeFileCount); // the indented "[SetFiles]" is no header, c stays in [ExeFiles]
    EXPECT_STREQ(L"b.exe", g_setup.exeFiles[0].file);
    EXPECT_STREQ(L"c.exe", g_setup.exeFiles[1].file);
}

TEST_F(InfReaderTest, AByteOrderMarkHidesTheFirstHeader) {
    ASSERT_TRUE(ReadText("\xEF\xBB\xBF[Application]\r\nTarget=SLAVE\r\n[ExeDirs]\r\nbin\r\n"));
    EXPECT_EQ(InstallKind::None, g_setup.kind);
    EXPECT_EQ(1, g_setup.exeDirCount);
}

TEST_F(InfReaderTest, LinesAfterEndAreNeverRead) {
    ASSERT_TRUE(ReadText("[ExeDirs]\nbin\n[End]\n[ExeDirs]\nlater\n"));
    EXPECT_EQ(1, g_setup.exeDirCount);
}

TEST_F(InfReaderTest, ApplicationKeysKeepBlanksBeforeTheEqualsSign) {
    InfParseLine(InfSectionApplication, L"AppName =Photo");
    EXPECT_STREQ(L"", g_setup.appName);
    InfParseLine(InfSectionApplication, L"appname=   Photo  ");
    EXPECT_STREQ(L"Photo", g_setup.appName);
    InfParseLine(InfSectionApplication, L"DefDir=D:\\a=b");
    EXPECT_STREQ(L"D:\\a=b", g_setup.defaultFolder);
    InfParseLine(InfSectionApplication, L"AppName=A very long product name that goes on and on");
    EXPECT_EQ(39u, wcslen(g_setup.appName));
    InfParseLine(InfSectionApplication, L"Target");
    InfParseLine(InfSectionApplication, L";Target=ORBX");
    EXPECT_EQ(InstallKind::None, g_setup.kind);
    InfParseLine(InfSectionApplication, L"Target=");
    EXPECT_EQ(InstallKind::MicroStation, g_setup.kind);
}

TEST_F(InfReaderTest, TargetKindIsDecidedByExactCaseWordsInOrder) {
    EXPECT_EQ(InstallKind::Orbisa, InfTargetKind(L"orbx slave"));
    EXPECT_EQ(InstallKind::Orbisa, InfTargetKind(L"ORBX"));
    EXPECT_EQ(InstallKind::None, InfTargetKind(L"NONESUCH"));
    EXPECT_EQ(InstallKind::None, InfTargetKind(L"none SLAVE"));
    EXPECT_EQ(InstallKind::Slave, InfTargetKind(L"slave"));
    EXPECT_EQ(InstallKind::MicroStation, InfTargetKind(L"Slave"));
    EXPECT_EQ(InstallKind::MicroStation, InfTargetKind(L"Orbx"));
    EXPECT_EQ(InstallKind::MicroStation, InfTargetKind(L""));
}

TEST_F(InfReaderTest, FlagLettersAreReadInAnyCase) {
    EXPECT_EQ(FileFlags::KeepExisting | FileFlags::ConfigTemplate, InfFlags(L"lc"));
    EXPECT_EQ(FileFlags::Service | FileFlags::Shortcut, InfFlags(L"sM"));
    EXPECT_EQ(0u, InfFlags(L"X"));
    EXPECT_EQ(0u, InfFlags(L""));
    EXPECT_EQ(FileFlags::KeepExisting, InfFlags(L"L L"));
}

TEST_F(InfReaderTest, FileLinesNeedExactlyThreeFields) {
    InfParseLine(InfSectionExeFiles, L"a, a.exe");
    InfParseLine(InfSectionExeFiles, L"a, a.exe,");
    InfParseLine(InfSectionExeFiles, L"a, a.exe, L, extra");
    InfParseLine(InfSectionExeFiles, L";a, a.exe, L");
    EXPECT_EQ(0, g_setup.exeFileCount);
    InfParseLine(InfSectionExeFiles, L"a,a.exe,,");
    InfParseLine(InfSectionSetFiles, L" ;b , b.dat ,X");
    ASSERT_EQ(1, g_setup.exeFileCount);
    EXPECT_EQ(0u, g_setup.exeFiles[0].flags);
    ASSERT_EQ(1, g_setup.setFileCount);
    EXPECT_STREQ(L";b", g_setup.setFiles[0].name);
    EXPECT_STREQ(L"b.dat", g_setup.setFiles[0].file);
}

TEST_F(InfReaderTest, FieldsKeepTheirFirst39CharactersBeforeTrimming) {
    // Leading blanks count towards the 39.
    InfParseLine(InfSectionExeFiles, L"     Name, dir\\a_file_name_that_is_longer_than_thirty_nine.exe, L");
    ASSERT_EQ(1, g_setup.exeFileCount);
    EXPECT_STREQ(L"Name", g_setup.exeFiles[0].name);
    EXPECT_STREQ(L"dir\\a_file_name_that_is_longer_than_th", g_setup.exeFiles[0].file);
    EXPECT_EQ(FileFlags::KeepExisting, g_setup.exeFiles[0].flags);
}

TEST_F(InfReaderTest, FolderLinesTakeTheFirstFieldWhateverTheCount) {
    InfParseLine(InfSectionExeDirs, L"bin, anything, more, fields");
    InfParseLine(InfSectionSetDirs, L"config\\deep\\er");
    ASSERT_EQ(1, g_setup.exeDirCount);
    EXPECT_STREQ(L"bin", g_setup.exeDirs[0].name);
    EXPECT_STREQ(L"config\\deep\\er", g_setup.setDirs[0].name);
}

TEST_F(InfReaderTest, ListsStopAtTheirLimits) {
    std::string text = "[ExeFiles]\n";
    for (int i = 0; i < 801; ++i) text += "f" + std::to_string(i) + ", f" + std::to_string(i) + ".dll, X\n";
    text += "[ExeDirs]\n";
    for (int i = 0; i < 81; ++i) text += "d" + std::to_string(i) + "\n";
    ASSERT_TRUE(ReadText(text));
    EXPECT_EQ(800, g_setup.exeFileCount);
    EXPECT_STREQ(L"f799.dll", g_setup.exeFiles[799].file);
    EXPECT_EQ(80, g_setup.exeDirCount);
}

TEST_F(InfReaderTest, ALongLineIsOneLineAndItsTailIsNoEntry) {
    std::string comment = ";" + std::string(300, 'x') + ", evil.exe, S";
    ASSERT_TRUE(ReadText("[ExeFiles]\n" + comment + "\nok, ok.exe, X\n"));
    ASSERT_EQ(1, g_setup.exeFileCount);
    EXPECT_STREQ(L"ok.exe", g_setup.exeFiles[0].file);
}

TEST_F(InfReaderTest, EntriesThatWouldLeaveTheTargetFolderAreIgnored) {
    const wchar_t* unsafe[] = {L"..\\evil.dll",
                               L"bin\\..\\..\\x.dll",
                               L"C:\\Windows\\x.dll",
                               L"c:x.dll",
                               L"\\Windows\\x.dll",
                               L"/etc/x",
                               L"\\\\server\\share\\x",
                               L"a.txt:stream",
                               L"CON",
                               L"nul.txt",
                               L"bin\\Aux.dat",
                               L"COM1",
                               L"lpt9.log",
                               L"bin\\prn",
                               L"...",
                               L""};
    for (const wchar_t* path : unsafe) EXPECT_FALSE(InfPathIsSafe(path)) << path;
    const wchar_t* safe[] = {L"bin\\x.dll", L"console.exe", L"com10.txt", L"lpt.dat",
                             L"a..b.txt",   L".config",     L"nulls\\x",  L"COM0"};
    for (const wchar_t* path : safe) EXPECT_TRUE(InfPathIsSafe(path)) << path;
    InfParseLine(InfSectionExeFiles, L"x, ..\\x.dll, ");
    InfParseLine(InfSectionSetDirs, L"C:\\Windows");
    EXPECT_EQ(0, g_setup.exeFileCount);
    EXPECT_EQ(0, g_setup.setDirCount);
}

} // namespace
