#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/files.h"
#include "runtime/out_file.h"
#include "support/test_environment.h"

namespace {

std::string Contents(const std::wstring& path) {
    std::string bytes;
    return testenv::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

std::string Pattern(size_t size) {
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + i / 251);
    return bytes;
}

// Puts a read-only handle to the same file under the record, so that every later write fails the
// way a full or vanished target would.
void MakeTargetRefuseWrites(OutFile* file, const std::wstring& path) {
    CloseHandle(file->handle);
    file->handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file->handle, INVALID_HANDLE_VALUE);
}

} // namespace

TEST(OutFileModes, CreateAppendAndUpdate) {
    std::wstring folder = testenv::ScratchFolder(L"outfile_modes");
    std::wstring path = folder + L"\\out.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(path, "old contents"));
    OutFile file;

    ASSERT_EQ(OutFileOpen(&file, 60, path.c_str(), kOutFileCreate), kOutFileBuffered);
    EXPECT_EQ(OutFileWrite(&file, "abcdef", 6), 1);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), "abcdef");

    ASSERT_EQ(OutFileOpen(&file, 60, path.c_str(), kOutFileAppend), kOutFileBuffered);
    EXPECT_EQ(OutFileWrite(&file, "gh", 2), 1);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), "abcdefgh");

    ASSERT_EQ(OutFileOpen(&file, 60, path.c_str(), kOutFileUpdate), kOutFileBuffered);
    EXPECT_EQ(OutFileWrite(&file, "XY", 2), 1);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), "XYcdefgh");

    std::wstring fresh = folder + L"\\fresh.bin";
    EXPECT_EQ(OutFileOpen(&file, 60, fresh.c_str(), kOutFileUpdate), kOutFileFailed);
    EXPECT_EQ(FileExists(fresh.c_str()), 0);
    ASSERT_EQ(OutFileOpen(&file, 60, fresh.c_str(), kOutFileAppend), kOutFileBuffered);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(fresh), "");

    EXPECT_EQ(OutFileOpen(&file, 60, path.c_str(), kOutFileReplace + 1), kOutFileFailed);
    EXPECT_EQ(OutFileOpen(&file, 60, path.c_str(), -1), kOutFileFailed);
    EXPECT_EQ(OutFileOpen(&file, 60, (folder + L"\\no\\such.bin").c_str(), kOutFileCreate), kOutFileFailed);
    EXPECT_EQ(OutFileWrite(&file, "x", 1), 0); // a record that failed to open takes nothing
    EXPECT_EQ(OutFileClose(&file), 0);
    EXPECT_EQ(Contents(path), "XYcdefgh");
}

TEST(OutFileBuffering, BufferSizeIsLimitedAndLargeDataGoesStraightThrough) {
    std::wstring folder = testenv::ScratchFolder(L"outfile_buffering");
    std::wstring path = folder + L"\\big.bin";
    OutFile file;
    ASSERT_EQ(OutFileOpen(&file, 100000, path.c_str(), kOutFileCreate), kOutFileBuffered);
    EXPECT_EQ(file.capacity, 8192u * 1024);
    OutFileClose(&file);

    ASSERT_EQ(OutFileOpen(&file, 1, path.c_str(), kOutFileCreate), kOutFileBuffered);
    ASSERT_EQ(file.capacity, 32u * 1024);
    std::string head = Pattern(100);
    std::string large = Pattern(200000);
    EXPECT_EQ(OutFileWrite(&file, head.data(), head.size()), 1);
    EXPECT_EQ(FileSize(path.c_str()), 0u); // small data waits in the buffer
    EXPECT_EQ(OutFileWrite(&file, large.data(), large.size()), 1);
    EXPECT_EQ(file.used, 0u);
    EXPECT_EQ(FileSize(path.c_str()), 200100u); // flushed first, then written directly

    // Data that fits the buffer but not its rest flushes what was waiting.
    std::string fill = Pattern(32 * 1024 - 10);
    EXPECT_EQ(OutFileWrite(&file, fill.data(), fill.size()), 1);
    EXPECT_EQ(OutFileWrite(&file, head.data(), head.size()), 1);
    EXPECT_EQ(file.used, head.size());
    EXPECT_EQ(FileSize(path.c_str()), 200100u + fill.size());

    EXPECT_EQ(file.bytesWritten, 200100u + fill.size() + 100);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), head + large + fill + head);
    EXPECT_EQ(file.bytesWritten, 200100u + fill.size() + 100);
}

TEST(OutFileBuffering, NullSourceWritesZeroBytes) {
    std::wstring folder = testenv::ScratchFolder(L"outfile_zeros");
    std::wstring path = folder + L"\\zeros.bin";
    OutFile file;
    ASSERT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileCreate), kOutFileBuffered);
    EXPECT_EQ(OutFileWrite(&file, "a", 1), 1);
    EXPECT_EQ(OutFileWrite(&file, nullptr, 5), 1);
    EXPECT_EQ(OutFileWrite(&file, nullptr, 100001), 1); // larger than the buffer: pieces of zeros
    EXPECT_EQ(OutFileWrite(&file, "z", 1), 1);
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), "a" + std::string(100006, '\0') + "z");
}

TEST(OutFileBits, BitsPackMostSignificantFirstAndPartialBytesPadLow) {
    std::wstring folder = testenv::ScratchFolder(L"outfile_bits");
    std::wstring path = folder + L"\\bits.bin";
    OutFile file;
    ASSERT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileCreate), kOutFileBuffered);
    EXPECT_EQ(OutFileWriteBits(&file, 0x5, 3), 1); // 101
    EXPECT_EQ(OutFileFlushBits(&file), 1);         // 1010 0000
    EXPECT_EQ(OutFileFlushBits(&file), 1);         // nothing pending: nothing written
    EXPECT_EQ(OutFileWriteBits(&file, 0xABC, 12), 1);
    EXPECT_EQ(OutFileWriteBits(&file, 0xFD, 4), 1); // only the low four bits: 1101
    EXPECT_EQ(OutFileWriteBits(&file, 0xDEADBEEF, 32), 1);
    EXPECT_EQ(OutFileWriteBits(&file, 1, 33), 0);
    EXPECT_EQ(OutFileWriteBits(&file, 0x3, 2), 1); // left pending for the close: 1100 0000
    EXPECT_EQ(OutFileClose(&file), 1);
    EXPECT_EQ(Contents(path), std::string("\xA0\xAB\xCD\xDE\xAD\xBE\xEF\xC0", 8));
    EXPECT_EQ(file.bytesWritten, 8u);
}

TEST(OutFileFailures, RefusedWritesAreReportedNotSwallowed) {
    std::wstring folder = testenv::ScratchFolder(L"outfile_failures");
    std::wstring path = folder + L"\\refused.bin";
    OutFile file;

    // Buffered data that cannot reach the file: the close must say so.
    ASSERT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileCreate), kOutFileBuffered);
    EXPECT_EQ(OutFileWrite(&file, "waiting", 7), 1);
    MakeTargetRefuseWrites(&file, path);
    EXPECT_EQ(OutFileClose(&file), 0);

    // Direct data fails at once, and the failure sticks to the record.
    ASSERT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileCreate), kOutFileBuffered);
    MakeTargetRefuseWrites(&file, path);
    std::string large = Pattern(40000);
    EXPECT_EQ(OutFileWrite(&file, large.data(), large.size()), 0);
    EXPECT_EQ(file.failed, 1);
    EXPECT_EQ(OutFileWrite(&file, "x", 1), 1); // buffered again, but the file is already incomplete
    EXPECT_EQ(OutFileClose(&file), 0);

    // A file that another program holds without sharing writes cannot be opened at all.
    ASSERT_TRUE(testenv::WriteFileBytes(path, "keep"));
    HANDLE holder =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileCreate), kOutFileFailed);
    EXPECT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileAppend), kOutFileFailed);
    EXPECT_EQ(OutFileOpen(&file, 32, path.c_str(), kOutFileUpdate), kOutFileFailed);
    CloseHandle(holder);
    EXPECT_EQ(Contents(path), "keep");
}
