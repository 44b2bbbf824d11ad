#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/in_file.h"
#include "support/test_environment.h"

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + i / 253);
    return bytes;
}

} // namespace

TEST(InpFileReading, PiecesOfAnySizeReassembleTheFile) {
    std::wstring folder = testenv::ScratchFolder(L"inpfile_pieces");
    std::wstring path = folder + L"\\data.bin";
    std::string data = Pattern(300000);
    ASSERT_TRUE(testenv::WriteFileBytes(path, data));

    InpFile file;
    ASSERT_EQ(InpFileOpen(&file, 1, path.c_str()), kInpFileBuffered);
    EXPECT_EQ(file.capacity, 32u * 1024);
    std::string back;
    for (size_t piece : {1u, 7u, 40000u, 100000u, 3u, 32768u}) {
        std::string part(piece, '?');
        ASSERT_EQ(InpFileRead(&file, &part[0], piece), piece);
        back += part;
    }
    EXPECT_EQ(InpFileRead(&file, nullptr, 1000), 1000u); // skipped
    back += data.substr(back.size(), 1000);
    std::string rest(data.size(), '?');
    size_t got = InpFileRead(&file, &rest[0], rest.size());
    back += rest.substr(0, got);
    EXPECT_EQ(back, data);
    EXPECT_EQ(InpFileReadByte(&file), -1);
    EXPECT_EQ(file.bytesRead, data.size());
    EXPECT_EQ(InpFileClose(&file), 1);
}

TEST(InpFileReading, SecondFormStartsAtAnOffsetWithASmallerLimit) {
    std::wstring folder = testenv::ScratchFolder(L"inpfile_offset");
    std::wstring path = folder + L"\\data.bin";
    std::string data = Pattern(5000);
    ASSERT_TRUE(testenv::WriteFileBytes(path, data));

    InpFile file;
    ASSERT_EQ(InpFileOpenAt(&file, 100000, path.c_str(), 4990), kInpFileBuffered);
    EXPECT_EQ(file.capacity, 8192u * 1024);
    EXPECT_EQ(InpFileReadByte(&file), static_cast<unsigned char>(data[4990]));
    char tail[32];
    EXPECT_EQ(InpFileRead(&file, tail, sizeof tail), 9u);
    EXPECT_EQ(std::string(tail, 9), data.substr(4991));
    EXPECT_EQ(InpFileClose(&file), 1);

    ASSERT_EQ(InpFileOpen(&file, 100000, path.c_str()), kInpFileBuffered);
    EXPECT_EQ(file.capacity, 32768u * 1024);
    EXPECT_EQ(InpFileClose(&file), 1);

    EXPECT_EQ(InpFileOpen(&file, 32, (folder + L"\\missing.bin").c_str()), kInpFileFailed);
    EXPECT_EQ(InpFileRead(&file, tail, 1), 0u);
    EXPECT_EQ(InpFileClose(&file), 0);
}
