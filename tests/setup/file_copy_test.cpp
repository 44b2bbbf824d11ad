#include "file_copy.h"
#include "folder_create.h"
#include "setup_state.h"
#include "setup_text.h"

#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using setuptest::Exists;
using setuptest::IsFolder;
using setuptest::Pattern;
using setuptest::SetWriteTime;
using setuptest::WriteTime;

FileEntry Entry(const wchar_t* file, uint32_t flags) {
    FileEntry entry{};
    SetupTextCopy(entry.name, 80, L"entry");
    SetupTextCopy(entry.file, 80, file);
    entry.flags = flags;
    return entry;
}

TEST(FolderCreatePath, CreatesEveryMissingLevelAndAcceptsRootsAndExistingFolders) {
    std::wstring base = testenv::ScratchFolder(L"folder_levels");
    EXPECT_TRUE(FolderCreatePath(L""));
    EXPECT_TRUE(FolderCreatePath(L"C:\\"));
    EXPECT_TRUE(FolderCreatePath((base + L"\\one\\two\\three").c_str()));
    EXPECT_TRUE(IsFolder(base + L"\\one\\two\\three"));
    EXPECT_TRUE(FolderCreatePath((base + L"\\one\\two\\three\\").c_str()));
    EXPECT_TRUE(FolderCreatePath((base + L"\\one\\\\four").c_str()));
    EXPECT_TRUE(IsFolder(base + L"\\one\\four"));
}

TEST(FolderCreatePath, FailsAtAFileOrAnUnreachableServer) {
    std::wstring base = testenv::ScratchFolder(L"folder_blocked");
    ASSERT_TRUE(testenv::WriteFileBytes(base + L"\\file", "x"));
    EXPECT_FALSE(FolderCreatePath((base + L"\\file\\sub").c_str()));
    EXPECT_FALSE(Exists(base + L"\\file\\sub"));
    EXPECT_FALSE(FolderCreatePath(L"\\\\nimbo-no-such-server\\share\\folder"));
}

TEST(FolderCreate, AnEmptyTargetFolderIsNoPlaceToInstall) {
    EXPECT_FALSE(FolderCreate(nullptr, L""));
    std::wstring base = testenv::ScratchFolder(L"folder_create");
    EXPECT_TRUE(FolderCreate(nullptr, (base + L"\\target").c_str()));
}

TEST(FolderCreateList, CreatesEachEntryBelowTheBaseAndStopsAtTheFirstFailure) {
    std::wstring base = testenv::ScratchFolder(L"folder_list");
    ASSERT_TRUE(testenv::WriteFileBytes(base + L"\\blocker", "x"));
    FolderEntry list[3] = {{L"a\\b"}, {L"blocker\\c"}, {L"d"}};
    EXPECT_TRUE(FolderCreateList(nullptr, base.c_str(), list, 1));
    EXPECT_TRUE(IsFolder(base + L"\\a\\b"));
    EXPECT_FALSE(FolderCreateList(nullptr, base.c_str(), list, 3));
    EXPECT_FALSE(Exists(base + L"\\d"));
    EXPECT_TRUE(FolderCreateList(nullptr, base.c_str(), list, 0));
}

TEST(FileCopyData, CopiesContentInBlocksAndTheLastWriteTime) {
    std::wstring base = testenv::ScratchFolder(L"copy_data");
    for (size_t size : {size_t(0), size_t(1), size_t(16383), size_t(16384), size_t(16385), size_t(100000)}) {
        std::wstring source = base + L"\\source.bin";
        std::wstring target = base + L"\\target.bin";
        std::string bytes = Pattern(size);
        ASSERT_TRUE(testenv::WriteFileBytes(source, bytes));
        SetWriteTime(source, 2011);
        ASSERT_EQ(CopyOk, FileCopyData(source.c_str(), target.c_str())) << size;
        std::string copied;
        ASSERT_TRUE(testenv::ReadFileBytes(target, copied));
        EXPECT_EQ(bytes, copied) << size;
        FILETIME sourceTime = WriteTime(source), targetTime = WriteTime(target);
        EXPECT_EQ(0, CompareFileTime(&sourceTime, &targetTime)) << size;
    }
}

TEST(FileCopyData, ReportsAMissingSourceAndAnUnwritableTarget) {
    std::wstring base = testenv::ScratchFolder(L"copy_errors");
    std::wstring source = base + L"\\source.txt";
    std::wstring target = base + L"\\target.txt";
    EXPECT_EQ(CopySourceMissing, FileCopyData(source.c_str(), target.c_str()));
    EXPECT_FALSE(Exists(target));
    ASSERT_TRUE(testenv::WriteFileBytes(source, "new"));
    ASSERT_TRUE(testenv::WriteFileBytes(target, "old"));
    // Another program has the target open and lets nobody write it.
    HANDLE holder =
        CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(CopyTargetNotWritable, FileCopyData(source.c_str(), target.c_str()));
    CloseHandle(holder);
    std::string kept;
    ASSERT_TRUE(testenv::ReadFileBytes(target, kept));
    EXPECT_EQ("old", kept);
    EXPECT_EQ(CopyTargetNotWritable, FileCopyData(source.c_str(), (base + L"\\missing\\target.txt").c_str()));
}

TEST(FileCopyData, AWriteThatFailsHalfwayLeavesNoTargetThatLooksInstalled) {
    std::wstring base = testenv::ScratchFolder(L"copy_disk_full");
    std::wstring disk = base + L"\\tiny";
    std::wstring source = base + L"\\source.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(source, Pattern(200000)));
    if (!setuptest::MountTinyDisk(disk, base)) GTEST_SKIP() << "no right to mount a small file system";
    CopyResult result = FileCopyData(source.c_str(), (disk + L"\\target.bin").c_str());
    bool left = Exists(disk + L"\\target.bin");
    bool roomAgain = testenv::WriteFileBytes(disk + L"\\small.bin", "fits");
    setuptest::UnmountTinyDisk(disk, base);
    EXPECT_EQ(CopyTargetNotWritable, result);
    EXPECT_FALSE(left);
    EXPECT_TRUE(roomAgain);
}

TEST(FileCopyData, AFailedReadLeavesNoTargetThatLooksInstalled) {
    std::wstring base = testenv::ScratchFolder(L"copy_read_fails");
    std::wstring unreadable = base + L"\\unreadable.bin";
    std::wstring target = base + L"\\target.bin";
    ASSERT_TRUE(setuptest::LinkToDevice(unreadable, "/proc/self/mem", base));
    EXPECT_EQ(CopyTargetNotWritable, FileCopyData(unreadable.c_str(), target.c_str()));
    EXPECT_FALSE(Exists(target));
    setuptest::RemoveLink(unreadable, base);
}

TEST(FileSameVersion, NeedsTheSameWriteSecondAndTheSameNonZeroSize) {
    std::wstring base = testenv::ScratchFolder(L"same_version");
    std::wstring a = base + L"\\a.dll", b = base + L"\\b.dll";
    ASSERT_TRUE(testenv::WriteFileBytes(a, "module"));
    ASSERT_TRUE(testenv::WriteFileBytes(b, "MODULE"));
    SetWriteTime(a, 2020);
    SetWriteTime(b, 2020);
    EXPECT_TRUE(FileSameVersion(a.c_str(), b.c_str()));
    SetWriteTime(b, 2021);
    EXPECT_FALSE(FileSameVersion(a.c_str(), b.c_str()));
    ASSERT_TRUE(testenv::WriteFileBytes(b, "longer module"));
    SetWriteTime(b, 2020);
    EXPECT_FALSE(FileSameVersion(a.c_str(), b.c_str()));
    ASSERT_TRUE(testenv::WriteFileBytes(a, ""));
    ASSERT_TRUE(testenv::WriteFileBytes(b, ""));
    SetWriteTime(a, 2020);
    SetWriteTime(b, 2020);
    EXPECT_FALSE(FileSameVersion(a.c_str(), b.c_str()));
    EXPECT_FALSE(FileSameVersion((base + L"\\none.dll").c_str(), b.c_str()));
}

class FileCopyListedTest : public testing::Test {
protected:
    std::wstring media, target;

    void SetUp() override {
        SetupStateReset();
        media = testenv::ScratchFolder(L"listed_media");
        target = testenv::ScratchFolder(L"listed_target");
        SetupTextCopy(g_setup.moduleFolder, kSetupPathChars, (media + L"\\").c_str());
    }

    // A module that another program has loaded: readable by others, not replaceable.
    HANDLE HoldOpen(const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
};

TEST_F(FileCopyListedTest, SilentModeFailsOnAMissingSource) {
    FileEntry entry = Entry(L"missing.exe", 0);
    EXPECT_FALSE(FileCopyListed(nullptr, target.c_str(), &entry));
    EXPECT_FALSE(g_setup.userEnded);
}

TEST_F(FileCopyListedTest, KeepExistingLeavesATargetAloneAndIgnoresErrors) {
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\user.upf", "edited by the user"));
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\user.upf", "defaults"));
    FileEntry kept = Entry(L"user.upf", FileFlags::KeepExisting);
    EXPECT_TRUE(FileCopyListed(nullptr, target.c_str(), &kept));
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(target + L"\\user.upf", bytes));
    EXPECT_EQ("edited by the user", bytes);
    FileEntry missing = Entry(L"nowhere.upf", FileFlags::KeepExisting);
    EXPECT_TRUE(FileCopyListed(nullptr, target.c_str(), &missing));
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\fresh.upf", "defaults"));
    FileEntry fresh = Entry(L"fresh.upf", FileFlags::KeepExisting);
    EXPECT_TRUE(FileCopyListed(nullptr, target.c_str(), &fresh));
    EXPECT_TRUE(Exists(target + L"\\fresh.upf"));
}

TEST_F(FileCopyListedTest, AModuleInUseIsLeftWhenItIsAlreadyUpToDate) {
    for (const wchar_t* name : {L"engine.DLL", L"viewer.ix"}) {
        std::wstring source = media + L"\\" + name, installed = target + L"\\" + name;
        ASSERT_TRUE(testenv::WriteFileBytes(source, "module v2"));
        ASSERT_TRUE(testenv::WriteFileBytes(installed, "module v1"));
        SetWriteTime(source, 2022);
        SetWriteTime(installed, 2022);
        HANDLE holder = HoldOpen(installed);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        FileEntry entry = Entry(name, 0);
        EXPECT_TRUE(FileCopyListed(nullptr, target.c_str(), &entry)) << name;
        SetWriteTime(installed, 2019);
        EXPECT_FALSE(FileCopyListed(nullptr, target.c_str(), &entry)) << name;
        CloseHandle(holder);
        EXPECT_TRUE(FileCopyListed(nullptr, target.c_str(), &entry)) << name;
        std::string bytes;
        ASSERT_TRUE(testenv::ReadFileBytes(installed, bytes));
        EXPECT_EQ("module v2", bytes);
    }
}

TEST_F(FileCopyListedTest, OnlyModulesAreExcusedWhenInUse) {
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\program.exe", "same"));
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\program.exe", "same"));
    SetWriteTime(media + L"\\program.exe", 2022);
    SetWriteTime(target + L"\\program.exe", 2022);
    HANDLE holder = HoldOpen(target + L"\\program.exe");
    FileEntry entry = Entry(L"program.exe", 0);
    EXPECT_FALSE(FileCopyListed(nullptr, target.c_str(), &entry));
    CloseHandle(holder);
}

TEST_F(FileCopyListedTest, ListsStopAtTheFirstFailureAndTemplatesAlwaysCount) {
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\a.txt", "a"));
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\c.txt", "c"));
    FileEntry list[] = {Entry(L"a.txt", 0), Entry(L"no-template.cfg", FileFlags::ConfigTemplate),
                        Entry(L"b.txt", 0), Entry(L"c.txt", 0)};
    EXPECT_TRUE(FileCopyList(nullptr, target.c_str(), list, 2));
    EXPECT_FALSE(FileCopyList(nullptr, target.c_str(), list, 4));
    EXPECT_TRUE(Exists(target + L"\\a.txt"));
    EXPECT_FALSE(Exists(target + L"\\c.txt"));
    EXPECT_TRUE(FileCopyList(nullptr, target.c_str(), list, 0));
}

TEST_F(FileCopyListedTest, APathTooLongForTheBuffersFailsInsteadOfNamingAnotherFile) {
    std::wstring deep = target + L"\\" + std::wstring(380, L'd');
    FileEntry entry = Entry(L"some-file-name.txt", 0);
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\some-file-name.txt", "x"));
    EXPECT_FALSE(FileCopyListed(nullptr, deep.c_str(), &entry));
}

} // namespace
