#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "runtime/files.h"
#include "support/test_environment.h"

namespace {

std::wstring MakeFile(const std::wstring& path, const std::string& bytes) {
    EXPECT_TRUE(testenv::WriteFileBytes(path, bytes));
    return path;
}

std::string Contents(const std::wstring& path) {
    std::string bytes;
    return testenv::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

void SetWriteTime(const std::wstring& path, int hour, int minute, int second, int milliseconds) {
    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 5;
    time.wDay = 17;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(milliseconds);
    FILETIME fileTime;
    ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &fileTime));
    CloseHandle(file);
}

} // namespace

TEST(FileQuestions, ExistenceSizeAndDriveRoots) {
    std::wstring folder = testenv::ScratchFolder(L"files_questions");
    std::wstring file = MakeFile(folder + L"\\data.bin", std::string(1234, 'x'));
    std::wstring missing = folder + L"\\missing.bin";

    EXPECT_EQ(FileExists(file.c_str()), 1);
    EXPECT_EQ(FileExists(folder.c_str()), 0);
    EXPECT_EQ(FileExists(missing.c_str()), 0);
    EXPECT_EQ(FileExists(L""), 0);

    EXPECT_EQ(FolderExists(folder.c_str()), kFolderFound);
    EXPECT_EQ(FolderExists((folder + L"\\\\").c_str()), kFolderFound);
    EXPECT_EQ(FolderExists(file.c_str()), kFolderMissing);
    EXPECT_EQ(FolderExists(missing.c_str()), kFolderMissing);
    EXPECT_EQ(FolderExists(L"C:"), kFolderDriveRoot);
    EXPECT_EQ(FolderExists(L"C:\\"), kFolderDriveRoot);
    EXPECT_EQ(FolderExists(L""), kFolderDriveRoot);
    EXPECT_EQ(FolderExists(std::wstring(3000, L'a').c_str()), kFolderMissing);

    EXPECT_EQ(FileSize(file.c_str()), 1234u);
    EXPECT_EQ(FileSize(MakeFile(folder + L"\\empty", "").c_str()), 0u);
    EXPECT_EQ(FileSize(missing.c_str()), 0u);
    EXPECT_EQ(FileSize(folder.c_str()), 0u);
}

TEST(FileQuestions, WriteTimesCompareToTheSecond) {
    std::wstring folder = testenv::ScratchFolder(L"files_times");
    std::wstring a = MakeFile(folder + L"\\a.txt", "a");
    std::wstring b = MakeFile(folder + L"\\b.txt", "b");
    EXPECT_EQ(FileTimeCompare(a.c_str(), a.c_str()), 0);

    SetWriteTime(a, 9, 59, 59, 0);
    SetWriteTime(b, 10, 0, 0, 0);
    EXPECT_EQ(FileTimeCompare(a.c_str(), b.c_str()), 1);
    EXPECT_EQ(FileTimeCompare(b.c_str(), a.c_str()), -1);

    SetWriteTime(a, 10, 0, 0, 100);
    SetWriteTime(b, 10, 0, 0, 900);
    EXPECT_EQ(FileTimeCompare(a.c_str(), b.c_str()), 0);

    std::wstring missing = folder + L"\\missing.txt";
    EXPECT_EQ(FileTimeCompare(a.c_str(), missing.c_str()), 0);
    EXPECT_EQ(FileTimeCompare(missing.c_str(), b.c_str()), 0);
}

TEST(FileTransfers, CopyOverwritesMoveRefusesToOverwrite) {
    std::wstring folder = testenv::ScratchFolder(L"files_transfers");
    std::wstring source = MakeFile(folder + L"\\source.cfg", "new contents");
    std::wstring target = MakeFile(folder + L"\\target.cfg", "old");

    EXPECT_EQ(FileCopy(target.c_str(), source.c_str()), 1);
    EXPECT_EQ(Contents(target), "new contents");
    EXPECT_EQ(FileCopy(target.c_str(), (folder + L"\\missing").c_str()), 0);
    EXPECT_EQ(Contents(target), "new contents");

    std::wstring other = MakeFile(folder + L"\\other.cfg", "other");
    EXPECT_EQ(FileMove(target.c_str(), other.c_str()), 0);
    EXPECT_EQ(Contents(other), "other");
    EXPECT_EQ(Contents(target), "new contents");

    std::wstring moved = folder + L"\\moved.cfg";
    EXPECT_EQ(FileMove(moved.c_str(), other.c_str()), 1);
    EXPECT_EQ(Contents(moved), "other");
    EXPECT_EQ(FileExists(other.c_str()), 0);
}

TEST(FileTransfers, TempFolderIsAnExistingFolderThatFitsItsBuffer) {
    wchar_t temp[kPathCapacity];
    ASSERT_EQ(TempFolder(temp), 1);
    std::wstring path = temp;
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), L'\\');
    EXPECT_EQ(FolderExists(temp), kFolderFound);

    wchar_t tiny[4] = L"old";
    EXPECT_EQ(TempFolder(tiny, 4), 0);
    EXPECT_STREQ(tiny, L"");
}

TEST(TextLines, NarrowLinesAreWidenedTrimmedAndNeverSplit) {
    std::wstring folder = testenv::ScratchFolder(L"files_lines_narrow");
    std::string longLine(25000, 'L');
    std::wstring path =
        MakeFile(folder + L"\\lines.txt", "first  \r\nsecond\t\n\ncaf\xE9\r\n" + longLine + "\r\nnext\nlast");
    FILE* stream = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(stream, nullptr);
    static wchar_t line[30000];
    const wchar_t* expected[] = {L"first", L"second", L"", L"caf\u00E9"};
    for (const wchar_t* text : expected) {
        ASSERT_EQ(TextReadLine(line, 30000, stream, 1), 1);
        EXPECT_STREQ(line, text);
    }
    ASSERT_EQ(TextReadLine(line, 30000, stream, 1), 1);
    EXPECT_EQ(std::wstring(line), std::wstring(kNarrowLineBytes, L'L'));
    // The rest of the over-long line must not come back as a line of its own.
    ASSERT_EQ(TextReadLine(line, 30000, stream, 1), 1);
    EXPECT_STREQ(line, L"next");
    wchar_t small[5];
    ASSERT_EQ(TextReadLine(small, 5, stream, 1), 1);
    EXPECT_STREQ(small, L"last");
    EXPECT_EQ(TextReadLine(small, 5, stream, 1), 0);
    EXPECT_STREQ(small, L"");
    fclose(stream);
}

TEST(TextLines, WideLinesFollowTheStreamsEncodingAndSkipWhatDoesNotFit) {
    std::wstring folder = testenv::ScratchFolder(L"files_lines_wide");
    std::wstring text = L"Gr\u00F6\u00DFe \r\nabcdefghij\r\nnext\r\n";
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    std::wstring path = MakeFile(folder + L"\\wide.txt", bytes);
    FILE* stream = _wfopen(path.c_str(), L"rt, ccs=UTF-16LE");
    ASSERT_NE(stream, nullptr);
    wchar_t line[8];
    ASSERT_EQ(TextReadLine(line, 8, stream, 0), 1);
    EXPECT_STREQ(line, L"Gr\u00F6\u00DFe");
    ASSERT_EQ(TextReadLine(line, 8, stream, 0), 1);
    EXPECT_STREQ(line, L"abcdefg");
    ASSERT_EQ(TextReadLine(line, 8, stream, 0), 1);
    EXPECT_STREQ(line, L"next");
    EXPECT_EQ(TextReadLine(line, 8, stream, 0), 0);
    fclose(stream);
}

namespace {

struct WalkLog {
    std::set<std::wstring> seen;
    std::wstring root;
    int stopAfter = 0;
};

int RecordPath(const wchar_t* path, void* context) {
    WalkLog* log = static_cast<WalkLog*>(context);
    std::wstring full = path;
    log->seen.insert(full.substr(0, log->root.size()) == log->root ? full.substr(log->root.size()) : full);
    return log->stopAfter && static_cast<int>(log->seen.size()) >= log->stopAfter ? 7 : 0;
}

} // namespace

TEST(FolderWalk, VisitsMatchingFilesAndVisibleSubfolders) {
    std::wstring root = testenv::ScratchFolder(L"files_walk");
    for (const wchar_t* sub : {L"\\sub", L"\\sub\\deeper", L"\\.hidden", L"\\folder.txt"})
        CreateDirectoryW((root + sub).c_str(), nullptr);
    for (const wchar_t* file :
         {L"\\a.txt", L"\\b.dat", L"\\sub\\c.txt", L"\\sub\\deeper\\e.txt", L"\\.hidden\\d.txt"})
        MakeFile(root + file, "x");

    WalkLog flat;
    flat.root = root;
    EXPECT_EQ(FilesWalk(RecordPath, root.c_str(), L"*.txt", 0, &flat), 0);
    EXPECT_EQ(flat.seen, (std::set<std::wstring>{L"\\a.txt"}));

    WalkLog deep;
    deep.root = root;
    EXPECT_EQ(FilesWalk(RecordPath, (root + L"\\").c_str(), L"*.txt", 1, &deep), 0);
    EXPECT_EQ(deep.seen, (std::set<std::wstring>{L"\\a.txt", L"\\sub\\c.txt", L"\\sub\\deeper\\e.txt"}));

    WalkLog all;
    all.root = root;
    FilesWalk(RecordPath, root.c_str(), nullptr, 0, &all);
    EXPECT_EQ(all.seen, (std::set<std::wstring>{L"\\a.txt", L"\\b.dat"}));

    WalkLog stopped;
    stopped.root = root;
    stopped.stopAfter = 2;
    EXPECT_EQ(FilesWalk(RecordPath, root.c_str(), L"*.txt", 1, &stopped), 7);
    EXPECT_EQ(stopped.seen.size(), 2u);

    WalkLog refused;
    std::wstring longFolder = root + L"\\" + std::wstring(kPathCapacity, L'f');
    EXPECT_EQ(FilesWalk(RecordPath, longFolder.c_str(), L"*", 1, &refused), 0);
    EXPECT_TRUE(refused.seen.empty());
    EXPECT_EQ(FilesWalk(RecordPath, (root + L"\\nothing").c_str(), L"*", 1, &refused), 0);
    EXPECT_TRUE(refused.seen.empty());
}

TEST(ChooserFilters, PairsAreTerminatedAppendedAndBounded) {
    wchar_t list[64];
    for (wchar_t& c : list) c = L'#';
    ASSERT_EQ(FileFilterAdd(list, L"Text", L"*.txt", L"All", 0, 64), 1);
    const wchar_t first[] = L"Text\0*.txt\0All\0*.*\0";
    EXPECT_EQ(std::wstring(list, 20), std::wstring(first, 20));
    EXPECT_EQ(list[20], L'#');

    ASSERT_EQ(FileFilterAdd(list, L"Log", L"*.log", nullptr, 1, 64), 1);
    const wchar_t both[] = L"Text\0*.txt\0All\0*.*\0Log\0*.log\0";
    EXPECT_EQ(std::wstring(list, 30), std::wstring(both, 30));

    ASSERT_EQ(FileFilterAdd(list, L"Session", L"*.tss", nullptr, 0, 64), 1);
    EXPECT_EQ(std::wstring(list, 15), std::wstring(L"Session\0*.tss\0\0", 15));

    // The final terminator sits at 18, so 46 characters remain: one too few for a 36-character
    // description, just enough for 35.
    ASSERT_EQ(FileFilterAdd(list, L"Log", L"*.log", L"All", 0, 64), 1);
    EXPECT_EQ(FileFilterAdd(list, std::wstring(36, L'd').c_str(), L"*.abcdef", nullptr, 1, 64), 0);
    EXPECT_EQ(std::wstring(list, 19), std::wstring(L"Log\0*.log\0All\0*.*\0\0", 19));
    EXPECT_EQ(FileFilterAdd(list, std::wstring(35, L'd').c_str(), L"*.abcdef", nullptr, 1, 64), 1);
    EXPECT_EQ(list[63], 0);
}
