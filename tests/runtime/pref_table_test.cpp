// Preference tables: lookups, changes and the file round trip.
#include "runtime/file_replace.h"
#include "runtime/files.h"
#include "runtime/memory.h"
#include "runtime/pref_table.h"
#include "support/test_environment.h"
#include "support/tiny_disk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// Test programs may run at the same time: each test gets a folder of its own.
std::wstring FolderForThisTest() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

std::wstring TextOf(const PrefTable& table) {
    if (!table.text) return {};
    return std::wstring(table.text, static_cast<size_t>(table.length));
}

const std::string kHeaderLine = "[Nimbo preferences]\r\n";

// A table read from a file holding the default header and the given lines.
class PrefFileTable : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FolderForThisTest();
        PrefInit(&table);
    }
    void TearDown() override { PrefFree(&table); }
    int ReadLines(const std::string& lines) {
        std::wstring path = folder + L"\\lines.upf";
        EXPECT_TRUE(testenv::WriteFileBytes(path, kHeaderLine + lines));
        return PrefRead(&table, path.c_str(), nullptr);
    }
    std::wstring folder;
    PrefTable table;
};

using PrefLookup = PrefFileTable;
using PrefSetters = PrefFileTable;
using PrefFiles = PrefFileTable;

TEST_F(PrefLookup, TypedGettersAcceptNumbersAndLeaveDefaultsOtherwise) {
    ASSERT_EQ(1, ReadLines("Size=12\r\nSpaced= 12\r\nWord=abc\r\nHalf=.5\r\nSigned=\t-7\r\nReal=12.75\r\n"
                           "Signs=+-5\r\nHex=0x1A\r\nExp=2e3\r\n"));
    // Unset results keep the preset defaults -1 and -1.5.
    const struct {
        const wchar_t* key;
        int intResult, intValue, doubleResult;
        double doubleValue;
    } cases[] = {
        {L"size", 1, 12, 1, 12.0},    {L"Spaced", 1, 12, 1, 12.0}, {L"Word", 0, -1, 0, -1.5},
        {L"Half", 0, -1, 1, 0.5},     {L"Signed", 1, -7, 1, -7.0}, {L"REAL", 1, 12, 1, 12.75},
        {L"Signs", 0, -1, 0, -1.5},   {L"Hex", 1, 0, 1, 0.0},      {L"Exp", 1, 2, 1, 2000.0},
        {L"Missing", 0, -1, 0, -1.5},
    };
    for (const auto& c : cases) {
        int intValue = -1;
        double doubleValue = -1.5;
        EXPECT_EQ(c.intResult, PrefGetInt(&intValue, &table, c.key)) << c.key;
        EXPECT_EQ(c.intValue, intValue) << c.key;
        EXPECT_EQ(c.doubleResult, PrefGetDouble(&doubleValue, &table, c.key)) << c.key;
        EXPECT_DOUBLE_EQ(c.doubleValue, doubleValue) << c.key;
    }
}

TEST_F(PrefLookup, KeysMatchOnlyWholeKeysAtLineStarts) {
    ASSERT_EQ(1, ReadLines("SizeX=1\r\nNote=Size=5\r\nSiz=3\r\n"));
    int size = -1;
    EXPECT_EQ(0, PrefGetInt(&size, &table, L"Size"));
    EXPECT_EQ(-1, size);
    int siz = 0;
    EXPECT_EQ(1, PrefGetInt(&siz, &table, L"siz"));
    EXPECT_EQ(3, siz);
    wchar_t note[20] = L"";
    EXPECT_EQ(1, PrefGetString(note, &table, L"Note", 19));
    EXPECT_STREQ(L"Size=5", note);
}

TEST_F(PrefLookup, LinesMayEndWithALoneLineFeed) {
    ASSERT_EQ(1, ReadLines("A=1\nB=2\rC=3"));
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(1, PrefGetInt(&a, &table, L"A"));
    EXPECT_EQ(1, PrefGetInt(&b, &table, L"B"));
    EXPECT_EQ(1, PrefGetInt(&c, &table, L"C"));
    EXPECT_EQ(1, a);
    EXPECT_EQ(2, b);
    EXPECT_EQ(3, c);
}

TEST_F(PrefLookup, GetStringCutsAtTheMaximumAndTerminates) {
    ASSERT_EQ(1, ReadLines("Name=abcdef\r\nEmpty=\r\n"));
    wchar_t buffer[6] = {L'#', L'#', L'#', L'#', L'#', L'#'};
    EXPECT_EQ(1, PrefGetString(buffer, &table, L"name", 3));
    EXPECT_STREQ(L"abc", buffer);
    EXPECT_EQ(L'#', buffer[4]);
    wchar_t empty[4] = L"x";
    EXPECT_EQ(1, PrefGetString(empty, &table, L"Empty", 3));
    EXPECT_STREQ(L"", empty);
    wchar_t missing[4] = L"def";
    EXPECT_EQ(0, PrefGetString(missing, &table, L"Missing", 3));
    EXPECT_STREQ(L"def", missing);
}

TEST_F(PrefLookup, NumericTextIsCutAt99CharactersBeforeConversion) {
    // 98 blanks, then 42: only the 4 lies within the first 99 characters.
    ASSERT_EQ(1, ReadLines("Far=" + std::string(98, ' ') + "42\r\n"));
    int cut = 0;
    EXPECT_EQ(1, PrefGetInt(&cut, &table, L"Far"));
    EXPECT_EQ(4, cut);
}

TEST_F(PrefLookup, EmptyTableAnswersNothing) {
    int value = 5;
    wchar_t text[4] = L"abc";
    EXPECT_EQ(0, PrefGetInt(&value, &table, L"Size"));
    EXPECT_EQ(0, PrefGetString(text, &table, L"Size", 3));
    EXPECT_EQ(5, value);
    EXPECT_STREQ(L"abc", text);
}

TEST_F(PrefSetters, NewKeysAreAppendedInOrderWithCrLf) {
    EXPECT_EQ(1, PrefSetInt(&table, L"Count", -3));
    EXPECT_EQ(1, PrefSetString(&table, L"Name", L"a b"));
    EXPECT_EQ(1, PrefSetDouble(&table, L"Ratio", 1.23456, nullptr));
    EXPECT_EQ(1, PrefSetDouble(&table, L"Coarse", 1.25, L"%.1lf"));
    EXPECT_EQ(L"Count=-3\r\nName=a b\r\nRatio=1.235\r\nCoarse=1.2\r\n", TextOf(table));
    EXPECT_EQ(kPrefGrowChars, table.capacity);
}

TEST_F(PrefSetters, ExistingKeyChangesInPlaceKeepingItsSpellingAndTheOtherLines) {
    ASSERT_EQ(1, ReadLines("First=1\r\nMiddleKey=long old value\r\nLast=3\r\n"));
    EXPECT_EQ(1, PrefSetString(&table, L"MIDDLEKEY", L"x"));
    EXPECT_EQ(L"First=1\r\nMiddleKey=x\r\nLast=3\r\n", TextOf(table));
    EXPECT_EQ(1, PrefSetString(&table, L"middlekey", L"a much longer value than before"));
    EXPECT_EQ(L"First=1\r\nMiddleKey=a much longer value than before\r\nLast=3\r\n", TextOf(table));
    EXPECT_EQ(1, PrefSetInt(&table, L"Last", 30));
    EXPECT_EQ(L"First=1\r\nMiddleKey=a much longer value than before\r\nLast=30\r\n", TextOf(table));
}

TEST_F(PrefSetters, TableReadFromFileGrowsByOneStepWhenAValueGrows) {
    ASSERT_EQ(1, ReadLines("A=1\r\nB=2\r\n"));
    EXPECT_EQ(table.length, table.capacity);
    int before = table.capacity;
    EXPECT_EQ(1, PrefSetString(&table, L"A", L"123"));
    EXPECT_EQ(before + kPrefGrowChars, table.capacity);
    EXPECT_EQ(L"A=123\r\nB=2\r\n", TextOf(table));
    // Shrinking needs no room.
    EXPECT_EQ(1, PrefSetString(&table, L"A", L""));
    EXPECT_EQ(before + kPrefGrowChars, table.capacity);
    EXPECT_EQ(L"A=\r\nB=2\r\n", TextOf(table));
}

TEST_F(PrefSetters, ManyLinesKeepGrowingTheTable) {
    for (int i = 0; i < 2000; ++i) {
        std::wstring key = L"Key" + std::to_wstring(i);
        ASSERT_EQ(1, PrefSetInt(&table, key.c_str(), i)) << i;
    }
    EXPECT_GT(table.capacity, table.length);
    for (int i = 0; i < 2000; i += 199) {
        std::wstring key = L"key" + std::to_wstring(i);
        int value = -1;
        EXPECT_EQ(1, PrefGetInt(&value, &table, key.c_str()));
        EXPECT_EQ(i, value);
    }
}

TEST_F(PrefSetters, DoubleFormatsMustConsumeExactlyOneDouble) {
    EXPECT_EQ(1, PrefSetDouble(&table, L"Percent", 12.5, L"%%%.2f"));
    EXPECT_EQ(1, PrefSetDouble(&table, L"Exp", 1500.0, L"%.1e"));
    std::wstring before = TextOf(table);
    EXPECT_EQ(0, PrefSetDouble(&table, L"Text", 1.0, L"%s"));
    EXPECT_EQ(0, PrefSetDouble(&table, L"Two", 1.0, L"%f %f"));
    EXPECT_EQ(0, PrefSetDouble(&table, L"None", 1.0, L"plain"));
    EXPECT_EQ(0, PrefSetDouble(&table, L"Star", 1.0, L"%*f"));
    EXPECT_EQ(0, PrefSetDouble(&table, L"Dangling", 1.0, L"%.2f%"));
    // Wider than the 100 characters a number may take.
    EXPECT_EQ(0, PrefSetDouble(&table, L"Wide", 1.0, L"%150f"));
    EXPECT_EQ(before, TextOf(table));
    wchar_t percent[20] = L"";
    EXPECT_EQ(1, PrefGetString(percent, &table, L"Percent", 19));
    EXPECT_STREQ(L"%12.50", percent);
    double exp = 0;
    EXPECT_EQ(1, PrefGetDouble(&exp, &table, L"Exp"));
    EXPECT_DOUBLE_EQ(1500.0, exp);
}

TEST_F(PrefFiles, NonAsciiKeysAndValuesRoundTripByteExact) {
    const wchar_t* key = L"Gr\u00f6\u00dfe";
    const wchar_t* value = L"\u65e5\u672c \u2713 \U0001F600 C:\\Pfad\\\u00e4";
    ASSERT_EQ(1, PrefSetString(&table, key, value));
    ASSERT_EQ(1, PrefSetInt(&table, L"Plain", 5));
    std::wstring path = folder + L"\\round.upf";
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), nullptr));

    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    std::string expected = kHeaderLine + "Gr\xc3\xb6\xc3\x9f"
                                         "e=\xe6\x97\xa5\xe6\x9c\xac \xe2\x9c\x93 "
                                         "\xf0\x9f\x98\x80 C:\\Pfad\\\xc3\xa4\r\nPlain=5\r\n";
    EXPECT_EQ(expected, bytes);

    PrefTable back;
    PrefInit(&back);
    ASSERT_EQ(1, PrefRead(&back, path.c_str(), nullptr));
    EXPECT_EQ(TextOf(table), TextOf(back));
    wchar_t read[64] = L"";
    EXPECT_EQ(1, PrefGetString(read, &back, key, 63));
    EXPECT_STREQ(value, read);
    PrefFree(&back);
}

TEST_F(PrefFiles, HeaderIsComparedWithoutRegardToCase) {
    std::wstring path = folder + L"\\upper.upf";
    ASSERT_TRUE(testenv::WriteFileBytes(path, "[NIMBO PREFERENCES]\r\nA=1\r\n"));
    ASSERT_EQ(1, PrefRead(&table, path.c_str(), nullptr));
    EXPECT_EQ(L"A=1\r\n", TextOf(table));
}

TEST_F(PrefFiles, OwnHeaderIsWrittenAndRequiredOnReading) {
    ASSERT_EQ(1, PrefSetString(&table, L"Session File", L"C:\\s.tss"));
    std::wstring path = folder + L"\\host.upf";
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), L"[Ocularis for Orbisa]"));
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    EXPECT_EQ("[Ocularis for Orbisa]\r\nSession File=C:\\s.tss\r\n", bytes);

    PrefTable back;
    PrefInit(&back);
    EXPECT_EQ(-1, PrefRead(&back, path.c_str(), nullptr));
    EXPECT_EQ(nullptr, back.text);
    EXPECT_EQ(1, PrefRead(&back, path.c_str(), L"[ocularis FOR orbisa]"));
    EXPECT_EQ(TextOf(table), TextOf(back));
    PrefFree(&back);
}

TEST_F(PrefFiles, NonAsciiHeaderReadsBack) {
    ASSERT_EQ(1, PrefSetInt(&table, L"A", 1));
    std::wstring path = folder + L"\\header.upf";
    const wchar_t* header = L"[Einstellungen f\u00fcr \u00c4rzte]";
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), header));
    PrefTable back;
    PrefInit(&back);
    EXPECT_EQ(1, PrefRead(&back, path.c_str(), header));
    EXPECT_EQ(L"A=1\r\n", TextOf(back));
    PrefFree(&back);
}

TEST_F(PrefFiles, WriteAnswersZeroWhenTheFileCannotBeCreated) {
    ASSERT_EQ(1, PrefSetInt(&table, L"A", 1));
    std::wstring path = folder + L"\\no such folder\\a.upf";
    EXPECT_EQ(0, PrefWrite(&table, path.c_str(), nullptr));
    EXPECT_EQ(0, PrefWrite(&table, folder.c_str(), nullptr));
}

// Writes the table into a pipe whose far end takes the connection, reads a little and hangs up:
// the writes after that fail, as writes to a full or vanished disk would. received is what the far
// end got before it hung up.
int WriteIntoHangingUpPipe(const PrefTable& table, DWORD* received) {
    // Both builds of this program may run at once; each needs a pipe of its own.
    std::wstring name = L"\\\\.\\pipe\\nimbo_pref_write_failure_" + std::to_wstring(GetCurrentProcessId());
    const wchar_t* pipeName = name.c_str();
    HANDLE pipe = CreateNamedPipeW(pipeName, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096,
                                   0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return -1;
    std::atomic<DWORD> got{0};
    std::thread server([pipe, &got] {
        ConnectNamedPipe(pipe, nullptr);
        char some[100];
        DWORD done = 0;
        ReadFile(pipe, some, sizeof some, &done, nullptr);
        got = done;
        DisconnectNamedPipe(pipe);
        CloseHandle(pipe);
    });
    int result = PrefWrite(&table, pipeName, nullptr);
    if (got == 0) {
        // Nothing reached the pipe; release the server so that the test can end.
        HANDLE client = CreateFileW(pipeName, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (client != INVALID_HANDLE_VALUE) {
            WriteFile(client, "x", 1, nullptr, nullptr);
            CloseHandle(client);
        }
    }
    server.join();
    *received = got;
    return result;
}

TEST_F(PrefFiles, WriteThatFailsMidwayIsNotReportedAsSuccess) {
    // First a text that waits in the write buffer until the file is closed, then one larger than the
    // buffer, which goes to the file while it is written.
    for (int lines : {40, 800}) {
        PrefFree(&table);
        for (int i = 0; i < lines; ++i) {
            std::wstring key = L"Key" + std::to_wstring(i);
            ASSERT_EQ(1, PrefSetString(&table, key.c_str(), std::wstring(500, L'v').c_str()));
        }
        DWORD received = 0;
        EXPECT_EQ(0, WriteIntoHangingUpPipe(table, &received)) << lines << " lines";
        // Something did arrive: the write failed midway, not at creating the file.
        EXPECT_GT(received, 1u) << lines << " lines";
    }
}

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetOldWriteTime(const std::wstring& path) {
    SYSTEMTIME time{};
    time.wYear = 2012;
    time.wMonth = 5;
    time.wDay = 6;
    FILETIME fileTime;
    SystemTimeToFileTime(&time, &fileTime);
    HANDLE file =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &fileTime);
    CloseHandle(file);
}

// A full disk while the settings are saved: the file the program reads at its next start is the previous
// one, byte for byte, and no temporary file is left on the disk.
TEST_F(PrefFiles, AWriteOntoAFullDiskLeavesThePreviousFileAsItWas) {
    std::wstring disk = folder + L"\\disk";
    testenv::TinyDisk tiny(disk, folder);
    if (!tiny.Mounted()) GTEST_SKIP() << TINY_DISK_SKIP_MESSAGE;
    std::wstring path = disk + L"\\user.upf";
    ASSERT_EQ(1, PrefSetString(&table, L"Quality", L"90"));
    ASSERT_EQ(1, PrefSetString(&table, L"Last", L"kept"));
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), nullptr));
    EXPECT_TRUE(testenv::FilesStartingWith(disk, FILE_REPLACE_PREFIX).empty());
    SetOldWriteTime(path);
    std::string before;
    ASSERT_TRUE(testenv::ReadFileBytes(path, before));
    FILETIME writtenBefore = WriteTime(path);

    for (int i = 0; i < 200; ++i) // about 100 KB, more than the disk holds
        ASSERT_EQ(
            1, PrefSetString(&table, (L"Key" + std::to_wstring(i)).c_str(), std::wstring(500, L'v').c_str()));
    EXPECT_EQ(0, PrefWrite(&table, path.c_str(), nullptr));

    std::string after;
    ASSERT_TRUE(testenv::ReadFileBytes(path, after));
    EXPECT_EQ(before, after);
    FILETIME writtenAfter = WriteTime(path);
    EXPECT_EQ(0, CompareFileTime(&writtenBefore, &writtenAfter));
    EXPECT_TRUE(testenv::FilesStartingWith(disk, FILE_REPLACE_PREFIX).empty());
    PrefTable back;
    PrefInit(&back);
    ASSERT_EQ(1, PrefRead(&back, path.c_str(), nullptr));
    wchar_t last[10] = L"";
    EXPECT_EQ(1, PrefGetString(last, &back, L"Last", 9));
    EXPECT_STREQ(L"kept", last);
    PrefFree(&back);
}

long long Utf8Size(const std::wstring& text) {
    return WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                               nullptr);
}

// The setters stop a table where its file, even under the longest header, would be too large to be read
// back; a change that does not grow it is still taken.
TEST_F(PrefSetters, ATableStopsGrowingWhereItsFileCouldNoLongerBeRead) {
    std::wstring value(500, L'\u65E5'); // three bytes each in the file
    int lines = 0;
    while (lines < 1000 && PrefSetString(&table, (L"K" + std::to_wstring(lines)).c_str(), value.c_str()))
        ++lines;
    ASSERT_LT(lines, 1000) << "the table grew beyond what a file may hold";
    // One more line that takes exactly the room left: "Fill=", some three-byte and one-byte characters, CR
    // LF.
    long long room = kPrefMaxTextBytes - Utf8Size(TextOf(table));
    ASSERT_GT(room, 7);
    ASSERT_LT(room, 1600);
    long long bytes = room - 7;
    std::wstring fill =
        std::wstring(static_cast<size_t>(bytes / 3), L'\u65E5') + std::wstring(bytes % 3, L'x');
    EXPECT_EQ(1, PrefSetString(&table, L"Fill", fill.c_str()));
    EXPECT_EQ(kPrefMaxTextBytes, Utf8Size(TextOf(table)));

    std::wstring header = L"[" + std::wstring(kPrefMaxHeaderChars - 2, L'h') + L"]";
    std::wstring path = folder + L"\\full.upf";
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), header.c_str()));
    EXPECT_EQ(static_cast<unsigned long long>(kPrefFileLimitBytes - 1), FileSize(path.c_str()));
    PrefTable back;
    PrefInit(&back);
    EXPECT_EQ(1, PrefRead(&back, path.c_str(), header.c_str()));
    EXPECT_TRUE(TextOf(table) == TextOf(back));
    PrefFree(&back);

    std::wstring full = TextOf(table);
    EXPECT_EQ(0, PrefSetInt(&table, L"N", 1));
    EXPECT_EQ(0, PrefSetString(&table, L"Fill", (fill + L"x").c_str()));
    EXPECT_TRUE(full == TextOf(table)) << "a refused change left traces";
    EXPECT_EQ(1, PrefSetString(&table, L"K1", value.c_str())) << "the same length again";
    EXPECT_EQ(1, PrefSetString(&table, L"K0", L"short"));
    EXPECT_EQ(1, PrefSetInt(&table, L"N", 1)) << "room again after the shrink";
}

#ifndef NIMBO_PLUGIN
// The installer's allocator registers blocks by tag, which shows what a table holds on to.
TEST_F(PrefFiles, ReadingAndWritingKeepOnlyTheTableText) {
    ASSERT_EQ(1, ReadLines("A=1\r\n"));
    // Reading into a table that holds text releases the old text.
    ASSERT_EQ(1, ReadLines("B=2\r\n"));
    EXPECT_EQ(-1, MemFind("UpfMem", 0));
    int text = MemFind("UpfTblW", 0);
    EXPECT_GE(text, 0);
    EXPECT_EQ(-1, MemFind("UpfTblW", text + 1));
    std::wstring path = folder + L"\\tags.upf";
    ASSERT_EQ(1, PrefWrite(&table, path.c_str(), nullptr));
    EXPECT_EQ(-1, MemFind("UpfWri", 0));
    EXPECT_EQ(-1, MemFind("OutFile", 0));
    PrefFree(&table);
    EXPECT_EQ(-1, MemFind("UpfTblW", 0));
    EXPECT_EQ(nullptr, table.text);
    EXPECT_EQ(0, table.length);
    EXPECT_EQ(0, table.capacity);
}
#endif

} // namespace
