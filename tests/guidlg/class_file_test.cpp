// Class files good and bad, where they are found, the masks made from them, and the other pure logic
// of GuiDlg: channels, the class listing of the visibility dialog, counts and the project check.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "channel_table.h"
#include "class_defaults.h"
#include "class_file.h"
#include "class_file_path.h"
#include "class_listing.h"
#include "class_mask.h"
#include "count_text.h"
#include "project_check.h"
#include "support/test_environment.h"

namespace {

PointClassTable Parse(const std::string& text, int* ok, ClassFileError* error) {
    PointClassTable table{};
    *ok = ClassFileParse(text.data(), text.size(), &table, error);
    return table;
}

std::wstring Wide(const char* text) {
    return std::wstring(text, text + strlen(text));
}

} // namespace

TEST(ClassFile, ReadsClassesCommentsAndBlankLines) {
    std::string text = "\xEF\xBB\xBF# classes of the test area\r\n"
                       "\r\n"
                       "  2, Ground, 170 85 0, 1\r\n"
                       "; hidden buildings\n"
                       "6,Building with roof ,200\t60 60,0\n"
                       "\t255 , Last class , 0 0 255 , 1"; // no line end at the end of the file
    int ok = 0;
    ClassFileError error{};
    PointClassTable table = Parse(text, &ok, &error);
    ASSERT_EQ(ok, 1) << error.line;
    EXPECT_EQ(table.definedCount, 3);
    const PointClass& ground = table.classes[2];
    EXPECT_TRUE(ground.defined);
    EXPECT_TRUE(ground.visible);
    EXPECT_STREQ(ground.name, L"Ground");
    EXPECT_EQ(ground.red, 170);
    EXPECT_EQ(ground.green, 85);
    EXPECT_EQ(ground.blue, 0);
    EXPECT_FALSE(table.classes[6].visible);
    EXPECT_STREQ(table.classes[6].name, L"Building with roof");
    EXPECT_EQ(table.classes[6].green, 60);
    EXPECT_STREQ(table.classes[255].name, L"Last class");
    EXPECT_FALSE(table.classes[3].defined);

    ClassificationMask256 mask{};
    ClassMaskFromTable(&mask, table);
    EXPECT_EQ(mask.active, 1u);
    EXPECT_FALSE(ClassMaskIsVisible(mask, 6));
    for (int c : {0, 2, 5, 7, 31, 32, 255}) EXPECT_TRUE(ClassMaskIsVisible(mask, c)) << c;
    EXPECT_EQ(mask.classes[0], ~(1u << 6));
    for (int w = 1; w < 8; ++w) EXPECT_EQ(mask.classes[w], 0xFFFFFFFFu);
}

TEST(ClassFile, NamesInUtf8OrWindows1252) {
    int ok = 0;
    ClassFileError error{};
    PointClassTable utf8 = Parse("6, Geb\xC3\xA4ude, 1 2 3, 1\n", &ok, &error);
    ASSERT_EQ(ok, 1);
    EXPECT_STREQ(utf8.classes[6].name, L"Geb\u00E4ude");
    // \xE9 alone is not UTF-8: the file is read as Windows-1252.
    PointClassTable ansi = Parse("9, Rivi\xE8re, 1 2 3, 1\n", &ok, &error);
    ASSERT_EQ(ok, 1);
    EXPECT_STREQ(ansi.classes[9].name, L"Rivi\u00E8re");
}

TEST(ClassFile, MalformedLinesAreRefusedWithTheirLineNumber) {
    struct Case {
        const char* line;
        const char* reasonPart;
    } cases[] = {
        {"2, Ground, 170 85 0", "four fields"},
        {"2, Ground, 170 85 0, 1, extra", "four fields"},
        {"Ground, 2, 170 85 0, 1", "class number"},
        {"256, Too high, 1 2 3, 1", "class number"},
        {"-1, Negative, 1 2 3, 1", "class number"},
        {"1000, Long number, 1 2 3, 1", "class number"},
        {", No number, 1 2 3, 1", "class number"},
        {"2, , 1 2 3, 1", "class name"},
        {"2, 0123456789012345678901234567890123456789012345678901234567890123, 1 2 3, 1", "class name"},
        {"2, Ground, 170 85, 1", "colour"},
        {"2, Ground, 170 85 0 9, 1", "colour"},
        {"2, Ground, 170 85 300, 1", "colour"},
        {"2, Ground, red, 1", "colour"},
        {"2, Ground, 170 85 0, yes", "visible"},
        {"2, Ground, 170 85 0, 2", "visible"},
        {"2, Ground, 170 85 0, ", "visible"},
        {"2, Ground, 170 85 0, 1\r\r", "control"},
    };
    const std::string good = "1, Unclassified, 200 200 200, 1\n# note\n";
    for (const Case& c : cases) {
        PointClassTable table{};
        table.definedCount = 77; // a refused file must leave the table as it was
        ClassFileError error{};
        std::string text = good + c.line + "\n4, After, 1 2 3, 1\n";
        EXPECT_EQ(ClassFileParse(text.data(), text.size(), &table, &error), 0) << c.line;
        EXPECT_EQ(error.line, 3) << c.line;
        EXPECT_NE(std::wstring(error.reason).find(Wide(c.reasonPart)), std::wstring::npos)
            << c.line << " gave: " << std::string(error.reason, error.reason + wcslen(error.reason));
        EXPECT_EQ(table.definedCount, 77) << c.line;
        EXPECT_FALSE(table.classes[1].defined) << c.line;
    }
}

TEST(ClassFile, DuplicatesOverlongLinesAndNulBytesAreRefused) {
    int ok = 1;
    ClassFileError error{};
    Parse("2, Ground, 1 2 3, 1\n5, Trees, 1 2 3, 1\n2, Again, 1 2 3, 0\n", &ok, &error);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(error.line, 3);
    EXPECT_NE(std::wstring(error.reason).find(L"already defined on line 1"), std::wstring::npos);

    Parse("# " + std::string(300, 'x') + "\n", &ok, &error);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(error.line, 1);
    EXPECT_NE(std::wstring(error.reason).find(L"longer"), std::wstring::npos);

    Parse(std::string("2, Gro\0und, 1 2 3, 1\n", 21), &ok, &error);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(error.line, 1);

    // A line of exactly 256 characters is still a line.
    Parse("# " + std::string(254, 'x') + "\n", &ok, &error);
    EXPECT_EQ(ok, 1);
}

TEST(ClassFile, LoadTellsMissingUnreadableAndTooLargeApart) {
    std::wstring folder = testenv::ScratchFolder(L"class_file_load");
    PointClassTable table{};
    ClassFileError error{};
    EXPECT_EQ(ClassFileLoad((folder + L"\\none.ptc").c_str(), &table, &error), ClassFileMissing);
    EXPECT_EQ(ClassFileLoad(L"", &table, &error), ClassFileMissing);

    std::wstring empty = folder + L"\\empty.ptc";
    ASSERT_TRUE(testenv::WriteFileBytes(empty, ""));
    EXPECT_EQ(ClassFileLoad(empty.c_str(), &table, &error), ClassFileOk);
    EXPECT_EQ(table.definedCount, 0);

    std::wstring large = folder + L"\\large.ptc";
    ASSERT_TRUE(testenv::WriteFileBytes(large, std::string((1 << 20) + 1, '#')));
    EXPECT_EQ(ClassFileLoad(large.c_str(), &table, &error), ClassFileMalformed);

    std::wstring bad = folder + L"\\bad.ptc";
    ASSERT_TRUE(testenv::WriteFileBytes(bad, "2, Ground, 1 2 3, 1\n6, Building, 1 2 3\n"));
    EXPECT_EQ(ClassFileLoad(bad.c_str(), &table, &error), ClassFileMalformed);
    EXPECT_EQ(error.line, 2);

    std::wstring good = folder + L"\\good.ptc";
    ASSERT_TRUE(testenv::WriteFileBytes(good, "6, Building, 1 2 3, 0\n"));
    // A file held open without read sharing cannot be read.
    HANDLE locked = CreateFileW(good.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ClassFileLoad(good.c_str(), &table, &error), ClassFileUnreadable);
    CloseHandle(locked);
    EXPECT_EQ(ClassFileLoad(good.c_str(), &table, &error), ClassFileOk);
    EXPECT_FALSE(table.classes[6].visible);
}

TEST(ClassFilePath, FoundAsGivenOrRelativeToTheFolder) {
    std::wstring folder = testenv::ScratchFolder(L"class_file_path");
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\classes").c_str(), nullptr));
    std::wstring inside = folder + L"\\classes\\city.ptc";
    ASSERT_TRUE(testenv::WriteFileBytes(inside, "2, Ground, 1 2 3, 1\n"));
    wchar_t path[1024];

    EXPECT_EQ(ClassFileLocate(inside.c_str(), L"C:\\elsewhere", path, 1024), 1);
    EXPECT_EQ(std::wstring(path), inside);
    EXPECT_EQ(ClassFileLocate(L"classes\\city.ptc", folder.c_str(), path, 1024), 1);
    EXPECT_EQ(std::wstring(path), folder + L"\\classes\\city.ptc");
    EXPECT_EQ(ClassFileLocate(L"classes\\city.ptc", (folder + L"\\").c_str(), path, 1024), 1);
    EXPECT_EQ(std::wstring(path), folder + L"\\classes\\city.ptc");

    EXPECT_EQ(ClassFileLocate(L"classes\\none.ptc", folder.c_str(), path, 1024), 0);
    EXPECT_STREQ(path, L"");
    EXPECT_EQ(ClassFileLocate(L"", folder.c_str(), path, 1024), 0);
    EXPECT_EQ(ClassFileLocate(nullptr, folder.c_str(), path, 1024), 0);
    EXPECT_EQ(ClassFileLocate(L"classes", folder.c_str(), path, 1024), 0); // a folder is no class file
    // A rooted name is not looked for below the folder.
    EXPECT_EQ(ClassFileLocate(L"\\classes\\city.ptc", folder.c_str(), path, 1024), 0);
    // A path that does not fit is refused rather than cut to another one.
    EXPECT_EQ(ClassFileLocate(L"classes\\city.ptc", folder.c_str(), path, folder.size() + 5), 0);
    EXPECT_STREQ(path, L"");
}

TEST(ClassMask, BitsOfEveryWord) {
    ClassificationMask256 mask{};
    ClassMaskShowAll(&mask);
    EXPECT_EQ(mask.active, 1u);
    for (uint32_t word : mask.classes) EXPECT_EQ(word, 0xFFFFFFFFu);
    for (int c : {0, 31, 32, 63, 64, 200, 255}) {
        ClassMaskSetVisible(&mask, c, false);
        EXPECT_FALSE(ClassMaskIsVisible(mask, c)) << c;
        EXPECT_EQ(mask.classes[c / 32] & (1u << (c % 32)), 0u) << c;
        ClassMaskSetVisible(&mask, c, true);
        EXPECT_TRUE(ClassMaskIsVisible(mask, c)) << c;
    }
    ClassMaskSetVisible(&mask, 256, false); // outside the mask: nothing happens
    ClassMaskSetVisible(&mask, -1, false);
    for (uint32_t word : mask.classes) EXPECT_EQ(word, 0xFFFFFFFFu);
    EXPECT_FALSE(ClassMaskIsVisible(mask, 256));
}

TEST(Channels, TheAskedChannelWhenThereElseTheFirstTheProjectCarries) {
    const unsigned long long elevationOnly = 1,
                             full = (1ull << 0) | (1ull << 1) | (1ull << 5) | (1ull << 7) | (1ull << 28);
    const unsigned long long noElevation = (1ull << 5) | (1ull << 7);
    struct Case {
        unsigned int asked;
        unsigned long long mask;
        unsigned int expected;
    } cases[] = {
        {7, full, 7},        {28, full, 28}, {7, elevationOnly, 0}, {5, elevationOnly, 0},
        {3, full, 0},        {99, full, 0},  {0, noElevation, 5},   {1, noElevation, 5},
        {7, noElevation, 7}, {7, 0, 7}, // no channel at all: nothing to fall back on
    };
    for (const Case& c : cases) EXPECT_EQ(ChannelAvailable(c.asked, c.mask), c.expected) << c.asked;
    EXPECT_STREQ(ChannelFind(7)->name, L"RGB colour");
    EXPECT_EQ(ChannelFind(2), nullptr);
    EXPECT_FALSE(ChannelInMask(64, ~0ull));
}

TEST(ClassListing, NamesFromTheFileColoursFromTheViewerFirst) {
    PointClassTable table{};
    table.classes[6] = {true, false, 10, 20, 30, L"Houses"};
    unsigned long long counts[256] = {};
    counts[2] = 5;
    counts[6] = 7;
    static unsigned int colours[256][3];
    for (int c = 0; c < 256; ++c) {
        colours[c][0] = static_cast<unsigned>(c);
        colours[c][1] = 1;
        colours[c][2] = 999; // out of range: taken as 255
    }
    static ClassListing listing;
    ClassListingBuild(counts, &table, colours, &listing);
    EXPECT_STREQ(listing.names[6], L"Houses");
    EXPECT_STREQ(listing.names[2], L"Ground");
    EXPECT_STREQ(listing.names[200], L"Class 200");
    EXPECT_EQ(listing.counts[6], 7u);
    EXPECT_EQ(listing.colours[6][0], 6);
    EXPECT_EQ(listing.colours[6][2], 255);

    ClassListingBuild(nullptr, &table, nullptr, &listing);
    EXPECT_EQ(listing.counts[6], 0u);
    EXPECT_EQ(listing.colours[6][0], 10); // the class file's colour
    EXPECT_EQ(listing.colours[6][2], 30);
    uint8_t standard[3];
    ClassDefaultColour(2, standard);
    EXPECT_EQ(listing.colours[2][0], standard[0]);

    ClassListingBuild(nullptr, nullptr, nullptr, &listing);
    EXPECT_STREQ(listing.names[6], L"Building");
}

TEST(CountText, GroupsOfThree) {
    struct Case {
        unsigned long long count;
        const wchar_t* text;
    } cases[] = {{0, L"0"},
                 {7, L"7"},
                 {999, L"999"},
                 {1000, L"1,000"},
                 {65536, L"65,536"},
                 {1234567, L"1,234,567"},
                 {18446744073709551615ull, L"18,446,744,073,709,551,615"}};
    for (const Case& c : cases) {
        wchar_t text[32];
        CountText(c.count, text, 32);
        EXPECT_STREQ(text, c.text);
    }
    wchar_t small[4];
    CountText(1000, small, 4); // does not fit: empty rather than cut
    EXPECT_STREQ(small, L"");
}

TEST(ProjectCheck, FirstLinesOfProjectsAndSessions) {
    struct Case {
        const char* text;
        ProjectKind kind;
    } cases[] = {
        {"[Ocularis project]\r\nStorage=Lidora\r\n", ProjectKindProject},
        {"[Ocularis project]", ProjectKindProject},
        {"\xEF\xBB\xBF[Ocularis project]  \n", ProjectKindProject},
        {"[Ocularis project]x\n", ProjectKindNone},
        {" \t[Ocularis project]\n", ProjectKindProject},
        {"[Ocularis\nproject]\n", ProjectKindNone},
        {"[ocularis project]\n", ProjectKindNone},
        {"LASF", ProjectKindNone},
        {"", ProjectKindNone},
    };
    for (const Case& c : cases) EXPECT_EQ(ProjectKindOfText(c.text, strlen(c.text)), c.kind) << c.text;
    std::string session = std::string(kSessionHeader) + "\r\n";
    EXPECT_EQ(ProjectKindOfText(session.data(), session.size()), ProjectKindSession);
}

TEST(ProjectCheck, FilesThatAreNoProjectSayWhy) {
    std::wstring folder = testenv::ScratchFolder(L"project_check");
    wchar_t reason[2048];
    struct Case {
        std::wstring path;
        const char* content; // null: not created
        ProjectKind kind;
        const wchar_t* reasonPart;
    } cases[] = {
        {folder + L"\\missing.prj", nullptr, ProjectKindNone, L"does not exist"},
        {folder, nullptr, ProjectKindNone, L"is a folder"},
        {folder + L"\\empty.prj", "", ProjectKindNone, L"is empty"},
        {folder + L"\\points.las", "LASF....", ProjectKindNone, L"neither a Lidora project"},
        {folder + L"\\good.prj", "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n",
         ProjectKindProject, L""},
    };
    for (const Case& c : cases) {
        if (c.content) {
            ASSERT_TRUE(testenv::WriteFileBytes(c.path, c.content));
        }
        reason[0] = 0;
        EXPECT_EQ(ProjectFileCheck(c.path.c_str(), reason, 2048), c.kind);
        EXPECT_NE(std::wstring(reason).find(c.reasonPart), std::wstring::npos);
    }
    EXPECT_EQ(ProjectFileCheck(nullptr, reason, 2048), ProjectKindNone);
}
