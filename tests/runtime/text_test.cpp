#include <gtest/gtest.h>

#include <string>

#include "runtime/text.h"

TEST(TextCompare, UpperCasesBeforeComparing) {
    EXPECT_EQ(TextCompareNoCase(L"Setup.INF", L"setup.inf"), 0);
    EXPECT_EQ(TextCompareNoCase(L"abc", L"ABD"), -1);
    EXPECT_EQ(TextCompareNoCase(L"ABD", L"abc"), 1);
    EXPECT_EQ(TextCompareNoCase(L"ab", L"ABC"), -1);
    EXPECT_EQ(TextCompareNoCase(L"abc", L"AB"), 1);
    // "a" upper-cased is 'A' (65), which sorts before '_' (95); lower-casing would sort it after.
    EXPECT_EQ(TextCompareNoCase(L"a", L"_"), -1);
    EXPECT_EQ(TextCompareNoCase(nullptr, L""), 0);

    EXPECT_EQ(TextStartsWithNoCase(L"Bentley MicroStation", L"bentley"), 1);
    EXPECT_EQ(TextStartsWithNoCase(L"Bent", L"bentley"), 0);
    EXPECT_EQ(TextStartsWithNoCase(L"abc", L""), 1);
    EXPECT_EQ(TextStartsWithNoCase(L"abc", L"abd"), 0);
}

TEST(TextEditing, CopyTrimStripAndRemoveStayInPlace) {
    wchar_t dest[8];
    for (wchar_t& c : dest) c = L'#';
    TextCopyMax(dest, 3, L"abcdef");
    EXPECT_STREQ(dest, L"abc");
    EXPECT_EQ(dest[4], L'#'); // maximum + 1 characters, no more
    TextCopyMax(dest, 7, nullptr);
    EXPECT_STREQ(dest, L"");

    wchar_t line[] = L" \t a b \r\n";
    TextTrimEnd(line);
    EXPECT_STREQ(line, L" \t a b");
    TextTrimStart(line);
    EXPECT_STREQ(line, L"a b");
    wchar_t blank[] = L" \r\n\t ";
    TextTrimStart(blank);
    EXPECT_STREQ(blank, L"");
    wchar_t blankEnd[] = L" \r\n\t ";
    TextTrimEnd(blankEnd);
    EXPECT_STREQ(blankEnd, L"");

    wchar_t folder[] = L"C:\\Nimbo\\\\\\";
    TextStripTrailing(folder, L'\\');
    EXPECT_STREQ(folder, L"C:\\Nimbo");
    wchar_t drive[] = L"D:";
    TextStripTrailing(drive, L':');
    EXPECT_STREQ(drive, L"D");

    wchar_t label[] = L"&Save && Exit&";
    TextRemoveAll(label, L'&');
    EXPECT_STREQ(label, L"Save  Exit");
}

TEST(TextSplit, CommaFieldsAreCountedCutAndCleared) {
    TextField fields[kTextFieldCount];
    for (TextField& field : fields) TextCopyMax(field, kTextFieldLength, L"stale");

    EXPECT_EQ(TextSplitCommas(fields, L"200,10,5"), 3);
    EXPECT_STREQ(fields[0], L"200");
    EXPECT_STREQ(fields[1], L"10");
    EXPECT_STREQ(fields[2], L"5");
    for (int i = 3; i < kTextFieldCount; ++i) EXPECT_STREQ(fields[i], L"") << i;

    std::wstring many;
    for (int i = 0; i <= 16; ++i) many += (i ? L"," : L"") + std::to_wstring(i);
    EXPECT_EQ(TextSplitCommas(fields, many.c_str()), 15);
    EXPECT_STREQ(fields[14], L"14");

    std::wstring longField(60, L'x');
    EXPECT_EQ(TextSplitCommas(fields, (longField + L",y").c_str()), 2);
    EXPECT_EQ(std::wstring(fields[0]), std::wstring(kTextFieldLength, L'x'));
    EXPECT_STREQ(fields[1], L"y");

    EXPECT_EQ(TextSplitCommas(fields, L",,"), 3);
    EXPECT_STREQ(fields[0], L"");
    EXPECT_EQ(TextSplitCommas(fields, L""), 0);
    EXPECT_EQ(TextSplitCommas(fields, nullptr), 0);
    EXPECT_STREQ(fields[0], L"");
}

TEST(TextColumns, AlignFillAndCutAtTheWidth) {
    wchar_t dest[16];
    for (wchar_t& c : dest) c = L'#';
    TextColumn(dest, 8, L"abc", kTextAlignCentre);
    EXPECT_STREQ(dest, L"  abc   ");
    EXPECT_EQ(dest[9], L'#');
    TextColumn(dest, 8, L"abc", kTextAlignRight);
    EXPECT_STREQ(dest, L"     abc");
    TextColumn(dest, 8, L"abc", kTextAlignLeft, L'.');
    EXPECT_STREQ(dest, L"abc.....");
    TextColumn(dest, 4, L"abcdefghij", kTextAlignRight);
    EXPECT_STREQ(dest, L"abcd");
    TextColumn(dest, 3, nullptr, kTextAlignCentre, L'-');
    EXPECT_STREQ(dest, L"---");
}

TEST(TextUtf8, ConversionsRoundTripAndCutAtCharacterBoundaries) {
    const char* greeting = "Gr\xC3\xBC\xC3\x9F"
                           "e \xF0\x9F\x98\x80"; // "Grüße " and an emoji
    wchar_t wide[32];
    EXPECT_EQ(Utf8ToWide(wide, 32, greeting), 8);
    EXPECT_STREQ(wide, L"Gr\u00FC\u00DFe \U0001F600");
    char narrow[32];
    EXPECT_EQ(WideToUtf8(narrow, 32, wide), 12);
    EXPECT_STREQ(narrow, greeting);

    for (wchar_t& c : wide) c = L'#';
    EXPECT_EQ(Utf8ToWide(wide, 3, greeting), 2);
    EXPECT_STREQ(wide, L"Gr");
    EXPECT_EQ(wide[3], L'#');
    // The emoji is two UTF-16 units; half of it is no character.
    EXPECT_EQ(Utf8ToWide(wide, 8, greeting), 6);
    EXPECT_STREQ(wide, L"Gr\u00FC\u00DFe ");

    for (char& c : narrow) c = '#';
    EXPECT_EQ(WideToUtf8(narrow, 4, L"Gr\u00FC"), 2); // the two bytes of the umlaut do not fit
    EXPECT_STREQ(narrow, "Gr");
    EXPECT_EQ(narrow[4], '#');
    EXPECT_EQ(WideToUtf8(narrow, 5, L"Gr\u00FC"), 4);
    EXPECT_STREQ(narrow, "Gr\xC3\xBC");

    wide[0] = L'#';
    narrow[0] = '#';
    EXPECT_EQ(Utf8ToWide(wide, 32, nullptr), 0);
    EXPECT_EQ(WideToUtf8(narrow, 32, nullptr), 0);
    EXPECT_STREQ(wide, L"");
    EXPECT_STREQ(narrow, "");
    wide[0] = L'#';
    EXPECT_EQ(Utf8ToWide(wide, 0, greeting), 0);
    EXPECT_EQ(wide[0], L'#');
}

TEST(TextUtf8, CountedConversionsTakeZeroBytesAsData) {
    const char bytes[] = {'a', 0, 'b', '\xC3', '\xA9', 'z'};
    EXPECT_EQ(Utf8ToWideLength(bytes, 5), 4u);
    wchar_t wide[8];
    for (wchar_t& c : wide) c = L'#';
    EXPECT_EQ(Utf8ToWideCount(wide, 8, bytes, 5), 4);
    EXPECT_EQ(std::wstring(wide, 5), std::wstring(L"a\0b\u00E9\0", 5));
    EXPECT_EQ(wide[5], L'#'); // the 'z' beyond the count is not read

    EXPECT_EQ(Utf8ToWideCount(wide, 3, bytes, 5), 2);
    EXPECT_EQ(std::wstring(wide, 3), std::wstring(L"a\0b", 3).substr(0, 2) + L'\0');

    const wchar_t text[] = {L'k', L'=', 0, L'\u00E9'};
    EXPECT_EQ(WideToUtf8Length(text, 4), 5u);
    char narrow[8];
    EXPECT_EQ(WideToUtf8Count(narrow, 8, text, 4), 5);
    EXPECT_EQ(std::string(narrow, 6), std::string("k=\0\xC3\xA9\0", 6));
    EXPECT_EQ(Utf8ToWideLength(nullptr, 10), 0u);
    EXPECT_EQ(WideToUtf8Length(text, 0), 0u);
}

TEST(TextWiden, EveryByteBecomesTheCharacterOfItsNumber) {
    wchar_t wide[8];
    TextWidenBytes(wide, 8,
                   "\xE9\x80"
                   "A\xFF");
    EXPECT_STREQ(wide, L"\u00E9\u0080A\u00FF");
    for (wchar_t& c : wide) c = L'#';
    TextWidenBytes(wide, 3, "abcdef");
    EXPECT_STREQ(wide, L"ab");
    EXPECT_EQ(wide[3], L'#');
    TextWidenBytes(wide, 8, nullptr);
    EXPECT_STREQ(wide, L"");
}
