// Preference files that are damaged, foreign or at the limits, and changes that the format cannot hold.
#include "runtime/pref_table.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Test programs may run at the same time: each test gets a folder of its own.
std::wstring FolderForThisTest() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

const std::string kHeader = "[Nimbo preferences]";

std::wstring TextOf(const PrefTable& table) {
    if (!table.text) return {};
    return std::wstring(table.text, static_cast<size_t>(table.length));
}

class PrefBadFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FolderForThisTest();
        PrefInit(&table);
        // Something to be cleared: a failed read must not leave old contents behind.
        PrefSetString(&table, L"Stale", L"old");
    }
    void TearDown() override { PrefFree(&table); }
    int ReadBytes(const std::string& bytes) {
        std::wstring path = folder + L"\\bad.upf";
        EXPECT_TRUE(testenv::WriteFileBytes(path, bytes));
        return PrefRead(&table, path.c_str(), nullptr);
    }
    void ExpectEmpty() {
        EXPECT_EQ(nullptr, table.text);
        EXPECT_EQ(0, table.length);
        EXPECT_EQ(0, table.capacity);
    }
    std::wstring folder;
    PrefTable table;
};

TEST_F(PrefBadFile, MissingFileOrFolderAnswersZeroAndEmptiesTheTable) {
    std::wstring missing = folder + L"\\missing.upf";
    EXPECT_EQ(0, PrefRead(&table, missing.c_str(), nullptr));
    ExpectEmpty();
    PrefSetString(&table, L"Stale", L"old");
    EXPECT_EQ(0, PrefRead(&table, folder.c_str(), nullptr));
    ExpectEmpty();
}

TEST_F(PrefBadFile, ForeignOrTooShortFilesAreRejected) {
    EXPECT_EQ(-1, ReadBytes(""));
    ExpectEmpty();
    EXPECT_EQ(-1, ReadBytes("[Nimbo"));
    ExpectEmpty();
    EXPECT_EQ(-1, ReadBytes("[Nimbo settings]\r\nA=1\r\n"));
    ExpectEmpty();
    EXPECT_EQ(-1, ReadBytes("\xef\xbb\xbf" + kHeader + "\r\nA=1\r\n"));
    ExpectEmpty();
}

TEST_F(PrefBadFile, HeaderAndLineEndAloneIsTooSmallOneMoreByteIsAFile) {
    EXPECT_EQ(-1, ReadBytes(kHeader + "\r\n"));
    ExpectEmpty();
    EXPECT_EQ(1, ReadBytes(kHeader + "\r\nA"));
    EXPECT_EQ(L"A", TextOf(table));
    EXPECT_EQ(1, ReadBytes(kHeader + "\nA=1"));
    EXPECT_EQ(L"A=1", TextOf(table));
}

TEST_F(PrefBadFile, LoneCarriageReturnAfterTheHeaderKeepsTheFirstKey) {
    ASSERT_EQ(1, ReadBytes(kHeader + "\rA=1\r\n"));
    int a = 0;
    EXPECT_EQ(1, PrefGetInt(&a, &table, L"A"));
    EXPECT_EQ(1, a);
}

TEST_F(PrefBadFile, FilesBelowOneMebibyteAreReadAndAtItRejected) {
    std::string start = kHeader + "\r\nBig=";
    std::string justBelow = start + std::string(kPrefFileLimitBytes - 1 - start.size(), 'x');
    ASSERT_EQ(1, ReadBytes(justBelow));
    std::wstring value(kPrefFileLimitBytes, L'\0');
    ASSERT_EQ(1, PrefGetString(value.data(), &table, L"Big", kPrefFileLimitBytes - 1));
    EXPECT_EQ(justBelow.size() - start.size(), wcslen(value.c_str()));

    EXPECT_EQ(-1, ReadBytes(justBelow + "x"));
    ExpectEmpty();
}

TEST_F(PrefBadFile, BrokenUtf8IsReplacedNotOverrun) {
    // An invalid lead byte in a key, a truncated sequence at the very end.
    ASSERT_EQ(1, ReadBytes(kHeader + "\r\n\xff\xfe=1\r\nSize=3\r\nTail=\xe6\x97"));
    int size = 0;
    EXPECT_EQ(1, PrefGetInt(&size, &table, L"Size"));
    EXPECT_EQ(3, size);
    wchar_t tail[8] = L"";
    EXPECT_EQ(1, PrefGetString(tail, &table, L"Tail", 7));
    EXPECT_NE(0, tail[0]);
    EXPECT_EQ(0, tail[7]);
}

TEST_F(PrefBadFile, ZeroBytesInsideTheFileDoNotEndTheText) {
    std::string lines = "A=x";
    lines += '\0';
    lines += "y\r\n";
    lines += '\0';
    lines += "=z\r\nSize=5\r\n";
    ASSERT_EQ(1, ReadBytes(kHeader + "\r\n" + lines));
    EXPECT_EQ(static_cast<int>(lines.size()), table.length);
    int size = 0;
    EXPECT_EQ(1, PrefGetInt(&size, &table, L"Size"));
    EXPECT_EQ(5, size);
    wchar_t a[8];
    wmemset(a, L'#', 8);
    EXPECT_EQ(1, PrefGetString(a, &table, L"A", 7));
    EXPECT_EQ(0, wmemcmp(L"x\0y\0", a, 4));
}

TEST_F(PrefBadFile, LinesWithoutEqualsSignAreNoKeys) {
    ASSERT_EQ(1, ReadBytes(kHeader + "\r\nJustText\r\n\r\nSize=4\r\n"));
    wchar_t text[8] = L"keep";
    EXPECT_EQ(0, PrefGetString(text, &table, L"JustText", 7));
    EXPECT_STREQ(L"keep", text);
    int size = 0;
    EXPECT_EQ(1, PrefGetInt(&size, &table, L"Size"));
    EXPECT_EQ(4, size);
}

TEST_F(PrefBadFile, LastLineWithoutLineEndIsFoundAndNotGluedTo) {
    ASSERT_EQ(1, ReadBytes(kHeader + "\r\nA=1\r\nSize="));
    wchar_t size[8] = L"keep";
    EXPECT_EQ(1, PrefGetString(size, &table, L"Size", 7));
    EXPECT_STREQ(L"", size);
    // A key that is longer than what is left of the text is not searched beyond its end.
    EXPECT_EQ(0, PrefGetString(size, &table, L"SizeAndMore", 7));
    EXPECT_EQ(1, PrefSetString(&table, L"Size", L"7"));
    EXPECT_EQ(L"A=1\r\nSize=7", TextOf(table));
    EXPECT_EQ(1, PrefSetString(&table, L"B", L"2"));
    EXPECT_EQ(L"A=1\r\nSize=7\r\nB=2\r\n", TextOf(table));
}

// Refused changes must leave every byte of the table as it was.
class PrefRefusedChange : public ::testing::Test {
protected:
    void SetUp() override {
        PrefInit(&table);
        ASSERT_EQ(1, PrefSetString(&table, L"First", L"1"));
        ASSERT_EQ(1, PrefSetString(&table, L"Value", L"abc"));
        ASSERT_EQ(1, PrefSetString(&table, L"Last", L"z"));
        Snapshot();
    }
    void TearDown() override { PrefFree(&table); }
    void Snapshot() {
        text = table.text;
        length = table.length;
        capacity = table.capacity;
        contents.assign(table.text, static_cast<size_t>(table.capacity));
    }
    void ExpectUnchanged() {
        EXPECT_EQ(text, table.text);
        EXPECT_EQ(length, table.length);
        EXPECT_EQ(capacity, table.capacity);
        EXPECT_TRUE(contents == std::wstring(table.text, static_cast<size_t>(table.capacity)));
    }
    PrefTable table;
    wchar_t* text = nullptr;
    int length = 0;
    int capacity = 0;
    std::wstring contents;
};

TEST_F(PrefRefusedChange, NewLineOver528CharactersIsRefused) {
    std::wstring key = L"Key";
    std::wstring tooLong(kPrefMaxNewLineChars - key.size() + 1, L'v');
    EXPECT_EQ(0, PrefSetString(&table, key.c_str(), tooLong.c_str()));
    ExpectUnchanged();
    std::wstring fits(kPrefMaxNewLineChars - key.size(), L'v');
    EXPECT_EQ(1, PrefSetString(&table, key.c_str(), fits.c_str()));
    wchar_t back[kPrefMaxNewLineChars + 1];
    EXPECT_EQ(1, PrefGetString(back, &table, L"key", kPrefMaxNewLineChars));
    EXPECT_EQ(fits, back);
}

TEST_F(PrefRefusedChange, ValueGrowingByMoreThanTheSpareIsRefused) {
    std::wstring tooMuch(3 + kPrefSpareChars + 1, L'v');
    EXPECT_EQ(0, PrefSetString(&table, L"Value", tooMuch.c_str()));
    ExpectUnchanged();
    std::wstring justEnough(3 + kPrefSpareChars, L'v');
    EXPECT_EQ(1, PrefSetString(&table, L"Value", justEnough.c_str()));
    // Another step of the same size is allowed again: the spare is per change.
    std::wstring again(3 + 2 * kPrefSpareChars, L'w');
    EXPECT_EQ(1, PrefSetString(&table, L"Value", again.c_str()));
    EXPECT_EQ(L"First=1\r\nValue=" + again + L"\r\nLast=z\r\n", TextOf(table));
}

TEST_F(PrefRefusedChange, KeysAndValuesTheFileCannotHoldAreRefused) {
    EXPECT_EQ(0, PrefSetString(&table, L"", L"x"));
    EXPECT_EQ(0, PrefSetString(&table, nullptr, L"x"));
    EXPECT_EQ(0, PrefSetString(&table, L"Value", nullptr));
    EXPECT_EQ(0, PrefSetString(&table, L"A=B", L"x"));
    EXPECT_EQ(0, PrefSetString(&table, L"Two\r\nLines", L"x"));
    EXPECT_EQ(0, PrefSetString(&table, L"Value", L"injected\r\nFirst=2"));
    EXPECT_EQ(0, PrefSetString(&table, L"New", L"line\nbreak"));
    std::wstring longKey(kPrefMaxKeyChars + 1, L'k');
    EXPECT_EQ(0, PrefSetString(&table, longKey.c_str(), L"x"));
    EXPECT_EQ(0, PrefSetInt(&table, longKey.c_str(), 1));
    ExpectUnchanged();
    int first = 0;
    EXPECT_EQ(1, PrefGetInt(&first, &table, L"First"));
    EXPECT_EQ(1, first);
}

TEST_F(PrefRefusedChange, NullArgumentsAreAnsweredNotFollowed) {
    EXPECT_EQ(0, PrefSetString(nullptr, L"A", L"x"));
    EXPECT_EQ(0, PrefGetInt(nullptr, &table, L"First"));
    EXPECT_EQ(0, PrefGetDouble(nullptr, &table, L"First"));
    EXPECT_EQ(0, PrefGetString(nullptr, &table, L"First", 5));
    int value = 7;
    EXPECT_EQ(0, PrefGetInt(&value, nullptr, L"First"));
    EXPECT_EQ(0, PrefGetInt(&value, &table, nullptr));
    EXPECT_EQ(7, value);
    EXPECT_EQ(0, PrefRead(nullptr, L"x.upf", nullptr));
    EXPECT_EQ(0, PrefWrite(nullptr, L"x.upf", nullptr));
    ExpectUnchanged();
}

} // namespace
