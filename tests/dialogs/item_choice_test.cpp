// Choices: the painting of entries read back pixel by pixel, the entry data word, the colour table,
// and real drop-down lists driven with the keyboard: separators skipped in both directions, the
// variable written and the change hook called only for a new value, refreshes selecting the entry.
#include <gtest/gtest.h>
#include <windows.h>

#ifndef NIMBO_PLUGIN
#include <string>

#include "dialogs/app.h"
#include "dialogs/choice_colors.h"
#include "dialogs/choice_paint.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

namespace {

// ---- Painting into a memory bitmap ----

const int kW = 7;
const int kH = 16;

class EntryCanvas {
public:
    EntryCanvas(int width, int height) : rect_{0, 0, width, height} {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255)); // nothing paints magenta: leftovers show
        FillRect(dc_, &rect_, magenta);
        DeleteObject(magenta);
    }
    ~EntryCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    void Paint(const wchar_t* text, LPARAM data, int flags, int selected = 0, int focused = 0,
               int disabled = 0) {
        ChoiceEntryLook look = {};
        look.text = text;
        look.textLength = static_cast<int>(wcslen(text));
        look.data = data;
        look.choiceFlags = flags;
        look.selected = selected;
        look.focused = focused;
        look.disabled = disabled;
        look.W = kW;
        look.H = kH;
        ChoicePaintEntry(dc_, &rect_, &look);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    int CountColor(COLORREF color, int fromX, int toX) const {
        int count = 0;
        for (int y = rect_.top; y < rect_.bottom; ++y)
            for (int x = fromX; x < toX; ++x) count += At(x, y) == color;
        return count;
    }
    // Rows in which column x has the colour.
    std::string ColumnRows(int x, COLORREF color) const {
        std::string rows;
        for (int y = rect_.top; y < rect_.bottom; ++y) rows += At(x, y) == color ? '#' : '.';
        return rows;
    }
    // Pixels of row y from x0 to x1 inclusive: '#' where the colour is.
    std::string RowPattern(int y, int x0, int x1, COLORREF color) const {
        std::string pattern;
        for (int x = x0; x <= x1; ++x) pattern += At(x, y) == color ? '#' : '.';
        return pattern;
    }
    HDC dc() const { return dc_; }

private:
    RECT rect_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

const COLORREF kGrey192 = RGB(192, 192, 192);
COLORREF WindowColor() {
    return GetSysColor(COLOR_WINDOW);
}
COLORREF TextColor() {
    return GetSysColor(COLOR_WINDOWTEXT);
}

// Entry 200 x 20: yc = 10. Weights and styles run from x0 = round(2.5 * 7) = 18 to x1 = 18 + 49 = 67.
const int kYc = 10;
const int kX0 = 18;
const int kX1 = 67;

TEST(ChoicePaint, SeparatorIsTwoGreyLinesAcrossTheWholeEntryAtTheCentre) {
    EntryCanvas canvas(200, 20);
    canvas.Paint(L"---------", ChoiceEntryData(5, 0), 0);
    EXPECT_EQ(canvas.RowPattern(kYc, 0, 199, kGrey192), std::string(200, '#'));
    EXPECT_EQ(canvas.RowPattern(kYc + 1, 0, 199, kGrey192), std::string(200, '#'));
    EXPECT_EQ(canvas.CountColor(kGrey192, 0, 200), 400) << "only the two lines, no dashes as text";
    EXPECT_EQ(canvas.At(0, kYc - 1), WindowColor());
    EXPECT_EQ(canvas.At(199, kYc + 2), WindowColor());
}

TEST(ChoicePaint, DashTextThatCanBeChosenIsTextNotASeparator) {
    EntryCanvas canvas(200, 20);
    canvas.Paint(L"-5", ChoiceEntryData(-5, 1), 0);
    EXPECT_EQ(canvas.CountColor(kGrey192, 0, 200), 0);
    EXPECT_GT(canvas.CountColor(TextColor(), 0, 40), 0);
}

TEST(ChoicePaint, LineWeightBarHasValuePlusOneRowsCentredOnTheEntry) {
    struct Case {
        int weight;
        std::string rows; // column x0, rows 0..19
    };
    const Case cases[] = {
        {0, "..........#........."},  // 1 row from yc
        {1, ".........##........."},  // 2 rows from yc - 1
        {4, "........#####......."},  // 5 rows from yc - 2
        {15, "..################.."}, // 16 rows from yc - 8
    };
    for (const Case& c : cases) {
        EntryCanvas canvas(200, 20);
        canvas.Paint(L"", ChoiceEntryData(c.weight, 1), DlgChoiceWeights);
        EXPECT_EQ(canvas.ColumnRows(kX0, TextColor()), c.rows) << "weight " << c.weight;
        EXPECT_EQ(canvas.ColumnRows(kX1, TextColor()), c.rows) << "weight " << c.weight << " at x1";
        EXPECT_EQ(canvas.ColumnRows(kX0 - 1, TextColor()), std::string(20, '.'));
        EXPECT_EQ(canvas.ColumnRows(kX1 + 1, TextColor()), std::string(20, '.'));
    }
}

TEST(ChoicePaint, LineStylesAreSolidOrRepeatedDashesCutAtTheEnd) {
    EntryCanvas solid(200, 20);
    solid.Paint(L"", ChoiceEntryData(0, 1), DlgChoiceStyles);
    EXPECT_EQ(solid.RowPattern(kYc, kX0 - 1, kX1 + 1, TextColor()), "." + std::string(50, '#') + ".");
    EXPECT_EQ(solid.RowPattern(kYc + 1, kX0, kX1, TextColor()), std::string(50, '.')) << "one pixel high";

    struct Case {
        int style;
        std::string pattern; // x0 .. x1, 50 pixels
    };
    const Case cases[] = {
        {1, "####.####.####.####.####.####.####.####.####.####."},
        {2, "#######...#######...#######...#######...#######..."},
        {3, "################....################....##########"},
        {4, "###########...###...###########...###...##########"},
        {7, "##########..######..##########..######..##########"},
    };
    for (const Case& c : cases) {
        EntryCanvas canvas(200, 20);
        canvas.Paint(L"", ChoiceEntryData(c.style, 1), DlgChoiceStyles);
        EXPECT_EQ(canvas.RowPattern(kYc, kX0, kX1, TextColor()), c.pattern) << "style " << c.style;
        EXPECT_EQ(canvas.RowPattern(kYc + 1, kX0, kX1, TextColor()), c.pattern) << "style " << c.style;
        EXPECT_EQ(canvas.RowPattern(kYc - 1, kX0, kX1, TextColor()), std::string(50, '.'));
        EXPECT_EQ(canvas.At(kX1 + 1, kYc), WindowColor()) << "cut at x1, style " << c.style;
    }
}

TEST(ChoicePaint, ColourSwatchIsFramedInBlackAndFilledFromTheColourTable) {
    DlgChoiceSetColor(42, 10, 200, 30);
    EntryCanvas canvas(200, 20);
    canvas.Paint(L"42", ChoiceEntryData(42, 1), DlgChoiceColors);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(canvas.dc(), &metrics);
    int left = 5 * kW, right = left + 3 * kW - 1;
    int top = kYc - metrics.tmHeight / 2 + 1, bottom = top + kH - 3;
    const COLORREF black = RGB(0, 0, 0), fill = RGB(10, 200, 30);
    EXPECT_EQ(canvas.At(left, top), black);
    EXPECT_EQ(canvas.At(right, bottom), black);
    EXPECT_EQ(canvas.At(left, (top + bottom) / 2), black);
    EXPECT_EQ(canvas.At((left + right) / 2, top), black);
    EXPECT_EQ(canvas.At(left + 1, top + 1), fill);
    EXPECT_EQ(canvas.At(right - 1, bottom - 1), fill);
    EXPECT_EQ(canvas.CountColor(fill, 0, 200), (3 * kW - 2) * (kH - 4));
    EXPECT_NE(canvas.At(right + 1, top), black);
    EXPECT_NE(canvas.At(left, bottom + 1), black);
}

TEST(ChoicePaint, FirstFlagWhoseRangeHoldsTheValueDecides) {
    DlgChoiceSetColor(20, 0, 0, 255);
    DlgChoiceSetColor(3, 255, 0, 0);
    EntryCanvas beyondWeights(200, 20);
    beyondWeights.Paint(L"", ChoiceEntryData(20, 1), DlgChoiceWeights | DlgChoiceColors);
    EXPECT_GT(beyondWeights.CountColor(RGB(0, 0, 255), 0, 200), 0) << "20 is no weight: the swatch draws";
    EXPECT_EQ(beyondWeights.At(kX1, kYc), WindowColor());

    EntryCanvas weight(200, 20);
    weight.Paint(L"", ChoiceEntryData(3, 1), DlgChoiceWeights | DlgChoiceColors);
    EXPECT_EQ(weight.CountColor(RGB(255, 0, 0), 0, 200), 0) << "the weight rule comes first";
    EXPECT_EQ(weight.At(kX1, kYc), TextColor());

    EntryCanvas none(200, 20);
    none.Paint(L"", ChoiceEntryData(300, 1), DlgChoiceWeights | DlgChoiceStyles | DlgChoiceColors);
    EXPECT_EQ(none.CountColor(WindowColor(), 0, 200), 200 * 20) << "no rule holds 300: text alone";
}

TEST(ChoicePaint, ColoursOfSelectedUnselectableAndDisabledEntries) {
    EntryCanvas selected(200, 20);
    selected.Paint(L"Cyan", ChoiceEntryData(1, 1), 0, 1);
    EXPECT_EQ(selected.At(199, 0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_GT(selected.CountColor(GetSysColor(COLOR_HIGHLIGHTTEXT), 0, 60), 0);

    // Grey text on the window colour even when selected; nothing darker than grey anywhere.
    for (int disabledControl = 0; disabledControl < 2; ++disabledControl) {
        EntryCanvas grey(200, 20);
        grey.Paint(L"WWW", ChoiceEntryData(1, disabledControl), 0, 1, 0, disabledControl);
        EXPECT_EQ(grey.At(199, 0), WindowColor());
        EXPECT_GT(grey.CountColor(GetSysColor(COLOR_GRAYTEXT), 0, 60), 0);
        EXPECT_EQ(grey.CountColor(TextColor(), 0, 200), 0);
        EXPECT_EQ(grey.CountColor(GetSysColor(COLOR_HIGHLIGHT), 0, 200), 0);
    }
}

TEST(ChoicePaint, OverLongEntryPaintsOnlyItsBackgroundAndFocus) {
    std::wstring longText(ChoicePaintTextLimit, L'W');
    EntryCanvas canvas(200, 20);
    canvas.Paint(longText.c_str(), ChoiceEntryData(1, 1), 0);
    EXPECT_EQ(canvas.CountColor(WindowColor(), 0, 200), 200 * 20);

    EntryCanvas focused(200, 20);
    focused.Paint(longText.c_str(), ChoiceEntryData(1, 1), 0, 0, 1);
    EXPECT_LT(focused.CountColor(WindowColor(), 0, 200), 200 * 20) << "the focus rectangle still shows";
    EXPECT_EQ(focused.RowPattern(10, 2, 197, WindowColor()), std::string(196, '#')) << "inside: background";
}

TEST(ChoicePaint, PaintingLeavesTheDeviceContextColoursAsItFoundThem) {
    EntryCanvas canvas(200, 20);
    SetTextColor(canvas.dc(), RGB(1, 2, 3));
    SetBkColor(canvas.dc(), RGB(4, 5, 6));
    canvas.Paint(L"x", ChoiceEntryData(1, 1), 0, 1);
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(canvas.dc()), RGB(4, 5, 6));
}

TEST(ChoiceEntryData, CarriesNegativeValuesAndTheSelectableBitApart) {
    LPARAM data = ChoiceEntryData(-7, 1);
    EXPECT_EQ(ChoiceEntryValue(data), -7);
    EXPECT_TRUE(ChoiceEntrySelectable(data));
    EXPECT_EQ(static_cast<unsigned long long>(data) >> 32, 1u);
    LPARAM separator = ChoiceEntryData(-1, 0);
    EXPECT_EQ(ChoiceEntryValue(separator), -1);
    EXPECT_FALSE(ChoiceEntrySelectable(separator)) << "all-ones value must not leak into bit 32";
}

TEST(ChoiceColorTable, SetsEntriesInRangeAndIgnoresOthers) {
    DlgChoiceSetColor(0, 1, 2, 3);
    DlgChoiceSetColor(255, 7, 8, 9);
    DlgChoiceSetColor(256, 100, 100, 100);
    DlgChoiceSetColor(-1, 100, 100, 100);
    const unsigned char(*table)[3] = DlgChoiceColorTable();
    EXPECT_EQ(table[0][0], 1);
    EXPECT_EQ(table[0][2], 3);
    EXPECT_EQ(table[255][1], 8);
    unsigned char rgb[3] = {9, 9, 9};
    ChoiceColorOf(300, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0) << "outside the table is black";
}

// ---- Real drop-down lists ----

struct HookLog {
    int calls = 0;
    DialogItem* lastItem = nullptr;
};
HookLog gHookLog;

void CountChange(Dialog*, DialogItem* item) {
    if (!item) return;
    ++gHookLog.calls;
    gHookLog.lastItem = item;
}

class ChoiceDialog : public testing::Test {
protected:
    static void SetUpTestSuite() {
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Choice Test", L"NOICON", nullptr, 12);
    }
    static void TearDownTestSuite() { AppEnd(); }
    void SetUp() override { gHookLog = HookLog(); }
    void TearDown() override {
        if (dialog_) DlgClose(&dialog_);
    }

    // A shown dialog with entries A 10, B 11, separator 99, C 12, D 13, separator 98, E 14.
    DialogItem* Build(int* variable, int flags = DlgItemNotify) {
        dialog_ = DlgCreate(L"Choice", 40, 6, DlgWindowToolDisabled, 0, nullptr);
        EXPECT_NE(dialog_, nullptr);
        DlgSetChangeHook(dialog_, CountChange);
        DialogItem* choice = DlgChoice(dialog_, 12, 1, 20, variable, flags, L"Pick one:");
        EXPECT_NE(choice, nullptr);
        DlgChoiceAdd(choice, 10, L"Alpha");
        DlgChoiceAdd(choice, 11, L"Bravo");
        DlgChoiceAddSeparator(choice, 99);
        DlgChoiceAdd(choice, 12, L"Charlie");
        DlgChoiceAdd(choice, 13, L"Delta");
        DlgChoiceAddSeparator(choice, 98);
        DlgChoiceAdd(choice, 14, L"Echo");
        DlgRefresh(choice);
        DlgShow(dialog_);
        SetForegroundWindow(dialog_->window);
        SetFocus(choice->control);
        testenv::PumpMessages(100);
        gHookLog = HookLog();
        return choice;
    }

    static void Key(HWND control, WORD key) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (GetFocus() != control) SetFocus(control);
        SendInput(2, input, sizeof(INPUT));
        testenv::PumpMessages(80);
    }

    static int Shown(DialogItem* choice) {
        LRESULT index = SendMessageW(choice->control, CB_GETCURSEL, 0, 0);
        if (index < 0) return -1;
        return ChoiceEntryValue(SendMessageW(choice->control, CB_GETITEMDATA, index, 0));
    }

    Dialog* dialog_ = nullptr;
};

TEST_F(ChoiceDialog, VariableWithoutAnEntryShowsNoSelection) {
    int value = 55;
    DialogItem* choice = Build(&value);
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCURSEL, 0, 0), CB_ERR);
    value = 99; // the value of a separator: nothing that can be chosen holds it
    DlgRefresh(choice);
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCOUNT, 0, 0), 7);
}

TEST_F(ChoiceDialog, RefreshSelectsTheVariablesEntryAndMakesItTheRestoreValue) {
    int value = 13;
    DialogItem* choice = Build(&value);
    EXPECT_EQ(Shown(choice), 13);
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCURSEL, 0, 0), 4);
    value = 10;
    DlgRefresh(choice);
    EXPECT_EQ(Shown(choice), 10);
    EXPECT_EQ(choice->saved.i, 10);
    EXPECT_EQ(gHookLog.calls, 0) << "a refresh is no user change";
}

TEST_F(ChoiceDialog, ClosedListKeysSkipSeparatorsInTheirDirection) {
    int value = 11;
    DialogItem* choice = Build(&value);
    Key(choice->control, VK_DOWN);
    EXPECT_EQ(value, 12) << "Down from Bravo passes the separator to Charlie";
    EXPECT_EQ(Shown(choice), 12);
    Key(choice->control, VK_UP);
    EXPECT_EQ(value, 11) << "Up from Charlie passes it back to Bravo";
    EXPECT_EQ(Shown(choice), 11);
    Key(choice->control, VK_DOWN);
    Key(choice->control, VK_DOWN);
    Key(choice->control, VK_DOWN);
    EXPECT_EQ(value, 14) << "and the second separator to Echo";
    EXPECT_EQ(gHookLog.calls, 5);
    EXPECT_EQ(gHookLog.lastItem, choice);
}

TEST_F(ChoiceDialog, OpenListKeysSkipSeparatorsToo) {
    int value = 13;
    DialogItem* choice = Build(&value);
    // An open list follows the mouse pointer: keep it away so that only the keys move the selection.
    SetCursorPos(1, 1);
    Key(choice->control, VK_F4);
    ASSERT_TRUE(SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0)) << "F4 opens the list";
    testenv::SaveScreenshot("choice_open_list");
    Key(choice->control, VK_DOWN);

    EXPECT_EQ(value, 14);
    Key(choice->control, VK_UP);
    EXPECT_EQ(value, 13);
    Key(choice->control, VK_UP);
    Key(choice->control, VK_UP);
    EXPECT_EQ(value, 11) << "Charlie, then over the separator to Bravo";
    Key(choice->control, VK_RETURN);
    EXPECT_FALSE(SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0)) << "Enter closes it on the choice";
    EXPECT_EQ(value, 11);
    EXPECT_EQ(Shown(choice), 11);
}

TEST_F(ChoiceDialog, EnterInAnOpenListClosesItWithoutEndingTheDialog) {
    int value = 11;
    Dialog* dialog = DlgCreate(L"Choice run", 40, 4, DlgWindowPopup, 0, nullptr);
    DialogItem* choice = DlgChoice(dialog, 12, 0.5, 20, &value, 0, L"Pick one:");
    DlgChoiceAdd(choice, 11, L"Bravo");
    DlgChoiceAdd(choice, 12, L"Charlie");
    DlgRefresh(choice);
    DlgButton(dialog, 12, 2, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    bool openAfterF4 = false, closedAfterEnter = false, runningAfterEnter = false;
    ui::Beside driver(L"Choice run", [&] {
        HWND window = ui::WaitForWindow(L"Choice run");
        Sleep(200);
        SetCursorPos(1, 1);
        ui::PressKey(choice->control, VK_F4);
        ui::WaitUntil([&] { return SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 2000);
        openAfterF4 = SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) != 0;
        ui::PressKey(choice->control, VK_DOWN);
        ui::PressKey(choice->control, VK_RETURN);
        Sleep(300);
        closedAfterEnter = SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) == 0;
        runningAfterEnter = IsWindow(window) && IsWindowVisible(window);
        ui::PressKey(choice->control, VK_RETURN); // on the closed control Enter means OK
    });
    EXPECT_EQ(DlgRun(dialog), 1);
    EXPECT_TRUE(openAfterF4);
    EXPECT_TRUE(closedAfterEnter);
    EXPECT_TRUE(runningAfterEnter);
    EXPECT_EQ(value, 12);
}

TEST_F(ChoiceDialog, EscapeInAnOpenListClosesItWithoutCancellingTheDialog) {
    int value = 11;
    Dialog* dialog = DlgCreate(L"Choice escape", 40, 4, DlgWindowPopup, 0, nullptr);
    DialogItem* choice = DlgChoice(dialog, 12, 0.5, 20, &value, 0, L"Pick one:");
    DlgChoiceAdd(choice, 11, L"Bravo");
    DlgChoiceAdd(choice, 12, L"Charlie");
    DlgRefresh(choice);
    DlgButton(dialog, 12, 2, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    bool openAfterF4 = false, closedAfterEscape = false, runningAfterEscape = false;
    ui::Beside driver(L"Choice escape", [&] {
        HWND window = ui::WaitForWindow(L"Choice escape");
        Sleep(200);
        SetCursorPos(1, 1);
        ui::PressKey(choice->control, VK_F4);
        ui::WaitUntil([&] { return SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 2000);
        openAfterF4 = SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) != 0;
        ui::PressKey(choice->control, VK_ESCAPE);
        Sleep(300);
        closedAfterEscape = SendMessageW(choice->control, CB_GETDROPPEDSTATE, 0, 0) == 0;
        runningAfterEscape = IsWindow(window) && IsWindowVisible(window);
        ui::PressKey(choice->control, VK_ESCAPE); // on the closed control Escape cancels the dialog
    });
    EXPECT_EQ(DlgRun(dialog), -1);
    EXPECT_TRUE(openAfterF4);
    EXPECT_TRUE(closedAfterEscape);
    EXPECT_TRUE(runningAfterEscape);
}

TEST_F(ChoiceDialog, NotifiesOnlyWhenTheValueChanged) {
    int value = 12;
    DialogItem* choice = Build(&value);
    WPARAM selectionChange = MAKEWPARAM(choice->index, CBN_SELCHANGE);
    // The current entry chosen again: the selection change arrives, the value stays.
    SendMessageW(dialog_->window, WM_COMMAND, selectionChange, reinterpret_cast<LPARAM>(choice->control));
    EXPECT_EQ(value, 12);
    EXPECT_EQ(gHookLog.calls, 0);
    SendMessageW(choice->control, CB_SETCURSEL, 6, 0);
    SendMessageW(dialog_->window, WM_COMMAND, selectionChange, reinterpret_cast<LPARAM>(choice->control));
    EXPECT_EQ(value, 14);
    EXPECT_EQ(gHookLog.calls, 1);
}

TEST_F(ChoiceDialog, WithoutNotifyFlagTheHookStaysQuiet) {
    int value = 10;
    DialogItem* choice = Build(&value, 0);
    Key(choice->control, VK_DOWN);
    EXPECT_EQ(value, 11);
    EXPECT_EQ(gHookLog.calls, 0);
}

TEST_F(ChoiceDialog, SeparatorAtAnEdgeOrFarAwayKeepsTheValue) {
    int value = 11;
    DialogItem* choice = Build(&value);
    // A click lands on the second separator, far from Bravo: no direction, the value stays.
    SendMessageW(choice->control, CB_SETCURSEL, 5, 0);
    SendMessageW(dialog_->window, WM_COMMAND, MAKEWPARAM(choice->index, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(choice->control));
    EXPECT_EQ(value, 11);
    EXPECT_EQ(Shown(choice), 11) << "the control shows the variable's entry again";
    EXPECT_EQ(gHookLog.calls, 0);
}

TEST_F(ChoiceDialog, LeadingSeparatorDoesNotLockTheKeyboardOut) {
    dialog_ = DlgCreate(L"Choice", 40, 6, DlgWindowToolDisabled, 0, nullptr);
    int value = -1;
    DialogItem* choice = DlgChoice(dialog_, 12, 1, 20, &value, 0, L"Pick one:");
    DlgChoiceAddSeparator(choice, 0);
    DlgChoiceAdd(choice, 1, L"One");
    DlgRefresh(choice);
    DlgShow(dialog_);
    SetForegroundWindow(dialog_->window);
    Key(choice->control, VK_DOWN);
    EXPECT_EQ(value, 1);
}

TEST_F(ChoiceDialog, NumericRunAddsEveryValueAsItsText) {
    int value = 3;
    dialog_ = DlgCreate(L"Choice", 40, 6, DlgWindowToolDisabled, 0, nullptr);
    DialogItem* choice = DlgChoice(dialog_, 12, 1, 10, &value, 0, nullptr);
    ASSERT_EQ(DlgChoiceAddRange(choice, -2, 3), 1);
    ASSERT_EQ(SendMessageW(choice->control, CB_GETCOUNT, 0, 0), 6);
    wchar_t text[16] = {};
    SendMessageW(choice->control, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"-2");
    SendMessageW(choice->control, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"3");
    EXPECT_EQ(ChoiceEntryValue(SendMessageW(choice->control, CB_GETITEMDATA, 0, 0)), -2);
    EXPECT_EQ(DlgChoiceAddRange(choice, 2147483646, 2147483647), 1) << "a run ending at INT_MAX ends";
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(DlgChoiceAddRange(choice, 5, 4), 1);
    EXPECT_EQ(SendMessageW(choice->control, CB_GETCOUNT, 0, 0), 8);
}

TEST_F(ChoiceDialog, RefusesMissingDialogVariableOrChoice) {
    int value = 0;
    dialog_ = DlgCreate(L"Choice", 40, 6, DlgWindowToolDisabled, 0, nullptr);
    EXPECT_EQ(DlgChoice(nullptr, 1, 1, 10, &value, 0, nullptr), nullptr);
    EXPECT_EQ(DlgChoice(dialog_, 1, 1, 10, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(DlgChoiceAdd(nullptr, 1, L"x"), 0);
    DialogItem* text = DlgText(dialog_, 1, 3, 10, L"not a choice", 0, 1, 10);
    EXPECT_EQ(DlgChoiceAdd(text, 1, L"x"), 0);
    EXPECT_EQ(DlgChoiceAddSeparator(text, 1), 0);
    EXPECT_EQ(DlgChoiceAddRange(text, 1, 2), 0);
}

TEST_F(ChoiceDialog, CancellingRestoresTheValueShownAtTheStart) {
    int value = 12;
    DialogItem* choice = Build(&value);
    Key(choice->control, VK_DOWN);
    ASSERT_EQ(value, 13);
    DlgRestoreVariables(dialog_);
    EXPECT_EQ(value, 12);
}

TEST_F(ChoiceDialog, ClosedFaceAndOpenListLookRight) {
    int weight = 3;
    int colour = 2;
    dialog_ = DlgCreate(L"Choice looks", 46, 4, DlgWindowToolDisabled, 0, nullptr);
    DialogItem* weights = DlgChoice(dialog_, 14, 0.5, 12, &weight, DlgChoiceWeights, L"Line weight:");
    DlgChoiceAddRange(weights, 0, 7);
    DlgRefresh(weights);
    DlgChoiceSetColor(0, 255, 0, 0);
    DlgChoiceSetColor(1, 0, 160, 0);
    DlgChoiceSetColor(2, 0, 0, 255);
    DialogItem* colours = DlgChoice(dialog_, 14, 1.8, 12, &colour, DlgChoiceColors, L"Colour:");
    DlgChoiceAddRange(colours, 0, 2);
    DlgChoiceAddSeparator(colours, -1);
    DlgChoiceAdd(colours, 300, L"By level");
    DlgRefresh(colours);
    DlgShow(dialog_);
    SetForegroundWindow(dialog_->window);
    testenv::PumpMessages(200); // the dialog settles above others before its list opens above it
    SetFocus(weights->control);
    SetCursorPos(1, 1);
    Key(weights->control, VK_F4);
    testenv::SaveScreenshot("choice_weights_open");
    Key(weights->control, VK_ESCAPE);
    SetFocus(colours->control);
    Key(colours->control, VK_F4);
    testenv::SaveScreenshot("choice_colours_open");
    // The face stands like an edit field: as high as one, inside its line.
    RECT face;
    GetWindowRect(weights->control, &face);
    EXPECT_EQ(face.bottom - face.top, AppGetMetrics()->H + 4);
    EXPECT_EQ(weight, 3);
}

} // namespace
#endif
