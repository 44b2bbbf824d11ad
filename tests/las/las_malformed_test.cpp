// Malformed and compressed files: each is refused at opening with its reason, without reading outside
// the file; and the rule that picks between LAS 1.4's two point counts.
#include "las_test_support.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <string.h>

#include <ostream>

namespace {

constexpr uint32_t kPoints = 10;

template <typename T> void Put(std::string& bytes, size_t at, T value) {
    memcpy(&bytes[at], &value, sizeof value);
}

struct MalformedCase {
    const char* name;
    int versionMinor;
    int pointFormat;
    void (*spoil)(std::string& bytes);
    const wchar_t* error;
    const wchar_t* fileName = L"bad.las";
};

void PrintTo(const MalformedCase& c, std::ostream* out) {
    *out << c.name;
}

// 1.4 files below are format 6 (30-byte records, 375-byte header); 1.2 files format 1 (28, 227).
const MalformedCase kMalformed[] = {
    {"BadSignature", 4, 6, [](std::string& b) { b[3] = 'G'; },
     L"Not a LAS file: it does not start with \"LASF\""},
    {"EmptyFile", 2, 1, [](std::string& b) { b.clear(); },
     L"Not a LAS file: it does not start with \"LASF\""},
    {"HeaderCutShort", 2, 1, [](std::string& b) { b.resize(200); },
     L"The LAS header is truncated: the file has 200 bytes, the header needs 227"},
    {"Version14HeaderCutShort", 4, 6, [](std::string& b) { b.resize(300); },
     L"The LAS header is truncated: the file has 300 bytes, the header needs 375"},
    {"UnknownMinorVersion", 4, 6, [](std::string& b) { b[25] = 5; }, L"Unknown LAS version 1.5"},
    {"UnknownMajorVersion", 2, 1, [](std::string& b) { b[24] = 2; }, L"Unknown LAS version 2.2"},
    {"HeaderSizeTooSmall", 4, 6, [](std::string& b) { Put<uint16_t>(b, 94, 227); },
     L"The LAS header size 227 is smaller than the 375 bytes of version 1.4"},
    {"UnknownFormat", 4, 6, [](std::string& b) { b[104] = 11; }, L"Unknown LAS point format 11"},
    {"CompressedFormatBit", 2, 1, [](std::string& b) { b[104] = static_cast<char>(0x81); },
     L"Compressed LAZ files are not supported"},
    {"CompressedLaz14", 4, 6, [](std::string& b) { b[104] = static_cast<char>(0x86); },
     L"Compressed LAZ files are not supported"},
    {"LazExtension", 2, 1, [](std::string&) {}, L"Compressed LAZ files are not supported", L"points.LAZ"},
    {"RecordShorterThanFormat", 4, 6, [](std::string& b) { Put<uint16_t>(b, 105, 29); },
     L"The point record length 29 is smaller than the 30 bytes of point format 6"},
    {"ZeroRecordLength", 2, 1, [](std::string& b) { Put<uint16_t>(b, 105, 0); },
     L"The point record length 0 is smaller than the 28 bytes of point format 1"},
    {"ZeroScale", 2, 1, [](std::string& b) { Put<double>(b, 139, 0.0); },
     L"The Y scale of the LAS header is zero"},
    {"NotANumberOffset", 4, 6, [](std::string& b) { Put<uint64_t>(b, 171, 0x7FF8000000000000ull); },
     L"The Z scale or offset of the LAS header is not a finite number"},
    {"PointDataInsideHeader", 4, 6, [](std::string& b) { Put<uint32_t>(b, 96, 300); },
     L"The point data offset 300 lies before the end of the 375-byte header"},
    {"PointDataBeyondFile", 2, 1, [](std::string& b) { Put<uint32_t>(b, 96, 100000); },
     L"The point data offset 100000 lies outside the file of 507 bytes"},
    {"MorePointsThanFile", 2, 1, [](std::string& b) { Put<uint32_t>(b, 107, 11); },
     L"The header announces 11 points, but the file holds only 10"},
    {"LastRecordCutShort", 4, 6, [](std::string& b) { b.resize(b.size() - 1); },
     L"The header announces 10 points, but the file holds only 9"},
    {"HugeCount64", 4, 6, [](std::string& b) { Put<uint64_t>(b, 247, UINT64_MAX); },
     L"The header announces 18446744073709551615 points, but the file holds only 10"},
    {"HugeCountWithLongRecords", 4, 6,
     [](std::string& b) {
         Put<uint16_t>(b, 105, 65535);
         Put<uint64_t>(b, 247, 1ull << 60);
     },
     L"The header announces 1152921504606846976 points, but the file holds only 0"},
    {"ExtendedRecordsInsidePoints", 4, 6,
     [](std::string& b) {
         Put<uint32_t>(b, 243, 1);
         Put<uint64_t>(b, 235, 375 + 5 * 30);
     },
     L"The header announces 10 points, but the file holds only 5"},
    {"ExtendedRecordsBeyondFile", 4, 6,
     [](std::string& b) {
         Put<uint32_t>(b, 243, 1);
         Put<uint64_t>(b, 235, 1ull << 40);
     },
     L"The extended records' offset 1099511627776 lies before the point data or outside the file"},
};

class MalformedFile : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFile, IsRefusedWithItsReason) {
    const MalformedCase& c = GetParam();
    std::wstring folder = lastest::Scratch();
    std::wstring sound = folder + L"\\sound.las";
    ASSERT_EQ(L"", lastest::WriteLas(sound, lastest::Options(c.versionMinor, c.pointFormat),
                                     lastest::GeneratePoints(kPoints, 5)));
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(sound, bytes));
    c.spoil(bytes);
    std::wstring path = folder + L"\\" + c.fileName;
    ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));

    LasFile file;
    wchar_t error[kLasErrorChars];
    wmemset(error, L'#', kLasErrorChars);
    EXPECT_EQ(0, LasOpen(&file, path.c_str(), error, kLasErrorChars));
    EXPECT_STREQ(c.error, error);
    // A refused file holds nothing that needs closing, and reading it fails cleanly.
    EXPECT_EQ(nullptr, file.handle);
    EXPECT_EQ(nullptr, file.buffer);
    LasPoint point;
    EXPECT_EQ(-1, LasReadPoints(&file, &point, 1, error, kLasErrorChars));
    LasClose(&file);
}

INSTANTIATE_TEST_SUITE_P(Las, MalformedFile, testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LasReader, ErrorTextIsCutToTheCallersBuffer) {
    std::wstring path = lastest::Scratch() + L"\\missing.las";
    LasFile file;
    wchar_t error[12];
    wmemset(error, L'#', 12);
    EXPECT_EQ(0, LasOpen(&file, path.c_str(), error, 8));
    EXPECT_EQ(L'\0', error[7]) << "the text ends inside the given size";
    EXPECT_EQ(L'#', error[8]) << "nothing is written past the given size";
    EXPECT_EQ(0, wcsncmp(error, L"Cannot", 6));
    EXPECT_EQ(0, LasOpen(&file, path.c_str(), nullptr, 0)) << "no error buffer is fine";
}

TEST(LasReader, MissingFileNamesTheSystemError) {
    std::wstring path = lastest::Scratch() + L"\\missing.las";
    LasFile file;
    wchar_t error[kLasErrorChars] = L"";
    EXPECT_EQ(0, LasOpen(&file, path.c_str(), error, kLasErrorChars));
    EXPECT_STREQ(L"Cannot open the file (system error 2)", error);
}

// LAS 1.4 carries a legacy 32-bit count beside the 64-bit one. The 64-bit count wins when the legacy
// one is 0 or differs, except that a 64-bit count of 0 leaves the legacy count standing.
struct CountCase {
    uint32_t legacy;
    uint64_t count64;
    uint64_t expected;
};

TEST(LasReader, Version14PointCountRule) {
    const CountCase cases[] = {{10, 10, 10}, {0, 10, 10}, {4, 10, 10}, {10, 0, 10}, {12, 7, 7}, {0, 0, 0}};
    std::wstring folder = lastest::Scratch();
    std::wstring sound = folder + L"\\sound.las";
    ASSERT_EQ(L"", lastest::WriteLas(sound, lastest::Options(4, 1), lastest::GeneratePoints(kPoints, 9)));
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(sound, bytes));
    for (const CountCase& c : cases) {
        SCOPED_TRACE("legacy " + std::to_string(c.legacy) + ", 64-bit " + std::to_string(c.count64));
        Put<uint32_t>(bytes, 107, c.legacy);
        Put<uint64_t>(bytes, 247, c.count64);
        std::wstring path = folder + L"\\counts.las";
        ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));
        lastest::ReadResult read = lastest::ReadLas(path);
        ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
        EXPECT_EQ(c.expected, read.header.pointCount);
        EXPECT_EQ(c.expected, read.points.size());
    }
}

// Versions before 1.4 have only the legacy count; whatever lies where 1.4 keeps its 64-bit count is
// not a header field there.
TEST(LasReader, OlderVersionsUseTheLegacyCount) {
    std::wstring path = lastest::Scratch() + L"\\v13.las";
    ASSERT_EQ(L"", lastest::WriteLas(path, lastest::Options(3, 5), lastest::GeneratePoints(kPoints, 2)));
    lastest::ReadResult read = lastest::ReadLas(path);
    ASSERT_TRUE(read.error.empty()) << lastest::Narrow(read.error);
    EXPECT_EQ(kPoints, read.header.pointCount);
    EXPECT_EQ(0u, read.header.evlrCount);
}

} // namespace
