// Rich text: lines reach the item only while the buffer is being written, each line carries the format
// of its flags, the store grows by its rule, columns assemble lines, and the item's text can be saved.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <richedit.h>

#include <string>
#include <thread>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "dialogs/rich_text.h"
#include "runtime/file_replace.h"
#include "runtime/memory.h"
#include "support/test_environment.h"
#include "support/tiny_disk.h"
#include "support/ui_driver.h"

namespace {

std::wstring ControlText(HWND control) {
    GETTEXTLENGTHEX ask = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT length = SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&ask), 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    LRESULT got = SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                               reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(got));
    return text;
}

// The character format of the characters start..end (all of them must agree for a mask bit to be set).
CHARFORMAT2W FormatOf(HWND control, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(control, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

struct ExpectedFormat {
    bool bold;
    COLORREF color;
    LONG height;
    const wchar_t* face;
};

void ExpectFormat(HWND control, LONG start, LONG end, const ExpectedFormat& expected, const char* what) {
    CHARFORMAT2W format = FormatOf(control, start, end);
    EXPECT_TRUE(format.dwMask & CFM_BOLD) << what << ": mixed boldness";
    EXPECT_EQ((format.dwEffects & CFE_BOLD) != 0, expected.bold) << what;
    EXPECT_TRUE(format.dwMask & CFM_COLOR) << what << ": mixed colours";
    EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR) << what;
    EXPECT_EQ(format.crTextColor, expected.color) << what;
    EXPECT_TRUE(format.dwMask & CFM_SIZE) << what << ": mixed sizes";
    EXPECT_EQ(format.yHeight, expected.height) << what;
    EXPECT_TRUE(format.dwMask & CFM_FACE) << what << ": mixed faces";
    EXPECT_STREQ(format.szFaceName, expected.face) << what;
}

class RichTextTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Rich Test", L"NOICON", nullptr, 12);
    }

    void SetUp() override {
        ASSERT_EQ(RichTextInit(&buffer, 50000), 1);
        dialog = DlgCreate(L"Agreement", 70, 12, DlgWindowTool, 0, nullptr);
        ASSERT_NE(dialog, nullptr);
        item = DlgRichText(dialog, 1, 0.5, 68, 11, nullptr, 0, &buffer);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(DlgShow(dialog));
    }
    void TearDown() override {
        if (dialog) DlgClose(&dialog);
        RichTextFree(&buffer);
    }
    HWND control() const { return item->control; }

    RichTextBuffer buffer;
    Dialog* dialog = nullptr;
    DialogItem* item = nullptr;
};

TEST_F(RichTextTest, LinesAreAddedOnlyWhileBeingWritten) {
    EXPECT_EQ(buffer.item, item) << "the item registers itself with its buffer";
    EXPECT_EQ(item->kind, DlgKindRichText);
    EXPECT_EQ(RichTextAddLine(&buffer, L"too early", 0), 0);
    EXPECT_EQ(ControlText(control()), L"");
    RichTextBegin(&buffer);
    EXPECT_EQ(RichTextAddLine(&buffer, L"first", 0), 1);
    EXPECT_EQ(RichTextAddLine(&buffer, L"second", 0), 1);
    RichTextEnd(&buffer);
    EXPECT_EQ(RichTextAddLine(&buffer, L"too late", 0), 0);
    EXPECT_EQ(ControlText(control()), L"first\rsecond\r");
    EXPECT_STREQ(buffer.store, L"first\r\nsecond\r\n");

    RichTextBuffer orphan;
    RichTextInit(&orphan, 0);
    RichTextBegin(&orphan);
    EXPECT_EQ(RichTextAddLine(&orphan, L"no item", 0), 0);
}

TEST_F(RichTextTest, EachLineCarriesTheFormatOfItsFlags) {
    RichTextBegin(&buffer);
    const wchar_t* lines[] = {L"Plain line", L"Bold heading", L"Dark red warning",
                              L"Large text", L"Fixed text",   L"Everything"};
    int flags[] = {0, RichTextBold, RichTextDarkRed, RichTextLarge, RichTextFixed, 0xF};
    for (int i = 0; i < 6; ++i) ASSERT_EQ(RichTextAddLine(&buffer, lines[i], flags[i]), 1);
    RichTextShowFormatting(&buffer);
    testenv::SaveScreenshot("rich_text_formats");

    const COLORREF black = RGB(0, 0, 0), darkRed = RGB(128, 0, 0);
    ExpectedFormat expected[] = {
        {false, black, 200, L"Calibri"}, {true, black, 200, L"Calibri"},   {false, darkRed, 200, L"Calibri"},
        {false, black, 240, L"Calibri"}, {false, black, 200, L"Consolas"}, {true, darkRed, 240, L"Consolas"},
    };
    LONG start = 0;
    for (int i = 0; i < 6; ++i) {
        LONG end = start + static_cast<LONG>(wcslen(lines[i]));
        ExpectFormat(control(), start, end, expected[i], "line");
        start = end + 1; // the paragraph break
    }
}

TEST_F(RichTextTest, AWrappedParagraphIsFormattedWhole) {
    RichTextBegin(&buffer);
    std::wstring paragraph;
    for (int i = 0; i < 40; ++i) paragraph += L"wrapping words ";
    ASSERT_EQ(RichTextAddLine(&buffer, L"before", 0), 1);
    ASSERT_EQ(RichTextAddLine(&buffer, paragraph.c_str(), RichTextBold | RichTextDarkRed), 1);
    ASSERT_GT(SendMessageW(control(), EM_GETLINECOUNT, 0, 0), 4) << "the paragraph should wrap";
    LONG start = 7;
    ExpectFormat(control(), start, start + static_cast<LONG>(paragraph.size()),
                 {true, RGB(128, 0, 0), 200, L"Calibri"}, "wrapped paragraph");
    ExpectFormat(control(), 0, 6, {false, RGB(0, 0, 0), 200, L"Calibri"}, "line before");
}

TEST(RichTextStore, GrowthRule) {
    EXPECT_EQ(RichTextGrownCapacity(16384, 0, 100), 16384);
    EXPECT_EQ(RichTextGrownCapacity(16384, 16283, 100), 16384); // 16383 is still below
    EXPECT_EQ(RichTextGrownCapacity(16384, 16284, 100), 20480); // reaching it grows by 4096
    EXPECT_EQ(RichTextGrownCapacity(16384, 16000, 4096), 20480);
    EXPECT_EQ(RichTextGrownCapacity(16384, 16000, 5000), 21384); // more than 4096: by what is needed
    EXPECT_EQ(RichTextGrownCapacity(0, 0, 2), 4096);
}

TEST(RichTextStore, InitialCapacityAndTag) {
    RichTextBuffer buffer;
    ASSERT_EQ(RichTextInit(&buffer, 100), 1);
    EXPECT_EQ(buffer.capacity, kRichTextMinimumStore);
    ASSERT_NE(buffer.store, nullptr);
    int index = MemFind("RepTxt", 0);
    ASSERT_GE(index, 0);
    void* block = nullptr;
    size_t size = 0;
    MemNext(nullptr, &block, &size, index - 1);
    EXPECT_EQ(block, buffer.store);
    EXPECT_EQ(size, kRichTextMinimumStore * sizeof(wchar_t));
    EXPECT_EQ(buffer.store[0], 0) << "zero-filled";
    RichTextFree(&buffer);
    EXPECT_EQ(buffer.store, nullptr);
    EXPECT_EQ(buffer.capacity, 0);
    EXPECT_EQ(MemFind("RepTxt", 0), -1);

    ASSERT_EQ(RichTextInit(&buffer, 50000), 1);
    EXPECT_EQ(buffer.capacity, 50000);
    RichTextFree(&buffer);
    ASSERT_EQ(RichTextInit(&buffer, 0), 1);
    EXPECT_EQ(buffer.store, nullptr);
}

TEST_F(RichTextTest, StoreGrowsWhenLinesFillIt) {
    RichTextFree(&buffer);
    RichTextInit(&buffer, 1);
    buffer.item = item;
    RichTextBegin(&buffer);
    std::wstring line(998, L'x'); // 1000 characters with its line break
    for (int i = 0; i < 16; ++i) ASSERT_EQ(RichTextAddLine(&buffer, line.c_str(), 0), 1);
    EXPECT_EQ(buffer.used, 16000);
    EXPECT_EQ(buffer.capacity, 16384);
    ASSERT_EQ(RichTextAddLine(&buffer, line.c_str(), 0), 1); // 16000 + 1000 reaches 16384
    EXPECT_EQ(buffer.capacity, 16384 + 4096);
    EXPECT_EQ(buffer.used, 17000);
    std::wstring big(5000, L'y');
    ASSERT_EQ(RichTextAddLine(&buffer, big.c_str(), 0), 1); // 17000 + 5002 reaches 20480: grows by 5002
    EXPECT_EQ(buffer.capacity, 20480 + 5002);
    EXPECT_EQ(std::wstring(buffer.store + 17000), big + L"\r\n");
    EXPECT_EQ(std::wstring(buffer.store, 1000), line + L"\r\n") << "growth keeps what was stored";
}

TEST_F(RichTextTest, ColumnsAssembleALine) {
    RichTextBegin(&buffer);
    EXPECT_EQ(RichTextColumn(&buffer, L"ab", 5, RichTextAlignLeft), 1);
    EXPECT_EQ(RichTextColumn(&buffer, L"cd", 6, RichTextAlignCentre), 1);
    EXPECT_EQ(RichTextColumn(&buffer, L"xyz", 5, RichTextAlignRight), 1);
    EXPECT_EQ(RichTextColumn(&buffer, L"toolong", 3, RichTextAlignLeft), 1);
    EXPECT_STREQ(buffer.line, L"ab     cd    xyztoo");
    ASSERT_EQ(RichTextAddAssembled(&buffer, RichTextFixed), 1);
    EXPECT_EQ(buffer.lineLength, 0);
    EXPECT_STREQ(buffer.line, L"");
    EXPECT_EQ(ControlText(control()), L"ab     cd    xyztoo\r");
    ExpectFormat(control(), 0, 19, {false, RGB(0, 0, 0), 200, L"Consolas"}, "assembled line");

    // The line buffer holds 800 characters: a column beyond that is cut, never written past the end.
    EXPECT_EQ(RichTextColumn(&buffer, L"", 790, RichTextAlignLeft), 1);
    EXPECT_EQ(RichTextColumn(&buffer, L"0123456789abc", 13, RichTextAlignLeft), 0);
    EXPECT_EQ(buffer.lineLength, kRichTextLineLength);
    EXPECT_EQ(std::wstring(buffer.line + 790), L"0123456789");
    EXPECT_EQ(RichTextColumn(&buffer, L"more", 4, RichTextAlignLeft), 0);
    EXPECT_EQ(buffer.lineLength, kRichTextLineLength);
    EXPECT_EQ(RichTextColumn(&buffer, L"x", -1, RichTextAlignLeft), 0);
}

TEST_F(RichTextTest, RuleIsDashesInTheFixedFont) {
    RichTextBegin(&buffer);
    ASSERT_EQ(RichTextAddRule(&buffer, 12, 0), 1);
    ASSERT_EQ(RichTextAddRule(&buffer, 5000, RichTextBold), 1);
    std::wstring text = ControlText(control());
    EXPECT_EQ(text, std::wstring(12, L'-') + L"\r" + std::wstring(799, L'-') + L"\r");
    ExpectFormat(control(), 0, 12, {false, RGB(0, 0, 0), 200, L"Consolas"}, "rule");
    ExpectFormat(control(), 13, 13 + 799, {true, RGB(0, 0, 0), 200, L"Consolas"}, "bold rule");
}

TEST_F(RichTextTest, ReplaceLastLine) {
    RichTextBegin(&buffer);
    RichTextAddLine(&buffer, L"Copying 1 of 3", 0);
    RichTextAddLine(&buffer, L"Copying 2 of 3", 0);
    ASSERT_EQ(RichTextReplaceLastLine(&buffer, L"Copied all", RichTextBold), 1);
    EXPECT_EQ(ControlText(control()), L"Copying 1 of 3\rCopied all\r");
    EXPECT_STREQ(buffer.store, L"Copying 1 of 3\r\nCopied all\r\n");
    ExpectFormat(control(), 15, 25, {true, RGB(0, 0, 0), 200, L"Calibri"}, "replaced line");
    ExpectFormat(control(), 0, 14, {false, RGB(0, 0, 0), 200, L"Calibri"}, "line kept");
}

TEST_F(RichTextTest, ToTopScrollsBackAndClearsTheSelection) {
    RichTextBegin(&buffer);
    for (int i = 0; i < 60; ++i) RichTextAddLine(&buffer, (L"Line " + std::to_wstring(i)).c_str(), 0);
    EXPECT_GT(SendMessageW(control(), EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "adding lines follows the end";
    RichTextToTop(&buffer);
    RichTextRepaint(&buffer);
    EXPECT_EQ(SendMessageW(control(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    CHARRANGE selection = {-1, -1};
    SendMessageW(control(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 0);
    EXPECT_EQ(selection.cpMax, 0);
    testenv::SaveScreenshot("rich_text_top");
}

TEST_F(RichTextTest, ClosingTheDialogDetachesTheBuffer) {
    RichTextBegin(&buffer);
    DlgClose(&dialog);
    EXPECT_EQ(buffer.item, nullptr);
    EXPECT_EQ(RichTextAddLine(&buffer, L"after close", 0), 0);
    EXPECT_EQ(RichTextSaveAsText(nullptr, &buffer), -2);
}

TEST(RichTextPage, LinesAddedBeforeTheRunShowFromTheTop) {
    // The agreement page: lines go in while the dialog is hidden, the view is put at the top, then it runs.
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Rich Test", L"NOICON", nullptr, 12);
    RichTextBuffer buffer;
    ASSERT_EQ(RichTextInit(&buffer, 50000), 1);
    Dialog* page = DlgCreate(L"Agreement page", 70, 14, DlgWindowPopup, 0, nullptr);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(DlgRichText(page, 1, 0.5, 68, 11, nullptr, 0, &buffer), nullptr);
    DlgButton(page, 27, 12.2, 16, 0, DlgStandardOk, L"OK", nullptr, 0);
    RichTextBegin(&buffer);
    RichTextAddLine(&buffer, L"LICENCE AGREEMENT", RichTextBold | RichTextLarge);
    for (int i = 1; i < 80; ++i) RichTextAddLine(&buffer, (L"Clause " + std::to_wstring(i)).c_str(), 0);
    RichTextToTop(&buffer);
    RichTextRepaint(&buffer);
    RichTextEnd(&buffer);
    HWND control = buffer.item->control;
    HWND window = page->window;
    LRESULT firstLine = -1;
    std::thread driver([&] {
        for (int waited = 0; waited < 5000 && !IsWindowVisible(window); waited += 20) Sleep(20);
        Sleep(200);
        firstLine = SendMessageW(control, EM_GETFIRSTVISIBLELINE, 0, 0);
        testenv::SaveScreenshot("rich_text_page");
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    DlgRun(page);
    driver.join();
    EXPECT_EQ(firstLine, 0) << "showing the page must not scroll the agreement to its end";
    EXPECT_EQ(buffer.item, nullptr);
    RichTextFree(&buffer);
}

TEST(RichTextFile, ParagraphsBecomeCrLfLines) {
    std::wstring folder = testenv::ScratchFolder(L"rich_text_file");
    std::wstring path = folder + L"\\out.txt";
    std::string bytes;
    const wchar_t text[] = L"first\rsecond line\r\rafter empty\r";
    ASSERT_EQ(RichTextWriteFile(path.c_str(), text, static_cast<int>(wcslen(text))), 1);
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "first\r\nsecond line\r\n\r\nafter empty\r\n");

    const wchar_t unterminated[] = L"a\r\nb";
    ASSERT_EQ(RichTextWriteFile(path.c_str(), unterminated, 4), 1);
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "a\r\nb\r\n");

    std::wstring longLine(9000, L'z');
    ASSERT_EQ(RichTextWriteFile(path.c_str(), longLine.c_str(), 9000), 1);
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes.size(), 9002u) << "a long paragraph is kept, not dropped";

    EXPECT_EQ(RichTextWriteFile((folder + L"\\missing\\out.txt").c_str(), text, 3), 0);
}

// ---- Saving through the real save chooser ----

HWND WaitForChooser(const wchar_t* title) {
    return ui::WaitForWindow(title, 10000, L"#32770");
}

// The file name field of the standard file dialog: the edit inside the name combo (which may itself be
// wrapped in an extended combo), or a plain edit of that identifier.
HWND FileNameField(HWND chooser) {
    HWND combo = GetDlgItem(chooser, 0x47C);
    if (!combo) return GetDlgItem(chooser, 0x480);
    HWND found = nullptr;
    EnumChildWindows(
        combo,
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (wcscmp(name, L"Edit") != 0) return TRUE;
            *reinterpret_cast<HWND*>(context) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found ? found : combo;
}

TEST_F(RichTextTest, SaveAsTextWritesEveryLineThroughTheChooser) {
    RichTextBegin(&buffer);
    RichTextAddLine(&buffer, L"Licence agreement", RichTextBold);
    RichTextAddLine(&buffer, L"You may install this software.", 0);
    RichTextAddLine(&buffer, L"", 0);
    RichTextAddLine(&buffer, L"End", RichTextDarkRed);
    RichTextEnd(&buffer);
    std::wstring folder = testenv::ScratchFolder(L"rich_text_save");
    std::wstring path = folder + L"\\agreement"; // the default extension is added
    std::thread driver([&] {
        HWND chooser = WaitForChooser(L"Save as text file");
        if (!chooser) return;
        testenv::SaveScreenshot("rich_text_save_chooser");
        SendMessageW(FileNameField(chooser), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ui::Click(ui::ChildById(chooser, IDOK));
    });
    int saved = RichTextSaveAsText(dialog, &buffer);
    driver.join();
    ASSERT_EQ(saved, 1) << "the chooser titled \"Save as text file\" did not take the name";
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(path + L".txt", bytes));
    EXPECT_EQ(bytes, "Licence agreement\r\nYou may install this software.\r\n\r\nEnd\r\n");
}

// The user saves over an earlier copy on a disk without room for the new text: the save reports that the
// file was not written, and the earlier copy is there as it was, with no temporary file beside it.
TEST_F(RichTextTest, SaveAsTextOntoAFullDiskKeepsTheFileItWouldReplace) {
    std::wstring folder = testenv::ScratchFolder(L"rich_text_save_full");
    std::wstring disk = folder + L"\\disk";
    testenv::TinyDisk tiny(disk, folder);
    if (!tiny.Mounted()) GTEST_SKIP() << TINY_DISK_SKIP_MESSAGE;
    std::wstring path = disk + L"\\agreement.txt";
    ASSERT_TRUE(testenv::WriteFileBytes(path, "the earlier copy\r\n"));
    RichTextBegin(&buffer);
    for (int i = 0; i < 120; ++i) RichTextAddLine(&buffer, std::wstring(600, L'a' + i % 26).c_str(), 0);
    RichTextEnd(&buffer);
    std::thread driver([&] {
        HWND chooser = WaitForChooser(L"Save as text file");
        if (!chooser) return;
        SendMessageW(FileNameField(chooser), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ui::Click(ui::ChildById(chooser, IDOK));
    });
    int saved = RichTextSaveAsText(dialog, &buffer);
    driver.join();
    EXPECT_EQ(saved, -1);
    std::string bytes;
    ASSERT_TRUE(testenv::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "the earlier copy\r\n");
    EXPECT_TRUE(testenv::FilesStartingWith(disk, FILE_REPLACE_PREFIX).empty());
}

TEST_F(RichTextTest, SaveAsTextCancelledWritesNothing) {
    RichTextBegin(&buffer);
    RichTextAddLine(&buffer, L"text", 0);
    std::thread driver([&] {
        HWND chooser = WaitForChooser(L"Save as text file");
        if (chooser) ui::Click(ui::ChildById(chooser, IDCANCEL));
    });
    EXPECT_EQ(RichTextSaveAsText(dialog, &buffer), 0);
    driver.join();
}

} // namespace
#endif
